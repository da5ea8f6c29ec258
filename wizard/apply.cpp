// SPDX-License-Identifier: GPL-3.0-or-later
// The finish: Next on the icon page writes what the user left on the pages
// into the target folder, records the icon source folder and ends the
// program. Each step that fails is skipped and the run goes on.
#include "wizard/root.h"

#include "platform/app.h"
#include "platform/files/file_api.h"
#include "store/Registry.h"
#include "store/finish_journal.h"
#include "store/folder_customisation.h"
#include "store/folder_settings.h"
#include "store/linux_icon.h"
#include "store/recent_folders.h"
#include "store/windows_view.h"

namespace {
const QString kNotWritten
    = QStringLiteral("Die Einstellungen konnten nicht in den Ordner geschrieben werden.");

bool iconSelected(const ui::FileListBox* list)
{
    return list->listIndex() != -1;
}
} // namespace

WantedCustomisation root::wantedCustomisation() const
{
    WantedCustomisation wanted;
    wanted.tooltip = Text1->text();
    if (iconSelected(IconFiles)) {
        const QString file = IconFiles->filePath();
        wanted.icon = IconChoice {
            file, IconCache->text(), bKopieren->value() != 0, file != restoredIconFile, WizardWritesLinuxIcon() };
    }
    return wanted;
}

void root::applyCustomisation()
{
    const QString folder = Verzeichnis->caption();
    const DWORD targetBits = GetFileAttributesA(folder);
    if (targetBits != INVALID_FILE_ATTRIBUTES && !(targetBits & FILE_ATTRIBUTE_DIRECTORY)) {
        // A file given as the folder is left exactly as it is.
        MsgBox(kNotWritten, vbOKOnly | vbExclamation, kProgramName);
        EndProgram();
        return;
    }

    if (!Text2->text().isEmpty())
        RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder"), Text2->text());
    stripFolderBoxQuotes();
    // The folder box is committed once more before anything is decided: it
    // may change or clear the selected file.
    if (iconSelected(IconFiles)) {
        const GridChoice before = gridChoice();
        int enter = 13;
        Text2_KeyPress(enter);
        keepChoiceOfSameFile(before);
    }

    const WantedCustomisation wanted = wantedCustomisation();
    const CustomisationPlan plan = PlanCustomisation(folder, wanted, true);
    // What the finish means to leave, completed at the next start if this
    // run does not get to its end.
    FinishJournal journal = FinishJournal::begin(plan, wanted);
    // From here the finish's own journal speaks for the icon copy.
    unhiddenCopy.end();
    CarryOut(plan, [this](CustomisationStep::Kind kind) {
        if (kind == CustomisationStep::Kind::Wait) {
            // Out of the user's reach for the rest of the run.
            hide();
            Sleep(5);
        }
        DoEvents();
    });

    SaveRecentFolder(Text2, IconFiles->path(), folder);
    journal.end();
    if (plan.refused != CustomisationRefused::None) {
        // Nothing could be written at all.
        MsgBox(kNotWritten, vbOKOnly | vbExclamation, kProgramName);
    } else if (const QString why = NotShownAfter(plan); !why.isEmpty()) {
        // Written, but Windows will not show it (or still shows the old one).
        MsgBox(why, vbOKOnly | vbExclamation, kProgramName);
    }
    EndProgram();
}
