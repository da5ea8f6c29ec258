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
// existingFile is not a readable file, when newFile exists and failIfExists
// is set, and when newFile is read-only or a folder. Non-zero on success.
BOOL CopyFileA(const QString& existingFile, const QString& newFile, BOOL failIfExists);

// Removes a file (a symbolic link itself, not its target). Fails for a
// missing path, a folder and a read-only file. Non-zero on success.
BOOL DeleteFileA(const QString& fileName);
