#include "pages/icons/BrowseFolders2k.h"

#include "platform/ui/shell_application.h"

#include <QRegularExpression>

namespace {
const QString kTitle = QStringLiteral("Wählen Sie den Zielordner, indem sich die Programme befinden ...");

// A drive shows as "Name (X:)". Only such a name is a drive: folder names may
// hold a colon on this system, and they stay whole.
QString driveRoot(const QString& displayName)
{
    static const QRegularExpression drive(QStringLiteral("\\(([A-Za-z]):\\)$"));
    const int p = int(displayName.indexOf(QLatin1Char(':'))) + 1;
    if (p < 2)
        return {};
    const QRegularExpressionMatch m = drive.match(displayName);
    if (!m.hasMatch())
        return {};
    return m.captured(1) + QStringLiteral(":\\");
}
} // namespace

QString BrowseFolder(const QVariant& root)
{
    // Every step may fail (a cancelled dialog leaves no folder object); a
    // failed step leaves the result as it was.
    QString path;
    shell::Application shellApp;
    const std::shared_ptr<shell::Folder> folder = shellApp.BrowseForFolder(nullptr, kTitle, shell::BIF_RETURNONLYFSDIRS, root);
    if (!folder)
        return path;
    const QString title = folder->Title();
    if (const std::shared_ptr<shell::Folder> parent = folder->ParentFolder()) {
        if (const std::optional<shell::FolderItem> item = parent->ParseName(title))
            path = item->Path();
    } else {
        path = QStringLiteral("/"); // the root itself, with its closing separator
    }
    const QString drive = driveRoot(title);
    if (!drive.isEmpty())
        path = drive;
    return path;
}
