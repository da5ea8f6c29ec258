#include "platform/files/file_attributes.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"

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

} // namespace

bool hasWildcard(const QString& path)
{
    return path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'));
}

bool isReadOnlyFile(const QByteArray& nativePath)
{
    struct stat st;
    if (::stat(nativePath.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return (attributesOf(nativePath, st) & FILE_ATTRIBUTE_READONLY)
        || ::access(nativePath.constData(), W_OK) != 0;
}

} // namespace files

DWORD GetFileAttributesA(const QString& path)
{
    if (path.isEmpty() || files::hasWildcard(path)) return INVALID_FILE_ATTRIBUTES;
    const QByteArray native = files::nativePath(ResolvePathCase(path));
    struct stat st;
    if (::stat(native.constData(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
    return files::attributesOf(native, st);
}

BOOL SetFileAttributesA(const QString& path, DWORD attributes)
{
    if (path.isEmpty() || files::hasWildcard(path)) return 0;
    const QByteArray native = files::nativePath(ResolvePathCase(path));
    struct stat st;
    if (::stat(native.constData(), &st) != 0) return 0;
    return files::attributeStoreFor(native).write(native, attributes & files::kDosBits) ? 1 : 0;
}
