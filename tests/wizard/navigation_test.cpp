// Walking the pages: Next, Back and Cancel, the stored tooltip and icon
// brought back, Esc per page.
#include "tests/wizard/wizard_fixture.h"

#include <QFileInfo>

namespace {

class Navigation : public WizardTest {
protected:
    void writeSettings(const QByteArray& text) { ASSERT_TRUE(testing_support::writeFile(settings(), text)); }
};

TEST_F(Navigation, PagesFollowEachOtherAndBackReturns)
{
    start();
    EXPECT_TRUE(w->PSet1->visible());
    back();
    EXPECT_TRUE(w->PSet1->visible()) << "Back is disabled on the introduction page";
    next();
    EXPECT_TRUE(w->PSet2->visible());
    EXPECT_FALSE(w->PSet1->visible());
    EXPECT_TRUE(w->CZurück->isEnabled());
    EXPECT_TRUE(w->Text1->hasFocus());
    next();
    EXPECT_TRUE(w->PSet3->visible());
    EXPECT_FALSE(w->PSet2->visible());
    EXPECT_FALSE(w->CCancel->cancel());
    back();
    EXPECT_TRUE(w->PSet2->visible());
    EXPECT_TRUE(w->CCancel->cancel());
    EXPECT_TRUE(w->Text1->hasFocus());
    back();
    EXPECT_TRUE(w->PSet1->visible());
    EXPECT_FALSE(w->CZurück->isEnabled());
    EXPECT_EQ(ended, 0);
}

TEST_F(Navigation, StoredTooltipIsLoadedAndReloaded)
{
    writeSettings("[.SHELLCLASSINFO]\r\nINFOTIP=" + QByteArray(130, 'q') + "\r\n");
    start();
    next();
    EXPECT_EQ(w->Text1->text(), QString(120, QLatin1Char('q'))) << "cut to 120 as it arrives";
    w->Text1->setText(QStringLiteral("neu"));
    back();
    next();
    EXPECT_EQ(w->Text1->text().size(), 120) << "the file wins over what was typed";

    QFile::remove(settings());
    w->Text1->setText(QStringLiteral("getippt"));
    back();
    next();
    EXPECT_EQ(w->Text1->text(), QStringLiteral("getippt")) << "without a settings file the text stays";
}

TEST_F(Navigation, EscapeClosesOnlyWhereTheCancelButtonListens)
{
    struct Case {
        const char* what;
        int nexts;
        bool backAgain;
        bool closes;
    };
    const Case cases[] = {
        { "introduction", 0, false, true },
        { "tooltip page", 1, false, true },
        { "icon page, list focused", 2, false, true }, // the list's own key handler ends it
        { "after Back from the icon page", 2, true, true },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        start();
        for (int i = 0; i < k.nexts; ++i)
            next();
        if (k.backAgain) back();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), Qt::Key_Escape);
        EXPECT_EQ(ended > 0, k.closes);
        EXPECT_FALSE(QFileInfo::exists(settings())) << "Cancel writes nothing";
    }
}

TEST_F(Navigation, StoredIconIsRestoredWithItsIndex)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/lib.dll\r\nIconIndex=4\r\n");
    start();
    next();
    next();
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("lib.dll"));
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("4"));
    EXPECT_EQ(w->Bilddatei[4]->borderStyle(), 1);
    EXPECT_EQ(w->Text2->text(), icons);
    EXPECT_TRUE(w->CWeiter->isEnabled());
    EXPECT_TRUE(w->Text1->isEnabled());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Navigation, StoredIndexOfTheDialogCellsOpensTheDialog)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/lib.dll\r\nIconIndex=18\r\n");
    pickedFile = icons + QStringLiteral("/lib.dll");
    pickedIndex = 22;
    start();
    next();
    next();
    EXPECT_EQ(iconDialogs, 1);
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("22"));
}

TEST_F(Navigation, MissingStoredIconShowsTheOneMessage)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/weg.ico\r\nIconIndex=0\r\n");
    start();
    next();
    next();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
        QStringLiteral("Morvane Quillmark: Die Symboldatei oder Bibliothek konnte nicht gefunden werden. "));
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
    EXPECT_TRUE(w->PSet3->visible());
    for (QWidget* b : { static_cast<QWidget*>(w->CWeiter), static_cast<QWidget*>(w->CZurück),
             static_cast<QWidget*>(w->CCancel) })
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(Navigation, CopiedIconIsRestoredFromTheTargetFolder)
{
    ASSERT_TRUE(testing_support::writeFile(copy(), testing_support::makeIconLibrary(6)));
    writeSettings("[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=5\r\n");
    start();
    next();
    next();
    EXPECT_EQ(w->IconFiles->path(), target);
    EXPECT_EQ(w->IconFiles->pattern(), QStringLiteral("Desktop.ico"));
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("Desktop.ico"));
    EXPECT_EQ(w->bKopieren->value(), 1);
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("5"));
    EXPECT_EQ(bits(copy()), 32u);
}

TEST_F(Navigation, BackAndNextAgainRestoresTheStoredIconOverTheChoiceInBetween)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/lib.dll\r\nIconIndex=2\r\n");
    start();
    next();
    next();
    clickCell(9);
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("9"));
    back();
    next();
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("2"));
}

TEST_F(Navigation, ButtonsAreOutOfReachWhileTheStoredIconIsRestored)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/lib.dll\r\nIconIndex=1\r\n");
    start();
    next();
    // A click queued while the page is prepared meets disabled buttons.
    bool sawDisabled = false;
    w->IconFiles->Click = [&] {
        sawDisabled = sawDisabled || !w->CWeiter->isEnabled();
        w->IconFiles_Click();
    };
    next();
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(w->CWeiter->isEnabled());
}

} // namespace
