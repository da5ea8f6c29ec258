// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small automation-like shell object: BrowseForFolder shows a folder
// chooser rooted at the file system's root and gives back a folder object.
// Its title is the folder's display name (its last path part, "/" for the
// root); ParentFolder and ParseName lead to the item whose Path is the full
// path. The chooser can be replaced, so tests never open a real dialog.
#include "platform/win_types.h"

#include <QString>
#include <QVariant>

class QFileDialog;

#include <functional>
#include <memory>
#include <optional>

namespace shell {

class FolderItem {
public:
    explicit FolderItem(QString path)
        : m_path(std::move(path))
    {
    }
    QString Path() const { return m_path; }

private:
    QString m_path;
};

class Folder {
public:
    explicit Folder(QString path);
    QString Title() const;
    // The parent folder; none for the root.
    std::shared_ptr<Folder> ParentFolder() const;
    // The item of that display name in this folder, if there is one.
    std::optional<FolderItem> ParseName(const QString& name) const;

private:
    QString m_path;
};

inline constexpr int ssfDRIVES = 17;
inline constexpr int BIF_RETURNONLYFSDIRS = 1;

class Application {
public:
    // Shows the chooser; nothing when it was cancelled. Root is a special
    // folder number (17: the drives, here the file system's root) or a path.
    std::shared_ptr<Folder> BrowseForFolder(
        HWND owner, const QString& title, int options, const QVariant& root);
};

// The chooser behind BrowseForFolder: title and start folder in, the chosen
// folder out (empty on cancel). Empty restores the real dialog.
using FolderChooser = std::function<QString(HWND owner, const QString& title, const QString& startFolder)>;
void setFolderChooser(FolderChooser chooser);

// The real chooser's dialog, not yet shown: folders only, links not resolved.
std::unique_ptr<QFileDialog> makeFolderDialog(HWND owner, const QString& title, const QString& startFolder);

} // namespace shell
