// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/profile_keys.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/files/profile_text.h"
#include "platform/files/windows_dir.h"

#include <cerrno>

namespace {

files::Links linksFor(const QString& fileName)
{
    return files::isProgramFile(fileName) ? files::Links::Follow : files::Links::Refuse;
}

} // namespace

bool ProfileHasAnyKey(const QString& fileName)
{
    QByteArray bytes;
    const int error = files::readFile(fileName, bytes, linksFor(fileName), files::kMaxProfileSize);
    if (error == EFBIG) return true;
    return !error && files::ProfileText(std::move(bytes)).hasAnyKey();
}

bool ProfileTooLarge(const QString& fileName)
{
    // Its size is enough: a file that grows later fails its read instead.
    files::EntryInfo e;
    const int error = files::withEntry(
        fileName, [&](files::FolderHandle& h, const QString& entry) { return h.stat(h.resolve(entry), e); });
    return !error && e.regular && e.size > files::kMaxProfileSize;
}
