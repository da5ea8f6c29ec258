// SPDX-License-Identifier: GPL-3.0-or-later
// The profile functions on disk: reads and refused writes, a write that replaces the whole
// file or nothing (full disks, killed and racing writers) and keeps what the old file had,
// and folders others write into.
#include "platform/files/file_api.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile.h"
#include "platform/files/profile_keys.h"

#include "fuzz/profile_round.h"
#include "tests/support/test_util.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <sys/file.h>

using namespace testutil;

namespace {

// In section S; a null value removes the key.
BOOL write(const QString& file, const QString& key, const QString& value)
{
    return WritePrivateProfileStringA("S", key, value.isNull() ? nullptr : &value, file);
}

QString read(const QString& file, const QString& key = "k", const char* section = "S", DWORD size = 1 << 30)
{
    QString buffer;
    const DWORD n = GetPrivateProfileStringA(section, key, "dflt  ", buffer, size, file);
    EXPECT_EQ(qsizetype(n), buffer.size());
    return buffer;
}

using Profile = TempFolder;

// A new file is ANSI with CR LF; a read gives at most size - 1 characters,
// or the default without its trailing blanks.
TEST_F(Profile, NewFileBufferAndDefault)
{
    const QString file = path("a.ini");
    ASSERT_TRUE(write(file, "k", "Grüße €") && write(file, "j", "") && write(file, "n", "0123456789"));
    EXPECT_EQ(readBytes(file),
        "[S]\r\nk=Gr\xfc\xdf"
        "e \x80\r\nj=\r\nn=0123456789\r\n");
    const std::tuple<const char*, const char*, DWORD, QString> cases[] = { { "s", "K", 255, "Grüße €" },
        { "S", "n", 11, "0123456789" }, { "S", "n", 5, "0123" }, { "S", "n", 1, "" }, { "S", "n", 0, "" },
        { "S", "x", 255, "dflt" }, { "T", "k", 255, "dflt" }, { "S", "x", 3, "df" } };
    for (const auto& [section, key, size, expected] : cases)
        EXPECT_EQ(read(file, key, section, size), expected) << key << size;
    EXPECT_EQ(read(path("missing.ini")), "dflt");
}

// A name in another case edits the file there is, and the read-only bit of a folder marks it as
// customised without stopping writes inside. Read-only by bit or by permission, a folder in place
// of the file and a missing folder fail the write and leave everything alone; removing what is not
// there is no change and no failure and creates nothing.
TEST_F(Profile, OtherCaseReadOnlyFolderAndWritesThatMustFail)
{
    writeBytes(path("desktop.ini"), "[S]\r\na=1\r\nk=2\r\n");
    ASSERT_TRUE(SetFileAttributesA(dir.path(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(read(path("Desktop.ini"), "K", "s"), "2");
    EXPECT_TRUE(write(path("Desktop.ini"), "a", "neu") && write(path("DESKTOP.INI"), "K", QString()));
    EXPECT_EQ(readBytes(path("desktop.ini")), "[S]\r\na=neu\r\n");
    EXPECT_TRUE(write(path("none.ini"), "k", QString()) && write(path("no/folder.ini"), "k", QString()));
    const QByteArray content("[S]\r\nk=1\r\n");
    writeBytes(path("bit.ini"), content);
    writeBytes(path("mode.ini"), content);
    ASSERT_TRUE(SetFileAttributesA(path("bit.ini"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    setMode(path("mode.ini"), 0444);
    ASSERT_TRUE(QDir().mkdir(path("dir.ini")));
    for (const QString& file : { path("bit.ini"), path("mode.ini") }) {
        EXPECT_FALSE(write(file, "k", "2") || write(file, "k", QString())) << file.toStdString();
        EXPECT_TRUE(write(file, "x", QString()));
        EXPECT_EQ(readBytes(file), content);
    }
    EXPECT_FALSE(write(path("dir.ini"), "k", "2") || write(path("missing/x.ini"), "k", "2"));
    EXPECT_EQ(read(path("dir.ini")), "dflt");
    EXPECT_EQ(entries(dir.path()), QStringList({ "bit.ini", "desktop.ini", "dir.ini", "mode.ini" }));
}

// Another user's files: one we may write in a folder we may not, and one we
// may not write in a folder we may (a rename would replace it, Windows would not).
TEST_F(Profile, FilesWeMayNotChangeMakeTheWriteFail)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a part as another user";
    for (const auto& [folder, folderMode, fileMode] :
        { std::tuple("locked", 0755, 0666), { "open", 0777, 0644 } }) {
        ASSERT_TRUE(QDir().mkdir(path(folder)));
        writeBytes(path(folder) + "/Desktop.ini", "[S]\r\nk=1\r\n");
        setMode(path(folder) + "/Desktop.ini", mode_t(fileMode));
        setMode(path(folder), mode_t(folderMode));
    }
    setMode(dir.path(), 0755);
    EXPECT_TRUE(asNobody([&] {
        return !write(path("locked/Desktop.ini"), "k", "2") && !write(path("locked/new.ini"), "k", "2")
            && !write(path("open/Desktop.ini"), "k", "2");
    }));
    for (const char* folder : { "locked", "open" }) {
        EXPECT_EQ(readBytes(path(folder) + "/Desktop.ini"), "[S]\r\nk=1\r\n");
        EXPECT_EQ(entries(path(folder)), QStringList { "Desktop.ini" });
    }
}

class Replace : public TempFolder {
protected:
    void TearDown() override { files::setWriteFaultHook({}); }
    // Contents of several pieces over a file of one (the profile functions write no such file).
    const QString file = path("Desktop.ini");
    const QByteArray big = QByteArray(400 * 1024, 'x'), before = "[S]\r\nk=old\r\n";
    using enum files::ReplaceResult;
    bool writeBig() const
    {
        return files::replaceFile(file, [&](auto&&) { return big; }) == Written;
    }
};

// The disk fills before, inside and between the pieces.
TEST_F(Replace, FullDiskLeavesTheOldFileAndNoLeftovers)
{
    for (const qint64 limit : { 0, 1, 65535, 65536, 200000 }) {
        writeBytes(file, before);
        files::setWriteFaultHook([limit](qint64 offset, qint64 length) {
            return std::max<qint64>(0, std::min(length, limit - offset));
        });
        EXPECT_FALSE(writeBig()) << limit;
        files::setWriteFaultHook({});
        EXPECT_EQ(readBytes(file), before) << limit;
        EXPECT_EQ(entries(dir.path()), QStringList { "Desktop.ini" }) << limit;
    }
    EXPECT_TRUE(writeBig());
    EXPECT_EQ(readBytes(file), big);
}

// The next writer sweeps up what a killed one left.
TEST_F(Replace, WriterKilledHalfWayLeavesTheOldFile)
{
    for (const qint64 dieAt : { 0, 70000, 300000 }) {
        writeBytes(file, before);
        const pid_t child = spawn([&] {
            files::setWriteFaultHook([dieAt](qint64 offset, qint64 length) {
                if (offset >= dieAt) ::raise(SIGKILL);
                return length;
            });
            return writeBig();
        });
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << dieAt;
        EXPECT_EQ(readBytes(file), before) << dieAt;
    }
    EXPECT_EQ(entries(dir.path()).size(), 2);
    ASSERT_TRUE(write(file, "k", "new"));
    EXPECT_EQ(entries(dir.path()), QStringList { "Desktop.ini" });
}

// On tmpfs, where flushing costs nothing, the writers overlap the most.
TEST_F(Replace, TwoProcessesWritingAtOnceLoseNothing)
{
    QTemporaryDir shm("/dev/shm/qm-replace-XXXXXX");
    const QString file = shm.isValid() ? shm.filePath("Desktop.ini") : this->file;
    writeBytes(file, "[S]\r\n");
    constexpr int kKeys = 200;
    const auto keyOf = [](int who, int i) { return QStringLiteral("%1%2").arg(QChar("ab"[who])).arg(i); };
    ASSERT_TRUE(allAtOnce(2, [&](int who) {
        for (int i = 0; i < kKeys; ++i)
            if (!write(file, keyOf(who, i), keyOf(who, i))) return false;
        return true;
    }));
    for (int i = 0; i < 2 * kKeys; ++i)
        EXPECT_EQ(read(file, keyOf(i % 2, i / 2)), keyOf(i % 2, i / 2));
    EXPECT_EQ(readBytes(file).count("\r\n"), 2 * kKeys + 1);
}

// A new file takes the umask and no bits; a replaced one keeps its mode, its bits and every other
// extended attribute, on a new inode.
TEST_F(Replace, NewFilesTakeTheUmaskReplacedOnesKeepWhatTheyHad)
{
    const mode_t old = ::umask(027);
    const bool ok = write(file, "k", "1");
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(file), mode_t(0640));
    EXPECT_FALSE(dosAttribXattr(file));
    setMode(file, 0604);
    const QByteArray blob = QByteArray::fromHex("00000500050000001100000022000000ffeeddccbbaad901");
    setDosAttribXattr(file, blob);
    const QByteArray f = file.toUtf8();
    ASSERT_EQ(::setxattr(f.constData(), "user.other", "kept", 4, 0), 0);
    struct stat was, now;
    ASSERT_TRUE(
        ::stat(f.constData(), &was) == 0 && write(file, "k", "2") && ::stat(f.constData(), &now) == 0);
    EXPECT_TRUE(now.st_ino != was.st_ino && (now.st_mode & 07777) == 0604) << std::oct << now.st_mode;
    EXPECT_EQ(dosAttribXattr(file), blob);
    char other[8] = {};
    EXPECT_EQ(QByteArray(other, int(::getxattr(f.constData(), "user.other", other, sizeof other))), "kept");
}

// A link to a file of the program's own (in the Windows directory) stays a link: its target is
// created, then edited, and no temporary stays beside it.
TEST_F(Replace, SymbolicLinkStaysALink)
{
    const EnvGuard windowsDir("QUILLMARK_WINDOWS_DIR", dir.path());
    ASSERT_TRUE(QDir().mkdir(path("real")));
    ASSERT_EQ(::symlink("real/settings.ini", file.toUtf8().constData()), 0);
    ASSERT_TRUE(write(file, "k", "1"));
    ASSERT_TRUE(write(file, "k", "2"));
    EXPECT_EQ(readBytes(path("real/settings.ini")), "[S]\r\nk=2\r\n");
    EXPECT_EQ(QFileInfo(file).symLinkTarget(), path("real/settings.ini"));
    EXPECT_EQ(entries(path("real")), QStringList { "settings.ini" });
}

// The edit sees what is there and may decline. Failures say why and leave
// what others have alone: a missing file, a lock held elsewhere, and
// temporary names that are all taken already.
TEST_F(Replace, FailuresSayWhyAndRemoveNothingOfOthers)
{
    const auto decline = [](const std::optional<QByteArray>& current) {
        return current ? std::optional<QByteArray>() : std::optional<QByteArray>("no");
    };
    EXPECT_EQ(files::replaceFile(file, decline), Written);
    EXPECT_EQ(files::replaceFile(file, decline), Unchanged);
    const files::FileLock first(path("lock").toUtf8());
    files::setLockTimeoutMs(20);
    const files::FileLock second(path("lock").toUtf8());
    files::setLockTimeoutMs(-1);
    EXPECT_TRUE(first.held() && !second.held());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
    QStringList taken;
    files::ReplaceOptions options;
    options.onTemporary = [&](const QByteArray& name) {
        taken << QString::fromUtf8(name);
        writeBytes(taken.last(), "someone else's");
    };
    int error = 0;
    const auto edit = [](auto&&) { return QByteArray("x"); };
    EXPECT_EQ(files::replaceFile(file, edit, options, &error), Failed);
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(readBytes(file), "no");
    EXPECT_EQ(taken.size(), 100) << "a hundred names are tried";
    EXPECT_EQ(entries(dir.path()).size(), taken.size() + 2);
    // A limit of nothing refuses a file that holds something, unread.
    options = {};
    options.maxCurrentSize = 0;
    EXPECT_EQ(files::replaceFile(file, edit, options, &error), Failed);
    EXPECT_EQ(error, EFBIG);
}

class Hostile : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        ASSERT_TRUE(QDir().mkdir(path("outside")) && QDir().mkdir(path("folder")));
        writeBytes(secret, "[S]\r\nk=secret\r\n");
        setDosAttribXattr(secret, "0x1");
        setMode(secret, 0444);
        writeBytes(path("icon.ico"), "icon");
    }
    void link(const char* to, const QString& at) { ASSERT_EQ(::symlink(to, at.toUtf8().constData()), 0); }
    QString in(const QString& name) const { return path("folder/" + name); }
    const QString secret = path("outside/passwd");
};

// Nothing is read through a link to a file outside, the link is replaced or
// refused, and its target stays as it was, bits included.
TEST_F(Hostile, LinksInTheFolderAreNeverFollowed)
{
    link("../outside/passwd", in("Desktop.ini"));
    link("../outside/passwd", in("Desktop.ico"));
    link("../outside", in("sub"));
    EXPECT_EQ(read(in("Desktop.ini")), "dflt");
    EXPECT_FALSE(SetFileAttributesA(in("Desktop.ini"), 0));
    EXPECT_FALSE(SetFileAttributesA(in("sub"), 0)) << "a link to a folder the user did not name";
    EXPECT_TRUE(write(in("Desktop.ini"), "k", "mine"));
    EXPECT_TRUE(CopyFileA(path("icon.ico"), in("Desktop.ico"), 0));
    EXPECT_TRUE(SetFileAttributesA(in("Desktop.ini"), 34));
    EXPECT_EQ(readBytes(secret), "[S]\r\nk=secret\r\n");
    EXPECT_EQ(dosAttribXattr(secret), QByteArray("0x1"));
    EXPECT_EQ(modeOf(secret), mode_t(0444));
    EXPECT_EQ(read(in("Desktop.ini")), "mine");
    EXPECT_EQ(readBytes(in("Desktop.ico")), "icon");
    // A dangling link makes nothing outside the folder.
    ASSERT_TRUE(QFile::remove(in("Desktop.ini")));
    link("../outside/new.ini", in("Desktop.ini"));
    EXPECT_TRUE(write(in("Desktop.ini"), "k", "x"));
    EXPECT_EQ(entries(path("outside")), QStringList { "passwd" });
    // The folder the user named may itself be a link.
    link("folder", path("chosen"));
    files::setChosenFolders({ path("chosen") });
    EXPECT_TRUE(SetFileAttributesA(path("chosen"), 1));
    files::setChosenFolders({});
    EXPECT_EQ(GetFileAttributesA(path("folder")) & 0x27, DWORD(1));
}

// Another user swaps the new file for a link to a file outside while it is
// written: nothing outside changes, neither its bytes nor its attributes
// (an ACL copied there would be theirs to use), and the old file stays.
TEST_F(Hostile, ANewFileSwappedForALinkChangesNothingOutside)
{
    const QString ini = in("Desktop.ini");
    writeBytes(ini, "[k]\r\nk=alt\r\n");
    setDosAttribXattr(ini, "0x6");
    ASSERT_EQ(::setxattr(ini.toUtf8().constData(), "user.mine", "x", 1, 0), 0);
    QByteArray temporary;
    files::ReplaceOptions options;
    options.onTemporary = [&](const QByteArray& name) { temporary = name; };
    files::setWriteFaultHook([&](qint64, qint64 length) {
        EXPECT_TRUE(::unlink(temporary.constData()) == 0 && ::symlink(secret.toUtf8().constData(), temporary.constData()) == 0);
        return length;
    });
    int error = 0;
    EXPECT_EQ(files::replaceFile(ini, [](auto&&) { return QByteArray("neu"); }, options, &error),
        files::ReplaceResult::Failed);
    files::setWriteFaultHook({});
    EXPECT_EQ(error, EAGAIN);
    EXPECT_EQ(readBytes(secret), "[S]\r\nk=secret\r\n");
    EXPECT_EQ(dosAttribXattr(secret), QByteArray("0x1"));
    EXPECT_EQ(::getxattr(secret.toUtf8().constData(), "user.mine", nullptr, 0), -1);
    EXPECT_EQ(modeOf(secret), mode_t(0444));
    EXPECT_EQ(readBytes(ini), "[k]\r\nk=alt\r\n");
}

// Attributes that grant rights (an ACL) come over only from a file of this
// user's own; the others from any file.
TEST_F(Hostile, RightsComeOverOnlyFromAFileOfOurOwn)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files that belong to someone else";
    // user::rw- user:1000:rw- group::r-- mask::rw- other::r--
    const std::uint32_t acl[] = { 2, 0x00060001, 0xFFFFFFFF, 0x00060002, 1000, 0x00040004, 0xFFFFFFFF, 0x00060010,
        0xFFFFFFFF, 0x00040020, 0xFFFFFFFF };
    const char* const kAcl = "system.posix_acl_access";
    for (const uid_t owner : { uid_t(1000), uid_t(0) }) {
        SCOPED_TRACE(owner);
        const QString ini = in("Desktop.ini");
        writeBytes(ini, "[k]\r\nk=alt\r\n");
        const QByteArray f = ini.toUtf8();
        ASSERT_EQ(::chown(f.constData(), owner, owner), 0);
        ASSERT_EQ(::setxattr(f.constData(), kAcl, acl, sizeof acl, 0), 0);
        ASSERT_EQ(::setxattr(f.constData(), "user.mine", "x", 1, 0), 0);
        ASSERT_TRUE(write(ini, "k", "neu"));
        EXPECT_EQ(::getxattr(f.constData(), kAcl, nullptr, 0) > 0, owner == 0);
        struct stat st;
        EXPECT_TRUE(::stat(f.constData(), &st) == 0 && st.st_uid == owner) << "the file stays its owner's";
        EXPECT_EQ(::getxattr(f.constData(), "user.mine", nullptr, 0), 1);
        ASSERT_TRUE(QFile::remove(ini));
    }
}

// A FIFO in each role; each runs in a child that fails instead of hanging. A file above the limit
// (a sparse one of 100 GiB too) reads as empty, keeps its keys as far as deleting goes and is never
// written over; nor may a write grow a file past the limit.
TEST_F(Hostile, FifosAndFilesAboveTheLimitAreNeverReadOrWrittenThrough)
{
    const QString fifo = in("Desktop.ini"), huge = path("h"), over = path("o"), full = path("f"),
                  none = path("n");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0644), 0);
    const qint64 limit = files::kMaxProfileSize;
    const std::pair<QString, qint64> sized[]
        = { { huge, qint64(100) << 30 }, { over, limit + 1 }, { full, limit }, { none, 0 } };
    for (const auto& [file, size] : sized) {
        writeBytes(file, "[S]\r\nk=v\r\n");
        ASSERT_EQ(::truncate(QFile::encodeName(file), size), 0);
    }
    const std::pair<const char*, std::function<bool()>> roles[] = {
        { "profile read", [&] { return read(fifo) == "dflt"; } },
        { "profile write", [&] { return !write(fifo, "k", "x"); } },
        { "key removal", [&] { return write(fifo, "k", QString()) != 0; } },
        { "copy from", [&] { return !CopyFileA(fifo, in("x.ico"), 0); } },
        { "copy onto", [&] { return !CopyFileA(path("icon.ico"), fifo, 0); } },
        { "attribute read", [&] { return GetFileAttributesA(fifo) == INVALID_FILE_ATTRIBUTES; } },
        { "attribute write", [&] { return !SetFileAttributesA(fifo, 2); } },
        { "read above", [&] { return read(huge) + read(over) == "dfltdflt" && ProfileHasAnyKey(over); } },
        { "write above", [&] { return !write(huge, "k", "x") && !write(over, "k", QString()); } },
        { "at limit", [&] { return read(full) == "v" && !write(full, "k", "vv") && write(full, "k", "w"); } },
        { "empty", [&] { return read(none) == "dflt" && write(none, "k", "x"); } },
    };
    for (const auto& [role, body] : roles)
        EXPECT_TRUE(passesWithin(body)) << role;
    struct stat st;
    EXPECT_TRUE(::lstat(fifo.toUtf8().constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(QFileInfo(huge).size() + QFileInfo(over).size(), sized[0].second + sized[1].second);
}

// A stuck holder of the folder's lock fails the write in time. (A folder named with '*' and '?' is
// one like any other: the folder command's tree test sets, shows and clears one.)
TEST_F(Hostile, StuckLocksFailInTime)
{
    write(in("Desktop.ini"), "k", "old");
    const int fd = ::open(path("folder").toUtf8().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    files::setLockTimeoutMs(30);
    EXPECT_TRUE(passesWithin([&] { return !write(in("Desktop.ini"), "k", "new"); }, std::chrono::seconds(1)));
    files::setLockTimeoutMs(-1);
    ::close(fd);
    EXPECT_EQ(read(in("Desktop.ini")), "old");
}

TEST(ProfileFuzzInputs, RunClean)
{
    EXPECT_TRUE(testutil::runKeptInputs("ini/fuzz", fuzz_rounds::profileRound));
}

} // namespace
