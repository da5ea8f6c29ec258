// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/FileDirPath.h"

namespace {

constexpr QChar kSeparator = u'/';

// Both parts come from one walk over the separators: head collects the text
// up to each separator in turn, rest keeps what follows the last one.
void split(const QString& path, QString& head, QString& rest)
{
    head.clear();
    rest = path;
    qsizetype p;
    while ((p = rest.indexOf(kSeparator)) >= 0) {
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
