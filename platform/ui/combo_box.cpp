// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/combo_box.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

ComboBox::ComboBox(const QString& name, QWidget* container)
    : InteractiveControl(name, QStringLiteral("combo box"), container)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMaxVisibleItems(8);
    lineEdit()->installEventFilter(this);
    // Typing leaves no item selected.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_listIndex = -1; });
    // A new text has no kept selection.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { m_kept.reset(); });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_listIndex = index;
        runClick();
    });
}

QString ComboBox::text() const
{
    return lineEdit()->text();
}

void ComboBox::setText(const QString& text)
{
    lineEdit()->setText(text);
    m_listIndex = -1;
}

int ComboBox::selStart() const
{
    if (m_kept && !hasFocus()) return m_kept->first;
    return lineEdit()->hasSelectedText() ? lineEdit()->selectionStart() : lineEdit()->cursorPosition();
}

void ComboBox::setSelStart(int position)
{
    const int at = std::clamp(position, 0, int(text().size()));
    if (!hasFocus())
        m_kept = { at, 0 };
    else
        lineEdit()->setCursorPosition(at);
}

int ComboBox::selLength() const
{
    if (m_kept && !hasFocus()) return m_kept->second;
    return int(lineEdit()->selectedText().size());
}

void ComboBox::setSelLength(int length)
{
    const int start = selStart();
    const int clamped = std::clamp(length, 0, int(text().size()) - start);
    if (!hasFocus())
        m_kept = { start, clamped };
    else
        lineEdit()->setSelection(start, clamped);
}

void ComboBox::Clear()
{
    const QString keep = text();
    clear();
    m_listIndex = -1;
    lineEdit()->setText(keep);
}

void ComboBox::AddItem(const QString& item)
{
    const QString keep = text();
    const bool wasEmpty = count() == 0;
    addItem(item);
    // Adding items never changes the text or the selection.
    if (wasEmpty || m_listIndex < 0) {
        setCurrentIndex(-1);
        lineEdit()->setText(keep);
    }
}

bool ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count()) return false;
    m_listIndex = index;
    if (index < 0) {
        const QString keep = text();
        setCurrentIndex(-1);
        lineEdit()->setText(keep);
        return true;
    }
    setCurrentIndex(index);
    lineEdit()->setText(itemText(index));
    runClick();
    return true;
}

void ComboBox::setSpokenName(const QString& name)
{
    setAccessibleName(name);
    lineEdit()->setAccessibleName(name);
}

void ComboBox::focusInEvent(QFocusEvent* event)
{
    if (m_kept) lineEdit()->setSelection(m_kept->first, m_kept->second);
    m_kept.reset();
    InteractiveControl::focusInEvent(event);
}

void ComboBox::focusOutEvent(QFocusEvent* event)
{
    // The edit field keeps its selection while the focus is elsewhere, as
    // SelStart and SelLength report it, but shows it only with the focus:
    // a highlighted text or a caret elsewhere would look like the focus.
    const std::pair<int, int> kept(selStart(), selLength());
    QComboBox::focusOutEvent(event);
    if (!hasFocus()) m_kept = kept;
    notifyFocusOut();
}

void ComboBox::keyPressEvent(QKeyEvent* event)
{
    if (keyAsciiOf(event) < 0) {
        QComboBox::keyPressEvent(event);
        return;
    }
    runKeyPress(event, [this](QKeyEvent* e) {
        const int c = keyAsciiOf(e);
        if (c == 13 || c == 27) return;
        QComboBox::keyPressEvent(e);
    });
}

bool ComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyAsciiOf(key);
        if (code < 0) return QComboBox::eventFilter(watched, event);
        const bool applied = runKeyPress(key, [this](QKeyEvent* e) {
            const int c = keyAsciiOf(e);
            // The box itself does nothing with Enter or Esc.
            if (c == 13 || c == 27) return;
            lineEdit()->event(e);
        });
        (void)applied;
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM start, const QString& text)
{
    auto* combo = dynamic_cast<ComboBox*>(window);
    if (!combo) return CB_ERR;
    const int n = combo->listCount();
    if (n == 0) return CB_ERR;
    const bool exact = message == CB_FINDSTRINGEXACT;
    if (!exact && message != CB_FINDSTRING && message != CB_SELECTSTRING) return CB_ERR;
    const int from = (static_cast<std::intptr_t>(start) < 0 || int(start) >= n) ? -1 : int(start);
    for (int k = 1; k <= n; ++k) {
        const int i = (from + k) % n;
        const QString item = combo->list(i);
        const bool hit = exact ? item.compare(text, Qt::CaseInsensitive) == 0
                               : item.startsWith(text, Qt::CaseInsensitive);
        if (hit) {
            if (message == CB_SELECTSTRING) combo->setListIndex(i);
            return i;
        }
    }
    return CB_ERR;
}

} // namespace ui
