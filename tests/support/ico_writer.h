#pragma once
// Writes small .ico files for tests: each image stored as a 32-bit BMP entry
// with an all-opaque AND mask.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QString>

namespace testing_support {

inline void putLE(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

inline QByteArray makeIco(const QList<QImage>& images)
{
    QByteArray header, data;
    putLE(header, 0, 2);
    putLE(header, 1, 2);
    putLE(header, quint32(images.size()), 2);
    const quint32 firstOffset = 6 + 16 * quint32(images.size());
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        QByteArray entry;
        putLE(entry, 40, 4);
        putLE(entry, quint32(w), 4);
        putLE(entry, quint32(h * 2), 4);
        putLE(entry, 1, 2);
        putLE(entry, 32, 2);
        for (int i = 0; i < 6; ++i)
            putLE(entry, 0, 4);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x)
                putLE(entry, img.pixel(x, y), 4);
        }
        const int maskStride = ((w + 31) / 32) * 4;
        entry.append(QByteArray(maskStride * h, '\0'));
        putLE(header, quint32(w >= 256 ? 0 : w), 1);
        putLE(header, quint32(h >= 256 ? 0 : h), 1);
        putLE(header, 0, 1);
        putLE(header, 0, 1);
        putLE(header, 1, 2);
        putLE(header, 32, 2);
        putLE(header, quint32(entry.size()), 4);
        putLE(header, firstOffset + quint32(data.size()), 4);
        data.append(entry);
    }
    return header + data;
}

// A one-icon file of one colour at 32 x 32.
inline QByteArray makeSolidIco(const QColor& colour)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(colour);
    return makeIco({ img });
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testing_support
