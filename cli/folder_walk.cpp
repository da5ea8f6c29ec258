// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_walk.h"

#include "platform/files/native_names.h"
#include "platform/net/smb_client.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

void walkBelow(const std::shared_ptr<files::FolderHandle>& folder, const FolderVisit& visit, const WalkFailure& failed)
{
    std::vector<files::EntryInfo> entries;
    if (const int error = folder->list(entries)) return failed(folder->name(), files::describeError(folder->name(), error));
    // Only the names of the folders below are kept while they are walked.
    std::vector<QByteArray> below;
    for (const files::EntryInfo& e : entries)
        if (e.directory) below.push_back(files::nativePath(e.name));
    std::vector<files::EntryInfo>().swap(entries);
    std::sort(below.begin(), below.end());
    for (const QByteArray& name : below) {
        int error = 0;
        std::shared_ptr<files::FolderHandle> child = folder->child(files::fromNative(name), error);
        // A link or another file system below is not the folder's own.
        if (!child && error != ENOTDIR && error != EXDEV && error != ENOENT)
            failed(folder->pathOf(files::fromNative(name)), files::describeError(folder->pathOf(files::fromNative(name)), error));
        if (!child) continue;
        visit(child->name(), child);
        walkBelow(child, visit, failed);
        // A server's listing of the folder is not needed once its tree is done.
        net::forgetListing(child->name());
    }
}

} // namespace

void WalkFolders(const QStringList& folders, bool recursive, const FolderVisit& visit, const WalkFailure& failed)
{
    for (const QString& folder : folders) {
        int error = 0;
        const std::shared_ptr<files::FolderHandle> opened = files::openFolder(folder, error);
        if (!opened && error != ENOENT && error != ENOTDIR) {
            failed(folder, files::describeError(folder, error));
            continue;
        }
        visit(folder, opened);
        if (opened && recursive) walkBelow(opened, visit, failed);
    }
}
