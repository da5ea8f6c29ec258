// Icon order in PE files, and which image of an icon is chosen for a size.
#include "platform/icons/icon_choice.h"
#include "tests/support/icon_fixtures.h"

#include <gtest/gtest.h>

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
TEST(IconChoice, TakesNearestSizeThenNearestDepthThenEarliest)
{
    auto e = [](int w, int h, int bits) { return icons::ImageEntry { w, h, bits, 0, 0, 0 }; };
    const std::tuple<const char*, std::vector<icons::ImageEntry>, int> cases[] = {
        { "exact size beats depth", { e(48, 48, 32), e(32, 32, 4) }, 1 },
        { "equal distance: earliest", { e(16, 16, 32), e(48, 48, 32) }, 0 },
        { "sum of both distances", { e(32, 8, 32), e(40, 40, 32) }, 1 },
        { "depth nearest to 32", { e(32, 32, 4), e(32, 32, 8), e(32, 32, 24), e(32, 32, 1) }, 2 },
        { "same depth: earliest", { e(32, 32, 8), e(32, 32, 32), e(32, 32, 32) }, 1 },
    };
    for (const auto& [name, entries, expected] : cases)
        EXPECT_EQ(icons::chooseImage(entries, 32, 32), expected) << name;
}

// A stored size 0 means 256, a stored depth 0 follows from the colour count;
// the chosen image is scaled to the size asked for.
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
    // At 200 the 256 image is nearer and scaled down; at 32 the 8 one, scaled up.
    const QImage image = icons::loadIcon(f, 0, 200);
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_EQ(image.pixel(100, 100), 0xFF00AA00u);
    EXPECT_EQ(icons::loadIcon(f, 0, 32).pixel(16, 16), 0xFF0000AAu);
}

} // namespace
