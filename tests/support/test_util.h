// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the tests: a temporary folder, raw file contents, the
// stored Samba attribute value, the environment, child processes (one as
// nobody, several started at once, one with a deadline, so that a call that
// hangs fails the test instead of stalling the suite) and the inputs the
// fuzzers kept.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <grp.h>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << b.toHex().toStdString();
}

namespace testutil {

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray utf16(const QString& s)
{
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

inline std::optional<QByteArray> dosAttribXattr(const QString& path)
{
    char v[256];
    const ssize_t n = ::getxattr(path.toUtf8().constData(), "user.DOSATTRIB", v, sizeof v);
    return n < 0 ? std::nullopt : std::optional<QByteArray>(QByteArray(v, n));
}

inline void setDosAttribXattr(const QString& path, const QByteArray& value)
{
    ASSERT_EQ(::setxattr(path.toUtf8().constData(), "user.DOSATTRIB", value.constData(), value.size(), 0), 0);
}

inline mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(path.toUtf8().constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

inline void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(path.toUtf8().constData(), mode), 0) << path.toStdString();
}

inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Each test works in a folder of its own.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

// Sets an environment variable (a null value unsets it) for the life of the guard.
class EnvGuard {
public:
    EnvGuard(const char* name, const QString& value)
        : m_name(name)
        , m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value.toUtf8());
    }
    ~EnvGuard() { m_old ? qputenv(m_name, *m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// Starts body in a child process that ends with _exit(body() ? 0 : 1).
inline pid_t spawn(const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    return pid;
}

// Whether the child ran to its end and its body succeeded.
inline bool succeeded(pid_t child)
{
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs body(i) for each i below count in a child process of its own, all
// started at the same moment; true when every one succeeded.
inline bool allAtOnce(int count, const std::function<bool(int)>& body)
{
    int gate[2];
    if (::pipe(gate) != 0) return false;
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i)
        children.push_back(spawn([&, i] {
            char go;
            ::close(gate[1]);
            while (::read(gate[0], &go, 1) < 0) { } // all go when the gate closes
            return body(i);
        }));
    ::close(gate[0]);
    ::close(gate[1]);
    bool all = true;
    for (const pid_t child : children)
        all = succeeded(child) && all;
    return all;
}

// Runs body in a child process as nobody (65534); true when the child could
// take that user's ids and body returned true.
inline bool asNobody(const std::function<bool()>& body)
{
    return succeeded(spawn([&] {
        return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && body();
    }));
}

// Whether body ran in a child and returned true before the deadline.
inline bool passesWithin(
    const std::function<bool()>& body, std::chrono::milliseconds deadline = std::chrono::seconds(5))
{
    const pid_t pid = spawn(body);
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Feeds every input a fuzz target kept in folder (below tests/data) to round; false when there is none.
inline bool runKeptInputs(const QString& folder, void (*round)(const std::uint8_t*, std::size_t))
{
    const QDir kept(QStringLiteral(QM_TEST_DATA "/") + folder);
    const QStringList names = kept.entryList(QDir::Files);
    for (const QString& name : names) {
        const QByteArray bytes = readBytes(kept.filePath(name));
        round(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    return !names.isEmpty();
}

} // namespace testutil
