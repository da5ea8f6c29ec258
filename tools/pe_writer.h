// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes PE32 and PE32+ images that hold icon resources, and .ico files.
// Header-only, standard library only, for tests and for generating icon
// libraries.
//
//   pe_writer::PeWriter dll(pe_writer::Format::Pe32Plus);
//   dll.addIconGroup(u"MAIN", pe_writer::readIco(icoBytes));  // a named group
//   dll.addIconGroup(7, images, 0x407);                       // group id 7, German
//   std::vector<std::uint8_t> bytes = dll.build();
//
// Each image of a group becomes one RT_ICON resource with the next free id
// (1, 2, ...). Resources are stored in the order they were added, except
// that at each level of the tree named entries come before numbered ones,
// as the format requires. A real linker also sorts names and ids; add them
// in that order to get files like a linker's. Out-of-order or damaged trees
// can be made with addResource and by patching the bytes at layout()
// offsets.
#include "platform/little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace pe_writer {

using Bytes = std::vector<std::uint8_t>;

enum class Format { Pe32, Pe32Plus };

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kEnglish = 0x409;
inline constexpr std::uint16_t kGerman = 0x407;

// A resource name or type: a number or a text.
struct Name {
    std::uint16_t id = 0;
    std::u16string text;

    Name(std::uint16_t n)
        : id(n)
    {
    }
    Name(const char16_t* t)
        : text(t)
    {
    }
    Name(std::u16string t)
        : text(std::move(t))
    {
    }
    bool isText() const { return !text.empty(); }
    bool operator==(const Name& o) const { return id == o.id && text == o.text; }
};

// One image of an icon: its directory fields and its data (a DIB with
// mask, or a PNG file). Width and height 256 are stored as 0.
struct IconImage {
    int width = 32;
    int height = 32;
    int bitCount = 32;
    int colorCount = 0;
    Bytes data;
};

// Writes grow the buffer as needed.
inline void put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 2) b.resize(at + 2);
    le::put16(b.data() + at, std::uint16_t(v));
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 4) b.resize(at + 4);
    le::put32(b.data() + at, v);
}
inline std::uint32_t get16(const Bytes& b, std::size_t at)
{
    return le::get16(b.data() + at);
}
inline std::uint32_t get32(const Bytes& b, std::size_t at)
{
    return le::get32(b.data() + at);
}

// An .ico file of the images.
// The first 12 bytes of an entry, alike in .ico files and group
// directories: size, colours, planes, depth and data size.
inline void putEntryHead(Bytes& out, std::size_t e, const IconImage& im)
{
    out[e] = std::uint8_t(im.width >= 256 ? 0 : im.width);
    out[e + 1] = std::uint8_t(im.height >= 256 ? 0 : im.height);
    out[e + 2] = std::uint8_t(im.colorCount);
    put16(out, e + 4, 1);
    put16(out, e + 6, std::uint32_t(im.bitCount));
    put32(out, e + 8, std::uint32_t(im.data.size()));
}

inline Bytes writeIco(const std::vector<IconImage>& images)
{
    Bytes out;
    put16(out, 0, 0);
    put16(out, 2, 1);
    put16(out, 4, std::uint32_t(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& im = images[i];
        const std::size_t e = 6 + 16 * i;
        out.resize(e + 16);
        putEntryHead(out, e, im);
        put32(out, e + 12, std::uint32_t(offset));
        offset += im.data.size();
    }
    for (const IconImage& im : images)
        out.insert(out.end(), im.data.begin(), im.data.end());
    return out;
}

// The images of an .ico file; empty for anything that is not a whole one.
inline std::vector<IconImage> readIco(const Bytes& ico)
{
    std::vector<IconImage> images;
    if (ico.size() < 6 || get16(ico, 0) != 0 || get16(ico, 2) != 1) return images;
    const std::size_t count = get16(ico, 4);
    if (ico.size() < 6 + 16 * count) return {};
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        const std::uint64_t size = get32(ico, e + 8), offset = get32(ico, e + 12);
        if (offset + size > ico.size()) return {};
        IconImage im;
        im.width = ico[e] ? ico[e] : 256;
        im.height = ico[e + 1] ? ico[e + 1] : 256;
        im.colorCount = ico[e + 2];
        im.bitCount = int(get16(ico, e + 6));
        im.data.assign(ico.begin() + std::ptrdiff_t(offset), ico.begin() + std::ptrdiff_t(offset + size));
        images.push_back(std::move(im));
    }
    return images;
}

// An RT_GROUP_ICON directory: entries naming RT_ICON ids.
struct GroupEntry {
    IconImage image; // only the directory fields and data.size() are used
    std::uint16_t iconId = 0;
};
inline Bytes groupDirectory(const std::vector<GroupEntry>& entries)
{
    Bytes out;
    put16(out, 0, 0);
    put16(out, 2, 1);
    put16(out, 4, std::uint32_t(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IconImage& im = entries[i].image;
        const std::size_t e = 6 + 14 * i;
        out.resize(e + 14);
        putEntryHead(out, e, im);
        put16(out, e + 12, entries[i].iconId);
    }
    return out;
}

// File offsets of the parts of a built image, for tests that damage it.
struct Layout {
    std::uint32_t peHeader = 0; // the "PE\0\0" signature
    std::uint32_t sectionTable = 0;
    std::uint32_t resources = 0; // the root resource directory
    std::uint32_t resourceRva = 0;
    std::map<std::uint16_t, std::uint32_t> nameDirectory; // by numbered type
};

class PeWriter {
public:
    explicit PeWriter(Format format = Format::Pe32Plus)
        : format_(format)
    {
    }

    // A group of `images`, each stored as an RT_ICON resource with the next
    // free id, all in `language`.
    void addIconGroup(
        const Name& name, const std::vector<IconImage>& images, std::uint16_t language = kEnglish)
    {
        std::vector<GroupEntry> entries;
        for (const IconImage& im : images) {
            entries.push_back({ im, nextIconId_ });
            addResource(kRtIcon, nextIconId_++, language, im.data);
        }
        addResource(kRtGroupIcon, name, language, groupDirectory(entries));
    }

    // Any resource, stored as given.
    void addResource(const Name& type, const Name& name, std::uint16_t language, Bytes data)
    {
        resources_.push_back({ type, name, language, std::move(data) });
    }

    // The id addIconGroup gives the next image.
    std::uint16_t nextIconId() const { return nextIconId_; }

    Bytes build()
    {
        const bool plus = format_ == Format::Pe32Plus;
        const std::uint32_t optionalSize = plus ? 240 : 224;
        layout_ = {};
        layout_.peHeader = 0x40;
        layout_.sectionTable = 0x40 + 24 + optionalSize;
        const std::uint32_t headers = 0x400, rva = 0x1000;
        layout_.resources = headers;
        layout_.resourceRva = rva;
        const Bytes rsrc = resourceSection(rva);
        const std::uint32_t raw = align(std::uint32_t(rsrc.size()), 0x200);

        Bytes out(headers, 0);
        put16(out, 0, 0x5A4D);
        put32(out, 0x3C, layout_.peHeader);
        put32(out, 0x40, 0x00004550);
        put16(out, 0x44, plus ? 0x8664 : 0x14C);
        put16(out, 0x46, 1);
        put16(out, 0x54, optionalSize);
        put16(out, 0x56, plus ? 0x2022 : 0x2102);
        const std::size_t o = 0x58;
        put16(out, o, plus ? 0x20B : 0x10B);
        out[o + 2] = 14;
        put32(out, o + 8, raw);
        put32(out, o + 20, rva);
        if (plus) {
            put32(out, o + 24, 0x80000000u);
            put32(out, o + 28, 1);
        } else {
            put32(out, o + 24, rva);
            put32(out, o + 28, 0x10000000u);
        }
        put32(out, o + 32, 0x1000);
        put32(out, o + 36, 0x200);
        put16(out, o + 40, 6);
        put16(out, o + 48, 6);
        put32(out, o + 56, rva + align(std::uint32_t(rsrc.size()), 0x1000));
        put32(out, o + 60, headers);
        put16(out, o + 68, 2);
        put16(out, o + 70, 0x140);
        const std::size_t dirs = o + (plus ? 112 : 96);
        put32(out, dirs - 4, 16);
        put32(out, dirs + 16, rva);
        put32(out, dirs + 20, std::uint32_t(rsrc.size()));
        const std::size_t s = layout_.sectionTable;
        std::memcpy(out.data() + s, ".rsrc", 5);
        put32(out, s + 8, std::uint32_t(rsrc.size()));
        put32(out, s + 12, rva);
        put32(out, s + 16, raw);
        put32(out, s + 20, headers);
        put32(out, s + 36, 0x40000040u);
        out.insert(out.end(), rsrc.begin(), rsrc.end());
        out.resize(headers + raw, 0);
        return out;
    }

    // Offsets of the last build().
    const Layout& layout() const { return layout_; }

private:
    struct Resource {
        Name type;
        Name name;
        std::uint16_t language;
        Bytes data;
    };
    struct Node {
        Name name;
        std::vector<std::size_t> children; // indexes into resources_ at the language level
        std::vector<Node> nodes; // the next level down
    };

    static std::uint32_t align(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

    // Groups `items` by key, in order of first appearance, named before numbered.
    template <typename Key> static std::vector<Node> level(const std::vector<std::size_t>& items, Key key)
    {
        std::vector<Node> nodes;
        for (std::size_t i : items) {
            auto it
                = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.name == key(i); });
            if (it == nodes.end()) {
                nodes.push_back({ key(i), {}, {} });
                it = nodes.end() - 1;
            }
            it->children.push_back(i);
        }
        std::stable_partition(nodes.begin(), nodes.end(), [](const Node& n) { return n.name.isText(); });
        return nodes;
    }

    Bytes resourceSection(std::uint32_t rva)
    {
        std::vector<std::size_t> all(resources_.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        std::vector<Node> types = level(all, [&](std::size_t i) { return resources_[i].type; });
        for (Node& t : types)
            t.nodes = level(t.children, [&](std::size_t i) { return resources_[i].name; });

        // Directories first, then name texts, then data entries, then data.
        std::uint32_t size = 16 + 8 * std::uint32_t(types.size());
        for (const Node& t : types) {
            size += 16 + 8 * std::uint32_t(t.nodes.size());
            for (const Node& n : t.nodes)
                size += 16 + 8 * std::uint32_t(n.children.size());
        }
        Bytes out(size, 0);
        std::uint32_t dir = 0;
        auto text = [&](const Name& n) {
            const std::uint32_t at = std::uint32_t(out.size());
            put16(out, at, std::uint32_t(n.text.size()));
            for (char16_t c : n.text)
                put16(out, out.size(), c);
            return at | 0x80000000u;
        };
        auto header = [&](std::uint32_t at, const std::vector<Node>& nodes, std::size_t count) {
            const auto named
                = std::count_if(nodes.begin(), nodes.end(), [](const Node& n) { return n.name.isText(); });
            put16(out, at + 12, std::uint32_t(named));
            put16(out, at + 14, std::uint32_t(count - std::size_t(named)));
        };
        std::vector<std::pair<std::uint32_t, std::size_t>> dataEntries; // entry slot, resource
        const std::uint32_t root = dir;
        dir += 16 + 8 * std::uint32_t(types.size());
        header(root, types, types.size());
        for (std::size_t ti = 0; ti < types.size(); ++ti) {
            const Node& t = types[ti];
            const std::uint32_t names = dir;
            if (!t.name.isText()) layout_.nameDirectory[t.name.id] = layout_.resources + names;
            dir += 16 + 8 * std::uint32_t(t.nodes.size());
            put32(out, root + 16 + 8 * ti, t.name.isText() ? text(t.name) : t.name.id);
            put32(out, root + 20 + 8 * ti, names | 0x80000000u);
            header(names, t.nodes, t.nodes.size());
            for (std::size_t ni = 0; ni < t.nodes.size(); ++ni) {
                const Node& n = t.nodes[ni];
                const std::uint32_t langs = dir;
                dir += 16 + 8 * std::uint32_t(n.children.size());
                put32(out, names + 16 + 8 * ni, n.name.isText() ? text(n.name) : n.name.id);
                put32(out, names + 20 + 8 * ni, langs | 0x80000000u);
                put16(out, langs + 14, std::uint32_t(n.children.size()));
                for (std::size_t li = 0; li < n.children.size(); ++li) {
                    put32(out, langs + 16 + 8 * li, resources_[n.children[li]].language);
                    dataEntries.push_back({ langs + 20 + std::uint32_t(8 * li), n.children[li] });
                }
            }
        }
        appendData(out, dataEntries, rva);
        return out;
    }

    // The data entries, each pointed to from its language slot, then the data.
    void appendData(
        Bytes& out, const std::vector<std::pair<std::uint32_t, std::size_t>>& places, std::uint32_t rva)
    {
        out.resize(align(std::uint32_t(out.size()), 4));
        const std::uint32_t entries = std::uint32_t(out.size());
        out.resize(entries + 16 * places.size(), 0);
        for (std::size_t k = 0; k < places.size(); ++k) {
            const Bytes& data = resources_[places[k].second].data;
            const std::uint32_t entry = entries + 16 * std::uint32_t(k);
            put32(out, places[k].first, entry);
            out.resize(align(std::uint32_t(out.size()), 8));
            put32(out, entry, rva + std::uint32_t(out.size()));
            put32(out, entry + 4, std::uint32_t(data.size()));
            out.insert(out.end(), data.begin(), data.end());
        }
    }

    Format format_;
    std::vector<Resource> resources_;
    std::uint16_t nextIconId_ = 1;
    Layout layout_;
};

} // namespace pe_writer
