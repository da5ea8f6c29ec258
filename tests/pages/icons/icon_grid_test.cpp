// The icon grid on the icon page, driven with clicks: what the cells show for
// files of 1, 17, 25 and 40 icons, what a click on a cell chooses, the
// icon-choice dialog behind cells 18 and 19, the copy box, and the icon
// handles taken while drawing.
#include "tests/pages/icons/icon_page_fixture.h"

namespace {

class Grid : public IconPage {
protected:
    void SetUp() override
    {
        IconPage::SetUp();
        ico(icons + QStringLiteral("/eins.ico"), testing_support::iconColour(0));
        library(icons + QStringLiteral("/siebzehn.dll"), 17);
        library(icons + QStringLiteral("/vierzig.dll"), 40);
    }
};

TEST_F(Grid, CellsShowTheFirstIconsOfTheSelectedFileOneHandleAtATime)
{
    struct Case {
        const char* file;
        int icons;
    };
    const Case cases[] = { { "eins.ico", 1 }, { "siebzehn.dll", 17 }, { "lib.dll", 25 },
        { "vierzig.dll", 40 }, { "eins.ico", 1 } };
    openIconPage(icons);
    watchDrawing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        handlesWhileDrawing.clear();
        clickFile(QString::fromLatin1(c.file));
        EXPECT_EQ(w->IconCounts->text(), QString::number(c.icons));
        for (int cell = 0; cell < 20; ++cell) {
            // Cell i shows icon i, so 17 icons leave cell 19 at the start of
            // the last row empty while 15 and 16 beside it are filled.
            if (cell < c.icons)
                EXPECT_TRUE(cellShowsIcon(cell, cell)) << "cell " << cell;
            else
                EXPECT_TRUE(cellEmpty(cell)) << "cell " << cell;
        }
        EXPECT_EQ(markedCells(), std::vector<int> { 0 });
        EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
        EXPECT_EQ(int(handlesWhileDrawing.size()), std::min(c.icons, 20)) << "one drawing per icon shown";
        EXPECT_EQ(mostHandlesWhileDrawing(), 1);
        EXPECT_EQ(LiveIconHandles(), 0);
    }
}

TEST_F(Grid, ClickChoosesACellOnlyWhereItShowsAnIcon)
{
    struct Case {
        const char* file;
        int cell;
        std::vector<int> marked;
        const char* cache;
    };
    const Case cases[] = {
        { "eins.ico", 0, { 0 }, "0" },
        { "eins.ico", 3, {}, "0" },
        { "siebzehn.dll", 16, { 16 }, "16" },
        { "siebzehn.dll", 17, {}, "0" },
        { "siebzehn.dll", 15, { 15 }, "15" },
        { "lib.dll", 17, { 17 }, "17" },
        { "lib.dll", 5, { 5 }, "5" },
        { "vierzig.dll", 12, { 12 }, "12" },
    };
    openIconPage(icons);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " cell " + std::to_string(c.cell));
        clickFile(QString::fromLatin1(c.file));
        clickCell(8 == c.cell ? 9 : 8); // an earlier click, whose mark must go
        clickCell(c.cell);
        EXPECT_EQ(markedCells(), c.marked);
        EXPECT_EQ(w->IconCache->text(), QString::fromLatin1(c.cache));
        EXPECT_EQ(w->IconFiles->fileName(), QString::fromLatin1(c.file)) << "the file stays chosen";
        EXPECT_TRUE(cellShowsIcon(0, 0)) << "a click draws nothing";
    }
    EXPECT_EQ(iconDialogs, 0);
    EXPECT_EQ(LiveIconHandles(), 0);
}

TEST_F(Grid, LastTwoCellsOpenTheDialogAndItsChoiceMovesTheList)
{
    const QString other = folder(QStringLiteral("Andere Symbole"));
    library(other + QStringLiteral("/fünfzig.dll"), 50);
    ico(other + QStringLiteral("/aaa.ico"), Qt::blue);
    pickedFile = other + QStringLiteral("/fünfzig.dll");
    pickedIndex = 42;
    for (const int cell : { 18, 19 }) {
        for (const char* file : { "siebzehn.dll", "lib.dll" }) {
            SCOPED_TRACE(std::string(file) + " cell " + std::to_string(cell));
            iconDialogs = 0;
            openIconPage(icons);
            clickFile(QString::fromLatin1(file));
            watchDrawing();
            clickCell(cell);
            ASSERT_EQ(iconDialogs, 1) << "18 and 19 open the dialog even where they show an icon or none";
            EXPECT_EQ(
                dialogOpenedOn.section(QChar(0), 0, 0), icons + QLatin1Char('/') + QString::fromLatin1(file));
            EXPECT_EQ(w->IconFiles->path(), other);
            EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("fünfzig.dll"));
            EXPECT_EQ(w->Text2->text(), other);
            EXPECT_EQ(w->IconCounts->text(), QStringLiteral("50"));
            for (int i = 0; i < 20; ++i)
                EXPECT_TRUE(cellShowsIcon(i, i)) << "cell " << i;
            EXPECT_EQ(markedCells(), std::vector<int> { 0 });
            EXPECT_EQ(w->IconCache->text(), QStringLiteral("42"));
            ASSERT_TRUE(w->Bilddatei[0]->picture());
            EXPECT_EQ(w->Bilddatei[0]->picture()->image.pixel(16, 16), testing_support::iconColour(42).rgba())
                << "cell 0 keeps the chosen icon as its background";
            EXPECT_EQ(mostHandlesWhileDrawing(), 1);
            EXPECT_EQ(LiveIconHandles(), 0);
        }
    }
}

TEST_F(Grid, CancelledDialogLeavesNoFileAndNoIcon)
{
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    clickCell(9);
    clickCell(19);
    EXPECT_EQ(iconDialogs, 1);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->IconCache->text(), QString());
    EXPECT_TRUE(markedCells().empty());
    EXPECT_EQ(LiveIconHandles(), 0);
}

TEST_F(Grid, DialogChoiceInAFolderTheListCannotShowKeepsTheFirstFile)
{
    // The name exists in the folder listed, the folder returned does not.
    pickedFile = tmp.filePath(QStringLiteral("weg/lib.dll"));
    pickedIndex = 42;
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    clickCell(18);
    EXPECT_EQ(iconDialogs, 1);
    EXPECT_EQ(w->IconFiles->path(), icons);
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("a.ico"));
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
    EXPECT_EQ(markedCells(), std::vector<int> { 0 });
    EXPECT_TRUE(cellShows(0, QColor(Qt::red).rgba()));
}

TEST_F(Grid, DialogChoiceIsFoundInAListNarrowedToTheIconCopy)
{
    // The page opens on the folder's own icon copy, with the list narrowed
    // to it; the dialog then picks another file of the same folder.
    ASSERT_TRUE(testing_support::writeFile(copy(), testing_support::makeIconLibrary(6)));
    ASSERT_TRUE(testing_support::writeFile(
        settings(), "[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=2\r\n"));
    library(target + QStringLiteral("/Anderes.dll"), 30);
    pickedFile = target + QStringLiteral("/Anderes.dll");
    pickedIndex = 25;
    start();
    next();
    next();
    ASSERT_EQ(w->IconFiles->pattern(), QStringLiteral("Desktop.ico"));
    ASSERT_EQ(w->IconFiles->listCount(), 1);
    clickCell(18);
    EXPECT_EQ(w->IconFiles->pattern(), QStringLiteral("*.ico;*.exe;*.dll"));
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("Anderes.dll"));
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("25"));
    EXPECT_EQ(markedCells(), std::vector<int> { 0 });
}

TEST_F(Grid, UncheckingTheCopyBoxTakesTheFirstRecentFolder)
{
    const QString recent = folder(QStringLiteral("Zuletzt"));
    library(recent + QStringLiteral("/z.dll"), 3);
    openIconPage(icons);
    clickFile(QStringLiteral("lib.dll"));
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    ASSERT_EQ(w->bKopieren->value(), 1);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_EQ(w->IconFiles->path(), icons) << "without recent folders nothing changes";
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("lib.dll"));

    w->Text2->AddItem(recent);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_EQ(w->IconFiles->path(), icons) << "ticking changes nothing";
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_EQ(w->IconFiles->path(), recent);
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("z.dll"));
    EXPECT_EQ(w->Text2->text(), recent);
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("3"));
}

TEST_F(Grid, BundledIconFilesFillTheGrid)
{
    const QString bundled = QStringLiteral(QM_SOURCE_DIR "/res/icons");
    openIconPage(bundled);
    ASSERT_GE(w->IconFiles->listCount(), 2);
    clickFile(QStringLiteral("ordner.dll"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("40"));
    for (int cell = 0; cell < 20; ++cell)
        EXPECT_FALSE(cellEmpty(cell)) << "cell " << cell;
    for (int i = 0; i < w->IconFiles->listCount(); ++i) {
        if (w->IconFiles->list(i).endsWith(QStringLiteral(".ico"))) {
            clickFile(w->IconFiles->list(i));
            EXPECT_EQ(w->IconCounts->text(), QStringLiteral("1")) << w->IconFiles->list(i).toStdString();
            EXPECT_FALSE(cellEmpty(0));
        }
    }
}

} // namespace
