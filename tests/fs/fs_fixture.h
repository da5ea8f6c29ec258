// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard driven to its finish on folders of real file systems, and the
// real tools behind them (mkntfs, ntfs-3g, smbd, mount), each run with a
// deadline.
#include "tests/wizard/wizard_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sys/prctl.h>

namespace fstest {

inline constexpr DWORD kFour = 0x27; // read-only, hidden, system, archive

inline QString findTool(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return !found.isEmpty() ? found : QStandardPaths::findExecutable(name, { "/usr/sbin", "/sbin" });
}

// Why the tools cannot run here (missing, not root, or mounting not
// allowed in this container); empty when they can.
inline QString unavailable(std::initializer_list<const char*> tools, const char* packages, bool mounts)
{
    for (const char* tool : tools)
        if (findTool(tool).isEmpty()) return QString("%1 is not installed (Debian %2)").arg(tool, packages);
    if (::geteuid() != 0) return "this needs root";
    const QString status = QString::fromLatin1(testutil::readBytes("/proc/self/status"));
    const qulonglong caps
        = QRegularExpression("CapEff:\\s*([0-9a-f]+)").match(status).captured(1).toULongLong(nullptr, 16);
    return !mounts || (caps & (1ull << 21)) ? QString() : "no CAP_SYS_ADMIN: mounting is not allowed here";
}

// A tool in a process group of its own: ending it ends its children too,
// and it ends with us even when a test dies on the way.
class ToolProcess : public QProcess {
public:
    ToolProcess(const QString& tool, const QStringList& args)
    {
        setProcessChannelMode(MergedChannels);
        setStandardInputFile(nullDevice());
        setChildProcessModifier([] {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        });
        start(findTool(tool), args);
        if (waitForStarted(10000)) m_group = processId();
    }
    ~ToolProcess() override
    {
        if (m_group <= 0) return;
        ::kill(pid_t(-m_group), SIGTERM);
        waitForEnd(5000);
        ::kill(pid_t(-m_group), SIGKILL); // children that outlived the leader
        waitForEnd(2000);
    }
    bool started() const { return m_group > 0; }
    bool running() { return state() != NotRunning && !waitForFinished(0); }
    bool waitForEnd(int ms) { return state() == NotRunning || waitForFinished(ms); }

private:
    qint64 m_group = 0;
};

struct ToolRun {
    bool ok = false; // finished in time with exit code 0
    QByteArray output; // stdout and stderr together
};

// Runs a tool to its end; one still running after timeoutMs counts as failed.
inline ToolRun runTool(const QString& tool, const QStringList& args, int timeoutMs = 15000)
{
    ToolProcess p(tool, args);
    const bool done = p.started() && p.waitForEnd(timeoutMs);
    return { done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAll() };
}

class FsWizard : public WizardTest {
protected:
    void TearDown() override
    {
        unmount();
        WizardTest::TearDown();
    }

    // Mounts with mount(8) on the last argument; TearDown unmounts it.
    void mount(const QStringList& args)
    {
        ASSERT_TRUE(QDir().mkpath(args.last()));
        const ToolRun run = runTool("mount", args);
        ASSERT_TRUE(run.ok) << run.output.toStdString();
        mounted = args.last();
    }
    // A mount that is busy or stuck is detached and counts as failed. A FUSE
    // daemon has written everything once it has ended after the unmount.
    bool unmount()
    {
        w.reset(); // nothing of ours may hold the file system
        bool ok = mounted.isEmpty() || runTool("umount", { mounted }).ok;
        if (!ok) runTool("umount", { "-l", mounted });
        ok = ok && (!fuse || fuse->waitForEnd(10000));
        mounted.clear();
        fuse.reset();
        return ok;
    }

    QString mounted;
    std::unique_ptr<ToolProcess> fuse;
};

} // namespace fstest
