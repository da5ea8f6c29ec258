// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the settings file names the icon file so that the Windows machines
// that read the folder can open it, and how a stored name is found again.
#include "platform/files/windows_references.h"

#include <QString>

// The reference to write as IconFile for an icon file that stays where it
// is: the path relative to the folder, its parts joined with "\", when the
// folder's readers can reach the file (same file system and, when the
// folder lies in a share of this machine's Samba server, the same share);
// otherwise the full path. Where Windows reads the folder (a FAT, exFAT or
// NTFS volume, a mounted share, a share of this machine) and cannot reach
// the file, only a copy in the folder can work.
using IconReference = files::WindowsReference;
IconReference IconReferenceFor(const QString& folder, const QString& iconFile);

// Whether a stored reference names a place only Windows can resolve: a
// drive ("C:\"), a server ("\\server\share" or "//server/share") or a
// %VARIABLE%.
bool IsWindowsOnlyReference(const QString& stored);

// A stored reference as a path on this machine: "Desktop.ico" and full
// paths as they are; any other reference relative to the folder ("\" and
// "/" both separate its parts).
QString StoredReferencePath(const QString& folder, const QString& stored);
