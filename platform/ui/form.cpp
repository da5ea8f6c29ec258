// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/form.h"

#include "platform/app.h"
#include "platform/net/call_waiter.h"
#include "platform/ui/controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace ui {

Form::Form(const QString& name)
    : m_name(name)
{
    setObjectName(name);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    qApp->installEventFilter(this);
}

Form::~Form()
{
    qApp->removeEventFilter(this);
    // The controls outlive the window's own part; no handler may run now.
    for (Control* c : m_controls)
        c->detach();
}

void Form::setClientTwips(int width, int height)
{
    setFixedSize(px(width), px(height));
}

void Form::centreOnScreen()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void Form::registerControl(Control* control)
{
    m_controls.append(control);
}

void Form::applyTabOrder()
{
    QList<Control*> ordered;
    for (Control* c : m_controls) {
        if (c->tabIndex() >= 0 && c->widget()->focusPolicy() != Qt::NoFocus) ordered.append(c);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
        [](const Control* a, const Control* b) { return a->tabIndex() < b->tabIndex(); });
    for (qsizetype i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1]->widget(), ordered[i]->widget());
}

void Form::Unload()
{
    if (Unloading) Unloading();
    m_unloaded = true;
    hide();
}

bool Form::escapePressesCancel() const
{
    return m_cancelButton && m_cancelButton->cancel() && m_cancelButton->isEnabled()
        && m_cancelButton->isVisible();
}

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

void Form::closeEvent(QCloseEvent* event)
{
    if (m_outOfReach) {
        event->ignore();
        return;
    }
    // The close box ends the program like Cancel; the window has no handler
    // of its own for being closed.
    event->accept();
    Unload();
    DoEvents();
    EndProgram();
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    // Input queued before or during the finish is dropped, not delayed.
    if (m_outOfReach) return isUserInput(event->type());
    if (!m_waitingFor.isEmpty() && isUserInput(event->type())) {
        // Waiting for a server, the window takes Cancel alone, whatever its state.
        const bool cancel = (event->type() == QEvent::MouseButtonRelease && widget == m_cancelButton)
            || (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape);
        if (cancel && m_cancelButton && m_cancelButton->Click) m_cancelButton->Click();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && escapePressesCancel()) {
        if (m_cancelButton->Click) m_cancelButton->Click();
        return true;
    }
    // Alt with a letter that no access key took: a key that means a command
    // types nothing.
    const Qt::KeyboardModifiers mods = key->modifiers();
    return mods.testFlag(Qt::AltModifier) && !mods.testFlag(Qt::ControlModifier) && !key->text().isEmpty()
        && key->text().at(0).isPrint();
}

void Form::keepAliveWhileServersAnswer()
{
    net::setCallWaiter([this](const QString& server, const std::function<bool()>& ended, int ms) {
        const QString title = windowTitle();
        const bool outer = m_waitingFor.isEmpty();
        m_waitingFor = server;
        setWindowTitle(QStringLiteral("Warte auf \\\\%1 …").arg(server));
        QApplication::setOverrideCursor(Qt::BusyCursor);
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        QTimer tick;
        tick.callOnTimeout([&] {
            if (ended() || clock.elapsed() >= ms) loop.quit();
        });
        tick.start(10);
        loop.exec();
        QApplication::restoreOverrideCursor();
        setWindowTitle(title);
        if (outer) m_waitingFor.clear();
    });
}

} // namespace ui
