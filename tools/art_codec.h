// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writers for the classic Windows picture formats the program ships: 16-colour
// bitmaps, icon images coded as DIBs with an AND mask, .ico files and the
// group directory that ties icon images together inside a library.
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <vector>

namespace art {

using Palette = std::vector<QRgb>;

// The sixteen colours of the standard VGA palette, in Windows order.
const Palette& vgaPalette();

// An image reduced to palette indexes plus a transparency mask, rows top-down.
struct IndexedImage {
    int width = 0;
    int height = 0;
    Palette palette;
    std::vector<uint8_t> index;
    std::vector<uint8_t> transparent;
};

// Maps every pixel to its nearest VGA colour; pixels under half opacity become transparent.
IndexedImage toVga(const QImage& image);
// Builds a palette of at most 256 colours for the image (black first, for the transparent pixels).
IndexedImage toAdaptive(const QImage& image);

// The image back as pixels, transparent where the mask says so (for previews and checks).
QImage fromIndexed(const IndexedImage& image);

// A complete 4 bpp .bmp file.
QByteArray bmpFile4(const IndexedImage& image);

// One image of an icon as stored in .ico files and RT_ICON resources.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    QByteArray dib; // or the PNG file
};

// Icon images coded as DIBs: colour table (if any), XOR bits, AND mask.
IconImage iconImageIndexed(const IndexedImage& image, int bitCount);
IconImage iconImage32(const QImage& image);
// An image stored as PNG with alpha (as icons of 256 pixels are), compressed most.
IconImage iconImagePng(const QImage& image);

// A complete .ico file holding the images in the order given.
QByteArray icoFile(const std::vector<IconImage>& images);
// The RT_GROUP_ICON resource for images stored as RT_ICON ids firstId, firstId+1, ...
QByteArray groupIconDirectory(const std::vector<IconImage>& images, int firstId);

} // namespace art
