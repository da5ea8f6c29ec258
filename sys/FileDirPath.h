// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splitting a path at its last separator ('/').
#include <QString>

// Everything up to and including the last separator; empty without one.
QString GetFolderPart(const QString& path);

// Everything after the last separator: the whole path without one, empty
// when the path ends with one.
QString GetFilePart(const QString& path);

// A folder's name as Windows shows it: its last part, without a closing
// separator; a share's root is named by its UNC name (\\server\share), the
// file system's root by "/".
QString GetFolderName(const QString& folder);
