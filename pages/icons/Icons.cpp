// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/icons/Icons.h"

#include "pages/icons/IconDateiDialog.h"
#include "platform/icons/icon_api.h"
#include "platform/icons/ole_picture.h"

namespace {

const QString kPictureInterface = QStringLiteral("{7BF80981-BF32-101A-8BBB-00AA00300CAB}");

// Converts and releases one handle; the picture keeps its own image.
StdPicture pictureOf(HICON icon)
{
    StdPicture picture = IconToPicture(icon, PICTYPE_ICON, false);
    if (icon) DestroyIcon(icon);
    return picture;
}

} // namespace

StdPicture IconToPicture(HICON icon, int picType, bool takeOwnership)
{
    PICTDESC desc {};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = static_cast<std::uint32_t>(picType);
    desc.hicon = static_cast<std::uint32_t>(icon);
    IID iid {};
    if (IIDFromString(kPictureInterface, &iid) != S_OK) return {};
    StdPicture picture;
    if (OleCreatePictureIndirect(&desc, iid, takeOwnership ? 1 : 0, &picture) != S_OK) return {};
    return picture;
}

IconPictureResult GetIconPicture(QString& fileName, int& iconIndex, int mode, bool showDialog, HWND owner)
{
    QString file = fileName;
    int index = iconIndex;
    if (showDialog) {
        if (!ShowIconDialog(file, index, owner)) return {};
        fileName = file;
        iconIndex = index;
    }
    IconPictureResult result;
    HICON large = 0;
    HICON small = 0;
    switch (mode) {
    case kIconLarge:
        ExtractIconExA(file, index, &large, nullptr, 1);
        result.kind = IconPictureResult::One;
        result.picture = pictureOf(large);
        break;
    case kIconSmall:
        ExtractIconExA(file, index, nullptr, &small, 1);
        result.kind = IconPictureResult::One;
        result.picture = pictureOf(small);
        break;
    case kIconLargeAndSmall:
        ExtractIconExA(file, index, &large, &small, 1);
        result.kind = IconPictureResult::Pair;
        result.largePicture = pictureOf(large);
        result.smallPicture = pictureOf(small);
        break;
    default:
        break;
    }
    return result;
}
