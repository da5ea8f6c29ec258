#include "art_codec.h"

#include <algorithm>
#include <array>
#include <map>

namespace art {
namespace {

class LittleEndian {
public:
    explicit LittleEndian(QByteArray& out)
        : m_out(out)
    {
    }
    void u8(unsigned v) { m_out.append(char(v & 0xFF)); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void rgbQuad(QRgb c)
    {
        u8(qBlue(c));
        u8(qGreen(c));
        u8(qRed(c));
        u8(0);
    }

private:
    QByteArray& m_out;
};

int rowBytes(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

// Perceptual weights keep greys grey and stop blues from drifting to black.
int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int nearest(const Palette& palette, QRgb c)
{
    int best = 0;
    for (int i = 1; i < int(palette.size()); ++i) {
        if (distance(palette[i], c) < distance(palette[best], c)) best = i;
    }
    return best;
}

QImage straightAlpha(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

IndexedImage mapToPalette(const QImage& source, const Palette& palette)
{
    const QImage image = straightAlpha(source);
    IndexedImage out;
    out.width = image.width();
    out.height = image.height();
    out.palette = palette;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool clear = qAlpha(row[x]) < 128;
            out.transparent.push_back(clear ? 1 : 0);
            out.index.push_back(clear ? 0 : uint8_t(nearest(palette, row[x])));
        }
    }
    return out;
}

// One box of the median cut: a run of the sorted colour list.
struct Box {
    std::vector<std::pair<QRgb, int>> colours;
    int channel = 0;
    int range = 0;
};

int channelOf(QRgb c, int channel)
{
    return channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
}

void measure(Box& box)
{
    box.range = -1;
    for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (const auto& [c, n] : box.colours) {
            lo = std::min(lo, channelOf(c, ch));
            hi = std::max(hi, channelOf(c, ch));
        }
        if (hi - lo > box.range) {
            box.range = hi - lo;
            box.channel = ch;
        }
    }
}

QRgb average(const Box& box)
{
    long long r = 0, g = 0, b = 0, total = 0;
    for (const auto& [c, n] : box.colours) {
        r += qRed(c) * n;
        g += qGreen(c) * n;
        b += qBlue(c) * n;
        total += n;
    }
    return qRgb(int(r / total), int(g / total), int(b / total));
}

Palette medianCut(const std::map<QRgb, int>& histogram, int maxColours)
{
    std::vector<Box> boxes(1);
    boxes[0].colours.assign(histogram.begin(), histogram.end());
    measure(boxes[0]);
    while (int(boxes.size()) < maxColours) {
        auto widest = std::max_element(
            boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.range < b.range; });
        if (widest->range <= 0 || widest->colours.size() < 2) break;
        const int ch = widest->channel;
        auto& list = widest->colours;
        std::stable_sort(list.begin(), list.end(),
            [ch](const auto& a, const auto& b) { return channelOf(a.first, ch) < channelOf(b.first, ch); });
        long long total = 0, half = 0;
        for (const auto& e : list)
            total += e.second;
        size_t cut = 1;
        for (; cut < list.size() - 1; ++cut) {
            half += list[cut - 1].second;
            if (2 * half >= total) break;
        }
        Box upper;
        upper.colours.assign(list.begin() + long(cut), list.end());
        list.resize(cut);
        measure(*widest);
        measure(upper);
        boxes.push_back(std::move(upper));
    }
    Palette palette;
    for (const Box& box : boxes)
        palette.push_back(average(box));
    return palette;
}

} // namespace

const Palette& vgaPalette()
{
    static const Palette palette = {
        qRgb(0, 0, 0),
        qRgb(128, 0, 0),
        qRgb(0, 128, 0),
        qRgb(128, 128, 0),
        qRgb(0, 0, 128),
        qRgb(128, 0, 128),
        qRgb(0, 128, 128),
        qRgb(192, 192, 192),
        qRgb(128, 128, 128),
        qRgb(255, 0, 0),
        qRgb(0, 255, 0),
        qRgb(255, 255, 0),
        qRgb(0, 0, 255),
        qRgb(255, 0, 255),
        qRgb(0, 255, 255),
        qRgb(255, 255, 255),
    };
    return palette;
}

IndexedImage toVga(const QImage& image)
{
    return mapToPalette(image, vgaPalette());
}

IndexedImage toAdaptive(const QImage& source)
{
    const QImage image = straightAlpha(source);
    std::map<QRgb, int> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) >= 128) ++histogram[row[x] | 0xFF000000u];
        }
    }
    Palette palette { qRgb(0, 0, 0) };
    if (!histogram.empty()) {
        const Palette found = medianCut(histogram, 255);
        palette.insert(palette.end(), found.begin(), found.end());
    }
    return mapToPalette(image, palette);
}

QImage fromIndexed(const IndexedImage& image)
{
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const size_t i = size_t(y * image.width + x);
            out.setPixel(x, y, image.transparent[i] ? 0u : image.palette[image.index[i]]);
        }
    }
    return out;
}

QByteArray bmpFile4(const IndexedImage& image)
{
    const int stride = rowBytes(image.width, 4);
    const uint32_t offset = 14 + 40 + 16 * 4;
    const uint32_t size = offset + uint32_t(stride * image.height);
    QByteArray out;
    LittleEndian w(out);
    w.u16('B' | ('M' << 8));
    w.u32(size);
    w.u32(0);
    w.u32(offset);
    w.u32(40);
    w.u32(uint32_t(image.width));
    w.u32(uint32_t(image.height));
    w.u16(1);
    w.u16(4);
    w.u32(0);
    w.u32(uint32_t(stride * image.height));
    w.u32(3780); // 96 dots per inch
    w.u32(3780);
    w.u32(16);
    w.u32(16);
    for (int i = 0; i < 16; ++i)
        w.rgbQuad(i < int(image.palette.size()) ? image.palette[i] : 0);
    for (int y = image.height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width; ++x) {
            const uint8_t v = image.index[size_t(y * image.width + x)] & 0x0F;
            row[x / 2] = char(row[x / 2] | (x % 2 ? v : v << 4));
        }
        out.append(row);
    }
    return out;
}

namespace {

QByteArray dibHeader(int width, int height, int bitCount, int colours, int imageBytes)
{
    QByteArray out;
    LittleEndian w(out);
    w.u32(40);
    w.u32(uint32_t(width));
    w.u32(uint32_t(height * 2)); // colour bits and mask stacked
    w.u16(1);
    w.u16(unsigned(bitCount));
    w.u32(0);
    w.u32(uint32_t(imageBytes));
    w.u32(0);
    w.u32(0);
    w.u32(uint32_t(colours));
    w.u32(0);
    return out;
}

QByteArray andMask(int width, int height, const std::vector<uint8_t>& transparent)
{
    const int stride = rowBytes(width, 1);
    QByteArray out;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            if (transparent[size_t(y * width + x)]) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}

} // namespace

IconImage iconImageIndexed(const IndexedImage& image, int bitCount)
{
    const int colours = 1 << bitCount;
    const int stride = rowBytes(image.width, bitCount);
    QByteArray bits;
    for (int y = image.height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width; ++x) {
            const size_t i = size_t(y * image.width + x);
            const uint8_t v = image.transparent[i] ? 0 : image.index[i];
            if (bitCount == 8)
                row[x] = char(v);
            else
                row[x / 2] = char(row[x / 2] | (x % 2 ? (v & 0x0F) : (v & 0x0F) << 4));
        }
        bits.append(row);
    }
    const QByteArray mask = andMask(image.width, image.height, image.transparent);
    IconImage out { image.width, image.height, bitCount, {} };
    out.dib = dibHeader(image.width, image.height, bitCount, 0, int(bits.size() + mask.size()));
    LittleEndian w(out.dib);
    for (int i = 0; i < colours; ++i)
        w.rgbQuad(i < int(image.palette.size()) ? image.palette[i] : 0);
    out.dib.append(bits);
    out.dib.append(mask);
    return out;
}

IconImage iconImage32(const QImage& source)
{
    const QImage image = straightAlpha(source);
    std::vector<uint8_t> transparent;
    QByteArray bits;
    LittleEndian w(bits);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Fully clear pixels carry no colour, so the mask alone decides them.
            const QRgb c = qAlpha(row[x]) == 0 ? 0 : row[x];
            w.u8(qBlue(c));
            w.u8(qGreen(c));
            w.u8(qRed(c));
            w.u8(qAlpha(c));
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            transparent.push_back(qAlpha(row[x]) == 0 ? 1 : 0);
    }
    const QByteArray mask = andMask(image.width(), image.height(), transparent);
    IconImage out { image.width(), image.height(), 32, {} };
    out.dib = dibHeader(image.width(), image.height(), 32, 0, int(bits.size() + mask.size()));
    out.dib.append(bits);
    out.dib.append(mask);
    return out;
}

namespace {

int colourCount(const IconImage& image)
{
    return image.bitCount < 8 ? 1 << image.bitCount : 0;
}

} // namespace

QByteArray icoFile(const std::vector<IconImage>& images)
{
    QByteArray out;
    LittleEndian w(out);
    w.u16(0);
    w.u16(1);
    w.u16(unsigned(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const IconImage& image : images) {
        w.u8(unsigned(image.width % 256));
        w.u8(unsigned(image.height % 256));
        w.u8(unsigned(colourCount(image)));
        w.u8(0);
        w.u16(1);
        w.u16(unsigned(image.bitCount));
        w.u32(uint32_t(image.dib.size()));
        w.u32(offset);
        offset += uint32_t(image.dib.size());
    }
    for (const IconImage& image : images)
        out.append(image.dib);
    return out;
}

QByteArray groupIconDirectory(const std::vector<IconImage>& images, int firstId)
{
    QByteArray out;
    LittleEndian w(out);
    w.u16(0);
    w.u16(1);
    w.u16(unsigned(images.size()));
    int id = firstId;
    for (const IconImage& image : images) {
        w.u8(unsigned(image.width % 256));
        w.u8(unsigned(image.height % 256));
        w.u8(unsigned(colourCount(image)));
        w.u8(0);
        w.u16(1);
        w.u16(unsigned(image.bitCount));
        w.u32(uint32_t(image.dib.size()));
        w.u16(unsigned(id++));
    }
    return out;
}

} // namespace art
