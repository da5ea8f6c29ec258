// The decoder against expected pixels, and the images it must refuse.
#include "platform/icons/icon_decoder.h"
#include "tests/support/icon_fixtures.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

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
    std::vector<QRgb> wide(66, 0xFF0000FF); // blue but one green pixel, one clear
    wide[32] = 0xFF00FF00;
    wide[65] = 0;
    std::vector<DecodeCase> cases = {
        { "1 bpp", { 3, 2, 1, 0, { 0, 0xFFFFFF }, { 0, 1, 1, 1, 0, 0 }, { 0, 0, 1, 0, 1, 0 } },
            { 0xFF000000, 0xFFFFFFFF, 0, 0xFFFFFFFF, 0, 0xFF000000 } },
        { "4 bpp, odd width", { 3, 1, 4, 0, { 0, 0x777777, 0xFFFFFF }, { 2, 0, 1 }, { 0, 0, 0 }, 3 },
            { 0xFFFFFFFF, 0xFF000000, 0xFF777777 } },
        { "8 bpp, index past palette: black",
            { 3, 1, 8, 0, { 0x123456, 0xABCDEF }, { 1, 0, 200 }, { 0, 1, 0 }, 2 },
            { 0xFFABCDEF, 0, 0xFF000000 } },
        { "16 bpp 555, channels widened", { 3, 1, 16, 0, {}, { 0x7C00, 0x0210, 0x001F }, { 0, 0, 1 } },
            { 0xFFFF0000, 0xFF008484, 0 } },
        { "16 bpp 565", { 2, 1, 16, 3, { 0xF800, 0x07E0, 0x001F }, { 0x07E0, 0xF81F }, { 0, 0 } },
            { 0xFF00FF00, 0xFFFF00FF } },
        { "24 bpp masked", { 2, 2, 24, 0, {}, { 0x102030, 0x405060, 0x708090, 0xA0B0C0 }, { 1, 0, 0, 1 } },
            { 0, 0xFF405060, 0xFF708090, 0 } },
        { "32 bpp, alpha counts, mask not", { 2, 1, 32, 0, {}, { 0x80FF0000, 0 }, { 1, 0 } },
            { 0x80FF0000, 0 } },
        { "32 bpp, zero alpha: mask counts", { 2, 1, 32, 0, {}, { 0xFF0000, 0xFF00 }, { 0, 1 } },
            { 0xFFFF0000, 0 } },
        { "32 bpp bitfields", { 2, 1, 32, 3, { 0xFF0000, 0xFF00, 0xFF }, { 0x400000FF, 0 }, { 0, 0 } },
            { 0x400000FF, 0 } },
        { "33 wide: 2 mask words",
            { 33, 2, 8, 0, { 0x0000FF, 0x00FF00 }, std::vector(66, 0u), std::vector(66, 0u), 2 }, wide },
        { "32 wide: one mask word a row",
            { 32, 2, 8, 0, { 0x0000FF }, std::vector(64, 0u), std::vector(64, 0u), 1 },
            std::vector(64, 0xFF0000FFu) },
        { "no mask stored: opaque", { 1, 1, 24, 0, {}, { 0x010203 }, {} }, { 0xFF010203 } },
    };
    cases[9].dib.pixels[32] = 1; // top row, last pixel
    cases[9].dib.mask[65] = 1; // bottom row, last pixel
    cases[10].dib.mask[33] = 1; // bottom row, second pixel
    cases[10].expected[33] = 0;
    return cases;
}

TEST(IconDecoder, DecodesEveryDepthAndMaskRule)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        const QImage image = decode(c.dib.bytes());
        ASSERT_EQ(image.format(), QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(c.dib.width, c.dib.height));
        for (int y = 0; y < c.dib.height; ++y)
            for (int x = 0; x < c.dib.width; ++x)
                EXPECT_EQ(image.pixel(x, y), c.expected[std::size_t(y) * c.dib.width + x]) << x << "," << y;
    }
}

TEST(IconDecoder, RefusesBrokenBitmaps)
{
    const Dib rgb { 2, 2, 24, 0, {}, { 1, 2, 3, 4 }, { 0, 0, 0, 0 } };
    const Dib indexed { 1, 1, 8, 0, { 0 }, { 0 }, { 0 }, 1 };
    const Dib wide { icons::kMaxImageSide + 1, 1, 1, 0, { 0, 0 }, std::vector(1025, 0u),
        std::vector(1025, 0u) };
    // The undamaged images decode, so each case below fails for its damage.
    ASSERT_FALSE(decode(rgb.bytes()).isNull());
    ASSERT_FALSE(decode(indexed.bytes()).isNull());
    pe_writer::Bytes atTheLimit = wide.bytes(); // exactly as wide as allowed
    pe_writer::put32(atTheLimit, 4, icons::kMaxImageSide);
    ASSERT_EQ(decode(atTheLimit).width(), icons::kMaxImageSide);
    struct Broken {
        const char* name;
        const Dib& dib;
        std::size_t at;
        std::uint32_t value;
        int cutTo = -1;
    };
    const Broken cases[] = { { "2 bpp", rgb, 14, 2 }, { "run-length compression", rgb, 16, 1 },
        { "bitfields at 24 bpp", rgb, 16, 3 }, { "header too small", rgb, 0, 12 },
        { "header larger than data", rgb, 0, 4000 }, { "zero width", rgb, 4, 0 },
        { "negative height", rgb, 8, 0xFFFFFFFCu }, { "wider than the limit", wide, 0, 40 },
        { "huge palette", indexed, 32, 0x40000000u },
        { "palette cut (256 colours by default)", indexed, 32, 0 }, { "colour rows cut", rgb, 0, 40, 48 },
        { "empty", rgb, 0, 40, 0 } };
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        pe_writer::Bytes bytes = c.dib.bytes();
        pe_writer::put32(bytes, c.at, c.value);
        if (c.cutTo >= 0) bytes.resize(std::size_t(c.cutTo));
        EXPECT_TRUE(decode(bytes).isNull());
    }
}

// The stored size and depth are what `dump --all` names: a header cut short has none.
TEST(IconDecoder, DecodesPngAndRefusesBrokenOrHugePng)
{
    pe_writer::Bytes png = pngOf(5, 6, 0x80123456);
    const QImage decoded = decode(png);
    ASSERT_EQ(decoded.size(), QSize(5, 6));
    EXPECT_EQ(decoded.format(), QImage::Format_ARGB32);
    EXPECT_EQ(decoded.pixel(4, 5), 0x80123456u);
    icons::StoredFormat f;
    EXPECT_TRUE(icons::readStoredFormat({ png.data(), png.size() }, f));
    EXPECT_EQ(std::tuple(f.png, f.width, f.height, f.bitsPerPixel), std::tuple(true, 5, 6, 32));
    EXPECT_FALSE(icons::readStoredFormat({ png.data(), 20 }, f));
    png.resize(png.size() / 2);
    EXPECT_TRUE(decode(png).isNull());
    // A small file of a big image is refused before decoding.
    EXPECT_TRUE(decode(pngOf(icons::kMaxImageSide + 1, 1, 0)).isNull());
}

} // namespace
