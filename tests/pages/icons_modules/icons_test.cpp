// Icons and IconDateiDialog over the real icon calls, the dialog recorded.
#include "pages/icons/IconDateiDialog.h"
#include "pages/icons/Icons.h"
#include "platform/icons/icon_api.h"
#include "platform/icons/pick_icon_dialog.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

const QString kRed = QStringLiteral(QM_TEST_DATA "/icons/red.ico");
const QString kLibrary = QStringLiteral(QM_TEST_DATA "/icons/library64.dll");

class IconModules : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPickIconDlgHandler([this](HWND, QString& path, UINT capacity, int* index) {
            opened << path + u'|' + QString::number(*index);
            EXPECT_EQ(capacity, 260u);
            if (chosenFile.isEmpty()) return 0;
            path.replace(0, chosenFile.size() + 1, chosenFile + QChar(0));
            *index = chosenIndex;
            return 1;
        });
    }
    void TearDown() override
    {
        setPickIconDlgHandler({});
        EXPECT_EQ(LiveIconHandles(), 0) << "a handle outlived the call";
    }
    // What the replaced dialog was opened on, and what it answers (no file: cancel).
    QStringList opened;
    QString chosenFile;
    int chosenIndex = 0;
};

QRgb centreOf(const StdPicture& p)
{
    return p && !p->image.isNull() ? p->image.pixel(p->image.width() / 2, 8) : 0;
}

TEST_F(IconModules, ModesGiveLargeSmallOrBothAsPicturesThatOutliveTheHandles)
{
    using R = IconPictureResult;
    // Large: the centre of the one picture or of element 1, small: of element 2; 0: shows nothing.
    const std::tuple<int, int, R::Kind, QRgb, QRgb> cases[] = {
        { 0, 0, R::One, 0xFFFF0000, 0 },
        { 1, 0, R::One, 0xFFFF00FF, 0 }, // the 16x16 image is magenta
        { 2, 0, R::Pair, 0xFFFF0000, 0xFFFF00FF },
        { 2, 4, R::Pair, 0, 0 }, // no such icon: pictures that show nothing
        { 5, 0, R::Empty, 0, 0 },
    };
    for (auto [mode, index, kind, large, small] : cases) {
        SCOPED_TRACE(mode);
        QString file = kRed;
        const R r = GetIconPicture(file, index, mode, false, nullptr);
        EXPECT_EQ(r.kind, kind);
        const StdPicture first = r.kind == R::Pair ? r.item(1) : r.picture;
        EXPECT_EQ(bool(first), kind != R::Empty);
        EXPECT_EQ(bool(r.item(2)), kind == R::Pair);
        EXPECT_EQ(centreOf(first), large);
        EXPECT_EQ(centreOf(r.item(2)), small);
    }
    EXPECT_TRUE(opened.isEmpty());
}

// The dialog opens on the name in a 260-character buffer and writes its
// choice over the start: a shorter name must not keep the old name's rest.
TEST_F(IconModules, TheDialogChoosesFileAndIndexOrChangesNothing)
{
    QString file = kRed;
    int index = 0;
    chosenFile = kLibrary;
    chosenIndex = 2;
    EXPECT_EQ(centreOf(GetIconPicture(file, index, 2, true, nullptr).large()), 0xFF0000FFu); // group 7: blue
    EXPECT_EQ(std::pair(file, index), std::pair(kLibrary, 2));
    chosenFile = kRed;
    chosenIndex = 0;
    GetIconPicture(file, index, 2, true, nullptr);
    EXPECT_EQ(std::pair(file, index), std::pair(kRed, 0));
    chosenFile.clear();
    index = 3;
    EXPECT_TRUE(GetIconPicture(file, index, 2, true, nullptr).isEmpty());
    EXPECT_EQ(std::pair(file, index), std::pair(kRed, 3));
    const auto buffer
        = [](const QString& name) { return name + QChar(0) + QString(259 - name.size(), u' '); };
    EXPECT_EQ(opened, QStringList({ buffer(kRed) + "|0", buffer(kLibrary) + "|2", buffer(kRed) + "|3" }));
}

} // namespace
