// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_api.h"

#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"

#include <sys/stat.h>
#include <unistd.h>

BOOL CopyFileA(const QString& existingFile, const QString& newFile, BOOL failIfExists)
{
    if (existingFile.isEmpty()) return 0;
    // The source is the file the user chose, through a link or not; the copy
    // replaces whatever link stands at newFile.
    const auto bytes = files::readWholeFile(
        files::systemPath(ResolvePathCase(existingFile)), files::Links::Follow, files::kMaxCopySize);
    if (!bytes) return 0;
    files::ReplaceOptions options;
    options.failIfExists = failIfExists != 0;
    options.attributesFrom = existingFile;
    options.maxCurrentSize = -1; // whatever stands there is replaced unread
    const auto result = files::replaceFile(
        newFile, [&](const std::optional<QByteArray>&) { return bytes; }, options);
    return result == files::ReplaceResult::Written ? 1 : 0;
}

BOOL DeleteFileA(const QString& fileName)
{
    if (fileName.isEmpty()) return 0;
    if (net::isNetworkPath(fileName)) {
        net::Entry e;
        return net::stat(fileName, e) == 0 && !e.directory && !(e.attributes & FILE_ATTRIBUTE_READONLY)
                && net::removeFile(ResolvePathCase(fileName)) == 0
            ? 1
            : 0;
    }
    const QByteArray native = files::systemPath(ResolvePathCase(fileName));
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    if (!S_ISLNK(st.st_mode) && files::isReadOnlyFile(native)) return 0;
    return ::unlink(native.constData()) == 0 ? 1 : 0;
}

namespace files {

bool canWriteInto(const QString& folder)
{
    if (folder.isEmpty()) return false;
    // A share says what it takes only when written to.
    if (net::isNetworkPath(folder)) return isDirectory(folder);
    const QByteArray native = systemPath(ResolvePathCase(folder));
    struct stat st;
    // access() also answers EROFS for a read-only mount, for root as well.
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && ::access(native.constData(), W_OK | X_OK) == 0;
}

} // namespace files
