// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/opened_folder.h"

#include "platform/files/case_paths.h"
#include "platform/files/native_names.h"
#include "platform/net/smb_client.h"

#include <cerrno>
#include <vector>

namespace files {

namespace {

thread_local std::vector<std::shared_ptr<FolderHandle>> t_held;

// The name as the handles spell theirs: a server's in its clean form, a
// local one without a trailing '/'.
QString cleaned(const QString& path)
{
    if (net::isNetworkPath(path)) return net::cleanNetworkPath(path);
    QString out = path;
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    return out;
}

} // namespace

OpenedFolder::OpenedFolder(const QString& folder)
{
    int error = 0;
    // A folder held already (by a walk, a plan) is not opened again.
    if (!folder.isEmpty()) handle_ = heldOrOpened(folder, error);
    if (handle_) t_held.push_back(handle_);
}

OpenedFolder::OpenedFolder(std::shared_ptr<FolderHandle> handle)
    : handle_(std::move(handle))
{
    if (handle_) t_held.push_back(handle_);
}

OpenedFolder::~OpenedFolder()
{
    if (handle_) t_held.pop_back();
}

FolderHandle* heldFolderOf(const QString& path, QString& entry)
{
    if (t_held.empty() || path.isEmpty()) return nullptr;
    const QString clean = cleaned(path);
    // The innermost first: a folder opened inside another's run wins.
    for (auto it = t_held.rbegin(); it != t_held.rend(); ++it) {
        const QString& folder = (*it)->name();
        if (clean == folder) {
            entry.clear();
            return it->get();
        }
        const QString prefix = (*it)->pathOf(QStringLiteral("x")).chopped(1);
        if (clean.size() > prefix.size() && clean.startsWith(prefix)) {
            entry = clean.mid(prefix.size());
            if (entry.contains(u'/') || entry.contains(u'\\') || entry == QLatin1String(".")
                || entry == QLatin1String(".."))
                continue;
            return it->get();
        }
    }
    return nullptr;
}

std::shared_ptr<FolderHandle> heldOrOpened(const QString& folder, int& error)
{
    error = 0;
    QString entry;
    if (FolderHandle* held = heldFolderOf(folder, entry); held && entry.isEmpty())
        for (const auto& h : t_held)
            if (h.get() == held) return h;
    return openFolder(folder, error);
}

int withFolder(const QString& folder, const std::function<int(FolderHandle&)>& call)
{
    QString entry;
    if (FolderHandle* held = heldFolderOf(folder, entry); held && entry.isEmpty()) return call(*held);
    int error = 0;
    const std::unique_ptr<FolderHandle> opened = openFolder(folder, error);
    return opened ? call(*opened) : error;
}

int withEntry(const QString& path, const std::function<int(FolderHandle&, const QString& entry)>& call)
{
    QString entry;
    if (FolderHandle* held = heldFolderOf(path, entry)) return call(*held, entry);
    const auto [folder, name] = splitPath(ResolvePathCase(path));
    return withFolder(folder, [&, name = name](FolderHandle& h) { return call(h, name); });
}

int readFile(const QString& path, QByteArray& out, Links links, qint64 maxSize)
{
    QString entry;
    if (FolderHandle* held = heldFolderOf(path, entry)) return held->read(entry, out, maxSize);
    if (net::isNetworkPath(path)) return withEntry(path, [&](FolderHandle& h, const QString& e) {
        return h.read(e, out, maxSize);
    });
    return readRegularFile(nativePath(ResolvePathCase(path)), out, links, maxSize);
}

} // namespace files
