// The finish: Next on the icon page writes what the user left on the pages
// into the target folder, records the icon source folder and ends the
// program. Each step that fails is skipped and the run goes on.
#include "wizard/root.h"

#include "platform/app.h"
#include "platform/files/file_api.h"
#include "store/IniFiles.h"
#include "store/Registry.h"
#include "store/finish_journal.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "store/recent_folders.h"
#include "sys/Dateiexistenz.h"
#include "sys/WinVersionen.h"

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
    if (iconSelected(IconFiles))
        wanted.icon = IconChoice { IconFiles->filePath(), IconCache->text(), bKopieren->value() != 0 };
    return wanted;
}

void root::applyCustomisation()
{
    const QString folder = Verzeichnis->caption();
    const QString settings = SettingsFilePath(folder);
    // The one case the user must hear of: nothing could be written at all.
    const bool writable = files::canWriteInto(folder);
    const DWORD targetBits = GetFileAttributesA(folder);
    if (targetBits != INVALID_FILE_ATTRIBUTES && !(targetBits & FILE_ATTRIBUTE_DIRECTORY)) {
        // A file given as the folder is left exactly as it is.
        MsgBox(kNotWritten, vbOKOnly | vbExclamation, caption());
        EndProgram();
        return;
    }

    // What the finish means to leave, completed at the next start if this
    // run does not get to its end.
    FinishJournal journal = FinishJournal::begin(folder, wantedCustomisation());
    SetFileAttributesA(settings, kAttrNone);
    SetFileAttributesA(folder, kAttrNone);
    DoEvents();

    applyTooltip(folder, settings);

    if (!Text2->text().isEmpty())
        RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder"), Text2->text());
    stripFolderBoxQuotes();

    if (iconSelected(IconFiles)) {
        const GridChoice before = gridChoice();
        int enter = 13;
        Text2_KeyPress(enter);
        keepChoiceOfSameFile(before);
        journal.update(wantedCustomisation());
    }
    if (iconSelected(IconFiles))
        applyIcon(folder, settings);
    else
        removeIcon(folder, settings);

    if (Text1->text().isEmpty() && !iconSelected(IconFiles)) removeSettingsFile(folder, settings);

    SaveRecentFolder(Text2, IconFiles->path(), folder);
    journal.end();
    if (!writable) MsgBox(kNotWritten, vbOKOnly | vbExclamation, caption());
    EndProgram();
}

void root::applyTooltip(const QString& folder, const QString& settings)
{
    if (!Text1->text().isEmpty()) {
        IniWrite(settings, kShellClassInfo, kKeyInfoTip, TooltipAsWritten(Text1->text()));
        SetFileAttributesA(settings, kAttrHiddenArchive);
        SetFileAttributesA(folder, kAttrReadOnly);
    } else {
        IniDeleteKey(settings, kShellClassInfo, kKeyInfoTip);
    }
}

void root::applyIcon(const QString& folder, const QString& settings)
{
    const QString copy = IconCopyPath(folder);
    const bool isCopy = IsIconCopy(folder, IconFiles->filePath());
    const IconReference reference = IconReferenceFor(folder, IconFiles->filePath());
    // Where Windows reads the folder but cannot reach the file, only a copy
    // works: the finish makes one as if the box were ticked.
    if (bKopieren->value() == 0 && !reference.copyNeeded) {
        SetFileAttributesA(folder, kAttrArchive);
        if (FileExists(copy)) SetFileAttributesA(copy, kAttrArchive);
        // The icon copy is deleted unless it is the very file being set.
        if (FileExists(copy) && !isCopy) DeleteFileA(copy);
        DoEvents();
        WriteIconKeys(settings, reference.text, IconCache->text());
        // The copy it names stays hidden, as any icon copy.
        if (isCopy) SetFileAttributesA(copy, kAttrHiddenArchive);
        DoEvents();
    } else {
        SetFileAttributesA(folder, kAttrArchive);
        if (FileExists(copy)) SetFileAttributesA(copy, kAttrArchive);
        // Copy or not is decided by the file: only the icon copy itself is
        // kept as it is; any other file, also one in the target folder, is
        // copied over it.
        if (!isCopy && FileExists(copy)) DeleteFileA(copy);
        DoEvents();
        WriteIconKeys(settings, kIconCopyName, IconCache->text());
        if (!isCopy) CopyFileA(IconFiles->filePath(), copy, 0);
        SetFileAttributesA(copy, kAttrHiddenArchive);
    }
    SetFileAttributesA(settings, kAttrHiddenArchive);
    SetFileAttributesA(folder, kAttrReadOnly);
    if (GetWinVersion() == QLatin1String("Me")) SetFileAttributesA(folder, kAttrSystemArchive);
}

void root::removeIcon(const QString& folder, const QString& settings)
{
    const QString copy = IconCopyPath(folder);
    SetFileAttributesA(folder, kAttrArchive);
    if (FileExists(copy)) SetFileAttributesA(copy, kAttrArchive);
    if (FileExists(copy)) DeleteFileA(copy);
    DoEvents();
    // An icon that only Windows can find (set there, as Explorer does) is
    // no choice of ours to undo: it goes only with the whole customisation.
    const bool keepWindowsIcon
        = !Text1->text().isEmpty() && IsWindowsOnlyReference(ReadStoredIcon(settings).file);
    if (!keepWindowsIcon) {
        IniDeleteKey(settings, kShellClassInfo, kKeyIconFile);
        IniDeleteKey(settings, kShellClassInfo, kKeyIconIndex);
        IniDeleteKey(settings, kShellClassInfo, kKeyIconResource);
    }
    DoEvents();
    // The folder keeps the mark that makes Windows read its icon.
    SetFileAttributesA(folder, keepWindowsIcon ? kAttrReadOnly : kAttrNone);
}

void root::removeSettingsFile(const QString& folder, const QString& settings)
{
    SetFileAttributesA(settings, kAttrNone);
    SetFileAttributesA(folder, kAttrNone);
    // Out of the user's reach for the rest of the run.
    hide();
    Sleep(5);
    DoEvents();
    // Only a file with nothing left in it goes: any key keeps it, a CLSID as
    // well as view settings that Windows keeps in other sections.
    if (!SettingsFileHasKeys(settings)) DeleteFileA(settings);
    DoEvents();
}
