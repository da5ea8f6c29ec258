#pragma once
// Bitmap images, .ico files and icon libraries for the tests; fixture paths.
#include "tests/support/test_util.h"
#include "tools/pe_writer.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

namespace testing_support {

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

    pe_writer::Bytes bytes() const
    {
        pe_writer::Bytes out(40);
        const std::uint32_t header[] = { 40, std::uint32_t(width), std::uint32_t(height * 2),
            1 | std::uint32_t(bpp) << 16, compression, 0, 0, 0, clrUsed };
        for (std::size_t i = 0; i < std::size(header); ++i)
            pe_writer::put32(out, 4 * i, header[i]);
        for (const auto* list : { &bitfields, &palette })
            for (std::uint32_t v : *list)
                pe_writer::put32(out, out.size(), v);
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
};

// A one-colour 32 bpp image, opaque through its mask; the directory may
// claim another depth than stored.
inline pe_writer::IconImage flatImage(int size, std::uint32_t rgb, int bitCount = 32)
{
    const std::size_t n = std::size_t(size) * size;
    return { size, size, bitCount, 0,
        Dib { size, size, 32, 0, {}, std::vector(n, rgb), std::vector(n, 0u) }.bytes() };
}

// An image of one colour, stored as PNG (as icons of 256 pixels usually are).
inline pe_writer::Bytes pngOf(int width, int height, QRgb fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return pe_writer::Bytes(data.begin(), data.end());
}

// The colour of icon i in the libraries below.
inline QColor iconColour(int i)
{
    return QColor::fromHsv((i * 37) % 360, 200, 220);
}

inline QByteArray toQByteArray(const pe_writer::Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

inline QByteArray makeSolidIco(const QColor& colour)
{
    return toQByteArray(pe_writer::writeIco({ flatImage(32, colour.rgb()) }));
}

// A resource-only DLL with `count` icon groups, numbered from 1.
inline QByteArray makeIconLibrary(int count)
{
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    for (int i = 0; i < count; ++i)
        dll.addIconGroup(std::uint16_t(i + 1), { flatImage(32, iconColour(i).rgb()) });
    return toQByteArray(dll.build());
}

// Writes the bytes into the folder and gives the file's path.
inline QString writeFile(const QTemporaryDir& dir, const char* name, const pe_writer::Bytes& bytes)
{
    testutil::writeBytes(dir.filePath(QLatin1String(name)), toQByteArray(bytes));
    return dir.filePath(QLatin1String(name));
}

inline QString fixture(const char* name)
{
    return QStringLiteral(QM_TEST_DATA "/icons/") + QLatin1String(name);
}

} // namespace testing_support
