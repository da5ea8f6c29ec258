// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Searches the items of a combo box for a text.
#include "platform/ui/combo_box.h"

// Returns the index of the item found, or -1. With exact, a whole item
// equal to text without regard to case, optionally selected (which runs the
// box's click handling); otherwise an item beginning with text. The search
// starts after the item at start (-1: from the first) and wraps around.
LONG ListFindText(ui::ComboBox* combo, const QString& text, LONG start, bool select, bool exact);
