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

// Icon `index` of the file as Windows shows it at size x size pixels, the
// one pick behind every icon the program draws: the image chooseImage takes,
// decoded as Format_ARGB32 and scaled when its size differs. With a device
// pixel ratio, size is in logical pixels: the image is round(size * ratio)
// pixels wide and carries that ratio, so a high-DPI screen gets the entry
// that fits it. Null when the icon, its chosen image or that image's data
// is missing or broken. By path: icons::loadIcon in icon_api.h.
QImage loadIcon(const IconFile& file, int index, int size, qreal ratio = 1.0);

} // namespace icons
