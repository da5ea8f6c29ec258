// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/Dateiexistenz.h"

#include "platform/files/file_api.h"

bool FileExists(const QString& path)
{
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(path, &data);
    const bool found = search != INVALID_HANDLE_VALUE;
    // Closed whatever the search returned; closing the invalid handle is a no-op.
    FindClose(search);
    return found;
}

bool FolderExists(const QString& path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
