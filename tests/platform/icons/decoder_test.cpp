// Every bit depth and mask rule of the decoder against expected pixels.
#include "platform/icons/icon_decoder.h"
#include "tests/platform/icons/icon_test_util.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

using icon_test::Dib;

namespace {

constexpr QRgb kClear = 0x00000000;
QRgb opaque(std::uint32_t rgb)
{
    return 0xFF000000u | rgb;
}

QImage decode(const pe_writer::Bytes& bytes)
{
    return icons::decodeIconImage({ bytes.data(), bytes.size() });
}

struct DecodeCase {
    const char* name;
    Dib dib;
    std::vector<QRgb> expected; // top-down
};

std::vector<DecodeCase> decodeCases()
{
    std::vector<DecodeCase> cases;
    // 1 bpp: palette and mask; bits taken from the high end of each byte.
    Dib d1 { 3, 2, 1, 0, { 0x000000, 0xFFFFFF }, { 0, 1, 1, 1, 0, 0 }, { 0, 0, 1, 0, 1, 0 } };
    cases.push_back(
        { "1bpp", d1, { opaque(0), opaque(0xFFFFFF), kClear, opaque(0xFFFFFF), kClear, opaque(0) } });
    // 4 bpp with an odd width: the last nibble of a row stands alone.
    Dib d4 { 3, 1, 4, 0, {}, { 15, 0, 7 }, { 0, 0, 0 } };
    for (std::uint32_t i = 0; i < 16; ++i)
        d4.palette.push_back(i * 0x111111u & 0xFFFFFF);
    cases.push_back({ "4bpp", d4, { opaque(0xFFFFFF), opaque(0), opaque(0x777777) } });
    // 8 bpp with a short palette (clrUsed 2): an index past it is black.
    Dib d8 { 3, 1, 8, 0, { 0x123456, 0xABCDEF }, { 1, 0, 200 }, { 0, 1, 0 }, {}, 2 };
    cases.push_back({ "8bpp short palette", d8, { opaque(0xABCDEF), kClear, opaque(0) } });
    // 16 bpp 5-5-5: channels widened by repeating their bits.
    Dib d16 { 3, 1, 16, 0, {}, { 0x7C00, 0x0210, 0x001F }, { 0, 0, 1 } };
    cases.push_back({ "16bpp 555", d16, { opaque(0xFF0000), opaque(0x008484), kClear } });
    // 16 bpp 5-6-5 through BI_BITFIELDS.
    Dib d565 { 2, 1, 16, 3, {}, { 0x07E0, 0xF81F }, { 0, 0 }, { 0xF800, 0x07E0, 0x001F } };
    cases.push_back({ "16bpp 565 bitfields", d565, { opaque(0x00FF00), opaque(0xFF00FF) } });
    // 24 bpp: the mask counts (Qt's reader ignores it).
    Dib d24 { 2, 2, 24, 0, {}, { 0x102030, 0x405060, 0x708090, 0xA0B0C0 }, { 1, 0, 0, 1 } };
    cases.push_back({ "24bpp masked", d24, { kClear, opaque(0x405060), opaque(0x708090), kClear } });
    // 32 bpp with alpha: the alpha counts, the mask does not.
    Dib d32a { 2, 1, 32, 0, {}, { 0x80FF0000, 0x00000000 }, { 1, 0 } };
    cases.push_back({ "32bpp alpha", d32a, { 0x80FF0000, 0x00000000 } });
    // 32 bpp whose alpha is zero everywhere: opaque through the mask.
    Dib d32z { 2, 1, 32, 0, {}, { 0x00FF0000, 0x0000FF00 }, { 0, 1 } };
    cases.push_back({ "32bpp zero alpha", d32z, { opaque(0xFF0000), kClear } });
    // 32 bpp BI_BITFIELDS with the usual masks keeps its alpha byte.
    Dib d32f { 2, 1, 32, 3, {}, { 0x400000FF, 0x00000000 }, { 0, 0 }, { 0xFF0000, 0xFF00, 0xFF } };
    cases.push_back({ "32bpp bitfields alpha", d32f, { 0x400000FF, 0x00000000 } });
    // Rows are stored bottom-up; a 33-pixel-wide mask needs two words per row.
    Dib tall { 33, 2, 8, 0, { 0x0000FF, 0x00FF00 }, {}, {}, {}, 2 };
    tall.pixels.assign(66, 0);
    tall.mask.assign(66, 0);
    tall.pixels[32] = 1; // top row, last pixel
    tall.mask[65] = 1; // bottom row, last pixel
    std::vector<QRgb> tallExpected(66, opaque(0x0000FF));
    tallExpected[32] = opaque(0x00FF00);
    tallExpected[65] = kClear;
    cases.push_back({ "bottom-up, wide mask", tall, tallExpected });
    // No mask stored at all: opaque.
    Dib bare { 1, 1, 24, 0, {}, { 0x010203 }, {} };
    cases.push_back({ "no mask", bare, { opaque(0x010203) } });
    return cases;
}

TEST(IconDecoder, DecodesEveryDepthAndMaskRule)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        const QImage image = decode(c.dib.bytes());
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.format(), QImage::Format_ARGB32);
        ASSERT_EQ(image.width(), c.dib.width);
        ASSERT_EQ(image.height(), c.dib.height);
        for (int y = 0; y < c.dib.height; ++y)
            for (int x = 0; x < c.dib.width; ++x)
                EXPECT_EQ(image.pixel(x, y), c.expected[std::size_t(y) * c.dib.width + x])
                    << "at " << x << "," << y;
    }
}

TEST(IconDecoder, RefusesBrokenBitmaps)
{
    const Dib good { 2, 2, 24, 0, {}, { 1, 2, 3, 4 }, { 0, 0, 0, 0 } };
    struct Broken {
        const char* name;
        pe_writer::Bytes bytes;
    };
    std::vector<Broken> cases;
    auto patched = [&](std::size_t at, std::uint32_t v, bool wide) {
        pe_writer::Bytes b = good.bytes();
        wide ? pe_writer::put32(b, at, v) : pe_writer::put16(b, at, v);
        return b;
    };
    cases.push_back({ "2 bpp", patched(14, 2, false) });
    cases.push_back({ "run-length compression", patched(16, 1, true) });
    cases.push_back({ "bitfields at 24 bpp", patched(16, 3, true) });
    cases.push_back({ "header too small", patched(0, 12, true) });
    cases.push_back({ "header larger than data", patched(0, 4000, true) });
    cases.push_back({ "zero width", patched(4, 0, true) });
    cases.push_back({ "negative height", patched(8, 0xFFFFFFFCu, true) });
    cases.push_back({ "too wide", patched(4, 5000, true) });
    pe_writer::Bytes hugePalette = Dib { 1, 1, 8, 0, { 0 }, { 0 }, { 0 }, {}, 1 }.bytes();
    pe_writer::put32(hugePalette, 32, 0x40000000u);
    cases.push_back({ "huge palette", hugePalette });
    pe_writer::Bytes truncated = good.bytes();
    truncated.resize(40 + 8); // half the colour rows
    cases.push_back({ "colour rows cut", truncated });
    pe_writer::Bytes eightBit = Dib { 1, 1, 8, 0, { 0 }, { 0 }, { 0 } }.bytes();
    eightBit.resize(44); // palette says 256 entries by default, only one stored
    cases.push_back({ "palette cut", eightBit });
    cases.push_back({ "empty", {} });
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(decode(c.bytes).isNull());
    }
}

pe_writer::Bytes pngOf(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return pe_writer::Bytes(data.begin(), data.end());
}

TEST(IconDecoder, DecodesPngAndRefusesBrokenOrHugePng)
{
    QImage source(4, 3, QImage::Format_ARGB32);
    source.fill(0x80123456);
    const QImage decoded = decode(pngOf(source));
    ASSERT_EQ(decoded.size(), QSize(4, 3));
    EXPECT_EQ(decoded.format(), QImage::Format_ARGB32);
    EXPECT_EQ(decoded.pixel(3, 2), 0x80123456u);

    pe_writer::Bytes broken = pngOf(source);
    broken.resize(broken.size() / 2);
    EXPECT_TRUE(decode(broken).isNull());

    // A small file that claims a big image is refused before decoding.
    pe_writer::Bytes huge = pngOf(QImage(2, 2, QImage::Format_ARGB32));
    pe_writer::put32(huge, 16, 0x88130000u); // width 5000, big-endian
    EXPECT_TRUE(decode(huge).isNull());
}

} // namespace
