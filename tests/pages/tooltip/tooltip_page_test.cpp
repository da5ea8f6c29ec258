// The tooltip box keeps at most 120 characters and counts down what is left,
// driven with real key events.
#include "wizard/root.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TooltipPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.PSet1->setVisible(false);
        w.PSet3->setVisible(false);
        w.show();
        QApplication::setActiveWindow(&w);
        w.Text1->setFocus();
    }
    QString text() const { return w.Text1->text(); }
    QString counter() const { return w.LLänge->caption(); }

    root w;
};

// Typed, pasted or set: the text is cut to 120 the moment it arrives, line
// breaks count two, and the caret ends after the text.
TEST_F(TooltipPage, TextsArriveCutAndCounted)
{
    EXPECT_EQ(counter(), "120");
    QTest::keyClicks(w.Text1, "a;b=[c]");
    QTest::keyClick(w.Text1, Qt::Key_Return);
    QTest::keyClicks(w.Text1, "d");
    EXPECT_EQ(text(), "a;b=[c]\r\nd");
    EXPECT_EQ(counter(), "110");

    w.Text1->setText(QString(500, 'x'));
    EXPECT_EQ(text(), QString(120, 'x'));
    EXPECT_EQ(w.Text1->selStart(), 120);
    EXPECT_EQ(counter(), "0");

    w.Text1->setText(QString());
    QApplication::clipboard()->setText(QString(130, 'p'));
    QTest::keyClicks(w.Text1, "ab");
    w.Text1->paste();
    EXPECT_EQ(text(), "ab" + QString(118, 'p'));
    EXPECT_EQ(w.Text1->selStart(), 120);
    EXPECT_EQ(counter(), "0");
}

TEST_F(TooltipPage, AtTheLimitKeysActAtTheEnd)
{
    const struct {
        const char* what;
        int caret;
        int selection;
        const char* typed; // nullptr: Backspace
        int length;
        const char* counter;
    } cases[] = {
        { "one below the limit", 119, 0, "z", 120, "0" },
        { "a typed character is cut away", 40, 0, "z", 120, "0" },
        { "backspace removes the last character", 40, 0, nullptr, 119, "1" },
        { "a selection is not replaced", 10, 30, "z", 120, "0" },
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        QString start;
        for (int i = 0; i < 120; ++i)
            start += QChar(u'0' + i % 10);
        const QString want = k.caret == 119 ? start.left(119) + 'z' : start.left(k.length);
        w.Text1->setText(k.caret == 119 ? start.left(119) : start);
        w.Text1->setSelStart(k.caret);
        w.Text1->setSelLength(k.selection);
        k.typed ? QTest::keyClicks(w.Text1, k.typed) : QTest::keyClick(w.Text1, Qt::Key_Backspace);
        EXPECT_EQ(text(), want);
        EXPECT_EQ(w.Text1->selStart(), k.length);
        EXPECT_EQ(w.Text1->selLength(), 0);
        EXPECT_EQ(counter(), k.counter);
    }
}

} // namespace
