// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Existence tests for paths.
#include <QString>

// A first-match directory search finds the path: true for an existing file
// or folder and for a pattern with wildcards that matches any entry; false
// for a path ending in a separator and for the bare root.
bool FileExists(const QString& path);

// The path's attributes can be read: true for any existing file or folder,
// the root included; false for an empty text, a missing path, a path with
// wildcards and a file path followed by a separator.
bool FolderExists(const QString& path);
