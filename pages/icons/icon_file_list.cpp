// SPDX-License-Identifier: GPL-3.0-or-later
// The icon file list: the selected file's icons fill the grid with the first
// one chosen, and the folder box follows the list's folder.
#include "wizard/root.h"

#include "platform/app.h"
#include "platform/ui/accessibility.h"
#include "sys/WinVersionen.h"

void root::IconFiles_Click()
{
    ClearPics();
    ShowFileIcons();
    DoEvents();
    Bilddatei[0]->setBorderStyle(IconCounts->text().toInt() == 0 ? 0 : 1);
    IconCache->setText(QStringLiteral("0"));
    if (IconFiles->path() != Text2->text()) Text2->setText(IconFiles->path());
    if (GetWinVersion() != QLatin1String("Nt")) DoEvents();
}

void root::IconFiles_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 27) {
        CCancel_Click();
        return;
    }
    if (KeyAscii == 13) {
        CWeiter_Click();
        KeyAscii = 0;
        return;
    }
    // Away to Next and back, running both focus handlers; the list then
    // applies the key itself, so a letter selects the next entry with it.
    // A screen reader hears neither move: for the user the focus stays.
    const ui::QuietFocus quiet;
    CWeiter->SetFocus();
    DoEvents();
    IconFiles->SetFocus();
}

void root::IconFiles_GotFocus()
{
    CCancel->setCancel(false);
}

void root::IconFiles_LostFocus()
{
    CCancel->setCancel(true);
}
