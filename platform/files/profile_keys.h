// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a profile file still holds any key, in any section, and whether
// it is too large for the profile functions to read.
#include <QString>

// True when some section of the file has a key line, by the same rules the
// profile functions read it. A missing or unreadable file holds none; a
// file too large to read may hold any, so it counts as holding some and is
// never deleted as empty.
bool ProfileHasAnyKey(const QString& fileName);

// True when a regular file stands there that is larger than the profile
// functions read (files::kMaxProfileSize): they read it as empty and never
// write over it.
bool ProfileTooLarge(const QString& fileName);
