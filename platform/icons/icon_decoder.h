// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decodes one icon image. PNG images go through Qt; bitmap images (1, 4, 8,
// 16, 24 and 32 bits per pixel, BI_RGB and BI_BITFIELDS, bottom-up) through
// our own decoder, because Qt's ico reader drops 16 bpp images, ignores the
// mask of 24 bpp ones and makes 32 bpp images with an all-zero alpha channel
// invisible.
//
// Transparency: the AND mask makes pixels transparent, except in 32 bpp
// images whose alpha channel is not all zero; those use their alpha. A
// missing mask counts as all opaque.
#include "platform/icons/icon_formats.h"

#include <QImage>

namespace icons {

// Images wider or taller than this are refused, so that a small hostile file
// cannot make us allocate much. Icons are at most 256 pixels by Windows'
// rules; larger PNG images exist, 1024 leaves room for them.
inline constexpr int kMaxImageSide = 1024;

// A Format_ARGB32 image, or a null image for data that is broken, truncated
// or of a kind not listed above.
QImage decodeIconImage(ByteView data);

// What an image's own header says, whatever the icon's directory claims:
// PNG or bitmap, its size and bits per pixel (for PNG images the bit depth
// times the channels). False when the data starts with no such header.
struct StoredFormat {
    bool png = false;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};
bool readStoredFormat(ByteView data, StoredFormat& format);

} // namespace icons
