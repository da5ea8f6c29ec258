// SPDX-License-Identifier: GPL-3.0-or-later
// Icons and IconDateiDialog over the real icon calls, the dialog recorded.
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
            opened << path + u'|' + QString::number(*index) + u'|' + QString::number(capacity);
            path.replace(0, kRed.size() + 1, kRed + QChar(0));
            *index = 0;
            return 1;
        });
    }
    void TearDown() override
    {
        setPickIconDlgHandler({});
        EXPECT_EQ(LiveIconHandles(), 0) << "a handle outlived the call";
    }
    QStringList opened; // the dialog, replaced, always chooses red.ico's icon 0
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
// choice over the start: the shorter name must not keep the old name's rest.
// The grid's tests show a choice and a cancel as the page shows them.
TEST_F(IconModules, TheDialogOpensOnTheNameAndItsChoiceEndsAtTheNul)
{
    QString file = kLibrary;
    int index = 2;
    EXPECT_EQ(centreOf(GetIconPicture(file, index, 2, true, nullptr).large()), 0xFFFF0000u);
    EXPECT_EQ(std::pair(file, index), std::pair(kRed, 0));
    EXPECT_EQ(opened, QStringList({ (kLibrary + QChar(0)).leftJustified(260, u' ') + "|2|260" }));
}

} // namespace
