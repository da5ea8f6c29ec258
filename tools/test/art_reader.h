#pragma once
// A small, independent reader of the generated files, so that the tests look
// at the bytes on disk rather than at the generator's own idea of them.
#include <QByteArray>
#include <QtGui/qrgb.h>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace artcheck {

// A 4 bpp bitmap file, its palette and its pixel indexes, rows top-down.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette;
    std::vector<uint8_t> index;
};
std::optional<Bitmap> readBitmap4(const QByteArray& file);

// One icon image decoded from its DIB: colours, and the AND mask (1 = transparent).
struct IconDib {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<QRgb> pixels; // alpha as stored for 32 bpp, opaque otherwise
    std::vector<uint8_t> transparent;
};
// The DIB must be exactly as long as its header, colour table, colour bits and mask.
std::optional<IconDib> readIconDib(const QByteArray& dib);

struct IconEntry {
    int width = 0;
    int height = 0;
    int colourCount = 0;
    int bitCount = 0;
    QByteArray dib;
};
// An .ico file's directory with each image's bytes; nothing when any entry lies outside the file.
std::optional<std::vector<IconEntry>> readIco(const QByteArray& file);

// A group directory (RT_GROUP_ICON) entry: the image's description and its RT_ICON id.
struct GroupEntry {
    IconEntry description;
    int iconId = 0;
};
std::optional<std::vector<GroupEntry>> readGroupDirectory(const QByteArray& group);

// The resources of a PE file by type and id (first language), in directory order.
struct Resources {
    std::map<int, std::vector<std::pair<int, QByteArray>>> byType;
};
std::optional<Resources> readResources(const QByteArray& pe);

} // namespace artcheck
