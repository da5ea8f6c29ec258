// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_choice.h"

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

} // namespace icons
