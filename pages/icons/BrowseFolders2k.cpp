// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/icons/BrowseFolders2k.h"

#include "platform/ui/shell_application.h"

namespace {
const QString kTitle = QStringLiteral("Wählen Sie den Zielordner, indem sich die Programme befinden ...");
const QString kRoot = QStringLiteral("/");

// A chosen drive gives its root with the closing separator. The one drive
// here is the file system's root, shown as "/". A colon means nothing: on
// this system it is an ordinary character of folder names, so such a
// folder keeps its full path.
bool isDrive(const QString& displayName)
{
    return displayName == kRoot;
}
} // namespace

QString BrowseFolder(const QVariant& root)
{
    // Every step may fail (a cancelled dialog leaves no folder object); a
    // failed step leaves the result as it was.
    QString path;
    shell::Application shellApp;
    const std::shared_ptr<shell::Folder> folder
        = shellApp.BrowseForFolder(nullptr, kTitle, shell::BIF_RETURNONLYFSDIRS, root);
    if (!folder) return path;
    const QString title = folder->Title();
    if (const std::shared_ptr<shell::Folder> parent = folder->ParentFolder()) {
        if (const std::optional<shell::FolderItem> item = parent->ParseName(title)) path = item->Path();
    }
    if (isDrive(title)) path = kRoot;
    return path;
}
