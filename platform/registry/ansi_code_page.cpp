#include "platform/registry/ansi_code_page.h"

#include <QList>

#include <array>

namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1
// controls of the same number, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
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

char16_t decodeByte(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
    return b;
}

char encodeChar(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

namespace AnsiCodePage {

QByteArray fromUnicode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    // One '?' per character the code page lacks, a surrogate pair included.
    for (char32_t c : text.toUcs4())
        out.append(encodeChar(c));
    return out;
}

QString toUnicode(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.append(QChar(decodeByte(static_cast<unsigned char>(b))));
    return out;
}

QString fold(const QString& text)
{
    return toUnicode(fromUnicode(text));
}

} // namespace AnsiCodePage
