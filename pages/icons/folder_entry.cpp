// SPDX-License-Identifier: GPL-3.0-or-later
// The folder box of the icon page, with its clear and browse buttons: a
// typed folder, a typed icon file's full path, a pick from the recent
// folders or a folder from the dialog reaches the file list and the grid.
// The box's click and key handlers and the browse button skip a step that
// fails and go on with the next one.
#include "wizard/root.h"

#include "pages/icons/BrowseFolders2k.h"
#include "platform/app.h"
#include "platform/net/smb_client.h"
#include "store/recent_folders.h"
#include "sys/Dateiexistenz.h"
#include "sys/FileDirPath.h"

namespace {
constexpr int kDrives = 17;
} // namespace

// At most one double quote is removed at each end.
void root::stripFolderBoxQuotes()
{
    if (Text2->text().startsWith(QLatin1Char('"'))) Text2->setText(Text2->text().mid(1));
    if (Text2->text().endsWith(QLatin1Char('"'))) Text2->setText(Text2->text().chopped(1));
}

void root::Text2_Click()
{
    stripFolderBoxQuotes();
    if (Text2->tag() == kTagProgramChange) return;
    // A recent folder the user picked is the user's choice: its server may be asked.
    net::nameServer(Text2->text());
    IconFiles->setPattern(kIconFilePatterns);
    IconFiles->setPath(Text2->text());
    ShowFileIcons();
    if (IconFiles->listCount() > 0 && IconFiles->listIndex() == -1) IconFiles->setListIndex(0);
    if (IconFiles->listCount() > 0) IconFiles->SetFocus();
}

void root::Text2_GotFocus()
{
    CCancel->setCancel(false);
}

void root::Text2_LostFocus()
{
    CCancel->setCancel(true);
}

void root::Text2_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 27) {
        CCancel_Click();
        return;
    }
    if (KeyAscii != 13) return;
    // A second Enter while a typed file is still being searched for (the
    // search lets pending events run) is dropped.
    if (PImage->testAttribute(Qt::WA_ForceDisabled)) return;
    stripFolderBoxQuotes();
    if (QString network; net::takeNetworkFolder(Text2->text(), network) == net::Parsed::Network)
        Text2->setText(network);

    // A typed file path: search the file's folder entry by entry, with the
    // list and the grid out of reach meanwhile.
    if (!FolderExists(Text2->text() + QLatin1Char('/')) && FileExists(Text2->text())) {
        const QString typed = Text2->text();
        // The folder part less its closing separator; a file in the root
        // keeps the root, the one drive here.
        const QString head = GetFolderPart(typed);
        const QString folder = head.size() > 1 ? head.chopped(1) : head;
        const QString name = GetFilePart(typed);
        const QString oldPath = IconFiles->path();
        const int oldIndex = IconFiles->listIndex();
        IconFiles->setPath(folder);
        PImage->setEnabled(false);
        IconFiles->setEnabled(false);
        const int count = IconFiles->listCount();
        for (int i = 0; i < count; ++i) {
            IconFiles->setListIndex(i);
            if (IconFiles->fileName() == name) {
                const int found = IconFiles->listIndex();
                Text2->setText(folder);
                DoEvents();
                IconFiles->setListIndex(found);
                IconFiles->setEnabled(true);
                PImage->setEnabled(true);
                return;
            }
        }
        IconFiles->setPath(oldPath);
        IconFiles->setListIndex(oldIndex);
        IconFiles->setEnabled(true);
        PImage->setEnabled(true);
        DoEvents();
    }

    if (!FolderExists(Text2->text())) {
        Text2->setText(QString());
        CÖffnen_Click();
        return;
    }
    IconFiles->setPattern(kIconFilePatterns);
    IconFiles->setPath(Text2->text()); // fails for an existing file; the list keeps its folder
    ShowFileIcons();
    if (IconFiles->listCount() > 0 && IconFiles->listIndex() == -1) IconFiles->setListIndex(0);
    Text2->setSelStart(0);
    Text2->setSelLength(int(Text2->text().size()));
    IconFiles->SetFocus();
}

void root::CLöschen_Click()
{
    bKopieren->setValue(0);
    IconFiles->setListIndex(-1);
    DoEvents();
    ClearPics();
    ClearMarks();
    IconFiles->setListIndex(-1);
    Bilddatei[0]->setBorderStyle(0);
}

void root::CÖffnen_Click()
{
    const QString folder = BrowseFolder(kDrives);
    if (folder.isEmpty()) return;
    ClearPics();
    ClearMarks();
    DoEvents();
    Text2->setText(folder);
    IconFiles->setPattern(kIconFilePatterns);
    IconFiles->setPath(Text2->text());
    IconFiles->Refresh();
    DoEvents();
    if (IconFiles->listCount() > 0 && IconFiles->listIndex() == -1) IconFiles->setListIndex(0);
    if (IconFiles->listCount() > 0) IconFiles->SetFocus();
}
