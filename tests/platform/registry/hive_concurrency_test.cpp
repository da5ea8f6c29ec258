// Several wizards started at once write into the same hive; none may lose
// what another wrote.
#include "tests/platform/registry/hive_test_support.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kProcesses = 10;
constexpr int kValuesEach = 5;

class HiveConcurrency : public hive_test::HiveTest { };

TEST_F(HiveConcurrency, TenProcessesWritingAtOnceLoseNothing)
{
    // A value's name is its text without the closing zero byte.
    const auto data
        = [](int process, int n) { return QString("p%1v%2").arg(process).arg(n).toLatin1() + '\0'; };
    // The child's work; its exit code says whether every call succeeded.
    const auto writeFromChild = [&](int process, int gate) {
        char c = 0;
        // Blocks until the parent opens the gate for all children at once.
        while (::read(gate, &c, 1) < 0 && errno == EINTR) { }
        for (int n = 0; n < kValuesEach; ++n) {
            const HKEY key = open(HKEY_CURRENT_USER, "Software\\Morvane");
            EXPECT_EQ(
                RegSetValueExA(key, data(process, n).chopped(1), 0, REG_SZ, data(process, n)), ERROR_SUCCESS);
            RegCloseKey(key);
        }
        DWORD how = 0;
        EXPECT_EQ(create(HKEY_CURRENT_USER, QString("Software\\Morvane\\Child %1").arg(process), &how),
            ERROR_SUCCESS);
        EXPECT_EQ(how, REG_CREATED_NEW_KEY);
        return HasFailure() ? 1 : 0;
    };
    EXPECT_EQ(create(HKEY_CURRENT_USER, "Software\\Morvane"), ERROR_SUCCESS);
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
    const HKEY key = open(HKEY_CURRENT_USER, "Software\\Morvane", 0x19);
    for (int p = 0; p < kProcesses; ++p) {
        for (int n = 0; n < kValuesEach; ++n)
            EXPECT_EQ(query(key, data(p, n).chopped(1)), data(p, n));
        EXPECT_EQ(openStatus(key, QString("Child %1").arg(p)), ERROR_SUCCESS) << p;
    }
    RegCloseKey(key);
    // Every line of the hive is one the store understands: no torn or doubled writes.
    const QList<QByteArray> lines = hiveText(HKEY_CURRENT_USER).split('\n');
    EXPECT_EQ(lines.count(QByteArray(";class=1")), kProcesses + 1);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("\"p"); }),
        kProcesses * kValuesEach);
}

} // namespace
