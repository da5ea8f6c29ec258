#include "tests/fs/fs_tools.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fstest {

QString findTool(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty()) return found;
    return QStandardPaths::findExecutable(
        name, { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin") });
}

bool kernelKnows(const QByteArray& fileSystem)
{
    QFile f(QStringLiteral("/proc/filesystems"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.split('\t').last().trimmed() == fileSystem) return true;
    }
    return false;
}

QString mountingRefused()
{
    if (::geteuid() != 0) return QStringLiteral("mounting needs root");
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("cannot read /proc/self/status");
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (!line.startsWith("CapEff:")) continue;
        bool ok = false;
        const qulonglong caps = line.mid(7).trimmed().toULongLong(&ok, 16);
        constexpr qulonglong kSysAdmin = 1ull << 21;
        return ok && (caps & kSysAdmin) ? QString()
                                        : QStringLiteral("no CAP_SYS_ADMIN: mounting is not allowed here");
    }
    return {};
}

ToolRun runTool(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    ToolRun run;
    if (!p.waitForStarted(timeoutMs)) {
        run.output = "cannot start " + program.toUtf8();
        return run;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        run.output = p.readAll() + "\n(killed after " + QByteArray::number(timeoutMs) + " ms)";
        return run;
    }
    run.output = p.readAll();
    run.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return run;
}

bool waitFor(const std::function<bool()>& cond, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(10);
    }
    return true;
}

bool Daemon::start(const QString& program, const QStringList& args)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    // Its own process group, so that stopping it reaches the children it
    // forks; and it ends with us even when a test dies on the way.
    m_process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    m_process.start(program, args);
    if (!m_process.waitForStarted(10000)) return false;
    m_group = m_process.processId();
    return true;
}

bool Daemon::running()
{
    return m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0);
}

bool Daemon::waitForEnd(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning) return true;
    return m_process.waitForFinished(timeoutMs);
}

void Daemon::stop(int timeoutMs)
{
    if (m_group <= 0) return;
    ::kill(pid_t(-m_group), SIGTERM);
    if (m_process.state() != QProcess::NotRunning) m_process.waitForFinished(timeoutMs);
    ::kill(pid_t(-m_group), SIGKILL); // children that outlived the leader
    if (m_process.state() != QProcess::NotRunning) m_process.waitForFinished(2000);
    m_group = 0;
}

QByteArray Daemon::output()
{
    return m_process.readAll();
}

bool asUser(uid_t uid, gid_t gid, const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0 && body() ? 0 : 1);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::optional<DWORD> ntfsAttribByGetfattr(const QString& path)
{
    const ToolRun run = runTool(findTool(QStringLiteral("getfattr")),
        { QStringLiteral("--absolute-names"), QStringLiteral("-e"), QStringLiteral("hex"),
            QStringLiteral("-n"), QStringLiteral("system.ntfs_attrib_be"), path });
    static const QRegularExpression re(QStringLiteral("system\\.ntfs_attrib_be=0x([0-9a-fA-F]{8})"));
    const auto m = re.match(QString::fromUtf8(run.output));
    if (!run.ok || !m.hasMatch()) return std::nullopt;
    return DWORD(m.captured(1).toUInt(nullptr, 16));
}

bool setNtfsAttribBySetfattr(const QString& path, DWORD word)
{
    return runTool(findTool(QStringLiteral("setfattr")),
        { QStringLiteral("-n"), QStringLiteral("system.ntfs_attrib_be"), QStringLiteral("-v"),
            QStringLiteral("0x%1").arg(word, 8, 16, QLatin1Char('0')), path })
        .ok;
}

} // namespace fstest
