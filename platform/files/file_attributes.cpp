// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_attributes.h"

#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

DWORD attributesOf(const QByteArray& path, const struct stat& st)
{
    // Nothing stored, or storage we cannot read, counts as no bits.
    DWORD bits = attributeStoreFor(path).read(path).value_or(0) & ~FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISDIR(st.st_mode))
        bits |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        bits |= FILE_ATTRIBUTE_READONLY;
    return bits;
}

std::mutex g_chosenMutex;
QStringList g_chosen;

bool isChosenFolder(const QString& path)
{
    std::lock_guard guard(g_chosenMutex);
    return g_chosen.contains(path);
}

// What path names, held open without being opened for reading (O_PATH: a
// FIFO does not block, a device is not started): a regular file or a
// folder, never a link in the last part except to a chosen folder. -1 for
// anything else.
int openEntry(const QString& path, const QByteArray& native)
{
    struct stat st;
    int fd = ::open(native.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISLNK(st.st_mode)) {
        ::close(fd);
        fd = isChosenFolder(path) ? ::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC) : -1;
    }
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

void setChosenFolders(const QStringList& paths)
{
    std::lock_guard guard(g_chosenMutex);
    g_chosen = paths;
}

bool isReadOnlyFile(const QByteArray& nativePath)
{
    if (net::isNetworkPath(nativePath)) {
        net::Entry e;
        return net::stat(fromNative(nativePath), e) == 0 && !e.directory
            && (e.attributes & FILE_ATTRIBUTE_READONLY);
    }
    struct stat st;
    if (::stat(nativePath.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return (attributesOf(nativePath, st) & FILE_ATTRIBUTE_READONLY)
        || ::access(nativePath.constData(), W_OK) != 0;
}

} // namespace files

DWORD GetFileAttributesA(const QString& path)
{
    if (path.isEmpty()) return INVALID_FILE_ATTRIBUTES;
    if (net::Entry e; net::isNetworkPath(path))
        return net::stat(path, e) == 0 ? (e.attributes & (files::kDosBits | FILE_ATTRIBUTE_DIRECTORY))
                                       : INVALID_FILE_ATTRIBUTES;
    const QByteArray native = files::systemPath(ResolvePathCase(path));
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return INVALID_FILE_ATTRIBUTES;
    return files::attributesOf(native, st);
}

BOOL SetFileAttributesA(const QString& path, DWORD attributes)
{
    if (path.isEmpty()) return 0;
    if (net::isNetworkPath(path)) return net::setAttributes(path, attributes) == 0 ? 1 : 0;
    const QString resolved = ResolvePathCase(path);
    const int fd = files::openEntry(path, files::systemPath(resolved));
    if (fd < 0) return 0;
    // The stores work on paths; this one names the opened entry itself, so
    // nothing swapped in meanwhile is touched.
    const QByteArray held = "/proc/self/fd/" + QByteArray::number(fd);
    const bool ok = files::attributeStoreFor(held).write(held, attributes & files::kDosBits);
    ::close(fd);
    return ok ? 1 : 0;
}
