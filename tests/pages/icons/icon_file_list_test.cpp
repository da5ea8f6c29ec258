// The icon file list on the icon page, driven with clicks and keys.
#include "tests/pages/icons/icon_page_fixture.h"

#include <QSignalSpy>

namespace {

class FileList : public IconPage {
protected:
    QStringList entries() const
    {
        QStringList names;
        for (int i = 0; i < w->IconFiles->listCount(); ++i)
            names << w->IconFiles->list(i);
        return names;
    }
};

// Enter in the list runs Next and never reaches the list; Esc ends without
// writing, from the list and the box by their own handlers, elsewhere
// through Cancel.
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
    EXPECT_EQ(entries(), QStringList({ "bunt.dll", "lib.dll", "siebzehn.dll", "vierzig.dll" }));
    EXPECT_PAGE("Symbole | bunt.dll | Symbole | 3 | 1 | 1");
    w->IconFiles->setPattern(u"*.ico"_s);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
}

} // namespace
