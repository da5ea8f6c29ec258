// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Module Icons: one icon of an .ico, .exe or .dll file as picture objects,
// optionally after the user chose file and icon in the icon-choice dialog.
#include "platform/picture.h"
#include "platform/win_types.h"

#include <QString>

// What GetIconPicture returns: nothing, one picture, or a pair whose
// elements are numbered 1 (large icon) and 2 (small icon). A picture in it
// may be null where the conversion was refused; it is empty (a null image)
// where the file has no such icon.
struct IconPictureResult {
    enum Kind { Empty, One, Pair };
    Kind kind = Empty;
    StdPicture picture; // kind One
    StdPicture largePicture; // kind Pair, element 1
    StdPicture smallPicture; // kind Pair, element 2

    bool isEmpty() const { return kind == Empty; }
    bool isPair() const { return kind == Pair; }
    StdPicture large() const { return largePicture; }
    StdPicture small() const { return smallPicture; }
    // Element 1 or 2 of a pair; null otherwise.
    StdPicture item(int n) const
    {
        if (kind != Pair) return {};
        return n == 1 ? largePicture : n == 2 ? smallPicture : StdPicture();
    }
};

// Extraction modes.
inline constexpr int kIconLarge = 0;
inline constexpr int kIconSmall = 1;
inline constexpr int kIconLargeAndSmall = 2;

// Picture type 3 is an icon. Null when the platform refuses the conversion.
StdPicture IconToPicture(HICON icon, int picType, bool takeOwnership);

// With showDialog the dialog opens on fileName and iconIndex first; when it
// is cancelled the result is empty and both stay unchanged, when confirmed
// both receive the choice. Then, by mode: 0 the large picture, 1 the small
// one, 2 the pair; any other mode gives an empty result. Every icon handle
// taken here is released before the call returns.
IconPictureResult GetIconPicture(QString& fileName, int& iconIndex, int mode, bool showDialog, HWND owner);
