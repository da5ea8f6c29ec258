// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bundled folder icons: which colours and emblems they combine, and how
// each is coded as a set of icon images.
#include "art_codec.h"
#include "art_paint.h"

#include <QString>

#include <vector>

namespace art {

struct FolderIconRecipe {
    QString name;
    FolderColour colour;
    Emblem emblem;
};

// The stand-alone .ico files, with their file names.
const std::vector<FolderIconRecipe>& bundledIcons();
// The icon groups of the bundled library, in resource order.
const std::vector<FolderIconRecipe>& libraryIcons();

// The sizes Windows shows folder icons at: details (16), lists and dialogs (24, 32),
// medium icons (48) and, scaled down, large and extra large icons (256).
inline constexpr int kFolderIconSizes[] = { 16, 24, 32, 48, 256 };

// The images of a stand-alone folder icon: each size in 32 bpp with alpha, 256 as PNG.
std::vector<IconImage> folderIconFile(const FolderIconRecipe& recipe);
// The images of a library group: those of a stand-alone icon, then 16 and 32 pixels again
// in 16 colours for displays without true colour.
std::vector<IconImage> folderIconGroup(const FolderIconRecipe& recipe);
// The program's window icon: 16, 32 and 48 pixels, each in 16 and in 256 colours.
std::vector<IconImage> programIcon();

// A resource-only PE32 DLL holding the groups as RT_GROUP_ICON ids 1, 2, ... in German.
QByteArray iconLibrary(const std::vector<std::vector<IconImage>>& groups);

} // namespace art
