// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/control.h"

#include "platform/ui/form.h"

#include <QKeyEvent>

namespace ui {

QFont makeFont(const QString& family, double points, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

Control::Control(QString name, QString type, QWidget* self)
    : m_name(std::move(name))
    , m_type(std::move(type))
    , m_self(self)
{
    m_self->setObjectName(m_name);
    if (auto* form = dynamic_cast<Form*>(m_self->window())) form->registerControl(this);
}

Control::~Control() = default;

void Control::setTwips(int left, int top, int width, int height)
{
    m_twips = QRect(left, top, width, height);
    m_self->setGeometry(px(left), px(top), px(width), px(height));
}

bool Control::SetFocus()
{
    for (QWidget* w = m_self; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->isHidden() || !w->isEnabled()) return false;
    }
    if (m_self->focusPolicy() == Qt::NoFocus) return false;
    m_self->setFocus(Qt::OtherFocusReason);
    return true;
}

void Control::detach()
{
    GotFocus = nullptr;
    LostFocus = nullptr;
    KeyPress = nullptr;
}

void Control::notifyFocusIn()
{
    if (GotFocus) GotFocus();
}

void Control::notifyFocusOut()
{
    if (LostFocus) LostFocus();
}

int keyAsciiOf(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || event->modifiers().testFlag(Qt::AltModifier)) return -1;
    return text.at(0).unicode();
}

Control::KeyVerdict Control::filterKey(QKeyEvent* event, int* replacement)
{
    const int code = keyAsciiOf(event);
    if (code < 0 || !KeyPress) return KeyVerdict::Pass;
    int key = code;
    KeyPress(key);
    if (key == 0) return KeyVerdict::Swallow;
    if (key != code) {
        *replacement = key;
        return KeyVerdict::Replace;
    }
    return KeyVerdict::Pass;
}

bool Control::runKeyPress(QKeyEvent* event, const std::function<void(QKeyEvent*)>& apply)
{
    int replacement = 0;
    switch (filterKey(event, &replacement)) {
    case KeyVerdict::Swallow:
        return false;
    case KeyVerdict::Replace: {
        QKeyEvent changed(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(replacement)));
        apply(&changed);
        return true;
    }
    case KeyVerdict::Pass:
        break;
    }
    apply(event);
    return true;
}

} // namespace ui
