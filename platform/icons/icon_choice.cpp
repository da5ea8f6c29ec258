// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_choice.h"

#include <cstdlib>
#include <limits>
#include <tuple>

namespace icons {

int chooseImage(const std::vector<ImageEntry>& entries, int cx, int cy, int depth)
{
    int best = -1;
    std::tuple<bool, int, int> bestKey { true, std::numeric_limits<int>::max(),
        std::numeric_limits<int>::max() };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ImageEntry& e = entries[i];
        // A larger image scaled down keeps its detail; a smaller one scaled
        // up blurs, so it is taken only when nothing covers the size.
        const bool smaller = e.width < cx || e.height < cy;
        const std::tuple<bool, int, int> key { smaller, std::abs(e.width - cx) + std::abs(e.height - cy),
            std::abs(e.bitCount - depth) };
        // Strictly better only, so that the earliest of equals stays.
        if (key < bestKey) {
            best = static_cast<int>(i);
            bestKey = key;
        }
    }
    return best;
}

} // namespace icons
