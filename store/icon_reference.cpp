// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/icon_reference.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/samba_shares.h"
#include "platform/net/smb_client.h"
#include "store/folder_settings.h"

#include <QDir>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(files::nativePath(a).constData(), &sa) == 0
        && ::stat(files::nativePath(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

} // namespace

IconReference IconReferenceFor(const QString& folder, const QString& iconFile)
{
    if (net::isNetworkPath(folder)) {
        // In the folder's share: relative; on another share: the UNC name,
        // which Windows opens; a file on this machine only as a copy.
        if (!net::isNetworkPath(iconFile)) return { iconFile, true };
        const QString relative = net::relativeNetworkPath(folder, iconFile);
        return { relative.isEmpty() ? net::cleanNetworkPath(iconFile) : relative };
    }
    // The kernel resolves links; a reader walks the real folders.
    const QString realFolder = files::canonicalPath(folder);
    const QString realFile = files::canonicalPath(iconFile);
    if (realFolder.isEmpty() || realFile.isEmpty()) return { iconFile };
    const QString share = files::sambaShareHolding(realFolder, files::sambaSharePaths(realFolder));
    const bool reachable = sameFileSystem(realFolder, realFile)
        && (share.isEmpty() || files::sambaShareHolding(realFile, { share }) == share);
    QString relative = QDir(realFolder).relativeFilePath(realFile);
    // Bytes that are not UTF-8 cannot be written for Windows: such a name is copied.
    const bool raw = files::hasRawBytes(relative);
    if (reachable && !raw) return { relative.replace(QLatin1Char('/'), QLatin1Char('\\')) };
    return { iconFile, raw || !share.isEmpty() || files::onWindowsVolume(files::nativePath(realFolder)) };
}

bool IsWindowsOnlyReference(const QString& stored)
{
    // A server's name in either spelling (Windows reads //server/share as
    // \\server\share), a drive, or a first part that is a %NAME% as Windows
    // expands it (letters, digits, '_', '(' and ')', as in
    // %ProgramFiles(x86)%); "Icons%20Pack%202" is a relative name.
    static const QRegularExpression windowsOnly(QStringLiteral("^[A-Za-z]:|^%[A-Za-z0-9_()]+%(?:[\\\\/]|$)"));
    return net::isNetworkPath(stored) || windowsOnly.match(stored).hasMatch();
}

QString StoredReferencePath(const QString& folder, const QString& stored)
{
    if (stored.startsWith(QLatin1Char('/')) || stored.compare(kIconCopyName, Qt::CaseInsensitive) == 0)
        return stored;
    if (net::isNetworkPath(folder))
        return net::isNetworkPath(stored) ? stored : net::cleanNetworkPath(folder + u'\\' + stored);
    QString relative = stored;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString realFolder = files::canonicalPath(folder);
    return QDir::cleanPath((realFolder.isEmpty() ? folder : realFolder) + QLatin1Char('/') + relative);
}
