// SPDX-License-Identifier: GPL-3.0-or-later
// Page navigation: Next, Back and Cancel across the three pages. The Next
// handler skips a step that fails and goes on with the next one.
#include "wizard/root.h"

#include "platform/app.h"
#include "platform/files/file_attributes.h"
#include "platform/icons/icon_api.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "store/recent_folders.h"
#include "sys/Dateiexistenz.h"
#include "sys/FileDirPath.h"
#include "sys/ListComboFind.h"

namespace {
const QString kNotFound = QStringLiteral("Die Symboldatei oder Bibliothek konnte nicht gefunden werden. ");
} // namespace

GridChoice root::gridChoice() const
{
    GridChoice c { IconFiles->path(), IconFiles->fileName(), IconCache->text(), {} };
    for (std::size_t i = 0; i < Bilddatei.size(); ++i)
        c.marks[i] = Bilddatei[i]->borderStyle();
    return c;
}

void root::keepChoiceOfSameFile(const GridChoice& before)
{
    // Re-committing the same file would reset the choice to its first icon;
    // the user's (or the stored) choice stays.
    if (IconFiles->listIndex() == -1 || IconFiles->path() != before.folder
        || IconFiles->fileName() != before.file)
        return;
    IconCache->setText(before.index);
    for (std::size_t i = 0; i < Bilddatei.size(); ++i)
        Bilddatei[i]->setBorderStyle(before.marks[i]);
}

void root::CWeiter_Click()
{
    if (PSet1->visible()) {
        leaveIntroduction();
    } else if (PSet2->visible()) {
        leaveTooltipPage();
    } else if (PSet3->visible()) {
        // There is no way back once the finish starts: clicks, keys and the
        // close box queued before or during it are dropped.
        takeOutOfReach();
        applyCustomisation();
    }
}

void root::leaveIntroduction()
{
    const QString settings = SettingsFilePath(Verzeichnis->caption());
    if (FileExists(settings)) Text1->setText(IniRead(settings, kShellClassInfo, kKeyInfotipRead));
    PSet2->setVisible(true);
    PSet1->setVisible(false);
    CZurück->setEnabled(true);
    Text1->SetFocus();
}

void root::leaveTooltipPage()
{
    const QString folder = Verzeichnis->caption();
    const QString settings = SettingsFilePath(folder);
    int enter = 13;
    Text2_KeyPress(enter);
    if (IconFiles->listIndex() < 1) {
        IconFiles->setListIndex(-1);
        ClearMarks();
    }
    Text2->Clear();
    LoadRecentFolders(Text2);
    StoredIcon stored = ReadStoredIcon(settings);
    restoredIconFile.clear();
    // A reference only Windows can resolve is no missing file: the page
    // shows no icon, and the finish keeps it unless everything goes.
    if (IsWindowsOnlyReference(stored.file)) stored.file.clear();
    if (!stored.file.isEmpty()) stored.file = StoredReferencePath(folder, stored.file);
    if (stored.file.isEmpty()) {
        if (Text2->listCount() > 0) Text2->setListIndex(0);
        CLöschen_Click();
    } else {
        restoreStoredIcon(folder, stored);
    }
    CCancel->setCancel(false);
    PSet3->setVisible(true);
    PSet2->setVisible(false);
    if (IconFiles->listIndex() != -1) {
        const GridChoice before = gridChoice();
        IconFiles_Click();
        keepChoiceOfSameFile(before);
    }
    IconFiles->SetFocus();
}

void root::restoreStoredIcon(const QString& folder, const StoredIcon& stored)
{
    for (QWidget* control : std::initializer_list<QWidget*> { CZurück, CWeiter, CCancel, Text1 })
        control->setEnabled(false);
    IconFiles->setHeightTwips(2220);
    QString storedFolder = GetFolderPart(stored.file);
    const QString name = GetFilePart(stored.file);
    if (storedFolder.size() >= 3 && storedFolder.endsWith(QLatin1Char('/'))) storedFolder.chop(1);
    if (FolderExists(storedFolder)) {
        Text2->setTag(kTagProgramChange);
        Text2->setText(storedFolder);
        ListFindText(Text2, storedFolder, -1, true, true);
        IconFiles->setPath(storedFolder);
        Text2->setTag(QString());
        Text2_Click();
    }
    // Only the icon copy itself brings the list to the target folder.
    if (name.compare(kIconCopyName, Qt::CaseInsensitive) == 0
        && FileExists(folder + QLatin1Char('/') + name)) {
        SetFileAttributesA(folder + QLatin1Char('/') + name, kAttrArchive);
        // Hidden again if the run ends without a finish, also by a kill.
        if (!unhiddenCopy.isOpen()) unhiddenCopy = FinishJournal::unhidden(folder);
        IconFiles->setPattern(kIconCopyName);
        IconFiles->setPath(folder + QLatin1Char('/'));
        Text2->setText(folder + QLatin1Char('/'));
        bKopieren->setValue(1);
    }
    if (!name.isEmpty()) {
        IconFiles->setEnabled(false);
        IconFiles->setVisible(false);
        for (int i = 0; i < IconFiles->listCount(); ++i) {
            IconFiles->setListIndex(i);
            if (IconFiles->fileName() == name) break;
        }
        IconFiles->setVisible(true);
        IconFiles->setEnabled(true);
    }
    if (IconFiles->fileName() == name) {
        restoredIconFile = IconFiles->filePath();
        const QString& index = stored.index;
        bool number = false;
        int cell = index.trimmed().toInt(&number);
        // A negative index names the icon by its resource id, as Windows
        // writes it; the grid counts positions.
        if (number && cell < 0) cell = icons::iconPositionOfId(IconFiles->filePath(), -cell);
        // A stored index that is no number is skipped. One beyond the grid
        // (chosen in the icon-choice dialog) is kept as it is, unmarked.
        if (!index.isEmpty() && IconFiles->listIndex() != -1 && number && !Bilddatei_Click(cell)
            && cell >= int(Bilddatei.size()))
            IconCache->setText(QString::number(cell));
    } else {
        if (IconFiles->listCount() > 0) IconFiles->setListIndex(0);
        IconFiles->setListIndex(-1);
        MsgBox(kNotFound, vbOKOnly | vbExclamation, kProgramName);
    }
    for (QWidget* control : std::initializer_list<QWidget*> { CZurück, CWeiter, CCancel, Text1 })
        control->setEnabled(true);
}

void root::CZurück_Click()
{
    if (PSet3->visible()) {
        CCancel->setCancel(true);
        PSet2->setVisible(true);
        PSet3->setVisible(false);
        Text1->SetFocus();
    } else if (PSet2->visible()) {
        PSet1->setVisible(true);
        PSet2->setVisible(false);
        CZurück->setEnabled(false);
    }
}

void root::hideRestoredCopyAgain()
{
    if (!unhiddenCopy.isOpen()) return;
    const QString copy = IconCopyPath(Verzeichnis->caption());
    if ((GetFileAttributesA(copy) & 0x27) == kAttrArchive) SetFileAttributesA(copy, kAttrHiddenArchive);
    unhiddenCopy.end();
}

void root::CCancel_Click()
{
    // Nothing is written: the window goes, pending messages run once, and the
    // program ends.
    Unload();
    DoEvents();
    EndProgram();
}
