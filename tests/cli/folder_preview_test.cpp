// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of a folder as Explorer shows it: in each view the icon Windows picks for
// that size, the plain folder where Windows shows none of its own, a placeholder for an
// icon only Windows finds, and the tooltip only where Windows shows it.
#include "cli/folder_preview.h"
#include "tests/support/icon_fixtures.h"

namespace {

TEST(FolderPreview, DrawsTheIconWindowsPicksAndTheTooltipWhereShown)
{
    QTemporaryDir tmp;
    const QString ico = tmp.filePath("rot.ico");
    testutil::writeBytes(ico, testing_support::makeSolidIco(Qt::red));
    const QRgb red = 0xffff0000, folder = 0xffffd86a, white = 0xffffffff, frame = 0xff5a5a5a;
    const struct {
        const char* what;
        const char *tooltip, *iconFile;
        bool iconFound;
        const char* reasonCode;
        QRgb corner, centre; // 0: any
        bool tooltipDrawn;
    } rows[] = {
        { "icon", "Hallo", "rot.ico", true, "", red, red, true },
        { "tooltip alone", "Hallo", "", false, "", white, folder, true },
        { "not shown", "Hallo", "rot.ico", true, "folder-not-marked", white, folder, false },
        { "only Windows finds it", "", "%SystemRoot%\\system32\\imageres.dll", false, "", frame, 0, false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FolderView view;
        view.folder = tmp.path();
        view.tooltip = row.tooltip;
        view.iconFile = row.iconFile;
        view.iconPath = row.iconFound ? ico : "";
        view.iconIndex = "0";
        view.reasonCode = row.reasonCode;
        view.reason = *row.reasonCode ? "nicht markiert" : "";
        const QImage picture = FolderPreview(view).convertToFormat(QImage::Format_ARGB32);
        for (int i = 0; i < int(std::size(kPreviewViews)); ++i) {
            const QRect at = PreviewIconRect(i);
            EXPECT_EQ(picture.pixel(at.topLeft()), row.corner) << kPreviewViews[i].name;
            if (row.centre) {
                EXPECT_EQ(picture.pixel(at.center()), row.centre) << kPreviewViews[i].name;
            }
        }
        EXPECT_EQ(picture.pixel(PreviewTooltipCorner()) != white, row.tooltipDrawn);
    }
}

} // namespace
