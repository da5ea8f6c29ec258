// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/server_folder.h"

#include "platform/files/dos_attribute_store.h"
#include "platform/net/smb_client.h"

#include <cerrno>

namespace net {

namespace {

files::EntryInfo infoOf(const Entry& e)
{
    return { e.name, e.directory, !e.directory, qint64(e.size),
        (e.attributes & files::kDosBits) | (e.directory ? FILE_ATTRIBUTE_DIRECTORY : 0) };
}

class ServerFolder final : public files::FolderHandle {
public:
    explicit ServerFolder(const QString& folder)
        : FolderHandle(folder)
    {
    }

    QString pathOf(const QString& entry) const override
    {
        return entry.isEmpty() ? name() : name() + u'\\' + entry;
    }
    std::optional<std::pair<quint64, quint64>> identity() const override { return std::nullopt; }
    QString resolve(const QString& entry) override
    {
        Entry e;
        return !entry.isEmpty() && net::stat(pathOf(entry), e) == 0 ? e.name : entry;
    }
    int stat(const QString& entry, files::EntryInfo& out) override
    {
        Entry e;
        if (const int error = net::stat(pathOf(entry), e)) return error;
        out = infoOf(e);
        return 0;
    }
    int list(std::vector<files::EntryInfo>& out) override
    {
        std::vector<Entry> entries;
        out.clear();
        if (const int error = net::list(name(), entries)) return error;
        for (const Entry& e : entries)
            out.push_back(infoOf(e));
        return 0;
    }
    int read(const QString& entry, QByteArray& out, qint64 maxSize) override
    {
        Entry e;
        if (const int error = net::stat(pathOf(entry), e)) return error;
        if (e.directory) return ENOENT;
        if (qint64(e.size) > maxSize) return EFBIG;
        return net::readFile(pathOf(e.name), out, maxSize);
    }
    int replace(const QString& entry, const files::ContentEdit& edit, const files::ReplaceOptions& options,
        bool& written) override;
    int remove(const QString& entry) override
    {
        Entry e;
        if (const int error = net::stat(pathOf(entry), e)) return error;
        if (e.directory || entry.isEmpty()) return EISDIR;
        if (e.attributes & FILE_ATTRIBUTE_READONLY) return EACCES;
        return net::removeFile(pathOf(e.name));
    }
    int setBits(const QString& entry, DWORD bits) override
    {
        return net::setAttributes(entry.isEmpty() ? name() : pathOf(resolve(entry)), bits);
    }
    // A share says what it takes only when written to.
    bool canWrite() override
    {
        Entry e;
        return net::stat(name(), e) == 0 && e.directory;
    }
    std::unique_ptr<FolderHandle> child(const QString& entry, int& error) override
    {
        Entry e;
        error = entry.isEmpty() ? ENOENT : net::stat(pathOf(entry), e);
        if (!error && !e.directory) error = ENOTDIR;
        return error ? nullptr : std::make_unique<ServerFolder>(pathOf(e.name));
    }
    void adoptLeftovers(const QString& entry) override { net::adoptLeftovers(pathOf(resolve(entry))); }

private:
    ListingScope listings_;
};

int ServerFolder::replace(
    const QString& given, const files::ContentEdit& edit, const files::ReplaceOptions& options, bool& written)
{
    const QString path = pathOf(given);
    adoptLeftovers(given);
    Entry old;
    const int missing = net::stat(path, old);
    if (missing && missing != ENOENT) return missing;
    if (!missing && (old.directory || options.failIfExists)) return old.directory ? EISDIR : EEXIST;
    std::optional<QByteArray> current;
    if (!missing) {
        QByteArray bytes;
        if (options.maxCurrentSize >= 0)
            if (const int e = read(old.name, bytes, options.maxCurrentSize)) return e;
        current = std::move(bytes);
    }
    const std::optional<QByteArray> next = edit(current);
    if (!next) return 0;
    if (!missing && options.refuseReadOnly && (old.attributes & FILE_ATTRIBUTE_READONLY)) return EACCES;
    const DWORD attributes = options.attributes ? *options.attributes & files::kDosBits : INVALID_FILE_ATTRIBUTES;
    if (const int e = net::replaceFile(path, *next, attributes)) return e;
    written = true;
    return 0;
}

} // namespace

std::unique_ptr<files::FolderHandle> openServerFolder(const QString& folder, int& error)
{
    auto opened = std::make_unique<ServerFolder>(cleanNetworkPath(folder));
    files::EntryInfo self;
    error = opened->stat(QString(), self);
    if (!error && !self.directory) error = ENOTDIR;
    return error ? nullptr : std::move(opened);
}

} // namespace net
