// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which image of an icon is shown at a given size, as Windows chooses it,
// and the icon image at that size.
#include "platform/icons/icon_file.h"

#include <QImage>

#include <vector>

namespace icons {

// The system's icon sizes and the display's colour depth.
inline constexpr int kLargeIconSize = 32;
inline constexpr int kSmallIconSize = 16;
inline constexpr int kDisplayDepth = 32;

// The entry with the smallest |width-cx|+|height-cy|; among those the bit
// depth closest to `depth`; among those the earliest. -1 for no entries.
int chooseImage(const std::vector<ImageEntry>& entries, int cx, int cy, int depth = kDisplayDepth);

// Icon `index` of the file as a size x size Format_ARGB32 image: the chosen
// image, decoded and scaled when its size differs. Null when the icon, its
// chosen image or that image's data is missing or broken.
QImage loadIcon(const IconFile& file, int index, int size);

} // namespace icons
