// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_attributes.h"

#include "platform/files/native_names.h"
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
    if (QString entry; files::FolderHandle* held = files::heldFolderOf(path, entry)) {
        files::EntryInfo info;
        if (held->stat(held->resolve(entry), info) != 0 || !(info.directory || info.regular))
            return INVALID_FILE_ATTRIBUTES;
        return info.bits;
    }
    if (net::Entry e; net::isNetworkPath(path))
        return net::stat(path, e) == 0 ? (e.attributes & (files::kDosBits | FILE_ATTRIBUTE_DIRECTORY))
                                       : INVALID_FILE_ATTRIBUTES;
    const QByteArray native = files::nativePath(ResolvePathCase(path));
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return INVALID_FILE_ATTRIBUTES;
    return files::attributesOf(native, st);
}

BOOL SetFileAttributesA(const QString& path, DWORD attributes)
{
    if (path.isEmpty()) return 0;
    // A chosen folder that is a link is set through the folder it names.
    if (QString entry; !files::heldFolderOf(path, entry) && files::isChosenFolder(path))
        return files::withFolder(path, [&](files::FolderHandle& h) { return h.setBits(QString(), attributes); })
                == 0
            ? 1
            : 0;
    return files::withEntry(path,
               [&](files::FolderHandle& h, const QString& entry) { return h.setBits(entry, attributes); })
            == 0
        ? 1
        : 0;
}
