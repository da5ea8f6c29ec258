#include "platform/registry/hive_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Hives are small; anything larger is not one of ours.
constexpr qint64 kMaxHiveSize = 16 * 1024 * 1024;

struct Faults {
    int read = 0;
    int write = 0;
};

std::mutex g_mutex;
std::map<HKEY, Faults> g_faults;
std::function<void(const QString&)> g_observer;

Faults faultsFor(HKEY root)
{
    std::lock_guard lock(g_mutex);
    const auto it = g_faults.find(root);
    return it == g_faults.end() ? Faults {} : it->second;
}

void observe(const QString& path)
{
    std::function<void(const QString&)> observer;
    {
        std::lock_guard lock(g_mutex);
        observer = g_observer;
    }
    if (observer) observer(path);
}

LSTATUS fromErrno(int e)
{
    switch (e) {
    case 0:
        return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

QString envPath(const char* name)
{
    return QFile::decodeName(qgetenv(name));
}

class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Reads the whole hive; a missing hive reads as no bytes. Returns an errno.
int readHive(HKEY root, QByteArray& bytes)
{
    bytes.clear();
    if (const int fault = faultsFor(root).read) return fault;
    Fd fd(::open(QFile::encodeName(HiveFile::path(root)).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (bytes.size() + n > kMaxHiveSize) return EFBIG;
        bytes.append(buffer, n);
    }
}

int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        done += n;
    }
    return 0;
}

// Creates the folder and the folders above it that are missing.
int makeFolders(const QString& folder)
{
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        struct stat st;
        if (::stat(QFile::encodeName(current).constData(), &st) == 0) continue;
        observe(current);
        if (::mkdir(QFile::encodeName(current).constData(), 0755) < 0 && errno != EEXIST) return errno;
    }
    return 0;
}

// Writes bytes to a temporary file beside the hive and renames it over the hive.
int replaceHive(HKEY root, const QByteArray& bytes)
{
    const QString file = HiveFile::path(root);
    const QByteArray target = QFile::encodeName(file);
    struct stat old;
    const bool existed = ::stat(target.constData(), &old) == 0;
    // The machine hive is read by every user, a user's hive by its owner only.
    const mode_t mode = existed ? (old.st_mode & 07777) : (root == HKEY_LOCAL_MACHINE ? 0644 : 0600);

    QByteArray temp = target + ".XXXXXX";
    observe(QFile::decodeName(temp));
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) return errno;
    int err = writeAll(fd.get(), bytes);
    if (!err && ::fchmod(fd.get(), mode) < 0) err = errno;
    if (!err && existed && geteuid() == 0 && ::fchown(fd.get(), old.st_uid, old.st_gid) < 0) err = errno;
    if (!err && ::fsync(fd.get()) < 0) err = errno;
    if (::close(fd.release()) < 0 && !err) err = errno;
    observe(file);
    if (!err && ::rename(temp.constData(), target.constData()) < 0) err = errno;
    if (err) {
        ::unlink(temp.constData());
        return err;
    }
    // The rename itself must reach the disk too; a failure here loses nothing already written.
    Fd dir(::open(QFile::encodeName(HiveFile::folder(root)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return 0;
}

} // namespace

namespace RegistryPlatform {

QString hivePath(HKEY root)
{
    return HiveFile::path(root);
}

void setReadFault(HKEY root, int errnoValue)
{
    std::lock_guard lock(g_mutex);
    g_faults[root].read = errnoValue;
}

void setWriteFault(HKEY root, int errnoValue)
{
    std::lock_guard lock(g_mutex);
    g_faults[root].write = errnoValue;
}

void setWriteObserver(std::function<void(const QString& path)> observer)
{
    std::lock_guard lock(g_mutex);
    g_observer = std::move(observer);
}

} // namespace RegistryPlatform

namespace HiveFile {

QString rootName(HKEY root)
{
    if (root == HKEY_CURRENT_USER) return QStringLiteral("HKEY_CURRENT_USER");
    if (root == HKEY_LOCAL_MACHINE) return QStringLiteral("HKEY_LOCAL_MACHINE");
    return QString();
}

QString folder(HKEY root)
{
    if (rootName(root).isEmpty()) return QString();
    const QString shared = envPath("QUILLMARK_REGISTRY_DIR");
    if (!shared.isEmpty()) return QDir::cleanPath(QDir(shared).absolutePath());
    if (root == HKEY_LOCAL_MACHINE) return QStringLiteral("/etc/quillmark");
    QString config = envPath("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        const QString home = envPath("HOME");
        config = (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config + QStringLiteral("/quillmark"));
}

QString path(HKEY root)
{
    const QString name = rootName(root);
    return name.isEmpty() ? QString() : folder(root) + u'/' + name + QStringLiteral(".reg");
}

namespace {
// Keys that every Windows installation has and that programs write into
// without creating them. A machine hive holds them from the start.
void addSystemKeys(HKEY root, Hive::Document& doc)
{
    if (root != HKEY_LOCAL_MACHINE) return;
    for (const char* key : { "Software\\Classes\\Directory\\shell", "Software\\Classes\\Folder\\shell" })
        doc.createKey(QString::fromLatin1(key), QString());
}
} // namespace

LSTATUS load(HKEY root, Hive::Document& doc)
{
    const QString name = rootName(root);
    if (name.isEmpty()) return ERROR_INVALID_HANDLE;
    QByteArray bytes;
    if (const int err = readHive(root, bytes)) return err == EFBIG ? ERROR_BADDB : fromErrno(err);
    doc = Hive::Document::parse(bytes, name);
    addSystemKeys(root, doc);
    return ERROR_SUCCESS;
}

LSTATUS checkWritable(HKEY root)
{
    if (rootName(root).isEmpty()) return ERROR_INVALID_HANDLE;
    if (const int fault = faultsFor(root).write) return fromErrno(fault);
    const QByteArray file = QFile::encodeName(path(root));
    if (::access(file.constData(), F_OK) == 0 && ::access(file.constData(), W_OK) < 0)
        return fromErrno(errno);
    // The temporary file and the rename need the folder, or the first folder above it that exists.
    QString dir = folder(root);
    while (::access(QFile::encodeName(dir).constData(), F_OK) < 0 && dir != QStringLiteral("/"))
        dir = QFileInfo(dir).path();
    if (::access(QFile::encodeName(dir).constData(), W_OK | X_OK) < 0) return fromErrno(errno);
    return ERROR_SUCCESS;
}

LSTATUS update(HKEY root, const QString& keyPath, const QString& valueName, const Change& change)
{
    const QString name = rootName(root);
    if (const LSTATUS s = checkWritable(root)) return s;
    if (const int err = makeFolders(folder(root))) return fromErrno(err);
    const QString lockPath = path(root) + QStringLiteral(".lock");
    observe(lockPath);
    Fd lock(::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0) return fromErrno(errno);
    while (::flock(lock.get(), LOCK_EX) < 0) {
        if (errno != EINTR) return fromErrno(errno);
    }
    // Read anew under the lock: another process may have changed the hive meanwhile.
    QByteArray before;
    if (const int err = readHive(root, before)) return err == EFBIG ? ERROR_BADDB : fromErrno(err);
    Hive::Document doc = Hive::Document::parse(before, name);
    if (!doc.writable() || doc.serialize() != before) return ERROR_BADDB;
    const Hive::Document old = doc;
    addSystemKeys(root, doc);
    bool changed = false;
    if (const LSTATUS s = change(doc, changed); s != ERROR_SUCCESS || !changed) return s;
    const QByteArray after = doc.serialize();
    if (!Hive::Document::parse(after, name).holdsEverythingOf(old, keyPath, valueName)) return ERROR_BADDB;
    return fromErrno(replaceHive(root, after));
}

} // namespace HiveFile
