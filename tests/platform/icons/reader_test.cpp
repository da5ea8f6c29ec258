// SPDX-License-Identifier: GPL-3.0-or-later
// Icon order in PE files, which image of an icon is chosen for a size, and the decoder against
// expected pixels and the images it must refuse.
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"
#include "tests/support/icon_fixtures.h"

#include <QImage>

using namespace testing_support;
using pe_writer::Format;

namespace {

class IconReader : public ::testing::TestWithParam<Format> { };

// Named groups first, then ids, each in stored order; the first language; images
// found by id also when the ids are not stored in order or stored twice.
TEST_P(IconReader, CountsGroupsInStoredOrderAndFindsTheirImages)
{
    pe_writer::PeWriter w(GetParam());
    w.addResource(pe_writer::kRtIcon, 20, pe_writer::kEnglish, flatImage(32, 0x200000).data);
    w.addResource(pe_writer::kRtIcon, 10, pe_writer::kEnglish, flatImage(16, 0x100000).data);
    w.addResource(pe_writer::kRtIcon, 11, pe_writer::kEnglish, flatImage(16, 0x110000).data);
    w.addResource(pe_writer::kRtIcon, u"NAMED", pe_writer::kEnglish, flatImage(16, 0xFF00FF).data);
    w.addResource(pe_writer::kRtGroupIcon, 9, pe_writer::kEnglish,
        pe_writer::groupDirectory({ { flatImage(16, 0), 10 }, { flatImage(32, 0), 20 } }));
    w.addIconGroup(u"ZULU", { flatImage(32, 0x0000AA) });
    w.addIconGroup(2, { flatImage(32, 0x000002) }, pe_writer::kGerman);
    w.addIconGroup(2, { flatImage(32, 0x0000EE) }, pe_writer::kEnglish); // second language of group 2
    w.addIconGroup(u"ALPHA", { flatImage(32, 0x0000BB) });
    pe_writer::Bytes lib = w.build();
    // The image entries: NAMED, 20, 10, 11, 1, ...; 11 becomes a second 10, and the first stored one counts.
    pe_writer::put32(lib, w.layout().nameDirectory.at(pe_writer::kRtIcon) + 16 + 8 * 3, 10);
    icons::IconFile f; // from memory, as the fuzzer feeds it
    f.setData({ lib.data(), lib.size() });
    ASSERT_EQ(f.count(), 4);
    const QStringList names = { f.groupName(0), f.groupName(1), f.groupName(2), f.groupName(3) };
    EXPECT_EQ(names, (QStringList { "ZULU", "ALPHA", "9", "2" }));
    EXPECT_EQ(std::pair(f.indexOfGroupId(2), f.indexOfGroupId(99)), std::pair(3, -1));
    EXPECT_EQ(f.groupName(4), "");
    const QRgb expected[] = { 0xFF0000AA, 0xFF0000BB, 0xFF200000, 0xFF000002 };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(icons::loadIcon(f, i, 32).pixel(16, 16), expected[i]) << "icon " << i;
    EXPECT_EQ(icons::loadIcon(f, 2, 16).pixel(8, 8), 0xFF100000u);
    // Group 9 holds two images; group 2 one in its second language.
    EXPECT_EQ(f.images(2).size(), 2u);
    EXPECT_EQ(f.images(3, 1).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, IconReader, ::testing::Values(Format::Pe32, Format::Pe32Plus));

// At 32 pixels; the small size and a group without images: see the calls' and modules' tests.
TEST(IconChoice, TakesExactThenSmallestLargerThenNearestDepthThenEarliest)
{
    auto e = [](int w, int h, int bits) { return icons::ImageEntry { w, h, bits, 0, 0, 0 }; };
    const std::tuple<const char*, std::vector<icons::ImageEntry>, int> cases[] = {
        { "exact size beats depth", { e(48, 48, 32), e(32, 32, 4) }, 1 },
        { "a larger one beats a nearer smaller one", { e(24, 24, 32), e(48, 48, 32) }, 1 },
        { "the smallest of the larger ones", { e(256, 256, 32), e(48, 48, 32), e(64, 64, 32) }, 1 },
        { "nothing covers: the largest", { e(16, 16, 32), e(24, 24, 32), e(8, 8, 32) }, 1 },
        { "larger in both directions", { e(40, 24, 32), e(48, 48, 32) }, 1 },
        { "depth nearest to 32", { e(32, 32, 4), e(32, 32, 8), e(32, 32, 24), e(32, 32, 1) }, 2 },
        { "same depth: earliest", { e(32, 32, 8), e(32, 32, 32), e(32, 32, 32) }, 1 },
    };
    for (const auto& [name, entries, expected] : cases)
        EXPECT_EQ(icons::chooseImage(entries, 32, 32), expected) << name;
}

// A stored size 0 means 256, a stored depth 0 follows from the colour count;
// the chosen image is scaled to the size asked for, in logical pixels with a
// pixel ratio.
TEST(IconChoice, ReadsTheDirectoryAsStoredAndScalesTheChosenImage)
{
    pe_writer::IconImage sixteenColours = flatImage(8, 0x0000AA, 0);
    sixteenColours.colorCount = 16;
    const pe_writer::Bytes ico = pe_writer::writeIco({ sixteenColours, flatImage(256, 0x00AA00) });
    icons::IconFile f;
    f.setData({ ico.data(), ico.size() });
    ASSERT_EQ(f.images(0).size(), 2u);
    EXPECT_EQ(f.images(0)[0].bitCount, 4);
    EXPECT_EQ(f.images(0)[1].width, 256);
    EXPECT_EQ(f.groupName(0), "0");
    // At 200 and at 32 the 256 image, scaled down; at 4 the 8 one.
    const QImage image = icons::loadIcon(f, 0, 100, 2.0);
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(image.pixel(100, 100), 0xFF00AA00u);
    EXPECT_EQ(icons::loadIcon(f, 0, 32).pixel(16, 16), 0xFF00AA00u);
    EXPECT_EQ(icons::loadIcon(f, 0, 4).pixel(2, 2), 0xFF0000AAu);
}

QImage decode(const pe_writer::Bytes& bytes)
{
    return icons::decodeIconImage({ bytes.data(), bytes.size() });
}

struct DecodeCase {
    const char* name;
    Dib dib;
    std::vector<QRgb> expected; // top-down
    bool noFreeColour = false; // a palette image that cannot be written with its palette
};

std::vector<DecodeCase> decodeCases()
{
    std::vector<QRgb> wide(66, 0xFF0000FF); // blue but one green pixel, one clear
    wide[32] = 0xFF00FF00;
    wide[65] = 0;
    std::vector<std::uint32_t> grey, all(257), hiddenLast(257);
    std::vector<QRgb> allPixels(257);
    for (std::uint32_t i = 0; i < 257; ++i) {
        grey.push_back(0x010101 * (i & 0xFF));
        all[i] = i & 0xFF;
        allPixels[i] = i < 256 ? 0xFF000000 | grey[i] : 0;
    }
    grey.resize(256);
    hiddenLast[256] = 1;
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
        { "256 colours, one unused: hidden pixels use it", { 3, 1, 8, 0, grey, { 0, 9, 1 }, { 0, 0, 1 } },
            { 0xFF000000, 0xFF090909, 0 } },
        { "256 colours all shown, one pixel hidden", { 257, 1, 8, 0, grey, all, hiddenLast }, allPixels, true },
    };
    cases[9].dib.pixels[32] = 1; // top row, last pixel
    cases[9].dib.mask[65] = 1; // bottom row, last pixel
    cases[10].dib.mask[33] = 1; // bottom row, second pixel
    cases[10].expected[33] = 0;
    return cases;
}

// A palette image decoded as palette and indices gives the same pixels.
TEST(IconDecoder, DecodesEveryDepthAndMaskRule)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        const pe_writer::Bytes bytes = c.dib.bytes();
        const QImage image = decode(bytes);
        icons::IndexedPixels indexed;
        const bool asPalette = icons::decodeIndexedBitmap({ bytes.data(), bytes.size() }, indexed);
        ASSERT_EQ(asPalette, c.dib.bpp <= 8 && !c.noFreeColour);
        ASSERT_EQ(image.format(), QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(c.dib.width, c.dib.height));
        for (int y = 0; y < c.dib.height; ++y)
            for (int x = 0; x < c.dib.width; ++x) {
                const std::size_t at = std::size_t(y) * c.dib.width + x;
                EXPECT_EQ(image.pixel(x, y), c.expected[at]) << x << "," << y;
                if (asPalette) {
                    EXPECT_EQ(indexed.palette.at(indexed.index[at]), c.expected[at]);
                }
            }
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
    EXPECT_TRUE(icons::readStoredFormat({ png.data(), 26 }, f)) << "the header up to the colour type";
    EXPECT_FALSE(icons::readStoredFormat({ png.data(), 25 }, f));
    const std::uint8_t core[40] = { 12 }; // a bitmap header of the older, shorter kind
    EXPECT_FALSE(icons::readStoredFormat({ core, sizeof core }, f));
    png.resize(png.size() / 2);
    EXPECT_TRUE(decode(png).isNull());
    // A small file of a big image is refused before decoding.
    EXPECT_TRUE(decode(pngOf(icons::kMaxImageSide + 1, 1, 0)).isNull());
}

} // namespace
