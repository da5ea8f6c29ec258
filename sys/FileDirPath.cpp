// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/FileDirPath.h"

#include "platform/net/smb_client.h"

#include <QRegularExpression>

namespace {

constexpr QChar kSeparator = u'/';

// Both parts come from one walk over the separators: head collects the text
// up to each separator in turn, rest keeps what follows the last one.
void split(const QString& path, QString& head, QString& rest)
{
    head.clear();
    rest = path;
    // A name on a server (\\server\share\...) takes Windows' separator too.
    const bool network = net::isNetworkPath(path);
    const auto next = [&] {
        const qsizetype slash = rest.indexOf(kSeparator);
        const qsizetype backslash = network ? rest.indexOf(u'\\') : -1;
        return slash < 0 || (backslash >= 0 && backslash < slash) ? backslash : slash;
    };
    qsizetype p;
    while ((p = next()) >= 0) {
        head += rest.left(p + 1);
        rest = rest.mid(p + 1);
    }
}

} // namespace

QString GetFolderPart(const QString& path)
{
    QString head, rest;
    split(path, head, rest);
    return head;
}

QString GetFilePart(const QString& path)
{
    QString head, rest;
    split(path, head, rest);
    return rest;
}

QString GetFolderName(const QString& folder)
{
    if (net::isNetworkPath(folder)) {
        const QStringList parts = folder.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
        if (parts.size() <= 2) return QStringLiteral("\\\\") + parts.join(u'\\');
        return parts.last();
    }
    QString path = folder;
    while (path.size() > 1 && path.endsWith(kSeparator))
        path.chop(1);
    const QString name = GetFilePart(path);
    return name.isEmpty() ? path : name;
}
