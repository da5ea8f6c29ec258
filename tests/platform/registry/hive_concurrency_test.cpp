// Several wizards started at once write into the same hive; none may lose
// what another wrote.
#include "tests/platform/registry/hive_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

using hive_test::HiveTest;

namespace {

constexpr int kProcesses = 10;
constexpr int kValuesEach = 5;

QString valueName(int process, int n)
{
    return QString("P%1 V%2").arg(process).arg(n);
}
QByteArray valueData(int process, int n)
{
    return QString("p%1v%2").arg(process).arg(n).toLatin1() + '\0';
}

// The child's work; its exit code says whether every call succeeded.
int writeFromChild(int process, int gate)
{
    char c = 0;
    // Blocks until the parent opens the gate for all children at once.
    while (::read(gate, &c, 1) < 0 && errno == EINTR) { }
    int failures = 0;
    for (int n = 0; n < kValuesEach; ++n) {
        HKEY key = 0;
        failures += RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morvane", 0, 0x3F, &key) != ERROR_SUCCESS;
        failures
            += RegSetValueExA(key, valueName(process, n), 0, REG_SZ, valueData(process, n)) != ERROR_SUCCESS;
        RegCloseKey(key);
    }
    HKEY key = 0;
    DWORD how = 0;
    failures += RegCreateKeyExA(HKEY_CURRENT_USER, QString("Software\\Morvane\\Child %1").arg(process), 0,
                    "1", 0, KEY_ALL_ACCESS, nullptr, &key, &how)
        != ERROR_SUCCESS;
    failures += how != REG_CREATED_NEW_KEY;
    RegCloseKey(key);
    return failures == 0 && !::testing::Test::HasFailure() ? 0 : 1;
}

class HiveConcurrency : public HiveTest { };

TEST_F(HiveConcurrency, TenProcessesWritingAtOnceLoseNothing)
{
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_CURRENT_USER, "Software\\Morvane", 0, "1", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            ::_exit(writeFromChild(p, gate[0]));
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid;
    }

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morvane", 0, 0x19, &key), ERROR_SUCCESS);
    for (int p = 0; p < kProcesses; ++p) {
        for (int n = 0; n < kValuesEach; ++n) {
            QByteArray data;
            DWORD size = 32;
            EXPECT_EQ(RegQueryValueExA(key, valueName(p, n), nullptr, nullptr, &data, &size), ERROR_SUCCESS);
            EXPECT_EQ(data.left(size), valueData(p, n));
        }
        HKEY child = 0;
        EXPECT_EQ(RegOpenKeyExA(key, QString("Child %1").arg(p), 0, 0x19, &child), ERROR_SUCCESS);
        RegCloseKey(child);
    }
    RegCloseKey(key);
    // Every line of the hive is one the store understands: no torn or doubled writes.
    const QList<QByteArray> lines = hiveText(HKEY_CURRENT_USER).split('\n');
    EXPECT_EQ(lines.count(QByteArray(";class=1")), kProcesses + 1);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("\"P"); }),
        kProcesses * kValuesEach);
    EXPECT_EQ(openKeys(), 0u);
}

} // namespace
