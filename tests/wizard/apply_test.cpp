// Finishing the wizard on a real folder: the files, keys and attribute bits
// it leaves, for every combination of what the user left on the pages.
#include "tests/wizard/wizard_fixture.h"

#include "store/Registry.h"

#include <QFileInfo>

namespace {

class Apply : public WizardTest {
protected:
    void run(const char* tooltip, const char* iconFile, int cell, bool copyIt)
    {
        customise(target, { "", tooltip, iconFile, cell, copyIt, 0, 0 });
    }
};

TEST_F(Apply, FinalStatesByWhatTheUserLeft)
{
    for (const FinalState& row : kFinalStates) {
        SCOPED_TRACE(row.what);
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        customise(target, row);
        expectFinalState(target, row, [this](const QString& p) -> std::optional<DWORD> {
            const DWORD a = bits(p.isEmpty() ? target : target + '/' + p);
            return a == INVALID_FILE_ATTRIBUTES ? std::nullopt : std::optional(a);
        });
    }
}

TEST_F(Apply, NewFileHoldsItsKeysInOrder)
{
    run("Urlaub 2026", "lib.dll", 7, false);
    const QByteArray text = testing_support::readFile(settings());
    const QByteArray expected
        = "[.ShellClassInfo]\r\nInfoTip=Urlaub 2026\r\nIconFile=..\\Symbole\\lib.dll\r\n"
          "IconIndex=7\r\nIconResource=..\\Symbole\\lib.dll,7\r\n";
    EXPECT_EQ(text, expected);
}

// Line breaks become blanks, so the file keeps its shape; Greek makes it UTF-16LE.
TEST_F(Apply, TooltipsAreWrittenOnOneLineAndInUnicodeWhereNeeded)
{
    run("a\r\n[Extra]\rIconIndex=7\nb", "", 0, false);
    EXPECT_EQ(
        testing_support::readFile(settings()), "[.ShellClassInfo]\r\nInfoTip=a [Extra] IconIndex=7 b\r\n");
    run("Καλημέρα", "", 0, false);
    EXPECT_TRUE(testing_support::readFile(settings()).startsWith("\xff\xfe"));
    EXPECT_EQ(key("Infotip"), QString::fromUtf8("Καλημέρα"));
}

TEST_F(Apply, MeFamilyMarksTheFolderSystem)
{
    qputenv("QUILLMARK_OSVERSION", "1.4.90");
    run("x", "a.ico", 0, false);
    EXPECT_EQ(bits(target), 36u);
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    run("x", "", 0, false);
    EXPECT_EQ(bits(target), 0u) << "without an icon the folder ends unmarked on every version";
    qunsetenv("QUILLMARK_OSVERSION");
}

TEST_F(Apply, RemovalKeepsFilesThatStillHoldSomething)
{
    struct Case {
        const char* what;
        QByteArray before;
        bool kept;
        QByteArray after;
    };
    const Case cases[] = {
        { "a CLSID", "[.ShellClassInfo]\r\nCLSID={1}\r\nIconResource=x,1\r\nInfoTip=t\r\n", true,
            "[.ShellClassInfo]\r\nCLSID={1}\r\n" },
        { "view settings in another section", "[.ShellClassInfo]\r\nInfoTip=t\r\n[ViewState]\r\nMode=4\r\n",
            true, "[.ShellClassInfo]\r\n[ViewState]\r\nMode=4\r\n" },
        { "nothing else", "[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=2\r\nIconResource=a.dll,2\r\n", false,
            "" },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(testing_support::writeFile(settings(), k.before));
        const float before = clock;
        run("", "", 0, false);
        EXPECT_GE(clock - before, 5.0f) << "the removal waits five seconds on the clock";
        EXPECT_TRUE(w->isHidden()) << "and is out of the user's reach meanwhile";
        EXPECT_EQ(QFileInfo::exists(settings()), k.kept);
        if (k.kept) {
            EXPECT_EQ(testing_support::readFile(settings()), k.after);
            EXPECT_EQ(bits(settings()), 0u);
        }
    }
}

TEST_F(Apply, FolderTextKeepsItsQuotesInTheRegistryOnly)
{
    start();
    next();
    next();
    enterFolder(icons);
    w->Text2->setText(QLatin1Char('"') + icons + QLatin1Char('"'));
    next();
    RegValue stored;
    ASSERT_TRUE(RegValueRead(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder"), stored));
    EXPECT_EQ(std::get<QString>(stored), QLatin1Char('"') + icons + QLatin1Char('"'));
    const QString recent = tmp.filePath(QStringLiteral("windows/")) + App::exeName() + QStringLiteral(".dat");
    EXPECT_EQ(IniRead(recent, QStringLiteral("Filename"), QStringLiteral("01")), icons);
}

// Where the icon lies decides how IconFile names it; a plain re-run finds
// it again and changes nothing on disk.
TEST_F(Apply, AReRunChangesNothingOnDisk)
{
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/quillmark-XXXXXX"));
    const struct {
        const char* what;
        QString folder;
        bool copyIt;
        const char* written; // nullptr: the full path
    } cases[] = {
        { "icon copy", icons, true, "Desktop.ico" },
        { "a sibling", icons, false, "..\\Symbole\\lib.dll" },
        { "same folder", target, false, "lib.dll" },
        { "a subfolder", target + "/Sub", false, "Sub\\lib.dll" },
        { "another file system", elsewhere.path(), false, nullptr },
    };
    const QByteArray lib = testing_support::readFile(icons + "/lib.dll");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        QDir(target).removeRecursively();
        icons = k.folder;
        ASSERT_TRUE(QDir().mkpath(target) && QDir().mkpath(icons)
            && testing_support::writeFile(icons + "/lib.dll", lib));
        run("Tipp", "lib.dll", 3, k.copyIt);
        const QString written = k.written ? QString::fromUtf8(k.written) : icons + "/lib.dll";
        EXPECT_EQ(key("IconFile"), written);
        EXPECT_EQ(key("IconResource"), written + ",3");
        const QByteArray ini = testing_support::readFile(settings());
        const QByteArray ico = testing_support::readFile(copy());
        const DWORD folderBits = bits(target);
        start();
        next();
        next();
        EXPECT_EQ(w->IconCache->text(), QStringLiteral("3")) << "the stored icon is chosen again";
        EXPECT_EQ(w->Bilddatei[3]->borderStyle(), 1);
        EXPECT_EQ(w->bKopieren->value(), k.copyIt ? 1 : 0);
        next();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(testing_support::readFile(settings()), ini);
        EXPECT_EQ(testing_support::readFile(copy()), ico);
        EXPECT_EQ(bits(target), folderBits);
    }
}

// Explorer writes references that only Windows resolves. They are no missing
// file, survive a tooltip change and go only with the whole customisation.
TEST_F(Apply, AnIconSetOnWindowsStaysUntilEverythingGoes)
{
    for (const QByteArray icon : { "IconResource=%SystemRoot%\\system32\\imageres.dll,-3\r\n",
             "IconFile=C:\\x.ico\r\nIconIndex=4\r\n", "IconFile=\\\\server\\share\\x.ico\r\n" }) {
        SCOPED_TRACE(icon.constData());
        ASSERT_TRUE(testing_support::writeFile(settings(), "[.ShellClassInfo]\r\nInfoTip=alt\r\n" + icon));
        start();
        next();
        w->Text1->setText("neu");
        next();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(w->IconFiles->listIndex(), -1);
        next();
        EXPECT_EQ(testing_support::readFile(settings()), "[.ShellClassInfo]\r\nInfoTip=neu\r\n" + icon);
        EXPECT_EQ(bits(target), 1u) << "Windows still reads the folder's icon";
        run("", "", 0, false);
        EXPECT_FALSE(QFileInfo::exists(settings()));
    }
}

TEST_F(Apply, AnIconLyingInTheTargetFolderIsCopied)
{
    ASSERT_TRUE(testing_support::writeFile(
        target + QStringLiteral("/eigen.ico"), testing_support::makeSolidIco(Qt::blue)));
    start();
    next();
    next();
    enterFolder(target);
    w->IconFiles->setFileName(QStringLiteral("eigen.ico"));
    w->bKopieren->setValue(1);
    next();
    EXPECT_EQ(key(QStringLiteral("IconFile")), QStringLiteral("Desktop.ico"));
    EXPECT_EQ(
        testing_support::readFile(copy()), testing_support::readFile(target + QStringLiteral("/eigen.ico")));
}

TEST_F(Apply, TheIconCopyItselfIsNeverDeletedWhileItIsTheIcon)
{
    run("Tipp", "a.ico", 0, true);
    start();
    next();
    next();
    ASSERT_EQ(w->IconFiles->fileName(), QStringLiteral("Desktop.ico"));
    w->bKopieren->setValue(0);
    w->IconFiles->setPattern(QStringLiteral("Desktop.ico"));
    w->IconFiles->setPath(target);
    w->IconFiles->setFileName(QStringLiteral("Desktop.ico"));
    next();
    EXPECT_TRUE(QFileInfo::exists(copy()));
    EXPECT_EQ(key(QStringLiteral("IconFile")), QStringLiteral("Desktop.ico"));
}

} // namespace
