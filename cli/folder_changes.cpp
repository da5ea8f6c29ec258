#include "cli/folder_changes.h"

#include "cli/folder_report.h"
#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"
#include "platform/files/profile_keys.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "sys/WinVersionen.h"

#include <QFileInfo>

namespace {

QString refusalText(CustomisationRefused refused)
{
    switch (refused) {
    case CustomisationRefused::Missing:
        return QStringLiteral("gibt es nicht");
    case CustomisationRefused::NotAFolder:
        return QStringLiteral("ist kein Ordner");
    case CustomisationRefused::NotWritable:
        return QStringLiteral("darf nicht geschrieben werden (Rechte oder schreibgeschützt eingehängt)");
    case CustomisationRefused::SettingsNotAFile:
        return QStringLiteral("Desktop.ini ist ein Verweis oder keine gewöhnliche Datei; nichts geändert");
    case CustomisationRefused::None:
        break;
    }
    return {};
}

QString quoted(const QString& text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// The reference the engine writes for icon (the icon copy itself is
// "Desktop.ico" either way).
QString plannedReference(const QString& folder, const IconChoice& icon)
{
    const IconReference reference = IconReferenceFor(folder, icon.file);
    return icon.copy || reference.copyNeeded ? kIconCopyName : reference.text;
}

struct Planned {
    QString tooltip;
    QString iconFile;
    QString iconIndex;
};

Planned plannedState(const QString& folder, const StoredCustomisation& now, const WantedCustomisation& wanted)
{
    // The tooltip as it reads back: TooltipAsWritten quotes what needs it.
    Planned p { wanted.tooltip ? TooltipOnOneLine(*wanted.tooltip) : now.tooltip, now.iconFile,
        now.iconIndex };
    if (wanted.keepIcon) return p;
    if (wanted.icon) return { p.tooltip, plannedReference(folder, *wanted.icon), wanted.icon->index };
    // An icon only Windows can find stays while the folder keeps a tooltip.
    if (p.tooltip.isEmpty() || !IsWindowsOnlyReference(now.iconFile)) p.iconFile.clear(), p.iconIndex.clear();
    return p;
}

DWORD plannedFolderBits(const Planned& p)
{
    if (p.iconFile.isEmpty()) return kAttrNone;
    return GetWinVersion() == QLatin1String("Me") ? kAttrSystemArchive : kAttrReadOnly;
}

// What brings the folder from now to p, in words.
QStringList changesFrom(const QString& folder, const StoredCustomisation& now, const Planned& p,
    const WantedCustomisation& wanted)
{
    QStringList what;
    if (p.tooltip != now.tooltip)
        what << (p.tooltip.isEmpty() ? QStringLiteral("Infotip entfernen")
                                     : QStringLiteral("Infotip %1").arg(quoted(p.tooltip)));
    if (p.iconFile != now.iconFile || p.iconIndex != now.iconIndex)
        what << (p.iconFile.isEmpty()
                ? QStringLiteral("Symbol entfernen")
                : QStringLiteral("Symbol %1").arg(quoted(p.iconFile + ',' + p.iconIndex)));
    const bool copyExists = QFileInfo::exists(ResolvePathCase(IconCopyPath(folder)));
    if (!wanted.keepIcon && wanted.icon && p.iconFile == kIconCopyName
        && !IsIconCopy(folder, wanted.icon->file))
        what << QStringLiteral("Desktop.ico aus %1 kopieren").arg(wanted.icon->file);
    else if (!wanted.keepIcon && !wanted.icon && copyExists)
        what << QStringLiteral("Desktop.ico löschen");
    const bool settingsExists = QFileInfo::exists(ResolvePathCase(SettingsFilePath(folder)));
    if (p.tooltip.isEmpty() && p.iconFile.isEmpty() && settingsExists)
        what << QStringLiteral("Desktop.ini löschen, wenn nichts anderes darin steht");
    const DWORD bits = GetFileAttributesA(folder) & files::kDosBits;
    if (bits != plannedFolderBits(p))
        what << QStringLiteral("Ordner-Attribute %1 → %2")
                    .arg(BitLetters(bits), BitLetters(plannedFolderBits(p)));
    return what;
}

} // namespace

FolderChange PlanChange(const QString& folder, const WantedCustomisation& wanted)
{
    if (const auto refused = CustomisationRefusal(folder); refused != CustomisationRefused::None)
        return { {}, refusalText(refused) };
    if (ProfileTooLarge(SettingsFilePath(folder))) return { {}, TooLargeText() };
    const StoredCustomisation now = ReadCustomisation(folder);
    return { changesFrom(folder, now, plannedState(folder, now, wanted), wanted), {} };
}

FolderChange MakeChange(const QString& folder, const WantedCustomisation& wanted)
{
    // Nothing is touched: the engine's other steps would go on around a
    // settings file that is never written.
    if (ProfileTooLarge(SettingsFilePath(folder))) return { {}, TooLargeText() };
    const StoredCustomisation before = ReadCustomisation(folder);
    const Planned p = plannedState(folder, before, wanted);
    const QStringList what = changesFrom(folder, before, p, wanted);
    if (const auto refused = ApplyCustomisation(folder, wanted); refused != CustomisationRefused::None)
        return { {}, refusalText(refused) };
    // Every step skips what fails; the folder is done only when it holds
    // what was wanted.
    const StoredCustomisation after = ReadCustomisation(folder);
    QStringList missing;
    if (after.tooltip != p.tooltip) missing << QStringLiteral("Infotip");
    if (after.iconFile != p.iconFile || after.iconIndex != p.iconIndex) missing << QStringLiteral("Symbol");
    if (p.iconFile == kIconCopyName && !QFileInfo(ResolvePathCase(IconCopyPath(folder))).isFile())
        missing << QStringLiteral("Desktop.ico");
    if ((GetFileAttributesA(folder) & files::kDosBits) != plannedFolderBits(p))
        missing << QStringLiteral("Ordner-Attribute");
    if (!missing.isEmpty())
        return { {},
            QStringLiteral("nicht vollständig geschrieben: %1").arg(missing.join(QStringLiteral(", "))) };
    return { what, {} };
}
