// SPDX-License-Identifier: GPL-3.0-or-later
// Wires the controls' events to the window's handlers.
#include "wizard/root.h"

void root::connectHandlers()
{
    CWeiter->Click = [this] { CWeiter_Click(); };
    CZurück->Click = [this] { CZurück_Click(); };
    CCancel->Click = [this] { CCancel_Click(); };
    // Cancel and the close box: a run that finished nothing leaves nothing visible.
    Unloading = [this] { hideRestoredCopyAgain(); };

    Text1->Change = [this] { Text1_Change(); };
    Text1->KeyPress = [this](int& key) { Text1_KeyPress(key); };
    LLänge->Change = [this] { describeCharactersLeft(); };

    Text2->Click = [this] { Text2_Click(); };
    Text2->GotFocus = [this] { Text2_GotFocus(); };
    Text2->LostFocus = [this] { Text2_LostFocus(); };
    Text2->KeyPress = [this](int& key) { Text2_KeyPress(key); };
    CLöschen->Click = [this] { CLöschen_Click(); };
    CÖffnen->Click = [this] { CÖffnen_Click(); };

    IconFiles->Click = [this] { IconFiles_Click(); };
    IconFiles->GotFocus = [this] { IconFiles_GotFocus(); };
    IconFiles->LostFocus = [this] { IconFiles_LostFocus(); };
    IconFiles->KeyPress = [this](int& key) { IconFiles_KeyPress(key); };

    for (int i = 0; i < int(Bilddatei.size()); ++i)
        Bilddatei[i]->Click = [this, i] { Bilddatei_Click(i); };
    bKopieren->Click = [this] { bKopieren_Click(); };
}
