#pragma once
// Whether a profile file still holds any key, in any section.
#include <QString>

// True when some section of the file has a line with an equals sign that is
// no comment. A missing or unreadable file holds none.
bool ProfileHasAnyKey(const QString& fileName);
