// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder a run of calls works on, held open on its thread. While an
// OpenedFolder lives, the file layer's calls on that folder and on the
// entries directly inside it go through its handle (see folder_handle.h),
// taken when it began: renaming the folder or putting a link in its place
// meanwhile redirects none of them. The Windows-named calls keep their
// signatures; they find the handle by the folder's name as they are given it.
#include "platform/files/file_replace.h"
#include "platform/files/folder_handle.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace files {

class OpenedFolder {
public:
    // Opens the folder by its name (following the one link it may be);
    // a folder that cannot be opened is left to the calls one by one.
    explicit OpenedFolder(const QString& folder);
    // Holds a handle opened before (a plan's).
    explicit OpenedFolder(std::shared_ptr<FolderHandle> handle);
    ~OpenedFolder();
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;
    FolderHandle* handle() const { return handle_.get(); }

private:
    std::shared_ptr<FolderHandle> handle_;
};

// The handle held for folder, or else one opened now (see openFolder).
std::shared_ptr<FolderHandle> heldOrOpened(const QString& folder, int& error);

// The held folder path names or lies directly in, and the entry's name in
// it ("" for the folder itself); nullptr when there is none.
FolderHandle* heldFolderOf(const QString& path, QString& entry);

// Runs call on the handle of folder: the one held, or one opened for this
// call. An open that fails returns its errno without calling.
int withFolder(const QString& folder, const std::function<int(FolderHandle&)>& call);
// The same for the folder a path lies in, with the path's last part.
int withEntry(const QString& path, const std::function<int(FolderHandle&, const QString& entry)>& call);

// A whole regular file by its name: through the held folder it lies in
// (never through a link there), else by the path with links as asked.
// 0 or an errno, as readRegularFile.
int readFile(const QString& path, QByteArray& out, Links links, qint64 maxSize);

} // namespace files
