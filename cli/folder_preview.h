// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture of what Explorer will show for a folder, for users who cannot
// look at a Windows machine: the icon in four of Explorer's views, as
// Windows picks it from the icon file for each size, and the tooltip.
#include "store/windows_view.h"

#include <QImage>

// The views drawn, with the size of the icon in each.
struct PreviewView {
    const char* name;
    int size;
};
inline constexpr PreviewView kPreviewViews[] = {
    { "Details", 16 },
    { "Mittelgroße Symbole", 48 },
    { "Große Symbole", 96 },
    { "Extra große Symbole", 256 },
};

// Needs a QGuiApplication (the offscreen platform will do) for its text.
// A folder Windows will not show gets the plain folder icon and the reason;
// an icon only Windows can find, a placeholder naming the reference.
QImage FolderPreview(const FolderView& view);

// Loads the fonts the picture uses, which takes a while the first time.
void PreparePreviewFonts();

// Where the icon of view `index` (of kPreviewViews) lies in the picture, and
// the top left corner of the tooltip's box.
QRect PreviewIconRect(int index);
QPoint PreviewTooltipCorner();
