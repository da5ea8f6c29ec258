// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_emblem_kit.h"

#include <QRadialGradient>

#include <numbers>

namespace art {
namespace {

using namespace kit;

void envelope(QPainter& p, const Box& b)
{
    const QRectF r = b.rect(0.02, 0.2, 0.98, 0.84).toAlignedRect();
    const double h = b.stroke() / 2;
    const QRectF c = r.adjusted(h, h, -h, -h);
    p.setPen(hairline(QColor(90, 90, 90), b.stroke()));
    p.setBrush(vertical(b, QColor(255, 255, 250), QColor(225, 225, 210)));
    p.drawRect(c);
    p.setPen(hairline(QColor(120, 120, 120), b.stroke()));
    p.drawLine(c.topLeft(), QPointF(c.center().x(), c.top() + c.height() * 0.58));
    p.drawLine(c.topRight(), QPointF(c.center().x(), c.top() + c.height() * 0.58));
}

void magnifier(QPainter& p, const Box& b)
{
    QPainterPath handle;
    handle.moveTo(b.at(0.62, 0.62));
    handle.lineTo(b.at(0.9, 0.9));
    rimmedStroke(p, b, handle, b.len(0.14), QColor(120, 70, 30), QColor(40, 20, 0));
    QPainterPath lens;
    lens.addEllipse(b.rect(0.06, 0.06, 0.70, 0.70));
    QRadialGradient glass(b.at(0.3, 0.3), b.len(0.4));
    glass.setColorAt(0, QColor(235, 250, 255, 240));
    glass.setColorAt(1, QColor(140, 200, 240, 230));
    p.setPen(QPen(QColor(60, 60, 70), std::max(1.0, b.len(0.08))));
    p.setBrush(shade(b, glass, QColor(0, 255, 255)));
    p.drawPath(lens);
}

void disc(QPainter& p, const Box& b)
{
    QPainterPath d;
    d.addEllipse(b.rect(0.04, 0.04, 0.96, 0.96));
    QConicalGradient shine(b.at(0.5, 0.5), 30);
    shine.setColorAt(0.0, QColor(225, 225, 235));
    shine.setColorAt(0.15, QColor(250, 220, 250));
    shine.setColorAt(0.3, QColor(190, 230, 255));
    shine.setColorAt(0.5, QColor(235, 235, 240));
    shine.setColorAt(0.65, QColor(255, 245, 190));
    shine.setColorAt(0.8, QColor(200, 255, 220));
    shine.setColorAt(1.0, QColor(225, 225, 235));
    fillAndOutline(p, b, d, shade(b, shine, QColor(192, 192, 192)), QColor(90, 90, 100));
    QPainterPath hole;
    hole.addEllipse(b.at(0.5, 0.5), b.len(0.12), b.len(0.12));
    fillAndOutline(p, b, hole, QColor(250, 250, 250), QColor(110, 110, 120));
}

void clock(QPainter& p, const Box& b)
{
    QPainterPath face;
    face.addEllipse(b.rect(0.04, 0.04, 0.96, 0.96));
    p.setPen(QPen(QColor(20, 50, 130), std::max(1.0, b.len(0.08))));
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(face);
    p.setPen(QPen(QColor(20, 20, 20), std::max(1.0, b.len(0.07)), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(b.at(0.5, 0.5), b.at(0.5, 0.2));
    p.drawLine(b.at(0.5, 0.5), b.at(0.72, 0.58));
}

void flag(QPainter& p, const Box& b)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 70, 50));
    p.drawRect(QRectF(b.at(0.12, 0.04), b.at(0.2, 0.98)).toAlignedRect());
    QPainterPath cloth;
    cloth.moveTo(b.at(0.2, 0.06));
    cloth.cubicTo(b.at(0.45, -0.04), b.at(0.6, 0.18), b.at(0.94, 0.08));
    cloth.lineTo(b.at(0.94, 0.52));
    cloth.cubicTo(b.at(0.6, 0.62), b.at(0.45, 0.4), b.at(0.2, 0.5));
    cloth.closeSubpath();
    fillAndOutline(p, b, cloth, vertical(b, QColor(255, 80, 60), QColor(190, 20, 10)), QColor(100, 0, 0));
}

void house(QPainter& p, const Box& b)
{
    QPainterPath walls;
    walls.addRect(b.rect(0.16, 0.46, 0.84, 0.96).toAlignedRect());
    fillAndOutline(p, b, walls, QColor(250, 245, 230), QColor(90, 80, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(130, 80, 40));
    p.drawRect(b.rect(0.42, 0.66, 0.6, 0.96).toAlignedRect());
    QPolygonF roof = b.poly({ { 0.02, 0.52 }, { 0.5, 0.06 }, { 0.98, 0.52 } });
    fillAndOutline(
        p, b, polygonPath(roof), vertical(b, QColor(240, 90, 60), QColor(170, 30, 20)), QColor(90, 10, 0));
}

void gear(QPainter& p, const Box& b)
{
    QPolygonF teeth;
    const int count = 8;
    for (int i = 0; i < count * 4; ++i) {
        const double a = (i - 0.5) * 2 * std::numbers::pi / (count * 4);
        const double radius = (i % 4 == 0 || i % 4 == 1) ? 0.48 : 0.36;
        teeth << b.polar(0.5, 0.5, radius, a);
    }
    QPainterPath path = polygonPath(teeth);
    path.addEllipse(b.at(0.5, 0.5), b.len(0.13), b.len(0.13));
    path.setFillRule(Qt::OddEvenFill);
    fillAndOutline(p, b, path, vertical(b, QColor(220, 220, 225), QColor(130, 130, 140)), QColor(50, 50, 60));
}

void film(QPainter& p, const Box& b)
{
    const QRectF strip = b.rect(0.02, 0.16, 0.98, 0.86).toAlignedRect();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(35, 35, 40));
    p.drawRect(strip);
    const double hole = std::max(1.0, std::round(strip.height() * 0.12));
    p.setBrush(QColor(235, 235, 235));
    for (double x = strip.left() + hole; x + hole <= strip.right(); x += 2 * hole) {
        p.drawRect(QRectF(x, strip.top() + hole / 2, hole, hole).toAlignedRect());
        p.drawRect(QRectF(x, strip.bottom() - hole * 1.5, hole, hole).toAlignedRect());
    }
    const QRectF frame = strip.adjusted(hole, hole * 2, -hole, -hole * 2);
    p.setBrush(vertical(b, QColor(120, 190, 255), QColor(60, 120, 200)));
    p.drawRect(QRectF(frame.left(), frame.top(), frame.width() * 0.45, frame.height()).toAlignedRect());
    p.drawRect(QRectF(frame.right() - frame.width() * 0.45, frame.top(), frame.width() * 0.45, frame.height())
                   .toAlignedRect());
}

void person(QPainter& p, const Box& b)
{
    QPainterPath body;
    body.moveTo(b.at(0.1, 0.98));
    body.cubicTo(b.at(0.1, 0.6), b.at(0.3, 0.52), b.at(0.5, 0.52));
    body.cubicTo(b.at(0.7, 0.52), b.at(0.9, 0.6), b.at(0.9, 0.98));
    body.closeSubpath();
    fillAndOutline(p, b, body, vertical(b, QColor(90, 140, 230), QColor(30, 70, 170)), QColor(10, 30, 90));
    QPainterPath head;
    head.addEllipse(b.rect(0.3, 0.06, 0.7, 0.48));
    fillAndOutline(
        p, b, head, vertical(b, QColor(255, 225, 190), QColor(230, 170, 120)), QColor(110, 70, 40));
}

} // namespace

void paintObjectEmblem(QPainter& p, Emblem emblem, const kit::Box& b, int)
{
    switch (emblem) {
    case Emblem::Envelope:
        envelope(p, b);
        break;
    case Emblem::Magnifier:
        magnifier(p, b);
        break;
    case Emblem::Disc:
        disc(p, b);
        break;
    case Emblem::Clock:
        clock(p, b);
        break;
    case Emblem::Flag:
        flag(p, b);
        break;
    case Emblem::House:
        house(p, b);
        break;
    case Emblem::Gear:
        gear(p, b);
        break;
    case Emblem::Film:
        film(p, b);
        break;
    case Emblem::Person:
        person(p, b);
        break;
    default:
        break;
    }
}

} // namespace art
