// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders a command works on: those named and, recursively, every
// folder below them, each reached through its parent's handle and handed
// on opened.
#include "platform/files/folder_handle.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// handle is null for a named folder that could not be opened as a folder
// (missing, no folder): the command names why.
using FolderVisit = std::function<void(const QString& folder, const std::shared_ptr<files::FolderHandle>& handle)>;
using WalkFailure = std::function<void(const QString& folder, const QString& why)>;

// Each folder is visited before those below it, and those in byte order of
// their names. Links are not followed below a named folder (a named one
// that is a link is), nor is a folder on another file system entered. A
// folder that cannot be opened or listed is reported through failed.
void WalkFolders(const QStringList& folders, bool recursive, const FolderVisit& visit, const WalkFailure& failed);
