// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An editable combo box: a text field and a drop-down list of items.
// Selecting an item, by the user or by the program, runs the click handler;
// setting the text runs none.
#include "platform/ui/control.h"
#include "platform/win_types.h"

#include <QComboBox>

#include <optional>

namespace ui {

class ComboBox : public InteractiveControl<QComboBox> {
public:
    ComboBox(const QString& name, QWidget* container);

    QString text() const;
    void setText(const QString& text);
    int selStart() const;
    void setSelStart(int position);
    int selLength() const;
    void setSelLength(int length);

    void Clear();
    void AddItem(const QString& item);
    int listCount() const { return count(); }
    QString list(int index) const { return itemText(index); }
    int listIndex() const { return m_listIndex; }
    // Selects the item (its text becomes the box's text) and runs the click
    // handler; -1 selects nothing and runs no handler. False for an index
    // outside the list.
    bool setListIndex(int index);

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    HWND hWnd() { return this; }

    // The name assistive technology gives the box and its edit field.
    void setSpokenName(const QString& name);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_listIndex = -1;
    QString m_tag;
    // Start and length of the edit selection while the box has no focus; the
    // edit field gets it back with the focus.
    std::optional<std::pair<int, int>> m_kept;
};

// The combo-box messages, over our combo box.
inline constexpr UINT CB_FINDSTRING = 0x14C;
inline constexpr UINT CB_SELECTSTRING = 0x14D;
inline constexpr UINT CB_FINDSTRINGEXACT = 0x158;
inline constexpr LRESULT CB_ERR = -1;

// Searches the items after `start` (-1: from the first), wrapping around,
// without regard to case: whole items for CB_FINDSTRINGEXACT, a prefix for
// the others; CB_SELECTSTRING also selects what it finds.
LRESULT SendMessageA(HWND window, UINT message, WPARAM start, const QString& text);

} // namespace ui
