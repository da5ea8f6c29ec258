#include "platform/files/file_replace.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"

#include <QAtomicInteger>
#include <QList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files {

namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr const char* kTempMark = ".qmtmp-";

std::mutex g_hookMutex;
WriteFaultHook g_hook;

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
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0) ::close(m_fd); // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The temporary file beside the target; removed unless it was renamed.
class TempFile {
public:
    TempFile(const QByteArray& folder, const QByteArray& base)
    {
        static QAtomicInteger<quint32> counter;
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = folder + '/' + '.' + base + kTempMark + QByteArray::number(::getpid()) + '-'
                + QByteArray::number(counter.fetchAndAddRelaxed(1));
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
    const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size <= 0) return;
    QByteArray names(size, '\0');
    const ssize_t got = ::listxattr(from.constData(), names.data(), names.size());
    if (got <= 0) return;
    for (const QByteArray& name : names.left(got).split('\0')) {
        if (name.isEmpty()) continue;
        const ssize_t vsize = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        if (vsize < 0) continue;
        QByteArray value(vsize, '\0');
        const ssize_t vgot = ::getxattr(from.constData(), name.constData(), value.data(), value.size());
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
        const QByteArray from = nativePath(ResolvePathCase(options.attributesFrom));
        const DWORD bits = attributeStoreFor(from).read(from).value_or(0) & kDosBits;
        // A copy that cannot take the source's bits is still a good copy.
        if (bits) store.write(temp.path(), bits);
        return true;
    }
    if (!old) return true;
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

std::optional<QByteArray> readWholeFile(const QByteArray& nativePath)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    std::optional<QByteArray> out;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray data;
        data.reserve(qsizetype(st.st_size));
        char buf[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                data.clear();
                break;
            }
            if (n == 0) {
                out = std::move(data);
                break;
            }
            data.append(buf, n);
        }
    }
    ::close(fd);
    return out;
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
    return QString::fromUtf8(current);
}

ReplaceResult replaceFile(const QString& path, const ContentEdit& edit, const ReplaceOptions& options)
{
    if (path.isEmpty()) return ReplaceResult::Failed;
    const QByteArray target = nativePath(followLinks(ResolvePathCase(path)));
    const QByteArray folder = folderOf(target);
    const FolderLock lock(folder);
    if (lock.fd() < 0) return ReplaceResult::Failed;
    removeStaleTemporaries(folder, baseOf(target));

    std::optional<struct stat> old;
    struct stat st;
    if (::lstat(target.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || options.failIfExists) return ReplaceResult::Failed;
        old = st;
    } else if (errno != ENOENT) {
        return ReplaceResult::Failed;
    }
    std::optional<QByteArray> current;
    if (old && !(current = readWholeFile(target))) return ReplaceResult::Failed;
    const std::optional<QByteArray> next = edit(current);
    if (!next) return ReplaceResult::Unchanged;
    if (old && isReadOnlyFile(target))
        return ReplaceResult::Failed; // as Windows refuses to change a read-only file

    TempFile temp(folder, baseOf(target));
    if (!temp.ok() || !writeAll(temp.fd(), *next) || ::fsync(temp.fd()) != 0) return ReplaceResult::Failed;
    if (!carryOver(target, old, temp, options) || !temp.close()) return ReplaceResult::Failed;
    if (::rename(temp.path().constData(), target.constData()) != 0) return ReplaceResult::Failed;
    temp.committed();
    ::fsync(lock.fd()); // the rename itself reaches the disk
    return ReplaceResult::Written;
}

void setWriteFaultHook(WriteFaultHook hook)
{
    std::lock_guard<std::mutex> guard(g_hookMutex);
    g_hook = std::move(hook);
}

} // namespace files
