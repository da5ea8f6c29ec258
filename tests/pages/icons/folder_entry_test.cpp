// The folder box of the icon page with its clear and browse buttons, driven
// with keys and clicks: typed folders and file paths with Enter, quotes, a
// missing path, a pick from the drop-down list, Esc, and the folder chooser.
#include "tests/pages/icons/icon_page_fixture.h"

namespace {

class FolderBox : public IconPage {
protected:
    void SetUp() override
    {
        IconPage::SetUp();
        other = folder(QStringLiteral("Andere Symbole"));
        library(other + QStringLiteral("/x.dll"), 5);
        ico(other + QStringLiteral("/y.ico"), testing_support::iconColour(0));
        ASSERT_TRUE(testing_support::writeFile(other + QStringLiteral("/liesmich.txt"), "kein Symbol"));
    }

    QWidget* focused() const { return QApplication::focusWidget(); }

    QString other;
};

TEST_F(FolderBox, EnterOnAFolderListsItWithTheFirstFileChosen)
{
    openIconPage(icons);
    typeAndEnter(other);
    EXPECT_EQ(w->IconFiles->path(), other);
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("x.dll"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("5"));
    for (int cell = 0; cell < 5; ++cell)
        EXPECT_TRUE(cellShowsIcon(cell, cell)) << "cell " << cell;
    EXPECT_EQ(markedCells(), std::vector<int> { 0 });
    EXPECT_EQ(w->Text2->text(), other);
    EXPECT_EQ(w->Text2->selStart(), 0);
    EXPECT_EQ(w->Text2->selLength(), other.size()) << "the whole text is selected";
    EXPECT_EQ(focused(), w->IconFiles);
    EXPECT_EQ(folderDialogs, 0);

    const QString empty = folder(QStringLiteral("Leer"));
    typeAndEnter(empty);
    EXPECT_EQ(w->IconFiles->path(), empty);
    EXPECT_EQ(w->IconFiles->listCount(), 0);
    EXPECT_EQ(focused(), w->IconFiles) << "the focus moves to the list even when it is empty";
}

TEST_F(FolderBox, EnterOnAFilePathSelectsTheFileWhereTheListHasIt)
{
    struct Case {
        const char* what;
        QString typed;
        bool fileChosenBefore; // a.ico of the first folder
        QString folder; // listed afterwards
        const char* file; // selected afterwards
        bool focusStays; // in the box; otherwise in the list
    };
    const Case cases[] = {
        { "a file of the listed folder", icons + QStringLiteral("/lib.dll"), false, icons, "lib.dll", true },
        { "a file elsewhere", other + QStringLiteral("/y.ico"), true, other, "y.ico", true },
        { "a name differing in case", other + QStringLiteral("/Y.ICO"), false, other, "x.dll", false },
        { "a name differing in case, a file chosen", other + QStringLiteral("/Y.ICO"), true, icons, "a.ico",
            false },
        { "a file not matching the patterns", other + QStringLiteral("/liesmich.txt"), false, other, "x.dll",
            false },
        { "the same, a file chosen", other + QStringLiteral("/liesmich.txt"), true, icons, "a.ico", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openIconPage(icons);
        if (c.fileChosenBefore) clickFile(QStringLiteral("a.ico"));
        typeAndEnter(c.typed);
        EXPECT_EQ(w->IconFiles->path(), c.folder);
        EXPECT_EQ(w->IconFiles->fileName(), QString::fromLatin1(c.file));
        EXPECT_EQ(w->Text2->text(), c.folder);
        EXPECT_EQ(focused(), c.focusStays ? static_cast<QWidget*>(w->Text2) : w->IconFiles);
        EXPECT_TRUE(w->IconFiles->isEnabled());
        EXPECT_TRUE(w->PImage->isEnabled());
        EXPECT_EQ(markedCells(), std::vector<int> { 0 });
        EXPECT_EQ(folderDialogs, 0);
    }
}

TEST_F(FolderBox, QuotesLoseOneAtEachEnd)
{
    struct Case {
        QString typed;
        bool listed; // otherwise: emptied and the chooser opened
    };
    const QString q = QStringLiteral("\"");
    const Case cases[] = {
        { q + other + q, true },
        { q + other, true },
        { other + q, true },
        { q + q + other + q + q, false },
        { q + other + QStringLiteral("/y.ico") + q, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        openIconPage(icons);
        typeAndEnter(c.typed);
        EXPECT_EQ(w->IconFiles->path(), c.listed ? other : icons);
        EXPECT_EQ(w->Text2->text(), c.listed ? other : QString());
        EXPECT_EQ(folderDialogs, c.listed ? 0 : 1);
        folderDialogs = 0;
    }
}

TEST_F(FolderBox, MissingPathEmptiesTheBoxAndOpensTheChooser)
{
    struct Case {
        const char* what;
        QString typed;
        QString chosen; // by the chooser; empty: cancelled
    };
    const Case cases[] = {
        { "missing, cancelled", tmp.filePath(QStringLiteral("gibt es nicht")), QString() },
        { "empty, cancelled", QString(), QString() },
        { "missing, a folder chosen", tmp.filePath(QStringLiteral("gibt es nicht")), other },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openIconPage(icons);
        clickFile(QStringLiteral("lib.dll"));
        folderDialogs = 0;
        chosenFolder = c.chosen;
        typeAndEnter(c.typed);
        EXPECT_EQ(folderDialogs, 1);
        if (c.chosen.isEmpty()) {
            EXPECT_EQ(w->Text2->text(), QString());
            EXPECT_EQ(w->IconFiles->path(), icons);
            EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("lib.dll"));
        } else {
            EXPECT_EQ(w->Text2->text(), other);
            EXPECT_EQ(w->IconFiles->path(), other);
            EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("x.dll"));
        }
    }
}

TEST_F(FolderBox, DropDownPickLoadsTheFolderUnlessTheTagSaysOtherwise)
{
    struct Case {
        const char* what;
        QString item;
        const char* tag;
        bool loads;
    };
    const Case cases[] = {
        { "a folder", other, "", true },
        { "a quoted folder", QStringLiteral("\"") + other + QStringLiteral("\""), "", true },
        { "while the program changes the box", QStringLiteral("\"") + other + QStringLiteral("\""), "1",
            false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openIconPage(icons);
        w->Text2->AddItem(icons);
        w->Text2->AddItem(c.item);
        w->Text2->setTag(QString::fromLatin1(c.tag));
        pickFromDropDown(1);
        EXPECT_EQ(w->Text2->text(), other) << "the quotes go in any case";
        EXPECT_EQ(w->IconFiles->path(), c.loads ? other : icons);
        EXPECT_EQ(w->IconFiles->listIndex(), c.loads ? 0 : -1);
        if (c.loads) {
            EXPECT_EQ(w->IconCounts->text(), QStringLiteral("5"));
            EXPECT_EQ(focused(), w->IconFiles);
        }
    }
}

TEST_F(FolderBox, EscInTheBoxEnds)
{
    openIconPage(icons);
    w->Text2->setFocus();
    EXPECT_FALSE(w->CCancel->cancel());
    QTest::keyClicks(w->Text2, QStringLiteral("abc"));
    QTest::keyClick(w->Text2, Qt::Key_Escape);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(QFileInfo::exists(settings()));
}

TEST_F(FolderBox, ClearButtonDropsTheChoiceButKeepsTheFolder)
{
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    clickCell(6);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    ASSERT_EQ(w->bKopieren->value(), 1);
    QTest::mouseClick(w->CLöschen, Qt::LeftButton);
    EXPECT_EQ(w->bKopieren->value(), 0);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->Text2->text(), icons);
    EXPECT_TRUE(markedCells().empty());
    for (int cell = 0; cell < 20; ++cell)
        EXPECT_TRUE(cellEmpty(cell)) << "cell " << cell;
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
}

TEST_F(FolderBox, BrowseButtonLoadsTheChosenFolder)
{
    const QString drive = folder(QStringLiteral("Lokaler Datenträger (C:)"));
    ico(drive + QStringLiteral("/c.ico"), Qt::red);
    struct Case {
        const char* what;
        QString chosen;
        QString listed; // afterwards; empty: nothing changed
        const char* file;
    };
    const Case cases[] = {
        { "cancelled", QString(), QString(), "lib.dll" },
        { "a folder", other, other, "x.dll" },
        { "a folder with a colon in its name", drive, drive, "c.ico" },
        { "the root", QStringLiteral("/"), QStringLiteral("/"), "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openIconPage(icons);
        clickFile(QStringLiteral("lib.dll"));
        clickCell(3);
        QStringList asked;
        shell::setFolderChooser([&](HWND, const QString& title, const QString& start) {
            asked << title << start;
            return c.chosen;
        });
        QTest::mouseClick(w->CÖffnen, Qt::LeftButton);
        EXPECT_EQ(asked,
            QStringList({ QStringLiteral("Wählen Sie den Zielordner, indem sich die Programme befinden ..."),
                QStringLiteral("/") }));
        if (c.listed.isEmpty()) {
            EXPECT_EQ(w->Text2->text(), icons);
            EXPECT_EQ(w->IconFiles->path(), icons);
            EXPECT_EQ(markedCells(), std::vector<int> { 3 });
            EXPECT_EQ(w->IconCache->text(), QStringLiteral("3"));
        } else {
            EXPECT_EQ(w->Text2->text(), c.listed);
            EXPECT_EQ(w->IconFiles->path(), c.listed);
        }
        EXPECT_EQ(w->IconFiles->fileName(), QString::fromLatin1(c.file));
    }
}

} // namespace
