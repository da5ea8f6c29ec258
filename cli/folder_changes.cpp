// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_changes.h"

#include "cli/folder_report.h"
#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"
#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"
#include "store/folder_settings.h"
#include "store/linux_icon.h"

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
    case CustomisationRefused::SettingsTooLarge:
        return TooLargeText();
    case CustomisationRefused::None:
        break;
    }
    return {};
}

QString quoted(const QString& text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// What brings the folder from now to what the plan leaves, in words.
QStringList changesFrom(const QString& folder, const StoredCustomisation& now, const CustomisationPlan& plan)
{
    const StoredCustomisation& p = plan.after;
    QStringList what;
    if (p.tooltip != now.tooltip)
        what << (p.tooltip.isEmpty() ? QStringLiteral("Infotip entfernen")
                                     : QStringLiteral("Infotip %1").arg(quoted(p.tooltip)));
    if (p.iconFile != now.iconFile || p.iconIndex != now.iconIndex)
        what << (p.iconFile.isEmpty()
                ? QStringLiteral("Symbol entfernen")
                : QStringLiteral("Symbol %1").arg(quoted(p.iconFile + ',' + p.iconIndex)));
    const QString linuxIcon = ReadLinuxIcon(folder);
    for (const CustomisationStep& step : plan.steps) {
        const QString name = step.path.section(u'/', -1);
        if (step.kind == CustomisationStep::Kind::CopyFile)
            what << QStringLiteral("Desktop.ico aus %1 kopieren").arg(step.value);
        else if (step.kind == CustomisationStep::Kind::DeleteFile && (!plan.copies || name != kIconCopyName))
            what << QStringLiteral("%1 löschen").arg(name);
        else if (step.kind == CustomisationStep::Kind::LinuxImage)
            what << QStringLiteral("%1 aus %2,%3 schreiben").arg(name, step.value, step.key);
        else if (step.kind == CustomisationStep::Kind::LinuxIconKey && step.value != linuxIcon)
            what << (step.value.isEmpty() ? QStringLiteral("Linux-Symbol entfernen")
                                          : QStringLiteral("Linux-Symbol %1").arg(quoted(step.value)));
    }
    const bool settingsExists = files::pathExists(ResolvePathCase(SettingsFilePath(folder)));
    if (plan.removesSettings && settingsExists)
        what << QStringLiteral("Desktop.ini löschen, wenn nichts anderes darin steht");
    const DWORD bits = GetFileAttributesA(folder) & files::kDosBits;
    if (bits != plan.folderBits)
        what << QStringLiteral("Ordner-Attribute %1 → %2").arg(BitLetters(bits), BitLetters(plan.folderBits));
    return what;
}

} // namespace

FolderChange PlanChange(const QString& folder, const WantedCustomisation& wanted)
{
    const files::OpenedFolder opened(folder);
    const CustomisationPlan plan = PlanCustomisation(folder, wanted);
    if (plan.refused != CustomisationRefused::None) return { {}, refusalText(plan.refused) };
    return { changesFrom(folder, ReadCustomisation(folder), plan), {} };
}

FolderChange MakeChange(const QString& folder, const WantedCustomisation& wanted)
{
    // One opened folder for the plan, the changes and the read-back.
    const files::OpenedFolder opened(folder);
    const CustomisationPlan plan = PlanCustomisation(folder, wanted);
    if (plan.refused != CustomisationRefused::None) return { {}, refusalText(plan.refused) };
    const QStringList what = changesFrom(folder, ReadCustomisation(folder), plan);
    CarryOut(plan);
    // Every step skips what fails; the folder is done only when it holds
    // what was wanted.
    const StoredCustomisation after = ReadCustomisation(folder);
    QStringList missing;
    if (after.tooltip != plan.after.tooltip) missing << QStringLiteral("Infotip");
    if (after.iconFile != plan.after.iconFile || after.iconIndex != plan.after.iconIndex)
        missing << QStringLiteral("Symbol");
    if (plan.copies && !files::isRegularFile(ResolvePathCase(IconCopyPath(folder))))
        missing << QStringLiteral("Desktop.ico");
    if ((GetFileAttributesA(folder) & files::kDosBits) != plan.folderBits)
        missing << QStringLiteral("Ordner-Attribute");
    if (plan.linuxIcon && !plan.linuxIcon->isEmpty() && ReadLinuxIcon(folder) != *plan.linuxIcon)
        missing << QStringLiteral("Linux-Symbol");
    // Written as wanted, yet Windows may still not show it: the folder
    // counts as failed, with the reason; that reason also follows what
    // could not be written, unless the server said why.
    const QString notShown = NotShownAfter(plan, &after);
    if (!missing.isEmpty()) {
        const QString why = net::takeWriteFailure();
        return { {},
            QStringLiteral("nicht vollständig geschrieben: %1%2%3")
                .arg(missing.join(QStringLiteral(", ")),
                    why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why),
                    notShown.isEmpty() || !why.isEmpty() ? QString() : QStringLiteral(". ") + notShown) };
    }
    if (!notShown.isEmpty()) return { {}, notShown };
    return { what, {} };
}
