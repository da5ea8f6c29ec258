// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_choice.h"

#include "platform/icons/icon_decoder.h"

#include <cstdlib>
#include <limits>

namespace icons {

int chooseImage(const std::vector<ImageEntry>& entries, int cx, int cy, int depth)
{
    int best = -1;
    int bestSize = std::numeric_limits<int>::max();
    int bestDepth = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int size = std::abs(entries[i].width - cx) + std::abs(entries[i].height - cy);
        const int colours = std::abs(entries[i].bitCount - depth);
        // Strictly better only, so that the earliest of equals stays.
        if (size < bestSize || (size == bestSize && colours < bestDepth)) {
            best = static_cast<int>(i);
            bestSize = size;
            bestDepth = colours;
        }
    }
    return best;
}

QImage loadIcon(const IconFile& file, int index, int size)
{
    const std::vector<ImageEntry> entries = file.images(index);
    const int chosen = chooseImage(entries, size, size);
    if (chosen < 0) return {};
    QImage image = decodeIconImage(file.imageData(entries[chosen]));
    if (image.isNull() || (image.width() == size && image.height() == size)) return image;
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace icons
