// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows directory: on this platform a per-user folder.
#include <QString>

// The folder without a closing separator; empty when it cannot be found or
// is longer than the 254 characters the 255-character buffer holds.
QString GetWindowsFolder();
