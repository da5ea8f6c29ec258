// SPDX-License-Identifier: GPL-3.0-or-later
// The icon calls as the wizard uses them, on files made by real tools, and the icon-choice
// dialog driven with real clicks and keys, offscreen.
#include "platform/icons/icon_api.h"
#include "platform/icons/ole_picture.h"
#include "platform/icons/pick_icon_dialog.h"
#include "tests/support/icon_fixtures.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace testing_support;

namespace {

const QString kLibrary = fixture("library64.dll");
const QString kRed = fixture("red.ico");
constexpr UINT kCount = 0xFFFFFFFFu;

class IconCalls : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(LiveIconHandles(), 0) << "a test left a handle behind"; }
    QTemporaryDir dir;
};

// Files made by real tools (make_real_files.sh): the count, then the centre
// of each large icon and no icon past the last; a handle goes once.
TEST_F(IconCalls, ExtractIconCountsExtractsAndReleases)
{
    const std::pair<QString, std::vector<QRgb>> cases[] = {
        { kRed, { 0xFFFF0000 } },
        { fixture("palette.ico"), { 0xFF00FF00 } },
        // ZEBRA (red), 3 (palette: green), 7 (first language German: blue).
        { kLibrary, { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF } },
        { fixture("library32.dll"), { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF } },
        { fixture("make_real_files.sh"), {} },
        { dir.filePath("missing.dll"), {} },
    };
    for (const auto& [file, large] : cases) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(ExtractIconA(0, file, kCount), large.size());
        for (std::size_t i = 0; i <= large.size(); ++i) {
            const HICON icon = ExtractIconA(0, file, UINT(i));
            const QImage image = icons::iconHandleImage(icon);
            EXPECT_EQ(image.valid(16, 16) ? image.pixel(16, 16) : 0, i < large.size() ? large[i] : 0u) << i;
            EXPECT_EQ(DestroyIcon(icon) + DestroyIcon(icon), icon ? 1 : 0);
        }
    }
    // ExtractIconEx counts the icons it gave; a missing icon clears its slot.
    HICON large = 0, small = 0;
    EXPECT_EQ(ExtractIconExA(kRed, 0, &large, &small, 1), 1u);
    EXPECT_EQ(DestroyIcon(large) + DestroyIcon(small), 2);
    EXPECT_EQ(ExtractIconExA(kLibrary, 5, &large, nullptr, 1), 0u);
    EXPECT_EQ(large, 0u);
}

// Rewritten in place, then replaced by another file, with no event in between.
TEST_F(IconCalls, AFileChangedBetweenCallsIsReadAgain)
{
    const QString path = dir.filePath("changing.dll"), other = dir.filePath("other.dll");
    testutil::writeBytes(path, makeIconLibrary(2));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 2u);
    writeFile(dir, "changing.dll", pe_writer::writeIco({ flatImage(16, 0x333333) }));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 1u);
    testutil::writeBytes(other, makeIconLibrary(3));
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(other, path));
    EXPECT_EQ(ExtractIconA(0, path, kCount), 3u);
}

// An icon is drawn over what is there, so red.ico's half-transparent corner
// blends with the white. The grid's tests show drawing and repainting as such.
TEST_F(IconCalls, DrawIconBlendsWithWhatIsThere)
{
    DrawingSurface surface { QImage(32, 32, QImage::Format_ARGB32_Premultiplied), {} };
    surface.image.fill(Qt::white);
    const HICON red = ExtractIconA(0, kRed, 0);
    EXPECT_EQ(DrawIcon(&surface, 0, 0, red), 1);
    DestroyIcon(red);
    EXPECT_EQ(surface.image.pixel(16, 16), 0xFFFF0000u);
    EXPECT_EQ(qRed(surface.image.pixel(0, 0)), 255);
    EXPECT_NEAR(qGreen(surface.image.pixel(0, 0)), 127, 2);
}

// A surface of another pixel ratio than the screen's is drawn from the entry
// that fits it: exact at 1x and 1.5x, the next larger scaled down at 1.25x and
// 2x, the largest scaled up when none is larger. Sizes and places are logical.
TEST_F(IconCalls, DrawIconTakesTheEntryThatFitsTheSurfacesRatio)
{
    const QString five = writeFile(dir, "sizes.ico",
        pe_writer::writeIco({ flatImage(16, 0x111111), flatImage(32, 0xAA0000), flatImage(48, 0x00AA00),
            { 256, 256, 32, 0, pngOf(256, 256, 0xFF0000AA) } }));
    const QString two = writeFile(
        dir, "two.ico", pe_writer::writeIco({ flatImage(16, 0x111111), flatImage(32, 0xAA0000) }));
    const std::tuple<QString, qreal, QRgb> cases[] = {
        { five, 1.0, 0xFFAA0000 },
        { five, 1.5, 0xFF00AA00 },
        { five, 1.25, 0xFF00AA00 },
        { five, 2.0, 0xFF0000AA },
        { two, 2.0, 0xFFAA0000 },
    };
    for (const auto& [file, ratio, colour] : cases) {
        SCOPED_TRACE(ratio);
        DrawingSurface surface { QImage(QSize(34, 34) * ratio, QImage::Format_ARGB32_Premultiplied), {} };
        surface.image.setDevicePixelRatio(ratio);
        surface.image.fill(Qt::white);
        const HICON icon = ExtractIconA(0, file, 0);
        EXPECT_EQ(DrawIcon(&surface, 1, 1, icon), 1);
        DestroyIcon(icon);
        const int first = qRound(ratio), last = qRound(33 * ratio) - 1;
        EXPECT_EQ(surface.image.devicePixelRatio(), ratio);
        EXPECT_EQ(surface.image.pixel(first, last), colour);
        EXPECT_EQ(surface.image.pixel(last, first), colour);
        EXPECT_EQ(surface.image.pixel(last + 1, last + 1), 0xFFFFFFFFu);
        EXPECT_EQ(surface.image.pixel(first - 1, first), 0xFFFFFFFFu);
    }
}

// A picture made without ownership keeps its own image (the modules' tests
// show it); one that owns its handle releases it with itself.
TEST_F(IconCalls, PictureOwnsTheHandleOnlyWhenAsked)
{
    IID iid {}, other {};
    ASSERT_EQ(IIDFromString(u"{7bf80981-BF32-101a-8BBB-00AA00300CAB}", &iid), S_OK); // any case
    EXPECT_EQ(IIDFromString(u"{7BF8098G-BF32-101A-8BBB-00AA00300CAB}", &other), CO_E_IIDSTRING);
    PICTDESC desc { sizeof(PICTDESC), PICTYPE_ICON, std::uint32_t(ExtractIconA(0, kRed, 0)), { 0, 0 } };
    StdPicture owned, picture;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, iid, 1, &owned), S_OK);
    EXPECT_EQ(LiveIconHandles(), 1);
    owned.reset(); // the owned handle goes with the picture
    EXPECT_EQ(OleCreatePictureIndirect(&desc, other, 0, &picture), E_NOINTERFACE);
    EXPECT_FALSE(picture);
}

void clickItem(PickIconDialog& d, int row, bool twice = false)
{
    QListWidget* list = d.iconList();
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    // As the system delivers a double click: a click, then the press that makes it double.
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// OK confirms a click, a double click means OK, cancel rejects; a file typed
// is loaded by Enter or by OK while the dialog stays open, and Browse asks the chooser.
TEST(PickIcon, ChoosesFromTheFileGivenTypedOrBrowsed)
{
    PickIconDialog d;
    d.setFile(kLibrary);
    d.setIndex(2);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(3, 2));
    clickItem(d, 1);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.result(), d.index()), std::pair(int(QDialog::Accepted), 1));
    d.show();
    clickItem(d, 0, true);
    EXPECT_EQ(std::pair(d.result(), d.index()), std::pair(int(QDialog::Accepted), 0));
    d.show();
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    d.show();
    // A file without icons: nothing to choose, so OK is off and Return in the list does nothing.
    d.fileEdit()->setText(fixture("make_real_files.sh"));
    QTest::keyClick(d.fileEdit(), Qt::Key_Return);
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(0, -1));
    EXPECT_FALSE(d.okButton()->isEnabled());
    QTest::keyClick(d.iconList(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    d.fileEdit()->setText(kLibrary);
    QTest::keyClick(d.fileEdit(), Qt::Key_Enter);
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(3, 0));
    QString seen;
    setIconFileChooser([&](QWidget* parent, const QString& current) {
        seen = parent == &d ? current : QString();
        return QString();
    });
    QTest::mouseClick(d.browseButton(), Qt::LeftButton);
    setIconFileChooser({});
    EXPECT_EQ(seen, kLibrary);
    EXPECT_EQ(d.fileEdit()->text(), kLibrary) << "a cancelled chooser changes nothing";
    d.fileEdit()->setText(kRed);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.isVisible(), d.iconList()->count()), std::pair(true, 1));
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.result(), d.file()), std::pair(int(QDialog::Accepted), kRed));
}

// PickIconDlg runs the real dialog; the runner clicks instead of a modal loop. The choice is
// written over the start of the buffer, cut to its capacity; cancel changes nothing.
TEST(PickIconDlgCall, WritesTheChoiceOverTheBufferStartOrChangesNothing)
{
    QString opened;
    int row = 2, index = 1;
    bool ok = true;
    setPickIconDialogRunner([&](PickIconDialog& d) {
        opened = d.fileEdit()->text() + u'|' + QString::number(d.index());
        d.setFile(kLibrary);
        d.show();
        d.iconList()->setCurrentRow(row);
        QTest::mouseClick(ok ? d.okButton() : d.cancelButton(), Qt::LeftButton);
        return d.result();
    });
    const QString full = (kLibrary + QChar(0)).leftJustified(300, u' ');
    QString buffer = full;
    EXPECT_NE(PickIconDlg(nullptr, buffer, 300, &index), 0);
    EXPECT_EQ(std::pair(opened, index), std::pair(kLibrary + "|1", 2));
    EXPECT_EQ(buffer, full);
    QString small = QStringLiteral("x.ico") + QChar(0) + QStringLiteral("    ");
    EXPECT_NE(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(small, kLibrary.left(9) + QChar(0));
    row = 1;
    ok = false;
    EXPECT_EQ(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(std::pair(small, index), std::pair(kLibrary.left(9) + QChar(0), 2));
    setPickIconDialogRunner({});
}

} // namespace
