#pragma once
// Reading and setting the DOS attribute bits of a file or folder, with the
// Windows names and results. The bits live where Windows sees them (see
// dos_attribute_store.h); names are found without regard to case.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

// The attribute word, or INVALID_FILE_ATTRIBUTES when the path cannot be
// read. Folders carry FILE_ATTRIBUTE_DIRECTORY; a file without any write
// permission reads as read-only. A path with '*' or '?' is invalid, as on
// Windows, and so is the empty text.
DWORD GetFileAttributesA(const QString& path);

// Replaces the whole set of read-only, hidden, system and archive bits;
// other bits of attributes are ignored. Non-zero on success.
BOOL SetFileAttributesA(const QString& path, DWORD attributes);

namespace files {

bool hasWildcard(const QString& path);

// Whether Windows would refuse to change or delete this existing file: it
// has the read-only bit, or we may not write it. Folders never are.
bool isReadOnlyFile(const QByteArray& nativePath);

} // namespace files
