#include "store/folder_customisation.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_api.h"
#include "platform/files/file_attributes.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "sys/Dateiexistenz.h"
#include "sys/WinVersionen.h"

#include <QFile>

#include <sys/stat.h>

namespace {

void deleteIconCopy(const QString& copy)
{
    if (!FileExists(copy)) return;
    SetFileAttributesA(copy, kAttrArchive);
    DeleteFileA(copy);
}

void setIcon(const QString& folder, const QString& settings, const IconChoice& icon)
{
    const QString copy = IconCopyPath(folder);
    const bool isCopy = IsIconCopy(folder, icon.file);
    const IconReference reference = IconReferenceFor(folder, icon.file);
    if (!icon.copy && !reference.copyNeeded) {
        if (isCopy)
            SetFileAttributesA(copy, kAttrHiddenArchive);
        else
            deleteIconCopy(copy);
        WriteIconKeys(settings, reference.text, icon.index);
        return;
    }
    if (!isCopy) deleteIconCopy(copy);
    WriteIconKeys(settings, kIconCopyName, icon.index);
    if (!isCopy) CopyFileA(icon.file, copy, 0);
    SetFileAttributesA(copy, kAttrHiddenArchive);
}

void removeIcon(const QString& folder, const QString& settings, bool hasTooltip)
{
    deleteIconCopy(IconCopyPath(folder));
    // An icon only Windows can find stays while the folder keeps a tooltip.
    if (hasTooltip && IsWindowsOnlyReference(ReadStoredIcon(settings).file)) return;
    IniDeleteKey(settings, kShellClassInfo, kKeyIconFile);
    IniDeleteKey(settings, kShellClassInfo, kKeyIconIndex);
    IniDeleteKey(settings, kShellClassInfo, kKeyIconResource);
}

} // namespace

CustomisationRefused CustomisationRefusal(const QString& folder)
{
    struct stat st;
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0) return CustomisationRefused::Missing;
    if (!S_ISDIR(st.st_mode)) return CustomisationRefused::NotAFolder;
    if (!files::canWriteInto(folder)) return CustomisationRefused::NotWritable;
    const QByteArray settings = QFile::encodeName(ResolvePathCase(SettingsFilePath(folder)));
    if (::lstat(settings.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return CustomisationRefused::SettingsNotAFile;
    return CustomisationRefused::None;
}

CustomisationRefused ApplyCustomisation(const QString& folder, const WantedCustomisation& wanted)
{
    if (const auto refused = CustomisationRefusal(folder); refused != CustomisationRefused::None)
        return refused;
    const QString settings = SettingsFilePath(folder);
    SetFileAttributesA(settings, kAttrNone);
    SetFileAttributesA(folder, kAttrNone);

    const QString tooltip
        = wanted.tooltip ? TooltipAsWritten(*wanted.tooltip) : ReadCustomisation(folder).tooltip;
    if (wanted.tooltip && !tooltip.isEmpty())
        IniWrite(settings, kShellClassInfo, kKeyInfoTip, tooltip);
    else if (wanted.tooltip)
        IniDeleteKey(settings, kShellClassInfo, kKeyInfoTip);

    if (!wanted.keepIcon && wanted.icon)
        setIcon(folder, settings, *wanted.icon);
    else if (!wanted.keepIcon)
        removeIcon(folder, settings, !tooltip.isEmpty());

    const bool hasIcon = !ReadStoredIcon(settings).file.isEmpty();
    if (tooltip.isEmpty() && !hasIcon) {
        // Only a file with nothing left in it goes; one that keeps other
        // keys stays unlocked, like the folder.
        if (!SettingsFileHasKeys(settings)) DeleteFileA(settings);
        return CustomisationRefused::None;
    }
    SetFileAttributesA(settings, kAttrHiddenArchive);
    if (hasIcon)
        SetFileAttributesA(
            folder, GetWinVersion() == QLatin1String("Me") ? kAttrSystemArchive : kAttrReadOnly);
    return CustomisationRefused::None;
}

StoredCustomisation ReadCustomisation(const QString& folder)
{
    const QString settings = SettingsFilePath(folder);
    if (!FileExists(settings)) return {};
    const StoredIcon icon = ReadStoredIcon(settings);
    return { IniRead(settings, kShellClassInfo, kKeyInfotipRead), icon.file, icon.index };
}
