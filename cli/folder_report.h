// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What quillmark-folder show tells of one folder: its customisation, the
// attribute bits, where they are kept, and whether Windows will show it.
#include "platform/win_types.h"

#include <QJsonObject>
#include <QString>

#include <optional>

struct FolderReport {
    QString folder;
    QString tooltip;
    QString iconFile; // as written
    QString iconPath; // the file it names here; empty when it names none
    QString iconIndex;
    bool copy = false;
    std::optional<DWORD> folderBits, settingsBits, copyBits;
    QString storage; // fat, ntfs, cifs, samba or none
    bool windowsShows = false;
    QString reason; // why not, when not
};

FolderReport ReportFolder(const QString& folder);
QString ReportText(const FolderReport& report);
QJsonObject ReportJson(const FolderReport& report);

// Why a Desktop.ini too large for the profile functions is neither read
// nor written.
QString TooLargeText();

// The four bits as letters (R, H, S, A), "-" for none.
QString BitLetters(std::optional<DWORD> bits);
