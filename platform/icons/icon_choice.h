// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which image of an icon is shown at a given size, as Windows chooses it.
// The image itself at that size: loadIcon (icon_decoder.h).
#include "platform/icons/icon_file.h"

#include <vector>

namespace icons {

// The system's icon sizes and the display's colour depth.
inline constexpr int kLargeIconSize = 32;
inline constexpr int kSmallIconSize = 16;
inline constexpr int kDisplayDepth = 32;

// The entry with the smallest |width-cx|+|height-cy|; among those the bit
// depth closest to `depth`; among those the earliest. -1 for no entries.
int chooseImage(const std::vector<ImageEntry>& entries, int cx, int cy, int depth = kDisplayDepth);

} // namespace icons
