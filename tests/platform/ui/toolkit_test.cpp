// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit behaviours the window's handlers rely on, and the program services around the
// window: arguments, the executable, pending events, the clock and the end of the program.
#include "platform/app.h"
#include "platform/files/file_attributes.h"
#include "platform/ui/shell_application.h"
#include "platform/ui/toolkit.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Window : ui::Form {
    Window()
        : ui::Form(QStringLiteral("w"))
    {
        setClientTwips(6000, 4500);
    }
    void open()
    {
        show();
        QApplication::setActiveWindow(this);
    }
};

TEST(Toolkit, ComboSelectionRunsClickButSettingTextOrFindingDoesNot)
{
    Window w;
    auto* c = new ui::ComboBox(QStringLiteral("c"), &w);
    for (const char* item : { "/icons", "/Icons/more", "/other", "/ICONS" })
        c->AddItem(QString::fromLatin1(item));
    int clicks = 0;
    c->Click = [&] { ++clicks; };
    c->setText(QStringLiteral("typed"));
    EXPECT_EQ(c->listIndex(), -1);
    EXPECT_TRUE(c->setListIndex(1));
    EXPECT_EQ(c->text(), QStringLiteral("/Icons/more"));
    EXPECT_FALSE(c->setListIndex(4));
    EXPECT_EQ(clicks, 1);
    // The messages' rules: without regard to case, starting after the item given, wrapping around.
    const std::tuple<UINT, WPARAM, const char*, LRESULT> cases[]
        = { { ui::CB_FINDSTRINGEXACT, WPARAM(-1), "/IcOnS", 0 }, { ui::CB_FINDSTRINGEXACT, 0, "/icons", 3 },
              { ui::CB_FINDSTRINGEXACT, 3, "/icons", 0 },
              { ui::CB_FINDSTRINGEXACT, WPARAM(-1), "/icon", ui::CB_ERR },
              { ui::CB_FINDSTRING, 0, "/icons", 1 }, { ui::CB_FINDSTRING, WPARAM(-1), "/x", ui::CB_ERR } };
    for (const auto& [message, start, text, expected] : cases)
        EXPECT_EQ(ui::SendMessageA(c->hWnd(), message, start, QString::fromLatin1(text)), expected) << text;
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ui::SendMessageA(c->hWnd(), ui::CB_SELECTSTRING, WPARAM(-1), QStringLiteral("/oth")), 2);
    EXPECT_EQ(c->listIndex(), 2);
    EXPECT_EQ(clicks, 2);
    c->Clear();
    EXPECT_EQ(c->text(), QStringLiteral("/other")) << "clearing the items keeps the text";
}

// The folder is normalised; patterns match without regard to case, and so
// names sort; folders and files marked hidden or system stay out.
TEST(Toolkit, FileListFolderPatternSelectionAndLetterKeys)
{
    QTemporaryDir dir;
    for (const char* name :
        { "b.ICO", "a.dll", "c.exe", "notes.txt", "Z.ico", "bunt.dll", "hidden.ico", "system.dll" })
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir(dir.path()).mkdir("ordner.dll"));
    ASSERT_TRUE(SetFileAttributesA(dir.filePath("hidden.ico"), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(
        SetFileAttributesA(dir.filePath("system.dll"), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    Window w;
    auto* list = new ui::FileListBox("f", &w);
    list->setTwips(0, 0, 3000, 3000);
    w.open();
    QStringList clicked, listed;
    list->Click = [&] { clicked << list->fileName(); };
    list->setPattern("*.ico;*.exe;*.dll");
    ASSERT_TRUE(list->setPath(dir.path() + "/"));
    EXPECT_EQ(list->path(), dir.path());
    for (int i = 0; i < list->listCount(); ++i)
        listed << list->list(i);
    EXPECT_EQ(listed, QStringList({ "a.dll", "b.ICO", "bunt.dll", "c.exe", "Z.ico" }));
    EXPECT_FALSE(list->setPath(dir.filePath("missing")) || list->setPath(dir.filePath("a.dll")));
    // Each letter selects the next entry starting with it, wrapping around; keys are never joined.
    list->setFocus();
    for (const char key : { 'b', 'B', 'b', 'q', 'z' })
        QTest::keyClick(list, key);
    EXPECT_EQ(clicked, QStringList({ "b.ICO", "bunt.dll", "b.ICO", "Z.ico" }));
}

// A line break is held as CR LF; the key handler sees each key first and may swallow or change it.
TEST(Toolkit, TextBoxLineBreaksAndKeyHandler)
{
    Window w;
    auto* t = new ui::TextBox(QStringLiteral("t"), &w, true);
    int changes = 0;
    std::vector<int> seen;
    t->Change = [&] { ++changes; };
    t->KeyPress = [&](int& key) {
        seen.push_back(key);
        key = key == 'x' ? 0 : key == 'a' ? 'b' : key;
    };
    w.open();
    t->setFocus();
    QTest::keyClicks(t, QStringLiteral("xay"));
    QTest::keyClick(t, Qt::Key_Backspace);
    QTest::keyClick(t, Qt::Key_Return);
    QTest::keyClicks(t, QStringLiteral("c"));
    EXPECT_EQ(seen, (std::vector<int> { 'x', 'a', 'y', 8, 13, 'c' }));
    EXPECT_EQ(t->text(), QStringLiteral("b\r\nc"));
    EXPECT_EQ(t->selStart(), 4);
    EXPECT_EQ(changes, 5);
    t->setText(QStringLiteral("b\r\nc"));
    EXPECT_EQ(changes, 5) << "the same text is no change";
    t->setSelStart(3);
    t->setSelLength(1);
    EXPECT_EQ(t->selText(), QStringLiteral("c"));
    // Positions between the two characters of a line break fall before it.
    EXPECT_EQ(ui::TextBox::toEditor(QStringLiteral("x\r\ny"), 2), 1);
    EXPECT_EQ(ui::TextBox::toHeld(QStringLiteral("x\r\ny"), 2), 3);
}

// Escape presses the Cancel button only while it listens, else the focused control's key handler
// sees it; focus changes run the handlers; a control in a disabled or hidden container takes no focus.
TEST(Toolkit, EscapeAndFocusReachOnlyWhereTheyShould)
{
    Window w;
    auto* page = new ui::PictureBox(QStringLiteral("page"), &w);
    page->setTwips(0, 0, 6000, 4000);
    auto* box = new ui::ComboBox(QStringLiteral("box"), page);
    auto* cancel = new ui::CommandButton(QStringLiteral("cancel"), &w);
    w.setCancelButton(cancel);
    QStringList events;
    cancel->Click = [&] { events << "cancel"; };
    box->KeyPress = [&](int& key) { events << QString::number(key); };
    box->GotFocus = [&] { events << "+"; };
    box->LostFocus = [&] { events << "-"; };
    w.open();
    EXPECT_TRUE(box->SetFocus());
    QTest::keyClick(box, Qt::Key_Escape);
    cancel->setCancel(true);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(cancel->SetFocus());
    EXPECT_EQ(events, QStringList({ "+", "27", "cancel", "-" }));
    page->setEnabled(false);
    EXPECT_FALSE(box->SetFocus());
    EXPECT_TRUE(box->enabled()) << "a control's own flag is not its container's";
    page->setEnabled(true);
    page->setVisible(false);
    EXPECT_FALSE(box->SetFocus());
}

// Qt's own dialogs speak German: the folder chooser's buttons and labels.
TEST(Toolkit, FolderChooserSpeaksGerman)
{
    ui::InitCommonControls();
    const std::unique_ptr<QFileDialog> dialog
        = shell::makeFolderDialog(nullptr, QStringLiteral("Ordner"), "/");
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_TRUE(buttons);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Auswählen"));
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

TEST(App, ArgumentsExecutableEventsClockAndEnd)
{
    char prog[] = "/nirgends/quillmark", a1[] = "\"/a b/\"", a2[] = "ä:*";
    char* argv[] = { prog, a1, a2 };
    App::init(3, argv);
    EXPECT_EQ(App::command(), QString("\"/a b/\" ä:*"));
    EXPECT_EQ(App::path(), QCoreApplication::applicationDirPath()) << "the real executable, not argv[0]";
    EXPECT_EQ(App::exeName(), QString("qm_tests_platform_ui"));
    App::setArguments({});

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    DoEvents();
    EXPECT_TRUE(ran) << "pending events run";

    const double now = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    const double apart = std::fmod(Timer() - now + 86400.0, 86400.0);
    EXPECT_LT(std::min(apart, 86400.0 - apart), 2.0) << "seconds since midnight";
    setTimerSource([] { return 7.5f; });
    EXPECT_EQ(Timer(), 7.5f);
    setTimerSource({});

    int ends = 0;
    setEndHandler([&] { ++ends; });
    EXPECT_FALSE(endRequested());
    EndProgram();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(endRequested());
    setEndHandler({});
    EXPECT_EXIT(EndProgram(), testing::ExitedWithCode(0), "") << "without a handler the process ends at once";
}

} // namespace
