// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one window: fixed size, absolute placement in twips, a cancel button
// that the Esc key presses, and a close box that ends the program.
#include "platform/ui/control.h"

#include <QList>
#include <functional>
#include <QWidget>

namespace ui {

class CommandButton;

class Form : public QWidget {
public:
    explicit Form(const QString& name);
    ~Form() override;

    QString caption() const { return windowTitle(); }
    void setCaption(const QString& text) { setWindowTitle(text); }
    // The client area in twips; the window keeps this size.
    void setClientTwips(int width, int height);
    void centreOnScreen();

    // Every control of the window, in creation order.
    void registerControl(Control* control);
    const QList<Control*>& controls() const { return m_controls; }
    // Chains the focus order by tab index, lowest first.
    void applyTabOrder();

    // Hides the window for good; the process goes on until the program ends.
    void Unload();
    // Runs when the window is unloaded (Cancel, the close box).
    std::function<void()> Unloading;
    bool unloaded() const { return m_unloaded; }

    // From now until the program ends, no click, key or close box reaches
    // the window or its controls; pending events (paints) still run. Other
    // windows (a message box) stay usable.
    void takeOutOfReach() { m_outOfReach = true; }
    bool outOfReach() const { return m_outOfReach; }

    // Whether Esc presses this button (its Cancel property).
    void setCancelButton(CommandButton* button) { m_cancelButton = button; }
    CommandButton* cancelButton() const { return m_cancelButton; }
    // True when Esc would now press the cancel button.
    bool escapePressesCancel() const;

    // While a call to a server runs on this thread, the window stays alive:
    // it repaints, shows a busy cursor and names the server in its title,
    // its status line, and takes only Cancel (a click on the cancel button,
    // or Esc). The server's name while it waits, else empty.
    void keepAliveWhileServersAnswer();
    QString waitingFor() const { return m_waitingFor; }

protected:
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_name;
    QList<Control*> m_controls;
    CommandButton* m_cancelButton = nullptr;
    bool m_unloaded = false;
    bool m_outOfReach = false;
    QString m_waitingFor;
};

} // namespace ui
