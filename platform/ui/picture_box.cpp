// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/picture_box.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>

#include <algorithm>

namespace ui {

PictureBox::PictureBox(const QString& name, QWidget* container)
    : InteractiveControl(name, QStringLiteral("picture box"), container)
    , m_back(palette().color(QPalette::Button))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.changed = [this] {
        m_drawn = true;
        update();
    };
}

void PictureBox::setBackColour(const QColor& colour)
{
    m_back = colour;
    update();
}

void PictureBox::setBorderStyle(int style)
{
    if (m_border == style) return;
    m_border = style;
    resizeEvent(nullptr);
    update();
    // A cell's mark is its selected state; Qt's AT-SPI bridge reports a
    // selection event as that state's change.
    if (m_cell && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Selection);
        QAccessible::updateAccessibility(&event);
    }
}

QList<PictureBox*> PictureBox::cellsOf(const QWidget* grid)
{
    // Our controls have no meta-object of their own, so findChildren cannot
    // tell a picture box from a label.
    QList<PictureBox*> cells;
    for (QWidget* child : grid->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (auto* cell = dynamic_cast<PictureBox*>(child); cell && cell->isCell()) cells.append(cell);
    return cells;
}

void PictureBox::makeCell()
{
    m_cell = true;
    setFocusPolicy(Qt::TabFocus);
}

void PictureBox::setPicture(StdPicture picture)
{
    m_picture = std::move(picture);
    update();
}

QRect PictureBox::clientRect() const
{
    const int b = m_border ? 1 : 0;
    return rect().adjusted(b, b, -b, -b);
}

HDC PictureBox::hDC()
{
    // In the screen's pixels, so that icons drawn for its ratio stay sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(clientRect().size()) * ratio).toSize().expandedTo(QSize(1, 1));
    if (m_surface.image.size() != size || m_surface.image.devicePixelRatio() != ratio) {
        QImage fresh(size, QImage::Format_ARGB32_Premultiplied);
        fresh.setDevicePixelRatio(ratio);
        fresh.fill(Qt::transparent);
        QPainter p(&fresh);
        if (!m_surface.image.isNull()) p.drawImage(0, 0, m_surface.image);
        m_surface.image = fresh;
    }
    return &m_surface;
}

void PictureBox::Cls()
{
    if (!m_surface.image.isNull()) m_surface.image.fill(Qt::transparent);
    m_drawn = false;
    update();
}

void PictureBox::renderClient(QPainter& p) const
{
    const QRect client = clientRect();
    p.fillRect(client, m_back);
    p.save();
    p.setClipRect(client);
    if (m_picture && !m_picture->image.isNull()) p.drawImage(client.topLeft(), m_picture->image);
    if (!m_surface.image.isNull()) p.drawImage(client.topLeft(), m_surface.image);
    p.restore();
}

QImage PictureBox::clientImage() const
{
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    renderClient(p);
    p.end();
    return out.copy(clientRect());
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The whole box first: at a fractional scale the client area's edge can
    // fall inside a device pixel that nothing else then paints.
    if (m_border) p.fillRect(rect(), m_back);
    renderClient(p);
    if (m_border) {
        // On whole device pixels inside the box: at a fractional scale a line of
        // one logical pixel falls between two rows and each partial repaint
        // would cut it differently.
        const QTransform toDevice = p.deviceTransform();
        const QRectF box = toDevice.mapRect(QRectF(rect()));
        const int line = std::max(1, int(devicePixelRatioF()));
        const QRect inner(QPoint(qCeil(box.left() - 0.01), qCeil(box.top() - 0.01)),
            QPoint(qFloor(box.right() + 0.01) - 1, qFloor(box.bottom() + 0.01) - 1));
        p.setWorldTransform(toDevice.inverted());
        const QColor black(0, 0, 0);
        p.fillRect(QRect(inner.left(), inner.top(), inner.width(), line), black);
        p.fillRect(QRect(inner.left(), inner.bottom() - line + 1, inner.width(), line), black);
        p.fillRect(QRect(inner.left(), inner.top(), line, inner.height()), black);
        p.fillRect(QRect(inner.right() - line + 1, inner.top(), line, inner.height()), black);
    }
    // The focused cell's ring lies around it, in the gap between the cells,
    // so it never hides the icon or the chosen cell's border.
    for (const PictureBox* cell : cellsOf(this)) {
        if (!cell->hasFocus()) continue;
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(cell->geometry()).adjusted(-2, -2, 2, 2));
    }
}

void PictureBox::focusInEvent(QFocusEvent* event)
{
    InteractiveControl::focusInEvent(event);
    if (m_cell && parentWidget()) parentWidget()->update();
}

void PictureBox::focusOutEvent(QFocusEvent* event)
{
    InteractiveControl::focusOutEvent(event);
    if (m_cell && parentWidget()) parentWidget()->update();
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    if (!m_cell) {
        InteractiveControl::keyPressEvent(event);
        return;
    }
    if (event->modifiers() == Qt::NoModifier && moveAmongCells(event->key())) return;
    runKeyPress(event, [this](QKeyEvent* e) {
        const int key = e->key();
        if (e->modifiers() == Qt::NoModifier
            && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
            runClick();
        else
            e->ignore();
    });
}

bool PictureBox::moveAmongCells(int key)
{
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
    QList<PictureBox*> cells;
    for (PictureBox* c : cellsOf(parentWidget()))
        if (c->isVisible() && c->isEnabled()) cells.append(c);
    // Reading order: row by row, left to right.
    std::sort(cells.begin(), cells.end(), [](const PictureBox* a, const PictureBox* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    const qsizetype at = cells.indexOf(this);
    PictureBox* to = nullptr;
    if (key == Qt::Key_Left && at > 0) to = cells.at(at - 1);
    if (key == Qt::Key_Right && at + 1 < cells.size()) to = cells.at(at + 1);
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        // The nearest cell in the same column above or below.
        for (PictureBox* c : cells) {
            const bool beyond = key == Qt::Key_Up ? c->y() < y() : c->y() > y();
            if (c->x() != x() || !beyond) continue;
            if (!to || std::abs(c->y() - y()) < std::abs(to->y() - y())) to = c;
        }
    }
    if (to) to->setFocus(Qt::OtherFocusReason);
    return true;
}

void PictureBox::resizeEvent(QResizeEvent*)
{
    if (!m_surface.image.isNull()) hDC();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) runClick();
}

} // namespace ui
