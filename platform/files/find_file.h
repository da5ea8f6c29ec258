// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows directory search: FindFirstFileA, FindNextFileA, FindClose.
// The last part of the pattern may hold '*' (any run of characters) and '?'
// (any one character); "*.*" matches every name, with or without a dot.
// Names match without regard to case. A pattern ending in a separator finds
// nothing, and neither does the bare root, as on Windows.
#include "platform/win_types.h"

#include <QString>

#include <cstddef>

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes = 0;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    QString cFileName; // the name within its folder, as on disk
};

// A search handle for the matches (in case-insensitive name order) with the
// first one in *findData, or INVALID_HANDLE_VALUE when nothing matches.
HANDLE FindFirstFileA(const QString& fileName, WIN32_FIND_DATAA* findData);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* findData);
BOOL FindClose(HANDLE search);

namespace files {

bool matchesWildcard(const QString& name, const QString& pattern);

// The number of searches not yet closed.
std::size_t openSearchCount();

} // namespace files
