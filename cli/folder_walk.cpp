// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_walk.h"

#include "cli/folder_workers.h"
#include "platform/files/native_names.h"
#include "platform/net/smb_client.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

// Visits a folder and every folder below it. A folder is listed before it
// is visited: one that cannot be listed is named once, with the cause.
void visitTree(const std::shared_ptr<files::FolderHandle>& folder, const QString& name, bool recursive,
    const FolderVisit& visit, const WalkFailure& failed)
{
    if (StopRequested()) return;
    std::vector<files::EntryInfo> entries;
    if (recursive)
        if (const int error = folder->list(entries)) return failed(name, files::describeError(name, error));
    visit(name, folder);
    // Only the names of the folders below are kept while they are walked.
    std::vector<QByteArray> below;
    for (const files::EntryInfo& e : entries)
        if (e.directory) below.push_back(files::nativePath(e.name));
    std::vector<files::EntryInfo>().swap(entries);
    std::sort(below.begin(), below.end());
    for (const QByteArray& native : below) {
        const QString entry = files::fromNative(native);
        int error = 0;
        const std::shared_ptr<files::FolderHandle> child = folder->child(entry, error);
        // A link or another file system below is not the folder's own.
        if (!child && error != ENOTDIR && error != EXDEV && error != ENOENT)
            failed(folder->pathOf(entry), files::describeError(folder->pathOf(entry), error));
        if (!child) continue;
        visitTree(child, child->name(), true, visit, failed);
        // A server's listing of the folder is not needed once its tree is done.
        net::forgetListing(child->name());
    }
}

} // namespace

void WalkFolders(const QStringList& folders, bool recursive, const FolderVisit& visit, const WalkFailure& failed)
{
    for (const QString& folder : folders) {
        if (StopRequested()) return;
        int error = 0;
        const std::shared_ptr<files::FolderHandle> opened = files::openFolder(folder, error);
        if (opened)
            visitTree(opened, folder, recursive, visit, failed);
        else if (error == ENOENT || error == ENOTDIR)
            visit(folder, nullptr); // the command names why
        else
            failed(folder, files::describeError(folder, error));
    }
}
