// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture object: a reference-counted image that a picture box can show
// as its background picture. It holds its own copy of the image, so it stays
// drawable after the icon handle it was made from is gone.
#include <QImage>

#include <memory>

struct PictureObject {
    QImage image;
};

using StdPicture = std::shared_ptr<const PictureObject>;
