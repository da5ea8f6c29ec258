// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder's .directory, where Dolphin and PCManFM-Qt look for its icon: a
// freedesktop desktop entry as KDE's configuration reads it (UTF-8, LF,
// names matched exactly, KDE's escapes). Only Icon= in [Desktop Entry] is
// ever changed; every other line stays byte for byte.
#include <QByteArray>
#include <QString>

#include <optional>

// The bytes with Icon= in [Desktop Entry] set, or removed when value is
// empty.
QByteArray DirectoryWithIcon(const QByteArray& current, const QString& value);
// Icon= as a reader gets it; nullopt when there is none.
std::optional<QString> DirectoryIcon(const QByteArray& bytes);
// Whether any group still holds a key.
bool DirectoryHasKeys(const QByteArray& bytes);
