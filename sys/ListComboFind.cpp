// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/ListComboFind.h"

LONG ListFindText(ui::ComboBox* combo, const QString& text, LONG start, bool select, bool exact)
{
    const WPARAM from = static_cast<WPARAM>(static_cast<std::intptr_t>(start));
    if (exact) {
        const LRESULT found = ui::SendMessageA(combo->hWnd(), ui::CB_FINDSTRINGEXACT, from, text);
        if (select) combo->setListIndex(static_cast<std::int16_t>(found));
        return LONG(found);
    }
    const UINT message = select ? ui::CB_SELECTSTRING : ui::CB_FINDSTRING;
    return LONG(ui::SendMessageA(combo->hWnd(), message, from, text));
}
