// A write replaces the whole file or nothing: full disks, writers killed
// half-way and writers racing each other never leave a torn file or a lost
// key, and what the old file had (permissions, attribute bits) carries over.
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile.h"

#include "files_test_util.h"

#include <csignal>
#include <random>

using namespace testutil;

namespace {

BOOL setKey(const QString& file, const QString& key, const QString& value)
{
    return WritePrivateProfileStringA(QStringLiteral("S"), key, &value, file);
}

QString getKey(const QString& file, const QString& key)
{
    QString buffer;
    GetPrivateProfileStringA(QStringLiteral("S"), key, QString(), buffer, 1 << 30, file);
    return buffer;
}

class Replace : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("Desktop.ini"));
    }
    void TearDown() override { files::setWriteFaultHook({}); }
    QTemporaryDir dir;
    QString file;
};

TEST_F(Replace, FullDiskLeavesTheOldFileAndNoLeftovers)
{
    // A value large enough to need several pieces.
    const QString big(300 * 1024, u'x');
    const QByteArray before("[S]\r\nk=old\r\n");
    for (const qint64 limit : { qint64(0), qint64(1), qint64(65535), qint64(65536), qint64(200000) }) {
        writeBytes(file, before);
        files::setWriteFaultHook([limit](qint64 offset, qint64 length) {
            return std::max<qint64>(0, std::min(length, limit - offset));
        });
        EXPECT_FALSE(setKey(file, QStringLiteral("k"), big)) << limit;
        files::setWriteFaultHook({});
        EXPECT_EQ(readBytes(file), before) << limit;
        EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("Desktop.ini") }) << limit;
    }
    EXPECT_TRUE(setKey(file, QStringLiteral("k"), big));
    EXPECT_EQ(getKey(file, QStringLiteral("k")), big);
}

TEST_F(Replace, WriterKilledHalfWayLeavesTheOldFile)
{
    const QString big(400 * 1024, u'n');
    const QByteArray before("[S]\r\nk=old\r\n");
    for (const qint64 dieAt : { qint64(0), qint64(70000), qint64(300000) }) {
        writeBytes(file, before);
        const int status = inChild([&] {
            files::setWriteFaultHook([dieAt](qint64 offset, qint64 length) {
                if (offset >= dieAt) ::raise(SIGKILL);
                return length;
            });
            return setKey(file, QStringLiteral("k"), big) != 0;
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << dieAt;
        EXPECT_EQ(readBytes(file), before) << dieAt;
    }
    // The next writer sweeps up what the killed one left.
    EXPECT_EQ(entries(dir.path()).size(), 2);
    ASSERT_TRUE(setKey(file, QStringLiteral("k"), QStringLiteral("new")));
    EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("Desktop.ini") });
}

TEST_F(Replace, KilledAtAnyMomentTheFileIsAllOldOrAllNew)
{
    const QString oldValue(200 * 1024, u'o');
    const QString newValue(200 * 1024, u'n');
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(setKey(file, QStringLiteral("k"), oldValue));
        const QByteArray before = readBytes(file);
        const pid_t pid = ::fork();
        if (pid == 0) {
            setKey(file, QStringLiteral("k"), newValue);
            ::_exit(0);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const QString now = getKey(file, QStringLiteral("k"));
        ASSERT_TRUE(now == oldValue || now == newValue)
            << "round " << round << ": torn, " << now.size() << " chars";
        if (now == oldValue) {
            EXPECT_EQ(readBytes(file), before);
        }
    }
}

TEST_F(Replace, TwoProcessesWritingAtOnceLoseNothing)
{
    // On tmpfs, where flushing costs nothing, the writers overlap the most.
    QTemporaryDir shm(QStringLiteral("/dev/shm/qm-replace-XXXXXX"));
    const QString file = shm.isValid() ? shm.filePath(QStringLiteral("Desktop.ini")) : this->file;
    writeBytes(file, "[S]\r\n");
    constexpr int kKeys = 200;
    auto writer = [&](char who) {
        return [&, who] {
            for (int i = 0; i < kKeys; ++i) {
                const QString key = QStringLiteral("%1%2").arg(QChar(who)).arg(i);
                if (!setKey(file, key, key)) return false;
            }
            return true;
        };
    };
    const pid_t a = ::fork();
    if (a == 0) ::_exit(writer('a')() ? 0 : 1);
    const pid_t b = ::fork();
    if (b == 0) ::_exit(writer('b')() ? 0 : 1);
    int sa = 0, sb = 0;
    ::waitpid(a, &sa, 0);
    ::waitpid(b, &sb, 0);
    ASSERT_TRUE(exitedWith(sa, 0));
    ASSERT_TRUE(exitedWith(sb, 0));
    for (const char who : { 'a', 'b' }) {
        for (int i = 0; i < kKeys; ++i) {
            const QString key = QStringLiteral("%1%2").arg(QChar(who)).arg(i);
            EXPECT_EQ(getKey(file, key), key);
        }
    }
    EXPECT_EQ(readBytes(file).count("\r\n"), 2 * kKeys + 1);
}

TEST_F(Replace, PermissionsAttributesAndOtherExtendedAttributesCarryOver)
{
    writeBytes(file, "[S]\r\nk=1\r\n");
    ::chmod(file.toUtf8().constData(), 0640);
    const QByteArray blob = QByteArray::fromHex("00000500050000001100000022000000ffeeddccbbaad901");
    setDosAttribXattr(file, blob);
    ASSERT_EQ(::setxattr(file.toUtf8().constData(), "user.other", "kept", 4, 0), 0);
    struct stat before;
    ASSERT_EQ(::stat(file.toUtf8().constData(), &before), 0);

    ASSERT_TRUE(setKey(file, QStringLiteral("k"), QStringLiteral("2")));
    struct stat after;
    ASSERT_EQ(::stat(file.toUtf8().constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not rewritten in place
    EXPECT_EQ(after.st_mode & 07777, mode_t(0640));
    EXPECT_EQ(dosAttribXattr(file), blob);
    EXPECT_EQ(GetFileAttributesA(file), 0x22u);
    char other[8] = {};
    EXPECT_EQ(::getxattr(file.toUtf8().constData(), "user.other", other, sizeof other), 4);
    EXPECT_STREQ(other, "kept");
}

TEST_F(Replace, NewFileTakesTheUmask)
{
    const mode_t old = ::umask(027);
    const bool ok = setKey(file, QStringLiteral("k"), QStringLiteral("1"));
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(file), mode_t(0640));
    EXPECT_FALSE(dosAttribXattr(file));
}

TEST_F(Replace, DanglingLinkCreatesItsTarget)
{
    ASSERT_EQ(::symlink("target.ini", file.toUtf8().constData()), 0);
    ASSERT_TRUE(setKey(file, QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("target.ini"))), QByteArray("[S]\r\nk=1\r\n"));
    EXPECT_TRUE(QFileInfo(file).isSymLink());
}

TEST_F(Replace, EditSeesCurrentContentsAndMayDecline)
{
    int calls = 0;
    auto decline = [&](const std::optional<QByteArray>& current) {
        ++calls;
        EXPECT_FALSE(current);
        return std::optional<QByteArray>();
    };
    EXPECT_EQ(files::replaceFile(file, decline), files::ReplaceResult::Unchanged);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
