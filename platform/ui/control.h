// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window toolkit: controls placed in twips, with the behaviours the
// window's handlers rely on. Each control is a Qt widget plus this small
// record of its design-time facts (name, type, twip geometry, tab index).
#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dots per inch, rounded to the nearest pixel.
constexpr int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// Font sizes in points become pixel sizes at 96 dots per inch, so that the
// window looks the same whatever dpi the display reports.
QFont makeFont(const QString& family, double points, bool bold = false, bool italic = false);

class Form;

class Control {
public:
    Control(QString name, QString type, QWidget* self);
    virtual ~Control();

    const QString& name() const { return m_name; }
    const QString& type() const { return m_type; }
    QWidget* widget() const { return m_self; }

    // Place in twips relative to the container: left, top, width, height.
    void setTwips(int left, int top, int width, int height);
    QRect twips() const { return m_twips; }

    int tabIndex() const { return m_tabIndex; }
    void setTabIndex(int index) { m_tabIndex = index; }

    bool visible() const { return !m_self->isHidden(); }
    bool enabled() const { return !m_self->testAttribute(Qt::WA_ForceDisabled); }

    // Moves the focus here. Fails without effect on a control that is hidden,
    // disabled, or whose container is.
    bool SetFocus();

    // Drops every handler: the window is going, and its handlers with it.
    virtual void detach();

    // Whether assistive technology sees the control at all: the window's
    // hidden holders of state are nothing a user can reach.
    bool shownToAssistiveTechnology() const { return m_shownToAssistiveTechnology; }
    void hideFromAssistiveTechnology() { m_shownToAssistiveTechnology = false; }

    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    // Runs for a character key before the control applies it; setting the
    // code to 0 swallows the key.
    std::function<void(int& keyAscii)> KeyPress;

    // Called from the widgets' event handlers.
    void notifyFocusIn();
    void notifyFocusOut();
    // Runs the key handler for a key press and applies the key with `apply`
    // unless the handler swallowed it; a changed code is applied as that
    // character. Returns false when the key was swallowed.
    bool runKeyPress(class QKeyEvent* event, const std::function<void(class QKeyEvent*)>& apply);

private:
    enum class KeyVerdict { Pass, Swallow, Replace };
    KeyVerdict filterKey(class QKeyEvent* event, int* replacement);

    QString m_name;
    QString m_type;
    QWidget* m_self;
    QRect m_twips;
    int m_tabIndex = -1;
    bool m_shownToAssistiveTechnology = true;
};

// The character code of a key press as the window's key handlers see it, or
// -1 for a key that produces no character (arrows, function keys, ...).
int keyAsciiOf(const class QKeyEvent* event);

// A control built on a Qt widget that takes the focus and keys: its focus
// events reach the focus handlers, a typed character reaches the key handler
// before the widget, and it has a click handler.
template <typename Widget> class InteractiveControl : public Widget, public Control {
public:
    InteractiveControl(const QString& name, const QString& type, QWidget* container)
        : Widget(container)
        , Control(name, type, this)
    {
    }

    void detach() override
    {
        Control::detach();
        Click = nullptr;
    }

    std::function<void()> Click;

protected:
    void runClick()
    {
        if (Click) Click();
    }
    void focusInEvent(QFocusEvent* event) override
    {
        Widget::focusInEvent(event);
        notifyFocusIn();
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        Widget::focusOutEvent(event);
        notifyFocusOut();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        runKeyPress(event, [this](QKeyEvent* e) { Widget::keyPressEvent(e); });
    }
};

} // namespace ui
