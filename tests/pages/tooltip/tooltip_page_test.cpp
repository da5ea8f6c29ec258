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
    void fill(int n) { w.Text1->setText(QString(n, QLatin1Char('a'))); }

    root w;
};

TEST_F(TooltipPage, CounterFollowsTypingUpToTheLimit)
{
    EXPECT_EQ(counter(), QStringLiteral("120"));
    QTest::keyClicks(w.Text1, QStringLiteral("Hallo"));
    EXPECT_EQ(counter(), QStringLiteral("115"));
    fill(119);
    EXPECT_EQ(counter(), QStringLiteral("1"));
    w.Text1->setSelStart(119);
    QTest::keyClicks(w.Text1, QStringLiteral("z"));
    EXPECT_EQ(text().size(), 120);
    EXPECT_EQ(counter(), QStringLiteral("0"));
}

TEST_F(TooltipPage, AtTheLimitKeysActAtTheEnd)
{
    struct Case {
        const char* what;
        int caret;
        int selection;
        Qt::Key key;
        const char* typed;
        int length;
        const char* counter;
        QChar last;
    };
    const Case cases[] = {
        { "a typed character is cut away", 40, 0, Qt::Key_unknown, "z", 120, "0", QLatin1Char('9') },
        { "backspace removes the last character", 40, 0, Qt::Key_Backspace, nullptr, 119, "1",
            QLatin1Char('8') },
        { "a selection is not replaced", 10, 30, Qt::Key_unknown, "z", 120, "0", QLatin1Char('9') },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        QString start;
        for (int i = 0; i < 120; ++i)
            start += QChar(u'0' + i % 10);
        w.Text1->setText(start);
        w.Text1->setSelStart(k.caret);
        w.Text1->setSelLength(k.selection);
        if (k.typed)
            QTest::keyClicks(w.Text1, QString::fromLatin1(k.typed));
        else
            QTest::keyClick(w.Text1, k.key);
        EXPECT_EQ(text().size(), k.length);
        EXPECT_EQ(text(), start.left(k.length));
        EXPECT_EQ(text().back(), k.last);
        EXPECT_EQ(w.Text1->selStart(), k.length);
        EXPECT_EQ(w.Text1->selLength(), 0);
        EXPECT_EQ(counter(), QString::fromLatin1(k.counter));
    }
}

TEST_F(TooltipPage, LineBreaksCountTwoAndStayInTheText)
{
    QTest::keyClicks(w.Text1, QStringLiteral("a;b=[c]"));
    QTest::keyClick(w.Text1, Qt::Key_Return);
    QTest::keyClicks(w.Text1, QStringLiteral("d"));
    EXPECT_EQ(text(), QStringLiteral("a;b=[c]\r\nd"));
    EXPECT_EQ(counter(), QStringLiteral("110"));
}

TEST_F(TooltipPage, LongTextsAreCutTheMomentTheyArrive)
{
    w.Text1->setText(QString(500, QLatin1Char('x')));
    EXPECT_EQ(text(), QString(120, QLatin1Char('x')));
    EXPECT_EQ(w.Text1->selStart(), 120);
    EXPECT_EQ(counter(), QStringLiteral("0"));

    w.Text1->setText(QString());
    EXPECT_EQ(counter(), QStringLiteral("120"));
    QApplication::clipboard()->setText(QString(130, QLatin1Char('p')));
    QTest::keyClicks(w.Text1, QStringLiteral("ab"));
    w.Text1->paste();
    EXPECT_EQ(text(), QStringLiteral("ab") + QString(118, QLatin1Char('p')));
    EXPECT_EQ(w.Text1->selStart(), 120);
    EXPECT_EQ(counter(), QStringLiteral("0"));
}

} // namespace
