// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File names are bytes. Inside the program a name is text: UTF-8 decoded
// where it is UTF-8, and each byte that is not part of valid UTF-8 turned
// into the lone surrogate U+DC80+byte (Python's "surrogateescape"), so a
// name the kernel gives goes back to it unchanged. Qt's own file functions
// (QFile::encodeName, QFileInfo, QDir) replace such bytes: every path that
// crosses to or from the kernel goes through these two instead. Header-only,
// so that the icon reader and its fuzz target need no library for it.
#include <QByteArray>
#include <QString>

namespace files {

namespace detail {

constexpr bool isRawByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// The length of the well-formed UTF-8 sequence at p (1 to 4), or 0 when the
// byte there starts none: overlong forms, encoded surrogates and values
// above U+10FFFF are not UTF-8.
inline int utf8Length(const unsigned char* p, qsizetype left)
{
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    const int n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || left < n) return 0;
    const unsigned char lo = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < lo || p[1] > hi) return 0;
    for (int i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return n;
}

} // namespace detail

// The name as text, each byte that is not UTF-8 kept as U+DC80+byte.
inline QString fromNative(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0, start = 0; i <= bytes.size(); ++i) {
        const int n = i < bytes.size() ? detail::utf8Length(p + i, bytes.size() - i) : 0;
        if (n > 0) {
            i += n - 1;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + start, i - start);
        if (i < bytes.size()) out += QChar(char16_t(0xDC00 + p[i]));
        start = i + 1;
    }
    return out;
}

// The bytes the kernel knows the name by: U+DC80..U+DCFF standing alone
// become their byte again, everything else UTF-8.
inline QByteArray nativePath(const QString& path)
{
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < path.size()
            && QChar::isLowSurrogate(path[i + 1].unicode())) {
            ++i; // a pair: one character above U+FFFF
        } else if (detail::isRawByte(c)) {
            out += QStringView(path).mid(start, i - start).toUtf8();
            out += char(c - 0xDC00);
            start = i + 1;
        }
    }
    out += QStringView(path).mid(start).toUtf8();
    return out;
}

// True when the name holds bytes that are not UTF-8.
inline bool hasRawBytes(const QString& path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < path.size() && QChar::isLowSurrogate(path[i + 1].unicode()))
            ++i;
        else if (detail::isRawByte(c))
            return true;
    }
    return false;
}

// The name with U+FFFD for each byte that is not UTF-8, for text that must
// be valid Unicode (JSON, a window caption).
inline QString withReplacement(const QString& path)
{
    return QString::fromUtf8(nativePath(path));
}

} // namespace files
