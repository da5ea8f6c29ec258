// Counting and ordering icons of .ico and PE files, the image choice, and
// files that are damaged on purpose.
#include "platform/icons/icon_choice.h"
#include "tests/platform/icons/icon_test_util.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using icon_test::flatImage;
using pe_writer::Format;
using pe_writer::PeWriter;

namespace {

int countOf(const QString& path)
{
    icons::IconFile f;
    return f.open(path) ? f.count() : -1;
}

// The centre pixel of icon `index` at `size`, or 0 when there is no icon.
QRgb centre(const QString& path, int index, int size = icons::kLargeIconSize)
{
    icons::IconFile f;
    f.open(path);
    const QImage image = icons::loadIcon(f, index, size);
    return image.isNull() ? 0 : image.pixel(size / 2, size / 2);
}

class IconReader : public ::testing::TestWithParam<Format> {
protected:
    QTemporaryDir dir;
};

TEST_P(IconReader, CountsGroupsNamedFirstThenIdsAndTakesTheFirstLanguage)
{
    PeWriter w(GetParam());
    w.addIconGroup(9, { flatImage(32, 0x000009) });
    w.addIconGroup(u"ZULU", { flatImage(32, 0x0000AA) });
    w.addIconGroup(2, { flatImage(32, 0x000002) }, pe_writer::kGerman);
    w.addIconGroup(2, { flatImage(32, 0x0000EE) }, pe_writer::kEnglish); // second language of group 2
    w.addIconGroup(u"ALPHA", { flatImage(32, 0x0000BB) });
    const QString path = icon_test::writeFile(dir, "lib.dll", w.build());

    icons::IconFile f;
    ASSERT_TRUE(f.open(path));
    ASSERT_EQ(f.count(), 4);
    const QStringList names = { f.groupName(0), f.groupName(1), f.groupName(2), f.groupName(3) };
    EXPECT_EQ(names, (QStringList { "ZULU", "ALPHA", "9", "2" }));
    const std::vector<QRgb> expected = { 0xFF0000AA, 0xFF0000BB, 0xFF000009, 0xFF000002 };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(centre(path, i), expected[std::size_t(i)]) << "icon " << i;
    EXPECT_EQ(f.indexOfGroupId(2), 3);
    EXPECT_EQ(f.indexOfGroupId(5), -1);
}

TEST_P(IconReader, FindsImagesWhoseIdsAreNotStoredInOrder)
{
    PeWriter w(GetParam());
    // Images added by hand with descending ids, the group naming them.
    w.addResource(pe_writer::kRtIcon, 20, pe_writer::kEnglish, flatImage(32, 0x200000).data);
    w.addResource(pe_writer::kRtIcon, 10, pe_writer::kEnglish, flatImage(16, 0x100000).data);
    w.addResource(pe_writer::kRtGroupIcon, 1, pe_writer::kEnglish,
        pe_writer::groupDirectory({ { flatImage(16, 0), 10 }, { flatImage(32, 0), 20 } }));
    const QString path = icon_test::writeFile(dir, "unsorted.dll", w.build());
    EXPECT_EQ(centre(path, 0, 32), 0xFF200000u);
    EXPECT_EQ(centre(path, 0, 16), 0xFF100000u);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, IconReader, ::testing::Values(Format::Pe32, Format::Pe32Plus));

TEST(IconReaderRealFiles, CountsAndDecodesFilesMadeByRealTools)
{
    struct Case {
        const char* file;
        int count;
        std::vector<QRgb> large; // centre pixel of each icon at 32
    };
    const Case cases[] = {
        { "red.ico", 1, { 0xFFFF0000 } },
        { "palette.ico", 1, { 0xFF00FF00 } },
        // ZEBRA (red), 3 (palette: green), 7 (first language German: blue).
        { "library64.dll", 3, { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF } },
        { "library32.dll", 3, { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF } },
        { "make_real_files.sh", 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = icon_test::fixture(c.file);
        EXPECT_EQ(countOf(path), c.count);
        for (std::size_t i = 0; i < c.large.size(); ++i)
            EXPECT_EQ(centre(path, int(i)), c.large[i]) << "icon " << i;
    }
    // The small size takes the 16x16 image of red.ico, magenta.
    EXPECT_EQ(centre(icon_test::fixture("red.ico"), 0, 16), 0xFFFF00FFu);
    // Its 32x32 image has one half-transparent pixel in the top left corner.
    icons::IconFile f;
    f.open(icon_test::fixture("red.ico"));
    EXPECT_EQ(icons::loadIcon(f, 0, 32).pixel(0, 0), 0x80FF0000u);
}

TEST(IconChoice, TakesNearestSizeThenNearestDepthThenEarliest)
{
    using E = icons::ImageEntry;
    auto e = [](int w, int h, int bits) { return E { w, h, bits, 0, 0, 0 }; };
    struct Case {
        const char* name;
        std::vector<E> entries;
        int cx;
        int expected;
    };
    const Case cases[] = {
        { "exact size beats depth", { e(48, 48, 32), e(32, 32, 4) }, 32, 1 },
        { "equal distance: earliest", { e(16, 16, 32), e(48, 48, 32) }, 32, 0 },
        { "sum of both distances", { e(32, 8, 32), e(40, 40, 32) }, 32, 1 },
        { "depth nearest to 32", { e(32, 32, 4), e(32, 32, 8), e(32, 32, 24), e(32, 32, 1) }, 32, 2 },
        { "same depth: earliest", { e(32, 32, 8), e(32, 32, 32), e(32, 32, 32) }, 32, 1 },
        { "small size", { e(256, 256, 32), e(32, 32, 32), e(16, 16, 8), e(16, 16, 32) }, 16, 3 },
        { "scale down the nearest", { e(256, 256, 32), e(64, 64, 32) }, 32, 1 },
        { "no entries", {}, 32, -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(icons::chooseImage(c.entries, c.cx, c.cx), c.expected) << c.name;
}

TEST(IconChoice, StoredZeroMeans256AndScalesToTheSystemSize)
{
    QTemporaryDir dir;
    pe_writer::IconImage big = flatImage(256, 0x00AA00);
    pe_writer::IconImage small = flatImage(16, 0x0000AA);
    // Asked for 200: 256 is 112 away, 16 is 368 away.
    const QString path = icon_test::writeFile(dir, "big.ico", pe_writer::writeIco({ small, big }));
    icons::IconFile f;
    ASSERT_TRUE(f.open(path));
    ASSERT_EQ(f.images(0).at(1).width, 256);
    const QImage image = icons::loadIcon(f, 0, 200);
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_EQ(image.pixel(100, 100), 0xFF00AA00u);
    // At 32, the 16x16 image is nearer and is scaled up.
    EXPECT_EQ(icons::loadIcon(f, 0, 32).pixel(16, 16), 0xFF0000AAu);
}

} // namespace
