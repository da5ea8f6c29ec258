#pragma once
// Running the real tools behind the file system tests (mkntfs, ntfs-3g,
// smbd, smbclient, getfattr): every run has a deadline, and a long-running
// tool lives in a process group of its own so that ending it ends all of
// its children too.
#include "platform/win_types.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <sys/types.h>

namespace fstest {

// The tool's full path, looked up in PATH and the sbin folders; empty when
// it is not installed.
QString findTool(const QString& name);

// Whether the running kernel can mount this file system type.
bool kernelKnows(const QByteArray& fileSystem);

// Why this process may not mount anything (not root, or a container
// without CAP_SYS_ADMIN); empty when it may.
QString mountingRefused();

struct ToolRun {
    bool ok = false; // finished in time with exit code 0
    QByteArray output; // stdout and stderr together
};

// Runs a tool to its end; one that is still running after timeoutMs is
// killed and counts as failed.
ToolRun runTool(const QString& program, const QStringList& args, int timeoutMs = 15000);

// Checks cond every few milliseconds until it holds or timeoutMs passed.
bool waitFor(const std::function<bool()>& cond, int timeoutMs);

// A tool that keeps running until it is stopped (a server, a FUSE daemon).
class Daemon {
public:
    Daemon() = default;
    ~Daemon() { stop(); }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    bool start(const QString& program, const QStringList& args);
    bool running();
    // Waits for the daemon to end by itself (a FUSE daemon after unmount).
    bool waitForEnd(int timeoutMs);
    // SIGTERM to its process group, then SIGKILL to what is left.
    void stop(int timeoutMs = 5000);
    QByteArray output();

private:
    QProcess m_process;
    qint64 m_group = 0;
};

// Runs body in a child process under another user's ids; true when the
// child could take them and body returned true.
bool asUser(uid_t uid, gid_t gid, const std::function<bool()>& body);
inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNogroup = 65534;

// The attribute word NTFS-3G reports for a path, read with getfattr the way
// an administrator would (system.ntfs_attrib_be).
std::optional<DWORD> ntfsAttribByGetfattr(const QString& path);

// Sets that word with setfattr, for preparing a volume.
bool setNtfsAttribBySetfattr(const QString& path, DWORD word);

} // namespace fstest
