#pragma once
// Runs a check in a child process and fails it when the child does not end
// within a deadline, so that a call that hangs (a FIFO opened for reading, a
// lock never released) fails the test instead of stalling the suite.
#include <QDir>
#include <QFile>

#include <chrono>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

// Whether body ran in a child and returned true before the deadline.
inline bool passesWithin(
    const std::function<bool()>& body, std::chrono::milliseconds deadline = std::chrono::seconds(5))
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Feeds every input a fuzz target kept in folder (below tests/data) to round; false when
// there is none.
inline bool runKeptInputs(const QString& folder, void (*round)(const std::uint8_t*, std::size_t))
{
    const QDir kept(QStringLiteral(QM_TEST_DATA "/") + folder);
    const QStringList names = kept.entryList(QDir::Files);
    for (const QString& name : names) {
        QFile f(kept.filePath(name));
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        round(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    return !names.isEmpty();
}

} // namespace testing_support
