// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/profile.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/files/profile_text.h"
#include "platform/files/windows_dir.h"

#include <cerrno>

namespace {

// Links are followed to the program's own files only; a settings file in a
// folder others write into is never read or written through a link.
files::Links linksFor(const QString& fileName)
{
    return files::isProgramFile(fileName) ? files::Links::Follow : files::Links::Refuse;
}

files::ReplaceOptions optionsFor(const QString& fileName)
{
    files::ReplaceOptions options;
    options.followLinks = linksFor(fileName) == files::Links::Follow;
    return options;
}

} // namespace

DWORD GetPrivateProfileStringA(const QString& section, const QString& key, const QString& defaultValue,
    QString& buffer, DWORD size, const QString& fileName)
{
    QString text = defaultValue;
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    if (!fileName.isEmpty()) {
        QByteArray bytes;
        if (files::readFile(fileName, bytes, linksFor(fileName), files::kMaxProfileSize) == 0)
            if (auto found = files::ProfileText(std::move(bytes)).value(section, key)) text = std::move(*found);
    }
    if (size == 0) {
        buffer.clear();
        return 0;
    }
    if (qsizetype(size - 1) < text.size()) text.truncate(qsizetype(size - 1));
    buffer = text;
    return DWORD(text.size());
}

BOOL WritePrivateProfileStringA(
    const QString& section, const QString& key, const QString* value, const QString& fileName)
{
    if (!value) {
        // Removing from a file that is not there changes nothing; nor does
        // removing from what reads as missing (a link we do not follow, a FIFO).
        if (QByteArray bytes;
            files::readFile(fileName, bytes, linksFor(fileName), files::kMaxProfileSize) == ENOENT)
            return 1;
        const auto result = files::replaceFile(
            fileName,
            [&](const std::optional<QByteArray>& current) {
                return current ? files::ProfileText(*current).withoutKey(section, key) : std::nullopt;
            },
            optionsFor(fileName));
        return result == files::ReplaceResult::Failed ? 0 : 1;
    }
    return WritePrivateProfileValues(section, { { key, *value } }, fileName);
}

BOOL WritePrivateProfileValues(
    const QString& section, const std::vector<std::pair<QString, QString>>& values, const QString& fileName)
{
    bool all = true;
    const auto result = files::replaceFile(
        fileName,
        [&](const std::optional<QByteArray>& current) -> std::optional<QByteArray> {
            std::optional<QByteArray> text;
            for (const auto& [key, value] : values) {
                QByteArray next = files::ProfileText(text.value_or(current.value_or(QByteArray())))
                                      .withValue(section, key, value);
                // No file is written that the reads would refuse.
                if (next.size() > files::kMaxProfileSize)
                    all = false;
                else
                    text = std::move(next);
            }
            return text; // none: every key was refused, and the file stays as it is
        },
        optionsFor(fileName));
    return result == files::ReplaceResult::Written && all ? 1 : 0;
}
