// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_emblem_kit.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace art {
namespace {

using namespace kit;

void star(QPainter& p, const Box& b)
{
    QPolygonF poly;
    for (int k = 0; k < 10; ++k) {
        const double a = (-90.0 + 36.0 * k) * std::numbers::pi / 180.0;
        const double radius = k % 2 ? 0.2 : 0.5;
        poly << b.polar(0.5, 0.54, radius, a);
    }
    fillAndOutline(
        p, b, polygonPath(poly), vertical(b, QColor(255, 236, 110), QColor(240, 160, 0)), QColor(130, 80, 0));
}

void music(QPainter& p, const Box& b)
{
    const QColor ink(30, 30, 60);
    QPainterPath notes;
    notes.addEllipse(b.rect(0.08, 0.68, 0.42, 0.94));
    notes.addEllipse(b.rect(0.56, 0.58, 0.90, 0.84));
    notes.addPolygon(b.poly({ { 0.34, 0.80 }, { 0.42, 0.80 }, { 0.42, 0.24 }, { 0.34, 0.24 } }));
    notes.addPolygon(b.poly({ { 0.82, 0.70 }, { 0.90, 0.70 }, { 0.90, 0.14 }, { 0.82, 0.14 } }));
    notes.addPolygon(b.poly({ { 0.34, 0.14 }, { 0.90, 0.04 }, { 0.90, 0.20 }, { 0.34, 0.30 } }));
    notes.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(notes.simplified());
}

void picture(QPainter& p, const Box& b)
{
    const QRectF frame = b.rect(0.02, 0.14, 0.98, 0.90).toAlignedRect();
    p.setPen(hairline(QColor(70, 70, 70), b.stroke()));
    p.setBrush(QColor(250, 250, 245));
    const double h = b.stroke() / 2;
    p.drawRect(frame.adjusted(h, h, -h, -h));
    const double inset = std::max(2.0, std::round(frame.width() * 0.12));
    const QRectF view = frame.adjusted(inset, inset, -inset, -inset);
    QLinearGradient sky(view.topLeft(), view.bottomLeft());
    sky.setColorAt(0, QColor(80, 150, 235));
    sky.setColorAt(1, QColor(190, 225, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(shade(b, sky, QColor(0, 255, 255)));
    p.drawRect(view);
    p.save();
    p.setClipRect(view);
    p.setBrush(QColor(255, 210, 40));
    const double sun = std::max(1.5, view.height() * 0.22);
    p.drawEllipse(QPointF(view.right() - view.width() * 0.28, view.top() + view.height() * 0.32), sun, sun);
    QPainterPath hills;
    hills.moveTo(view.bottomLeft());
    hills.lineTo(view.left(), view.top() + view.height() * 0.62);
    hills.quadTo(view.left() + view.width() * 0.3, view.top() + view.height() * 0.3,
        view.left() + view.width() * 0.62, view.top() + view.height() * 0.7);
    hills.quadTo(view.right() - view.width() * 0.15, view.top() + view.height() * 0.55, view.right(),
        view.top() + view.height() * 0.62);
    hills.lineTo(view.bottomRight());
    hills.closeSubpath();
    p.setBrush(QColor(40, 150, 50));
    p.drawPath(hills);
    p.restore();
}

void document(QPainter& p, const Box& b, int size)
{
    const QRectF sheet = b.rect(0.16, 0.02, 0.86, 1.0).toAlignedRect();
    const double fold = std::max(2.0, std::round(sheet.width() * 0.3));
    const double w = b.stroke(), h = w / 2;
    const double l = sheet.left() + h, t = sheet.top() + h;
    const double r = sheet.right() - h, bt = sheet.bottom() - h;
    QPolygonF outline;
    outline << QPointF(l, t) << QPointF(r - fold, t) << QPointF(r, t + fold) << QPointF(r, bt)
            << QPointF(l, bt);
    p.setPen(hairline(QColor(80, 80, 80), b.stroke()));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(outline);
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF() << QPointF(r - fold, t) << QPointF(r - fold, t + fold) << QPointF(r, t + fold));
    // Lines of writing: one pixel apart on small icons, wider where there is room.
    p.setPen(hairline(QColor(90, 110, 170), std::max(1.0, w * 0.6)));
    const double step = w > 1 ? 3 * w : size >= 48 ? 3 : 2;
    for (double y = t + fold + w; y < bt - w; y += step)
        p.drawLine(QPointF(l + 2 * w, y), QPointF(r - 2 * w, y));
}

void heart(QPainter& p, const Box& b)
{
    QPainterPath path;
    path.moveTo(b.at(0.5, 0.95));
    path.cubicTo(b.at(0.1, 0.62), b.at(-0.05, 0.35), b.at(0.2, 0.15));
    path.cubicTo(b.at(0.35, 0.05), b.at(0.47, 0.15), b.at(0.5, 0.28));
    path.cubicTo(b.at(0.53, 0.15), b.at(0.65, 0.05), b.at(0.8, 0.15));
    path.cubicTo(b.at(1.05, 0.35), b.at(0.9, 0.62), b.at(0.5, 0.95));
    fillAndOutline(p, b, path, vertical(b, QColor(255, 90, 100), QColor(190, 10, 30)), QColor(110, 0, 10));
}

void check(QPainter& p, const Box& b)
{
    QPainterPath path;
    path.moveTo(b.at(0.14, 0.56));
    path.lineTo(b.at(0.40, 0.80));
    path.lineTo(b.at(0.86, 0.20));
    rimmedStroke(p, b, path, b.len(0.2), QColor(40, 170, 40), QColor(0, 80, 0));
}

void cross(QPainter& p, const Box& b)
{
    QPainterPath path;
    path.moveTo(b.at(0.2, 0.2));
    path.lineTo(b.at(0.8, 0.8));
    path.moveTo(b.at(0.8, 0.2));
    path.lineTo(b.at(0.2, 0.8));
    rimmedStroke(p, b, path, b.len(0.18), QColor(225, 30, 30), QColor(110, 0, 0));
}

void lock(QPainter& p, const Box& b)
{
    QPainterPath shackle;
    shackle.moveTo(b.at(0.3, 0.5));
    shackle.lineTo(b.at(0.3, 0.32));
    shackle.arcTo(b.rect(0.3, 0.06, 0.7, 0.5), 180, -180);
    shackle.lineTo(b.at(0.7, 0.5));
    rimmedStroke(p, b, shackle, b.len(0.09), QColor(200, 200, 210), QColor(70, 70, 80));
    QPainterPath body;
    body.addRect(b.rect(0.14, 0.44, 0.86, 0.96).toAlignedRect().adjusted(0, 0, 0, 0));
    fillAndOutline(p, b, body, vertical(b, QColor(255, 220, 90), QColor(200, 140, 0)), QColor(110, 70, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 40, 0));
    p.drawRect(QRectF(b.at(0.46, 0.6), b.at(0.54, 0.82)).toAlignedRect());
}

void globe(QPainter& p, const Box& b)
{
    const QRectF ball = b.rect(0.04, 0.04, 0.96, 0.96);
    QRadialGradient sea(b.at(0.35, 0.3), b.len(0.7));
    sea.setColorAt(0, QColor(130, 190, 255));
    sea.setColorAt(1, QColor(20, 80, 170));
    QPainterPath circle;
    circle.addEllipse(ball);
    fillAndOutline(p, b, circle, shade(b, sea, QColor(0, 0, 255)), QColor(10, 40, 100));
    p.save();
    p.setClipPath(circle);
    QPainterPath land;
    land.addPolygon(b.poly({ { 0.15, 0.3 }, { 0.4, 0.18 }, { 0.5, 0.35 }, { 0.38, 0.5 }, { 0.42, 0.72 },
        { 0.3, 0.85 }, { 0.22, 0.6 }, { 0.1, 0.5 } }));
    land.addPolygon(b.poly({ { 0.6, 0.2 }, { 0.9, 0.3 }, { 0.95, 0.55 }, { 0.75, 0.62 }, { 0.62, 0.45 } }));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 160, 60));
    p.drawPath(land);
    p.restore();
}

void arrow(QPainter& p, const Box& b, bool up)
{
    auto y = [up](double v) { return up ? v : 1.0 - v; };
    QPolygonF poly = b.poly({ { 0.5, y(0.04) }, { 0.94, y(0.5) }, { 0.67, y(0.5) }, { 0.67, y(0.96) },
        { 0.33, y(0.96) }, { 0.33, y(0.5) }, { 0.06, y(0.5) } });
    const QColor top = up ? QColor(110, 220, 90) : QColor(110, 170, 255);
    const QColor low = up ? QColor(20, 140, 20) : QColor(20, 70, 200);
    fillAndOutline(p, b, polygonPath(poly),
        vertical(b, up ? top : low, up ? low : top, up ? QColor(0, 255, 0) : QColor(0, 0, 255)),
        up ? QColor(0, 70, 0) : QColor(0, 30, 110));
}

void plus(QPainter& p, const Box& b)
{
    QPolygonF poly = b.poly(
        { { 0.36, 0.06 }, { 0.64, 0.06 }, { 0.64, 0.36 }, { 0.94, 0.36 }, { 0.94, 0.64 }, { 0.64, 0.64 },
            { 0.64, 0.94 }, { 0.36, 0.94 }, { 0.36, 0.64 }, { 0.06, 0.64 }, { 0.06, 0.36 }, { 0.36, 0.36 } });
    fillAndOutline(p, b, polygonPath(poly),
        vertical(b, QColor(120, 225, 100), QColor(30, 150, 30), QColor(0, 255, 0)), QColor(0, 80, 0));
}

void lightning(QPainter& p, const Box& b)
{
    QPolygonF poly = b.poly({ { 0.58, 0.02 }, { 0.16, 0.56 }, { 0.46, 0.56 }, { 0.34, 0.98 }, { 0.86, 0.4 },
        { 0.54, 0.4 }, { 0.7, 0.02 } });
    fillAndOutline(
        p, b, polygonPath(poly), vertical(b, QColor(255, 245, 120), QColor(255, 180, 0)), QColor(140, 80, 0));
}

} // namespace

void paintEmblem(QPainter& p, Emblem emblem, const QRectF& box, int size, Look look)
{
    p.save();
    const Box b { box, look == Look::Classic };
    switch (emblem) {
    case Emblem::Star:
        star(p, b);
        break;
    case Emblem::Music:
        music(p, b);
        break;
    case Emblem::Picture:
        picture(p, b);
        break;
    case Emblem::Document:
        document(p, b, size);
        break;
    case Emblem::Heart:
        heart(p, b);
        break;
    case Emblem::Check:
        check(p, b);
        break;
    case Emblem::Cross:
        cross(p, b);
        break;
    case Emblem::Lock:
        lock(p, b);
        break;
    case Emblem::Globe:
        globe(p, b);
        break;
    case Emblem::ArrowUp:
        arrow(p, b, true);
        break;
    case Emblem::ArrowDown:
        arrow(p, b, false);
        break;
    case Emblem::Plus:
        plus(p, b);
        break;
    case Emblem::Lightning:
        lightning(p, b);
        break;
    default:
        paintObjectEmblem(p, emblem, b, size);
        break;
    }
    p.restore();
}

} // namespace art
