#pragma once
// Runs a check in a child process and fails it when it does not end within
// a deadline, so that a call that hangs (a FIFO opened for reading, a lock
// never released) fails the test instead of stalling the suite.
#include <chrono>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

enum class ChildResult { Passed, Failed, Hung };

inline ChildResult runWithDeadline(
    const std::function<bool()>& body, std::chrono::milliseconds deadline = std::chrono::seconds(5))
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return ChildResult::Hung;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildResult::Passed : ChildResult::Failed;
}

} // namespace testing_support
