// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/FileDirPath.h"

#include "platform/files/windows_references.h"

namespace {

// Both parts come from one walk over the separators: head collects the text
// up to each separator in turn, rest keeps what follows the last one.
void split(const QString& path, QString& head, QString& rest)
{
    head.clear();
    rest = path;
    // A name on a server (\\server\share\...) takes Windows' separator too.
    const QString separators = files::separatorsOf(path);
    const auto next = [&] {
        qsizetype first = -1;
        for (const QChar c : separators)
            if (const qsizetype at = rest.indexOf(c); at >= 0 && (first < 0 || at < first)) first = at;
        return first;
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
    return files::folderNameOf(folder);
}
