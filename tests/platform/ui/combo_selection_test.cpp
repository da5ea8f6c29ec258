// The combo box's edit selection, SelStart and SelLength, across a change
// of the focus.
#include "platform/ui/toolkit.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ComboSelection, SelectionSurvivesTheFocusLeaving)
{
    ui::Form w(QStringLiteral("w"));
    w.setClientTwips(6000, 4500);
    auto* box = new ui::ComboBox(QStringLiteral("box"), &w);
    box->setTwips(0, 0, 3000, 330);
    auto* button = new ui::CommandButton(QStringLiteral("b"), &w);
    button->setTwips(0, 600, 1000, 400);
    w.show();
    QApplication::setActiveWindow(&w);

    struct Case {
        int start;
        int length;
    };
    const Case cases[] = { { 0, 9 }, { 2, 3 }, { 4, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start * 100 + c.length);
        box->setFocus();
        box->setText(QStringLiteral("/a/b/c/d/"));
        box->setSelStart(c.start);
        box->setSelLength(c.length);
        button->setFocus();
        ASSERT_FALSE(box->hasFocus());
        EXPECT_EQ(box->selStart(), c.start);
        EXPECT_EQ(box->selLength(), c.length);
    }
}

} // namespace
