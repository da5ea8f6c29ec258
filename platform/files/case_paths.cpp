// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/case_paths.h"

#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"

#include <QDir>
#include <QStringList>

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

bool exists(const QString& path)
{
    net::Entry entry;
    if (net::isNetworkPath(path)) return net::stat(path, entry) == 0;
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0;
}

// What the held folder says of an entry of it (never followed); nullopt
// for a path outside every held folder.
std::optional<std::optional<EntryInfo>> heldEntry(const QString& path)
{
    QString entry;
    FolderHandle* held = heldFolderOf(path, entry);
    if (!held) return std::nullopt;
    EntryInfo info;
    if (held->stat(held->resolve(entry), info) != 0) return std::optional<EntryInfo>();
    return std::optional<EntryInfo>(info);
}

} // namespace

QString findNameIgnoringCase(const QString& folder, const QString& name)
{
    QString entry;
    if (FolderHandle* held = heldFolderOf(folder, entry); held && entry.isEmpty()) {
        const QString found = held->resolve(name);
        EntryInfo info;
        return held->stat(found, info) == 0 ? found : QString();
    }
    if (net::isNetworkPath(folder)) {
        net::Entry entry;
        return net::stat(folder + u'\\' + name, entry) == 0 ? entry.name : QString();
    }
    DIR* dir = ::opendir(nativePath(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir) return {};
    QString best;
    QByteArray bestNative;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray native(entry->d_name);
        if (native == "." || native == "..") continue;
        const QString candidate = fromNative(native);
        if (candidate.compare(name, Qt::CaseInsensitive) != 0) continue;
        if (best.isEmpty() || native < bestNative) {
            best = candidate;
            bestNative = native;
        }
    }
    ::closedir(dir);
    return best;
}

bool isDirectory(const QString& path)
{
    if (const auto held = heldEntry(path)) return *held && (*held)->directory;
    if (net::Entry e; net::isNetworkPath(path)) return net::stat(path, e) == 0 && e.directory;
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const QString& path)
{
    if (const auto held = heldEntry(path)) return *held && (*held)->regular;
    if (net::Entry e; net::isNetworkPath(path)) return net::stat(path, e) == 0 && !e.directory;
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool pathExists(const QString& path)
{
    if (const auto held = heldEntry(path)) return held->has_value();
    if (net::isNetworkPath(path)) return exists(path);
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0;
}

QString absolutePath(const QString& path)
{
    if (net::isNetworkPath(path)) return net::cleanNetworkPath(path);
    if (path.startsWith(QLatin1Char('/'))) return QDir::cleanPath(path);
    // QDir::currentPath() would replace the bytes of a folder name that is
    // not UTF-8; cleanPath only works on the text.
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return QDir::cleanPath(path);
    return QDir::cleanPath(fromNative(QByteArray(buffer)) + QLatin1Char('/') + path);
}

QString canonicalPath(const QString& path)
{
    if (path.isEmpty()) return {};
    if (net::isNetworkPath(path)) return exists(path) ? net::cleanNetworkPath(path) : QString();
    char* real = ::realpath(nativePath(path).constData(), nullptr);
    if (!real) return {};
    const QString out = fromNative(QByteArray(real));
    std::free(real);
    return out;
}

} // namespace files

QString ResolvePathCase(const QString& path)
{
    if (QString entry; files::FolderHandle* held = files::heldFolderOf(path, entry))
        return entry.isEmpty() ? path : held->pathOf(held->resolve(entry));
    if (path.isEmpty() || files::exists(path)) return path;
    if (net::isNetworkPath(path)) {
        // The server finds names in any case; the listing gives the one it keeps.
        const QString parent = net::networkParent(path);
        const QString match = files::findNameIgnoringCase(parent, net::networkFileName(path));
        return match.isEmpty() ? net::cleanNetworkPath(path) : parent + u'\\' + match;
    }
    QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) continue;
        const QString folder = parts.mid(0, i).join(QLatin1Char('/'));
        const QString exact = (i == 0) ? part : folder + QLatin1Char('/') + part;
        if (files::exists(exact)) continue;
        // parts[0] is empty for an absolute path: its folder is the root.
        const QString lookIn
            = (i == 0) ? QStringLiteral(".") : (folder.isEmpty() ? QStringLiteral("/") : folder);
        const QString match = files::findNameIgnoringCase(lookIn, part);
        if (match.isEmpty()) break;
        parts[i] = match;
    }
    return parts.join(QLatin1Char('/'));
}
