// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_file.h"

#include <algorithm>

namespace icons {

namespace {

int bitsForColors(int colors)
{
    int bits = 0;
    while (bits < 8 && (1 << bits) < colors)
        ++bits;
    return bits;
}

ImageEntry entryFrom(std::uint8_t width, std::uint8_t height, std::uint8_t colors, std::uint16_t bitCount)
{
    ImageEntry e;
    e.width = width ? width : 256;
    e.height = height ? height : 256;
    // Some writers leave the bit count 0 and give only the palette size.
    e.bitCount = bitCount ? bitCount : bitsForColors(colors);
    return e;
}

} // namespace

bool IconFile::open(const QString& path)
{
    if (!bytes_.open(path)) return false;
    parse();
    return true;
}

void IconFile::setData(ByteView data)
{
    bytes_.setMemory(data);
    parse();
}

void IconFile::parse()
{
    kind_ = Kind::None;
    count_ = 0;
    IconDir dir {};
    if (bytes_.read(0, dir) && dir.reserved == 0 && dir.type == 1 && dir.count > 0
        && bytes_.contains(sizeof(IconDir), std::uint64_t(dir.count) * sizeof(IconDirEntry))) {
        kind_ = Kind::Ico;
        count_ = 1;
        return;
    }
    if (parsePe())
        kind_ = Kind::Pe;
    else
        count_ = 0;
}

bool IconFile::parsePe()
{
    DosHeader dos {};
    CoffHeader coff {};
    if (!bytes_.read(0, dos) || dos.magic != kDosMagic || !bytes_.read(dos.peOffset, coff)
        || coff.signature != kPeSignature)
        return false;
    const std::uint64_t optional = std::uint64_t(dos.peOffset) + sizeof(CoffHeader);
    std::uint16_t magic = 0;
    if (!bytes_.read(optional, magic) || (magic != kPe32Magic && magic != kPe32PlusMagic)) return false;
    const std::uint32_t dirs = magic == kPe32Magic ? kPe32DataDirectories : kPe32PlusDataDirectories;
    std::uint32_t dirCount = 0;
    DataDirectory resources {};
    const std::uint64_t resourceEntry = dirs + kResourceDirectoryIndex * sizeof(DataDirectory);
    if (!bytes_.read(optional + dirs - 4, dirCount) || dirCount <= kResourceDirectoryIndex
        || resourceEntry + sizeof(DataDirectory) > coff.sizeOfOptionalHeader
        || !bytes_.read(optional + resourceEntry, resources) || resources.virtualAddress == 0)
        return false;
    sectionTable_ = optional + coff.sizeOfOptionalHeader;
    sectionCount_ = coff.numberOfSections;
    if (!bytes_.contains(sectionTable_, std::uint64_t(sectionCount_) * sizeof(SectionHeader))
        || !rvaToOffset(resources.virtualAddress, sizeof(ResourceDirectory), resourceRoot_))
        return false;

    // The type level: find the icon group and icon directories.
    ResourceDirectory root {};
    bytes_.read(resourceRoot_, root);
    const std::uint32_t types = std::uint32_t(root.numberOfNamedEntries) + root.numberOfIdEntries;
    iconDir_ = 0;
    groupDir_ = 0;
    for (std::uint32_t i = 0; i < types; ++i) {
        ResourceDirectoryEntry e {};
        if (!bytes_.read(resourceRoot_ + sizeof(ResourceDirectory) + std::uint64_t(i) * sizeof(e), e))
            return false;
        if ((e.name & kResourceHighBit) || !(e.offset & kResourceHighBit)) continue;
        const std::uint64_t sub = resourceRoot_ + (e.offset & ~kResourceHighBit);
        if (e.name == kRtGroupIcon && !groupDir_)
            groupDir_ = sub;
        else if (e.name == kRtIcon && !iconDir_)
            iconDir_ = sub;
    }
    ResourceDirectory groups {};
    if (!groupDir_ || !bytes_.read(groupDir_, groups)) return false;
    groupNamed_ = groups.numberOfNamedEntries;
    const std::uint64_t total = std::uint64_t(groups.numberOfNamedEntries) + groups.numberOfIdEntries;
    if (!bytes_.contains(groupDir_ + sizeof(ResourceDirectory), total * sizeof(ResourceDirectoryEntry)))
        return false;
    count_ = static_cast<int>(total);

    ResourceDirectory icons {};
    if (iconDir_ && bytes_.read(iconDir_, icons)
        && bytes_.contains(iconDir_ + sizeof(ResourceDirectory),
            (std::uint64_t(icons.numberOfNamedEntries) + icons.numberOfIdEntries)
                * sizeof(ResourceDirectoryEntry))) {
        iconNamed_ = icons.numberOfNamedEntries;
        iconIds_ = icons.numberOfIdEntries;
    } else {
        iconDir_ = 0;
    }
    return true;
}

bool IconFile::rvaToOffset(std::uint32_t rva, std::uint32_t length, std::uint64_t& offset) const
{
    for (std::uint32_t i = 0; i < sectionCount_; ++i) {
        SectionHeader s {};
        if (!bytes_.read(sectionTable_ + std::uint64_t(i) * sizeof(s), s)) return false;
        if (rva < s.virtualAddress) continue;
        const std::uint64_t delta = rva - s.virtualAddress;
        if (delta >= s.sizeOfRawData || length > s.sizeOfRawData - delta) continue;
        offset = std::uint64_t(s.pointerToRawData) + delta;
        return bytes_.contains(offset, length);
    }
    return false;
}

bool IconFile::groupEntry(int index, ResourceDirectoryEntry& entry) const
{
    if (kind_ != Kind::Pe || index < 0 || index >= count_) return false;
    return bytes_.read(groupDir_ + sizeof(ResourceDirectory) + std::uint64_t(index) * sizeof(entry), entry);
}

bool IconFile::languageSpan(std::uint32_t entryOffset, int language, FileSpan& span) const
{
    // Name level -> language level -> data entry; the tree has exactly these
    // levels here, so a loop in the file cannot make us walk further.
    if (!(entryOffset & kResourceHighBit) || language < 0) return false;
    const std::uint64_t languages = resourceRoot_ + (entryOffset & ~kResourceHighBit);
    ResourceDirectory dir {};
    ResourceDirectoryEntry entry {};
    ResourceDataEntry data {};
    if (!bytes_.read(languages, dir) || language >= dir.numberOfNamedEntries + dir.numberOfIdEntries
        || !bytes_.read(languages + sizeof(dir) + std::uint64_t(language) * sizeof(entry), entry)
        || (entry.offset & kResourceHighBit) || !bytes_.read(resourceRoot_ + entry.offset, data)
        || !rvaToOffset(data.dataRva, data.size, span.offset))
        return false;
    span.size = data.size;
    return true;
}

ByteView IconFile::languageData(std::uint32_t entryOffset, int language) const
{
    FileSpan span;
    return languageSpan(entryOffset, language, span) ? bytes_.sub(span.offset, span.size) : ByteView {};
}

bool IconFile::iconSpanById(std::uint32_t id, FileSpan& span) const
{
    if (!iconDir_) return false;
    const std::uint64_t first = iconDir_ + sizeof(ResourceDirectory) + std::uint64_t(iconNamed_) * 8;
    auto entryAt = [&](std::uint32_t i) {
        ResourceDirectoryEntry e {};
        bytes_.read(first + std::uint64_t(i) * 8, e); // the whole table was checked when parsed
        return e;
    };
    // The first entry whose id is not below the one sought, in stored order
    // or in the sorted copy.
    auto search = [&]() {
        auto at = [&](std::uint32_t i) { return iconSorted_.empty() ? entryAt(i) : iconSorted_[i]; };
        std::uint32_t lo = 0, hi = iconIds_;
        while (lo < hi) {
            const std::uint32_t mid = lo + (hi - lo) / 2;
            if (at(mid).name < id)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo < iconIds_ && at(lo).name == id && languageSpan(at(lo).offset, 0, span);
    };
    if (const bool found = search(); found || iconOrderChecked_) return found;
    // Ids are normally stored in ascending order. Only when the search
    // fails, check that; for a file that does not keep the order, sort a
    // copy once, so that no lookup scans the whole table.
    iconOrderChecked_ = true;
    for (std::uint32_t i = 1; i < iconIds_; ++i) {
        if (entryAt(i - 1).name > entryAt(i).name) {
            iconSorted_.reserve(iconIds_);
            for (std::uint32_t j = 0; j < iconIds_; ++j)
                iconSorted_.push_back(entryAt(j));
            std::stable_sort(iconSorted_.begin(), iconSorted_.end(),
                [](const ResourceDirectoryEntry& x, const ResourceDirectoryEntry& y) {
                    return x.name < y.name;
                });
            return search();
        }
    }
    return false;
}

std::vector<ImageEntry> IconFile::images(int index, int language) const
{
    std::vector<ImageEntry> out;
    if (kind_ == Kind::Ico && index == 0 && language == 0) {
        IconDir dir {};
        bytes_.read(0, dir);
        out.reserve(dir.count);
        for (int i = 0; i < dir.count; ++i) {
            IconDirEntry d {};
            bytes_.read(sizeof(IconDir) + std::uint64_t(i) * sizeof(d), d);
            ImageEntry e = entryFrom(d.width, d.height, d.colorCount, d.bitCount);
            e.id = static_cast<std::uint32_t>(i);
            e.offset = d.imageOffset;
            e.size = d.bytesInRes;
            out.push_back(e);
        }
        return out;
    }
    ResourceDirectoryEntry entry {};
    if (!groupEntry(index, entry)) return out;
    const ByteView group = languageData(entry.offset, language);
    IconDir dir {};
    if (!group.read(0, dir)
        || !group.contains(sizeof(dir), std::uint64_t(dir.count) * sizeof(GroupIconDirEntry)))
        return out;
    out.reserve(dir.count);
    for (int i = 0; i < dir.count; ++i) {
        GroupIconDirEntry d {};
        group.read(sizeof(IconDir) + std::uint64_t(i) * sizeof(d), d);
        ImageEntry e = entryFrom(d.width, d.height, d.colorCount, d.bitCount);
        e.id = d.id;
        e.size = d.bytesInRes;
        out.push_back(e);
    }
    return out;
}

std::vector<std::uint16_t> IconFile::groupLanguages(int index) const
{
    std::vector<std::uint16_t> out;
    ResourceDirectoryEntry entry {};
    ResourceDirectory dir {};
    if (!groupEntry(index, entry) || !(entry.offset & kResourceHighBit)) return out;
    const std::uint64_t at = resourceRoot_ + (entry.offset & ~kResourceHighBit);
    if (!bytes_.read(at, dir)) return out;
    const int count = dir.numberOfNamedEntries + dir.numberOfIdEntries;
    for (int i = 0; i < count; ++i) {
        ResourceDirectoryEntry language {};
        if (!bytes_.read(at + sizeof(dir) + std::uint64_t(i) * sizeof(language), language)) break;
        out.push_back(std::uint16_t(language.name));
    }
    return out;
}

bool IconFile::imageSpan(const ImageEntry& entry, FileSpan& span) const
{
    if (kind_ == Kind::Ico) span = { entry.offset, entry.size };
    return kind_ == Kind::Ico || (kind_ == Kind::Pe && iconSpanById(entry.id, span));
}

ByteView IconFile::imageData(const ImageEntry& entry) const
{
    FileSpan span;
    return imageSpan(entry, span) ? bytes_.sub(span.offset, span.size) : ByteView {};
}

bool IconFile::readSpan(const FileSpan& span, std::vector<std::uint8_t>& into) const
{
    return bytes_.copy(span.offset, span.size, into);
}

int IconFile::indexOfGroupId(std::uint32_t id) const
{
    for (int i = static_cast<int>(groupNamed_); i < count_; ++i) {
        ResourceDirectoryEntry e {};
        if (groupEntry(i, e) && e.name == id) return i;
    }
    return -1;
}

QString IconFile::groupName(int index) const
{
    if (kind_ == Kind::Ico) return index == 0 ? QStringLiteral("0") : QString();
    ResourceDirectoryEntry e {};
    if (!groupEntry(index, e)) return {};
    if (!(e.name & kResourceHighBit)) return QString::number(e.name);
    const std::uint64_t at = resourceRoot_ + (e.name & ~kResourceHighBit);
    std::uint16_t length = 0;
    if (!bytes_.read(at, length)) return {};
    const ByteView text = bytes_.sub(at + 2, std::uint64_t(length) * 2);
    if (text.size != std::size_t(length) * 2) return {};
    QString name(length, Qt::Uninitialized);
    std::memcpy(name.data(), text.data, text.size);
    return name;
}

} // namespace icons
