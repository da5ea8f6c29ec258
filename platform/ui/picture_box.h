// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture box: background colour, an optional single-line border, a
// background picture drawn unscaled at the top left, and a drawing surface
// that keeps what is drawn into it across repaints until it is cleared.
// Pages, title strips and the icon cells are picture boxes.
#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/ui/control.h"

#include <QWidget>

namespace ui {

class PictureBox : public InteractiveControl<QWidget> {
public:
    PictureBox(const QString& name, QWidget* container);

    void setBackColour(const QColor& colour);
    // 0: no border, 1: a single line.
    int borderStyle() const { return m_border; }
    void setBorderStyle(int style);

    StdPicture picture() const { return m_picture; }
    void setPicture(StdPicture picture);

    // The device context of the drawing surface; drawing through it persists.
    HDC hDC();
    // Clears the drawing surface; the background picture stays.
    void Cls();
    // True when something has been drawn since the last Cls.
    bool hasDrawing() const { return m_drawn; }
    // What the box shows inside its border: background, picture and drawing.
    QImage clientImage() const;

    // A cell of a grid of picture boxes: it takes the focus by Tab, the arrow
    // keys move to the cell beside, above or below it (Left and Right run on
    // into the row before or after), Space and Enter click it, and its mark
    // (the border) is what assistive technology hears as selected.
    void makeCell();
    bool isCell() const { return m_cell; }
    // Space or Enter on a cell, or a screen reader's press: a click.
    void pressByKey() { runClick(); }
    // The cells directly inside a widget.
    static QList<PictureBox*> cellsOf(const QWidget* grid);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool moveAmongCells(int key);
    QRect clientRect() const;
    void renderClient(class QPainter& painter) const;

    QColor m_back;
    int m_border = 0;
    StdPicture m_picture;
    DrawingSurface m_surface;
    bool m_drawn = false;
    bool m_pressed = false;
    bool m_cell = false;
};

} // namespace ui
