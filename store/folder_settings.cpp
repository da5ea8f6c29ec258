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

QString RecentFoldersFilePath()
{
    return GetWindowsFolder() + QLatin1Char('/') + App::exeName() + QStringLiteral(".dat");
}

bool SettingsFileHasKeys(const QString& settingsFile)
{
    return ProfileHasAnyKey(settingsFile);
}
