// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_replace.h"

#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"

#include <QAtomicInteger>
#include <QList>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace files {

namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr const char* kTempMark = ".qmtmp-";

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

QByteArray baseOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The exclusive lock on a folder, held for one replacement.
class FolderLock {
public:
    explicit FolderLock(const QByteArray& folder)
        : m_fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        m_error = m_fd < 0 ? errno : lockExclusive(m_fd);
        if (m_fd >= 0 && m_error) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0) ::close(m_fd); // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int fd() const { return m_fd; }
    int error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
};

// The temporary file beside the target; removed unless it was renamed.
class TempFile {
public:
    TempFile(const QByteArray& folder, const QByteArray& base, const ReplaceOptions& options)
    {
        static QAtomicInteger<quint32> counter;
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = folder + '/' + '.' + base + kTempMark + QByteArray::number(::getpid()) + '-'
                + QByteArray::number(counter.fetchAndAddRelaxed(1));
            if (options.onTemporary) options.onTemporary(m_path);
            // 0666 under the umask, as any new file gets.
            m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST) break;
        }
        m_created = m_fd >= 0;
    }
    ~TempFile()
    {
        if (m_fd >= 0) ::close(m_fd);
        if (m_created && !m_committed) ::unlink(m_path.constData());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const QByteArray& path() const { return m_path; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    void committed() { m_committed = true; }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_created = false;
    bool m_committed = false;
};

bool writeAll(int fd, const QByteArray& data)
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

// Extended attributes (ACLs, Samba's attribute blob, anything else) carry
// over where the file system lets us; what it refuses is left behind.
void copyExtendedAttributes(const QByteArray& from, const QByteArray& to)
{
    // The l-calls: should the old file have turned into a link meanwhile,
    // nothing of the link's target is read.
    const ssize_t size = ::llistxattr(from.constData(), nullptr, 0);
    if (size <= 0) return;
    QByteArray names(size, '\0');
    const ssize_t got = ::llistxattr(from.constData(), names.data(), names.size());
    if (got <= 0) return;
    for (const QByteArray& name : names.left(got).split('\0')) {
        if (name.isEmpty()) continue;
        const ssize_t vsize = ::lgetxattr(from.constData(), name.constData(), nullptr, 0);
        if (vsize < 0) continue;
        QByteArray value(vsize, '\0');
        const ssize_t vgot = ::lgetxattr(from.constData(), name.constData(), value.data(), value.size());
        if (vgot >= 0) ::setxattr(to.constData(), name.constData(), value.constData(), size_t(vgot), 0);
    }
}

// A writer killed in the middle leaves its temporary file behind. We hold
// the folder's lock, so no other writer has one in progress.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& base)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    const QByteArray prefix = '.' + base + kTempMark;
    while (const dirent* e = ::readdir(dir)) {
        if (QByteArray(e->d_name).startsWith(prefix)) ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

// Gives the new file what the old one had, or what options ask for.
bool carryOver(const QByteArray& target, const std::optional<struct stat>& old, const TempFile& temp,
    const ReplaceOptions& options)
{
    const DosAttributeStore& store = attributeStoreFor(temp.path());
    if (!options.attributesFrom.isEmpty()) {
        const QByteArray from = systemPath(ResolvePathCase(options.attributesFrom));
        const DWORD bits = attributeStoreFor(from).read(from).value_or(0) & kDosBits;
        // A copy that cannot take the source's bits is still a good copy.
        if (bits) store.write(temp.path(), bits);
        return true;
    }
    if (!old) {
        if (options.newFileMode) ::fchmod(temp.fd(), *options.newFileMode);
        return true;
    }
    ::fchmod(temp.fd(), old->st_mode & 07777);
    // Only root can give the file back to another owner, and some file
    // systems have no owners; either way the replacement is still good.
    if (::geteuid() == 0) {
        [[maybe_unused]] const int ignored = ::fchown(temp.fd(), old->st_uid, old->st_gid);
    }
    copyExtendedAttributes(target, temp.path());
    // The attribute bits must survive; a failure matters only when any were set.
    return store.copy(target, temp.path()) || !(store.read(target).value_or(0) & kDosBits);
}

} // namespace

int readRegularFile(const QByteArray& nativePath, QByteArray& out, Links links, qint64 maxSize)
{
    out.clear();
    if (net::isNetworkPath(nativePath)) return net::readFile(fromNative(nativePath), out, maxSize);
    // A look first, so that no device is even opened; the check on the open
    // descriptor below is the one that counts.
    struct stat st;
    if (::lstat(nativePath.constData(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode) && !(S_ISLNK(st.st_mode) && links == Links::Follow)) return ENOENT;
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    const int fd = ::open(nativePath.constData(), flags);
    if (fd < 0) return errno == ELOOP && links == Links::Refuse ? ENOENT : errno;
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
    ::close(fd);
    if (error) out.clear();
    return error;
}

std::optional<QByteArray> readWholeFile(const QByteArray& nativePath, Links links, qint64 maxSize)
{
    QByteArray data;
    if (readRegularFile(nativePath, data, links, maxSize) != 0) return std::nullopt;
    return data;
}

bool isLargerThan(const QByteArray& nativePath, Links links, qint64 maxSize)
{
    if (net::Entry e; net::isNetworkPath(nativePath))
        return net::stat(fromNative(nativePath), e) == 0 && !e.directory && qint64(e.size) > maxSize;
    struct stat st;
    const int got
        = links == Links::Follow ? ::stat(nativePath.constData(), &st) : ::lstat(nativePath.constData(), &st);
    return got == 0 && S_ISREG(st.st_mode) && st.st_size > maxSize;
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

namespace {

// What stands at the target now: nothing, a regular file to replace (old),
// or something we must not write through (an errno).
int inspectTarget(const QByteArray& target, const ReplaceOptions& options, std::optional<struct stat>& old)
{
    struct stat st;
    if (::lstat(target.constData(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (options.failIfExists) return EEXIST;
    // A link we do not follow is replaced; its target is neither read nor written.
    if (S_ISLNK(st.st_mode) && !options.followLinks) return 0;
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EPERM;
    old = st;
    return 0;
}

} // namespace

namespace {

// The same on a server: no lock and no link there, and the library puts the
// new file in place (see net::replaceFile).
int replaceOnServer(const QString& path, const ContentEdit& edit, const ReplaceOptions& options, bool& changed)
{
    changed = false;
    net::Entry old;
    const int missing = net::stat(path, old);
    if (missing && missing != ENOENT) return missing;
    if (!missing && (old.directory || options.failIfExists)) return EEXIST;
    std::optional<QByteArray> current;
    if (!missing) {
        QByteArray bytes;
        if (options.maxCurrentSize >= 0) {
            if (const int e = net::readFile(path, bytes, options.maxCurrentSize)) return e;
        }
        current = std::move(bytes);
    }
    const std::optional<QByteArray> next = edit(current);
    if (!next) return 0;
    if (!missing && options.refuseReadOnly && (old.attributes & FILE_ATTRIBUTE_READONLY)) return EACCES;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (!options.attributesFrom.isEmpty()) {
        attributes = GetFileAttributesA(options.attributesFrom);
        if (attributes != INVALID_FILE_ATTRIBUTES) attributes &= kDosBits;
    }
    changed = true;
    return net::replaceFile(path, *next, attributes);
}

} // namespace

ReplaceResult replaceFile(
    const QString& path, const ContentEdit& edit, const ReplaceOptions& options, int* error)
{
    const auto failed = [error](int e) {
        if (error) *error = e ? e : EIO;
        return ReplaceResult::Failed;
    };
    if (path.isEmpty()) return failed(ENOENT);
    if (net::isNetworkPath(path)) {
        bool changed = false;
        if (const int e = replaceOnServer(path, edit, options, changed)) return failed(e);
        return changed ? ReplaceResult::Written : ReplaceResult::Unchanged;
    }
    const QString resolved = ResolvePathCase(path);
    const QByteArray target = systemPath(options.followLinks ? followLinks(resolved) : resolved);
    const QByteArray folder = folderOf(target);
    const FolderLock lock(folder);
    if (lock.fd() < 0) return failed(lock.error());
    removeStaleTemporaries(folder, baseOf(target));

    std::optional<struct stat> old;
    if (const int e = inspectTarget(target, options, old)) return failed(e);
    std::optional<QByteArray> current;
    if (old) {
        QByteArray bytes;
        // Refuse: a file that turned into a link since the look above fails.
        if (options.maxCurrentSize >= 0) {
            if (const int e = readRegularFile(target, bytes, Links::Refuse, options.maxCurrentSize))
                return failed(e);
        }
        current = std::move(bytes);
    }
    const std::optional<QByteArray> next = edit(current);
    if (!next) return ReplaceResult::Unchanged;
    if (old && options.refuseReadOnly && isReadOnlyFile(target))
        return failed(EACCES); // as Windows refuses to change a read-only file

    TempFile temp(folder, baseOf(target), options);
    if (!temp.ok()) return failed(errno);
    const bool sync = g_syncEachReplace.load();
    if (!writeAll(temp.fd(), *next) || (sync && ::fsync(temp.fd()) != 0)) return failed(errno);
    if (!carryOver(target, old, temp, options) || !temp.close()) return failed(errno);
    if (::rename(temp.path().constData(), target.constData()) != 0) return failed(errno);
    temp.committed();
    if (sync) ::fsync(lock.fd()); // the rename itself reaches the disk
    return ReplaceResult::Written;
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
