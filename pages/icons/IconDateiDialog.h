// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Module IconDateiDialog: the shell's icon-choice dialog with a path buffer
// of 260 characters.
#include "platform/win_types.h"

#include <QString>

inline constexpr int kIconPathCapacity = 260;

// Opens the dialog on fileName and iconIndex. True when the user confirmed:
// both then hold the choice. False on cancel: both stay unchanged.
//
// The buffer is 260 blanks with the name and one NUL written over its start.
// A name of 260 characters or more fills the whole buffer without a NUL and
// is cut there, so the dialog starts on the first 260 characters; on
// Windows the dialog would then read past the buffer, here it never does.
bool ShowIconDialog(QString& fileName, int& iconIndex, HWND owner);
