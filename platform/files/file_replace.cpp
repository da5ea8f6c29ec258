// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_replace.h"

#include "platform/files/native_names.h"
#include "platform/files/opened_folder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace files {

namespace {

constexpr qint64 kChunk = 64 * 1024;

constexpr int kLockTimeoutMs = 2000;

std::mutex g_hookMutex;
WriteFaultHook g_hook;
std::atomic<int> g_lockTimeoutMs { kLockTimeoutMs };
std::atomic<bool> g_syncEachReplace { true };

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

} // namespace

int readRegularFile(const QByteArray& nativePath, QByteArray& out, Links links, qint64 maxSize)
{
    out.clear();
    // A look first, so that no device is even opened; the check on the open
    // descriptor below is the one that counts.
    struct stat st;
    if (::lstat(nativePath.constData(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode) && !(S_ISLNK(st.st_mode) && links == Links::Follow)) return ENOENT;
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    const int fd = ::open(nativePath.constData(), flags);
    if (fd < 0) return errno == ELOOP && links == Links::Refuse ? ENOENT : errno;
    const int error = readOpenFile(fd, out, maxSize);
    ::close(fd);
    return error;
}

int readOpenFile(int fd, QByteArray& out, qint64 maxSize)
{
    out.clear();
    struct stat st;
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = ENOENT;
    else if (st.st_size > maxSize)
        error = EFBIG;
    if (!error) out.reserve(qsizetype(st.st_size));
    char buf[64 * 1024];
    while (!error) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        if (out.size() + n > maxSize) {
            error = EFBIG;
            break;
        }
        out.append(buf, n);
    }
    if (error) out.clear();
    return error;
}

bool writeAllTo(int fd, const QByteArray& data)
{
    WriteFaultHook hook;
    {
        std::lock_guard<std::mutex> guard(g_hookMutex);
        hook = g_hook;
    }
    qint64 offset = 0;
    while (offset < data.size()) {
        const qint64 length = std::min(kChunk, qint64(data.size()) - offset);
        const qint64 allowed = hook ? std::clamp<qint64>(hook(offset, length), 0, length) : length;
        qint64 done = 0;
        while (done < allowed) {
            const ssize_t n = ::write(fd, data.constData() + offset + done, size_t(allowed - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += n;
        }
        if (allowed < length) {
            errno = ENOSPC;
            return false;
        }
        offset += length;
    }
    return true;
}

bool syncEachReplace()
{
    return g_syncEachReplace.load();
}

std::optional<QByteArray> readWholeFile(const QByteArray& nativePath, Links links, qint64 maxSize)
{
    QByteArray data;
    if (readRegularFile(nativePath, data, links, maxSize) != 0) return std::nullopt;
    return data;
}

int lockTimeoutMs()
{
    return g_lockTimeoutMs.load();
}

void setLockTimeoutMs(int ms)
{
    g_lockTimeoutMs.store(ms < 0 ? kLockTimeoutMs : ms);
}

int lockExclusive(int fd)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(lockTimeoutMs());
    auto pause = milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errno;
        const auto now = steady_clock::now();
        if (now >= deadline) return EWOULDBLOCK;
        // Growing pauses: a long wait keeps no core busy.
        std::this_thread::sleep_for(std::min<steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, milliseconds(50));
    }
}

FileLock::FileLock(const QByteArray& nativePath)
    : m_fd(::open(nativePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644))
{
    m_error = m_fd < 0 ? errno : lockExclusive(m_fd);
    if (m_fd >= 0 && m_error) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0) ::close(m_fd); // closing releases the lock
}

QString followLinks(const QString& path)
{
    QByteArray current = nativePath(path);
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.constData(), target.data(), target.size());
        if (n <= 0) break;
        target.truncate(n);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    return fromNative(current);
}

ReplaceResult replaceFile(
    const QString& path, const ContentEdit& edit, const ReplaceOptions& options, int* error)
{
    const auto failed = [error](int e) {
        if (error) *error = e ? e : EIO;
        return ReplaceResult::Failed;
    };
    if (path.isEmpty()) return failed(ENOENT);
    const auto [folder, entry] = splitPath(options.followLinks ? followLinks(path) : path);
    bool written = false;
    const int e = withFolder(folder, [&, entry = entry](FolderHandle& h) {
        return h.replace(entry, edit, options, written);
    });
    if (e) return failed(e);
    return written ? ReplaceResult::Written : ReplaceResult::Unchanged;
}

void setSyncEachReplace(bool sync)
{
    g_syncEachReplace.store(sync);
}

void setWriteFaultHook(WriteFaultHook hook)
{
    std::lock_guard<std::mutex> guard(g_hookMutex);
    g_hook = std::move(hook);
}

} // namespace files
