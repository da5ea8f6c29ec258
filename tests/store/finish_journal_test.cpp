// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of the wizard's finish: a start completes a finish whose
// process died, leaves alone one that still runs, one that is not this
// user's, and a folder someone changed since, and throws away what it
// cannot read.
#include "platform/files/file_attributes.h"
#include "store/IniFiles.h"
#include "store/finish_journal.h"
#include "store/folder_settings.h"
#include "store/journal_record.h"
#include "platform/files/native_names.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

class Journal : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUILLMARK_WINDOWS_DIR", windows.toUtf8());
        ASSERT_TRUE(QDir().mkpath(folder) && QDir().mkpath(windows));
    }
    QStringList journals() const { return QDir(windows).entryList(QDir::Files | QDir::Hidden); }
    QString journal() const { return windows + '/' + journals().value(0); }
    static WantedCustomisation tooltip(const QString& text)
    {
        WantedCustomisation wanted;
        wanted.tooltip = text;
        return wanted;
    }
    // A finish that records its plan and dies before its first step.
    void dieBefore(const WantedCustomisation& wanted) const
    {
        ASSERT_TRUE(testutil::succeeded(testutil::spawn([&] {
            return FinishJournal::begin(PlanCustomisation(folder, wanted, true), wanted).isOpen();
        })));
        ASSERT_EQ(journals().size(), 1);
    }
    QString tooltipNow() const { return IniRead(SettingsFilePath(folder), kShellClassInfo, kKeyInfotipRead); }

    QTemporaryDir tmp;
    QString windows = tmp.filePath("windows");
    QString folder = tmp.filePath("Ordner mit \"Anführung\"\nund Zeile \u202e\u0085");
};

TEST_F(Journal, AStartCompletesWhatAFinishThatDiedMeant)
{
    dieBefore(tooltip("neu"));
    EXPECT_EQ(tooltipNow(), "");
    EXPECT_EQ(RepairInterruptedFinishes(), 1);
    EXPECT_EQ(tooltipNow(), "neu");
    EXPECT_TRUE(journals().isEmpty());
    // Half done (the finish's own steps left it so), and the folder's lock
    // held elsewhere: a start gives up after its time, the next completes it.
    dieBefore(tooltip("wieder"));
    IniWrite(SettingsFilePath(folder), kShellClassInfo, kKeyInfoTip, "wieder");
    const int held = ::open(folder.toUtf8(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    RepairInterruptedFinishesWithin(100);
    EXPECT_EQ(journals().size(), 1) << "left for the next start";
    ::close(held);
    // The stopped start's process lets go of the journal as it dies.
    const int journalFd = ::open(journal().toUtf8(), O_RDWR);
    ASSERT_EQ(::flock(journalFd, LOCK_EX), 0);
    ::close(journalFd);
    RepairInterruptedFinishesWithin(10000);
    EXPECT_EQ(GetFileAttributesA(folder) & 0x27, kAttrReadOnly) << "completed by a process of its own";
    EXPECT_TRUE(journals().isEmpty());
}

TEST_F(Journal, ARunningFinishIsLeftAloneAndEndsWithoutTrace)
{
    const WantedCustomisation wanted = tooltip("läuft");
    FinishJournal running = FinishJournal::begin(PlanCustomisation(folder, wanted, true), wanted);
    ASSERT_TRUE(running.isOpen());
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    EXPECT_EQ(tooltipNow(), "");
    EXPECT_EQ(journals().size(), 1);
    running.end();
    EXPECT_TRUE(journals().isEmpty());
}

// A change made after the finish died (the folder command, another wizard,
// a Windows client) stands; so does a folder put in the old one's place.
TEST_F(Journal, LaterChangesAndOtherFoldersAreLeftAsTheyAre)
{
    dieBefore(tooltip("alt"));
    IniWrite(SettingsFilePath(folder), kShellClassInfo, kKeyInfoTip, "neu");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    const std::string warned = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warned.find("\\nund Zeile \\u202e\\u0085 wurde seit dem abgebrochenen Abschluss geändert"),
        std::string::npos) << warned;
    EXPECT_EQ(tooltipNow(), "neu");
    dieBefore(tooltip("alt"));
    // A copy of the folder in its place holds the same bytes, but is not the folder. The old
    // one stays until the new one exists, so the new one cannot reuse its inode.
    ASSERT_TRUE(QDir().rename(folder, folder + ".alt") && QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(folder + ".alt/Desktop.ini", SettingsFilePath(folder)));
    ASSERT_TRUE(QDir(folder + ".alt").removeRecursively());
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    EXPECT_EQ(tooltipNow(), "neu");
    EXPECT_TRUE(journals().isEmpty());
}

// What is not this user's own is never read: a journal of another mode,
// owner or kind, or any journal in a Windows directory others may write.
TEST_F(Journal, OnlyThisUsersOwnJournalsAreRead)
{
    const struct {
        const char* what;
        std::function<void(const QString&)> spoil;
    } cases[] = {
        { "readable by all", [](const QString& j) { ::chmod(j.toUtf8(), 0644); } },
        { "another owner", [](const QString& j) { ASSERT_EQ(::chown(j.toUtf8(), 65534, 65534), 0); } },
        { "a link", [](const QString& j) { QFile::rename(j, j + ".x"); QFile::link(j + ".x", j); } },
        { "too large", [](const QString& j) { ::truncate(j.toUtf8(), 100 * 1024); } },
        { "directory writable by all", [this](const QString&) { ::chmod(windows.toUtf8(), 0777); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(windows).removeRecursively();
        dieBefore(tooltip("fremd"));
        c.spoil(journal());
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RepairInterruptedFinishes(), 0);
        EXPECT_EQ(QString::fromStdString(::testing::internal::GetCapturedStderr()).count(windows), 1)
            << "named once";
        EXPECT_EQ(tooltipNow(), "");
        EXPECT_FALSE(journals().isEmpty()) << "left as it is";
        ::chmod(windows.toUtf8(), 0755);
    }
}

// Ubuntu and Fedora give users umask 002: the folder is made for this user
// alone all the same, and one an earlier version left group-writable is
// tightened, so the repair trusts it.
TEST_F(Journal, UnderUmask002AKilledFinishIsRepaired)
{
    const mode_t before = ::umask(002);
    for (const mode_t left : { mode_t(0), mode_t(0775) }) {
        SCOPED_TRACE(left);
        QDir(windows).removeRecursively();
        if (left) {
            ASSERT_TRUE(QDir().mkpath(windows) && ::chmod(windows.toUtf8(), left) == 0);
        }
        const QString text = left ? "früher" : "neu";
        dieBefore(tooltip(text));
        EXPECT_EQ(RepairInterruptedFinishes(), 1);
        EXPECT_EQ(tooltipNow(), text);
        struct stat st;
        ASSERT_EQ(::stat(windows.toUtf8(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, left ? 0755u : 0700u);
    }
    ::umask(before);
}

TEST_F(Journal, AMissingFolderIsTriedAgainForThirtyDays)
{
    dieBefore(tooltip("später"));
    const QString moved = tmp.filePath("ausgesteckt");
    ASSERT_TRUE(QDir().rename(folder, moved));
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    ASSERT_EQ(journals().size(), 1);
    const struct utimbuf old { ::time(nullptr) - 31 * 24 * 3600, ::time(nullptr) - 31 * 24 * 3600 };
    ASSERT_EQ(::utime(journal().toUtf8(), &old), 0);
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    EXPECT_TRUE(journals().isEmpty());
}

// A working icon copy is never lost because the icon file it came from is
// gone or changed; a file without icons, or a journal nobody's finish
// wrote, is never copied.
TEST_F(Journal, TheIconCopyIsNeverLostOrTakenFromElsewhere)
{
    const QString source = tmp.filePath("a.ico"), copy = IconCopyPath(folder);
    testutil::writeBytes(source, testing_support::makeSolidIco(Qt::red));
    WantedCustomisation wanted = tooltip("Symbol");
    wanted.icon = IconChoice { source, "0", true };
    ApplyCustomisation(folder, wanted);
    const QByteArray working = testutil::readBytes(copy);
    for (const QByteArray& replacement : { QByteArray("<gone>"), testing_support::makeSolidIco(Qt::blue) }) {
        dieBefore(wanted);
        QFile::remove(source);
        if (replacement != "<gone>") testutil::writeBytes(source, replacement);
        EXPECT_EQ(RepairInterruptedFinishes(), 1);
        EXPECT_EQ(testutil::readBytes(copy), working);
    }
    const QString secret = tmp.filePath("geheim.dll");
    testutil::writeBytes(secret, "kein Symbol");
    wanted.icon = IconChoice { secret, "0", true };
    ApplyCustomisation(folder, wanted);
    EXPECT_EQ(testutil::readBytes(copy), working);
    testutil::writeBytes(windows + "/quillmark-finish-hand.journal",
        QString(R"({"folder":"%1","tooltip":"","iconFile":"%2","copy":true})").arg(tmp.filePath("neu"), source).toUtf8());
    ::chmod((windows + "/quillmark-finish-hand.journal").toUtf8(), 0600);
    QDir().mkpath(tmp.filePath("neu"));
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    EXPECT_FALSE(QFile::exists(tmp.filePath("neu/Desktop.ico")));
}

TEST_F(Journal, UnreadableJournalsAreThrownAway)
{
    for (const QByteArray& junk :
        { QByteArray("\x00\xff{\"folder\":", 13), QByteArray("{\"tooltip\":\"x\"}"), QByteArray() }) {
        dieBefore(tooltip("x"));
        testutil::writeBytes(journal(), junk);
        EXPECT_EQ(RepairInterruptedFinishes(), 0);
        EXPECT_TRUE(journals().isEmpty());
        EXPECT_EQ(tooltipNow(), "");
    }
}

} // namespace

// The journal's one format: what is written reads back whole (a name that
// is not UTF-8, 64-bit identities), and a journal of an earlier build reads.
TEST(JournalFormat, ReadsBackWhatItWroteAndWhatEarlierBuildsWrote)
{
    JournalRecord full;
    full.folder = files::fromNative("/tmp/caf\xe9\n");
    full.identity = std::pair(quint64(0xfffffffffffffff0u), quint64(7));
    full.tooltip = "50%3";
    full.icon = IconChoice { files::fromNative("/x/\xff.ico"), "3", true, false };
    full.iconDigest = QByteArray(32, '\x01');
    full.states = { { "a", "", 0 }, { "b", "c", 0x11 } };
    JournalRecord unhidden;
    unhidden.folder = "/o";
    unhidden.unhidden = true;
    for (const JournalRecord& r : { full, unhidden }) {
        const std::optional<JournalRecord> back = JournalRecord::fromJson(r.toJson());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->toJson(), r.toJson());
        EXPECT_EQ(back->folder, r.folder);
    }
    const auto earlier = JournalRecord::fromJson(R"({"folder":"/o","folderBytes":"2f6f","device":"5","inode":"9",)"
                                                 R"("tooltip":"t","iconFile":"/i","iconFileBytes":"2f69","iconIndex":"2",)"
                                                 R"("copy":true,"chosen":true,"iconDigest":"ab",)"
                                                 R"("states":[{"settings":"00","iconCopy":"","bits":1}]})");
    ASSERT_TRUE(earlier && earlier->icon && earlier->states.size() == 1);
    EXPECT_EQ(earlier->identity, std::pair(quint64(5), quint64(9)));
    EXPECT_EQ(earlier->icon->file + earlier->icon->index, "/i2");
    EXPECT_TRUE(earlier->icon->copy && earlier->icon->chosen);
    EXPECT_EQ(earlier->states[0], (FolderSnapshot { QByteArray(1, 0), "", 1 }));
    EXPECT_FALSE(JournalRecord::fromJson(R"({"folder":"/o"})")) << "no bytes, no folder";
}
