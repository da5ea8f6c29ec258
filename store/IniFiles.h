// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's only access to INI files: the folder's Desktop.ini and the
// recent-folders file. File first, then section, key and value.
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// Sets the key (an empty value leaves "key=" in the file). Non-zero on
// success; no caller looks at it.
std::int32_t IniWrite(const QString& file, const QString& section, const QString& key, const QString& value);

// Sets the keys in one write of the file, leaving it as IniWrite on each in
// turn would.
void IniWriteAll(
    const QString& file, const QString& section, const std::vector<std::pair<QString, QString>>& values);

// The value, at most 254 characters; empty when the file, the section or the
// key is missing.
QString IniRead(const QString& file, const QString& section, const QString& key);

// Removes the key; with nothing to remove nothing happens.
void IniDeleteKey(const QString& file, const QString& section, const QString& key);
