// The icon calls as the wizard uses them: counts, handles, drawing, and the
// picture objects made from handles.
#include "platform/icons/icon_api.h"
#include "platform/icons/ole_picture.h"
#include "tests/platform/icons/icon_test_util.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kLibrary = icon_test::fixture("library64.dll");
const QString kRed = icon_test::fixture("red.ico");
constexpr UINT kCount = 0xFFFFFFFFu;

class IconCalls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LiveIconHandles(), 0); }
    void TearDown() override { EXPECT_EQ(LiveIconHandles(), 0) << "a test left a handle behind"; }
    QTemporaryDir dir;
};

TEST_F(IconCalls, ExtractIconCountsAndExtracts)
{
    const QString text = icon_test::writeFile(dir, "notes.dll", { 'n', 'o', '\n' });
    struct Case {
        QString file;
        HICON count;
    };
    const Case cases[] = { { kLibrary, 3 }, { kRed, 1 }, { text, 0 }, { dir.filePath("missing.dll"), 0 } };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractIconA(0, c.file, kCount), c.count) << c.file.toStdString();

    const HICON icon = ExtractIconA(0, kLibrary, 2);
    ASSERT_NE(icon, 0u);
    EXPECT_EQ(LiveIconHandles(), 1);
    const QImage image = icons::iconHandleImage(icon);
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(5, 5), 0xFF0000FFu);
    EXPECT_EQ(DestroyIcon(icon), 1);
    EXPECT_EQ(DestroyIcon(icon), 0);
    EXPECT_EQ(DestroyIcon(0), 0);

    EXPECT_EQ(ExtractIconA(0, kLibrary, 3), 0u); // one past the last icon
    EXPECT_EQ(ExtractIconA(0, text, 0), 0u);
    // A negative index names the group by resource id: 7 is the third.
    const HICON byId = ExtractIconA(0, kLibrary, UINT(-7));
    EXPECT_EQ(icons::iconHandleImage(byId).pixel(5, 5), 0xFF0000FFu);
    DestroyIcon(byId);
    EXPECT_EQ(ExtractIconA(0, kLibrary, UINT(-99)), 0u);
}

TEST_F(IconCalls, AFileChangedBetweenCallsIsReadAgain)
{
    pe_writer::PeWriter two;
    two.addIconGroup(1, { icon_test::flatImage(32, 0x111111) });
    two.addIconGroup(2, { icon_test::flatImage(32, 0x222222) });
    const QString path = icon_test::writeFile(dir, "changing.dll", two.build());
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
    // Rewritten in place, then replaced by another file, with no event in between.
    icon_test::writeFile(dir, "changing.dll", pe_writer::writeIco({ icon_test::flatImage(16, 0x333333) }));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 1u);
    const QString other = icon_test::writeFile(dir, "other.dll", two.build());
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
    EXPECT_EQ(icons::iconHandleImage(large).size(), QSize(32, 32));
    EXPECT_EQ(icons::iconHandleImage(large).pixel(16, 16), 0xFFFF0000u);
    EXPECT_EQ(icons::iconHandleImage(small).size(), QSize(16, 16));
    EXPECT_EQ(icons::iconHandleImage(small).pixel(8, 8), 0xFFFF00FFu);
    DestroyIcon(large);
    DestroyIcon(small);

    EXPECT_EQ(ExtractIconExA(kRed, 0, nullptr, &small, 1), 1u);
    EXPECT_EQ(LiveIconHandles(), 1);
    DestroyIcon(small);

    // Two icons from index 1: the second and third group; a third slot stays empty.
    HICON many[3] = { 1, 1, 1 };
    EXPECT_EQ(ExtractIconExA(kLibrary, 1, many, nullptr, 3), 2u);
    EXPECT_NE(many[0], 0u);
    EXPECT_NE(many[1], 0u);
    EXPECT_EQ(many[2], 0u);
    DestroyIcon(many[0]);
    DestroyIcon(many[1]);

    EXPECT_EQ(ExtractIconExA(kLibrary, -1, nullptr, nullptr, 0), 3u);
    large = 1;
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

    const HICON red = ExtractIconA(0, kRed, 0);
    EXPECT_EQ(DrawIcon(&surface, 1, 1, red), 1);
    DestroyIcon(red);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(surface.image.pixel(0, 0), 0xFFFFFFFFu); // outside the icon
    EXPECT_EQ(surface.image.pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(surface.image.pixel(32, 32), 0xFFFF0000u);
    EXPECT_EQ(surface.image.pixel(33, 33), 0xFFFFFFFFu);
    // The half-transparent corner pixel blends with the white below.
    const QColor corner = surface.image.pixelColor(1, 1);
    EXPECT_EQ(corner.red(), 255);
    EXPECT_NEAR(corner.green(), 127, 2);

    // A small icon is drawn at the large size too.
    HICON small = 0;
    ExtractIconExA(kRed, 0, nullptr, &small, 1);
    surface.image.fill(Qt::white);
    EXPECT_EQ(DrawIcon(&surface, 0, 0, small), 1);
    DestroyIcon(small);
    EXPECT_EQ(surface.image.pixel(31, 31), 0xFFFF00FFu);
    EXPECT_EQ(surface.image.pixel(32, 32), 0xFFFFFFFFu);
}

IID pictureIid()
{
    IID iid {};
    EXPECT_EQ(IIDFromString(QStringLiteral("{7BF80981-BF32-101A-8BBB-00AA00300CAB}"), &iid), S_OK);
    return iid;
}

TEST_F(IconCalls, IidFromStringParsesOnlyTheBracedForm)
{
    IID iid {};
    ASSERT_EQ(IIDFromString(u"{7bf80981-BF32-101a-8BBB-00AA00300CAB}", &iid), S_OK);
    EXPECT_EQ(iid.Data1, 0x7BF80981u);
    EXPECT_EQ(iid.Data2, 0xBF32);
    EXPECT_EQ(iid.Data3, 0x101A);
    const std::uint8_t tail[8] = { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB };
    EXPECT_EQ(std::memcmp(iid.Data4, tail, 8), 0);

    const char16_t* bad[] = {
        u"7BF80981-BF32-101A-8BBB-00AA00300CAB",
        u"{7BF80981-BF32-101A-8BBB-00AA00300CA}",
        u"{7BF80981-BF32-101A-8BBB-00AA00300CABB}",
        u"{7BF80981BBF32-101A-8BBB-00AA00300CAB}",
        u"{7BF8098G-BF32-101A-8BBB-00AA00300CAB}",
        u"{7BF80981-BF32-101A-8BBB-00AA00300CA }",
        u"",
    };
    for (const char16_t* text : bad) {
        IID untouched { 1, 2, 3, { 4 } };
        EXPECT_EQ(IIDFromString(std::u16string(text), &untouched), CO_E_IIDSTRING);
        EXPECT_EQ(untouched.Data1, 1u);
    }
}

TEST_F(IconCalls, PictureKeepsItsOwnImageAndOwnsTheHandleOnlyWhenAsked)
{
    const HICON icon = ExtractIconA(0, kRed, 0);
    PICTDESC desc { sizeof(PICTDESC), PICTYPE_ICON, std::uint32_t(icon), { 0, 0 } };
    StdPicture picture;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, pictureIid(), 0, &picture), S_OK);
    DestroyIcon(icon);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image.size(), QSize(32, 32));
    EXPECT_EQ(picture->image.pixel(16, 16), 0xFFFF0000u);

    // Owned: the handle goes with the last reference.
    desc.hicon = std::uint32_t(ExtractIconA(0, kRed, 0));
    StdPicture owned;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, pictureIid(), 1, &owned), S_OK);
    StdPicture second = owned;
    owned.reset();
    EXPECT_EQ(LiveIconHandles(), 1);
    second.reset();
    EXPECT_EQ(LiveIconHandles(), 0);

    // No handle: an empty picture.
    desc.hicon = 0;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, pictureIid(), 1, &picture), S_OK);
    EXPECT_TRUE(picture->image.isNull());
}

TEST_F(IconCalls, PictureRefusals)
{
    PICTDESC desc { sizeof(PICTDESC), PICTYPE_ICON, 0, { 0, 0 } };
    StdPicture picture = std::make_shared<const PictureObject>();
    IID other {};
    IIDFromString(u"{00000000-0000-0000-0000-000000000001}", &other);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, other, 0, &picture), E_NOINTERFACE);
    EXPECT_FALSE(picture);
    EXPECT_EQ(OleCreatePictureIndirect(&desc, pictureIid(), 0, nullptr), E_POINTER);
    PICTDESC wrongSize = desc;
    wrongSize.cbSizeofstruct = 16;
    EXPECT_EQ(OleCreatePictureIndirect(&wrongSize, pictureIid(), 0, &picture), E_INVALIDARG);
    PICTDESC bitmap = desc;
    bitmap.picType = 1;
    EXPECT_EQ(OleCreatePictureIndirect(&bitmap, pictureIid(), 0, &picture), E_INVALIDARG);
    EXPECT_FALSE(picture);
}

} // namespace
