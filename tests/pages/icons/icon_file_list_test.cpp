// The icon file list on the icon page, driven with clicks and keys: what a
// selection does to the grid and the folder box, Enter, Esc and letters,
// the focus, and which files are listed.
#include "tests/pages/icons/icon_page_fixture.h"

#include <QSignalSpy>

namespace {

class FileList : public IconPage {
protected:
    void SetUp() override
    {
        IconPage::SetUp();
        ico(icons + QStringLiteral("/b.ico"), testing_support::iconColour(0));
        library(icons + QStringLiteral("/bunt.dll"), 3);
        ASSERT_TRUE(testing_support::writeFile(icons + QStringLiteral("/leer.exe"), "MZ, aber ohne Symbole"));
    }

    QStringList entries() const
    {
        QStringList names;
        for (int i = 0; i < w->IconFiles->listCount(); ++i)
            names << w->IconFiles->list(i);
        return names;
    }
};

TEST_F(FileList, EnterRunsNextAndIsSwallowed)
{
    openIconPage(icons);
    clickFile(QStringLiteral("bunt.dll"));
    clickCell(2);
    QSignalSpy reachedTheList(w->IconFiles, &QListWidget::activated);
    QTest::keyClick(w->IconFiles, Qt::Key_Return);
    EXPECT_EQ(ended, 1) << "Next on the icon page finishes";
    EXPECT_EQ(key(QStringLiteral("IconFile")), icons + QStringLiteral("/bunt.dll"));
    EXPECT_EQ(key(QStringLiteral("IconIndex")), QStringLiteral("2"));
    EXPECT_EQ(reachedTheList.count(), 0);
}

TEST_F(FileList, EscEndsWithoutWriting)
{
    openIconPage(icons);
    clickFile(QStringLiteral("bunt.dll"));
    ASSERT_EQ(QApplication::focusWidget(), w->IconFiles);
    QTest::keyClick(w->IconFiles, Qt::Key_Escape);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(QFileInfo::exists(settings()));
}

TEST_F(FileList, LetterBouncesTheFocusThenSelectsTheNextEntryWithIt)
{
    openIconPage(icons);
    clickFile(QStringLiteral("a.ico"));
    QStringList focus;
    const auto gotFocus = w->IconFiles->GotFocus;
    const auto lostFocus = w->IconFiles->LostFocus;
    w->IconFiles->GotFocus = [&] {
        focus << QStringLiteral("list in");
        gotFocus();
    };
    w->IconFiles->LostFocus = [&] {
        focus << QStringLiteral("list out");
        lostFocus();
    };
    w->CWeiter->GotFocus = [&] { focus << QStringLiteral("Weiter in"); };

    struct Step {
        char letter;
        const char* selected;
        int icons;
    };
    const Step steps[]
        = { { 'b', "b.ico", 1 }, { 'b', "bunt.dll", 3 }, { 'l', "leer.exe", 0 }, { 'a', "a.ico", 1 } };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.selected);
        focus.clear();
        QTest::keyClick(w->IconFiles, s.letter);
        EXPECT_EQ(focus, QStringList({ "list out", "Weiter in", "list in" }));
        EXPECT_EQ(QApplication::focusWidget(), w->IconFiles);
        EXPECT_FALSE(w->CCancel->cancel()) << "Esc belongs to the list again";
        EXPECT_EQ(w->IconFiles->fileName(), QString::fromLatin1(s.selected));
        EXPECT_EQ(w->IconCounts->text(), QString::number(s.icons)) << "the icons follow the selection";
    }
}

TEST_F(FileList, FileWithoutIconsLeavesTheGridEmptyAndCellZeroUnmarked)
{
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    clickFile(QStringLiteral("leer.exe"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("0"));
    for (int cell = 0; cell < 20; ++cell)
        EXPECT_TRUE(cellEmpty(cell)) << "cell " << cell;
    EXPECT_EQ(w->Bilddatei[0]->borderStyle(), 0);
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
}

TEST_F(FileList, AnotherFileKeepsAnEarlierMarkBesideCellZero)
{
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    clickCell(7);
    ASSERT_EQ(w->IconCache->text(), QStringLiteral("7"));
    clickFile(QStringLiteral("bunt.dll"));
    EXPECT_EQ(markedCells(), std::vector<int>({ 0, 7 }));
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
    EXPECT_TRUE(cellEmpty(7)) << "bunt.dll has three icons";
}

TEST_F(FileList, TheBoxTakesTheListsFolder)
{
    // With Enter the list's first file is selected at once; without it the
    // list keeps its folder until a file is clicked.
    openIconPage(icons);
    typeAndEnter(icons + QStringLiteral("/./"));
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("a.ico"));
    EXPECT_EQ(w->Text2->text(), icons);

    const QString elsewhere = folder(QStringLiteral("anderswo"));
    type(elsewhere);
    QTest::keyClick(w->Text2, Qt::Key_Tab);
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->Text2->text(), elsewhere);
    clickFile(QStringLiteral("bunt.dll"));
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->Text2->text(), icons);
}

TEST_F(FileList, FocusDecidesWhetherEscPressesCancel)
{
    openIconPage(icons);
    clickFile(QStringLiteral("a.ico"));
    EXPECT_FALSE(w->CCancel->cancel());
    w->bKopieren->setFocus();
    EXPECT_TRUE(w->CCancel->cancel());
    QTest::keyClick(w->bKopieren, Qt::Key_Escape);
    EXPECT_EQ(ended, 1) << "away from the list and the box Esc presses Cancel";
}

TEST_F(FileList, ListsMatchingFilesWithoutRegardToCaseLeavingOutHiddenAndSystemFiles)
{
    ico(icons + QStringLiteral("/GROSS.ICO"), Qt::green);
    library(icons + QStringLiteral("/Mixed.Dll"), 2);
    ico(icons + QStringLiteral("/versteckt.ico"), Qt::green);
    library(icons + QStringLiteral("/system.dll"), 2);
    ico(icons + QStringLiteral("/archiv.ico"), Qt::green);
    ASSERT_TRUE(testing_support::writeFile(icons + QStringLiteral("/liesmich.txt"), "Text"));
    ASSERT_TRUE(testing_support::writeFile(icons + QStringLiteral("/ico"), "ohne Endung"));
    ASSERT_TRUE(QDir(icons).mkdir(QStringLiteral("ordner.dll")));
    ASSERT_TRUE(SetFileAttributesA(icons + QStringLiteral("/versteckt.ico"), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(icons + QStringLiteral("/system.dll"), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA(icons + QStringLiteral("/archiv.ico"), FILE_ATTRIBUTE_ARCHIVE));
    openIconPage(icons);
    EXPECT_EQ(entries(),
        QStringList(
            { "a.ico", "archiv.ico", "b.ico", "bunt.dll", "GROSS.ICO", "leer.exe", "lib.dll", "Mixed.Dll" }));
}

TEST_F(FileList, PatternChangeKeepsTheSelectedFileWhileItIsListed)
{
    openIconPage(icons);
    clickFile(QStringLiteral("bunt.dll"));
    clickCell(1);
    w->IconFiles->setPattern(QStringLiteral("*.DLL"));
    EXPECT_EQ(entries(), QStringList({ "bunt.dll", "lib.dll" }));
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("bunt.dll"));
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("1")) << "keeping the selection is no new selection";
    w->IconFiles->setPattern(QStringLiteral("*.ico"));
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
}

} // namespace
