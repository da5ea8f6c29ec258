// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows profile functions over our own reader and writer (see
// profile_text.h for the file format and file_replace.h for how a write
// reaches the disk). Nothing is cached between calls.
#include "platform/win_types.h"

#include <QString>

#include <utility>
#include <vector>

// Puts the value of key in section of fileName into buffer, or
// defaultValue (without trailing blanks) when the file, the section or the
// key is missing, and returns the number of characters put there: at most
// size - 1. A folder in place of the file reads as a missing file.
DWORD GetPrivateProfileStringA(const QString& section, const QString& key, const QString& defaultValue,
    QString& buffer, DWORD size, const QString& fileName);

// Sets key in section to *value, creating the file and the section when
// needed; a null value removes the key (nothing to remove is a success that
// leaves the file alone). Non-zero on success. Fails, leaving the file as it
// was, for a read-only file, a missing folder, a folder in place of the
// file, and a file that is or would become larger than files::kMaxProfileSize.
BOOL WritePrivateProfileStringA(
    const QString& section, const QString& key, const QString* value, const QString& fileName);

// Sets several keys of one section with one write of the file, leaving it as
// that many WritePrivateProfileStringA calls in a row would: a key whose
// value would make the file too large is left out. Non-zero when every key
// is written.
BOOL WritePrivateProfileValues(
    const QString& section, const std::vector<std::pair<QString, QString>>& values, const QString& fileName);
