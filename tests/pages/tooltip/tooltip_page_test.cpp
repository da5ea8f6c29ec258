// SPDX-License-Identifier: GPL-3.0-or-later
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
    QTest::keyClick(w.Text1, 'q', Qt::AltModifier); // no access key: types nothing
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

// At the limit a typed character is cut away wherever the caret is, also
// over a selection, which stays; Backspace removes the last character.
TEST_F(TooltipPage, AtTheLimitKeysActAtTheEnd)
{
    QString full;
    for (int i = 0; i < 120; ++i)
        full += QChar(u'0' + i % 10);
    // The caret, the selection, the key (nullptr: Backspace), the length afterwards.
    const std::tuple<int, int, const char*, int> cases[]
        = { { 119, 0, "z", 120 }, { 40, 0, "z", 120 }, { 40, 0, nullptr, 119 }, { 10, 30, "z", 120 } };
    for (const auto& [caret, selection, typed, length] : cases) {
        SCOPED_TRACE(caret);
        w.Text1->setText(caret == 119 ? full.left(119) : full);
        w.Text1->setSelStart(caret);
        w.Text1->setSelLength(selection);
        typed ? QTest::keyClicks(w.Text1, typed) : QTest::keyClick(w.Text1, Qt::Key_Backspace);
        EXPECT_EQ(text(), caret == 119 ? full.left(119) + 'z' : full.left(length));
        EXPECT_EQ(std::pair(w.Text1->selStart(), w.Text1->selLength()), std::pair(length, 0));
        EXPECT_EQ(counter(), QString::number(120 - length));
    }
}

} // namespace
