// Folders others write into: links in them lead nowhere, special files read
// as missing and are never written through, a stuck lock holder fails the
// step in time, and '*' and '?' are ordinary characters.
#include "platform/files/file_api.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile.h"

#include "fuzz/profile_round.h"
#include "tests/support/test_util.h"

#include <fcntl.h>
#include <sys/file.h>

using namespace testutil;
using testutil::passesWithin;

namespace {

QString readKey(const QString& file)
{
    QString value;
    GetPrivateProfileStringA("S", "k", QString(), value, 255, file);
    return value;
}

BOOL writeKey(const QString& file, const QString& value)
{
    return WritePrivateProfileStringA("S", "k", &value, file);
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
    void link(const char* target, const QString& at)
    {
        ASSERT_EQ(::symlink(target, at.toUtf8().constData()), 0);
    }
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
    EXPECT_EQ(readKey(in("Desktop.ini")), "");
    EXPECT_FALSE(SetFileAttributesA(in("Desktop.ini"), 0));
    EXPECT_FALSE(SetFileAttributesA(in("sub"), 0)) << "a link to a folder the user did not name";
    EXPECT_TRUE(writeKey(in("Desktop.ini"), "mine"));
    EXPECT_TRUE(CopyFileA(path("icon.ico"), in("Desktop.ico"), 0));
    EXPECT_TRUE(SetFileAttributesA(in("Desktop.ini"), 34));
    EXPECT_EQ(readBytes(secret), "[S]\r\nk=secret\r\n");
    EXPECT_EQ(dosAttribXattr(secret), QByteArray("0x1"));
    EXPECT_EQ(modeOf(secret), mode_t(0444));
    EXPECT_EQ(readKey(in("Desktop.ini")), "mine");
    EXPECT_EQ(readBytes(in("Desktop.ico")), "icon");
    // A dangling link makes nothing outside the folder.
    ASSERT_TRUE(QFile::remove(in("Desktop.ini")));
    link("../outside/new.ini", in("Desktop.ini"));
    EXPECT_TRUE(writeKey(in("Desktop.ini"), "x"));
    EXPECT_EQ(entries(path("outside")), QStringList { "passwd" });
    // The folder the user named may itself be a link.
    link("folder", path("chosen"));
    files::setChosenFolders({ path("chosen") });
    EXPECT_TRUE(SetFileAttributesA(path("chosen"), 1));
    files::setChosenFolders({});
    EXPECT_EQ(GetFileAttributesA(path("folder")) & 0x27, DWORD(1));
}

// A FIFO in each role; each runs in a child that fails instead of hanging.
TEST_F(Hostile, FifosReadAsMissingAndAreNeverWrittenThrough)
{
    const QString fifo = in("Desktop.ini");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0644), 0);
    const std::pair<const char*, std::function<bool()>> roles[] = {
        { "profile read", [&] { return readKey(fifo).isEmpty(); } },
        { "profile write", [&] { return !writeKey(fifo, "x"); } },
        { "key removal", [&] { return WritePrivateProfileStringA("S", "k", nullptr, fifo) != 0; } },
        { "copy from", [&] { return !CopyFileA(fifo, in("x.ico"), 0); } },
        { "copy onto", [&] { return !CopyFileA(path("icon.ico"), fifo, 0); } },
        { "attributes",
            [&] {
                return GetFileAttributesA(fifo) == INVALID_FILE_ATTRIBUTES && !SetFileAttributesA(fifo, 2);
            } },
    };
    for (const auto& [role, body] : roles)
        EXPECT_TRUE(passesWithin(body)) << role;
    struct stat st;
    EXPECT_TRUE(::lstat(fifo.toUtf8().constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

// A stuck holder of the folder's lock fails the write in time; a folder
// named with '*' and '?' is a folder like any other.
TEST_F(Hostile, StuckLocksAndWildcardNames)
{
    writeKey(in("Desktop.ini"), "old");
    const int fd = ::open(path("folder").toUtf8().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    files::setLockTimeoutMs(30);
    EXPECT_TRUE(passesWithin([&] { return !writeKey(in("Desktop.ini"), "new"); }, std::chrono::seconds(1)));
    files::setLockTimeoutMs(-1);
    ::close(fd);
    EXPECT_EQ(readKey(in("Desktop.ini")), "old");

    // Before the last part, '*' and '?' are a folder's name, not a pattern.
    const QString odd = path("a*b?");
    ASSERT_TRUE(QDir().mkdir(odd));
    EXPECT_TRUE(CopyFileA(path("icon.ico"), odd + "/Desktop.ico", 0));
    WIN32_FIND_DATAA data;
    const HANDLE h = FindFirstFileA(odd + "/desktop.i?o", &data);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    EXPECT_TRUE(DeleteFileA(odd + "/Desktop.ico"));
}

TEST(ProfileFuzzInputs, RunClean)
{
    EXPECT_TRUE(testutil::runKeptInputs("ini/fuzz", fuzz_rounds::profileRound));
}

} // namespace
