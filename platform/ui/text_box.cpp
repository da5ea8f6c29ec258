// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/text_box.h"

#include <QKeyEvent>
#include <QTextBlock>

namespace ui {

TextBox::TextBox(const QString& name, QWidget* container, bool multiLine)
    : InteractiveControl(name, QStringLiteral("text box"), container)
    , m_multiLine(multiLine)
{
    setTabChangesFocus(true);
    setLineWrapMode(multiLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (!multiLine) {
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    document()->setDocumentMargin(1);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { editorChanged(); });
}

TextBox::~TextBox()
{
    disconnect(this, nullptr, this, nullptr);
}

QString TextBox::editorText(const QString& held)
{
    QString out;
    out.reserve(held.size());
    for (qsizetype i = 0; i < held.size(); ++i) {
        const QChar c = held.at(i);
        if (c == u'\r') {
            if (i + 1 < held.size() && held.at(i + 1) == u'\n') {
                out += u'\n';
                ++i;
            }
            continue; // a lone carriage return shows nothing
        }
        out += c;
    }
    return out;
}

int TextBox::toEditor(const QString& held, int position)
{
    int editor = 0;
    for (qsizetype i = 0; i < held.size() && i < position; ++i) {
        const QChar c = held.at(i);
        if (c == u'\r') {
            if (i + 1 < held.size() && held.at(i + 1) == u'\n') {
                if (i + 1 < position) ++editor;
                ++i;
            }
            continue;
        }
        ++editor;
    }
    return editor;
}

int TextBox::toHeld(const QString& held, int editorPosition)
{
    int editor = 0;
    qsizetype i = 0;
    while (i < held.size() && editor < editorPosition) {
        if (held.at(i) == u'\r') {
            if (i + 1 < held.size() && held.at(i + 1) == u'\n') {
                i += 2;
                ++editor;
            } else {
                ++i;
            }
            continue;
        }
        ++i;
        ++editor;
    }
    return int(i);
}

void TextBox::setText(const QString& text)
{
    if (text == m_text) return;
    m_text = text;
    m_settingText = true;
    setPlainText(editorText(m_text));
    m_settingText = false;
    if (Change) Change();
}

void TextBox::editorChanged()
{
    if (m_settingText) return;
    QString held = toPlainText();
    if (m_multiLine) held.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (held == m_text) return;
    m_text = held;
    if (Change) Change();
}

int TextBox::selStart() const
{
    const QTextCursor c = textCursor();
    return toHeld(m_text, c.selectionStart());
}

void TextBox::setSelStart(int position)
{
    QTextCursor c = textCursor();
    c.setPosition(toEditor(m_text, std::clamp(position, 0, int(m_text.size()))));
    setTextCursor(c);
}

int TextBox::selLength() const
{
    const QTextCursor c = textCursor();
    return toHeld(m_text, c.selectionEnd()) - toHeld(m_text, c.selectionStart());
}

void TextBox::setSelLength(int length)
{
    const int start = selStart();
    const int end = std::clamp(start + length, 0, int(m_text.size()));
    QTextCursor c = textCursor();
    c.setPosition(toEditor(m_text, start));
    c.setPosition(toEditor(m_text, end), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString TextBox::selText() const
{
    return m_text.mid(selStart(), selLength());
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    runKeyPress(event, [this](QKeyEvent* e) {
        const int code = keyAsciiOf(e);
        if (code == 13 && !m_multiLine) return; // a single-line box takes no line break
        if (code == 27) return;
        QPlainTextEdit::keyPressEvent(e);
    });
}

} // namespace ui
