// The modules Icons and IconDateiDialog over the real icon calls, with the
// icon-choice dialog replaced by a recorder.
#include "pages/icons/IconDateiDialog.h"
#include "pages/icons/Icons.h"
#include "platform/icons/icon_api.h"
#include "platform/icons/pick_icon_dialog.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

const QString kRed = QStringLiteral(QM_TEST_DATA "/icons/red.ico");
const QString kLibrary = QStringLiteral(QM_TEST_DATA "/icons/library64.dll");

// What the replaced dialog saw, and what it answers.
struct DialogRecorder {
    int calls = 0;
    QString buffer;
    UINT capacity = 0;
    int indexIn = 0;
    bool confirm = true;
    QString chosenFile;
    int chosenIndex = 0;
};

class IconModules : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPickIconDlgHandler([this](HWND, QString& path, UINT capacity, int* index) {
            ++dialog.calls;
            dialog.buffer = path;
            dialog.capacity = capacity;
            dialog.indexIn = *index;
            if (!dialog.confirm) return 0;
            path.replace(0, dialog.chosenFile.size() + 1, dialog.chosenFile + QChar(0));
            *index = dialog.chosenIndex;
            return 1;
        });
    }
    void TearDown() override
    {
        setPickIconDlgHandler({});
        EXPECT_EQ(LiveIconHandles(), 0) << "a handle outlived the call";
    }
    DialogRecorder dialog;
};

QRgb centreOf(const StdPicture& p)
{
    return p && !p->image.isNull() ? p->image.pixel(p->image.width() / 2, 8) : 0;
}

TEST_F(IconModules, ModesGiveLargeSmallOrBoth)
{
    struct Case {
        int mode;
        IconPictureResult::Kind kind;
        QSize size; // of the one picture, or of element 1
    };
    const Case cases[] = {
        { 0, IconPictureResult::One, QSize(32, 32) },
        { 1, IconPictureResult::One, QSize(16, 16) },
        { 2, IconPictureResult::Pair, QSize(32, 32) },
        { 5, IconPictureResult::Empty, QSize() },
        { -1, IconPictureResult::Empty, QSize() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        QString file = kRed;
        int index = 0;
        const IconPictureResult r = GetIconPicture(file, index, c.mode, false, nullptr);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(LiveIconHandles(), 0);
        if (c.kind == IconPictureResult::One) {
            ASSERT_TRUE(r.picture);
            EXPECT_EQ(r.picture->image.size(), c.size);
        }
        if (c.kind == IconPictureResult::Pair) {
            // Drawable after every handle is gone: large red, small magenta.
            EXPECT_EQ(r.item(1)->image.size(), QSize(32, 32));
            EXPECT_EQ(centreOf(r.item(1)), 0xFFFF0000u);
            EXPECT_EQ(r.item(2)->image.size(), QSize(16, 16));
            EXPECT_EQ(centreOf(r.item(2)), 0xFFFF00FFu);
            EXPECT_FALSE(r.item(3));
        }
    }
    EXPECT_EQ(dialog.calls, 0);
}

TEST_F(IconModules, AnIndexTheFileLacksGivesPicturesThatShowNothing)
{
    QString file = kRed;
    int index = 4;
    const IconPictureResult r = GetIconPicture(file, index, 2, false, nullptr);
    ASSERT_TRUE(r.isPair());
    ASSERT_TRUE(r.large());
    ASSERT_TRUE(r.small());
    EXPECT_TRUE(r.large()->image.isNull());
    EXPECT_TRUE(r.small()->image.isNull());
}

TEST_F(IconModules, ConfirmedDialogChoosesFileAndIndex)
{
    dialog.chosenFile = kLibrary;
    dialog.chosenIndex = 2;
    QString file = kRed;
    int index = 0;
    const IconPictureResult r = GetIconPicture(file, index, 2, true, nullptr);
    EXPECT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.capacity, 260u);
    EXPECT_EQ(file, kLibrary);
    EXPECT_EQ(index, 2);
    ASSERT_TRUE(r.isPair());
    EXPECT_EQ(centreOf(r.large()), 0xFF0000FFu); // group 7 of the library is blue

    // Another mode after a confirmed dialog: empty, but the choice is kept.
    file = kRed;
    index = 0;
    EXPECT_TRUE(GetIconPicture(file, index, 7, true, nullptr).isEmpty());
    EXPECT_EQ(file, kLibrary);
    EXPECT_EQ(index, 2);
}

TEST_F(IconModules, CancelledDialogGivesNothingAndChangesNothing)
{
    dialog.confirm = false;
    QString file = kRed;
    int index = 3;
    EXPECT_TRUE(GetIconPicture(file, index, 2, true, nullptr).isEmpty());
    EXPECT_EQ(dialog.indexIn, 3);
    EXPECT_EQ(file, kRed);
    EXPECT_EQ(index, 3);
}

TEST_F(IconModules, DialogBufferHolds260Characters)
{
    struct Case {
        const char* name;
        int length;
        bool nulAt; // the name is followed by a NUL in the buffer
    };
    const Case cases[]
        = { { "short", 20, true }, { "259", 259, true }, { "260", 260, false }, { "300", 300, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.confirm = false;
        QString file(c.length, QLatin1Char('a'));
        int index = 1;
        EXPECT_FALSE(ShowIconDialog(file, index, nullptr));
        ASSERT_EQ(dialog.buffer.size(), 260);
        EXPECT_EQ(dialog.buffer.left(std::min(c.length, 260)), file.left(260));
        if (c.nulAt) {
            EXPECT_EQ(dialog.buffer[c.length], QChar(0));
            EXPECT_EQ(dialog.buffer.mid(c.length + 1), QString(259 - c.length, QLatin1Char(' ')));
        } else {
            EXPECT_EQ(dialog.buffer.indexOf(QChar(0)), -1);
        }
        EXPECT_EQ(file.size(), c.length); // unchanged on cancel
    }

    // On OK the name ends at the first NUL, without the buffer's blanks.
    dialog.confirm = true;
    dialog.chosenFile = QStringLiteral("/icons/b.dll");
    dialog.chosenIndex = 42;
    QString file = QStringLiteral("/a/much/longer/name/than/the/chosen/one.ico");
    int index = 0;
    EXPECT_TRUE(ShowIconDialog(file, index, nullptr));
    EXPECT_EQ(file, QStringLiteral("/icons/b.dll"));
    EXPECT_EQ(index, 42);
}

TEST_F(IconModules, IconToPictureRefusesOtherTypesAndOwnsWhenAsked)
{
    const HICON icon = ExtractIconA(0, kRed, 0);
    EXPECT_FALSE(IconToPicture(icon, 1, false)); // a bitmap type: refused
    StdPicture owned = IconToPicture(icon, 3, true);
    ASSERT_TRUE(owned);
    EXPECT_EQ(owned->image.size(), QSize(32, 32));
    EXPECT_EQ(LiveIconHandles(), 1);
    owned.reset();
    EXPECT_EQ(LiveIconHandles(), 0);
}

} // namespace
