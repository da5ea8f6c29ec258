// Several wizards started at once write into the same hive; none may lose
// what another wrote.
#include "tests/platform/registry/hive_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

class HiveConcurrency : public hive_test::HiveTest { };

TEST_F(HiveConcurrency, TenProcessesWritingAtOnceLoseNothing)
{
    constexpr int kProcesses = 10, kValuesEach = 5;
    const auto name = [](int process, int n) { return QString("p%1v%2").arg(process).arg(n); };
    EXPECT_EQ(create(HKEY_CURRENT_USER, "Software\\Morvane"), ERROR_SUCCESS);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) < 0) { } // all start when the parent closes the gate
            bool ok
                = create(HKEY_CURRENT_USER, QString("Software\\Morvane\\Child %1").arg(p)) == ERROR_SUCCESS;
            const HKEY key = open(HKEY_CURRENT_USER, "Software\\Morvane");
            for (int n = 0; n < kValuesEach; ++n)
                ok = ok && RegSetValueExA(key, name(p, n), 0, REG_SZ, name(p, n).toLatin1()) == ERROR_SUCCESS;
            RegCloseKey(key);
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t pid : children) {
        int status = 0;
        EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const HKEY key = open(HKEY_CURRENT_USER, "Software\\Morvane", 0x19);
    for (int p = 0; p < kProcesses; ++p) {
        for (int n = 0; n < kValuesEach; ++n)
            EXPECT_EQ(query(key, name(p, n)), name(p, n).toLatin1());
        EXPECT_EQ(openStatus(key, QString("Child %1").arg(p)), ERROR_SUCCESS) << p;
    }
    RegCloseKey(key);
    // No torn or doubled lines.
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).count(";class=1\n"), kProcesses + 1);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).count("\n\"p"), kProcesses * kValuesEach);
}

} // namespace
