// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Icon images as stored, made from plain pixel values: bitmap images of every
// depth, compression and mask, and PNG images. The tests and the fuzz seeds
// build their icon files from these.
#include "tools/pe_writer.h"

#include <QBuffer>
#include <QImage>

namespace pe_writer {

// A bitmap icon image as stored: header, masks, palette, colour rows and AND
// mask rows bottom-up. `pixels` and `mask` are top-down; a pixel is a
// palette index or the raw value.
struct Dib {
    int width = 2;
    int height = 2;
    int bpp = 32;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette {}; // 0xRRGGBB
    std::vector<std::uint32_t> pixels {};
    std::vector<std::uint32_t> mask {}; // 1: transparent; empty: no mask stored at all
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> bitfields {}; // masks between header and palette

    Bytes bytes() const
    {
        Bytes out(40);
        const std::uint32_t header[] = { 40, std::uint32_t(width), std::uint32_t(height * 2),
            1 | std::uint32_t(bpp) << 16, compression, 0, 0, 0, clrUsed };
        for (std::size_t i = 0; i < std::size(header); ++i)
            put32(out, 4 * i, header[i]);
        for (const auto* list : { &bitfields, &palette })
            for (std::uint32_t v : *list)
                put32(out, out.size(), v);
        auto rows = [&](const std::vector<std::uint32_t>& values, int bits) {
            const std::size_t stride = (std::size_t(width) * bits + 31) / 32 * 4;
            for (int y = height - 1; y >= 0; --y) {
                const std::size_t row = out.size();
                out.resize(row + stride);
                for (std::size_t x = 0, bit = 0; x < std::size_t(width); ++x, bit += bits) {
                    const std::uint32_t v = values[std::size_t(y) * width + x];
                    for (int b = 0; b < bits; b += 8)
                        out[row + bit / 8 + b / 8]
                            |= std::uint8_t(bits < 8 ? v << (8 - bits - bit % 8) : v >> b);
                }
            }
        };
        rows(pixels, bpp);
        if (!mask.empty()) rows(mask, 1);
        return out;
    }
    IconImage image() const { return { width, height, bpp, 0, bytes() }; }
};

// An image of one colour, stored as PNG (as icons of 256 pixels usually are).
inline Bytes pngOf(int width, int height, QRgb fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

} // namespace pe_writer
