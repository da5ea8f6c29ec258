// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/bitmap_decoder.h"

#include "platform/little_endian.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace icons {

namespace {

constexpr std::uint8_t kPngSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t argb(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// One colour channel under a bit mask, widened to 8 bits by repeating its
// bits, as Windows widens 5-bit channels (31 -> 255, 16 -> 132).
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m)
        : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::bit_width(m >> shift);
        }
    }
    std::uint32_t operator()(std::uint32_t pixel) const
    {
        if (!bits) return 0;
        std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
        std::uint32_t out = v << (8 - bits);
        for (int filled = bits; filled < 8; filled += bits)
            out |= out >> bits;
        return out & 0xFF;
    }
};

struct Layout {
    int width = 0;
    int height = 0;
    int bpp = 0;
    std::uint64_t paletteOffset = 0;
    std::uint64_t colors = 0;
    std::uint64_t pixelOffset = 0;
    BitfieldMasks masks {};
};

bool readLayout(ByteView data, Layout& l)
{
    BitmapInfoHeader h {};
    if (!data.read(0, h) || h.size < sizeof(h) || h.size > data.size || h.width <= 0 || h.height < 2)
        return false;
    l.width = h.width;
    l.height = h.height / 2;
    l.bpp = h.bitCount;
    if (l.width > kMaxImageSide || l.height > kMaxImageSide) return false;
    const bool rgb = h.compression == kBiRgb;
    const bool fields = h.compression == kBiBitfields && (l.bpp == 16 || l.bpp == 32);
    if ((!rgb && !fields)
        || (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 16 && l.bpp != 24 && l.bpp != 32))
        return false;
    l.paletteOffset = h.size;
    if (fields) {
        // Masks follow a plain header; larger headers carry them inside.
        if (!data.read(sizeof(h), l.masks)) return false;
        if (h.size < sizeof(h) + 16) l.masks.alpha = 0;
        if (h.size == sizeof(h)) l.paletteOffset += 12;
        if (!l.masks.alpha && l.bpp == 32 && !((l.masks.red | l.masks.green | l.masks.blue) & 0xFF000000u))
            l.masks.alpha = 0xFF000000u;
    } else if (l.bpp == 16) {
        l.masks = { 0x7C00, 0x03E0, 0x001F, 0 };
    } else {
        l.masks = { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u };
    }
    if (l.bpp <= 8) l.colors = h.clrUsed ? h.clrUsed : (1u << l.bpp);
    if (!data.contains(l.paletteOffset, l.colors * 4)) return false;
    l.pixelOffset = l.paletteOffset + l.colors * 4;
    return true;
}

// Pixel x of a row of Bpp bits per pixel, as stored.
template <int Bpp> std::uint32_t readPixel(const std::uint8_t* row, int x)
{
    if constexpr (Bpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if constexpr (Bpp == 4) return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    if constexpr (Bpp == 8) return row[x];
    if constexpr (Bpp == 16) return le::get16(row + 2 * x);
    if constexpr (Bpp == 24)
        return row[3 * x] | std::uint32_t(row[3 * x + 1]) << 8 | std::uint32_t(row[3 * x + 2]) << 16;
    if constexpr (Bpp == 32) return le::get32(row + 4 * x);
}

// The palette as pixels, once; an index past the stored colours is black.
void readPalette(ByteView data, const Layout& l, std::uint32_t (&palette)[256])
{
    for (std::uint64_t i = 0; l.bpp <= 8 && i < 256; ++i) {
        palette[i] = argb(0, 0, 0, 0xFF);
        if (i >= l.colors) continue;
        const std::uint8_t* c = data.data + l.paletteOffset + 4 * i;
        palette[i] = argb(c[2], c[1], c[0], 0xFF);
    }
}

// Each stored pixel through `convert` into the image; the rows are stored
// bottom-up. One loop per depth, so that nothing is decided per pixel.
template <int Bpp, typename Image, typename Convert>
void convertRows(ByteView data, const Layout& l, std::uint64_t stride, Image& image, Convert convert)
{
    for (int y = 0; y < l.height; ++y) {
        const std::uint8_t* row = data.data + l.pixelOffset + std::uint64_t(y) * stride;
        auto* out = image.row(l.height - 1 - y);
        for (int x = 0; x < l.width; ++x)
            out[x] = convert(readPixel<Bpp>(row, x));
    }
}

// Calls f with the depth (1, 4, 8, 16, 24 or 32; readLayout allows no
// other) as a constant, so that each depth gets a loop of its own.
template <typename F> void withDepth(int bpp, F f)
{
    switch (bpp) {
    case 1:
        return f(std::integral_constant<int, 1>());
    case 4:
        return f(std::integral_constant<int, 4>());
    case 8:
        return f(std::integral_constant<int, 8>());
    case 16:
        return f(std::integral_constant<int, 16>());
    case 24:
        return f(std::integral_constant<int, 24>());
    default:
        return f(std::integral_constant<int, 32>());
    }
}

// The colour rows into ARGB pixels; `alpha` is left false when the image
// has no alpha channel or one that is zero everywhere. Palette images and
// 32 bpp images in the plain layout, nearly all icons, take short paths.
void decodeColours(ByteView data, const Layout& l, std::uint64_t stride, Pixels& image, bool& alpha)
{
    const Channel red(l.masks.red), green(l.masks.green), blue(l.masks.blue), alp(l.masks.alpha);
    const bool plain32 = l.bpp == 32 && l.masks.red == 0xFF0000 && l.masks.green == 0xFF00
        && l.masks.blue == 0xFF && l.masks.alpha == 0xFF000000u;
    std::uint32_t palette[256];
    readPalette(data, l, palette);
    std::uint32_t alphaBits = 0;
    const auto indexed = [&](std::uint32_t p) { return palette[p]; };
    const auto masked = [&](std::uint32_t p) {
        const std::uint32_t a = alp(p);
        alphaBits |= a << 24;
        return argb(red(p), green(p), blue(p), a);
    };
    withDepth(l.bpp, [&](auto bpp) {
        if constexpr (bpp <= 8) {
            convertRows<bpp>(data, l, stride, image, indexed);
        } else if (bpp == 32 && plain32) {
            // Stored as B, G, R, A: the ARGB32 value itself.
            convertRows<bpp>(data, l, stride, image, [&](std::uint32_t p) {
                alphaBits |= p;
                return p;
            });
        } else {
            convertRows<bpp>(data, l, stride, image, masked);
        }
    });
    alpha = (alphaBits >> 24) != 0;
}

// Where a bitmap's rows lie: the colour rows, and the mask's after them.
struct Rows {
    std::uint64_t stride = 0;
    std::uint64_t maskOffset = 0;
    std::uint64_t maskStride = 0;
    bool hasMask = false;
};

// False when the colour rows run past the data; a missing mask is none.
bool readRows(ByteView data, const Layout& l, Rows& r)
{
    r.stride = (std::uint64_t(l.width) * l.bpp + 31) / 32 * 4;
    r.maskStride = (std::uint64_t(l.width) + 31) / 32 * 4;
    if (!data.contains(l.pixelOffset, r.stride * l.height)) return false;
    r.maskOffset = l.pixelOffset + r.stride * l.height;
    r.hasMask = data.contains(r.maskOffset, r.maskStride * l.height);
    return true;
}

// Calls hidden(out, x) or shown(out, x) for each pixel of the image's rows
// (top-down), as the mask says.
template <typename Image, typename Hidden, typename Shown>
void applyMask(ByteView data, const Layout& l, const Rows& r, Image& image, Hidden hidden, Shown shown)
{
    for (int y = 0; y < l.height; ++y) {
        const std::uint8_t* row = data.data + r.maskOffset + std::uint64_t(y) * r.maskStride;
        auto* out = image.row(l.height - 1 - y);
        for (int x = 0; x < l.width; ++x) {
            if (r.hasMask && readPixel<1>(row, x))
                hidden(out, x);
            else
                shown(out, x);
        }
    }
}

} // namespace

bool decodeBitmap(ByteView data, Pixels& image)
{
    Layout l;
    Rows r;
    if (!readLayout(data, l) || !readRows(data, l, r)) return false;
    image.width = l.width;
    image.height = l.height;
    image.argb.resize(std::size_t(l.width) * std::size_t(l.height));
    bool alpha = false;
    decodeColours(data, l, r.stride, image, alpha);
    if (alpha) return true;
    applyMask(
        data, l, r, image, [](std::uint32_t* out, int x) { out[x] = 0; },
        [](std::uint32_t* out, int x) { out[x] |= 0xFF000000u; });
    return true;
}

bool decodeIndexedBitmap(ByteView data, IndexedPixels& image)
{
    Layout l;
    Rows r;
    if (!readLayout(data, l) || l.bpp > 8 || !readRows(data, l, r)) return false;
    image.width = l.width;
    image.height = l.height;
    image.index.resize(std::size_t(l.width) * std::size_t(l.height));
    const auto same = [](std::uint32_t p) { return std::uint8_t(p); };
    withDepth(l.bpp, [&](auto bpp) {
        if constexpr (bpp <= 8) convertRows<bpp>(data, l, r.stride, image, same);
    });
    std::uint32_t palette[256];
    readPalette(data, l, palette);
    const std::size_t colours = std::size_t(1) << l.bpp;
    image.palette.assign(palette, palette + colours);
    if (!r.hasMask) return true;
    // The transparent entry: after the colours, or one that no shown pixel uses.
    std::size_t transparent = colours;
    if (colours == 256) {
        bool shown[256] = {};
        applyMask(
            data, l, r, image, [](std::uint8_t*, int) {},
            [&](std::uint8_t* out, int x) { shown[out[x]] = true; });
        transparent = std::size_t(std::find(shown, shown + 256, false) - shown);
        if (transparent == 256) return false;
    }
    image.palette.resize(std::max(image.palette.size(), transparent + 1));
    image.palette[transparent] = 0;
    applyMask(
        data, l, r, image, [&](std::uint8_t* out, int x) { out[x] = std::uint8_t(transparent); },
        [](std::uint8_t*, int) {});
    return true;
}

bool isPng(ByteView data)
{
    return data.size >= sizeof(kPngSignature)
        && std::memcmp(data.data, kPngSignature, sizeof(kPngSignature)) == 0;
}

bool readStoredFormat(ByteView data, StoredFormat& format)
{
    if (isPng(data)) {
        // The IHDR chunk comes first: width, height, bit depth, colour type.
        if (data.size < 26 || std::memcmp(data.data + 12, "IHDR", 4) != 0) return false;
        static constexpr int kChannels[7] = { 1, 0, 3, 1, 2, 0, 4 };
        const int channels = data.data[25] < 7 ? kChannels[data.data[25]] : 0;
        format = { true, int(std::min<std::uint32_t>(bigEndian32(data.data + 16), INT32_MAX)),
            int(std::min<std::uint32_t>(bigEndian32(data.data + 20), INT32_MAX)), data.data[24] * channels };
        return true;
    }
    BitmapInfoHeader h {};
    if (!data.read(0, h) || h.size < sizeof(h)) return false;
    format = { false, h.width, h.height / 2, h.bitCount };
    return true;
}

} // namespace icons
