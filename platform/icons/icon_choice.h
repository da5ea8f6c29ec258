// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which image of an icon is shown at a given size, as Windows chooses it.
// The image itself at that size: loadIcon (icon_decoder.h, and icon_api.h
// for a file named by its path).
#include "platform/icons/icon_file.h"

#include <vector>

namespace icons {

// The system's icon sizes and the display's colour depth.
inline constexpr int kLargeIconSize = 32;
inline constexpr int kSmallIconSize = 16;
inline constexpr int kDisplayDepth = 32;

// The image Windows shows at cx x cy: the exact size; else the smallest of
// those at least as large in both directions, to be scaled down; else the
// nearest, which among smaller images is the largest, to be scaled up.
// Distance is |width-cx|+|height-cy|; among equals the bit depth closest to
// `depth`, then the earliest. -1 for no entries.
int chooseImage(const std::vector<ImageEntry>& entries, int cx, int cy, int depth = kDisplayDepth);

} // namespace icons
