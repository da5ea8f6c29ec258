// SPDX-License-Identifier: GPL-3.0-or-later
// The folder box of the icon page with its clear and browse buttons and the copy box, and the
// page against bad input: nothing may crash, no icon handle may be left behind.
#include "tests/pages/icons/icon_page_fixture.h"

#include "platform/net/wire/smb_wire.h"

namespace {

using FolderBox = IconPage;
const char* const kOther = "Andere Symbole | x.dll | Andere Symbole | 5 | 0 | 0";

// A folder is listed and focused; a file is selected where the list has it; quotes
// lose one at each end; a missing path empties the box and opens the chooser.
TEST_F(FolderBox, EnterOnFoldersFilePathsQuotesAndMissingPaths)
{
    const QString q = u"\""_s, missing = tmp.filePath(u"gibt es nicht"_s);
    const char* const aIco = "Symbole | a.ico | Symbole | 1 | 0 | 0";
    const char* const yIco = "Andere Symbole | y.ico | Andere Symbole | 1 | 0 | 0";
    const char* const cancelled = "Symbole | lib.dll |  | 25 | 0 | 0";
    struct Case {
        QString typed;
        const char* before; // file clicked first
        const char* page;
        bool focusInBox;
        int dialogs = 0;
        QString chosen = {}; // by the chooser; empty: cancelled
    };
    const Case cases[] = {
        { other, "", kOther, false },
        { folder(u"Leer"_s), "", "Leer |  | Leer | * | * | *", false }, // the focus moves to the empty list
        { icons + u"/./"_s, "", "Symbole | a.ico | Symbole | 1 | 0 | 0", false },
        { icons + u"/lib.dll"_s, "", "Symbole | lib.dll | Symbole | 25 | 0 | 0", true },
        { other + u"/y.ico"_s, "a.ico", yIco, true },
        { other + u"/Y.ICO"_s, "", kOther, false },
        { other + u"/Y.ICO"_s, "a.ico", aIco, false },
        { other + u"/liesmich.txt"_s, "", kOther, false },
        { q + other + q, "", kOther, false },
        { q + other, "", kOther, false },
        { other + q, "", kOther, false },
        { q + other + u"/y.ico"_s + q, "", yIco, true },
        { q + q + other + q + q, "lib.dll", cancelled, true, 1 },
        { missing, "lib.dll", cancelled, true, 1 },
        { QString(), "lib.dll", cancelled, true, 1 },
        { missing, "lib.dll", kOther, false, 1, other },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + " after " + c.before);
        openIconPage(icons);
        if (*c.before) clickFile(QString::fromLatin1(c.before));
        folderDialogs = 0;
        chosenFolder = c.chosen;
        enterFolder(c.typed);
        EXPECT_PAGE(c.page);
        EXPECT_EQ(focused(), c.focusInBox ? static_cast<QWidget*>(w->Text2) : w->IconFiles);
        EXPECT_EQ(folderDialogs, c.dialogs);
        if (!c.focusInBox && c.dialogs == 0) {
            EXPECT_EQ(std::pair(w->Text2->selStart(), w->Text2->selLength()),
                std::pair(0, int(w->Text2->text().size())));
            EXPECT_FALSE(w->Text2->lineEdit()->hasSelectedText())
                << "all selected, shown only with the focus";
            w->Text2->setFocus();
            EXPECT_EQ(w->Text2->lineEdit()->selectedText(), w->Text2->text());
        }
        EXPECT_TRUE(w->IconFiles->isEnabled() && w->PImage->isEnabled());
    }
}

TEST_F(FolderBox, DropDownPickLoadsTheFolderUnlessTheTagSaysOtherwise)
{
    const QString quoted = u"\""_s + other + u"\""_s;
    const std::tuple<QString, const char*, const char*> cases[] = {
        { other, "", kOther }, { quoted, "", kOther },
        { quoted, "1", "Symbole |  | Andere Symbole | * | * | " }, // the quotes go in any case
    };
    for (const auto& [item, tag, want] : cases) {
        SCOPED_TRACE(item.toStdString() + " tag " + tag);
        openIconPage(icons);
        w->Text2->AddItem(icons);
        w->Text2->AddItem(item);
        w->Text2->setTag(QString::fromLatin1(tag));
        w->Text2->setFocus();
        w->Text2->showPopup();
        w->Text2->view()->setCurrentIndex(w->Text2->view()->model()->index(1, 0));
        QTest::keyClick(w->Text2->view(), Qt::Key_Return);
        EXPECT_PAGE(want);
        EXPECT_EQ(focused() == w->IconFiles, *tag == 0);
    }
}

// A recent folder on a server is asked for only once the user picks it:
// loaded into the list, it is folder data like any other.
TEST_F(FolderBox, ARecentFolderOnAServerIsAskedOnlyOncePicked)
{
    static QByteArrayList asked;
    static const net::wire::Calls server {
        [](const QByteArray& url, std::vector<net::Entry>& out) {
            asked << url;
            out.clear();
            return 0;
        },
        [](const QByteArray&, QByteArray&, qint64) { return ENOENT; }, [](const QByteArray&) { return 0; },
        [](const QByteArray&, const QByteArray&) { return EACCES; }, [](const QByteArray&) { return EACCES; },
        [](const QByteArray&, const QByteArray&) { return EACCES; }, [](const QByteArray&, DWORD) { return EACCES; },
        [](const QString&) { return std::optional<net::SignIn>(); }, [](const QString&) { return QString(); },
    };
    net::wire::useCalls(&server);
    openIconPage(icons);
    w->Text2->AddItem(icons);
    w->Text2->AddItem(u"\\\\zuletzt\\share\\Symbole"_s);
    EXPECT_TRUE(asked.isEmpty());
    w->Text2->setFocus();
    w->Text2->showPopup();
    w->Text2->view()->setCurrentIndex(w->Text2->view()->model()->index(1, 0));
    QTest::keyClick(w->Text2->view(), Qt::Key_Return);
    net::wire::useCalls(nullptr);
    EXPECT_TRUE(asked.contains("smb://zuletzt/share")) << "picked, it is the user's choice";
}

// Unticking the copy box takes the first recent folder; the clear button
// unticks it and drops the choice but keeps the folder.
TEST_F(FolderBox, CopyBoxAndClearButton)
{
    openIconPage(icons);
    clickFile(u"lib.dll"_s);
    clickCell(6);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    ASSERT_EQ(w->bKopieren->value(), 1);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_PAGE("Symbole | lib.dll | Symbole | 25 | 6 | 6") << "without recent folders nothing changes";
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    QTest::mouseClick(w->CLöschen, Qt::LeftButton);
    EXPECT_EQ(w->bKopieren->value(), 0);
    const char* const cleared = "Symbole |  | Symbole | * | 0 | ";
    EXPECT_PAGE(cleared);
    EXPECT_EQ(cells(), grid(0));
    w->Text2->AddItem(other);
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_PAGE(cleared) << "ticking changes nothing";
    QTest::mouseClick(w->bKopieren, Qt::LeftButton);
    EXPECT_PAGE(kOther);
}

TEST_F(FolderBox, BrowseButtonLoadsTheChosenFolder)
{
    const QString drive = folder(u"Lokaler Datenträger (C:)"_s);
    put(drive + u"/c.ico"_s);
    const std::pair<QString, const char*> cases[] = {
        { QString(), "Symbole | lib.dll | Symbole | 25 | 3 | 3" }, // cancelled
        { other, kOther },
        { drive, "Lokaler Datenträger (C:) | c.ico | Lokaler Datenträger (C:) | 1 | 0 | 0" },
        { u"/"_s, "/ |  | / | * | * | *" },
    };
    for (const auto& [chosen, want] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        chosenFolder = chosen;
        openIconPage(icons);
        clickFile(u"lib.dll"_s);
        clickCell(3);
        QStringList asked;
        shell::setFolderChooser([&](HWND, const QString& title, const QString& start) {
            asked << title << start;
            return chosenFolder;
        });
        QTest::mouseClick(w->CÖffnen, Qt::LeftButton);
        EXPECT_EQ(asked,
            QStringList({ u"Wählen Sie den Zielordner, indem sich die Programme befinden ..."_s, u"/"_s }));
        EXPECT_PAGE(want);
        EXPECT_EQ(focused() == w->IconFiles, !chosen.isEmpty() && w->IconFiles->listCount() > 0);
    }
}

// The page opens on the folder's own icon copy with the list narrowed to it; the next folder,
// entered, picked or a file of the same folder chosen in the dialog, is listed in full.
TEST_F(FolderBox, ANarrowedListWidensForTheNextFolder)
{
    testutil::writeBytes(copy(), testing_support::makeIconLibrary(6));
    testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=2\r\n");
    put(target + u"/Anderes.dll"_s, 30);
    pickedFile = target + u"/Anderes.dll"_s;
    pickedIndex = 25;
    for (const char* how : { "entered", "picked", "dialog" }) {
        openIconPage(icons);
        ASSERT_EQ(w->IconFiles->pattern(), u"Desktop.ico"_s);
        w->Text2->AddItem(other);
        w->Text2->setText(other);
        int enter = 13; // as the finish enters what the box holds
        if (*how == 'e') w->Text2_KeyPress(enter);
        if (*how == 'p') w->Text2->setListIndex(w->Text2->listCount() - 1);
        if (*how == 'd') clickCell(18);
        EXPECT_EQ(w->IconFiles->pattern(), u"*.ico;*.exe;*.dll"_s) << how;
        // The dialog's choice drops the restored mark; a new selection keeps it.
        EXPECT_PAGE(*how == 'd' ? "Mein Ordner | Anderes.dll | * | 30 | 25 | 0"
                                : "Andere Symbole | x.dll | Andere Symbole | 5 | 0 | 0,2");
    }
}

using BadInput = IconPage;

TEST_F(BadInput, FolderOfTenThousandFiles)
{
    const QString many = folder(u"Viele"_s);
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(QFile(many + u"/f%1.ico"_s.arg(i, 5, 10, QLatin1Char('0'))).open(QIODevice::WriteOnly));
    put(many + u"/f00042.dll"_s, 2);
    openIconPage(icons);
    enterFolder(many);
    ASSERT_EQ(w->IconFiles->listCount(), 10001);
    EXPECT_PAGE("Viele | f00000.ico | Viele | 0 | 0 | ") << "an empty file has no icons";
    // A typed path is searched entry by entry up to the match.
    enterFolder(many + u"/f00042.dll"_s);
    EXPECT_PAGE("Viele | f00042.dll | Viele | 2 | 0 | 0");
}

TEST_F(BadInput, FolderDeletedWhileListed)
{
    const QString gone = folder(u"Bald weg"_s);
    put(gone + u"/a.dll"_s, 4);
    put(gone + u"/b.dll"_s, 4);
    openIconPage(gone);
    clickFile(u"a.dll"_s);
    ASSERT_TRUE(QDir(gone).removeRecursively());
    clickFile(u"b.dll"_s);
    const char* const empty = "Bald weg | b.dll | Bald weg | 0 | 0 | ";
    EXPECT_PAGE(empty);
    EXPECT_EQ(cells(), grid(0));
    clickCell(2);
    EXPECT_PAGE(empty);
    chosenFolder = gone; // a chooser cannot give back a folder that is gone
    QTest::mouseClick(w->CÖffnen, Qt::LeftButton);
    EXPECT_EQ(folderDialogs, 1);
    EXPECT_PAGE(empty);
    w->IconFiles->Refresh();
    EXPECT_EQ(w->IconFiles->listCount(), 0);
}

// Each bad file follows a good one, whose icons and mark must go.
TEST_F(BadInput, FilesThatOnlyPretendToHoldIcons)
{
    const QByteArray lib = testing_support::makeIconLibrary(25);
    const std::pair<const char*, QByteArray> cases[] = {
        { "text.dll", "Dies ist keine Bibliothek.\r\n" },
        { "leer.ico", QByteArray() },
        { "kopf-weit-weg.dll", QByteArray(lib).replace(0x3C, 4, QByteArray("\x00\xFF\xFF\xFF", 4)) },
        { "nur-kopf.exe", lib.left(64) },
        { "rauschen.ico", QByteArray(4096, '\xFF') },
    };
    for (const auto& [name, bytes] : cases)
        testutil::writeBytes(icons + u'/' + QString::fromLatin1(name), bytes);
    openIconPage(icons);
    watchDrawing();
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        clickFile(u"lib.dll"_s);
        handlesWhileDrawing.clear();
        clickFile(QString::fromLatin1(name));
        EXPECT_PAGE(u"Symbole | "_s + name + u" | Symbole | 0 | 0 | "_s);
        EXPECT_EQ(cells(), grid(0));
        EXPECT_TRUE(handlesWhileDrawing.empty()) << "nothing was drawn";
        clickCell(0);
        EXPECT_PAGE(u"Symbole | "_s + name + u" | Symbole | 0 | 0 | "_s);
    }
}

TEST_F(BadInput, NamesWithBlanksUmlautsQuotesAndColons)
{
    const QString odd = folder(u"Für \"Sie\": Symbole"_s);
    const char* const names[]
        = { "Ordner grün.ico", "\"Zitat\".dll", "Uhr 12:30.exe", "  zwei Blanks .ico", "Ä:Ö:Ü.dll" };
    for (const char* name : names)
        testutil::writeBytes(odd + u'/' + QString::fromUtf8(name), testing_support::makeIconLibrary(3));
    openIconPage(icons);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        enterFolder(odd + u'/' + QString::fromUtf8(name));
        EXPECT_PAGE(u"Für \"Sie\": Symbole | "_s + QString::fromUtf8(name)
            + u" | Für \"Sie\": Symbole | 3 | 0 | 0"_s);
    }
}

} // namespace
