#include "store/icon_reference.h"

#include "platform/files/samba_shares.h"
#include "store/folder_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// Both canonical: whether a reader that opened the folder through a share
// can walk to the file.
bool reachable(const QString& folder, const QString& file)
{
    if (!sameFileSystem(folder, file)) return false;
    const QStringList shares = files::sambaSharePaths();
    const QString share = files::sambaShareHolding(folder, shares);
    return share.isEmpty() || files::sambaShareHolding(file, { share }) == share;
}

} // namespace

QString IconReferenceFor(const QString& folder, const QString& iconFile)
{
    // The kernel resolves links; a reader walks the real folders.
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    const QString realFile = QFileInfo(iconFile).canonicalFilePath();
    if (realFolder.isEmpty() || realFile.isEmpty() || !reachable(realFolder, realFile)) return iconFile;
    return QDir(realFolder).relativeFilePath(realFile).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

bool IsWindowsOnlyReference(const QString& stored)
{
    static const QRegularExpression windowsOnly(QStringLiteral("^[A-Za-z]:|^\\\\\\\\|%[^%]+%"));
    return windowsOnly.match(stored).hasMatch();
}

QString StoredReferencePath(const QString& folder, const QString& stored)
{
    if (stored.startsWith(QLatin1Char('/')) || stored.compare(kIconCopyName, Qt::CaseInsensitive) == 0)
        return stored;
    QString relative = stored;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    return QDir::cleanPath((realFolder.isEmpty() ? folder : realFolder) + QLatin1Char('/') + relative);
}
