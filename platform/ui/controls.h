// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simple controls: labels, frames, lines, command buttons, check boxes.
#include "platform/ui/control.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace ui {

class Label : public QLabel, public Control {
public:
    Label(const QString& name, QWidget* container);
    QString caption() const { return text(); }
    // Runs the change handler when the caption changes.
    void setCaption(const QString& text);
    // Each line of text that is wider than the label is broken into lines;
    // the last line may take the lines the label has room for, and what
    // still does not fit is cut in its middle with an ellipsis, so that
    // both ends of a long path stay readable.
    void setCaptionElided(const QString& text);
    void setForeColour(const QColor& colour);

    void detach() override
    {
        Control::detach();
        Change = nullptr;
    }
    std::function<void()> Change;
};

// A frame without caption: an etched rectangle around its controls.
class Frame : public QWidget, public Control {
public:
    Frame(const QString& name, QWidget* container);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A line from (x1, y1) to (x2, y2) in twips, in its container's coordinates.
class Line : public QWidget, public Control {
public:
    Line(const QString& name, QWidget* container);
    void setEnds(int x1, int y1, int x2, int y2);
    void setColour(const QColor& colour)
    {
        m_colour = colour;
        update();
    }
    QLine ends() const { return m_ends; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine m_ends;
    QColor m_colour;
};

class CommandButton : public InteractiveControl<QPushButton> {
public:
    CommandButton(const QString& name, QWidget* container);
    QString caption() const { return text(); }
    void setCaption(const QString& text) { setText(text); }
    // The Cancel property: whether Esc presses this button.
    bool cancel() const { return m_cancel; }
    void setCancel(bool on) { m_cancel = on; }

private:
    bool m_cancel = false;
};

class CheckBox : public InteractiveControl<QCheckBox> {
public:
    CheckBox(const QString& name, QWidget* container);
    QString caption() const { return text(); }
    void setCaption(const QString& text) { setText(text); }
    int value() const { return isChecked() ? 1 : 0; }
    // Setting a new value runs the click handler, as a click does.
    void setValue(int value);
};

} // namespace ui
