// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a folder's customisation lives and how it is named: the settings
// file and the icon copy inside the folder, their keys, and the attribute
// values the wizard gives the folder and both files.
#include "platform/win_types.h"

#include <QString>

inline const QString kSettingsFileName = QStringLiteral("Desktop.ini");
inline const QString kIconCopyName = QStringLiteral("Desktop.ico");
inline const QString kShellClassInfo = QStringLiteral(".ShellClassInfo");
// The tooltip key is written as "InfoTip" and read as "Infotip": names match
// without regard to case, so both find the same entry.
inline const QString kKeyInfoTip = QStringLiteral("InfoTip");
inline const QString kKeyInfotipRead = QStringLiteral("Infotip");
inline const QString kKeyIconFile = QStringLiteral("IconFile");
inline const QString kKeyIconIndex = QStringLiteral("IconIndex");
// Windows since Vista keeps the icon as "file,index" under this key too, and
// prefers it to the other two.
inline const QString kKeyIconResource = QStringLiteral("IconResource");

// The program's per-user registry key.
inline const QString kRegSetFolders = QStringLiteral("Software\\Morvane\\Set Folders");

// Attribute values; each replaces the whole set of bits.
inline constexpr DWORD kAttrNone = 0;
inline constexpr DWORD kAttrReadOnly = 1;
inline constexpr DWORD kAttrArchive = 32;
inline constexpr DWORD kAttrHiddenArchive = 34;
inline constexpr DWORD kAttrSystemArchive = 36;

// The folder path is used exactly as held; the file name is appended after
// one separator.
QString SettingsFilePath(const QString& folder);
QString IconCopyPath(const QString& folder);

// The tooltip as the settings file gives it back: one line, each line break
// (CR LF, a lone CR or LF) as one blank, so that a second line can never
// become a stray line, a section or a key of its own.
QString TooltipOnOneLine(const QString& text);
// The tooltip as written into the settings file: on one line, and quoted
// where the read would trim or unquote it, so that it reads back exactly.
QString TooltipAsWritten(const QString& text);

// The icon a settings file names: IconFile and IconIndex, or when IconFile
// is empty the file and index of IconResource (split at its last comma).
struct StoredIcon {
    QString file;
    QString index;
};
StoredIcon ReadStoredIcon(const QString& settingsFile);

// Whether file is the folder's icon copy itself (links and case resolved).
bool IsIconCopy(const QString& folder, const QString& file);

// The three icon keys. Windows since Vista reads IconResource before the
// other two: it always names the same icon, or Windows would go on showing
// an old one.
void WriteIconKeys(const QString& settingsFile, const QString& reference, const QString& index);

// The recent-folders file: in the Windows directory, named after the
// executable with the extension ".dat".
QString RecentFoldersFilePath();

// Whether any section of the settings file still holds a key.
bool SettingsFileHasKeys(const QString& settingsFile);
