// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/recent_folders.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "sys/Dateiexistenz.h"

#include <array>

namespace {
const QString kSection = QStringLiteral("Filename");

QString keyOf(int i)
{
    return QStringLiteral("0%1").arg(i);
}

void writeAll(const QString& file, const std::array<QString, 5>& entries)
{
    // Oldest first, as five whole values; an empty one stays as an empty key.
    for (int i = 5; i >= 1; --i)
        IniWrite(file, kSection, keyOf(i), entries[i - 1]);
}
} // namespace

void LoadRecentFolders(ui::ComboBox* box)
{
    const QString file = RecentFoldersFilePath();
    for (int i = 1; i <= 5; ++i) {
        const QString folder = IniRead(file, kSection, keyOf(i));
        if (!folder.isEmpty() && FolderExists(folder)) box->AddItem(folder);
    }
}

void SaveRecentFolder(ui::ComboBox* box, const QString& listFolder, const QString& targetFolder)
{
    const QString typed = box->text();
    if (typed.isEmpty() || !FolderExists(typed)) return;
    if (listFolder == targetFolder) return;
    const QString file = RecentFoldersFilePath();
    // The read and the five writes are one step: wizards finishing at the
    // same time each keep their folder. A lock not had in time skips it.
    const files::FileLock lock(files::nativePath(file + QStringLiteral(".lock")));
    if (!lock.held()) return;
    std::array<QString, 5> stored;
    bool listed = false;
    for (int i = 1; i <= 5; ++i) {
        stored[i - 1] = IniRead(file, kSection, keyOf(i));
        listed = listed || stored[i - 1] == listFolder;
    }
    if (!listed) {
        writeAll(file, { typed, stored[0], stored[1], stored[2], stored[3] });
        return;
    }
    // Move to the front through the box's items, squeezing out empty
    // entries and those equal to the folder, compared in lower case.
    QString front = typed;
    if (front.endsWith(QLatin1Char('/'))) front.chop(1);
    box->setEnabled(false);
    box->Clear();
    box->setTag(kTagProgramChange);
    box->AddItem(front);
    for (int i = 1; i <= 5; ++i) {
        const QString entry = IniRead(file, kSection, keyOf(i));
        if (!entry.isEmpty() && entry.toLower() != front.toLower()) box->AddItem(entry);
    }
    std::array<QString, 5> entries { front };
    for (int i = 1; i <= 4 && i < box->listCount(); ++i) {
        box->setListIndex(i);
        entries[i] = box->text();
    }
    box->setListIndex(0);
    writeAll(file, entries);
}
