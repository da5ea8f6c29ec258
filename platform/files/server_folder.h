// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The handle of a folder on a server (see folder_handle.h): this thread's
// connection and the folder's one listing, kept while the handle lives.
#include "platform/files/folder_handle.h"

#include <memory>

namespace net {

// \\server\share\... opened: the folder must exist and be a folder.
std::unique_ptr<files::FolderHandle> openServerFolder(const QString& folder, int& error);

} // namespace net
