#pragma once
// Whether a profile file still holds any key, in any section.
#include <QString>

// True when some section of the file has a key line, by the same rules the
// profile functions read it. A missing or unreadable file holds none.
bool ProfileHasAnyKey(const QString& fileName);
