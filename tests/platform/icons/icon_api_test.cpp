// The icon calls as the wizard uses them: counts, handles, drawing, and the
// picture objects made from handles.
#include "platform/icons/icon_api.h"
#include "platform/icons/ole_picture.h"
#include "tests/support/icon_fixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString kLibrary = fixture("library64.dll");
const QString kRed = fixture("red.ico");
constexpr UINT kCount = 0xFFFFFFFFu;

QRgb pixelOf(HICON icon, int x, int y)
{
    const QImage image = icons::iconHandleImage(icon);
    return image.valid(x, y) ? image.pixel(x, y) : 0;
}

class IconCalls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LiveIconHandles(), 0); }
    void TearDown() override { EXPECT_EQ(LiveIconHandles(), 0) << "a test left a handle behind"; }
    QTemporaryDir dir;
};

// Index 2 and id 7 (a negative index) name the same, blue icon; a handle goes once.
TEST_F(IconCalls, ExtractIconCountsExtractsAndReleases)
{
    const QString text = writeFile(dir, "notes.dll", { 'n', 'o', '\n' });
    for (const auto& [file, count] :
        { std::pair { kLibrary, 3u }, { kRed, 1u }, { text, 0u }, { dir.filePath("missing.dll"), 0u } })
        EXPECT_EQ(ExtractIconA(0, file, kCount), count) << file.toStdString();
    for (UINT index : { 2u, UINT(-7) }) {
        const HICON icon = ExtractIconA(0, kLibrary, index);
        EXPECT_EQ(icons::iconHandleImage(icon).size(), QSize(32, 32));
        EXPECT_EQ(pixelOf(icon, 5, 5), 0xFF0000FFu);
        EXPECT_EQ(DestroyIcon(icon) + DestroyIcon(icon), 1);
    }
    EXPECT_EQ(
        ExtractIconA(0, kLibrary, 3) + ExtractIconA(0, kLibrary, UINT(-99)) + ExtractIconA(0, text, 0), 0u);
}

// Rewritten in place, then replaced by another file, with no event in between.
TEST_F(IconCalls, AFileChangedBetweenCallsIsReadAgain)
{
    pe_writer::PeWriter two;
    two.addIconGroup(1, { flatImage(32, 0x111111) });
    two.addIconGroup(2, { flatImage(32, 0x222222) });
    const QString path = writeFile(dir, "changing.dll", two.build());
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
    writeFile(dir, "changing.dll", pe_writer::writeIco({ flatImage(16, 0x333333) }));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 1u);
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(writeFile(dir, "other.dll", two.build()), path));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
}

// The 32x32 image for the large slot, the 16x16 one (magenta) for the small; no icon, no handle.
TEST_F(IconCalls, ExtractIconExFillsTheSlotsAskedFor)
{
    HICON large = 1, small = 1;
    EXPECT_EQ(ExtractIconExA(kRed, 0, &large, &small, 1), 1u);
    EXPECT_EQ(pixelOf(large, 31, 16), 0xFFFF0000u);
    EXPECT_EQ(pixelOf(small, 8, 8), 0xFFFF00FFu);
    EXPECT_EQ(icons::iconHandleImage(small).size(), QSize(16, 16));
    DestroyIcon(large);
    DestroyIcon(small);
    EXPECT_EQ(ExtractIconExA(kLibrary, 1, &large, nullptr, 1), 1u);
    EXPECT_EQ(pixelOf(large, 5, 5), 0xFF00FF00u);
    DestroyIcon(large);
    EXPECT_EQ(ExtractIconExA(kLibrary, 5, &large, nullptr, 1), 0u);
    EXPECT_EQ(large, 0u);
}

TEST_F(IconCalls, DrawIconBlendsAtTheLargeSizeAndAsksForARepaint)
{
    DrawingSurface surface { QImage(34, 34, QImage::Format_ARGB32_Premultiplied), {} };
    int repaints = 0;
    surface.changed = [&] { ++repaints; };
    HICON red = 0, small = 0;
    ExtractIconExA(kRed, 0, &red, &small, 1);
    for (const HICON icon : { HICON(0), red, small }) {
        surface.image.fill(Qt::white);
        EXPECT_EQ(DrawIcon(&surface, 1, 1, icon), icon ? 1 : 0);
        EXPECT_EQ(surface.image.pixel(32, 32), icon == red ? 0xFFFF0000u : icon ? 0xFFFF00FFu : 0xFFFFFFFFu);
        EXPECT_EQ(surface.image.pixel(0, 0) & surface.image.pixel(33, 33), 0xFFFFFFFFu) << "outside the icon";
    }
    EXPECT_EQ(repaints, 2);
    surface.image.fill(Qt::white);
    DrawIcon(&surface, 1, 1, red);
    EXPECT_EQ(qRed(surface.image.pixel(1, 1)), 255) << "the half-transparent corner blends with the white";
    EXPECT_NEAR(qGreen(surface.image.pixel(1, 1)), 127, 2);
    DestroyIcon(red);
    DestroyIcon(small);
}

TEST_F(IconCalls, PictureKeepsItsOwnImageAndOwnsTheHandleOnlyWhenAsked)
{
    IID iid {}, other {};
    ASSERT_EQ(IIDFromString(u"{7bf80981-BF32-101a-8BBB-00AA00300CAB}", &iid), S_OK);
    EXPECT_EQ(iid, (IID { 0x7BF80981u, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } }));
    EXPECT_EQ(IIDFromString(u"{7BF8098G-BF32-101A-8BBB-00AA00300CAB}", &other), CO_E_IIDSTRING);
    PICTDESC desc { sizeof(PICTDESC), PICTYPE_ICON, std::uint32_t(ExtractIconA(0, kRed, 0)), { 0, 0 } };
    StdPicture picture, owned;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, iid, 0, &picture), S_OK);
    DestroyIcon(desc.hicon);
    EXPECT_EQ(picture->image.size(), QSize(32, 32));
    EXPECT_EQ(picture->image.pixel(16, 16), 0xFFFF0000u);
    desc.hicon = std::uint32_t(ExtractIconA(0, kRed, 0));
    ASSERT_EQ(OleCreatePictureIndirect(&desc, iid, 1, &owned), S_OK);
    EXPECT_EQ(LiveIconHandles(), 1);
    owned.reset(); // the owned handle goes with the picture
    EXPECT_EQ(OleCreatePictureIndirect(&desc, other, 0, &picture), E_NOINTERFACE);
    EXPECT_FALSE(picture);
}

} // namespace
