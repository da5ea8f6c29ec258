// Hives that others could have tampered with: a FIFO reads as an empty hive
// and is never written through, a link is followed (dotfile managers), a
// stuck holder of the lock fails the change in time, and what the fuzzer
// kept runs clean.
#include "fuzz/hive_round.h"
#include "platform/files/file_replace.h"
#include "tests/platform/registry/hive_test_support.h"
#include "tests/support/deadline.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

using testing_support::ChildResult;
using testing_support::runWithDeadline;

class HostileHive : public hive_test::HiveTest {
protected:
    QByteArray hive() const { return QFile::encodeName(RegistryPlatform::hivePath(HKEY_CURRENT_USER)); }
};

TEST_F(HostileHive, FifoReadsAsEmptyAndIsNeverWrittenThrough)
{
    ASSERT_EQ(::mkfifo(hive().constData(), 0600), 0);
    EXPECT_EQ(runWithDeadline([&] {
        return openStatus(HKEY_CURRENT_USER, "K") == ERROR_FILE_NOT_FOUND
            && create(HKEY_CURRENT_USER, "K") != ERROR_SUCCESS;
    }),
        ChildResult::Passed);
    struct stat st;
    ASSERT_EQ(::lstat(hive().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(HostileHive, LinkIsFollowedAndStaysALink)
{
    ASSERT_TRUE(QDir().mkdir(dir() + "/dotfiles"));
    ASSERT_EQ(::symlink("dotfiles/user.reg", hive().constData()), 0);
    EXPECT_EQ(create(HKEY_CURRENT_USER, "K"), ERROR_SUCCESS);
    EXPECT_EQ(create(HKEY_CURRENT_USER, "K\\L"), ERROR_SUCCESS);
    EXPECT_TRUE(QFileInfo(QFile::decodeName(hive())).isSymLink());
    QFile target(dir() + "/dotfiles/user.reg");
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_TRUE(target.readAll().contains("[HKEY_CURRENT_USER\\K\\L]"));
}

TEST_F(HostileHive, StuckLockHolderFailsTheChangeInTime)
{
    ASSERT_EQ(create(HKEY_CURRENT_USER, "K"), ERROR_SUCCESS);
    const QByteArray before = hiveText(HKEY_CURRENT_USER);
    const int fd = ::open((hive() + ".lock").constData(), O_RDWR);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    files::setLockTimeoutMs(30);
    EXPECT_EQ(runWithDeadline([&] { return create(HKEY_CURRENT_USER, "K\\New") != ERROR_SUCCESS; },
                  std::chrono::seconds(2)),
        ChildResult::Passed);
    files::setLockTimeoutMs(-1);
    ::close(fd);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), before);
}

TEST(HiveFuzzInputs, RunClean)
{
    const QDir kept(QStringLiteral(QM_TEST_DATA "/registry/fuzz"));
    const QStringList names = kept.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        QFile f(kept.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        fuzz_rounds::hiveRound(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
}

} // namespace
