// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the icon reader and decoder with whole files: counts the icons,
// extracts every index at both sizes, and decodes every image of every icon
// in every language (not only the chosen one), so that all decoder paths
// are reached.
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    icons::IconFile file;
    file.setData({ data, size });
    const int count = file.count();
    for (int i = 0; i < count; ++i) {
        icons::loadIcon(file, i, icons::kLargeIconSize);
        icons::loadIcon(file, i, icons::kSmallIconSize);
        file.groupName(i);
        const int languages = std::max(1, int(file.groupLanguages(i).size()));
        for (int language = 0; language < languages; ++language) {
            for (const icons::ImageEntry& entry : file.images(i, language)) {
                icons::StoredFormat format;
                icons::readStoredFormat(file.imageData(entry), format);
                icons::decodeIconImage(file.imageData(entry));
            }
        }
    }
    file.indexOfGroupId(1);
    return 0;
}
