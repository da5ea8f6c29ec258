// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The icon reader: an .ico file holds one icon, a PE file (PE32 or PE32+)
// holds one icon per entry of its RT_GROUP_ICON directory, in stored order.
// Only the directories are parsed up front; image data is found when asked.
#include "platform/icons/file_bytes.h"
#include "platform/icons/icon_formats.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace icons {

// One image of an icon, as its directory entry describes it.
struct ImageEntry {
    int width = 0; // 1..256 (a stored 0 means 256)
    int height = 0;
    int bitCount = 0; // stored bit count, derived from the colour count when 0
    std::uint32_t id = 0; // PE: the RT_ICON id of the image
    std::uint64_t offset = 0; // .ico: where the image data lies in the file
    std::uint64_t size = 0;
};

class IconFile {
public:
    IconFile() = default;
    IconFile(const IconFile&) = delete;
    IconFile& operator=(const IconFile&) = delete;

    // Opens the file; its bytes are read as the parse needs them. False
    // when it is no regular file that can be opened; the object then holds
    // no icons.
    bool open(const QString& path);
    // Reads from memory that the caller keeps alive while this object lives.
    void setData(ByteView data);

    int count() const { return count_; }
    // An .ico file, as opposed to a PE file.
    bool isIco() const { return kind_ == Kind::Ico; }
    // The image directory of icon `index` (0-based) in the `language`-th
    // language it is stored in; empty when the icon is missing or its
    // directory is broken. Icons are shown in their first language.
    std::vector<ImageEntry> images(int index, int language = 0) const;
    // The language ids a group is stored in, in stored order; none for the
    // icon of an .ico file.
    std::vector<std::uint16_t> groupLanguages(int index) const;
    // The bytes of one image; empty when they are missing or out of range.
    ByteView imageData(const ImageEntry& entry) const;
    // Where they lie, and a copy of them into the caller's buffer, which
    // keeps nothing in this object: many threads may read at once, and a
    // buffer used again costs no fresh memory.
    bool imageSpan(const ImageEntry& entry, FileSpan& span) const;
    bool readSpan(const FileSpan& span, std::vector<std::uint8_t>& into) const;
    // The position of the group with resource id `id`, or -1.
    int indexOfGroupId(std::uint32_t id) const;
    // The group's resource name as tools print it: a number, or the name text.
    QString groupName(int index) const;

private:
    enum class Kind { None, Ico, Pe };

    void parse();
    bool parsePe();
    bool rvaToOffset(std::uint32_t rva, std::uint32_t length, std::uint64_t& offset) const;
    bool groupEntry(int index, ResourceDirectoryEntry& entry) const;
    bool languageSpan(std::uint32_t entryOffset, int language, FileSpan& span) const;
    ByteView languageData(std::uint32_t entryOffset, int language = 0) const;
    bool iconSpanById(std::uint32_t id, FileSpan& span) const;

    FileBytes bytes_;
    Kind kind_ = Kind::None;
    int count_ = 0;
    // PE layout, valid when kind_ is Pe.
    std::uint64_t sectionTable_ = 0;
    std::uint32_t sectionCount_ = 0;
    std::uint64_t resourceRoot_ = 0; // file offset of the resource tree
    std::uint64_t groupDir_ = 0; // file offset of the RT_GROUP_ICON name directory
    std::uint32_t groupNamed_ = 0;
    std::uint64_t iconDir_ = 0; // of the RT_ICON name directory; 0 when absent
    std::uint32_t iconNamed_ = 0;
    std::uint32_t iconIds_ = 0;
    // A sorted copy of the RT_ICON id entries, made only for unsorted files.
    mutable bool iconOrderChecked_ = false;
    mutable std::vector<ResourceDirectoryEntry> iconSorted_;
};

} // namespace icons
