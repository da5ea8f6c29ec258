// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The handle of a folder on this machine (see folder_handle.h).
#include "platform/files/folder_handle.h"

#include <QList>

#include <ctime>

namespace files {

class LocalFolder final : public FolderHandle {
public:
    // Takes fd, an O_PATH descriptor of the folder.
    LocalFolder(QString name, int fd);
    ~LocalFolder() override;
    LocalFolder(const LocalFolder&) = delete;
    LocalFolder& operator=(const LocalFolder&) = delete;

    QString pathOf(const QString& entry) const override;
    std::optional<std::pair<quint64, quint64>> identity() const override;
    QString resolve(const QString& entry) override;
    int stat(const QString& entry, EntryInfo& out) override;
    // Names and kinds; the bits only through stat.
    int list(std::vector<EntryInfo>& out) override;
    int read(const QString& entry, QByteArray& out, qint64 maxSize) override;
    int replace(const QString& entry, const ContentEdit& edit, const ReplaceOptions& options, bool& written) override;
    int remove(const QString& entry) override;
    int setBits(const QString& entry, DWORD bits) override;
    bool canWrite() override;
    std::unique_ptr<FolderHandle> child(const QString& entry, int& error) override;
    void adoptLeftovers(const QString& entry) override;

private:
    void removeTemporaries(const QString& entry);

    int fd_;
    // The names, listed at the first one not found as written and again
    // when the folder changed since.
    std::optional<QList<QByteArray>> names_;
    struct timespec listedAt_ { };
};

std::unique_ptr<FolderHandle> openLocalFolder(const QString& folder, int& error, bool followLink);

} // namespace files
