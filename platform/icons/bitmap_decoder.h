// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bitmap icon images (1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB and
// BI_BITFIELDS, bottom-up) decoded by our own decoder, because Qt's ico
// reader drops 16 bpp images, ignores the mask of 24 bpp ones and makes
// 32 bpp images with an all-zero alpha channel invisible. Nothing here
// needs the toolkit's image classes, so a command that only writes images
// out starts without them.
//
// Transparency: the AND mask makes pixels transparent, except in 32 bpp
// images whose alpha channel is not all zero; those use their alpha. A
// missing mask counts as all opaque.
#include "platform/icons/icon_formats.h"

#include <cstdint>
#include <vector>

namespace icons {

// Images wider or taller than this are refused, so that a small hostile file
// cannot make us allocate much. Icons are at most 256 pixels by Windows'
// rules; larger PNG images exist, 1024 leaves room for them.
inline constexpr int kMaxImageSide = 1024;

// An image as 0xAARRGGBB values, not premultiplied, rows from the top: the
// layout of QImage::Format_ARGB32.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t* row(int y) { return argb.data() + std::size_t(y) * std::size_t(width); }
    const std::uint32_t* row(int y) const { return argb.data() + std::size_t(y) * std::size_t(width); }
};

// Decodes a bitmap image into `image`, reusing its memory; false for data
// that is broken, truncated, a PNG image or of a kind not listed above.
bool decodeBitmap(ByteView data, Pixels& image);

// A palette image: each pixel an index into `palette` (0xAARRGGBB values as
// in Pixels), rows from the top.
struct IndexedPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> index;
    std::vector<std::uint32_t> palette;

    std::uint8_t* row(int y) { return index.data() + std::size_t(y) * std::size_t(width); }
    const std::uint8_t* row(int y) const { return index.data() + std::size_t(y) * std::size_t(width); }
};

// Decodes a bitmap of 1, 4 or 8 bits per pixel as its palette and indices,
// the same pixels decodeBitmap gives: the palette has 2^bits colours (those
// past the stored ones black), and the pixels the mask hides use one more,
// transparent entry, or an entry no shown pixel uses when there are 256.
// False when the image is of another depth or every one of 256 colours is
// shown beside hidden pixels, and for the data decodeBitmap refuses.
bool decodeIndexedBitmap(ByteView data, IndexedPixels& image);

// Whether the data starts with the PNG signature.
bool isPng(ByteView data);

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
