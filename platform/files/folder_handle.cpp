// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/folder_handle.h"

#include "platform/files/local_folder.h"
#include "platform/files/server_folder.h"
#include "platform/net/smb_client.h"

#include <cstring>

namespace files {

namespace {

constexpr QLatin1String kTemporaryMark(".qmtmp-");

} // namespace

std::unique_ptr<FolderHandle> openFolder(const QString& folder, int& error, bool followLink)
{
    if (net::isNetworkPath(folder)) return net::openServerFolder(folder, error);
    return openLocalFolder(folder, error, followLink);
}

QString describeError(const QString& path, int error)
{
    if (net::isNetworkPath(path)) return net::describeError(path, error);
    return QString::fromLocal8Bit(std::strerror(error));
}

std::pair<QString, QString> splitPath(const QString& path)
{
    if (net::isNetworkPath(path)) return { net::networkParent(path), net::networkFileName(path) };
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    const qsizetype slash = clean.lastIndexOf(u'/');
    if (slash < 0) return { QStringLiteral("."), clean };
    if (clean == QLatin1String("/")) return { clean, QString() };
    return { slash == 0 ? QStringLiteral("/") : clean.left(slash), clean.mid(slash + 1) };
}

QString temporaryName(const QString& entry, int pid, quint32 serial)
{
    return u'.' + entry + kTemporaryMark + QString::number(pid) + u'-' + QString::number(serial);
}

bool isTemporaryOf(const QString& name, const QString& entry)
{
    return name.startsWith(u'.' + entry + kTemporaryMark, Qt::CaseInsensitive);
}

} // namespace files
