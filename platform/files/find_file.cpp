// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/find_file.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"
#include "platform/net/smb_client.h"

#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace {

struct Search {
    QString folder;
    QStringList names; // still to be handed out
};

std::mutex g_mutex;
std::map<HANDLE, Search> g_searches;
HANDLE g_nextHandle = 1;

QChar folded(QChar c)
{
    return c.toCaseFolded();
}

QStringList matchingNames(const QString& folder, const QString& pattern)
{
    QStringList out;
    if (std::vector<net::Entry> entries; net::isNetworkPath(folder)) {
        net::list(folder, entries);
        for (const net::Entry& e : entries)
            if (files::matchesWildcard(e.name, pattern)) out.append(e.name);
    }
    DIR* dir = net::isNetworkPath(folder) ? nullptr : ::opendir(files::nativePath(folder).constData());
    while (const dirent* e = dir ? ::readdir(dir) : nullptr) {
        const QString name = files::fromNative(QByteArray(e->d_name));
        if (files::matchesWildcard(name, pattern)) out.append(name);
    }
    if (dir) ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return out;
}

void fill(const QString& folder, const QString& name, WIN32_FIND_DATAA* data)
{
    if (!data) return;
    const QString path = folder == QLatin1String("/") ? folder + name : folder + u'/' + name;
    if (net::Entry e; net::isNetworkPath(folder)) {
        const bool ok = net::stat(path, e) == 0;
        data->dwFileAttributes = ok ? e.attributes : 0;
        data->nFileSizeHigh = DWORD(e.size >> 32);
        data->nFileSizeLow = DWORD(e.size & 0xFFFFFFFFu);
        data->cFileName = name;
        return;
    }
    struct stat st;
    const QByteArray native = files::nativePath(path);
    const bool ok = ::stat(native.constData(), &st) == 0 || ::lstat(native.constData(), &st) == 0;
    const DWORD attrs = GetFileAttributesA(path);
    data->dwFileAttributes = attrs == INVALID_FILE_ATTRIBUTES ? 0 : attrs;
    const auto size = ok && !S_ISDIR(st.st_mode) ? quint64(st.st_size) : 0;
    data->nFileSizeHigh = DWORD(size >> 32);
    data->nFileSizeLow = DWORD(size & 0xFFFFFFFFu);
    data->cFileName = name;
}

} // namespace

namespace files {

bool matchesWildcard(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*")) return true;
    // Greedy match with one back-track point: linear in practice.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::size_t openSearchCount()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_searches.size();
}

} // namespace files

HANDLE FindFirstFileA(const QString& fileName, WIN32_FIND_DATAA* findData)
{
    if (fileName.isEmpty() || fileName.endsWith(u'/')) return INVALID_HANDLE_VALUE;
    const qsizetype slash = net::isNetworkPath(fileName)
        ? std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'))
        : fileName.lastIndexOf(u'/');
    const QString folderPart
        = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : fileName.left(slash));
    const QString pattern = fileName.mid(slash + 1);
    // Wildcards work in the last part only; before it, '*' and '?' are
    // ordinary characters of a folder's name.
    const QString folder = ResolvePathCase(folderPart);
    QStringList names = matchingNames(folder, pattern);
    if (names.isEmpty()) return INVALID_HANDLE_VALUE;
    fill(folder, names.takeFirst(), findData);
    std::lock_guard<std::mutex> guard(g_mutex);
    const HANDLE h = g_nextHandle++;
    g_searches.emplace(h, Search { folder, names });
    return h;
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* findData)
{
    QString folder;
    QString name;
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        const auto it = g_searches.find(search);
        if (it == g_searches.end() || it->second.names.isEmpty()) return 0;
        folder = it->second.folder;
        name = it->second.names.takeFirst();
    }
    fill(folder, name, findData);
    return 1;
}

BOOL FindClose(HANDLE search)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_searches.erase(search) ? 1 : 0;
}
