// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_decoder.h"

#include "platform/icons/icon_choice.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace icons {

namespace {

QImage decodePng(ByteView data)
{
    // The size sits in the IHDR chunk right after the signature; check it
    // before Qt allocates anything.
    StoredFormat f;
    if (!readStoredFormat(data, f) || f.width <= 0 || f.height <= 0 || f.width > kMaxImageSide
        || f.height > kMaxImageSide)
        return {};
    // Qt's own PNG reader; told the format and not to guess, it loads no
    // image plugin to ask.
    QByteArray bytes = QByteArray::fromRawData(
        reinterpret_cast<const char*>(data.data), qsizetype(std::min<std::size_t>(data.size, INT32_MAX)));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage decodeIconImage(ByteView data)
{
    if (isPng(data)) return decodePng(data);
    Pixels pixels;
    if (!decodeBitmap(data, pixels)) return {};
    QImage image(pixels.width, pixels.height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(image.scanLine(y), pixels.row(y), std::size_t(pixels.width) * 4);
    return image;
}

QImage loadIcon(const IconFile& file, int index, int size, qreal ratio)
{
    const int pixels = std::max(1, qRound(size * ratio));
    const std::vector<ImageEntry> entries = file.images(index);
    const int chosen = chooseImage(entries, pixels, pixels);
    if (chosen < 0) return {};
    QImage image = decodeIconImage(file.imageData(entries[chosen]));
    if (image.isNull()) return image;
    if (image.width() != pixels || image.height() != pixels)
        image = image.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace icons
