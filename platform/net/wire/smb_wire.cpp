// SPDX-License-Identifier: GPL-3.0-or-later
// GIO comes first: its headers name struct members "signals", which Qt's
// headers make a macro.
#include <gio/gio.h>

#include "platform/net/wire/smb_wire.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libsmbclient.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace net::wire {

std::optional<SignIn> savedSignIn(const QString& server);

namespace {

const Host* g_host = nullptr;

void copyInto(char* buffer, int size, const QString& text)
{
    if (size <= 0) return;
    const QByteArray bytes = text.toUtf8().left(size - 1);
    std::memcpy(buffer, bytes.constData(), bytes.size());
    buffer[bytes.size()] = '\0';
}

// The library asks for the sign-in of each server it connects to; with no
// user given, it connects as a guest.
void authenticate(SMBCCTX*, const char* server, const char*, char* domain, int domainSize, char* user,
    int userSize, char* password, int passwordSize)
{
    const SignIn s = g_host->signInFor(QString::fromUtf8(server));
    if (!s.domain.isEmpty()) copyInto(domain, domainSize, s.domain);
    copyInto(user, userSize, s.user.isEmpty() && !s.kerberos ? QStringLiteral("guest") : s.user);
    copyInto(password, passwordSize, s.password);
}

// Whether the library's chmod sets all four DOS bits (see below).
bool g_modeSetsAllBits = false;

// The library's chmod turns the permission bits into the DOS bits in one
// call (no write bit: read-only; the execute bits: archive, system,
// hidden), but only where its configuration maps system and hidden. The
// attribute call sets any bits, yet first reads the old ones: six round
// trips against three. So the configuration the library read at its
// start (the tests name their own) is read again with those three lines
// after it. Loadparm reads everything once; the file can go right after.
bool loadConfiguration(SMBCCTX* c)
{
    QByteArray base = qgetenv("QUILLMARK_SMB_CONF");
    if (base.isEmpty()) {
        const QByteArray own = qgetenv("HOME") + "/.smb/smb.conf";
        base = ::access(own.constData(), R_OK) == 0 ? own : QByteArray("/etc/samba/smb.conf");
    }
    QByteArray text;
    if (!base.contains('\n') && ::access(base.constData(), R_OK) == 0) text = "include = " + base + "\n";
    text += "[global]\nmap archive = yes\nmap hidden = yes\nmap system = yes\n";
    const int fd = ::memfd_create("quillmark-smb.conf", MFD_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.constData(), text.size()) == text.size();
    if (written) smbc_setConfiguration(c, QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData());
    ::close(fd);
    return written;
}

struct Context {
    SMBCCTX* ctx = nullptr;
    ~Context()
    {
        if (ctx) smbc_free_context(ctx, 1);
    }
};

// One per thread, made at its first use and kept for the run.
SMBCCTX* context()
{
    thread_local Context t;
    if (t.ctx) return t.ctx;
    SMBCCTX* c = smbc_new_context();
    if (!c) return nullptr;
    smbc_setDebug(c, 0);
    smbc_setTimeout(c, g_host->timeoutMs());
    smbc_setFunctionAuthDataWithContext(c, authenticate);
    smbc_setOptionUseKerberos(c, g_host->kerberos());
    smbc_setOptionFallbackAfterKerberos(c, 1);
    if (!smbc_init_context(c)) {
        smbc_free_context(c, 0);
        return nullptr;
    }
    static std::once_flag once;
    std::call_once(once, [c] { g_modeSetsAllBits = loadConfiguration(c); });
    return t.ctx = c;
}

int lastError()
{
    return errno ? errno : EIO;
}

int list(const QByteArray& url, std::vector<Entry>& out)
{
    out.clear();
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(c)(c, url.constData());
    if (!dir) return lastError();
    struct stat st;
    int error = 0;
    // A hostile server may list without end: the listing stops at its bounds.
    while (const libsmb_file_info* info = smbc_getFunctionReaddirPlus2(c)(c, dir, &st)) {
        const QString name = QString::fromUtf8(info->name);
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
        if (out.size() >= kMaxListedEntries || name.size() > kMaxNameLength) {
            error = out.size() >= kMaxListedEntries ? E2BIG : ENAMETOOLONG;
            break;
        }
        const bool directory = info->attrs & FILE_ATTRIBUTE_DIRECTORY;
        out.push_back({ name, directory, info->size, DWORD(info->attrs) });
    }
    smbc_getFunctionClosedir(c)(c, dir);
    if (error) out.clear();
    return error;
}

int read(const QByteArray& url, QByteArray& out, qint64 maxSize)
{
    out.clear();
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    errno = 0;
    SMBCFILE* file = smbc_getFunctionOpen(c)(c, url.constData(), O_RDONLY, 0);
    if (!file) return lastError();
    int error = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = smbc_getFunctionRead(c)(c, file, buffer, sizeof buffer);
        if (n < 0) {
            error = lastError();
            break;
        }
        if (n == 0) break;
        if (out.size() + n > maxSize) {
            error = EFBIG;
            break;
        }
        out.append(buffer, n);
    }
    smbc_getFunctionClose(c)(c, file);
    if (error) out.clear();
    return error;
}

int exists(const QByteArray& url)
{
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    struct stat st;
    errno = 0;
    return smbc_getFunctionStat(c)(c, url.constData(), &st) == 0 ? 0 : lastError();
}

int write(const QByteArray& url, const QByteArray& bytes)
{
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    errno = 0;
    SMBCFILE* file = smbc_getFunctionCreat(c)(c, url.constData(), 0644);
    if (!file) return lastError();
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && !error;) {
        const ssize_t n = smbc_getFunctionWrite(c)(c, file, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            error = lastError();
        else
            done += n;
    }
    if (smbc_getFunctionClose(c)(c, file) != 0 && !error) error = lastError();
    return error;
}

int unlink(const QByteArray& url)
{
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    errno = 0;
    return smbc_getFunctionUnlink(c)(c, url.constData()) == 0 ? 0 : lastError();
}

int rename(const QByteArray& from, const QByteArray& to)
{
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    errno = 0;
    return smbc_getFunctionRename(c)(c, from.constData(), c, to.constData()) == 0 ? 0 : lastError();
}

int setMode(const QByteArray& url, DWORD bits)
{
    SMBCCTX* c = context();
    if (!c) return ENOMEM;
    constexpr DWORD kMapped = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
        | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY;
    if (g_modeSetsAllBits && !(bits & ~kMapped)) {
        mode_t mode = (bits & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
        if (bits & FILE_ATTRIBUTE_ARCHIVE) mode |= S_IXUSR;
        if (bits & FILE_ATTRIBUTE_SYSTEM) mode |= S_IXGRP;
        if (bits & FILE_ATTRIBUTE_HIDDEN) mode |= S_IXOTH;
        errno = 0;
        return smbc_getFunctionChmod(c)(c, url.constData(), mode) == 0 ? 0 : lastError();
    }
    const QByteArray value = "0x" + QByteArray::number(uint(bits), 16);
    errno = 0;
    return smbc_getFunctionSetxattr(c)(
               c, url.constData(), "system.dos_attr.mode", value.constData(), value.size(), 0)
            == 0
        ? 0
        : lastError();
}

// GIO's default VFS is gvfs's when its daemon runs; then it names a path
// under the FUSE mount by the mount's URI. Otherwise GIO calls it a local
// file.
QString gvfsUri(const QString& path)
{
    GVfs* vfs = g_vfs_get_default();
    if (!vfs || qstrcmp(G_OBJECT_TYPE_NAME(vfs), "GDaemonVfs") != 0) return {};
    GFile* file = g_file_new_for_path(path.toUtf8().constData());
    char* uri = g_file_get_uri(file);
    const QString out = QString::fromUtf8(uri);
    g_free(uri);
    g_object_unref(file);
    return out;
}

} // namespace

} // namespace net::wire

extern "C" __attribute__((visibility("default"))) const net::wire::Calls* quillmark_smb_calls(
    const net::wire::Host* host)
{
    using namespace net::wire;
    static const Calls calls { list, read, exists, write, unlink, rename, setMode, savedSignIn, gvfsUri };
    g_host = host;
    return &calls;
}
