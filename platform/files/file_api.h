// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copying and deleting files with the Windows names and results, and the
// rest of what the program asks about files: attributes, case-insensitive
// names and the directory search.
#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"
#include "platform/files/find_file.h"
#include "platform/win_types.h"

#include <QString>

// A byte copy of existingFile that replaces newFile in one step (through a
// temporary file) and takes over existingFile's attribute bits. Fails when
// existingFile is not a readable regular file, when newFile exists and
// failIfExists is set, and when newFile is read-only, a folder or a special
// file. A link at newFile is replaced, its target left alone. Names are
// literal: '*' and '?' are ordinary characters. Non-zero on success.
BOOL CopyFileA(const QString& existingFile, const QString& newFile, BOOL failIfExists);

// Removes a file (a symbolic link itself, not its target). Fails for a
// missing path, a folder and a read-only file. Non-zero on success.
BOOL DeleteFileA(const QString& fileName);

namespace files {

// What CopyFileA does once the source is read: bytes that were checked are
// the bytes written, with the source's attribute bits. Non-zero on success.
BOOL writeCopy(const QByteArray& bytes, DWORD sourceBits, const QString& newFile, bool failIfExists = false);

// Whether new files can be made in folder: it is a folder (links followed)
// that this process may write, on a file system mounted for writing.
bool canWriteInto(const QString& folder);

} // namespace files
