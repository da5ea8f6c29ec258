// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows finds file names without regard to case; Linux does not. When a
// path does not exist as written, each part that is missing is looked up
// in its folder without regard to case, so that an existing desktop.ini is
// found under the name Desktop.ini and never joined by a second file.
#include "platform/files/native_names.h"

#include <QByteArray>
#include <QString>

// The path as it exists on disk, or the path unchanged from the first part
// that has no match. Separators, '.' and '..' parts are kept as written.
// When several names differ only in case, the first in byte order wins.
QString ResolvePathCase(const QString& path);

namespace files {

// stat(2) on the native bytes, following links.
bool isDirectory(const QString& path);
bool isRegularFile(const QString& path);
bool pathExists(const QString& path);

// The path made absolute against the current folder (read with getcwd,
// not through Qt), '.' and '..' parts and double separators removed.
QString absolutePath(const QString& path);

// realpath(3) on the native bytes; empty when the path does not exist.
QString canonicalPath(const QString& path);

// The entry of folder that matches name without regard to case; empty
// when there is none.
QString findNameIgnoringCase(const QString& folder, const QString& name);

} // namespace files
