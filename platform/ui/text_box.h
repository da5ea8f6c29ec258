// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text box, single- or multi-line. Its text is held as the window sees it:
// a line break is a carriage return and a line feed, two characters. The
// change handler runs after every change, by the user or the program; the
// key handler runs before a typed character is applied.
#include "platform/ui/control.h"

#include <QPlainTextEdit>

namespace ui {

class TextBox : public InteractiveControl<QPlainTextEdit> {
public:
    TextBox(const QString& name, QWidget* container, bool multiLine);
    ~TextBox() override;

    QString text() const { return m_text; }
    void setText(const QString& text);
    int selStart() const;
    void setSelStart(int position);
    int selLength() const;
    void setSelLength(int length);
    QString selText() const;

    void detach() override
    {
        InteractiveControl::detach();
        Change = nullptr;
    }
    std::function<void()> Change;

    // Positions in the held text and in the editor's own text, which has a
    // single '\n' for each line break.
    static int toEditor(const QString& held, int position);
    static int toHeld(const QString& held, int editorPosition);
    static QString editorText(const QString& held);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void editorChanged();

    QString m_text;
    bool m_multiLine;
    bool m_settingText = false;
};

} // namespace ui
