// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/folder_settings.h"

#include "platform/app.h"
#include "platform/files/case_paths.h"
#include "platform/files/profile_keys.h"
#include "platform/files/profile_text.h"
#include "store/IniFiles.h"
#include "sys/WindowsOrdner.h"

QString SettingsFilePath(const QString& folder)
{
    return folder + QLatin1Char('/') + kSettingsFileName;
}

QString IconCopyPath(const QString& folder)
{
    return folder + QLatin1Char('/') + kIconCopyName;
}

QString TooltipOnOneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QString TooltipAsWritten(const QString& text)
{
    return files::profileValueAsWritten(TooltipOnOneLine(text));
}

StoredIcon ReadStoredIcon(const QString& settingsFile)
{
    const QString file = IniRead(settingsFile, kShellClassInfo, kKeyIconFile);
    if (!file.isEmpty()) return { file, IniRead(settingsFile, kShellClassInfo, kKeyIconIndex) };
    const QString resource = IniRead(settingsFile, kShellClassInfo, kKeyIconResource);
    const qsizetype comma = resource.lastIndexOf(QLatin1Char(','));
    if (comma < 0) return { resource, QString() };
    return { resource.left(comma).trimmed(), resource.mid(comma + 1).trimmed() };
}

bool IsIconCopy(const QString& folder, const QString& file)
{
    const QString chosen = files::canonicalPath(file);
    return !chosen.isEmpty() && chosen == files::canonicalPath(ResolvePathCase(IconCopyPath(folder)));
}

void WriteIconKeys(const QString& settingsFile, const QString& reference, const QString& index)
{
    IniWrite(settingsFile, kShellClassInfo, kKeyIconFile, reference);
    IniWrite(settingsFile, kShellClassInfo, kKeyIconIndex, index);
    IniWrite(settingsFile, kShellClassInfo, kKeyIconResource, reference + QLatin1Char(',') + index);
}

QString RecentFoldersFilePath()
{
    return GetWindowsFolder() + QLatin1Char('/') + App::exeName() + QStringLiteral(".dat");
}

bool SettingsFileHasKeys(const QString& settingsFile)
{
    return ProfileHasAnyKey(settingsFile);
}
