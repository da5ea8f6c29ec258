// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/samba_shares.h"

#include "platform/net/smb_client.h"

#include "platform/files/case_paths.h"
#include "platform/files/find_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

constexpr int kTestparmMs = 1500;

// A share as the configuration names it; its path may hold substitutions.
// The parameters testparm prints for it (those not at their default), by
// lower-case name, with [global]'s share parameters beneath them.
struct Share {
    QString name;
    QString path;
    QHash<QString, QString> parameters;
};

bool isYes(const QString& value)
{
    return value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
        || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || value == QLatin1String("1");
}

// The file shares of testparm's output, in its order.
QList<Share> parseShares(const QByteArray& output)
{
    QList<Share> shares;
    // One share, kept when its section ends: a printer share (printable)
    // takes print jobs into its path and serves no files.
    bool inShare = false, printable = false;
    Share share, global;
    const auto endShare = [&] {
        if (inShare && !printable) shares << share;
        if (!inShare) global = share;
        inShare = printable = false;
    };
    for (const QString& raw : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            endShare();
            const QString name = line.mid(1, line.size() - 2);
            inShare = name.compare(QLatin1String("global"), Qt::CaseInsensitive) != 0;
            share = Share { name, {}, inShare ? global.parameters : QHash<QString, QString> {} };
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq).trimmed().toLower(), value = line.mid(eq + 1).trimmed();
        share.parameters.insert(key, value);
        if (!inShare) continue;
        if (key == QLatin1String("path")) share.path = value;
        if (key == QLatin1String("printable") || key == QLatin1String("print ok")) printable = isYes(value);
    }
    endShare();
    return shares;
}

// The settings a client sees of a share serving path.
SambaShare settingsOf(const Share& share, const QString& path)
{
    const auto value = [&](const char* key, const char* byDefault) {
        return share.parameters.value(QLatin1String(key), QLatin1String(byDefault));
    };
    return SambaShare { share.name, path, isYes(value("store dos attributes", "yes")),
        value("map readonly", "no").toLower(), isYes(value("map system", "no")), isYes(value("map hidden", "no")),
        value("veto files", "") };
}

// testparm's output, or nothing when it fails or does not end in time.
// It runs in a process group of its own, which is killed at the deadline
// and never waited for: a testparm stuck where even a kill does not end it
// (a configuration on a dead mount) must not hold the start or the command.
std::optional<QByteArray> runTestparm(const QString& testparm, const QStringList& arguments)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
    QList<QByteArray> texts { QFile::encodeName(testparm) };
    for (const QString& a : arguments) texts << QFile::encodeName(a);
    std::vector<char*> argv;
    for (QByteArray& t : texts) argv.push_back(t.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out[1]);
    QByteArray output;
    bool ended = false;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTestparmMs);
    for (bool open = spawned == 0; spawned == 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (!open) {
            if ((ended = ::waitpid(pid, &status, WNOHANG) == pid)) break;
            ::poll(nullptr, 0, 1);
            continue;
        }
        pollfd p { out[0], POLLIN, 0 };
        if (::poll(&p, 1, int(left.count())) <= 0) continue;
        char buffer[16384];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n > 0) output.append(buffer, n);
        open = n > 0 || (n < 0 && errno == EINTR);
    }
    ::close(out[0]);
    if (spawned != 0) return std::nullopt;
    if (!ended) {
        ::kill(-pid, SIGKILL);
        // Reaped by a thread of its own whenever it ends, if ever.
        std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

// The shares testparm lists; none without Samba, nothing when testparm
// fails or does not answer in time.
std::optional<QList<Share>> readShares(const QStringList& arguments)
{
    const QString testparm = QStandardPaths::findExecutable(QStringLiteral("testparm"));
    if (testparm.isEmpty()) return QList<Share> {};
    const std::optional<QByteArray> output = runTestparm(testparm, arguments);
    if (!output) return std::nullopt;
    return parseShares(*output);
}

struct User {
    QString name;
    QString home;
};

std::optional<User> ownerOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &st) != 0) return std::nullopt;
    // The password database is read once per owner: a recursive run asks
    // for every folder.
    static QMutex lock;
    static QHash<uid_t, std::optional<User>> known;
    const QMutexLocker locked(&lock);
    if (const auto found = known.constFind(st.st_uid); found != known.constEnd()) return *found;
    const struct passwd* pw = ::getpwuid(st.st_uid);
    return known[st.st_uid] = pw
        ? std::optional(User { QString::fromLocal8Bit(pw->pw_name), QString::fromLocal8Bit(pw->pw_dir) })
        : std::nullopt;
}

// The path the server gives a client of user on share; empty when it
// holds substitutions we cannot know in advance.
QString expanded(QString path, const QString& share, const std::optional<User>& user)
{
    if (path.contains(QLatin1Char('%'))) {
        if (!user) return {};
        path.replace(QLatin1String("%U"), user->name).replace(QLatin1String("%u"), user->name);
        path.replace(QLatin1String("%H"), user->home).replace(QLatin1String("%S"), share);
    }
    // A home of "/" would make every folder shared; other substitutions differ per client.
    if (!path.startsWith(QLatin1Char('/')) || path == QLatin1String("/") || path.contains(QLatin1Char('%')))
        return {};
    // Compared with canonical paths: the configured one may be a link.
    const QString canonical = canonicalPath(path);
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

bool isHomes(const Share& share)
{
    return share.name.compare(QLatin1String("homes"), Qt::CaseInsensitive) == 0;
}

// The folder a share serves to user: [homes] the user's home (or its path
// with the user put in), any other its path; empty when that is unknown.
QString servedTo(const Share& share, const std::optional<User>& user)
{
    if (!isHomes(share)) return expanded(share.path, share.name, user);
    return user ? expanded(share.path.isEmpty() ? user->home : share.path, user->name, user) : QString();
}

// [homes] serves each user's home.
void addHomes(QStringList& paths, const Share& homes)
{
    ::setpwent();
    while (const struct passwd* pw = ::getpwent()) {
        const QString path = servedTo(
            homes, User { QString::fromLocal8Bit(pw->pw_name), QString::fromLocal8Bit(pw->pw_dir) });
        if (!path.isEmpty() && !paths.contains(path)) paths << path;
    }
    ::endpwent();
}

std::optional<QList<Share>> configuredShares()
{
    QStringList arguments { QStringLiteral("-s"), QStringLiteral("--suppress-prompt") };
    if (qEnvironmentVariableIsSet("QUILLMARK_SMB_CONF")) {
        const QString conf = qEnvironmentVariable("QUILLMARK_SMB_CONF");
        if (conf.isEmpty()) return QList<Share> {};
        arguments << conf;
    }
    // testparm takes a good part of a second; a command over a thousand
    // folders asks once per configuration.
    static QMutex lock;
    static QHash<QStringList, std::optional<QList<Share>>> known;
    const QMutexLocker locked(&lock);
    const auto found = known.constFind(arguments);
    if (found != known.constEnd()) return *found;
    return known[arguments] = readShares(arguments);
}

} // namespace

QStringList sambaSharePaths(const QString& forFolder)
{
    // Every folder of a recursive run asks: the paths are worked out once
    // per configuration and owner (the password database and the share
    // folders are read for it).
    struct stat st;
    const bool owned = !forFolder.isEmpty() && ::stat(nativePath(forFolder).constData(), &st) == 0;
    const QString key = qEnvironmentVariable("QUILLMARK_SMB_CONF", QStringLiteral("\n")) + QLatin1Char('/')
        + (owned ? QString::number(st.st_uid) : QString());
    static QMutex lock;
    static QHash<QString, QStringList> known;
    {
        const QMutexLocker locked(&lock);
        if (const auto found = known.constFind(key); found != known.constEnd()) return *found;
    }
    QStringList paths;
    const std::optional<User> owner = owned ? ownerOf(forFolder) : std::nullopt;
    for (const Share& share : configuredShares().value_or(QList<Share> {})) {
        if (isHomes(share)) {
            addHomes(paths, share);
            continue;
        }
        const QString path = servedTo(share, owner);
        if (!path.isEmpty()) paths << path;
    }
    const QMutexLocker locked(&lock);
    return known[key] = paths;
}

std::optional<SambaShare> sambaShareOf(const QString& folder, bool* known)
{
    std::optional<SambaShare> best;
    // A folder on a server is served by that server, not by ours.
    if (net::isNetworkPath(folder)) return best;
    const std::optional<QList<Share>> shares = configuredShares();
    if (known) *known = shares.has_value();
    if (!shares || shares->isEmpty()) return best;
    const std::optional<User> owner = ownerOf(folder);
    const QString canonical = canonicalPath(folder);
    const QString path = canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
    for (const Share& share : *shares) {
        const QString holding = sambaShareHolding(path, { servedTo(share, owner) });
        if (holding.isEmpty() || (best && best->path.size() >= holding.size())) continue;
        best = settingsOf(share, holding);
    }
    return best;
}

bool SambaShare::vetoes(const QString& name) const
{
    const QStringList patterns = vetoFiles.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::any_of(patterns.cbegin(), patterns.cend(),
        [&](const QString& pattern) { return matchesWildcard(name, pattern); });
}

QList<SambaShare> sharesOfTestparmOutput(const QByteArray& output)
{
    QList<SambaShare> out;
    for (const Share& share : parseShares(output)) out << settingsOf(share, share.path);
    return out;
}

QString sambaShareHolding(const QString& path, const QStringList& shares)
{
    QString best;
    for (const QString& share : shares) {
        const bool holds
            = path == share || share == QLatin1String("/") || path.startsWith(share + QLatin1Char('/'));
        if (holds && share.size() > best.size()) best = share;
    }
    return best;
}

} // namespace files
