// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing of the program's pictures and of the bundled folder icons. Every
// picture is painted with QPainter from paths, so the generator needs no
// image files and produces the same pixels on every run.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <vector>

namespace art {

enum class Emblem {
    None,
    Star,
    Music,
    Picture,
    Document,
    Zipper,
    Heart,
    Check,
    Cross,
    Lock,
    Globe,
    ArrowUp,
    ArrowDown,
    Plus,
    Lightning,
    Envelope,
    Magnifier,
    Disc,
    Clock,
    Flag,
    House,
    Gear,
    Film,
    Person,
};

// A transparent canvas with premultiplied alpha, the format QPainter draws fastest into.
QImage canvas(int width, int height, QColor fill = Qt::transparent);
// Mixes two colours: t = 0 gives a, t = 1 gives b.
QColor mix(const QColor& a, const QColor& b, double t);
// A cosmetic pen: its width stays in device pixels whatever the transform.
QPen hairline(const QColor& colour, double width = 1.0);
// Pixel-centre coordinates: snapping strokes there keeps one-pixel lines sharp.
inline double centre(double edge)
{
    return edge + 0.5;
}

// A folder colour: the true-colour base, and the two VGA colours (face, back) that
// stand for it in 16-colour images.
struct FolderColour {
    QColor base;
    QColor vgaFace;
    QColor vgaBack;
};

// How an image is painted: smooth in true colour, or crisp in the 16 VGA colours.
enum class Look { Smooth, Classic };

// A folder at one of the icon sizes, with an optional emblem.
QImage folderIcon(int size, const FolderColour& colour, Emblem emblem, Look look = Look::Smooth);
// Paints an emblem into box; size is the icon size, for choosing the level of detail.
// Antialiasing follows the painter's setting.
void paintEmblem(QPainter& p, Emblem emblem, const QRectF& box, int size, Look look);

// The program's own icon: a pencil writing on a sheet.
QImage pencilIcon(int size, Look look = Look::Smooth);

// The introduction page's side strip, 164 x 314.
QImage sideStrip();
// The title strip's picture, 49 x 49.
QImage titlePicture();

} // namespace art
