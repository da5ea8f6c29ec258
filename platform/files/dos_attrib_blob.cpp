// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/dos_attrib_blob.h"

#include "platform/little_endian.h"

#include <cstring>

namespace files {

namespace {

constexpr std::uint32_t kValidAttrib = 0x1;
constexpr std::uint32_t kValidCreateTime = 0x10;

// Where a version keeps its fields within the body, and how long the body
// must at least be.
struct Layout {
    qsizetype minBody;
    qsizetype flags; // -1: no valid-flags word
    qsizetype attrib;
    qsizetype create;
    bool writable;
};

std::optional<Layout> layoutOf(std::uint16_t version)
{
    switch (version) {
    case 1:
        return Layout { 40, -1, 0, 24, true };
    case 2:
        return Layout { 52, -1, 4, 28, false };
    case 3:
        return Layout { 44, 0, 4, 28, true };
    case 4:
        return Layout { 24, 0, 4, 16, true };
    case 5:
        return Layout { 16, 0, 4, 8, true };
    default:
        return std::nullopt;
    }
}

std::uint32_t get32(const QByteArray& b, qsizetype at)
{
    return le::get32(b.constData() + at);
}

std::uint64_t get64(const QByteArray& b, qsizetype at)
{
    return std::uint64_t(get32(b, at)) | (std::uint64_t(get32(b, at + 4)) << 32);
}

std::optional<std::uint32_t> parseHex(const QByteArray& text)
{
    QByteArray t = text;
    if (t.startsWith("0x") || t.startsWith("0X")) t = t.mid(2);
    if (t.isEmpty() || t.size() > 8) return std::nullopt;
    bool ok = false;
    const std::uint32_t v = t.toUInt(&ok, 16);
    return ok ? std::optional<std::uint32_t>(v) : std::nullopt;
}

// The parts of a blob: its hex text, version and the body's offset.
struct Parsed {
    QByteArray hex;
    std::uint16_t version = 0;
    qsizetype body = 0;
};

std::optional<Parsed> parseBlob(const QByteArray& value)
{
    const qsizetype nul = value.indexOf('\0');
    if (nul < 0) return std::nullopt;
    Parsed p;
    p.hex = value.left(nul);
    qsizetype at = (nul + 1 + 1) & ~qsizetype(1);
    if (at + 4 > value.size()) return std::nullopt;
    p.version = le::get16(value.constData() + at);
    if (le::get16(value.constData() + at + 2) != p.version) return std::nullopt;
    p.body = (at + 4 + 3) & ~qsizetype(3);
    return p;
}

bool isTextForm(const QByteArray& value)
{
    const qsizetype nul = value.indexOf('\0');
    // Text, or text with its NUL and nothing after it (Samba's own text form).
    return nul < 0 || nul + 1 >= value.size();
}

QByteArray textPart(const QByteArray& value)
{
    const qsizetype nul = value.indexOf('\0');
    return nul < 0 ? value : value.left(nul);
}

} // namespace

std::optional<DosAttrib> decodeDosAttrib(const QByteArray& value)
{
    if (isTextForm(value)) {
        const auto v = parseHex(textPart(value));
        if (!v) return std::nullopt;
        return DosAttrib { false, 0, *v, std::nullopt };
    }
    const auto p = parseBlob(value);
    const auto layout = p ? layoutOf(p->version) : std::nullopt;
    if (!p || !layout || value.size() - p->body < layout->minBody) {
        // An unknown version: its hex text is all we can read.
        const auto v = parseHex(textPart(value));
        if (!v) return std::nullopt;
        return DosAttrib { true, p ? p->version : std::uint16_t(0), *v, std::nullopt };
    }
    DosAttrib out { true, p->version, 0, std::nullopt };
    const std::uint32_t flags = layout->flags < 0 ? ~0u : get32(value, p->body + layout->flags);
    if (flags & kValidAttrib) out.attrib = get32(value, p->body + layout->attrib);
    if (layout->flags < 0 || (flags & kValidCreateTime))
        out.createTime = get64(value, p->body + layout->create);
    return out;
}

QByteArray encodeDosAttribText(std::uint32_t attrib)
{
    return "0x" + QByteArray::number(attrib, 16);
}

std::optional<QByteArray> withDosAttrib(const QByteArray& stored, std::uint32_t attrib)
{
    if (stored.isEmpty() || isTextForm(stored)) {
        if (!stored.isEmpty() && !parseHex(textPart(stored))) return std::nullopt;
        return encodeDosAttribText(attrib);
    }
    const auto p = parseBlob(stored);
    const auto layout = p ? layoutOf(p->version) : std::nullopt;
    if (!p || !layout || !layout->writable || stored.size() - p->body < layout->minBody) return std::nullopt;
    QByteArray body = stored.mid(p->body);
    if (layout->flags >= 0) le::put32(body.data() + layout->flags, get32(body, layout->flags) | kValidAttrib);
    le::put32(body.data() + layout->attrib, attrib);

    // Samba leaves the hex text empty from version 4 on and ignores it when
    // reading; we fill it in, because Wine reads only the text.
    QByteArray out = encodeDosAttribText(attrib);
    out.append('\0');
    if (out.size() % 2) out.append('\0');
    char head[4];
    le::put16(head, p->version);
    le::put16(head + 2, p->version);
    out.append(head, 4);
    while (out.size() % 4)
        out.append('\0');
    out.append(body);
    return out;
}

} // namespace files
