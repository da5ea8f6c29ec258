#include "platform/files/file_api.h"

#include "platform/files/file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

BOOL CopyFileA(const QString& existingFile, const QString& newFile, BOOL failIfExists)
{
    if (existingFile.isEmpty() || files::hasWildcard(existingFile) || files::hasWildcard(newFile)) return 0;
    const auto bytes = files::readWholeFile(files::nativePath(ResolvePathCase(existingFile)));
    if (!bytes) return 0;
    files::ReplaceOptions options;
    options.failIfExists = failIfExists != 0;
    options.attributesFrom = existingFile;
    const auto result = files::replaceFile(
        newFile, [&](const std::optional<QByteArray>&) { return bytes; }, options);
    return result == files::ReplaceResult::Written ? 1 : 0;
}

BOOL DeleteFileA(const QString& fileName)
{
    if (fileName.isEmpty() || files::hasWildcard(fileName)) return 0;
    const QByteArray native = files::nativePath(ResolvePathCase(fileName));
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    if (!S_ISLNK(st.st_mode) && files::isReadOnlyFile(native)) return 0;
    return ::unlink(native.constData()) == 0 ? 1 : 0;
}
