// The icon grid: what the cells show, what a click chooses, and the icon-choice dialog.
#include "tests/pages/icons/icon_page_fixture.h"

namespace {

using Grid = IconPage;

// Cell i shows icon i, one icon handle at a time; 17 icons leave cell 19,
// the first of the last row, empty. A click chooses only a cell with an icon.
TEST_F(Grid, CellsShowTheFirstIconsAndAClickChoosesOne)
{
    const std::tuple<const char*, int, int, const char*> cases[] = { { "b.ico", 1, 3, "0 | " },
        { "siebzehn.dll", 17, 16, "16 | 16" }, { "lib.dll", 25, 17, "17 | 17" },
        { "siebzehn.dll", 17, 17, "0 | " }, { "vierzig.dll", 40, 0, "0 | 0" }, { "b.ico", 1, 0, "0 | 0" } };
    openIconPage(icons);
    watchDrawing();
    for (const auto& [file, count, cell, chosen] : cases) {
        SCOPED_TRACE(std::string(file) + " cell " + std::to_string(cell));
        handlesWhileDrawing.clear();
        clickFile(QString::fromLatin1(file));
        EXPECT_PAGE(u"Symbole | %1 | Symbole | %2 | 0 | *"_s.arg(QString::fromLatin1(file)).arg(count));
        EXPECT_EQ(cells(), grid(count));
        clickCell(8); // an earlier choice, whose mark must go
        clickCell(cell);
        EXPECT_PAGE(u"Symbole | "_s + file + u" | Symbole | * | "_s + chosen);
        EXPECT_EQ(handlesWhileDrawing, std::vector<int>(std::min(count, 20), 1)) << "a click draws nothing";
    }
    EXPECT_EQ(iconDialogs, 0);
}

// Cells 18 and 19 open the dialog on the selected file, whatever they show.
// Its choice moves the list unless the list cannot show that folder: a file
// of the same name in the folder listed would be the wrong one.
TEST_F(Grid, LastTwoCellsOpenTheDialogAndItsChoiceMovesTheList)
{
    const QString picked = other + u"/zünftig.dll"_s;
    put(picked, 50);
    const char* const moved = "Andere Symbole | zünftig.dll | Andere Symbole | 50 | 42 | 0";
    const std::tuple<int, const char*, QString, const char*> cases[] = {
        { 18, "siebzehn.dll", picked, moved },
        { 19, "lib.dll", picked, moved },
        { 19, "lib.dll", QString(), "Symbole |  | Symbole | * |  | " },
        { 18, "lib.dll", tmp.filePath(u"weg/lib.dll"_s), "Symbole | a.ico | Symbole | 1 | 0 | 0" },
    };
    for (const auto& [cell, file, choice, want] : cases) {
        SCOPED_TRACE(std::string(file) + " cell " + std::to_string(cell) + " " + choice.toStdString());
        iconDialogs = 0;
        pickedFile = choice;
        pickedIndex = 42;
        openIconPage(icons);
        clickFile(QString::fromLatin1(file));
        clickCell(9);
        watchDrawing();
        clickCell(cell);
        ASSERT_EQ(iconDialogs, 1);
        EXPECT_EQ(dialogOpenedOn.section(QChar(0), 0, 0), icons + u'/' + QString::fromLatin1(file));
        EXPECT_PAGE(want);
        EXPECT_THAT(handlesWhileDrawing, testing::Each(1));
        if (choice == picked) {
            EXPECT_EQ(cells(), grid(20));
            ASSERT_TRUE(w->Bilddatei[0]->picture());
            EXPECT_EQ(w->Bilddatei[0]->picture()->image.pixel(16, 16), testing_support::iconColour(42).rgba())
                << "cell 0 keeps the chosen icon as its background";
        }
    }
}

// The page opens on the folder's own icon copy with the list narrowed to
// it; the dialog then picks another file of the same folder.
TEST_F(Grid, DialogChoiceIsFoundInAListNarrowedToTheIconCopy)
{
    testutil::writeBytes(copy(), testing_support::makeIconLibrary(6));
    testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=2\r\n");
    put(target + u"/Anderes.dll"_s, 30);
    pickedFile = target + u"/Anderes.dll"_s;
    pickedIndex = 25;
    start(2);
    ASSERT_EQ(w->IconFiles->pattern(), u"Desktop.ico"_s);
    clickCell(18);
    EXPECT_EQ(w->IconFiles->pattern(), u"*.ico;*.exe;*.dll"_s);
    EXPECT_PAGE("Mein Ordner | Anderes.dll | * | 30 | 25 | 0");
}

} // namespace
