// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared helpers for the emblem painters: a unit square mapped onto the
// emblem's box, and the fill, outline and stroke styles all emblems use.
#include "art_paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace art::kit {

// Emblems are drawn in a unit square that maps onto their box.
struct Box {
    QRectF r;
    bool classic = false;
    QPointF at(double x, double y) const { return { r.left() + x * r.width(), r.top() + y * r.height() }; }
    double len(double v) const { return v * r.width(); }
    QRectF rect(double x0, double y0, double x1, double y1) const { return QRectF(at(x0, y0), at(x1, y1)); }
    QPolygonF poly(std::initializer_list<QPointF> unit) const
    {
        QPolygonF out;
        for (const QPointF& u : unit)
            out << at(u.x(), u.y());
        return out;
    }
    // The point at angle a (radians) on a circle round (cx, cy). The unit
    // coordinates are rounded to 2^-20, so that the last bits in which
    // machines' sine and cosine differ cannot change a pixel.
    QPointF polar(double cx, double cy, double radius, double a) const
    {
        const auto snap = [](double v) { return std::round(v * 1048576.0) / 1048576.0; };
        return at(snap(cx + radius * std::cos(a)), snap(cy + radius * std::sin(a)));
    }
    // The outline width: one pixel up to emblems of 35 pixels, wider on the
    // largest icons, where a hairline would vanish.
    double stroke() const { return std::max(1.0, std::round(r.width() / 24)); }
    // A one-pixel line snapped to the pixel row nearest to y.
    double row(double y) const { return std::floor(r.top() + y * r.height()) + 0.5; }
};

// A gradient in true colour; 16-colour images get one flat colour instead, since
// a gradient would break up into stray palette colours there.
inline QBrush shade(const Box& b, const QGradient& gradient, const QColor& flat)
{
    return b.classic ? QBrush(flat) : QBrush(gradient);
}

inline QBrush vertical(const Box& b, const QColor& top, const QColor& bottom, const QColor& flat = {})
{
    QLinearGradient g(b.at(0, 0), b.at(0, 1));
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return shade(b, g, flat.isValid() ? flat : mix(top, bottom, 0.5));
}

inline void fillAndOutline(
    QPainter& p, const Box& b, const QPainterPath& path, const QBrush& fill, const QColor& outline)
{
    p.setPen(hairline(outline, b.stroke()));
    p.setBrush(fill);
    p.drawPath(path);
}

// A thick stroke with a darker rim: the rim first, a little wider, then the body.
inline void rimmedStroke(
    QPainter& p, const Box& b, const QPainterPath& path, double width, const QColor& body, const QColor& rim)
{
    QPen pen(rim, width + 2 * b.stroke(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    p.strokePath(path, pen);
    pen.setColor(body);
    pen.setWidthF(width);
    p.strokePath(path, pen);
}

inline QPainterPath polygonPath(const QPolygonF& poly)
{
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

} // namespace art::kit

namespace art {
// The emblems that show things (envelope, disc, house, ...); paintEmblem hands them on.
void paintObjectEmblem(QPainter& p, Emblem emblem, const kit::Box& box, int size);
}
