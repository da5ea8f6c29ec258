#pragma once
// Helpers of the icon tests: files in a temporary folder, hand-made bitmap
// images, the fixture folder.
#include "tests/support/pe_writer.h"

#include <QByteArray>
#include <QFile>
#include <QRgb>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace icon_test {

inline QString fixture(const char* name)
{
    return QStringLiteral(QM_TEST_DATA "/icons/") + QLatin1String(name);
}

inline QString writeFile(const QTemporaryDir& dir, const QString& name, const pe_writer::Bytes& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

inline pe_writer::Bytes readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = f.readAll();
    return pe_writer::Bytes(data.begin(), data.end());
}

// A bitmap icon image as stored in a file: header, (masks,) palette, colour
// rows bottom-up, AND mask rows bottom-up. `pixels` and `mask` are given
// top-down, row by row; a pixel is a palette index or the raw value.
struct Dib {
    int width = 2;
    int height = 2;
    int bpp = 32;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette {}; // 0xRRGGBB
    std::vector<std::uint32_t> pixels {};
    std::vector<int> mask {}; // 1: transparent; empty: no mask stored at all
    std::vector<std::uint32_t> bitfields {}; // red, green, blue after the header
    std::uint32_t clrUsed = 0;

    pe_writer::Bytes bytes() const
    {
        pe_writer::Bytes out;
        pe_writer::put32(out, 0, 40);
        pe_writer::put32(out, 4, std::uint32_t(width));
        pe_writer::put32(out, 8, std::uint32_t(height * 2));
        pe_writer::put16(out, 12, 1);
        pe_writer::put16(out, 14, std::uint32_t(bpp));
        pe_writer::put32(out, 16, compression);
        pe_writer::put32(out, 32, clrUsed);
        out.resize(40);
        for (std::uint32_t m : bitfields)
            pe_writer::put32(out, out.size(), m);
        for (std::uint32_t c : palette)
            pe_writer::put32(out, out.size(), c);
        const std::size_t stride = (std::size_t(width) * bpp + 31) / 32 * 4;
        for (int y = height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(stride, 0);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixels[std::size_t(y) * width + x];
                const std::size_t bit = std::size_t(x) * bpp;
                if (bpp < 8)
                    row[bit / 8] |= std::uint8_t(v << (8 - bpp - bit % 8));
                else
                    for (int b = 0; b < bpp / 8; ++b)
                        row[bit / 8 + b] = std::uint8_t(v >> (8 * b));
            }
            out.insert(out.end(), row.begin(), row.end());
        }
        if (mask.empty()) return out;
        const std::size_t maskStride = (std::size_t(width) + 31) / 32 * 4;
        for (int y = height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskStride, 0);
            for (int x = 0; x < width; ++x)
                if (mask[std::size_t(y) * width + x]) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
            out.insert(out.end(), row.begin(), row.end());
        }
        return out;
    }
};

// A one-colour 32 bpp image of the given size, opaque through its mask.
inline pe_writer::IconImage flatImage(int size, std::uint32_t rgb, int bitCount = 32)
{
    Dib d;
    d.width = d.height = size;
    d.pixels.assign(std::size_t(size) * size, rgb);
    d.mask.assign(std::size_t(size) * size, 0);
    pe_writer::IconImage im;
    im.width = im.height = size;
    im.bitCount = bitCount; // the directory may claim another depth than stored
    im.data = d.bytes();
    return im;
}

} // namespace icon_test
