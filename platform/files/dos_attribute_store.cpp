// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/dos_attribute_store.h"

#include "platform/files/dos_attrib_blob.h"
#include "platform/files/native_names.h"
#include "platform/net/smb_client.h"
#include "platform/little_endian.h"

#include <linux/magic.h>
#include <linux/msdos_fs.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files {

namespace {

constexpr long kNtfs3Magic = 0x7366746e;
constexpr long kNtfsLegacyMagic = 0x5346544e;
// The kernel's SMB client: cifs, and smb3 as newer kernels name it.
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr const char* kNtfsAttrib = "system.ntfs_attrib";
constexpr const char* kCifsDosAttrib = "user.cifs.dosattrib";
constexpr const char* kDosAttrib = "user.DOSATTRIB";
// Directory, sparse, reparse point, compressed, encrypted, and NTFS-3G's
// index bits: they belong to a file's data, not to what the user set.
constexpr std::uint32_t kNtfsLayoutBits = 0x10 | 0x200 | 0x400 | 0x800 | 0x4000 | 0x10000000 | 0x20000000;

std::atomic<const DosAttributeStore*> g_override { nullptr };

struct XattrValue {
    int error = 0; // 0, or the errno of the failed read
    QByteArray value;
};

XattrValue readXattr(int fd, const char* name)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
        if (size < 0) return { errno, {} };
        QByteArray value(size, '\0');
        const ssize_t got = ::fgetxattr(fd, name, value.data(), value.size());
        if (got >= 0) {
            value.truncate(got);
            return { 0, value };
        }
        if (errno != ERANGE) // ERANGE: the value grew in between; ask again
            return { errno, {} };
    }
    return { ERANGE, {} };
}

bool nothingStored(int error)
{
    return error == ENODATA || error == ENOTSUP;
}

class FatStore final : public DosAttributeStore {
public:
    const char* name() const override { return "fat"; }
    std::optional<DWORD> read(int fd) const override
    {
        __u32 attrs = 0;
        return ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attrs) == 0 ? std::optional<DWORD>(attrs) : std::nullopt;
    }
    bool write(int fd, DWORD bits) const override
    {
        __u32 attrs = 0;
        if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attrs) != 0) return false;
        attrs = (attrs & ~kDosBits) | (bits & kDosBits);
        return ::ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attrs) == 0;
    }
    bool copy(int from, int to) const override
    {
        const auto bits = read(from);
        return bits && write(to, *bits);
    }
};

class NtfsStore final : public DosAttributeStore {
public:
    const char* name() const override { return "ntfs"; }
    // The 32-bit word in the machine's byte order (system.ntfs_attrib_be is
    // the big-endian twin that older ntfs3 drivers lack).
    std::optional<DWORD> read(int fd) const override
    {
        std::uint32_t v = 0;
        if (::fgetxattr(fd, kNtfsAttrib, &v, sizeof v) != ssize_t(sizeof v)) return std::nullopt;
        return v;
    }
    bool write(int fd, DWORD bits) const override
    {
        const auto old = read(fd);
        if (!old) return false;
        const std::uint32_t v = (*old & ~kDosBits) | (bits & kDosBits);
        return ::fsetxattr(fd, kNtfsAttrib, &v, sizeof v, 0) == 0;
    }
    // The new file takes every bit of the old one (not indexed, temporary,
    // offline, ...) except those that describe how its own data is kept.
    bool copy(int from, int to) const override
    {
        const auto source = read(from);
        const auto target = read(to);
        if (!source || !target) return false;
        const std::uint32_t v = (*target & kNtfsLayoutBits) | (*source & ~kNtfsLayoutBits);
        return ::fsetxattr(to, kNtfsAttrib, &v, sizeof v, 0) == 0;
    }
};

// The kernel's SMB client passes the attribute word to and from the server
// through this attribute: 32 bits, little-endian. The server keeps the
// directory bit and others; they are written back as read.
class CifsStore final : public DosAttributeStore {
public:
    const char* name() const override { return "cifs"; }
    std::optional<DWORD> read(int fd) const override
    {
        unsigned char word[4];
        if (::fgetxattr(fd, kCifsDosAttrib, word, sizeof word) != ssize_t(sizeof word)) return std::nullopt;
        return le::get32(word);
    }
    bool write(int fd, DWORD bits) const override
    {
        const auto old = read(fd);
        if (!old) return false;
        unsigned char word[4];
        le::put32(word, (*old & ~kDosBits) | (bits & kDosBits));
        return ::fsetxattr(fd, kCifsDosAttrib, word, sizeof word, 0) == 0;
    }
    bool copy(int from, int to) const override
    {
        const auto bits = read(from);
        return bits && write(to, *bits);
    }
};

// Wine takes a file's read-only state from its write permission, so the bit
// is mirrored there for files. Folders keep theirs in the attribute only:
// on a folder it marks a customised folder, not a locked one.
bool mirrorReadOnly(int fd, DWORD bits)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) return true;
    const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    mode_t mode = st.st_mode & 07777;
    if (bits & FILE_ATTRIBUTE_READONLY)
        mode &= ~writable;
    else if (!(mode & writable))
        mode |= S_IWUSR;
    return mode == (st.st_mode & 07777) || ::fchmod(fd, mode) == 0;
}

class SambaStore final : public DosAttributeStore {
public:
    const char* name() const override { return "samba"; }
    std::optional<DWORD> read(int fd) const override
    {
        const XattrValue x = readXattr(fd, kDosAttrib);
        if (x.error) return nothingStored(x.error) ? std::optional<DWORD>(0) : std::nullopt;
        const auto decoded = decodeDosAttrib(x.value);
        return decoded ? decoded->attrib : 0;
    }
    bool write(int fd, DWORD bits) const override
    {
        const XattrValue x = readXattr(fd, kDosAttrib);
        if (x.error && x.error != ENODATA) return false;
        // Other bits already stored (Samba keeps the directory bit) stay.
        DWORD word = bits & kDosBits;
        if (const auto old = decodeDosAttrib(x.value)) word |= old->attrib & ~kDosBits;
        const auto value = withDosAttrib(x.value, word);
        if (!value) return false; // a version we do not know: keep it untouched
        // Write permission comes back before the attribute is set, and goes
        // after it: a user may set extended attributes only where it may write.
        const bool readOnly = bits & FILE_ATTRIBUTE_READONLY;
        if (!readOnly && !mirrorReadOnly(fd, bits)) return false;
        if (::fsetxattr(fd, kDosAttrib, value->constData(), value->size(), 0) != 0) return false;
        if (!readOnly || mirrorReadOnly(fd, bits)) return true;
        // Only the owner may take the write permission away: the step fails
        // as a whole, and the stored value goes back to what it was.
        if (x.error == ENODATA)
            ::fremovexattr(fd, kDosAttrib);
        else
            ::fsetxattr(fd, kDosAttrib, x.value.constData(), x.value.size(), 0);
        return false;
    }
    bool canStore(int fd) const override
    {
        const int error = readXattr(fd, kDosAttrib).error;
        return error == 0 || error == ENODATA;
    }
    bool copy(int from, int to) const override
    {
        const XattrValue x = readXattr(from, kDosAttrib);
        if (x.error) return nothingStored(x.error);
        return ::fsetxattr(to, kDosAttrib, x.value.constData(), x.value.size(), 0) == 0;
    }
};

} // namespace

const DosAttributeStore& fatAttributeStore()
{
    static const FatStore store;
    return store;
}

const DosAttributeStore& ntfsAttributeStore()
{
    static const NtfsStore store;
    return store;
}

const DosAttributeStore& cifsAttributeStore()
{
    static const CifsStore store;
    return store;
}

const DosAttributeStore& sambaAttributeStore()
{
    static const SambaStore store;
    return store;
}

AttributeStorage storageFor(long fsMagic, bool answersNtfsAttrib)
{
    switch (fsMagic) {
    case MSDOS_SUPER_MAGIC:
    case long(EXFAT_SUPER_MAGIC):
        return AttributeStorage::Fat;
    case kNtfs3Magic:
    case kNtfsLegacyMagic:
        return AttributeStorage::Ntfs;
    case kCifsMagic:
    case kSmb2Magic:
        return AttributeStorage::Cifs;
    case FUSE_SUPER_MAGIC:
        // NTFS-3G mounts as fuseblk, which statfs cannot tell from other
        // FUSE file systems; its attribute query can.
        return answersNtfsAttrib ? AttributeStorage::Ntfs : AttributeStorage::Samba;
    default:
        return AttributeStorage::Samba;
    }
}

namespace {

// The file system's magic number and whether a FUSE path answers NTFS-3G's
// attribute query; nullopt when statfs fails.
std::optional<std::pair<long, bool>> fileSystemOf(int fd)
{
    struct statfs sf;
    if (::fstatfs(fd, &sf) != 0) return std::nullopt;
    const long magic = long(sf.f_type);
    bool ntfsAttrib = false;
    if (magic == FUSE_SUPER_MAGIC) {
        std::uint32_t v = 0;
        ntfsAttrib = ::fgetxattr(fd, kNtfsAttrib, &v, sizeof v) == ssize_t(sizeof v);
    }
    return std::pair(magic, ntfsAttrib);
}

// An entry held for one path call; closed at its end.
struct Opened {
    explicit Opened(const QByteArray& path)
        : fd(openForAttributes(AT_FDCWD, path))
    {
    }
    ~Opened()
    {
        if (fd >= 0) ::close(fd);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    const int fd;
};

} // namespace

int openForAttributes(int at, const QByteArray& name)
{
    const char* entry = name.isEmpty() ? "." : name.constData();
    const int fd = ::openat(at, entry, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

std::optional<DWORD> DosAttributeStore::read(const QByteArray& path) const
{
    const Opened e(path);
    return e.fd < 0 ? std::nullopt : read(e.fd);
}

bool DosAttributeStore::write(const QByteArray& path, DWORD bits) const
{
    const Opened e(path);
    return e.fd >= 0 && write(e.fd, bits);
}

bool DosAttributeStore::copy(const QByteArray& from, const QByteArray& to) const
{
    const Opened source(from), target(to);
    return source.fd >= 0 && target.fd >= 0 && copy(source.fd, target.fd);
}

bool DosAttributeStore::canStore(const QByteArray& path) const
{
    const Opened e(path);
    return e.fd >= 0 && canStore(e.fd);
}

bool onWindowsVolume(const QByteArray& path)
{
    const Opened e(path);
    const auto fs = e.fd < 0 ? std::nullopt : fileSystemOf(e.fd);
    return fs && storageFor(fs->first, fs->second) != AttributeStorage::Samba;
}

const DosAttributeStore& attributeStoreFor(const QByteArray& path)
{
    const Opened e(path);
    return attributeStoreFor(e.fd);
}

const DosAttributeStore& attributeStoreFor(int fd)
{
    if (const DosAttributeStore* o = g_override.load()) return *o;
    const auto fs = fd < 0 ? std::nullopt : fileSystemOf(fd);
    if (!fs) return sambaAttributeStore();
    switch (storageFor(fs->first, fs->second)) {
    case AttributeStorage::Fat:
        return fatAttributeStore();
    case AttributeStorage::Ntfs:
        return ntfsAttributeStore();
    case AttributeStorage::Cifs:
        return cifsAttributeStore();
    case AttributeStorage::Samba:
        break;
    }
    return sambaAttributeStore();
}

QString attributeStorageName(const QString& folder)
{
    // A folder on a server: the server keeps the bits.
    if (net::isNetworkPath(folder)) return QStringLiteral("smb");
    const Opened e(nativePath(folder));
    if (e.fd < 0) return QStringLiteral("none");
    const DosAttributeStore& store = attributeStoreFor(e.fd);
    return store.canStore(e.fd) ? QString::fromLatin1(store.name()) : QStringLiteral("none");
}

void setAttributeStoreOverride(const DosAttributeStore* store)
{
    g_override.store(store);
}

} // namespace files
