#pragma once
// Icon files for the window's tests: .ico files and icon libraries of any
// size, each icon a 32 x 32 image of its own colour.
#include "tools/pe_writer.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QString>

namespace testing_support {

// A 32-bit BMP-coded icon image with an all-opaque AND mask.
inline pe_writer::IconImage dibImage(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    pe_writer::Bytes dib;
    pe_writer::put32(dib, 0, 40);
    pe_writer::put32(dib, 4, std::uint32_t(w));
    pe_writer::put32(dib, 8, std::uint32_t(h * 2));
    pe_writer::put16(dib, 12, 1);
    pe_writer::put16(dib, 14, 32);
    dib.resize(40, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            pe_writer::put32(dib, dib.size(), img.pixel(x, y));
    }
    dib.resize(dib.size() + std::size_t(((w + 31) / 32) * 4 * h), 0);
    pe_writer::IconImage image;
    image.width = w;
    image.height = h;
    image.bitCount = 32;
    image.data = std::move(dib);
    return image;
}

inline QImage solid(const QColor& colour)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(colour);
    return img;
}

// The colour of icon i in the libraries below.
inline QColor iconColour(int i)
{
    return QColor::fromHsv((i * 37) % 360, 200, 220);
}

inline QByteArray toQByteArray(const pe_writer::Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

inline QByteArray makeSolidIco(const QColor& colour)
{
    return toQByteArray(pe_writer::writeIco({ dibImage(solid(colour)) }));
}

// A resource-only DLL with `count` icon groups, numbered from 1.
inline QByteArray makeIconLibrary(int count)
{
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    for (int i = 0; i < count; ++i)
        dll.addIconGroup(
            std::uint16_t(i + 1), std::vector<pe_writer::IconImage> { dibImage(solid(iconColour(i))) });
    return toQByteArray(dll.build());
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testing_support
