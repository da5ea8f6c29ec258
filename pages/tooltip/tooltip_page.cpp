// SPDX-License-Identifier: GPL-3.0-or-later
// The tooltip page: the tooltip box holds at most 120 characters and the
// counter beside it shows how many are left.
#include "wizard/root.h"

namespace {
constexpr int kTooltipLimit = 120;
}

void root::Text1_Change()
{
    if (Text1->text().size() >= kTooltipLimit) {
        Text1->setText(Text1->text().left(kTooltipLimit));
        Text1->setSelStart(int(Text1->text().size()));
    }
    LLänge->setCaption(QString::number(kTooltipLimit - Text1->text().size()));
}

// Runs before the key is applied: at the limit the caret goes to the end
// first, so a typed character lands at the end and is cut away again.
void root::Text1_KeyPress(int& KeyAscii)
{
    (void)KeyAscii;
    Text1_Change();
}
