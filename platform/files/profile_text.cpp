// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/profile_text.h"

#include "platform/files/ansi_codepage.h"

#include <cstring>
#include <string.h>

namespace files {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QString trimBlanks(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b].unicode()))
        ++b;
    while (e > b && isBlank(s[e - 1].unicode()))
        --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString profileValueAsWritten(const QString& value)
{
    if (value.isEmpty()) return value;
    const bool quoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    if (!quoted && !isBlank(value.front().unicode()) && !isBlank(value.back().unicode())) return value;
    return u'"' + value + u'"';
}

ProfileText::ProfileText(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_data(reinterpret_cast<const uchar*>(m_bytes.constData()))
{
    if (m_bytes.size() >= 2 && m_data[0] == 0xFF && m_data[1] == 0xFE) {
        m_start = 2;
        m_unit = 2;
    }
    // A last odd byte of a UTF-16 file is no unit; it stays where it is.
    m_units = (m_bytes.size() - m_start) / m_unit;
    qsizetype begin = 0;
    while (begin < m_units) {
        const qsizetype end = findLineEnd(begin);
        if (end < 0) {
            m_lines.push_back({ begin, m_units, m_units });
            break;
        }
        qsizetype next = end + 1;
        if (unitAt(end) == u'\r' && next < m_units && unitAt(next) == u'\n') ++next;
        m_lines.push_back({ begin, end, next });
        begin = next;
    }
}

// The scans below run over every byte of the file; they work on the raw
// data so that a line of many megabytes costs no more than its length.
qsizetype ProfileText::findUnit(qsizetype from, qsizetype to, char16_t c) const
{
    if (from >= to) return -1;
    if (m_unit == 1) {
        const void* hit = std::memchr(m_data + from, c, size_t(to - from));
        return hit ? static_cast<const uchar*>(hit) - m_data : -1;
    }
    const uchar lo = uchar(c & 0xFF);
    const uchar hi = uchar(c >> 8);
    for (const uchar *p = m_data + byteAt(from), *e = m_data + byteAt(to); p < e; p += 2) {
        if (p[0] == lo && p[1] == hi) return (p - m_data - m_start) / 2;
    }
    return -1;
}

qsizetype ProfileText::findLastUnit(qsizetype from, qsizetype to, char16_t c) const
{
    if (from >= to) return -1;
    if (m_unit == 1) {
        const void* hit = ::memrchr(m_data + from, c, size_t(to - from));
        return hit ? static_cast<const uchar*>(hit) - m_data : -1;
    }
    for (qsizetype i = to - 1; i >= from; --i) {
        if (unitAt(i) == c) return i;
    }
    return -1;
}

qsizetype ProfileText::findLineEnd(qsizetype from) const
{
    if (m_unit == 1) {
        for (const uchar *p = m_data + from, *e = m_data + m_units; p < e; ++p) {
            if (*p == '\r' || *p == '\n') return p - m_data;
        }
        return -1;
    }
    for (const uchar *p = m_data + byteAt(from), *e = m_data + byteAt(m_units); p < e; p += 2) {
        if (p[1] == 0 && (p[0] == '\r' || p[0] == '\n')) return (p - m_data - m_start) / 2;
    }
    return -1;
}

QString ProfileText::decode(qsizetype from, qsizetype to) const
{
    if (m_unit == 1) return decodeAnsi(m_bytes.constData() + byteAt(from), to - from);
    QString out(to - from, Qt::Uninitialized);
    QChar* dst = out.data();
    const uchar* p = m_data + byteAt(from);
    for (qsizetype i = 0; i < to - from; ++i, p += 2)
        dst[i] = QChar(le::get16(p));
    return out;
}

QByteArray ProfileText::encode(const QString& text) const
{
    if (m_unit == 1) return encodeAnsi(text);
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        le::put16(out.data() + 2 * i, text[i].unicode());
    return out;
}

QByteArray ProfileText::raw(qsizetype fromUnit, qsizetype toUnit) const
{
    return m_bytes.mid(byteAt(fromUnit), byteAt(toUnit) - byteAt(fromUnit));
}

QByteArray ProfileText::asUtf16() const
{
    const QString text = decodeAnsi(m_bytes);
    QByteArray out(2 + text.size() * 2, Qt::Uninitialized);
    out[0] = char(0xFF);
    out[1] = char(0xFE);
    for (qsizetype i = 0; i < text.size(); ++i)
        le::put16(out.data() + 2 + 2 * i, text[i].unicode());
    return out;
}

std::optional<QString> ProfileText::sectionName(const Line& line) const
{
    qsizetype open = line.begin;
    while (open < line.end && isBlank(unitAt(open)))
        ++open;
    if (open >= line.end || unitAt(open) != u'[') return std::nullopt;
    const qsizetype close = findLastUnit(open + 1, line.end, u']');
    if (close < 0) return std::nullopt;
    return trimBlanks(decode(open + 1, close));
}

qsizetype ProfileText::equalsSign(const Line& line) const
{
    return findUnit(line.begin, line.end, u'=');
}

ProfileText::Found ProfileText::find(const QString& section, const QString& key) const
{
    Found f;
    const QString wantSection = trimBlanks(section);
    const QString wantKey = trimBlanks(key);
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        const Line& line = m_lines[size_t(i)];
        if (const auto name = sectionName(line)) {
            if (f.section >= 0) break; // the end of the first matching section
            if (sameName(*name, wantSection)) f.section = i;
            continue;
        }
        if (f.section < 0) continue;
        const qsizetype eq = equalsSign(line);
        if (eq < 0) continue;
        f.lastKey = i;
        if (f.key < 0 && sameName(trimBlanks(decode(line.begin, eq)), wantKey)) f.key = i;
    }
    return f;
}

bool ProfileText::hasAnyKey() const
{
    bool inSection = false;
    for (const Line& line : m_lines) {
        if (sectionName(line)) {
            inSection = true;
            continue;
        }
        if (inSection && equalsSign(line) >= 0) return true;
    }
    return false;
}

std::optional<QString> ProfileText::value(const QString& section, const QString& key) const
{
    const Found f = find(section, key);
    if (f.key < 0) return std::nullopt;
    const Line& line = m_lines[size_t(f.key)];
    QString v = trimBlanks(decode(equalsSign(line) + 1, line.end));
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"') v = v.mid(1, v.size() - 2);
    // The caller's buffer is a C string: a NUL ends the value.
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0) v.truncate(nul);
    return v;
}

QByteArray ProfileText::withValue(const QString& section, const QString& key, const QString& value) const
{
    if (m_unit == 1 && !(fitsAnsi(section) && fitsAnsi(key) && fitsAnsi(value)))
        return ProfileText(asUtf16()).withValue(section, key, value);
    const Found f = find(section, key);
    const QByteArray newline = encode(QStringLiteral("\r\n"));
    if (f.key >= 0) {
        const Line& line = m_lines[size_t(f.key)];
        const QString name = trimBlanks(decode(line.begin, equalsSign(line)));
        return m_bytes.left(byteAt(line.begin)) + encode(name + u'=' + value) + m_bytes.mid(byteAt(line.end));
    }
    const QByteArray keyLine = encode(trimBlanks(key) + u'=' + value) + newline;
    if (f.section >= 0) {
        const Line& after = m_lines[size_t(f.lastKey >= 0 ? f.lastKey : f.section)];
        // The last line of a file may have no line end yet.
        const QByteArray join = after.next == after.end ? newline : QByteArray();
        return m_bytes.left(byteAt(after.next)) + join + keyLine + m_bytes.mid(byteAt(after.next));
    }
    QByteArray out = m_bytes.left(byteAt(m_units));
    if (!m_lines.empty() && m_lines.back().next == m_lines.back().end) out += newline;
    out += encode(u'[' + trimBlanks(section) + u']') + newline + keyLine;
    return out + m_bytes.mid(byteAt(m_units));
}

std::optional<QByteArray> ProfileText::withoutKey(const QString& section, const QString& key) const
{
    const Found f = find(section, key);
    if (f.key < 0) return std::nullopt;
    const Line& line = m_lines[size_t(f.key)];
    return m_bytes.left(byteAt(line.begin)) + m_bytes.mid(byteAt(line.next));
}

} // namespace files
