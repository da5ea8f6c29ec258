// The toolkit behaviours the window's handlers rely on.
#include "platform/app.h"
#include "platform/ui/toolkit.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Window : ui::Form {
    Window()
        : ui::Form(QStringLiteral("w"))
    {
        setClientTwips(6000, 4500);
    }
};

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

TEST(Toolkit, TwipsBecomePixelsAtFifteenToOne)
{
    Window w;
    auto* b = new ui::CommandButton(QStringLiteral("b"), &w);
    b->setTwips(4815, 4815, 1095, 410);
    EXPECT_EQ(b->geometry(), QRect(321, 321, 73, 27));
    EXPECT_EQ(b->twips(), QRect(4815, 4815, 1095, 410));
    EXPECT_EQ(w.size(), QSize(400, 300));
    EXPECT_EQ(w.control(QStringLiteral("b")), b);
}

TEST(Toolkit, ComboSelectionRunsClickButSettingTextDoesNot)
{
    Window w;
    auto* c = new ui::ComboBox(QStringLiteral("c"), &w);
    int clicks = 0;
    c->Click = [&] { ++clicks; };
    c->AddItem(QStringLiteral("/a"));
    c->AddItem(QStringLiteral("/b"));
    c->setText(QStringLiteral("typed"));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(c->text(), QStringLiteral("typed"));
    EXPECT_EQ(c->listIndex(), -1);
    EXPECT_TRUE(c->setListIndex(1));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(c->text(), QStringLiteral("/b"));
    EXPECT_TRUE(c->setListIndex(-1));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(c->setListIndex(2));
    c->Clear();
    EXPECT_EQ(c->listCount(), 0);
    EXPECT_EQ(c->text(), QStringLiteral("/b")) << "clearing the items keeps the text";
}

TEST(Toolkit, ComboFindMessagesIgnoreCaseAndWrapAround)
{
    Window w;
    auto* c = new ui::ComboBox(QStringLiteral("c"), &w);
    for (const char* item : { "/icons", "/Icons/more", "/other", "/ICONS" })
        c->AddItem(QString::fromLatin1(item));
    int clicks = 0;
    c->Click = [&] { ++clicks; };
    struct Case {
        UINT message;
        WPARAM start;
        const char* text;
        LRESULT expected;
    };
    const Case cases[] = {
        { ui::CB_FINDSTRINGEXACT, WPARAM(-1), "/IcOnS", 0 },
        { ui::CB_FINDSTRINGEXACT, 0, "/icons", 3 }, // starts after item 0
        { ui::CB_FINDSTRINGEXACT, 3, "/icons", 0 }, // wraps around
        { ui::CB_FINDSTRINGEXACT, WPARAM(-1), "/icon", ui::CB_ERR },
        { ui::CB_FINDSTRING, 0, "/icons", 1 },
        { ui::CB_FINDSTRING, WPARAM(-1), "/x", ui::CB_ERR },
    };
    for (const Case& k : cases)
        EXPECT_EQ(ui::SendMessageA(c->hWnd(), k.message, k.start, QString::fromLatin1(k.text)), k.expected)
            << k.text;
    EXPECT_EQ(clicks, 0) << "finding selects nothing";
    EXPECT_EQ(ui::SendMessageA(c->hWnd(), ui::CB_SELECTSTRING, WPARAM(-1), QStringLiteral("/oth")), 2);
    EXPECT_EQ(c->listIndex(), 2);
    EXPECT_EQ(clicks, 1);
}

TEST(Toolkit, CheckBoxValueChangeRunsClick)
{
    Window w;
    auto* b = new ui::CheckBox(QStringLiteral("k"), &w);
    int clicks = 0;
    b->Click = [&] { ++clicks; };
    b->setValue(1);
    b->setValue(1);
    b->setValue(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(b->value(), 0);
}

TEST(Toolkit, FileListFolderPatternAndSelection)
{
    QTemporaryDir dir;
    for (const char* name : { "b.ICO", "a.dll", "c.exe", "notes.txt", "Z.ico" })
        touch(dir.filePath(QString::fromLatin1(name)));
    Window w;
    auto* list = new ui::FileListBox(QStringLiteral("f"), &w);
    int clicks = 0;
    list->Click = [&] { ++clicks; };
    list->setPattern(QStringLiteral("*.ico;*.exe;*.dll"));
    ASSERT_TRUE(list->setPath(dir.path() + QStringLiteral("/")));
    EXPECT_EQ(list->path(), dir.path());
    ASSERT_EQ(list->listCount(), 4);
    EXPECT_EQ(list->list(0), QStringLiteral("a.dll"));
    EXPECT_EQ(list->list(1), QStringLiteral("b.ICO"));
    EXPECT_EQ(list->list(3), QStringLiteral("Z.ico"));
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(clicks, 0);

    EXPECT_TRUE(list->setListIndex(1));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->fileName(), QStringLiteral("b.ICO"));
    // The folder already listed changes nothing; a missing one fails.
    EXPECT_TRUE(list->setPath(dir.path()));
    EXPECT_EQ(list->listIndex(), 1);
    EXPECT_FALSE(list->setPath(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(list->setPath(dir.filePath(QStringLiteral("a.dll"))));
    EXPECT_EQ(list->path(), dir.path());
    // A narrower pattern keeps the selected file while it is listed.
    list->setPattern(QStringLiteral("*.ico"));
    EXPECT_EQ(list->fileName(), QStringLiteral("b.ICO"));
    list->setPattern(QStringLiteral("*.dll"));
    EXPECT_EQ(list->listIndex(), -1);
    list->setPattern(QStringLiteral("*.ico;*.exe;*.dll"));
    list->setFileName(QStringLiteral("c.exe"));
    EXPECT_EQ(list->fileName(), QStringLiteral("c.exe"));
    list->setFileName(QStringLiteral("C.EXE"));
    EXPECT_EQ(list->listIndex(), -1) << "file names are selected exactly";
    EXPECT_EQ(clicks, 2);
}

TEST(Toolkit, TextBoxHoldsLineBreaksAsTwoCharacters)
{
    Window w;
    auto* t = new ui::TextBox(QStringLiteral("t"), &w, true);
    int changes = 0;
    t->Change = [&] { ++changes; };
    w.show();
    t->setFocus();
    QTest::keyClicks(t, QStringLiteral("ab"));
    QTest::keyClick(t, Qt::Key_Return);
    QTest::keyClicks(t, QStringLiteral("c"));
    EXPECT_EQ(t->text(), QStringLiteral("ab\r\nc"));
    EXPECT_EQ(t->selStart(), 5);
    EXPECT_EQ(changes, 4);
    t->setText(QStringLiteral("ab\r\nc"));
    EXPECT_EQ(changes, 4) << "the same text is no change";
    t->setText(QStringLiteral("x\r\ny"));
    EXPECT_EQ(changes, 5);
    t->setSelStart(3);
    t->setSelLength(1);
    EXPECT_EQ(t->selText(), QStringLiteral("y"));
    // Positions between the two characters of a line break fall before it.
    EXPECT_EQ(ui::TextBox::toEditor(QStringLiteral("x\r\ny"), 2), 1);
    EXPECT_EQ(ui::TextBox::toHeld(QStringLiteral("x\r\ny"), 2), 3);
}

TEST(Toolkit, KeyHandlerSeesTheKeyFirstAndMaySwallowIt)
{
    Window w;
    auto* t = new ui::TextBox(QStringLiteral("t"), &w, true);
    std::vector<int> seen;
    t->KeyPress = [&](int& key) {
        seen.push_back(key);
        if (key == 'x') key = 0;
        if (key == 'a') key = 'b';
    };
    w.show();
    t->setFocus();
    QTest::keyClicks(t, QStringLiteral("xay"));
    QTest::keyClick(t, Qt::Key_Backspace);
    EXPECT_EQ(seen, (std::vector<int> { 'x', 'a', 'y', 8 }));
    EXPECT_EQ(t->text(), QStringLiteral("b"));
}

TEST(Toolkit, EscapePressesTheCancelButtonOnlyWhileItIsTheCancelButton)
{
    Window w;
    auto* cancel = new ui::CommandButton(QStringLiteral("cancel"), &w);
    auto* box = new ui::ComboBox(QStringLiteral("box"), &w);
    w.setCancelButton(cancel);
    cancel->setCancel(true);
    int pressed = 0;
    std::vector<int> keys;
    cancel->Click = [&] { ++pressed; };
    box->KeyPress = [&](int& key) { keys.push_back(key); };
    w.show();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(keys.empty());
    cancel->setCancel(false);
    QTest::keyClick(box, Qt::Key_Escape);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(keys, (std::vector<int> { 27, 13 }));
}

TEST(Toolkit, FocusFailsOnHiddenOrDisabledControlsAndRunsFocusHandlers)
{
    Window w;
    auto* page = new ui::PictureBox(QStringLiteral("page"), &w);
    page->setTwips(0, 0, 6000, 4000);
    auto* a = new ui::ComboBox(QStringLiteral("a"), page);
    auto* b = new ui::CommandButton(QStringLiteral("b"), &w);
    std::vector<QString> events;
    a->GotFocus = [&] { events.push_back(QStringLiteral("a+")); };
    a->LostFocus = [&] { events.push_back(QStringLiteral("a-")); };
    w.show();
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(a->SetFocus());
    EXPECT_TRUE(b->SetFocus());
    EXPECT_EQ(events, (std::vector<QString> { QStringLiteral("a+"), QStringLiteral("a-") }));
    page->setVisible(false);
    EXPECT_FALSE(a->SetFocus());
    page->setVisible(true);
    page->setEnabled(false);
    EXPECT_FALSE(a->SetFocus());
    EXPECT_TRUE(a->enabled()) << "a control's own flag is not its container's";
}

TEST(Toolkit, PictureBoxDrawingSurvivesUntilCleared)
{
    Window w;
    auto* p = new ui::PictureBox(QStringLiteral("p"), &w);
    p->setTwips(0, 0, 510, 510);
    p->setBorderStyle(1);
    p->setBackColour(Qt::white);
    HDC dc = p->hDC();
    ASSERT_EQ(dc->image.size(), QSize(32, 32));
    dc->image.setPixelColor(3, 4, Qt::red);
    dc->changed();
    p->setPicture(std::make_shared<PictureObject>(PictureObject { QImage(2, 2, QImage::Format_ARGB32) }));
    p->repaint();
    EXPECT_TRUE(p->hasDrawing());
    EXPECT_EQ(p->clientImage().pixelColor(3, 4), QColor(Qt::red));
    p->Cls();
    EXPECT_FALSE(p->hasDrawing());
    EXPECT_EQ(p->clientImage().pixelColor(3, 4), QColor(Qt::white));
    EXPECT_TRUE(p->picture()) << "clearing keeps the background picture";
}

TEST(Toolkit, ReplaceableClockEndAndMessageBox)
{
    float now = 10.0f;
    setTimerSource([&] { return now; });
    EXPECT_EQ(Timer(), 10.0f);
    setTimerSource({});
    int ended = 0;
    setEndHandler([&] { ++ended; });
    EndProgram();
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(endRequested());
    setEndHandler({});
    QString seen;
    setMsgBoxHandler([&](const QString& text, int buttons, const QString& title) {
        seen = title + QLatin1Char('|') + text + QLatin1Char('|') + QString::number(buttons);
        return 1;
    });
    MsgBox(QStringLiteral("t"), vbOKOnly | vbExclamation, QStringLiteral("T"));
    EXPECT_EQ(seen, QStringLiteral("T|t|48"));
    setMsgBoxHandler({});
}

TEST(Toolkit, ArgumentTextIsTheArgumentsJoinedByBlanks)
{
    App::setArguments({ QStringLiteral("\"/a b/"), QStringLiteral("c:d/\""), QStringLiteral("ä") });
    EXPECT_EQ(App::command(), QStringLiteral("\"/a b/ c:d/\" ä"));
    App::setArguments({});
    EXPECT_EQ(App::command(), QString());
}

} // namespace
