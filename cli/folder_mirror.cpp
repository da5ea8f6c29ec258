// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_mirror.h"

#include "platform/files/case_paths.h"
#include "platform/files/opened_folder.h"
#include "store/folder_customisation.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "store/linux_icon.h"

namespace {

// An icon file the folder takes along: in it, or relative within its drive
// or share, as Windows itself names such a file. A file elsewhere is named
// by folder data that anybody who can write the folder wrote: it is not
// read for them.
bool travelsWithFolder(const QString& folder, const QString& reference, const QString& here)
{
    if (reference.compare(kIconCopyName, Qt::CaseInsensitive) == 0) return true;
    if (reference.startsWith(u'/')) return false;
    const IconReference ref = IconReferenceFor(folder, here);
    return !ref.copyNeeded && !ref.text.startsWith(u'/') && !IsWindowsOnlyReference(ref.text);
}

} // namespace

MirrorResult MirrorFolder(const QString& folder)
{
    using Kind = MirrorResult::Kind;
    const files::OpenedFolder opened(folder);
    // A plan that keeps everything: it refuses what the engine refuses, and
    // its steps (the Windows side) are dropped.
    WantedCustomisation keep;
    keep.keepIcon = true;
    CustomisationPlan plan = PlanCustomisation(folder, keep);
    if (plan.refused != CustomisationRefused::None)
        return { Kind::Failed, QStringLiteral("lässt sich nicht schreiben") };
    plan.steps.clear();
    const StoredCustomisation stored = ReadCustomisation(folder);
    if (stored.iconFile.isEmpty()) return { Kind::NoIcon, {} };
    const LinuxIcon icon = LinuxIconFor(folder, stored.iconFile, stored.iconIndex);
    if (icon.value.isEmpty()) return { Kind::Left, icon.whyNot };
    const QString here = ResolvePathCase(StoredReferencePath(folder, stored.iconFile));
    if (!travelsWithFolder(folder, stored.iconFile, here))
        return { Kind::Left,
            QStringLiteral("Das Symbol (%1) liegt nicht im Ordner oder auf seinem Laufwerk oder seiner Freigabe.")
                .arg(stored.iconFile) };
    const bool same = ReadLinuxIcon(folder) == icon.value;
    plan.after = stored;
    IconChoice choice;
    choice.file = icon.source.isEmpty() ? icon.image : icon.source;
    choice.index = stored.iconIndex;
    PlanLinuxIcon(plan, stored, choice);
    // gvfs's metadata is per user: it is written again even where the
    // folder's own files are already right.
    CarryOut(plan);
    if (ReadLinuxIcon(folder) != icon.value)
        return { Kind::Failed, QStringLiteral("nicht vollständig geschrieben: .directory") };
    return { same ? Kind::Unchanged : Kind::Mirrored, icon.value };
}
