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

TEST_F(IconCalls, ExtractIconCountsExtractsAndReleases)
{
    const QString text = writeFile(dir, "notes.dll", { 'n', 'o', '\n' });
    const QString missing = dir.filePath("missing.dll");
    for (const auto& [file, count] :
        { std::pair { kLibrary, 3u }, { kRed, 1u }, { text, 0u }, { missing, 0u } })
        EXPECT_EQ(ExtractIconA(0, file, kCount), count) << file.toStdString();
    // Index 2 and id 7 (negative index) name the same, blue icon.
    for (UINT index : { 2u, UINT(-7) }) {
        const HICON icon = ExtractIconA(0, kLibrary, index);
        EXPECT_EQ(icons::iconHandleImage(icon).size(), QSize(32, 32));
        EXPECT_EQ(pixelOf(icon, 5, 5), 0xFF0000FFu);
        EXPECT_EQ(DestroyIcon(icon), 1);
        EXPECT_EQ(DestroyIcon(icon), 0);
    }
    EXPECT_EQ(DestroyIcon(0), 0);
    for (UINT index : { 3u, UINT(-99) })
        EXPECT_EQ(ExtractIconA(0, kLibrary, index), 0u);
    EXPECT_EQ(ExtractIconA(0, text, 0), 0u);
}

TEST_F(IconCalls, AFileChangedBetweenCallsIsReadAgain)
{
    pe_writer::PeWriter two;
    two.addIconGroup(1, { flatImage(32, 0x111111) });
    two.addIconGroup(2, { flatImage(32, 0x222222) });
    const QString path = writeFile(dir, "changing.dll", two.build());
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
    // Rewritten in place, then replaced by another file, with no event in between.
    writeFile(dir, "changing.dll", pe_writer::writeIco({ flatImage(16, 0x333333) }));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 1u);
    const QString other = writeFile(dir, "other.dll", two.build());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 0u);
}

TEST_F(IconCalls, ExtractIconExFillsTheSlotsAskedFor)
{
    HICON large = 1, small = 1;
    EXPECT_EQ(ExtractIconExA(kRed, 0, &large, &small, 1), 1u);
    EXPECT_EQ(pixelOf(large, 31, 16), 0xFFFF0000u); // 32x32 red
    EXPECT_EQ(pixelOf(small, 8, 8), 0xFFFF00FFu);
    EXPECT_EQ(icons::iconHandleImage(small).size(), QSize(16, 16)); // the 16x16 image, magenta
    DestroyIcon(large);
    DestroyIcon(small);
    EXPECT_EQ(ExtractIconExA(kRed, 0, nullptr, &small, 1), 1u);
    EXPECT_EQ(LiveIconHandles(), 1);
    DestroyIcon(small);
    // Two icons from index 1: the second and third group; a third slot is set to 0.
    HICON many[3] = { 1, 1, 1 };
    EXPECT_EQ(ExtractIconExA(kLibrary, 1, many, nullptr, 3), 2u);
    EXPECT_EQ(pixelOf(many[0], 5, 5), 0xFF00FF00u);
    EXPECT_EQ(pixelOf(many[1], 5, 5), 0xFF0000FFu);
    EXPECT_EQ(many[2], 0u);
    DestroyIcon(many[0]);
    DestroyIcon(many[1]);
    EXPECT_EQ(ExtractIconExA(kLibrary, -1, nullptr, nullptr, 0), 3u);
    EXPECT_EQ(ExtractIconExA(kLibrary, 5, &large, nullptr, 1), 0u);
    EXPECT_EQ(large, 0u);
}

TEST_F(IconCalls, DrawIconBlendsAtTheLargeSizeAndAsksForARepaint)
{
    DrawingSurface surface { QImage(34, 34, QImage::Format_ARGB32_Premultiplied), {} };
    surface.image.fill(Qt::white);
    int repaints = 0;
    surface.changed = [&] { ++repaints; };
    EXPECT_EQ(DrawIcon(&surface, 0, 0, 0), 0);
    EXPECT_EQ(repaints, 0);
    HICON red = 0, small = 0;
    ExtractIconExA(kRed, 0, &red, &small, 1);
    EXPECT_EQ(DrawIcon(&surface, 1, 1, red), 1);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(surface.image.pixel(0, 0), 0xFFFFFFFFu); // outside the icon
    EXPECT_EQ(surface.image.pixel(32, 32), 0xFFFF0000u);
    EXPECT_EQ(surface.image.pixel(33, 33), 0xFFFFFFFFu);
    // The half-transparent corner pixel blends with the white below.
    EXPECT_EQ(qRed(surface.image.pixel(1, 1)), 255);
    EXPECT_NEAR(qGreen(surface.image.pixel(1, 1)), 127, 2);
    // A small icon is drawn at the large size too.
    surface.image.fill(Qt::white);
    EXPECT_EQ(DrawIcon(&surface, 0, 0, small), 1);
    EXPECT_EQ(surface.image.pixel(31, 31), 0xFFFF00FFu);
    EXPECT_EQ(surface.image.pixel(32, 32), 0xFFFFFFFFu);
    DestroyIcon(red);
    DestroyIcon(small);
}

TEST_F(IconCalls, IidFromStringParsesOnlyTheBracedForm)
{
    IID iid {};
    ASSERT_EQ(IIDFromString(u"{7bf80981-BF32-101a-8BBB-00AA00300CAB}", &iid), S_OK);
    EXPECT_EQ(iid, (IID { 0x7BF80981u, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } }));
    for (const char16_t* text :
        { u"7BF80981-BF32-101A-8BBB-00AA00300CAB", u"{7BF80981-BF32-101A-8BBB-00AA00300CA}",
            u"{7BF80981BBF32-101A-8BBB-00AA00300CAB}", u"{7BF8098G-BF32-101A-8BBB-00AA00300CAB}" }) {
        IID untouched { 1, 2, 3, { 4 } };
        EXPECT_EQ(IIDFromString(std::u16string(text), &untouched), CO_E_IIDSTRING);
        EXPECT_EQ(untouched, (IID { 1, 2, 3, { 4 } }));
    }
}

TEST_F(IconCalls, PictureKeepsItsOwnImageAndOwnsTheHandleOnlyWhenAsked)
{
    IID iid {}, other {};
    ASSERT_EQ(IIDFromString(u"{7BF80981-BF32-101A-8BBB-00AA00300CAB}", &iid), S_OK);
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
    desc.hicon = 0;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, iid, 1, &picture), S_OK);
    EXPECT_TRUE(picture->image.isNull());
    // Refusals leave the result null.
    IIDFromString(u"{00000000-0000-0000-0000-000000000001}", &other);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, other, 0, &picture), E_NOINTERFACE);
    EXPECT_FALSE(picture);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, iid, 0, nullptr), E_POINTER);
    desc.cbSizeofstruct = 16;
    picture = std::make_shared<const PictureObject>();
    EXPECT_EQ(OleCreatePictureIndirect(&desc, iid, 0, &picture), E_INVALIDARG);
    EXPECT_FALSE(picture);
}

} // namespace
