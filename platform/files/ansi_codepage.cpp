// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/ansi_codepage.h"

#include <array>

namespace files {

namespace {

// 0x80..0x9F. The five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same value, so that they
// survive a read and a write unchanged.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

int encodeOne(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] == c) return 0x80 + i;
    }
    return -1;
}

} // namespace

QString decodeAnsi(const char* data, qsizetype size)
{
    QString out;
    out.resize(size);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QByteArray encodeAnsi(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        // A character outside the basic plane becomes one '?', not two.
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) ++i;
        const int b = c.isSurrogate() ? -1 : encodeOne(c.unicode());
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

bool fitsAnsi(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSurrogate() || encodeOne(c.unicode()) < 0) return false;
    }
    return true;
}

} // namespace files
