// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/opened_folder.h"

#include "platform/files/native_names.h"

#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace files {

namespace {

struct Held {
    QString folder; // as the calls name it, without a trailing '/'
    int fd;
    // Listed at the first name not found as written, and again when the
    // folder has changed since (its modification time).
    std::optional<QList<QByteArray>> names;
    struct timespec listedAt { };
};
thread_local std::vector<Held> t_held;

QString withoutTrailingSlash(const QString& path)
{
    QString out = path;
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    return out;
}

// The held folder path is in, and the name inside it ("" for the folder
// itself); nullptr when none is.
Held* heldFor(const QString& path, QString& name)
{
    if (t_held.empty() || path.isEmpty()) return nullptr;
    const QString clean = withoutTrailingSlash(path);
    for (Held& h : t_held) {
        if (clean == h.folder) {
            name.clear();
            return &h;
        }
        if (clean.size() > h.folder.size() + 1 && clean.startsWith(h.folder)
            && clean[h.folder.size()] == u'/') {
            name = clean.mid(h.folder.size() + 1);
            if (name.contains(u'/') || name == QLatin1String(".") || name == QLatin1String("..")) continue;
            return &h;
        }
    }
    return nullptr;
}

QList<QByteArray> namesIn(int fd)
{
    QList<QByteArray> names;
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return names;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..") names << name;
    }
    ::closedir(dir);
    return names;
}

} // namespace

OpenedFolder::OpenedFolder(const QString& folder)
{
    if (folder.isEmpty() || net::isNetworkPath(folder)) return;
    const QString clean = withoutTrailingSlash(folder);
    for (const Held& h : t_held)
        if (h.folder == clean) return; // already open further out
    const int fd = ::open(nativePath(clean).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    t_held.push_back({ clean, fd, std::nullopt, {} });
    opened_ = true;
}

OpenedFolder::~OpenedFolder()
{
    if (!opened_) return;
    ::close(t_held.back().fd);
    t_held.pop_back();
}

QByteArray systemPath(const QString& path)
{
    QString name;
    const Held* h = heldFor(path, name);
    if (!h) return nativePath(path);
    const QByteArray held = "/proc/self/fd/" + QByteArray::number(h->fd);
    // "/." resolves the descriptor's link: the folder itself, never a link.
    return name.isEmpty() ? held + "/." : held + '/' + nativePath(name);
}

std::optional<QString> resolvedInOpenedFolder(const QString& path)
{
    QString name;
    Held* h = heldFor(path, name);
    if (!h) return std::nullopt;
    if (name.isEmpty()) return path;
    const QByteArray native = nativePath(name);
    struct stat st;
    if (::fstatat(h->fd, native.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return path;
    const QByteArray* best = nullptr;
    if (struct stat now; ::fstat(h->fd, &now) == 0
        && (!h->names || now.st_mtim.tv_sec != h->listedAt.tv_sec
            || now.st_mtim.tv_nsec != h->listedAt.tv_nsec)) {
        h->names = namesIn(h->fd);
        h->listedAt = now.st_mtim;
    }
    if (!h->names) return path;
    for (const QByteArray& candidate : *h->names)
        if (fromNative(candidate).compare(name, Qt::CaseInsensitive) == 0 && (!best || candidate < *best))
            best = &candidate;
    return best ? h->folder + u'/' + fromNative(*best) : path;
}

} // namespace files
