// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <vector>

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

// Each icon size is its own drawing, not a scaled copy of another: strokes
// stay one pixel wide where a pixel is all there is, detail comes where there
// is room for it, and the emblem takes more of a small icon so that it stays
// readable. Sizes between those listed take the style of the next smaller.
struct FolderStyle {
    int size;
    double line; // outline width in pixels
    // Tops of the tab, the back panel and the front panel, in grid units:
    // the front sits lower where paper sheets show above it.
    double tabTop, backTop, frontTop;
    bool rim; // light rims along the tab and the front's top
    std::vector<double> sheets; // tops of the paper sheets behind the front, in grid units
    bool ruled; // the sheets show lines of writing
    int emblem; // the emblem's side in pixels
    int inset; // its distance from the lower right corner
    double radius; // the front's corner rounding
    bool shadow; // a shadow below and right of the front
};

const FolderStyle& styleFor(int size)
{
    static const FolderStyle styles[] = {
        { 16, 1, 2, 3, 5, false, {}, false, 10, 0, 0, false },
        { 24, 1, 2, 10 / 3.0, 6, true, { 4 }, false, 14, 0, 0, false },
        { 32, 1, 2, 3, 5.5, true, { 3.5, 4 }, false, 18, 0, 0, false },
        { 48, 1, 5 / 3.0, 3, 17 / 3.0, true, { 8 / 3.0, 10 / 3.0 }, true, 24, 1, 0, false },
        { 256, 4, 1.5, 2.75, 5.5, true, { 2.25, 2.75, 3.25 }, true, 116, 6, 10, true },
    };
    const FolderStyle* chosen = &styles[0];
    for (const FolderStyle& s : styles)
        if (s.size <= size) chosen = &s;
    return *chosen;
}

// The folder is laid out on a 16-unit grid; one unit is size/16 pixels, and
// edges are rounded to whole pixels (24 pixels has units of one and a half).
struct Grid {
    double unit;
    double line;
    double edge(double v) const { return std::round(v * unit); }
    // Stroke positions: half a stroke inside the left/top or right/bottom edge.
    double lo(double v) const { return edge(v) + line / 2; }
    double hi(double v) const { return edge(v) - line / 2; }
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

void paintBack(QPainter& p, const Grid& g, const FolderColours& c, const FolderStyle& style)
{
    QPolygonF back;
    const double tab = g.lo(style.tabTop), top = g.lo(style.backTop);
    back << QPointF(g.lo(1), tab) << QPointF(g.hi(6), tab) << QPointF(g.hi(6) + top - tab, top)
         << QPointF(g.hi(15), top) << QPointF(g.hi(15), g.hi(14)) << QPointF(g.lo(1), g.hi(14));
    QPen outline = hairline(c.outline, g.line);
    if (style.radius > 0) outline.setJoinStyle(Qt::RoundJoin);
    p.setPen(outline);
    p.setBrush(c.back);
    p.drawPolygon(back);
    if (!style.rim) return;
    // A light rim along the tab's top edge gives the back panel its depth.
    p.setPen(hairline(c.classic ? c.light : mix(c.back, Qt::white, 0.45), g.line));
    const double in = g.line;
    p.drawLine(QPointF(g.lo(1) + in, tab + in), QPointF(g.hi(6) - in, tab + in));
}

// Paper sheets between back and front, each a little lower and shifted, so
// that the folder looks filled; on the largest size they carry lines of writing.
void paintSheets(QPainter& p, const Grid& g, const FolderColours& c, const FolderStyle& style)
{
    for (std::size_t k = 0; k < style.sheets.size(); ++k) {
        const double shift = k % 2 ? 0.5 : 0.0;
        const QRectF sheet(QPointF(g.lo(2 + shift), g.lo(style.sheets[k])),
            QPointF(g.hi(14 - 0.5 + shift), g.hi(style.frontTop + 3)));
        p.setPen(hairline(c.classic ? Qt::black : QColor(120, 120, 120), g.line));
        p.setBrush(
            c.classic ? QColor(Qt::white) : mix(QColor(255, 255, 255), QColor(225, 225, 220), 0.4 * (k % 2)));
        p.drawRect(sheet);
        if (!style.ruled) continue;
        p.setPen(hairline(QColor(150, 170, 215), g.line / 2));
        const double step = 3 * g.line;
        for (double y = sheet.top() + step; y < sheet.bottom(); y += step)
            p.drawLine(QPointF(sheet.left() + 3 * g.line, y), QPointF(sheet.right() - 3 * g.line, y));
    }
}

void paintFront(QPainter& p, const Grid& g, const FolderColours& c, const FolderStyle& style)
{
    const QRectF front(QPointF(g.edge(1), g.edge(style.frontTop)), QPointF(g.edge(15), g.edge(14)));
    if (style.shadow) {
        // Three soft steps instead of a blur, which would round by processor.
        p.setPen(Qt::NoPen);
        for (int k = 3; k >= 1; --k) {
            p.setBrush(QColor(0, 0, 0, 28));
            p.drawRoundedRect(
                front.translated(k * g.line * 0.75, k * g.line * 0.75), style.radius, style.radius);
        }
    }
    QLinearGradient shade(front.topLeft(), front.bottomRight());
    shade.setColorAt(0, c.front);
    shade.setColorAt(1, c.frontLow);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(front, style.radius, style.radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(hairline(c.outline, g.line));
    const QRectF edge(QPointF(g.lo(1), g.lo(style.frontTop)), QPointF(g.hi(15), g.hi(14)));
    p.drawRoundedRect(edge, style.radius, style.radius);
    p.setPen(hairline(c.light, style.line > 1 ? style.line * 0.75 : 1));
    const double in = g.line + (style.line > 1 ? style.radius / 2 : 0);
    const double top = g.lo(style.frontTop) + g.line;
    const double left = g.lo(1) + g.line;
    p.drawLine(QPointF(left + in - g.line, top), QPointF(g.hi(15) - in, top));
    p.drawLine(QPointF(left, top + in - g.line), QPointF(left, g.hi(14) - in));
}

// The compressed-folder look: a zipper down the middle of the front panel,
// its teeth alternating left and right, with the slider at the top.
void paintZipper(QPainter& p, const Grid& g, const FolderStyle& style)
{
    const int unit = int(g.unit);
    const int cx = int(g.edge(8));
    const int top = int(g.edge(style.frontTop)) + 1;
    const int bottom = int(g.edge(14)) - 1;
    // Teeth of one or two pixels on small icons; on the largest, half a unit.
    const int pitch = unit >= 4 ? unit / 2 : unit >= 2 ? 2 : 1;
    const int tooth = unit + (unit + 1) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 80, 80));
    for (int y = top, k = 0; y < bottom; y += pitch, ++k)
        p.drawRect(QRect(
            k % 2 ? cx - tooth + unit : cx - unit, y, tooth, std::min(pitch, bottom - y) - (pitch > 1)));
    const QRect slider(cx - unit - 1, top, 2 * unit + 2, unit + 2);
    p.setBrush(QColor(192, 192, 192));
    const double h = g.line / 2;
    p.setPen(hairline(QColor(0, 0, 0), g.line));
    p.drawRect(QRectF(slider).adjusted(h, h, -h, -h));
    if (unit >= 2) {
        const QRect pull(cx - unit / 2 - 1, slider.bottom() + 1, unit + 2, 2 * unit + 1);
        p.drawRect(QRectF(pull).adjusted(h, h, -h, -h));
    }
}

} // namespace

QImage folderIcon(int size, const FolderColour& colour, Emblem emblem, Look look)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, look == Look::Smooth);
    const FolderStyle& style = styleFor(size);
    const Grid g { size / 16.0, style.line };
    const FolderColours c = coloursFor(colour, look);
    paintBack(p, g, c, style);
    paintSheets(p, g, c, style);
    paintFront(p, g, c, style);
    if (emblem == Emblem::Zipper) {
        paintZipper(p, g, style);
    } else if (emblem != Emblem::None) {
        // Emblems sit on the lower right, overlapping the folder's corner.
        const double side = std::round(double(style.emblem) * size / style.size);
        const double at = size - side - style.inset;
        paintEmblem(p, emblem, QRectF(at, at, side, side), size, look);
    }
    return image;
}

} // namespace art
