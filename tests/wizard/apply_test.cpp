// Finishing the wizard on a real folder: the files, keys and attribute bits
// it leaves, for every combination of what the user left on the pages.
#include "tests/support/test_util.h"
#include "tests/wizard/wizard_fixture.h"

#include "store/Registry.h"

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
    customiseAll(tmp.path());
    expectFinalStates(tmp.path(), [this](const QString& p) {
        const DWORD a = bits(tmp.filePath(p));
        return a == INVALID_FILE_ATTRIBUTES ? std::nullopt : std::optional(a);
    });
}

// Line breaks become blanks, so the file keeps its shape; Greek makes it UTF-16LE.
TEST_F(Apply, TooltipsAreWrittenOnOneLineAndInUnicodeWhereNeeded)
{
    run("a\r\n[Extra]\rIconIndex=7\nb", "", 0, false);
    EXPECT_EQ(testutil::readBytes(settings()), "[.ShellClassInfo]\r\nInfoTip=a [Extra] IconIndex=7 b\r\n");
    run("Καλημέρα", "", 0, false);
    EXPECT_TRUE(testutil::readBytes(settings()).startsWith("\xff\xfe"));
    EXPECT_EQ(key("Infotip"), QString::fromUtf8("Καλημέρα"));
}

// On the Me family the folder is marked system instead; without an icon it ends unmarked.
TEST_F(Apply, MeFamilyMarksTheFolderSystem)
{
    const testutil::EnvGuard me("QUILLMARK_OSVERSION", "1.4.90");
    run("x", "a.ico", 0, false);
    EXPECT_EQ(bits(target), 36u);
    run("x", "", 0, false);
    EXPECT_EQ(bits(target), 0u);
}

// A file with other keys stays; one with nothing left goes after five seconds on the clock, the
// window out of the user's reach meanwhile.
TEST_F(Apply, RemovalKeepsFilesThatStillHoldSomething)
{
    for (const bool kept : { true, false }) {
        SCOPED_TRACE(kept);
        const QByteArray other = kept ? "[ViewState]\r\nMode=4\r\n" : "";
        testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=2\r\n" + other);
        const float before = clock;
        run("", "", 0, false);
        EXPECT_GE(clock - before, 5.0f);
        EXPECT_TRUE(w->isHidden());
        EXPECT_EQ(testutil::readBytes(settings()), kept ? "[.ShellClassInfo]\r\n" + other : "<missing>");
        EXPECT_EQ(bits(settings()), kept ? 0u : INVALID_FILE_ATTRIBUTES);
    }
}

// Windows and earlier runs leave read-only files: a re-run still changes the
// tooltip and replaces or removes the icon copy.
TEST_F(Apply, ReadOnlyFilesAreStillChanged)
{
    for (const bool copyIt : { true, false }) {
        SCOPED_TRACE(copyIt);
        testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nInfoTip=alt\r\n");
        testutil::writeBytes(copy(), "alt");
        ASSERT_TRUE(SetFileAttributesA(settings(), 39) && SetFileAttributesA(copy(), 39));
        run("neu", copyIt ? "a.ico" : "", 0, copyIt);
        EXPECT_EQ(key("InfoTip"), "neu");
        EXPECT_EQ(testutil::readBytes(copy()), copyIt ? testutil::readBytes(icons + "/a.ico") : "<missing>");
    }
}

// A file typed into the folder box but not entered is what the finish sets, not the choice before it.
TEST_F(Apply, AFileTypedButNotEnteredIsTheIcon)
{
    start(2);
    enterFolder(icons);
    w->IconFiles->setFileName("lib.dll");
    clickCell(7);
    w->Text2->setText(icons + "/a.ico");
    next();
    EXPECT_EQ(key("IconFile") + ' ' + key("IconIndex"), "..\\Symbole\\a.ico 0");
}

TEST_F(Apply, FolderTextKeepsItsQuotesInTheRegistryOnly)
{
    start(2);
    enterFolder(icons);
    w->Text2->setText('"' + icons + '"');
    next();
    RegValue stored;
    EXPECT_TRUE(RegValueRead(HKEY_CURRENT_USER, kRegSetFolders, "Folder", stored));
    EXPECT_EQ(stored, RegValue('"' + icons + '"'));
    EXPECT_EQ(IniRead(tmp.filePath("windows/") + App::exeName() + ".dat", "Filename", "01"), icons);
}

// Where the icon lies decides how IconFile names it; a plain re-run finds
// it again and changes nothing on disk.
TEST_F(Apply, AReRunChangesNothingOnDisk)
{
    QTemporaryDir elsewhere("/dev/shm/quillmark-XXXXXX");
    const struct {
        const char* what;
        QString folder;
        bool copyIt;
        const char* written; // nullptr: the full path
    } cases[] = { { "icon copy", icons, true, "Desktop.ico" },
        { "a sibling", icons, false, "..\\Symbole\\lib.dll" }, { "same folder", target, false, "lib.dll" },
        { "a subfolder", target + "/Sub", false, "Sub\\lib.dll" },
        { "another file system", elsewhere.path(), false, nullptr } };
    const QByteArray lib = testutil::readBytes(icons + "/lib.dll");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        QDir(target).removeRecursively();
        icons = k.folder;
        ASSERT_TRUE(QDir().mkpath(target) && QDir().mkpath(icons));
        testutil::writeBytes(icons + "/lib.dll", lib);
        run("Tipp", "lib.dll", 3, k.copyIt);
        EXPECT_EQ(key("IconFile"), k.written ? QString::fromUtf8(k.written) : icons + "/lib.dll");
        const QByteArray ini = testutil::readBytes(settings()), ico = testutil::readBytes(copy());
        const DWORD folderBits = bits(target);
        start(3);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(testutil::readBytes(settings()), ini);
        EXPECT_EQ(testutil::readBytes(copy()), ico);
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
        testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nInfoTip=alt\r\n" + icon);
        start(1);
        w->Text1->setText("neu");
        next();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(w->IconFiles->listIndex(), -1);
        next();
        EXPECT_EQ(testutil::readBytes(settings()), "[.ShellClassInfo]\r\nInfoTip=neu\r\n" + icon);
        EXPECT_EQ(bits(target), 1u) << "Windows still reads the folder's icon";
        run("", "", 0, false);
        EXPECT_FALSE(QFileInfo::exists(settings()));
    }
}

TEST_F(Apply, TheIconCopyItselfIsNeverDeletedWhileItIsTheIcon)
{
    run("Tipp", "a.ico", 0, true);
    start(2);
    w->bKopieren->setValue(0); // takes the first recent folder: the copy is chosen again
    w->IconFiles->setPattern("Desktop.ico");
    w->IconFiles->setPath(target);
    w->IconFiles->setFileName("Desktop.ico");
    next();
    EXPECT_EQ(bits(copy()), 34u) << "kept, and hidden again";
    EXPECT_EQ(key("IconFile"), "Desktop.ico");
}

} // namespace
