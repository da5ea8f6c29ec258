#include "platform/files/profile_keys.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"

#include <QRegularExpression>
#include <QStringConverter>

bool ProfileHasAnyKey(const QString& fileName)
{
    const std::optional<QByteArray> bytes = files::readWholeFile(files::nativePath(ResolvePathCase(fileName)));
    if (!bytes)
        return false;
    QString text;
    if (bytes->startsWith("\xFF\xFE"))
        text = QStringDecoder(QStringDecoder::Utf16LE).decode(bytes->mid(2));
    else
        text = QString::fromLatin1(*bytes); // only the structure matters here
    bool inSection = false;
    for (QStringView line : QStringView(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QStringView t = line.trimmed();
        if (t.startsWith(u'[')) {
            inSection = true;
            continue;
        }
        if (inSection && !t.startsWith(u';') && t.contains(u'='))
            return true;
    }
    return false;
}
