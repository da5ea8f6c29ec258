#include "art_reader.h"

#include <functional>

namespace artcheck {
namespace {

// Little-endian reads that fail instead of running past the end.
class Bytes {
public:
    explicit Bytes(const QByteArray& data)
        : m_data(data)
    {
    }
    bool has(uint64_t offset, uint64_t length) const
    {
        return offset <= uint64_t(m_data.size()) && length <= uint64_t(m_data.size()) - offset;
    }
    std::optional<uint32_t> u(uint64_t offset, int width) const
    {
        if (!has(offset, uint64_t(width))) return std::nullopt;
        uint32_t v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = (v << 8) | uint8_t(m_data[qsizetype(offset) + i]);
        return v;
    }
    QByteArray slice(uint64_t offset, uint64_t length) const
    {
        return has(offset, length) ? m_data.mid(qsizetype(offset), qsizetype(length)) : QByteArray();
    }

private:
    const QByteArray& m_data;
};

int stride(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

QRgb quad(const Bytes& b, uint64_t at)
{
    return qRgb(int(*b.u(at + 2, 1)), int(*b.u(at + 1, 1)), int(*b.u(at, 1)));
}

} // namespace

std::optional<Bitmap> readBitmap4(const QByteArray& file)
{
    const Bytes b(file);
    const auto magic = b.u(0, 2), offset = b.u(10, 4), header = b.u(14, 4);
    const auto width = b.u(18, 4), height = b.u(22, 4), bits = b.u(28, 2), compression = b.u(30, 4);
    if (!magic || *magic != 0x4D42 || !header || *header != 40 || !bits || *bits != 4 || !compression
        || *compression != 0 || !width || !height || *width == 0 || *height == 0 || *width > 4096
        || *height > 4096)
        return std::nullopt;
    Bitmap out { int(*width), int(*height), {}, {} };
    if (!b.has(54, 64) || !offset || !b.has(*offset, uint64_t(stride(out.width, 4)) * uint64_t(out.height)))
        return std::nullopt;
    for (int i = 0; i < 16; ++i)
        out.palette.push_back(quad(b, 54 + 4 * uint64_t(i)));
    for (int y = 0; y < out.height; ++y) {
        const uint64_t row = *offset + uint64_t(stride(out.width, 4)) * uint64_t(out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            const uint32_t byte = *b.u(row + uint64_t(x / 2), 1);
            out.index.push_back(uint8_t(x % 2 ? byte & 0x0F : byte >> 4));
        }
    }
    return out;
}

std::optional<IconDib> readIconDib(const QByteArray& dib)
{
    const Bytes b(dib);
    const auto header = b.u(0, 4), width = b.u(4, 4), height2 = b.u(8, 4), planes = b.u(12, 2),
               bits = b.u(14, 2);
    if (!header || *header != 40 || !width || !height2 || !planes || *planes != 1 || !bits)
        return std::nullopt;
    IconDib out { int(*width), int(*height2 / 2), int(*bits), {}, {} };
    if (out.width <= 0 || out.width > 256 || out.height <= 0 || out.height > 256 || *height2 % 2
        || (out.bitCount != 4 && out.bitCount != 8 && out.bitCount != 32))
        return std::nullopt;
    const uint64_t colours = out.bitCount < 32 ? (1u << out.bitCount) : 0;
    const uint64_t bitsAt = 40 + 4 * colours;
    const uint64_t maskAt = bitsAt + uint64_t(stride(out.width, out.bitCount)) * uint64_t(out.height);
    const uint64_t end = maskAt + uint64_t(stride(out.width, 1)) * uint64_t(out.height);
    if (uint64_t(dib.size()) != end) return std::nullopt;
    for (int y = 0; y < out.height; ++y) {
        const uint64_t row
            = bitsAt + uint64_t(stride(out.width, out.bitCount)) * uint64_t(out.height - 1 - y);
        const uint64_t maskRow = maskAt + uint64_t(stride(out.width, 1)) * uint64_t(out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            QRgb c = 0;
            if (out.bitCount == 32) {
                c = qRgba(int(*b.u(row + 4 * uint64_t(x) + 2, 1)), int(*b.u(row + 4 * uint64_t(x) + 1, 1)),
                    int(*b.u(row + 4 * uint64_t(x), 1)), int(*b.u(row + 4 * uint64_t(x) + 3, 1)));
            } else {
                const uint32_t byte = *b.u(row + uint64_t(x * out.bitCount / 8), 1);
                const uint32_t i = out.bitCount == 8 ? byte : (x % 2 ? byte & 0x0F : byte >> 4);
                c = quad(b, 40 + 4 * uint64_t(i));
            }
            out.pixels.push_back(c);
            out.transparent.push_back(uint8_t((*b.u(maskRow + uint64_t(x / 8), 1) >> (7 - x % 8)) & 1));
        }
    }
    return out;
}

namespace {

IconEntry describe(const Bytes& b, uint64_t at)
{
    const auto dim = [](uint32_t v) { return v == 0 ? 256 : int(v); };
    return { dim(*b.u(at, 1)), dim(*b.u(at + 1, 1)), int(*b.u(at + 2, 1)), int(*b.u(at + 6, 2)), {} };
}

} // namespace

std::optional<std::vector<IconEntry>> readIco(const QByteArray& file)
{
    const Bytes b(file);
    const auto reserved = b.u(0, 2), type = b.u(2, 2), count = b.u(4, 2);
    if (!reserved || *reserved != 0 || !type || *type != 1 || !count || !b.has(6, 16 * uint64_t(*count)))
        return std::nullopt;
    std::vector<IconEntry> out;
    for (uint32_t i = 0; i < *count; ++i) {
        const uint64_t at = 6 + 16 * uint64_t(i);
        IconEntry e = describe(b, at);
        const uint32_t size = *b.u(at + 8, 4), offset = *b.u(at + 12, 4);
        if (!b.has(offset, size)) return std::nullopt;
        e.dib = b.slice(offset, size);
        out.push_back(e);
    }
    return out;
}

std::optional<std::vector<GroupEntry>> readGroupDirectory(const QByteArray& group)
{
    const Bytes b(group);
    const auto type = b.u(2, 2), count = b.u(4, 2);
    if (!type || *type != 1 || !count || uint64_t(group.size()) != 6 + 14 * uint64_t(*count))
        return std::nullopt;
    std::vector<GroupEntry> out;
    for (uint32_t i = 0; i < *count; ++i) {
        const uint64_t at = 6 + 14 * uint64_t(i);
        out.push_back({ describe(b, at), int(*b.u(at + 12, 2)) });
        out.back().description.dib.resize(qsizetype(*b.u(at + 8, 4)));
    }
    return out;
}

std::optional<Resources> readResources(const QByteArray& pe)
{
    const Bytes b(pe);
    const auto lfanew = b.u(0x3C, 4);
    if (!b.u(0, 2) || *b.u(0, 2) != 0x5A4D || !lfanew || !b.u(*lfanew, 4) || *b.u(*lfanew, 4) != 0x4550)
        return std::nullopt;
    const uint64_t coff = *lfanew + 4;
    const auto sections = b.u(coff + 2, 2), optionalSize = b.u(coff + 16, 2), magic = b.u(coff + 20, 2);
    if (!sections || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
    const uint64_t dirs = coff + 20 + (*magic == 0x10B ? 96 : 112);
    const auto resourceRva = b.u(dirs + 2 * 8, 4);
    if (!resourceRva || *resourceRva == 0) return std::nullopt;
    const uint64_t table = coff + 20 + *optionalSize;
    // Maps an address in the loaded image to its place in the file.
    const auto fileOffset = [&](uint32_t rva) -> std::optional<uint64_t> {
        for (uint32_t i = 0; i < *sections; ++i) {
            const uint64_t s = table + 40 * uint64_t(i);
            const auto va = b.u(s + 12, 4), raw = b.u(s + 16, 4), ptr = b.u(s + 20, 4);
            if (!va || !raw || !ptr) return std::nullopt;
            if (rva >= *va && rva - *va < *raw) return *ptr + (rva - *va);
        }
        return std::nullopt;
    };
    const auto root = fileOffset(*resourceRva);
    if (!root) return std::nullopt;
    // Each directory lists its named entries first, then the ids; bit 31 marks a subdirectory.
    const auto entries = [&](uint64_t dir) {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        const auto named = b.u(dir + 12, 2), ids = b.u(dir + 14, 2);
        if (!named || !ids) return out;
        for (uint32_t i = 0; i < *named + *ids; ++i) {
            const auto name = b.u(dir + 16 + 8 * uint64_t(i), 4), data = b.u(dir + 20 + 8 * uint64_t(i), 4);
            if (!name || !data) return decltype(out)();
            out.emplace_back(*name, *data);
        }
        return out;
    };
    Resources out;
    for (const auto& [type, typeDir] : entries(*root)) {
        if (!(typeDir & 0x80000000u)) return std::nullopt;
        for (const auto& [id, idDir] : entries(*root + (typeDir & 0x7FFFFFFFu))) {
            if (!(idDir & 0x80000000u)) return std::nullopt;
            const auto languages = entries(*root + (idDir & 0x7FFFFFFFu));
            if (languages.empty() || (languages[0].second & 0x80000000u)) return std::nullopt;
            const uint64_t leaf = *root + languages[0].second;
            const auto rva = b.u(leaf, 4), size = b.u(leaf + 4, 4);
            const auto at = rva ? fileOffset(*rva) : std::nullopt;
            if (!size || !at || !b.has(*at, *size)) return std::nullopt;
            out.byType[int(type)].emplace_back(int(id), b.slice(*at, *size));
        }
    }
    return out;
}

} // namespace artcheck
