// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Icon images as the toolkit's images: PNG images through Qt, bitmap images
// through our own decoder (bitmap_decoder.h).
#include "platform/icons/bitmap_decoder.h"
#include "platform/icons/icon_file.h"

#include <QImage>

namespace icons {

// A Format_ARGB32 image, or a null image for data that is broken, truncated
// or of a kind the decoders do not know.
QImage decodeIconImage(ByteView data);

// Icon `index` of the file as a size x size Format_ARGB32 image: the chosen
// image (see chooseImage), decoded and scaled when its size differs. Null
// when the icon, its chosen image or that image's data is missing or broken.
QImage loadIcon(const IconFile& file, int index, int size);

} // namespace icons
