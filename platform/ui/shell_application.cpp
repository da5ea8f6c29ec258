// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/shell_application.h"

#include "platform/files/case_paths.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace shell {

namespace {
FolderChooser g_chooser;

QString realChooser(HWND owner, const QString& title, const QString& startFolder)
{
    const std::unique_ptr<QFileDialog> dialog = makeFolderDialog(owner, title, startFolder);
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles().value(0);
}
} // namespace

std::unique_ptr<QFileDialog> makeFolderDialog(HWND owner, const QString& title, const QString& startFolder)
{
    auto dialog = std::make_unique<QFileDialog>(owner, title, startFolder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    return dialog;
}

Folder::Folder(QString path)
    : m_path(std::move(path))
{
}

QString Folder::Title() const
{
    if (m_path == QLatin1String("/")) return m_path;
    return QFileInfo(m_path).fileName();
}

std::shared_ptr<Folder> Folder::ParentFolder() const
{
    if (m_path == QLatin1String("/")) return {};
    return std::make_shared<Folder>(QFileInfo(m_path).absolutePath());
}

std::optional<FolderItem> Folder::ParseName(const QString& name) const
{
    const QString full = QDir(m_path).filePath(name);
    if (!files::isDirectory(full)) return std::nullopt;
    return FolderItem(QDir::cleanPath(full));
}

std::shared_ptr<Folder> Application::BrowseForFolder(
    HWND owner, const QString& title, int options, const QVariant& root)
{
    (void)options; // the chooser offers file-system folders only
    const QString start = root.typeId() == QMetaType::QString ? root.toString() : QStringLiteral("/");
    const QString chosen = g_chooser ? g_chooser(owner, title, start) : realChooser(owner, title, start);
    if (chosen.isEmpty()) return {};
    if (!files::isDirectory(chosen)) return {};
    return std::make_shared<Folder>(files::absolutePath(chosen));
}

void setFolderChooser(FolderChooser chooser)
{
    g_chooser = std::move(chooser);
}

} // namespace shell
