// The icon page against bad input: nothing may crash, no icon handle may be left behind.
#include "tests/pages/icons/icon_page_fixture.h"

namespace {

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
