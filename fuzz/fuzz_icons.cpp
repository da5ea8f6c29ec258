// Fuzzes the icon reader and decoder with whole files: counts the icons,
// extracts every index at both sizes, and decodes every image of every icon
// (not only the chosen one), so that all decoder paths are reached.
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"

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
        for (const icons::ImageEntry& entry : file.images(i))
            icons::decodeIconImage(file.imageData(entry));
    }
    file.indexOfGroupId(1);
    return 0;
}
