// A write replaces the whole file or nothing: full disks, writers killed
// half-way and writers racing each other never leave a torn file or a lost
// key, and what the old file had (permissions, attribute bits) carries over.
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile.h"

#include "tests/support/test_util.h"

using namespace testutil;

namespace {

BOOL setKey(const QString& file, const QString& key, const QString& value)
{
    return WritePrivateProfileStringA("S", key, &value, file);
}

QString getKey(const QString& file, const QString& key)
{
    QString buffer;
    GetPrivateProfileStringA("S", key, QString(), buffer, 1 << 30, file);
    return buffer;
}

class Replace : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        file = path("Desktop.ini");
    }
    void TearDown() override { files::setWriteFaultHook({}); }
    QString file;
};

// The value needs several pieces; the disk fills before, inside and between them.
TEST_F(Replace, FullDiskLeavesTheOldFileAndNoLeftovers)
{
    const QString big(300 * 1024, u'x');
    const QByteArray before("[S]\r\nk=old\r\n");
    for (const qint64 limit : { 0, 1, 65535, 65536, 200000 }) {
        writeBytes(file, before);
        files::setWriteFaultHook([limit](qint64 offset, qint64 length) {
            return std::max<qint64>(0, std::min(length, limit - offset));
        });
        EXPECT_FALSE(setKey(file, "k", big)) << limit;
        files::setWriteFaultHook({});
        EXPECT_EQ(readBytes(file), before) << limit;
        EXPECT_EQ(entries(dir.path()), QStringList { "Desktop.ini" }) << limit;
    }
    EXPECT_TRUE(setKey(file, "k", big));
    EXPECT_EQ(getKey(file, "k"), big);
}

// The next writer sweeps up what a killed one left.
TEST_F(Replace, WriterKilledHalfWayLeavesTheOldFile)
{
    const QString big(400 * 1024, u'n');
    const QByteArray before("[S]\r\nk=old\r\n");
    for (const qint64 dieAt : { 0, 70000, 300000 }) {
        writeBytes(file, before);
        const pid_t child = spawn([&] {
            files::setWriteFaultHook([dieAt](qint64 offset, qint64 length) {
                if (offset >= dieAt) ::raise(SIGKILL);
                return length;
            });
            return setKey(file, "k", big) != 0;
        });
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << dieAt;
        EXPECT_EQ(readBytes(file), before) << dieAt;
    }
    EXPECT_EQ(entries(dir.path()).size(), 2);
    ASSERT_TRUE(setKey(file, "k", "new"));
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
            if (!setKey(file, keyOf(who, i), keyOf(who, i))) return false;
        return true;
    }));
    for (int i = 0; i < 2 * kKeys; ++i)
        EXPECT_EQ(getKey(file, keyOf(i % 2, i / 2)), keyOf(i % 2, i / 2));
    EXPECT_EQ(readBytes(file).count("\r\n"), 2 * kKeys + 1);
}

// A new file takes the umask and no bits; a replaced one keeps its mode, its bits and every other
// extended attribute, on a new inode.
TEST_F(Replace, NewFilesTakeTheUmaskReplacedOnesKeepWhatTheyHad)
{
    const mode_t old = ::umask(027);
    const bool ok = setKey(file, "k", "1");
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(file), mode_t(0640));
    EXPECT_FALSE(dosAttribXattr(file));
    setMode(file, 0604);
    const QByteArray blob = QByteArray::fromHex("00000500050000001100000022000000ffeeddccbbaad901");
    setDosAttribXattr(file, blob);
    ASSERT_EQ(::setxattr(file.toUtf8().constData(), "user.other", "kept", 4, 0), 0);
    struct stat before, after;
    ASSERT_EQ(::stat(file.toUtf8().constData(), &before), 0);
    ASSERT_TRUE(setKey(file, "k", "2"));
    ASSERT_EQ(::stat(file.toUtf8().constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, mode_t(0604));
    EXPECT_EQ(dosAttribXattr(file), blob);
    EXPECT_EQ(GetFileAttributesA(file), 0x22u);
    char other[8] = {};
    EXPECT_EQ(
        QByteArray(other, int(::getxattr(file.toUtf8().constData(), "user.other", other, sizeof other))),
        "kept");
}

// A link to a file of the program's own (in the Windows directory) stays a link: its target is
// created, then edited, and no temporary stays beside it.
TEST_F(Replace, SymbolicLinkStaysALink)
{
    const EnvGuard windowsDir("QUILLMARK_WINDOWS_DIR", dir.path());
    ASSERT_TRUE(QDir().mkdir(path("real")));
    ASSERT_EQ(::symlink("real/settings.ini", file.toUtf8().constData()), 0);
    ASSERT_TRUE(setKey(file, "k", "1"));
    ASSERT_TRUE(setKey(file, "k", "2"));
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
    EXPECT_EQ(files::replaceFile(file, decline), files::ReplaceResult::Written);
    EXPECT_EQ(files::replaceFile(file, decline), files::ReplaceResult::Unchanged);
    QByteArray out = "stale";
    EXPECT_EQ(files::readRegularFile(path("missing").toUtf8(), out), ENOENT);
    EXPECT_EQ(out, QByteArray());
    const files::FileLock first(path("lock").toUtf8());
    files::setLockTimeoutMs(20);
    const files::FileLock second(path("lock").toUtf8());
    files::setLockTimeoutMs(-1);
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.held());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
    QStringList taken;
    files::ReplaceOptions options;
    options.onTemporary = [&](const QByteArray& name) {
        taken << QString::fromUtf8(name);
        writeBytes(taken.last(), "someone else's");
    };
    int error = 0;
    EXPECT_EQ(files::replaceFile(
                  file, [](auto&&) { return QByteArray("x"); }, options, &error),
        files::ReplaceResult::Failed);
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(readBytes(file), "no");
    EXPECT_EQ(entries(dir.path()).size(), taken.size() + 2);
}

} // namespace
