// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_codec.h"

#include <algorithm>
#include <map>

namespace art {
namespace {

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

} // namespace art
