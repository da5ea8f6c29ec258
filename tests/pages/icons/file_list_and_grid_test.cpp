// SPDX-License-Identifier: GPL-3.0-or-later
// The icon page's file list and grid: what the cells show, what a click or key chooses, the
// icon-choice dialog, and the keys that end the wizard from the list.
#include "tests/pages/icons/icon_page_fixture.h"

#include <QSignalSpy>

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

// Cells 18 and 19 open the dialog on the selected file, whatever they show. Its choice moves the list
// unless the list cannot show that folder: a file of the same name there would be the wrong one.
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

// Tab from Abbrechen reaches cell 0, the arrows walk row by row (the last row begins with cell 19),
// and Space or Enter then chooses what a click chooses, the dialog cells included.
TEST_F(Grid, KeysChooseWhatAClickChooses)
{
    using K = Qt::Key;
    const std::tuple<std::vector<K>, int, K> cases[] = {
        { { K::Key_Right, K::Key_Right, K::Key_Right }, 3, K::Key_Space },
        { { K::Key_Down, K::Key_Right, K::Key_Up, K::Key_Down }, 6, K::Key_Return },
        { { K::Key_Down, K::Key_Down, K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Right },
            19, K::Key_Space },
        { { K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Down, K::Key_Right, K::Key_Left, K::Key_Right }, 15,
            K::Key_Return },
        { { K::Key_Left, K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Down, K::Key_Down,
              K::Key_Down, K::Key_Down },
            18, K::Key_Enter },
    };
    pickedFile = icons + u"/vierzig.dll"_s;
    pickedIndex = 33;
    for (const auto& [arrows, cell, press] : cases) {
        SCOPED_TRACE(cell);
        QString byKey, byClick;
        for (const bool keys : { true, false }) {
            iconDialogs = 0;
            openIconPage(icons);
            clickFile(u"lib.dll"_s);
            if (keys) {
                w->CCancel->setFocus();
                QTest::keyClick(w->CCancel, Qt::Key_Tab);
                EXPECT_EQ(focused(), w->Bilddatei[0]);
                for (const K arrow : arrows)
                    QTest::keyClick(focused(), arrow);
                EXPECT_EQ(focused(), w->Bilddatei[cell]);
                QTest::keyClick(focused(), press);
            } else {
                clickCell(cell);
            }
            (keys ? byKey : byClick) = page(u""_s) + u" dialogs "_s + QString::number(iconDialogs);
        }
        EXPECT_EQ(byKey, byClick);
        EXPECT_EQ(byClick.endsWith(u"dialogs 1"_s), cell >= 18);
    }
}

using FileList = IconPage;

// Enter in the list runs Next and never reaches the list; Esc ends without writing, from the list
// and the box by their own handlers, elsewhere through Cancel.
TEST_F(FileList, EnterRunsNextAndEscEndsWithoutWriting)
{
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        openIconPage(icons);
        clickFile(u"bunt.dll"_s);
        clickCell(2);
        QWidget* const at[] = { w->IconFiles, w->Text2, w->bKopieren, w->IconFiles };
        at[i]->setFocus();
        EXPECT_EQ(w->CCancel->cancel(), i == 2);
        QSignalSpy reachedTheList(w->IconFiles, &QListWidget::activated);
        QTest::keyClick(at[i], i < 3 ? Qt::Key_Escape : Qt::Key_Return);
        EXPECT_EQ(ended, 1);
        EXPECT_EQ(reachedTheList.count(), 0);
        EXPECT_EQ(QFileInfo::exists(settings()), i == 3);
    }
    EXPECT_EQ(key(u"IconFile"_s), u"..\\Symbole\\bunt.dll"_s);
    EXPECT_EQ(key(u"IconIndex"_s), u"2"_s);
}

TEST_F(FileList, LetterBouncesTheFocusThenSelectsTheNextEntryWithIt)
{
    openIconPage(icons);
    clickFile(u"a.ico"_s);
    QStringList focus;
    const auto log = [&focus](std::function<void()>& handler, const char* what) {
        handler = [&focus, what, was = handler] {
            focus << what;
            if (was) was();
        };
    };
    log(w->IconFiles->GotFocus, "list in");
    log(w->IconFiles->LostFocus, "list out");
    log(w->CWeiter->GotFocus, "Weiter in");
    for (const char* want : { "* | b.ico | * | 1 | 0 | 0", "* | bunt.dll | * | 3 | 0 | 0" }) {
        focus.clear();
        QTest::keyClick(w->IconFiles, 'b');
        EXPECT_EQ(focus, QStringList({ "list out", "Weiter in", "list in" }));
        EXPECT_EQ(focused(), w->IconFiles);
        EXPECT_FALSE(w->CCancel->cancel()) << "Esc belongs to the list again";
        EXPECT_PAGE(want) << "the icons follow the selection";
    }
}

// A new selection marks cell 0 beside an earlier mark; a pattern change
// that still lists the file is no new selection.
TEST_F(FileList, SelectionKeepsEarlierMarksAndSurvivesANarrowerPattern)
{
    openIconPage(icons);
    clickFile(u"lib.dll"_s);
    clickCell(7);
    clickFile(u"bunt.dll"_s);
    EXPECT_PAGE("Symbole | bunt.dll | Symbole | 3 | 0 | 0,7");
    EXPECT_EQ(cells(), grid(3));
    clickCell(1);
    w->IconFiles->setPattern(u"*.DLL"_s);
    EXPECT_EQ(w->IconFiles->listCount(), 4) << "the .dll files only, whatever the case";
    EXPECT_PAGE("Symbole | bunt.dll | Symbole | 3 | 1 | 1");
    w->IconFiles->setPattern(u"*.ico"_s);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
}

} // namespace
