// SPDX-License-Identifier: GPL-3.0-or-later
// Finishing the wizard on a real folder: the files, keys and attribute bits it leaves for
// every combination of what the user left on the pages, input queued meanwhile, targets that
// cannot take the settings, and the engine that customises without the window against it.
#include "store/Registry.h"
#include "store/finish_journal.h"
#include "store/folder_customisation.h"
#include "tests/wizard/wizard_fixture.h"

#include <QCloseEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString kNotWritten = "Die Einstellungen konnten nicht in den Ordner geschrieben werden.";

class Apply : public WizardTest {
protected:
    // Next, a tooltip, Next, the first icon of a.ico: ready to finish.
    void toIconPage()
    {
        start(1);
        w->Text1->setText("Tipp");
        next();
        enterFolder(icons);
    }
    static void postClick(QWidget* button)
    {
        const QPointF at = QRectF(button->rect()).center();
        for (const QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease })
            QCoreApplication::postEvent(button,
                new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    }
    void run(const char* tooltip, const char* iconFile, int cell, bool copyIt)
    {
        customise(target, { "", tooltip, iconFile, cell, copyIt, 0, 0 });
    }
    static WantedCustomisation wantedBy(const FinalState& row, const QString& icons)
    {
        WantedCustomisation wanted;
        wanted.tooltip = QString::fromUtf8(row.tooltip);
        if (*row.iconFile)
            wanted.icon = IconChoice { icons + '/' + row.iconFile, QString::number(row.cell), row.copyIt };
        return wanted;
    }
    // Every entry of the folder by name, with its bytes and bits, and the folder's bits.
    static QByteArray bytesAndBits(const QString& folder)
    {
        QByteArray all = QByteArray::number(bits(folder));
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            all += '|' + name.toUtf8() + '=' + testutil::readBytes(folder + '/' + name) + '|'
                + QByteArray::number(bits(folder + '/' + name));
        return all;
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

// On the Me family the folder is marked system instead, with a tooltip alone as well;
// with nothing left it ends unmarked. (An icon that only Windows resolves: the plan's tests.)
TEST_F(Apply, MeFamilyMarksTheFolderSystem)
{
    const testutil::EnvGuard me("QUILLMARK_OSVERSION", "1.4.90");
    run("x", "a.ico", 0, false);
    EXPECT_EQ(bits(target), 36u);
    run("x", "", 0, false);
    EXPECT_EQ(bits(target), 36u);
    run("", "", 0, false);
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
        // Only the full path is a name Windows cannot open; the first finish and the re-run say so.
        EXPECT_EQ(messages.size(), k.written ? 0 : 2) << messages.join('\n').toStdString();
        EXPECT_EQ(messages.join('\n').contains("Linux-Pfad"), !k.written);
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

// References restored from a settings file that others can write: a name with "%20" is
// relative; a file outside the folder's share is shown but never copied into it.
TEST_F(Apply, RestoredReferencesStayWhereTheyAre)
{
    if (QStandardPaths::findExecutable("testparm").isEmpty()) GTEST_SKIP() << "testparm (samba) is not installed";
    const QString share = tmp.filePath("Freigabe");
    target = share + "/Ordner";
    ASSERT_TRUE(QDir().mkpath(target + "/Icons%20Pack%202"));
    testutil::writeBytes(target + "/Icons%20Pack%202/a.ico", testing_support::makeSolidIco(Qt::red));
    testutil::writeBytes(tmp.filePath("smb.conf"), ("[freigabe]\npath = " + share + "\n").toUtf8());
    const testutil::EnvGuard conf("QUILLMARK_SMB_CONF", tmp.filePath("smb.conf"));
    for (const QString& reference : { QString("Icons%20Pack%202\\a.ico"), icons + "/lib.dll" }) {
        testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nIconFile=" + reference.toUtf8() + "\r\nIconIndex=0\r\n");
        start(2);
        EXPECT_NE(w->IconFiles->listIndex(), -1) << "shown";
        next();
        EXPECT_EQ(key("IconFile"), reference);
        EXPECT_EQ(testutil::readBytes(copy()), "<missing>");
    }
}

// Cancel, the close box or a kill on the icon page: a restored icon copy is hidden again.
TEST_F(Apply, ARunThatFinishesNothingLeavesTheIconCopyHidden)
{
    testutil::writeBytes(copy(), testing_support::makeSolidIco(Qt::red));
    testutil::writeBytes(settings(), "[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=0\r\n");
    SetFileAttributesA(copy(), 34);
    for (int way = 0; way < 3; ++way) {
        start(2);
        ASSERT_EQ(bits(copy()), 32u) << "shown on the icon page";
        if (way == 0) QTest::mouseClick(w->CCancel, Qt::LeftButton);
        if (way == 1) w->close();
        if (way == 2) w.reset();
        EXPECT_EQ(RepairInterruptedFinishes(), way == 2 ? 1 : 0);
        EXPECT_EQ(bits(copy()), 34u) << way;
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

// Cancel, the close box and a second Next, queued before the finish: the
// finish runs once to its end and the folder ends customised.
TEST_F(Apply, InputQueuedDuringTheFinishIsDropped)
{
    toIconPage();
    postClick(w->CCancel);
    QCoreApplication::postEvent(w.get(), new QCloseEvent);
    postClick(w->CWeiter);
    next();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(key("InfoTip"), "Tipp");
    EXPECT_EQ(bits(target), DWORD(1));
    EXPECT_EQ(bits(settings()), DWORD(34));
    EXPECT_TRUE(messages.isEmpty());
}

// A target that is a file, or a folder gone meanwhile: one message, and a
// file given as the folder stays exactly as it was.
TEST_F(Apply, TargetsThatCannotTakeTheSettingsSaySoOnce)
{
    const QString file = tmp.filePath("Datei");
    testutil::writeBytes(file, "data");
    testutil::setMode(file, 0640);
    for (const QString kind : { "file", "gone", "folder" }) {
        SCOPED_TRACE(kind.toStdString());
        messages.clear();
        target = kind == "file" ? file : tmp.filePath(kind);
        ASSERT_TRUE(kind == "file" || QDir().mkpath(target));
        toIconPage();
        ASSERT_TRUE(kind != "gone" || QDir(target).removeRecursively());
        next();
        EXPECT_EQ(ended, 1);
        EXPECT_EQ(
            messages, kind == "folder" ? QStringList() : QStringList { "Morvane Quillmark: " + kNotWritten });
    }
    EXPECT_EQ(testutil::readBytes(file), "data");
    EXPECT_EQ(testutil::modeOf(file), mode_t(0640));
    EXPECT_FALSE(testutil::dosAttribXattr(file));
}

// An index chosen in the icon-choice dialog beyond the grid's twenty cells
// is written again by a plain re-run.
TEST_F(Apply, StoredIndexBeyondTheGridSurvivesARerun)
{
    IniWrite(settings(), kShellClassInfo, "IconFile", icons + "/lib.dll");
    IniWrite(settings(), kShellClassInfo, "IconIndex", "22");
    start(3);
    EXPECT_EQ(key("IconIndex"), "22");
}

// Every row of the final-state table, from each starting state a folder may be in (one of them
// a .directory of Dolphin's), on NT and on Me, gives the same bytes and attribute bits by the
// engine of the folder command and of the repair as by the wizard's finish.
TEST_F(Apply, TheEngineGivesTheWizardsBytesAndBitsForEveryRow)
{
    const QString byEngine = tmp.filePath("Zweiter Ordner");
    const QByteArray utf16("\xff\xfe[\0.\0S\0h\0e\0l\0l\0C\0l\0a\0s\0s\0I\0n\0f\0o\0]\0\r\0\n\0"
                           "I\0n\0f\0o\0T\0i\0p\0=\0\xa3\x03\r\0\n\0", 62);
    const struct {
        const char* name;
        QByteArray settings;
        bool withCopy;
    } seeds[] = { { "Desktop.ini", "", false }, { "Desktop.ini", "[ViewState]\r\nMode=4\r\n", false },
        { "Desktop.ini", "[.ShellClassInfo]\r\nIconResource=%SystemRoot%\\system32\\imageres.dll,-3\r\n", false },
        { "Desktop.ini", "[.ShellClassInfo]\r\nIconFile=..\\Symbole\\a.ico\r\nIconIndex=0\r\n", false },
        { "Desktop.ini", "[.ShellClassInfo]\r\nIconFile=Desktop.ico\r\nIconIndex=0\r\n", true },
        { "Desktop.ini", utf16, false }, { "desktop.ini", "[.ShellClassInfo]\r\nInfoTip=klein\r\n", false },
        { ".directory", "[Dolphin]\nViewMode=1\n\n[Desktop Entry]\nIcon=folder-red\n", false } };
    for (const char* version : { "", "1.4.90" }) {
        qputenv("QUILLMARK_OSVERSION", version);
        for (const auto& seed : seeds) {
            for (const FinalState& row : kFinalStates) {
                SCOPED_TRACE(seed.settings.toStdString() + version + row.what);
                for (const QString& folder : { target, byEngine }) {
                    QDir(folder).removeRecursively();
                    QDir().mkpath(folder);
                    if (!seed.settings.isEmpty()) testutil::writeBytes(folder + '/' + seed.name, seed.settings);
                    if (seed.withCopy) testutil::writeBytes(folder + "/Desktop.ico", testing_support::makeSolidIco(Qt::blue));
                }
                customise(target, row);
                EXPECT_EQ(ApplyCustomisation(byEngine, wantedBy(row, icons)), CustomisationRefused::None);
                EXPECT_EQ(bytesAndBits(byEngine), bytesAndBits(target));
            }
        }
    }
    qunsetenv("QUILLMARK_OSVERSION");
    EXPECT_TRUE(
        QDir(tmp.filePath("windows")).entryList({ "*.journal" }, QDir::Files | QDir::Hidden).isEmpty())
        << "the finish removes its journal";
}

// While the finish runs (its pending events let a timer peek), the journal
// holds what the window holds.
TEST_F(Apply, TheFinishRecordsItsChoiceWhileItRuns)
{
    QByteArray recorded;
    QTimer peek;
    QObject::connect(&peek, &QTimer::timeout, [&] {
        const QDir windows(tmp.filePath("windows"));
        for (const QString& name : windows.entryList({ "quillmark-finish-*.journal" }, QDir::Files))
            recorded = testutil::readBytes(windows.filePath(name));
    });
    peek.start(0);
    customise(target, kFinalStates[1]);
    const QJsonObject o = QJsonDocument::fromJson(recorded).object();
    EXPECT_EQ(QStringList({ o["folder"].toString(), o["tooltip"].toString(), o["iconFile"].toString(),
                  o["iconIndex"].toString() }),
        QStringList({ target, "Hallo", icons + "/lib.dll", "3" }))
        << recorded.toStdString();
    EXPECT_TRUE(o["copy"].toBool());
}

} // namespace

namespace {

// The wizard's own setting switches the Linux icon off.
TEST_F(Apply, TheLinuxIconFollowsTheWizardsSetting)
{
    RegKeyCreate(HKEY_CURRENT_USER, kRegSetFolders, QString());
    ASSERT_TRUE(RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, "LinuxIcon", 0));
    customise(target, kFinalStates[0]);
    EXPECT_EQ(testutil::readBytes(target + "/.directory") + testutil::readBytes(target + "/.quillmark.ico"),
        "<missing><missing>");
}

} // namespace
