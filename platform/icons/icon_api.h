// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shell's icon calls under their Windows names: extraction from .ico,
// .exe and .dll files, drawing, and releasing. An HICON indexes a handle
// table that holds the icon's image; 0 is no handle.
#include "platform/gdi.h"
#include "platform/win_types.h"

#include <QImage>
#include <QString>

// Index 0xFFFFFFFF (-1): the number of icons in the file, as a handle-sized
// number. Another negative index: the icon whose resource id is its
// absolute value. Otherwise the handle of icon `index` at the large size,
// or 0 when the file has no such icon. As on Windows, the system sizes
// grow with the screen: the image is the large size times
// icons::screenRatio() in pixels, and carries that ratio.
HICON ExtractIconA(HINSTANCE instance, const QString& file, UINT index);

// Fills the large and/or small slots for `count` icons from `index` on
// (a slot pointer may be null; slots without an icon get 0). Returns the
// number of icons extracted, or with index -1 and both slots null the
// number of icons in the file.
UINT ExtractIconExA(const QString& file, int index, HICON* large, HICON* small, UINT count);

// Draws the icon at x, y at the large icon size, blending by its alpha,
// and tells the surface's owner to repaint. FALSE without surface or icon.
// Sizes and x, y are logical: a surface of device pixel ratio r gets an
// image of 32 * r pixels, picked again from the icon's entries when the
// handle's image has another size.
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// Releases the handle. FALSE for 0 or a handle that is not live.
BOOL DestroyIcon(HICON icon);

// How many handles are live; tests check that none is left behind.
int LiveIconHandles();

namespace icons {
// What Windows shows for icon `index` of the file at `path` (local or on a
// share) at size x size logical pixels, for a screen of device pixel ratio
// `ratio`; a negative index names a group by resource id. The pick and the
// decoding: loadIcon in icon_decoder.h. Null when there is no such icon.
QImage loadIcon(const QString& path, int index, int size, qreal ratio = 1.0);
// The device pixel ratio of the program's screens (the highest of them);
// 1 without a window system.
qreal screenRatio();
// A new handle holding `image`; 0 for a null image.
HICON createIconHandle(const QImage& image);
// A copy of the image behind a handle; null for 0 or a dead handle.
QImage iconHandleImage(HICON icon);
// The position of the icon whose resource id is `id` in file, or -1.
int iconPositionOfId(const QString& file, int id);
// How many icons a file's bytes hold (ExtractIconExA's count of a file
// already read): what was counted is what a copy then writes.
int iconCountIn(const QByteArray& bytes);
} // namespace icons
