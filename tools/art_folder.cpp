// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace art {

QImage canvas(int width, int height, QColor fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    auto channel = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
        channel(a.alpha(), b.alpha()));
}

QPen hairline(const QColor& colour, double width)
{
    QPen pen(colour, width);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

namespace {

// The folder is laid out on a 16-unit grid; one unit is size/16 pixels, so
// every edge falls on a whole pixel at 16, 32 and 48.
struct Grid {
    double unit;
    double edge(double v) const { return v * unit; }
    // Stroke positions: half a pixel inside the left/top or right/bottom edge.
    double lo(double v) const { return v * unit + 0.5; }
    double hi(double v) const { return v * unit - 0.5; }
};

struct FolderColours {
    QColor outline, back, front, frontLow, light;
    bool classic;
};

FolderColours coloursFor(const FolderColour& colour, Look look)
{
    if (look == Look::Classic)
        return { Qt::black, colour.vgaBack, colour.vgaFace, colour.vgaFace, Qt::white, true };
    const QColor& base = colour.base;
    return { mix(base, Qt::black, 0.62), mix(base, Qt::black, 0.18), mix(base, Qt::white, 0.28), base,
        mix(base, Qt::white, 0.75), false };
}

void paintBack(QPainter& p, const Grid& g, const FolderColours& c)
{
    QPolygonF back;
    back << QPointF(g.lo(1), g.lo(2)) << QPointF(g.hi(6), g.lo(2)) << QPointF(g.hi(7), g.lo(3))
         << QPointF(g.hi(15), g.lo(3)) << QPointF(g.hi(15), g.hi(14)) << QPointF(g.lo(1), g.hi(14));
    p.setPen(hairline(c.outline));
    p.setBrush(c.back);
    p.drawPolygon(back);
    if (g.unit < 2) return;
    // A light rim along the tab's top edge gives the back panel its depth.
    p.setPen(hairline(c.classic ? c.light : mix(c.back, Qt::white, 0.45)));
    p.drawLine(QPointF(g.lo(1) + 1, g.lo(2) + 1), QPointF(g.hi(6) - 1, g.lo(2) + 1));
}

void paintFront(QPainter& p, const Grid& g, const FolderColours& c)
{
    const QRectF front(QPointF(g.edge(1), g.edge(5)), QPointF(g.edge(15), g.edge(14)));
    QLinearGradient shade(front.topLeft(), front.bottomRight());
    shade.setColorAt(0, c.front);
    shade.setColorAt(1, c.frontLow);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRect(front);
    p.setBrush(Qt::NoBrush);
    p.setPen(hairline(c.outline));
    p.drawRect(QRectF(QPointF(g.lo(1), g.lo(5)), QPointF(g.hi(15), g.hi(14))));
    p.setPen(hairline(c.light));
    const double top = g.lo(5) + 1;
    const double left = g.lo(1) + 1;
    p.drawLine(QPointF(left, top), QPointF(g.hi(15) - 1, top));
    p.drawLine(QPointF(left, top), QPointF(left, g.hi(14) - 1));
}

// The compressed-folder look: a zipper down the middle of the front panel,
// its teeth alternating left and right, with the slider at the top.
void paintZipper(QPainter& p, const Grid& g)
{
    const int unit = int(g.unit);
    const int cx = int(g.edge(8));
    const int top = int(g.edge(5)) + 1;
    const int bottom = int(g.edge(14)) - 1;
    const int pitch = unit >= 2 ? 2 : 1;
    const int tooth = unit + (unit + 1) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 80, 80));
    for (int y = top, k = 0; y < bottom; y += pitch, ++k)
        p.drawRect(QRect(
            k % 2 ? cx - tooth + unit : cx - unit, y, tooth, std::min(pitch, bottom - y) - (pitch > 1)));
    const QRect slider(cx - unit - 1, top, 2 * unit + 2, unit + 2);
    p.setBrush(QColor(192, 192, 192));
    p.setPen(hairline(QColor(0, 0, 0)));
    p.drawRect(QRectF(slider).adjusted(0.5, 0.5, -0.5, -0.5));
    if (unit >= 2) {
        const QRect pull(cx - unit / 2 - 1, slider.bottom() + 1, unit + 2, 2 * unit + 1);
        p.drawRect(QRectF(pull).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

} // namespace

QImage folderIcon(int size, const FolderColour& colour, Emblem emblem, Look look)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, look == Look::Smooth);
    const Grid g { size / 16.0 };
    const FolderColours c = coloursFor(colour, look);
    paintBack(p, g, c);
    paintFront(p, g, c);
    if (emblem == Emblem::Zipper) {
        paintZipper(p, g);
    } else if (emblem != Emblem::None) {
        // Emblems sit on the lower right, overlapping the folder's corner; at 16 pixels
        // they take a little more room so that they stay readable.
        const double side = std::round(size * (size <= 16 ? 0.625 : 0.5625));
        paintEmblem(p, emblem, QRectF(size - side, size - side, side, side), size, look);
    }
    return image;
}

} // namespace art
