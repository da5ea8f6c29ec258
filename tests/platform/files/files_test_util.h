#pragma once
// Helpers shared by the file tests: raw file contents, the stored Samba
// attribute value, the environment, and running a piece of a test in a
// child process.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace testutil {

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline std::optional<QByteArray> dosAttribXattr(const QString& path)
{
    const QByteArray p = path.toUtf8();
    const ssize_t n = ::getxattr(p.constData(), "user.DOSATTRIB", nullptr, 0);
    if (n < 0) return std::nullopt;
    QByteArray v(n, '\0');
    if (::getxattr(p.constData(), "user.DOSATTRIB", v.data(), v.size()) != n) return std::nullopt;
    return v;
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

inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Sets an environment variable for the life of the guard.
class EnvGuard {
public:
    EnvGuard(const char* name, const QString& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = QByteArray(old);
        if (value.isNull())
            ::unsetenv(name);
        else
            ::setenv(name, value.toUtf8().constData(), 1);
    }
    ~EnvGuard()
    {
        if (m_old)
            ::setenv(m_name, m_old->constData(), 1);
        else
            ::unsetenv(m_name);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// Runs body in a child process and returns its exit status as waitpid
// reports it. The child ends with _exit(body() ? 0 : 1).
inline int inChild(const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

inline bool exitedWith(int status, int code)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

// The user whose rights an unprivileged run takes when we are root.
inline constexpr uid_t kNobody = 65534;

} // namespace testutil
