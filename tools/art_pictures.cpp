// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace art {
namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

// A pen laid along the x axis, nib tip at the origin, in outline or in colour.
void paintFountainPen(QPainter& p, double length, double width, bool outlineOnly, const QColor& line)
{
    const double L = length, w = width / 2;
    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.cubicTo(0.08 * L, -0.1 * w, 0.16 * L, -0.75 * w, 0.2 * L, -0.75 * w);
    nib.lineTo(0.2 * L, 0.75 * w);
    nib.cubicTo(0.16 * L, 0.75 * w, 0.08 * L, 0.1 * w, 0, 0);
    QPainterPath grip;
    grip.addRect(QRectF(QPointF(0.2 * L, -0.8 * w), QPointF(0.3 * L, 0.8 * w)));
    QPainterPath barrel;
    barrel.addRoundedRect(QRectF(QPointF(0.3 * L, -w), QPointF(L, w)), 0.6 * w, 0.6 * w);
    QPainterPath clip;
    clip.addRoundedRect(
        QRectF(QPointF(0.62 * L, -w - 0.35 * w), QPointF(0.95 * L, -w + 0.15 * w)), 0.2 * w, 0.2 * w);
    const QPen pen = [&] {
        QPen p0(line, outlineOnly ? 2.0 : 1.0);
        p0.setCosmetic(true);
        p0.setJoinStyle(Qt::RoundJoin);
        return p0;
    }();
    p.setPen(pen);
    p.setBrush(outlineOnly ? QBrush(kNavy) : QBrush(QColor(255, 255, 0)));
    p.drawPath(nib);
    p.drawLine(QPointF(0.03 * L, 0), QPointF(0.15 * L, 0)); // the nib's slit
    p.setBrush(outlineOnly ? QBrush(kNavy) : QBrush(QColor(40, 40, 40)));
    p.drawPath(grip);
    QLinearGradient shine(QPointF(0, -w), QPointF(0, w));
    shine.setColorAt(0, QColor(80, 80, 200));
    shine.setColorAt(0.35, QColor(20, 20, 150));
    shine.setColorAt(1, QColor(0, 0, 80));
    p.setBrush(outlineOnly ? QBrush(kNavy) : QBrush(shine));
    p.drawPath(barrel);
    p.drawLine(QPointF(0.56 * L, -w), QPointF(0.56 * L, w)); // where the cap meets the barrel
    p.setBrush(outlineOnly ? QBrush(kNavy) : QBrush(QColor(192, 192, 192)));
    p.drawPath(clip);
}

// A form with a heading, labelled fields, two check boxes and a signature line.
void paintFormOutline(QPainter& p, const QRectF& r)
{
    p.setPen(hairline(kBlue, 2.0));
    p.setBrush(Qt::NoBrush);
    const double fold = 22;
    QPolygonF sheet;
    sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
          << r.bottomRight() << r.bottomLeft() << r.topLeft();
    p.drawPolyline(sheet);
    p.drawPolyline(QPolygonF() << QPointF(r.right() - fold, r.top())
                               << QPointF(r.right() - fold, r.top() + fold)
                               << QPointF(r.right(), r.top() + fold));
    const double x0 = r.left() + 12, x1 = r.right() - 12;
    p.drawLine(QPointF(x0, r.top() + 16), QPointF(x0 + 52, r.top() + 16));
    p.setPen(hairline(kBlue, 1.0));
    for (int i = 0; i < 4; ++i) {
        const double y = r.top() + 34 + i * 24;
        p.drawLine(QPointF(x0, y), QPointF(x0 + 26, y));
        p.drawRect(QRectF(QPointF(x0, y + 5), QPointF(x1, y + 15)));
    }
    for (int i = 0; i < 2; ++i) {
        const double y = r.top() + 136 + i * 16;
        p.drawRect(QRectF(x0, y, 9, 9));
        p.drawLine(QPointF(x0 + 16, y + 5), QPointF(x0 + 16 + 40 - i * 12, y + 5));
    }
    p.drawLine(QPointF(x0 + 2, r.top() + 140), QPointF(x0 + 4, r.top() + 143));
    p.drawLine(QPointF(x0 + 4, r.top() + 143), QPointF(x0 + 8, r.top() + 135));
    p.drawLine(QPointF(x0, r.bottom() - 14), QPointF(x1, r.bottom() - 14));
}

// The small framed emblem: a sheet with lines and a pen writing on it.
void paintEmblemFrame(QPainter& p, const QRect& frame)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(frame);
    p.setBrush(kWhite);
    p.drawRect(QRect(frame.left(), frame.top(), frame.width(), 1));
    p.drawRect(QRect(frame.left(), frame.top(), 1, frame.height()));
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRect(frame.left(), frame.bottom(), frame.width(), 1));
    p.drawRect(QRect(frame.right(), frame.top(), 1, frame.height()));
    const QRect inner = frame.adjusted(3, 3, -3, -3);
    p.setBrush(QColor(0, 128, 128));
    p.drawRect(inner);
    const QRect sheet(inner.left() + 4, inner.top() + 3, 21, inner.height() - 6);
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(sheet.translated(1, 1));
    p.setBrush(kWhite);
    p.drawRect(sheet);
    p.setBrush(QColor(128, 128, 128));
    for (int y = sheet.top() + 4, k = 0; y < sheet.bottom() - 9; y += 3, ++k)
        p.drawRect(QRect(sheet.left() + 3, y, sheet.width() - 6 - (k % 3 == 2 ? 5 : 0), 1));
    p.setBrush(kNavy);
    // The written stroke runs out of the pen's nib.
    const int base = sheet.bottom() - 5;
    for (int x = sheet.left() + 3; x < sheet.left() + 14; ++x)
        p.drawRect(QRect(x, base + ((x / 2) % 3 == 1 ? -1 : 0), 1, 1));
    p.save();
    p.translate(sheet.left() + 14.5, base + 0.5);
    p.rotate(-56);
    paintFountainPen(p, 28, 6, false, QColor(0, 0, 0));
    p.restore();
}

} // namespace

QImage sideStrip()
{
    QImage image = canvas(164, 314, kNavy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.save();
    p.translate(70, 170);
    p.rotate(-8);
    paintFormOutline(p, QRectF(-56, -88, 112, 176));
    p.restore();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.save();
    p.translate(58.5, 230.5);
    p.rotate(-52);
    paintFountainPen(p, 150, 26, true, kBlue);
    p.restore();
    paintEmblemFrame(p, QRect(112, 10, 44, 44));
    return image;
}

QImage titlePicture()
{
    QImage image = canvas(49, 49, kNavy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Three folders, each one further back and to the right, drawn back to front.
    for (int i = 2; i >= 0; --i) {
        const int x = 4 + i * 6, y = 19 - i * 6;
        QPolygon folder;
        folder << QPoint(x, y) << QPoint(x + 9, y) << QPoint(x + 11, y + 2) << QPoint(x + 28, y + 2)
               << QPoint(x + 28, y + 23) << QPoint(x, y + 23);
        p.setPen(QPen(kWhite, 1));
        p.setBrush(kNavy);
        p.drawPolygon(folder);
        p.drawLine(x, y + 5, x + 28, y + 5);
    }
    return image;
}

namespace {

struct PencilColours {
    QColor lead, wood, light, face, dark, metalTop, metalLow, rubber, edge;
};

PencilColours pencilColours(Look look)
{
    if (look == Look::Classic)
        return { Qt::black, QColor(192, 192, 192), QColor(255, 255, 0), QColor(255, 255, 0),
            QColor(128, 128, 0), QColor(255, 255, 255), QColor(128, 128, 128), QColor(255, 0, 0), Qt::black };
    return { QColor(50, 50, 50), QColor(240, 205, 150), QColor(255, 236, 120), QColor(250, 200, 30),
        QColor(205, 140, 0), QColor(240, 240, 240), QColor(140, 140, 150), QColor(235, 120, 130),
        QColor(60, 40, 10) };
}

// A pencil whose tip lies at tip, pointing down-left at 45 degrees.
void paintPencil(QPainter& p, QPointF tip, double length, double width, const PencilColours& c)
{
    const double L = length, w = width / 2;
    p.save();
    p.translate(tip);
    p.rotate(-45);
    const double cone = 0.24 * L, lead = 0.09 * L, ferrule = 0.8 * L, rubber = 0.88 * L;
    p.setPen(Qt::NoPen);
    p.setBrush(c.wood);
    p.drawPolygon(QPolygonF() << QPointF(0, 0) << QPointF(cone, -w) << QPointF(cone, w));
    p.setBrush(c.lead);
    p.drawPolygon(
        QPolygonF() << QPointF(0, 0) << QPointF(lead, -w * lead / cone) << QPointF(lead, w * lead / cone));
    const QColor faces[3] = { c.light, c.face, c.dark };
    for (int i = 0; i < 3; ++i) {
        p.setBrush(faces[i]);
        p.drawRect(QRectF(QPointF(cone, -w + i * 2 * w / 3), QPointF(ferrule, -w + (i + 1) * 2 * w / 3)));
    }
    p.setBrush(c.rubber);
    p.drawRoundedRect(QRectF(QPointF(rubber - w, -w), QPointF(L, w)), w * 0.6, w * 0.6);
    QLinearGradient metal(QPointF(0, -w), QPointF(0, w));
    metal.setColorAt(0, c.metalTop);
    metal.setColorAt(1, c.metalLow);
    p.setBrush(metal);
    p.drawRect(QRectF(QPointF(ferrule, -w), QPointF(rubber, w)));
    QPainterPath outline;
    outline.moveTo(0, 0);
    outline.lineTo(cone, -w);
    outline.lineTo(L - w * 0.5, -w);
    outline.quadTo(L, -w, L, 0);
    outline.quadTo(L, w, L - w * 0.5, w);
    outline.lineTo(cone, w);
    outline.closeSubpath();
    p.setBrush(Qt::NoBrush);
    p.setPen(hairline(c.edge));
    p.drawPath(outline);
    p.restore();
}

} // namespace

QImage pencilIcon(int size, Look look)
{
    const bool classic = look == Look::Classic;
    const double s = size, u = size / 16.0;
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, !classic);
    const QRectF sheet(QPointF(std::round(1 * u), 0), QPointF(std::round(12 * u), s));
    const double fold = std::round(3.5 * u);
    const double l = sheet.left() + 0.5, t = sheet.top() + 0.5, r = sheet.right() - 0.5,
                 b = sheet.bottom() - 0.5;
    p.setPen(hairline(classic ? QColor(0, 0, 0) : QColor(90, 90, 90)));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygonF() << QPointF(l, t) << QPointF(r - fold, t) << QPointF(r, t + fold)
                              << QPointF(r, b) << QPointF(l, b));
    p.setBrush(classic ? QColor(192, 192, 192) : QColor(215, 215, 215));
    p.drawPolygon(QPolygonF() << QPointF(r - fold, t) << QPointF(r - fold, t + fold) << QPointF(r, t + fold));
    p.setPen(hairline(classic ? QColor(128, 128, 128) : QColor(120, 140, 200)));
    const double step = size >= 48 ? 4 : (size >= 32 ? 3 : 2);
    for (double y = t + fold + step; y < s * 0.62; y += step)
        p.drawLine(QPointF(l + 2 * u, y), QPointF(r - 2 * u - (int(y) % 3 == 0 ? 2 * u : 0), y));
    // The line the pencil is writing ends at its tip.
    const QPointF tip(std::round(7 * u) + 0.5, std::round(12.5 * u) + 0.5);
    QPainterPath ink;
    ink.moveTo(l + 2 * u, tip.y());
    for (double x = l + 2 * u; x < tip.x(); x += u)
        ink.quadTo(x + u * 0.5, tip.y() - u * 0.9 * ((int(x / u) % 2) ? 1 : -0.6), x + u, tip.y());
    p.setPen(QPen(classic ? QColor(0, 0, 128) : QColor(20, 40, 140), std::max(1.0, u * 0.6)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(ink);
    paintPencil(p, tip, (s - tip.x() - 0.5) * std::sqrt(2.0), std::max(3.0, 3.4 * u), pencilColours(look));
    return image;
}

} // namespace art
