// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a file is named for the Windows machines that read a folder, and how
// such a name is found again here: the path forms of this machine and of
// servers meet here, so the callers never ask which one a path has.
#include <QString>

namespace files {

// The name for a file that stays where it is (see IconReferenceFor).
struct WindowsReference {
    QString text;
    bool copyNeeded = false;
};
WindowsReference windowsReferenceFor(const QString& folder, const QString& file);

// Whether a stored name points where only Windows can resolve it: a drive
// ("C:\"), a server ("\\server\share" or "//server/share") or a %VARIABLE%.
bool isWindowsOnlyName(const QString& stored);

// A stored name as a path here: full paths as they are, any other relative
// to the folder ("\" and "/" both separate its parts).
QString pathOfStoredName(const QString& folder, const QString& stored);

// Whether a stored name names a server this run was not told to ask.
bool namesUnaskedServer(const QString& stored);

// The characters that separate a path's parts: '/' here, either slash for
// a name on a server.
QString separatorsOf(const QString& path);

// The folder's own name as Windows shows it: its last part, or for a
// share's root \\server\share.
QString folderNameOf(const QString& folder);

} // namespace files
