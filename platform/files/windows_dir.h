// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows directory of this platform: a per-user folder,
// $XDG_DATA_HOME/quillmark (~/.local/share/quillmark by default), or the
// folder QUILLMARK_WINDOWS_DIR names. It is created when missing.
#include "platform/win_types.h"

#include <QString>

// Puts the folder, without a closing separator, into buffer and returns its
// length. When it does not fit into size characters (with room for the
// terminating NUL of the Windows call), buffer is left alone and the size
// needed is returned. 0 when the folder cannot be made.
UINT GetWindowsDirectoryA(QString& buffer, UINT size);

namespace files {

// The folder GetWindowsDirectoryA reports, without creating it; empty when
// there is no home to put it in.
QString windowsFolderPath();

// Whether path names a file of the program's own, directly in the Windows
// directory (the recent-folders file): links to such files are followed.
bool isProgramFile(const QString& path);

// Makes a folder of the program's own (the Windows directory, the user's
// hive folder) with the folders above it that are missing, each 0700
// whatever the umask: the repair at start trusts nothing in a folder others
// may write. One this user owns that an earlier version left writable by
// its group is tightened; one writable by all is left for the repair to
// refuse. Returns 0 or an errno.
int makeOwnFolder(const QString& dir);

} // namespace files
