// A FIFO hive reads as an empty hive and is never written through; what the
// fuzzer kept of the hive parser runs clean.
#include "fuzz/hive_round.h"
#include "tests/platform/registry/hive_test_support.h"
#include "tests/support/deadline.h"

#include <sys/stat.h>

namespace {

class HostileHive : public hive_test::HiveTest {
protected:
    QByteArray hive() const { return QFile::encodeName(RegistryPlatform::hivePath(HKEY_CURRENT_USER)); }
};

TEST_F(HostileHive, FifoReadsAsEmptyAndIsNeverWrittenThrough)
{
    ASSERT_EQ(::mkfifo(hive().constData(), 0600), 0);
    EXPECT_TRUE(testing_support::passesWithin([&] {
        return openStatus(HKEY_CURRENT_USER, "K") == ERROR_FILE_NOT_FOUND
            && create(HKEY_CURRENT_USER, "K") != ERROR_SUCCESS;
    }));
    struct stat st;
    EXPECT_TRUE(::lstat(hive().constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST(HiveFuzzInputs, RunClean)
{
    EXPECT_TRUE(testing_support::runKeptInputs("registry/fuzz", fuzz_rounds::hiveRound));
}

} // namespace
