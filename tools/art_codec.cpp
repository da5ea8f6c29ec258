// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_codec.h"

#include <QBuffer>
#include <QImageWriter>

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

QImage straightAlpha(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

int rowBytes(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}
} // namespace

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

IconImage iconImagePng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(0); // the strongest compression: the library holds forty of these
    writer.write(image.convertToFormat(QImage::Format_ARGB32));
    return { image.width(), image.height(), 32, png };
}

namespace {

int colourCount(const IconImage& image)
{
    return image.bitCount < 8 ? 1 << image.bitCount : 0;
}

// The first 12 bytes of an entry, alike in .ico files and group
// directories: size, colours, planes, depth and data size.
void writeEntryHead(LittleEndian& w, const IconImage& image)
{
    w.u8(unsigned(image.width % 256));
    w.u8(unsigned(image.height % 256));
    w.u8(unsigned(colourCount(image)));
    w.u8(0);
    w.u16(1);
    w.u16(unsigned(image.bitCount));
    w.u32(uint32_t(image.dib.size()));
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
        writeEntryHead(w, image);
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
        writeEntryHead(w, image);
        w.u16(unsigned(id++));
    }
    return out;
}

} // namespace art
