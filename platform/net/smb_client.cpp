// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/smb_client.h"

#include "platform/net/call_thread.h"
#include "platform/net/wire/smb_wire.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <utility>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// Samba's client library keeps the name of its log file for the life of the
// process (debug_set_logfile, through talloc); the leak checker of the
// sanitised builds sees only talloc's frames of it, and is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libtalloc.so\n";
}

// The leak checker stops the threads through /proc and reads its options
// from there: where /proc is hidden (a container, unshare -m) it would fail
// every run at its end, so it is off there.
extern "C" const char* __lsan_default_options()
{
    return ::access("/proc/self/task", R_OK) == 0 ? "print_suppressions=0" : "print_suppressions=0:detect_leaks=0";
}
#endif

namespace net {

namespace {

constexpr DWORD kDosBits
    = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct Server {
    SignIn signIn;
    int port = 0;
    bool named = false; // by the user, in this run
    bool silent = false; // let a call run out of time in this run
};

// Long enough for a slow server, short enough that a dead one does not
// look like a hang.
std::atomic<int> g_timeoutMs { 10000 };

// Never destroyed: a call left running on the call thread (see onServer)
// may still ask for a sign-in while the program ends.
std::mutex& g_serversMutex = *new std::mutex;
QHash<QString, Server>& g_servers = *new QHash<QString, Server>; // by the server's name in lower case
SignInAsker g_asker;
// Shares, in lower case, that took a sign-in in this run, and those whose
// sign-in the user declined: neither is asked for again.
QSet<QString> g_reached, g_declined;

Server serverNamed(const QString& name)
{
    std::lock_guard guard(g_serversMutex);
    return g_servers.value(name.toLower());
}

// What the module asks of us: a server's sign-in, or else the one given
// for every server the user named; a server the user did not name (one a
// share refers the library to) gets none.
const wire::Host g_host {
    [](const QString& server) {
        const Server named = serverNamed(server);
        if (!named.named) return SignIn {};
        return named.signIn.user.isEmpty() && !named.signIn.kerberos ? serverNamed(QString()).signIn
                                                                     : named.signIn;
    },
    [] {
        std::lock_guard guard(g_serversMutex);
        return std::any_of(
            g_servers.cbegin(), g_servers.cend(), [](const Server& s) { return s.signIn.kerberos; });
    },
    [] { return g_timeoutMs.load(); },
};

} // namespace

namespace wire {

// The module lies beside the program in the build folder, and in the
// library folder once installed (bin/../lib/...); the tests name theirs.
// Without it every call fails with ENOSYS.
std::atomic<const Calls*> g_replaced { nullptr };

const Calls* calls()
{
    if (const Calls* replaced = g_replaced.load()) return replaced;
    static const Calls missing {
        [](const QByteArray&, std::vector<Entry>&) { return ENOSYS; },
        [](const QByteArray&, QByteArray&, qint64) { return ENOSYS; },
        [](const QByteArray&) { return ENOSYS; },
        [](const QByteArray&, const QByteArray&) { return ENOSYS; },
        [](const QByteArray&) { return ENOSYS; },
        [](const QByteArray&, const QByteArray&) { return ENOSYS; },
        [](const QByteArray&, DWORD) { return ENOSYS; },
        [](const QString&) { return std::optional<SignIn>(); },
        [](const QString&) { return QString(); },
    };
    static const Calls* const loaded = []() -> const Calls* {
        QStringList candidates;
        if (const char* named = secure_getenv("QUILLMARK_SMB_MODULE"))
            candidates << QString::fromLocal8Bit(named);
        // Beside the executable only where the kernel says where that is.
        const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        const QString bin = exe.section(u'/', 0, -2);
        if (exe.startsWith(u'/'))
            candidates << bin + QStringLiteral("/quillmark-smb.so")
                       << bin + QStringLiteral("/" QM_SMB_MODULE_FROM_BIN "/quillmark-smb.so");
        for (const QString& file : std::as_const(candidates)) {
            if (!QFileInfo(file).isFile()) continue;
            void* module = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
            if (!module) continue;
            if (auto entry = reinterpret_cast<EntryPoint>(dlsym(module, kEntryName))) return entry(&g_host);
            dlclose(module);
        }
        return &missing;
    }();
    return loaded;
}

void useCalls(const Calls* table)
{
    g_replaced.store(table);
}

} // namespace wire

namespace {

// \\server\share\a\b as its parts: server, share, a, b.
QStringList partsOf(const QString& path)
{
    return cleanNetworkPath(path).mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// \\server\share of a path on it.
QString shareOf(const QStringList& parts)
{
    return QStringLiteral("\\\\%1\\%2").arg(parts.value(0), parts.value(1));
}

// smb://server[:port]/share/a/b for the library, with the server's port.
QByteArray urlOf(const QString& path)
{
    NetworkLocation location;
    if (parseNetworkFolder(cleanNetworkPath(path), location) != Parsed::Network) return {};
    location.port = serverNamed(location.server).port;
    return smbUrl(location);
}

// Whether a call may go to path's server: only to one the user named,
// and not to one that already let a call run out.
int reachable(const QString& path)
{
    const Server server = serverNamed(partsOf(path).value(0));
    return !server.named ? kNotNamed : server.silent ? ETIMEDOUT : 0;
}


// Runs one call to path's server. A call that ran out of time, or failed
// after the whole limit (the library's word for it varies), makes the
// server silent for the rest of the run.
int onServer(const QString& path, const std::function<int()>& call)
{
    if (const int error = reachable(path)) return error;
    wire::calls(); // loading the module is no part of the call's time
    const auto started = std::chrono::steady_clock::now();
    const int limit = g_timeoutMs.load();
    const int error = runOnCallThread(partsOf(path).value(0), call, limit);
    if (!error || std::chrono::steady_clock::now() - started < std::chrono::milliseconds(limit)) return error;
    std::lock_guard guard(g_serversMutex);
    g_servers[partsOf(path).value(0).toLower()].silent = true;
    return ETIMEDOUT;
}

// Runs a call on path; while the server refuses the sign-in of a share not
// reached yet, asks for another (the desktop's saved one first) and runs it
// again.
int signedIn(const QString& path, const std::function<int()>& call)
{
    int error = onServer(path, call);
    const QStringList parts = partsOf(path);
    if (parts.size() < 2) return error;
    const QString share = shareOf(parts);
    const QString key = share.toLower();
    bool triedSaved = false;
    for (;;) {
        std::unique_lock guard(g_serversMutex);
        if (!error) g_reached.insert(key);
        if ((error != EACCES && error != EPERM) || g_reached.contains(key) || g_declined.contains(key) || !g_asker)
            return error;
        SignIn signIn = g_servers.value(parts[0].toLower()).signIn;
        const SignInAsker asker = g_asker;
        guard.unlock();
        std::optional<SignIn> saved = triedSaved ? std::nullopt : wire::calls()->savedSignIn(parts[0]);
        triedSaved = true;
        if (saved) {
            signIn = *saved;
        } else if (!asker(share, signIn)) {
            std::lock_guard again(g_serversMutex);
            g_declined.insert(key);
            return error;
        }
        setSignIn(parts[0], signIn);
        error = onServer(path, call);
    }
}

} // namespace

bool isNetworkPath(const QString& path)
{
    return path.size() > 2 && (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//")))
        && path[2] != QLatin1Char('/') && path[2] != QLatin1Char('\\');
}

bool isNetworkPath(const QByteArray& nativePath)
{
    return isNetworkPath(QString::fromLatin1(nativePath.left(3)));
}

QString cleanNetworkPath(const QString& path)
{
    QString out = path;
    out.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts;
    for (const QString& part : out.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        // ".." never climbs above the share, as on Windows.
        if (part == QLatin1String("..")) {
            if (parts.size() > 2) parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return QStringLiteral("\\\\") + parts.join(QLatin1Char('\\'));
}

QString relativeNetworkPath(const QString& folder, const QString& file)
{
    const QStringList from = partsOf(folder), to = partsOf(file);
    if (from.size() < 2 || to.size() < 3 || from[0].compare(to[0], Qt::CaseInsensitive) != 0
        || from[1].compare(to[1], Qt::CaseInsensitive) != 0)
        return {};
    qsizetype common = 2;
    while (common < from.size() && common < to.size() - 1
        && from[common].compare(to[common], Qt::CaseInsensitive) == 0)
        ++common;
    QStringList out;
    for (qsizetype i = common; i < from.size(); ++i) out << QStringLiteral("..");
    out << to.mid(common);
    return out.join(QLatin1Char('\\'));
}

QString networkFileName(const QString& path)
{
    const QString clean = cleanNetworkPath(path);
    return clean.mid(clean.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString networkParent(const QString& path)
{
    const QString clean = cleanNetworkPath(path);
    return clean.left(clean.lastIndexOf(QLatin1Char('\\')));
}

Parsed takeNetworkFolder(const QString& text, QString& name)
{
    NetworkLocation location;
    Parsed parsed = parseNetworkFolder(text, location);
    if (parsed == Parsed::NotNetwork) {
        const auto mounted = networkFolderOfMountedPath(text);
        if (!mounted) return parsed;
        location = *mounted;
        parsed = Parsed::Network;
    }
    if (parsed != Parsed::Network) return parsed;
    std::lock_guard guard(g_serversMutex);
    Server& server = g_servers[location.server.toLower()];
    server.named = true;
    if (location.port) server.port = location.port;
    if (!location.user.isEmpty()) {
        server.signIn.user = location.user;
        server.signIn.domain = location.domain;
        server.signIn.password = qEnvironmentVariable("PASSWD");
    }
    name = uncName(location);
    return parsed;
}

void nameServer(const QString& path)
{
    if (!isNetworkPath(path)) return;
    const QString server = partsOf(path).value(0).toLower();
    if (server.isEmpty()) return;
    std::lock_guard guard(g_serversMutex);
    g_servers[server].named = true;
}

bool isNamedServer(const QString& path)
{
    return serverNamed(partsOf(path).value(0)).named;
}

void setSignIn(const QString& server, const SignIn& signIn)
{
    std::lock_guard guard(g_serversMutex);
    g_servers[server.toLower()].signIn = signIn;
}

void setSignInAsker(SignInAsker asker)
{
    std::lock_guard guard(g_serversMutex);
    g_asker = std::move(asker);
}

void setPort(const QString& server, int port)
{
    std::lock_guard guard(g_serversMutex);
    g_servers[server.toLower()].port = port;
}

void setTimeout(int ms)
{
    g_timeoutMs.store(std::max(ms, 1));
}

int timeout()
{
    return g_timeoutMs.load();
}

namespace {

// A change not made on the server yet (see WriteBehind): the file's new
// bytes, if any, and the bits it is to have.
struct Pending {
    QString target; // the entry's clean name as the server spells it
    std::optional<QByteArray> bytes;
    DWORD attributes = 0;
    DWORD serverBits = INVALID_FILE_ATTRIBUTES; // the bits on the server; INVALID when nothing is there
    bool directory = false;
};

// A folder's listing as this thread keeps it, its entries found by name in
// one step: a walk asks for each of a large folder's entries in turn.
class KeptListing {
public:
    explicit KeptListing(std::vector<Entry> entries = {})
        : entries_(std::move(entries))
    {
        index();
    }
    const std::vector<Entry>& entries() const { return entries_; }
    const Entry* find(const QString& name) const
    {
        const qsizetype at = indexOf(name);
        return at < 0 ? nullptr : &entries_[size_t(at)];
    }
    // After a change of ours: the entry as it now is (nullopt: gone).
    void put(const QString& name, const std::optional<Entry>& now)
    {
        const qsizetype at = indexOf(name);
        if (at >= 0 && now) {
            entries_[size_t(at)] = *now;
        } else if (at >= 0) {
            entries_.erase(entries_.begin() + at);
            index();
        } else if (now) {
            entries_.push_back(*now);
            byName_.insert(now->name.toCaseFolded(), qsizetype(entries_.size()) - 1);
        }
    }

private:
    void index()
    {
        byName_.clear();
        byName_.reserve(qsizetype(entries_.size()));
        for (size_t i = 0; i < entries_.size(); ++i)
            byName_.insert(entries_[i].name.toCaseFolded(), qsizetype(i));
    }
    // The exact spelling wins over another one (a server that tells case
    // apart may hold both), else the first in the server's order.
    qsizetype indexOf(const QString& name) const
    {
        qsizetype found = -1;
        for (auto [at, end] = byName_.equal_range(name.toCaseFolded()); at != end; ++at) {
            if (entries_[size_t(*at)].name == name) return *at;
            if (found < 0 || *at < found) found = *at;
        }
        return found;
    }

    std::vector<Entry> entries_;
    QMultiHash<QString, qsizetype> byName_; // case-folded name: index in entries_
};

// Listings kept while a scope is open on this thread (see ListingScope),
// and changes waiting while a write-behind scope is open; keys are clean
// names in lower case.
struct Listings {
    int scopes = 0;
    int writeBehind = 0;
    QHash<QString, KeptListing> byFolder;
    QHash<QString, QByteArray> written; // files we wrote
    QHash<QString, Pending> pending;
    QString failure; // why the first change of the outermost write-behind scope failed
};
thread_local Listings t_listings;

QString folderKey(const QString& folder)
{
    return cleanNetworkPath(folder).toLower();
}

// After a change of ours: the kept listing of the entry's folder learns the
// entry as it now is (nullopt: gone).
void remember(const QString& path, const std::optional<Entry>& now)
{
    if (!t_listings.scopes) return;
    const auto kept = t_listings.byFolder.find(folderKey(networkParent(path)));
    if (kept == t_listings.byFolder.end()) return;
    kept->put(networkFileName(path), now);
}

// Whether an entry's bits are the wanted ones, as far as Windows reads them.
bool sameBits(DWORD current, DWORD wanted)
{
    return (current & kDosBits) == (wanted & kDosBits);
}

// The bits as the library takes them: 0 means "leave as it is" to it, so a
// file without bits gets the archive bit, which Windows sets on every file
// it writes, and a folder keeps its folder bit.
DWORD modeOf(DWORD attributes, bool directory)
{
    const DWORD bits = (attributes & kDosBits) | (directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
    return bits ? bits : FILE_ATTRIBUTE_ARCHIVE;
}

// An entry as the server lists it now, past what this run keeps.
std::optional<Entry> listedAgain(const QString& path)
{
    auto listed = std::make_shared<std::vector<Entry>>();
    if (onServer(path, [listed, url = urlOf(networkParent(path))] { return wire::calls()->list(url, *listed); }))
        return std::nullopt;
    const KeptListing now(std::move(*listed));
    const Entry* found = now.find(networkFileName(path));
    return found ? std::optional(*found) : std::nullopt;
}

// Whether a share keeps the bits it is given, by \\server\share in lower
// case: a share that neither stores them (store dos attributes) nor maps
// them onto permissions takes them without a word and forgets them.
enum class Keeps { Unknown, Yes, No };
std::mutex g_sharesMutex;
QHash<QString, Keeps> g_shareKeepsBits;

// Sets an entry's bits. The first folder marked on a share is listed again
// to see whether the share keeps them; once it is known not to, nothing
// more is sent there and every marking fails with EOPNOTSUPP.
int setBits(const QString& path, DWORD attributes, bool directory)
{
    const QStringList parts = partsOf(path);
    const QString share = shareOf(parts).toLower();
    const bool marking = directory && (attributes & kDosBits) && parts.size() > 2;
    Keeps keeps;
    {
        std::lock_guard guard(g_sharesMutex);
        keeps = g_shareKeepsBits.value(share, Keeps::Unknown);
    }
    if (keeps == Keeps::No && (attributes & kDosBits)) return EOPNOTSUPP;
    if (const int error
        = onServer(path, [url = urlOf(path), mode = modeOf(attributes, directory)] {
              return wire::calls()->setMode(url, mode);
          }))
        return error;
    if (keeps != Keeps::Unknown || !marking) return 0;
    const std::optional<Entry> now = listedAgain(path);
    if (!now) return 0;
    keeps = sameBits(now->attributes, attributes) ? Keeps::Yes : Keeps::No;
    {
        std::lock_guard guard(g_sharesMutex);
        g_shareKeepsBits.insert(share, keeps);
    }
    return keeps == Keeps::Yes ? 0 : EOPNOTSUPP;
}

// The bits a share gives a new file of ours with a dot name by itself, by
// \\server\share and name in lower case: Samba reports dot names hidden
// unless told not to (hide dot files), so their hidden bit need not be
// sent. Learned from a listing after the first such file of a run.
std::mutex g_newBitsMutex;
QHash<QString, DWORD> g_newDotFileBits;

DWORD bitsOfNewDotFile(const QString& path)
{
    const QString name = networkFileName(path);
    if (!name.startsWith(u'.')) return INVALID_FILE_ATTRIBUTES;
    const QString key = shareOf(partsOf(path)).toLower() + u'\\' + name.toLower();
    {
        std::lock_guard guard(g_newBitsMutex);
        if (const auto known = g_newDotFileBits.constFind(key); known != g_newDotFileBits.cend()) return *known;
    }
    const std::optional<Entry> now = listedAgain(path);
    if (!now) return INVALID_FILE_ATTRIBUTES;
    std::lock_guard guard(g_newBitsMutex);
    g_newDotFileBits.insert(key, now->attributes);
    return now->attributes;
}

// A read-only file cannot be deleted over SMB; its bit goes first.
int unlinkOnServer(const QString& path, DWORD serverBits)
{
    if (serverBits != INVALID_FILE_ATTRIBUTES && (serverBits & FILE_ATTRIBUTE_READONLY))
        if (const int error
            = onServer(path, [url = urlOf(path)] { return wire::calls()->setMode(url, FILE_ATTRIBUTE_ARCHIVE); }))
            return error;
    return onServer(path, [url = urlOf(path)] { return wire::calls()->unlink(url); });
}

int renameOnServer(const QString& from, const QString& to)
{
    return onServer(from, [from = urlOf(from), to = urlOf(to)] { return wire::calls()->rename(from, to); });
}

int writeOnServer(const QString& path, const QByteArray& bytes)
{
    return onServer(path, [url = urlOf(path), bytes] { return wire::calls()->write(url, bytes); });
}

// New bytes where a file is: written beside it, then swapped in with the
// old file kept under a backup name until the new one is in place.
int swapIn(const Pending& p)
{
    const QString fresh = newFileName(p.target), backup = backupFileName(p.target);
    int error = writeOnServer(fresh, *p.bytes);
    if (!error) error = renameOnServer(p.target, backup);
    if (!error) {
        // The new file was just written: a rename that finds nothing is the
        // server refusing the name (a share that vetoes Desktop.ini).
        if ((error = renameOnServer(fresh, p.target)) == ENOENT) error = EINVAL;
        if (error) renameOnServer(backup, p.target);
    }
    if (error) {
        // Cleaning up costs nothing where the server went silent.
        onServer(fresh, [url = urlOf(fresh)] { return wire::calls()->unlink(url); });
        return error;
    }
    // A backup left by a failure here is removed by the next run.
    unlinkOnServer(backup, p.serverBits);
    return 0;
}

// Makes a change on the server.
int writeToServer(const Pending& p)
{
    if (p.bytes) {
        const bool there = p.serverBits != INVALID_FILE_ATTRIBUTES;
        // Where nothing was, the file is written in place: one rename
        // fewer, and a run killed half-way leaves a short file where there
        // was none, which the next run writes again.
        int error = there ? swapIn(p) : writeOnServer(p.target, *p.bytes);
        if (!there && error == ENOENT) error = EINVAL; // the name is refused
        if (error) return error;
        if (const DWORD given = there ? INVALID_FILE_ATTRIBUTES : bitsOfNewDotFile(p.target);
            given != INVALID_FILE_ATTRIBUTES && sameBits(given, p.attributes))
            return 0;
    } else if (p.serverBits != INVALID_FILE_ATTRIBUTES && sameBits(p.serverBits, p.attributes)) {
        return 0;
    }
    return setBits(p.target, p.attributes, p.directory);
}

// Carries out what waits for an entry; when that fails, what this run kept
// of the entry's folder is forgotten, so that what is read next is the
// server's.
int settle(const QString& key)
{
    const Pending p = t_listings.pending.take(key);
    const int error = writeToServer(p);
    if (error) {
        if (t_listings.failure.isEmpty()) t_listings.failure = describeError(p.target, error);
        t_listings.written.remove(key);
        t_listings.byFolder.remove(folderKey(networkParent(p.target)));
    }
    return error;
}

// The change waiting for an entry that stat() found, made when none is.
Pending& pendingFor(const QString& path, const Entry& now, bool exists)
{
    const QString key = folderKey(path);
    if (const auto at = t_listings.pending.find(key); at != t_listings.pending.end()) return *at;
    Pending& p = t_listings.pending[key];
    p.target = exists ? networkParent(path) + u'\\' + now.name : cleanNetworkPath(path);
    p.serverBits = exists ? now.attributes : INVALID_FILE_ATTRIBUTES;
    p.directory = exists && now.directory;
    return p;
}

} // namespace

ListingScope::ListingScope()
{
    ++t_listings.scopes;
}

ListingScope::~ListingScope()
{
    if (--t_listings.scopes == 0) {
        t_listings.byFolder.clear();
        t_listings.written.clear();
    }
}

WriteBehind::WriteBehind()
{
    if (t_listings.writeBehind++ == 0) t_listings.failure.clear();
}

WriteBehind::~WriteBehind()
{
    if (--t_listings.writeBehind) return;
    // New files first, then the bits: a folder is marked once what marks it is there.
    QStringList keys = t_listings.pending.keys();
    std::stable_partition(keys.begin(), keys.end(),
        [](const QString& k) { return t_listings.pending.value(k).bytes.has_value(); });
    for (const QString& key : std::as_const(keys))
        settle(key);
}

namespace {

// The folder's listing from the server, refused when it is beyond what a
// folder holds.
int fetch(const QString& folder, std::vector<Entry>& out)
{
    auto listed = std::make_shared<std::vector<Entry>>();
    int error = signedIn(folder, [listed, url = urlOf(folder)] { return wire::calls()->list(url, *listed); });
    if (!error) out = std::move(*listed);
    if (!error && out.size() > kMaxListedEntries) error = E2BIG;
    if (!error && std::any_of(out.cbegin(), out.cend(), [](const Entry& e) { return e.name.size() > kMaxNameLength; }))
        error = ENAMETOOLONG;
    if (error) out.clear();
    return error;
}

const KeptListing* keptListing(const QString& folder)
{
    if (!t_listings.scopes) return nullptr;
    const auto kept = t_listings.byFolder.constFind(folderKey(folder));
    return kept == t_listings.byFolder.cend() ? nullptr : &*kept;
}

} // namespace

int list(const QString& folder, std::vector<Entry>& out)
{
    if (const KeptListing* kept = keptListing(folder)) {
        out = kept->entries();
        return 0;
    }
    if (const int error = fetch(folder, out)) return error;
    if (t_listings.scopes) t_listings.byFolder.insert(folderKey(folder), KeptListing(out));
    return 0;
}

// A listing fetched elsewhere (the walking process hands it to a worker)
// kept as if this thread had fetched it.
void keepListing(const QString& folder, std::vector<Entry> entries)
{
    if (t_listings.scopes) t_listings.byFolder.insert(folderKey(folder), KeptListing(std::move(entries)));
}

void forgetListing(const QString& folder)
{
    const QString key = folderKey(folder);
    t_listings.byFolder.remove(key);
    for (auto at = t_listings.written.begin(); at != t_listings.written.end();)
        at = at.key().startsWith(key + u'\\') ? t_listings.written.erase(at) : std::next(at);
}

int readFile(const QString& path, QByteArray& out, qint64 maxSize)
{
    // What we wrote ourselves in this scope is what the file holds.
    if (const auto kept = t_listings.written.constFind(folderKey(path)); kept != t_listings.written.cend()) {
        if (kept->size() > maxSize) return EFBIG;
        out = *kept;
        return 0;
    }
    auto read = std::make_shared<QByteArray>();
    const int error
        = signedIn(path, [read, url = urlOf(path), maxSize] { return wire::calls()->read(url, *read, maxSize); });
    out = error ? QByteArray() : std::move(*read);
    return error;
}

int stat(const QString& path, Entry& out)
{
    const QStringList parts = partsOf(path);
    if (parts.size() < 2) return EINVAL;
    if (parts.size() == 2) {
        // A share's root is a folder of the server's, listed nowhere.
        const int error = signedIn(path, [url = urlOf(path)] { return wire::calls()->exists(url); });
        if (error) return error;
        out = { parts[1], true, 0, FILE_ATTRIBUTE_DIRECTORY };
        return 0;
    }
    // The bits come from the folder's listing: asked for them one by one,
    // current Samba versions answer with Unix mode bits instead.
    const QString parent = networkParent(path);
    KeptListing fetched;
    const KeptListing* listing = keptListing(parent);
    if (!listing) {
        std::vector<Entry> entries;
        if (const int error = fetch(parent, entries)) return error;
        fetched = KeptListing(std::move(entries));
        listing = t_listings.scopes ? &*t_listings.byFolder.insert(folderKey(parent), std::move(fetched)) : &fetched;
    }
    const Entry* found = listing->find(parts.last());
    if (!found) return ENOENT;
    out = *found;
    return 0;
}

int removeFile(const QString& path)
{
    if (const int error = reachable(path)) return error;
    const QString key = folderKey(path);
    DWORD serverBits = INVALID_FILE_ATTRIBUTES;
    const bool waiting = t_listings.pending.contains(key);
    if (waiting) {
        serverBits = t_listings.pending.take(key).serverBits;
        if (serverBits == INVALID_FILE_ATTRIBUTES) { // never reached the server
            remember(path, std::nullopt);
            t_listings.written.remove(key);
            return 0;
        }
    }
    if (const int error = waiting ? unlinkOnServer(path, serverBits)
                                  : onServer(path, [url = urlOf(path)] { return wire::calls()->unlink(url); }))
        return error;
    remember(path, std::nullopt);
    t_listings.written.remove(key);
    return 0;
}

int setAttributes(const QString& path, DWORD attributes)
{
    Entry entry;
    if (const int error = stat(path, entry)) return error;
    if (t_listings.writeBehind) {
        pendingFor(path, entry, true).attributes = attributes;
        entry.attributes = modeOf(attributes, entry.directory);
        remember(path, entry);
        return 0;
    }
    // A kept listing knows the bits; setting them again would be a round trip for nothing.
    if (t_listings.scopes && sameBits(entry.attributes, attributes)) return 0;
    if (const int error = setBits(path, attributes, entry.directory)) {
        // What the server now holds is not known here: listed again when asked.
        t_listings.byFolder.remove(folderKey(networkParent(path)));
        return error;
    }
    entry.attributes = modeOf(attributes, entry.directory);
    remember(path, entry);
    return 0;
}

int replaceFile(const QString& path, const QByteArray& bytes, DWORD attributes)
{
    Entry old;
    const int missing = stat(path, old);
    if (missing && missing != ENOENT) return missing;
    if (!missing && old.directory) return EISDIR;
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = missing ? 0 : old.attributes;
    Pending& p = pendingFor(path, old, !missing);
    p.bytes = bytes;
    p.attributes = attributes;
    const QString target = p.target, key = folderKey(target);
    if (t_listings.scopes) t_listings.written.insert(key, bytes);
    remember(
        target, Entry { networkFileName(target), false, quint64(bytes.size()), modeOf(attributes, false) });
    return t_listings.writeBehind ? 0 : settle(key);
}

namespace {
const QString kNewSuffix = QStringLiteral(".quillmark-new");
const QString kBackupSuffix = QStringLiteral(".quillmark-old");
} // namespace

QString newFileName(const QString& path)
{
    return networkParent(path) + QStringLiteral("\\.") + networkFileName(path) + kNewSuffix;
}

QString backupFileName(const QString& path)
{
    return networkParent(path) + QStringLiteral("\\.") + networkFileName(path) + kBackupSuffix;
}

void adoptLeftovers(const QString& path)
{
    const QString fresh = newFileName(path), backup = backupFileName(path);
    Entry left, now;
    if (stat(fresh, left) == 0 && !left.directory) removeFile(networkParent(path) + u'\\' + left.name);
    if (stat(backup, left) != 0 || left.directory) return;
    const QString kept = networkParent(path) + u'\\' + left.name;
    if (stat(path, now) == ENOENT) {
        // Back under the name it had, in the spelling it had.
        const QString name = left.name.mid(1).chopped(kBackupSuffix.size());
        const QString original = networkParent(path) + u'\\' + name;
        if (renameOnServer(kept, original) != 0) return;
        remember(kept, std::nullopt);
        left.name = name;
        remember(original, left);
    } else if (unlinkOnServer(kept, left.attributes) == 0) {
        remember(kept, std::nullopt);
    }
}

namespace {

// The library's words for a server that does not answer.
bool isSilent(int error)
{
    return error == ECONNREFUSED || error == EHOSTUNREACH || error == ENETUNREACH || error == ETIMEDOUT
        || error == EHOSTDOWN;
}

} // namespace

bool isUnreachable(int error)
{
    return isSilent(error) || error == ECONNRESET || error == ENOSYS || error == kNotNamed;
}

QString takeWriteFailure()
{
    return std::exchange(t_listings.failure, QString());
}

QString describeError(const QString& path, int error)
{
    const QStringList parts = partsOf(path);
    const QString where = shareOf(parts);
    QString cause;
    if (isSilent(error)) return where + QStringLiteral(": Der Server antwortet nicht.");
    switch (error) {
    case EACCES:
    case EPERM:
        cause = QStringLiteral("Der Zugriff wurde verweigert.");
        break;
    case ENOENT:
    case ENODEV:
        cause = QStringLiteral("Der Ordner wurde nicht gefunden.");
        break;
    case EROFS:
        cause = QStringLiteral("Die Freigabe ist schreibgeschützt.");
        break;
    case EINVAL: { // the library's word for a server name it cannot resolve, and for a name the server refuses
        std::lock_guard guard(g_serversMutex);
        cause = g_reached.contains(where.toLower())
            ? QStringLiteral("Der Server lehnt den Namen ab.")
            : QStringLiteral("Der Server wurde nicht gefunden.");
        break;
    }
    case ECONNRESET:
    case EPIPE:
        cause = QStringLiteral("Die Verbindung wurde unterbrochen.");
        break;
    case EOPNOTSUPP:
        cause = QStringLiteral("Die Freigabe speichert die Attribute nicht (store dos attributes).");
        break;
    case ENOSYS:
        cause = QStringLiteral("Die Samba-Anbindung (quillmark-smb.so) fehlt.");
        break;
    case E2BIG:
        cause = QStringLiteral("Der Ordner hat mehr als %1 Einträge.").arg(kMaxListedEntries);
        break;
    case ENAMETOOLONG:
        cause = QStringLiteral("Der Server nennt einen Namen mit mehr als %1 Zeichen.").arg(kMaxNameLength);
        break;
    case kNotNamed:
        cause = QStringLiteral("Nicht gefragt: nur Daten im Ordner nennen diesen Server.");
        break;
    default:
        cause = QString::fromLocal8Bit(std::strerror(error));
    }
    return where + QStringLiteral(": ") + cause;
}

} // namespace net
