// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/accessibility.h"

#include "platform/ui/combo_box.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/picture_box.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QLineEdit>

namespace ui {

namespace {

// The window, its pages, frames and picture boxes: plain widgets to Qt.
class ContainerAccessible : public QAccessibleWidget {
public:
    explicit ContainerAccessible(QWidget* widget)
        : QAccessibleWidget(widget, roleOf(widget))
    {
    }

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> kids = shownChildren();
        return index >= 0 && index < kids.size() ? QAccessible::queryAccessibleInterface(kids.at(index))
                                                 : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(shownChildren().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (const auto* cell = dynamic_cast<const PictureBox*>(widget()); cell && cell->isCell()) {
            s.selectable = true;
            s.selected = cell->borderStyle() == 1;
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (cell()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override
    {
        if (PictureBox* c = cell(); c && action == pressAction())
            c->pressByKey();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    static QAccessible::Role roleOf(const QWidget* widget)
    {
        if (dynamic_cast<const Form*>(widget)) return QAccessible::Dialog;
        if (dynamic_cast<const Frame*>(widget)) return QAccessible::Grouping;
        if (dynamic_cast<const Line*>(widget)) return QAccessible::Separator;
        const auto* box = dynamic_cast<const PictureBox*>(widget);
        if (box && box->isCell()) return QAccessible::ListItem;
        if (box && !PictureBox::cellsOf(box).isEmpty()) return QAccessible::List;
        if (box && box->findChildren<QWidget*>().isEmpty() && box->picture()) return QAccessible::Graphic;
        return QAccessible::Pane;
    }
    PictureBox* cell() const
    {
        auto* c = dynamic_cast<PictureBox*>(widget());
        return c && c->isCell() ? c : nullptr;
    }
    QList<QWidget*> shownChildren() const
    {
        QList<QWidget*> kids;
        for (QWidget* w : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const auto* control = dynamic_cast<const Control*>(w);
            if (!w->isWindow() && (!control || control->shownToAssistiveTechnology())) kids.append(w);
        }
        return kids;
    }
};

// Qt's own combo box interface takes its value for its name on Linux; this
// one keeps the name it is given and offers the value as such.
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(ComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
    }
    ComboBox* combo() const { return static_cast<ComboBox*>(widget()); }

    int childCount() const override { return 2; }
    QAccessibleInterface* child(int index) const override
    {
        if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1) return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child) return -1;
        if (child->object() == combo()->view()) return 0;
        if (child->object() == combo()->lineEdit()) return 1;
        return -1;
    }
    // The edit field takes the keys while the box has the focus.
    QAccessibleInterface* focusChild() const override { return combo()->hasFocus() ? child(1) : nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return combo()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList { showMenuAction() } + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* controlInterface(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (auto* combo = dynamic_cast<ComboBox*>(widget); combo && className == QLatin1String("QComboBox"))
        return new ComboAccessible(combo);
    // Our containers have no class of their own to Qt: they come as QWidget.
    if (className != QLatin1String("QWidget")) return nullptr;
    if (dynamic_cast<Form*>(widget) || dynamic_cast<Frame*>(widget) || dynamic_cast<PictureBox*>(widget)
        || dynamic_cast<Line*>(widget))
        return new ContainerAccessible(widget);
    return nullptr;
}

QAccessible::UpdateHandler g_outerHandler = nullptr;
int g_quietDepth = 0;

void quietUpdate(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::Focus) return;
    if (event->type() == QAccessible::StateChanged
        && static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().focused)
        return;
    if (g_outerHandler) {
        g_outerHandler(event);
        return;
    }
    // No handler before ours: the platform's bridge takes the event.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(quietUpdate);
}

} // namespace

void InstallAccessibility()
{
    QAccessible::installFactory(controlInterface);
}

QuietFocus::QuietFocus()
{
    if (g_quietDepth++ == 0) g_outerHandler = QAccessible::installUpdateHandler(quietUpdate);
}

QuietFocus::~QuietFocus()
{
    if (--g_quietDepth == 0) QAccessible::installUpdateHandler(g_outerHandler);
}

} // namespace ui
