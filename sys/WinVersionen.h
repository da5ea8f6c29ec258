// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The family of Windows the program runs on, as a short text.
#include <QString>

// "Windows 16bit mit 32bit-Erweiterung", "95", "98", "Me", "Nt" or
// "Unknown". Asks the platform anew on every call.
QString GetWinVersion();
