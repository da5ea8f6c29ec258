// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/windows_references.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/samba_shares.h"
#include "platform/net/smb_client.h"

#include <QDir>
#include <QRegularExpression>

#include <sys/stat.h>

namespace files {

namespace {

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(nativePath(a).constData(), &sa) == 0 && ::stat(nativePath(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev;
}

} // namespace

WindowsReference windowsReferenceFor(const QString& folder, const QString& file)
{
    if (net::isNetworkPath(folder)) {
        // In the folder's share: relative; on another share: the UNC name,
        // which Windows opens; a file on this machine only as a copy.
        if (!net::isNetworkPath(file)) return { file, true };
        const QString relative = net::relativeNetworkPath(folder, file);
        return { relative.isEmpty() ? net::cleanNetworkPath(file) : relative };
    }
    // The kernel resolves links; a reader walks the real folders.
    const QString realFolder = canonicalPath(folder);
    const QString realFile = canonicalPath(file);
    if (realFolder.isEmpty() || realFile.isEmpty()) return { file };
    const QString share = sambaShareHolding(realFolder, sambaSharePaths(realFolder));
    const bool reachable
        = sameFileSystem(realFolder, realFile) && (share.isEmpty() || sambaShareHolding(realFile, { share }) == share);
    QString relative = QDir(realFolder).relativeFilePath(realFile);
    // Bytes that are not UTF-8 cannot be written for Windows: such a name is copied.
    const bool raw = hasRawBytes(relative);
    if (reachable && !raw) return { relative.replace(QLatin1Char('/'), QLatin1Char('\\')) };
    return { file, raw || !share.isEmpty() || onWindowsVolume(nativePath(realFolder)) };
}

bool isWindowsOnlyName(const QString& stored)
{
    // A drive, or a first part that is a %NAME% as Windows expands it
    // (letters, digits, '_', '(' and ')', as in %ProgramFiles(x86)%);
    // "Icons%20Pack%202" is a relative name.
    static const QRegularExpression windowsOnly(QStringLiteral("^[A-Za-z]:|^%[A-Za-z0-9_()]+%(?:[\\\\/]|$)"));
    return net::isNetworkPath(stored) || windowsOnly.match(stored).hasMatch();
}

QString pathOfStoredName(const QString& folder, const QString& stored)
{
    if (stored.startsWith(QLatin1Char('/'))) return stored;
    if (net::isNetworkPath(folder))
        return net::isNetworkPath(stored) ? stored : net::cleanNetworkPath(folder + u'\\' + stored);
    QString relative = stored;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString realFolder = canonicalPath(folder);
    return QDir::cleanPath((realFolder.isEmpty() ? folder : realFolder) + QLatin1Char('/') + relative);
}

bool namesUnaskedServer(const QString& stored)
{
    return net::isNetworkPath(stored) && !net::isNamedServer(stored);
}

QString separatorsOf(const QString& path)
{
    return net::isNetworkPath(path) ? QStringLiteral("/\\") : QStringLiteral("/");
}

QString folderNameOf(const QString& folder)
{
    if (net::isNetworkPath(folder)) {
        const QStringList parts = folder.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
        if (parts.size() <= 2) return QStringLiteral("\\\\") + parts.join(u'\\');
        return parts.last();
    }
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return name.isEmpty() ? path : name;
}

} // namespace files
