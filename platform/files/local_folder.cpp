// SPDX-License-Identifier: GPL-3.0-or-later
// A folder of this machine held by an O_PATH descriptor: every entry is
// reached with the *at calls relative to it, never through a link, and a
// file's bits, permissions and extended attributes go through the file's
// own descriptor.
#include "platform/files/local_folder.h"

#include "platform/files/dos_attribute_store.h"
#include "platform/files/native_names.h"

#include <QAtomicInteger>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <utility>

namespace files {

namespace {

// A descriptor of ours, closed when it goes unless released to its next owner.
class Fd {
public:
    explicit Fd(int fd = -1)
        : fd_(fd)
    {
    }
    ~Fd()
    {
        if (ok()) ::close(fd_);
    }
    Fd(Fd&& other) noexcept
        : fd_(other.release())
    {
    }
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// The folder's exclusive lock for one replacement: writers of one folder,
// in any process, take turns, and no lock file appears among its entries.
class FolderLock {
public:
    explicit FolderLock(int folder)
        : fd_(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        error_ = fd_.ok() ? lockExclusive(fd_.get()) : errno;
    }
    int error() const { return error_; }
    int fd() const { return fd_.get(); }

private:
    Fd fd_;
    int error_ = 0;
};

// The new file while it is made: created by us alone, private until it
// takes the old one's place, and removed unless it did.
class NewEntry {
public:
    // A file that replaces another is private (0600) until it takes the
    // old one's mode; a new file, whose contents become readable under the
    // umask anyway, gets that mode (0666 under it) from the start.
    NewEntry(int folder, const LocalFolder& owner, const QString& entry, const ReplaceOptions& options, bool replacing)
        : folder_(folder)
    {
        const mode_t mode = (replacing && !options.attributes) || options.newFileMode ? 0600 : 0666;
        static QAtomicInteger<quint32> serial;
        for (int attempt = 0; attempt < 100 && !fd_.ok(); ++attempt) {
            name_ = nativePath(temporaryName(entry, ::getpid(), serial.fetchAndAddRelaxed(1)));
            if (options.onTemporary) options.onTemporary(nativePath(owner.pathOf(fromNative(name_))));
            fd_ = Fd(::openat(folder, name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
            if (!fd_.ok() && errno != EEXIST) break;
        }
    }
    ~NewEntry()
    {
        // Only our own file goes (once renamed, the name is gone): a name
        // someone swapped is theirs.
        if (fd_.ok() && stillOurs()) ::unlinkat(folder_, name_.constData(), 0);
    }
    NewEntry(const NewEntry&) = delete;
    NewEntry& operator=(const NewEntry&) = delete;
    bool ok() const { return fd_.ok(); }
    int fd() const { return fd_.get(); }
    const QByteArray& name() const { return name_; }
    // Whether the name still stands for the file we made: anyone who may
    // write the folder may swap it for something else meanwhile.
    bool stillOurs() const
    {
        struct stat named, ours;
        return ::fstatat(folder_, name_.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd_.get(), &ours) == 0
            && named.st_ino == ours.st_ino && named.st_dev == ours.st_dev;
    }
    int finish(const QByteArray& target)
    {
        if (!stillOurs()) return EAGAIN;
        return ::renameat(folder_, name_.constData(), folder_, target.constData()) == 0 ? 0 : errno;
    }

private:
    int folder_;
    QByteArray name_;
    Fd fd_;
};

// Extended attributes (ACLs, Samba's attribute blob, anything else) carry
// over where the file system lets them. Those that grant rights (system.*,
// security.*) come only from a file of our own: another user's ACL must
// not become ours to give to whatever file we write.
void copyExtendedAttributes(int from, int to, uid_t owner)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0) return;
    QByteArray names(size, '\0');
    // A list that failed or shrank meanwhile has fewer names, or none.
    names.truncate(qMax<ssize_t>(::flistxattr(from, names.data(), names.size()), 0));
    const bool ours = owner == ::geteuid();
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty() || (!ours && (name.startsWith("system.") || name.startsWith("security.")))) continue;
        const ssize_t vsize = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (vsize < 0) continue;
        QByteArray value(vsize, '\0');
        const ssize_t vgot = ::fgetxattr(from, name.constData(), value.data(), value.size());
        if (vgot >= 0) ::fsetxattr(to, name.constData(), value.constData(), size_t(vgot), 0);
    }
}

// Gives the new file what the old one had, or what options ask for: the
// attributes while it is still private, the permissions and owner last.
bool carryOver(int oldFd, const std::optional<struct stat>& old, int newFd, const ReplaceOptions& options)
{
    const DosAttributeStore& store = attributeStoreFor(newFd);
    if (!old || options.attributes) {
        if (options.newFileMode && ::fchmod(newFd, *options.newFileMode) != 0) return false;
        // A copy that cannot take the source's bits is still a good copy.
        if (const DWORD bits = options.attributes.value_or(0) & kDosBits) store.write(newFd, bits);
        return true;
    }
    copyExtendedAttributes(oldFd, newFd, old->st_uid);
    // The attribute bits must survive; a failure matters only when any were set.
    const bool bits = store.copy(oldFd, newFd) || !(store.read(oldFd).value_or(0) & kDosBits);
    if (::fchmod(newFd, old->st_mode & 07777) != 0) return false;
    // Only root can give the file back to another owner, and some file
    // systems have no owners; either way the replacement is still good.
    if (::geteuid() == 0) [[maybe_unused]] const int ignored = ::fchown(newFd, old->st_uid, old->st_gid);
    return bits;
}

// A folder's O_PATH descriptor, named relative to at. A link where a folder
// should be (with O_NOFOLLOW) is no folder.
Fd openFolderAt(int at, const QByteArray& name, int flags, int& error)
{
    Fd fd(::openat(at, name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC | flags));
    error = fd.ok() ? 0 : errno == ELOOP ? ENOTDIR : errno;
    return fd;
}

} // namespace

LocalFolder::LocalFolder(QString name, int fd)
    : FolderHandle(std::move(name))
    , fd_(fd)
{
}

LocalFolder::~LocalFolder()
{
    ::close(fd_);
}

QString LocalFolder::pathOf(const QString& entry) const
{
    if (entry.isEmpty()) return name();
    return name().endsWith(u'/') ? name() + entry : name() + u'/' + entry;
}

std::optional<std::pair<quint64, quint64>> LocalFolder::identity() const
{
    struct stat st;
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return std::pair<quint64, quint64>(st.st_dev, st.st_ino);
}

QString LocalFolder::resolve(const QString& entry)
{
    struct stat st;
    if (entry.isEmpty() || ::fstatat(fd_, nativePath(entry).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return entry;
    // Listed again only when the folder changed since (its modification time).
    if (struct stat now; ::fstat(fd_, &now) == 0
        && (!names_ || now.st_mtim.tv_sec != listedAt_.tv_sec || now.st_mtim.tv_nsec != listedAt_.tv_nsec)) {
        std::vector<EntryInfo> listed;
        if (list(listed) != 0) return entry;
        names_.emplace();
        for (const EntryInfo& e : listed)
            names_->push_back(nativePath(e.name));
        listedAt_ = now.st_mtim;
    }
    const QByteArray* best = nullptr;
    for (const QByteArray& candidate : *names_)
        if (fromNative(candidate).compare(entry, Qt::CaseInsensitive) == 0 && (!best || candidate < *best))
            best = &candidate;
    return best ? fromNative(*best) : entry;
}

int LocalFolder::stat(const QString& entry, EntryInfo& out)
{
    const QByteArray name = nativePath(entry);
    struct stat st;
    if (::fstatat(fd_, entry.isEmpty() ? "." : name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    out = { entry, S_ISDIR(st.st_mode), S_ISREG(st.st_mode), qint64(st.st_size), 0 };
    // Only files and folders are opened for their bits: a device is never started.
    if (!out.directory && !out.regular) return 0;
    const Fd opened(openForAttributes(fd_, name));
    // Nothing stored, or storage we cannot read, counts as no bits.
    if (opened.ok()) out.bits = attributeStoreFor(opened.get()).read(opened.get()).value_or(0) & kDosBits;
    if (out.directory)
        out.bits |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        out.bits |= FILE_ATTRIBUTE_READONLY;
    return 0;
}

int LocalFolder::list(std::vector<EntryInfo>& out)
{
    out.clear();
    const int listing = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return errno;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return errno;
    }
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..") continue;
        unsigned char type = e->d_type;
        if (struct stat st; type == DT_UNKNOWN && ::fstatat(fd_, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
        out.push_back({ fromNative(name), type == DT_DIR, type == DT_REG, 0, 0 });
    }
    ::closedir(dir);
    return 0;
}

int LocalFolder::read(const QString& entry, QByteArray& out, qint64 maxSize)
{
    out.clear();
    const QByteArray name = nativePath(resolve(entry));
    // A look first, so that no device is even opened; the check on the open
    // descriptor is the one that counts.
    struct stat st;
    if (::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return ENOENT;
    const Fd file(::openat(fd_, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.ok()) return errno == ELOOP ? ENOENT : errno;
    return readOpenFile(file.get(), out, maxSize);
}

int LocalFolder::replace(const QString& given, const ContentEdit& edit, const ReplaceOptions& options, bool& written)
{
    const FolderLock lock(fd_);
    if (lock.error()) return lock.error();
    const QString entry = resolve(given);
    const QByteArray name = nativePath(entry);
    removeTemporaries(entry);
    std::optional<struct stat> old;
    if (struct stat st; ::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (options.failIfExists) return EEXIST;
        // A link is replaced; its target is neither read nor written.
        if (S_ISREG(st.st_mode))
            old = st;
        else if (!S_ISLNK(st.st_mode))
            return S_ISDIR(st.st_mode) ? EISDIR : EPERM;
    } else if (errno != ENOENT) {
        return errno;
    }
    const Fd oldFd(old ? ::openat(fd_, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1);
    if (old) {
        // The file looked at is the file opened, or nothing is done.
        struct stat held;
        if (!oldFd.ok()) return errno == ELOOP ? EAGAIN : errno;
        if (::fstat(oldFd.get(), &held) != 0 || held.st_ino != old->st_ino || held.st_dev != old->st_dev)
            return EAGAIN;
    }
    std::optional<QByteArray> current;
    if (old) {
        QByteArray bytes;
        if (options.maxCurrentSize >= 0)
            if (const int e = readOpenFile(oldFd.get(), bytes, options.maxCurrentSize)) return e;
        current = std::move(bytes);
    }
    const std::optional<QByteArray> next = edit(current);
    if (!next) return 0;
    // As Windows refuses to change a read-only file.
    if (old && options.refuseReadOnly
        && ((attributeStoreFor(oldFd.get()).read(oldFd.get()).value_or(0) & FILE_ATTRIBUTE_READONLY)
            || !(old->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))
            || ::faccessat(fd_, name.constData(), W_OK, AT_SYMLINK_NOFOLLOW) != 0))
        return EACCES;
    NewEntry made(fd_, *this, entry, options, old.has_value());
    if (!made.ok()) return errno;
    const bool sync = syncEachReplace();
    if (!writeAllTo(made.fd(), *next) || (sync && ::fsync(made.fd()) != 0)) return errno;
    if (!carryOver(oldFd.get(), old, made.fd(), options)) return errno ? errno : EIO;
    if (const int e = made.finish(name)) return e;
    if (sync) ::fsync(lock.fd()); // the rename itself reaches the disk
    written = true;
    return 0;
}

// A writer killed in the middle leaves its temporary file behind; the
// folder's lock is held, so no other writer has one in progress.
void LocalFolder::removeTemporaries(const QString& entry)
{
    std::vector<EntryInfo> entries;
    if (list(entries) != 0) return;
    for (const EntryInfo& e : entries)
        if (isTemporaryOf(e.name, entry)) ::unlinkat(fd_, nativePath(e.name).constData(), 0);
}

void LocalFolder::adoptLeftovers(const QString& entry)
{
    // A rename here is one step: the old file is in place until the new one is.
    const FolderLock lock(fd_);
    if (!lock.error()) removeTemporaries(resolve(entry));
}

int LocalFolder::remove(const QString& given)
{
    if (given.isEmpty()) return EISDIR;
    const QByteArray name = nativePath(resolve(given));
    struct stat st;
    if (::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (S_ISREG(st.st_mode)) {
        EntryInfo info;
        if (stat(fromNative(name), info) == 0 && (info.bits & FILE_ATTRIBUTE_READONLY)) return EACCES;
        if (::faccessat(fd_, name.constData(), W_OK, AT_SYMLINK_NOFOLLOW) != 0) return EACCES;
    }
    return ::unlinkat(fd_, name.constData(), 0) == 0 ? 0 : errno;
}

int LocalFolder::setBits(const QString& entry, DWORD bits)
{
    const Fd opened(openForAttributes(fd_, nativePath(resolve(entry))));
    if (!opened.ok()) return ENOENT;
    return attributeStoreFor(opened.get()).write(opened.get(), bits & kDosBits) ? 0 : EPERM;
}

bool LocalFolder::canWrite()
{
    // Also EROFS for a read-only mount, for root as well.
    return ::faccessat(fd_, ".", W_OK | X_OK, 0) == 0;
}

std::unique_ptr<FolderHandle> LocalFolder::child(const QString& entry, int& error)
{
    Fd fd = openFolderAt(fd_, nativePath(entry), O_NOFOLLOW, error);
    struct stat mine, theirs;
    if (!error && (::fstat(fd_, &mine) != 0 || ::fstat(fd.get(), &theirs) != 0 || mine.st_dev != theirs.st_dev))
        error = EXDEV; // another file system mounted there
    return error ? nullptr : std::make_unique<LocalFolder>(pathOf(entry), fd.release());
}

std::unique_ptr<FolderHandle> openLocalFolder(const QString& folder, int& error, bool followLink)
{
    const QByteArray path = nativePath(folder.isEmpty() ? QStringLiteral(".") : folder);
    Fd fd = openFolderAt(AT_FDCWD, path, followLink ? 0 : O_NOFOLLOW, error);
    if (error) return nullptr;
    QString name = folder;
    while (name.size() > 1 && name.endsWith(u'/'))
        name.chop(1);
    return std::make_unique<LocalFolder>(name, fd.release());
}

} // namespace files
