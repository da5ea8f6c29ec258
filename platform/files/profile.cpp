#include "platform/files/profile.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile_text.h"

#include <sys/stat.h>

DWORD GetPrivateProfileStringA(const QString& section, const QString& key, const QString& defaultValue,
    QString& buffer, DWORD size, const QString& fileName)
{
    QString text = defaultValue;
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    if (!fileName.isEmpty()) {
        const auto bytes = files::readWholeFile(files::nativePath(ResolvePathCase(fileName)));
        if (bytes) {
            if (auto found = files::ProfileText(*bytes).value(section, key)) text = std::move(*found);
        }
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
        // Removing from a file that is not there changes nothing.
        struct stat st;
        if (::stat(files::nativePath(ResolvePathCase(fileName)).constData(), &st) != 0) return 1;
        const auto result = files::replaceFile(fileName, [&](const std::optional<QByteArray>& current) {
            return current ? files::ProfileText(*current).withoutKey(section, key) : std::nullopt;
        });
        return result == files::ReplaceResult::Failed ? 0 : 1;
    }
    const auto result = files::replaceFile(fileName, [&](const std::optional<QByteArray>& current) {
        return std::optional<QByteArray>(
            files::ProfileText(current.value_or(QByteArray())).withValue(section, key, *value));
    });
    return result == files::ReplaceResult::Written ? 1 : 0;
}
