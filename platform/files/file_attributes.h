// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and setting the DOS attribute bits of a file or folder, with the
// Windows names and results. The bits live where Windows sees them (see
// dos_attribute_store.h); names are found without regard to case.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The attribute word, or INVALID_FILE_ATTRIBUTES when the path cannot be
// read. Folders carry FILE_ATTRIBUTE_DIRECTORY; a file without any write
// permission reads as read-only. Links are followed; a FIFO, socket or
// device counts as missing, and so does the empty text. Names are literal:
// '*' and '?' are ordinary characters.
DWORD GetFileAttributesA(const QString& path);

// Replaces the whole set of read-only, hidden, system and archive bits;
// other bits of attributes are ignored. Only a regular file or a folder
// takes bits. A symbolic link in the last part fails: the entries of a
// folder others write into must not lead us elsewhere. The one exception is
// a link to a folder the user chose to work on (see setChosenFolders).
// Non-zero on success.
BOOL SetFileAttributesA(const QString& path, DWORD attributes);

namespace files {

// The folders the user named (the program's argument, its own folder):
// their own links are followed when their bits are set.
void setChosenFolders(const QStringList& paths);

// Whether Windows would refuse to change or delete this existing file: it
// has the read-only bit, or we may not write it. Folders never are.
bool isReadOnlyFile(const QByteArray& nativePath);

} // namespace files
