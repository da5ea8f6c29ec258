// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's four registry operations. Each opens its key, does its one
// thing and closes the key again before it returns, on every path. Texts go
// to the registry in the ANSI code page and come back from it.
#include "platform/registry/registry.h"

#include <QString>

#include <variant>

// A value as the program writes and reads it: a text (REG_SZ) or a whole
// number (REG_DWORD, signed 32-bit).
using RegValue = std::variant<QString, int>;

// True when the key can be opened for reading.
bool RegKeyExists(HKEY root, const QString& keyPath);

// True only when the key was newly created; false when it existed already
// (it is left as it was) or could not be created.
bool RegKeyCreate(HKEY root, const QString& keyPath, const QString& classText);

// Writes into an existing key; creates nothing.
bool RegValueWrite(HKEY root, const QString& keyPath, const QString& valueName, const RegValue& value);

// True when the value was read into value. A value of another type than
// text or number gives true and leaves value as it was; so does every failure,
// which gives false.
bool RegValueRead(HKEY root, const QString& keyPath, const QString& valueName, RegValue& value);
