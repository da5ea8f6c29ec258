#include "store/folder_settings.h"

#include "platform/app.h"
#include "platform/files/profile_keys.h"
#include "sys/WindowsOrdner.h"

QString SettingsFilePath(const QString& folder)
{
    return folder + QLatin1Char('/') + kSettingsFileName;
}

QString IconCopyPath(const QString& folder)
{
    return folder + QLatin1Char('/') + kIconCopyName;
}

QString TooltipAsWritten(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QString RecentFoldersFilePath()
{
    return GetWindowsFolder() + QLatin1Char('/') + App::exeName() + QStringLiteral(".dat");
}

bool SettingsFileHasKeys(const QString& settingsFile)
{
    return ProfileHasAnyKey(settingsFile);
}
