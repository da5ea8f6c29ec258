// The window as created: the folder box on the bundled icons, and Tab
// moving through the focusable controls in tab-index order.
#include "wizard/root.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(Window, StartsOnTheBundledIconsAndTabsInTabIndexOrder)
{
    root w;
    EXPECT_EQ(w.Text2->text(), ResourcePath(QStringLiteral("icons")));
    EXPECT_TRUE(QFileInfo::exists(w.Text2->text() + QStringLiteral("/ordner.dll")))
        << w.Text2->text().toStdString();

    const QStringList expected = { "Text1", "IconFiles", "Text2", "CÖffnen", "CLöschen", "bKopieren",
        "CWeiter", "CZurück", "CCancel" };
    QStringList seen;
    QWidget* now = w.Text1;
    for (int i = 0; i < 100 && (i == 0 || now != w.Text1); ++i, now = now->nextInFocusChain()) {
        if (expected.contains(now->objectName()) && now->focusPolicy() != Qt::NoFocus)
            seen << now->objectName();
    }
    EXPECT_EQ(seen, expected);
}

} // namespace
