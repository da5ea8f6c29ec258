// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/file_api.h"

#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"

#include <cerrno>

BOOL CopyFileA(const QString& existingFile, const QString& newFile, BOOL failIfExists)
{
    if (existingFile.isEmpty()) return 0;
    // The source is the file the user chose, through a link or not; the copy
    // replaces whatever link stands at newFile.
    QByteArray bytes;
    if (files::readFile(existingFile, bytes, files::Links::Follow, files::kMaxCopySize) != 0) return 0;
    return files::writeCopy(bytes, GetFileAttributesA(existingFile), newFile, failIfExists != 0);
}

BOOL DeleteFileA(const QString& fileName)
{
    if (fileName.isEmpty()) return 0;
    return files::withEntry(fileName, [](files::FolderHandle& h, const QString& entry) { return h.remove(entry); })
            == 0
        ? 1
        : 0;
}

namespace files {

BOOL writeCopy(const QByteArray& bytes, DWORD sourceBits, const QString& newFile, bool failIfExists)
{
    ReplaceOptions options;
    options.failIfExists = failIfExists;
    options.attributes = sourceBits == INVALID_FILE_ATTRIBUTES ? 0 : sourceBits & kDosBits;
    options.maxCurrentSize = -1; // whatever stands there is replaced unread
    const auto result = replaceFile(newFile, [&](const std::optional<QByteArray>&) { return bytes; }, options);
    return result == ReplaceResult::Written ? 1 : 0;
}

bool canWriteInto(const QString& folder)
{
    if (folder.isEmpty()) return false;
    return withFolder(folder, [](FolderHandle& h) { return h.canWrite() ? 0 : EACCES; }) == 0;
}

} // namespace files
