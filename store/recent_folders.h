// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The five icon source folders used last, kept in the recent-folders file
// (section "Filename", keys "01" newest to "05" oldest).
#include "platform/ui/combo_box.h"

// The tag of the folder box while the program itself changes its items or
// selection: the box's click handling then leaves the file list alone, since
// selecting an item runs the click handler as a user's click would. The
// recent-folders update, the restore of a stored icon and the click handler
// all go by it.
inline const QString kTagProgramChange = QStringLiteral("1");

// Appends the stored folders that still exist to the box's items, in file
// order; the caller clears the items first.
void LoadRecentFolders(ui::ComboBox* box);

// Records the box's folder after a finished run. listFolder is the folder the
// file list shows, targetFolder the customised one: an icon shown from the
// target folder itself is not recorded. A listed folder moves to the front
// with empty and equal entries squeezed out.
void SaveRecentFolder(ui::ComboBox* box, const QString& listFolder, const QString& targetFolder);
