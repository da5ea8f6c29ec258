// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A device context is the drawing surface of a picture box: an image that
// keeps what is drawn into it until it is cleared, and a way to ask the
// owner to repaint.
#include <QImage>

#include <functional>

struct DrawingSurface {
    // ARGB32_Premultiplied, the picture box's client area in device pixels,
    // carrying the screen's device pixel ratio
    QImage image;
    std::function<void()> changed; // called after drawing; repaints the owner
};

using HDC = DrawingSurface*;
