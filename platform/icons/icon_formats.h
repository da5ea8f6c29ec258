// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// On-disk records of icon files and of the PE resource tree, as stored
// (little-endian, packed). They are only ever filled by ByteView::read, which
// checks the range first, so no record is read past the end of a file.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little, "icon records are read in place as little-endian");

namespace icons {

// A read-only window on a mapped file or a buffer. Every access checks its
// range with overflow-safe arithmetic and fails instead of reading outside.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size && length <= size - offset;
    }
    template <typename T> bool read(std::uint64_t offset, T& out) const
    {
        if (!contains(offset, sizeof(T))) return false;
        std::memcpy(&out, data + offset, sizeof(T));
        return true;
    }
    ByteView sub(std::uint64_t offset, std::uint64_t length) const
    {
        if (!contains(offset, length)) return {};
        return { data + offset, static_cast<std::size_t>(length) };
    }
    bool empty() const { return size == 0; }
};

#pragma pack(push, 1)

// .ico file: a directory followed by its entries.
struct IconDir {
    std::uint16_t reserved;
    std::uint16_t type; // 1 for icons
    std::uint16_t count;
};
struct IconDirEntry {
    std::uint8_t width; // 0 means 256
    std::uint8_t height;
    std::uint8_t colorCount;
    std::uint8_t reserved;
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::uint32_t bytesInRes;
    std::uint32_t imageOffset;
};
// RT_GROUP_ICON resource: the same directory, entries naming RT_ICON ids.
struct GroupIconDirEntry {
    std::uint8_t width;
    std::uint8_t height;
    std::uint8_t colorCount;
    std::uint8_t reserved;
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::uint32_t bytesInRes;
    std::uint16_t id;
};

struct BitmapInfoHeader {
    std::uint32_t size;
    std::int32_t width;
    std::int32_t height; // twice the icon's height: colour rows, then mask rows
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::uint32_t sizeImage;
    std::int32_t xPelsPerMeter;
    std::int32_t yPelsPerMeter;
    std::uint32_t clrUsed;
    std::uint32_t clrImportant;
};
// The colour masks that follow a BITMAPINFOHEADER with BI_BITFIELDS, or
// that a V4/V5 header carries inside itself (then with the alpha mask).
struct BitfieldMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
    std::uint32_t alpha;
};

struct DosHeader {
    std::uint16_t magic; // "MZ"
    std::uint8_t unused[58];
    std::uint32_t peOffset;
};
struct CoffHeader {
    std::uint32_t signature; // "PE\0\0"
    std::uint16_t machine;
    std::uint16_t numberOfSections;
    std::uint32_t timeDateStamp;
    std::uint32_t pointerToSymbolTable;
    std::uint32_t numberOfSymbols;
    std::uint16_t sizeOfOptionalHeader;
    std::uint16_t characteristics;
};
struct DataDirectory {
    std::uint32_t virtualAddress;
    std::uint32_t size;
};
struct SectionHeader {
    char name[8];
    std::uint32_t virtualSize;
    std::uint32_t virtualAddress;
    std::uint32_t sizeOfRawData;
    std::uint32_t pointerToRawData;
    std::uint32_t pointerToRelocations;
    std::uint32_t pointerToLinenumbers;
    std::uint16_t numberOfRelocations;
    std::uint16_t numberOfLinenumbers;
    std::uint32_t characteristics;
};
struct ResourceDirectory {
    std::uint32_t characteristics;
    std::uint32_t timeDateStamp;
    std::uint16_t majorVersion;
    std::uint16_t minorVersion;
    std::uint16_t numberOfNamedEntries;
    std::uint16_t numberOfIdEntries;
};
struct ResourceDirectoryEntry {
    std::uint32_t name; // high bit: offset of a counted UTF-16 name; else the id
    std::uint32_t offset; // high bit: offset of a subdirectory; else of a data entry
};
struct ResourceDataEntry {
    std::uint32_t dataRva;
    std::uint32_t size;
    std::uint32_t codePage;
    std::uint32_t reserved;
};

#pragma pack(pop)

static_assert(sizeof(IconDir) == 6);
static_assert(sizeof(IconDirEntry) == 16);
static_assert(sizeof(GroupIconDirEntry) == 14);
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(BitfieldMasks) == 16);
static_assert(sizeof(DosHeader) == 64);
static_assert(sizeof(CoffHeader) == 24);
static_assert(sizeof(DataDirectory) == 8);
static_assert(sizeof(SectionHeader) == 40);
static_assert(sizeof(ResourceDirectory) == 16);
static_assert(sizeof(ResourceDirectoryEntry) == 8);
static_assert(sizeof(ResourceDataEntry) == 16);

inline constexpr std::uint16_t kDosMagic = 0x5A4D; // "MZ"
inline constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"
inline constexpr std::uint16_t kPe32Magic = 0x10B;
inline constexpr std::uint16_t kPe32PlusMagic = 0x20B;
// Where the data directories start inside the optional header.
inline constexpr std::uint32_t kPe32DataDirectories = 96;
inline constexpr std::uint32_t kPe32PlusDataDirectories = 112;
inline constexpr std::uint32_t kResourceDirectoryIndex = 2;
inline constexpr std::uint32_t kResourceHighBit = 0x80000000u;

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupIcon = 14;

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;

} // namespace icons
