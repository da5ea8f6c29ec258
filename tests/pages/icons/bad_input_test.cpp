// The icon page against bad input: a folder of 10,000 files, a folder that
// goes away while it is listed, files that only pretend to be icon sources,
// and names with blanks, umlauts, quotes and colons. Nothing may crash, and
// no icon handle may be left behind.
#include "tests/pages/icons/icon_page_fixture.h"

namespace {

class BadInput : public IconPage { };

TEST_F(BadInput, FolderOfTenThousandFiles)
{
    const QString many = folder(QStringLiteral("Viele"));
    for (int i = 0; i < 10000; ++i) {
        QFile f(many + QStringLiteral("/f%1.ico").arg(i, 5, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    library(many + QStringLiteral("/f00042.dll"), 2);
    openIconPage(icons);
    typeAndEnter(many);
    ASSERT_EQ(w->IconFiles->listCount(), 10001);
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("f00000.ico"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("0")) << "an empty file has no icons";
    EXPECT_TRUE(markedCells().empty());

    // A typed path is searched entry by entry up to the match.
    typeAndEnter(many + QStringLiteral("/f00042.dll"));
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("f00042.dll"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("2"));
    EXPECT_EQ(markedCells(), std::vector<int> { 0 });

    w->IconFiles->setFocus();
    QTest::keyClick(w->IconFiles, 'f');
    EXPECT_EQ(w->IconFiles->fileName(), QStringLiteral("f00042.ico"));
    w->IconFiles->setPattern(QStringLiteral("*.dll"));
    EXPECT_EQ(w->IconFiles->listCount(), 1);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
}

TEST_F(BadInput, FolderDeletedWhileListed)
{
    const QString gone = folder(QStringLiteral("Bald weg"));
    library(gone + QStringLiteral("/a.dll"), 4);
    library(gone + QStringLiteral("/b.dll"), 4);
    openIconPage(gone);
    clickFile(QStringLiteral("a.dll"));
    ASSERT_TRUE(QDir(gone).removeRecursively());

    clickFile(QStringLiteral("b.dll"));
    EXPECT_EQ(w->IconCounts->text(), QStringLiteral("0"));
    EXPECT_TRUE(cellEmpty(0));
    EXPECT_EQ(w->Bilddatei[0]->borderStyle(), 0);
    clickCell(2);
    EXPECT_TRUE(markedCells().empty());
    EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));

    // The browse button's chooser cannot give back a folder that is gone.
    chosenFolder = gone;
    QTest::mouseClick(w->CÖffnen, Qt::LeftButton);
    EXPECT_EQ(folderDialogs, 1);
    EXPECT_EQ(w->Text2->text(), gone) << "a chooser that yields nothing changes nothing";

    w->IconFiles->Refresh();
    EXPECT_EQ(w->IconFiles->listCount(), 0);
    typeAndEnter(gone);
    EXPECT_EQ(w->Text2->text(), QString());
    EXPECT_EQ(folderDialogs, 2);
    QTest::mouseClick(w->CLöschen, Qt::LeftButton);
    EXPECT_EQ(w->IconFiles->listIndex(), -1);
}

TEST_F(BadInput, FilesThatOnlyPretendToHoldIcons)
{
    const QByteArray library25 = testing_support::makeIconLibrary(25);
    QByteArray farHeader = library25;
    farHeader.replace(0x3C, 4, QByteArray("\x00\xFF\xFF\xFF", 4)); // the PE header lies far past the end
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        { "text.dll", "Dies ist keine Bibliothek.\r\n" },
        { "leer.ico", QByteArray() },
        { "kopf-weit-weg.dll", farHeader },
        { "nur-kopf.exe", library25.left(64) },
        { "rauschen.ico", QByteArray(4096, '\xFF') },
    };
    const QString odd = folder(QStringLiteral("Seltsam"));
    for (const Case& c : cases)
        ASSERT_TRUE(
            testing_support::writeFile(odd + QLatin1Char('/') + QString::fromLatin1(c.name), c.bytes));
    openIconPage(odd);
    watchDrawing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clickFile(QString::fromLatin1(c.name));
        EXPECT_EQ(w->IconCounts->text(), QStringLiteral("0"));
        for (int cell = 0; cell < 20; ++cell)
            EXPECT_TRUE(cellEmpty(cell)) << "cell " << cell;
        clickCell(0);
        EXPECT_TRUE(markedCells().empty());
        EXPECT_EQ(w->IconCache->text(), QStringLiteral("0"));
        EXPECT_EQ(LiveIconHandles(), 0);
    }
    EXPECT_TRUE(handlesWhileDrawing.empty()) << "nothing was drawn";
}

TEST_F(BadInput, NamesWithBlanksUmlautsQuotesAndColons)
{
    const QString odd = folder(QStringLiteral("Für \"Sie\": Symbole"));
    const char* const names[]
        = { "Ordner grün.ico", "\"Zitat\".dll", "Uhr 12:30.exe", "  zwei Blanks .ico", "Ä:Ö:Ü.dll" };
    for (const char* name : names)
        library(odd + QLatin1Char('/') + QString::fromUtf8(name), 3);
    openIconPage(icons);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        typeAndEnter(odd + QLatin1Char('/') + QString::fromUtf8(name));
        EXPECT_EQ(w->IconFiles->path(), odd);
        EXPECT_EQ(w->IconFiles->fileName(), QString::fromUtf8(name));
        EXPECT_EQ(w->Text2->text(), odd);
        EXPECT_EQ(w->IconCounts->text(), QStringLiteral("3"));
        EXPECT_TRUE(cellShowsIcon(2, 2));
    }
    // The same folder typed in quotes, and picked with the browse button.
    typeAndEnter(QStringLiteral("\"") + odd + QStringLiteral("\""));
    EXPECT_EQ(w->IconFiles->path(), odd);
    chosenFolder = odd;
    QTest::mouseClick(w->CÖffnen, Qt::LeftButton);
    EXPECT_EQ(w->Text2->text(), odd);
    EXPECT_EQ(w->IconFiles->listCount(), 5);
}

} // namespace
