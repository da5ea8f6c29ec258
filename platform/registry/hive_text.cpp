// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry/hive_text.h"

#include "platform/little_endian.h"

#include "platform/files/ansi_codepage.h"

namespace {

constexpr DWORD kRegSz = 1;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
// Where regedit wraps long hex data.
constexpr int kHexLineLimit = 77;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

// Strict hex: 1 to maxDigits digits, no sign, prefix or blanks.
std::optional<uint> parseHexDigits(const QString& digits, int maxDigits)
{
    if (digits.isEmpty() || digits.size() > maxDigits) return std::nullopt;
    uint value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        uint d = 0;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return std::nullopt;
        value = (value << 4) | d;
    }
    return value;
}

qsizetype skipBlanks(const QString& s, qsizetype pos)
{
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
    return pos;
}

QByteArray rightTrimmed(const QByteArray& line)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r'))
        --end;
    return line.left(end);
}

// Reads a quoted text starting at s[pos] == '"'; only \\ and \" are escapes.
std::optional<QString> readQuoted(const QString& s, qsizetype& pos)
{
    if (pos >= s.size() || s[pos] != u'"') return std::nullopt;
    QString out;
    for (++pos; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (pos + 1 >= s.size() || (s[pos + 1] != u'\\' && s[pos + 1] != u'"')) return std::nullopt;
            ++pos;
            out.append(s[pos]);
            continue;
        }
        out.append(c);
    }
    return std::nullopt;
}

QString escaped(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QLatin1String("\\\\"));
    out.replace(u'"', QLatin1String("\\\""));
    return out;
}

// Reads the name part and the '='; returns where the data starts, or -1.
qsizetype readNamePart(const QString& s, QString& name)
{
    qsizetype pos = skipBlanks(s, 0);
    if (pos < s.size() && s[pos] == u'@') {
        name.clear();
        ++pos;
    } else {
        const auto quoted = readQuoted(s, pos);
        if (!quoted) return -1;
        name = *quoted;
    }
    pos = skipBlanks(s, pos);
    if (pos >= s.size() || s[pos] != u'=') return -1;
    return skipBlanks(s, pos + 1);
}

std::optional<QByteArray> parseHexBytes(const QString& text)
{
    QByteArray out;
    const QString all = text.trimmed();
    if (all.isEmpty()) return out;
    for (const QString& piece : all.split(u',')) {
        const auto byte = parseHexDigits(piece.trimmed(), 2);
        if (!byte) return std::nullopt;
        out.append(static_cast<char>(*byte));
    }
    return out;
}

std::optional<HiveText::ValueLine> parseHexValue(HiveText::ValueLine value, const QString& data)
{
    // data starts with "hex" (any case); an optional "(type)" follows.
    qsizetype pos = 3;
    value.type = kRegBinary;
    if (pos < data.size() && data[pos] == u'(') {
        const qsizetype close = data.indexOf(u')', pos);
        if (close < 0) return std::nullopt;
        const auto type = parseHexDigits(data.mid(pos + 1, close - pos - 1), 8);
        if (!type) return std::nullopt;
        value.type = *type;
        pos = close + 1;
    }
    if (pos >= data.size() || data[pos] != u':') return std::nullopt;
    const auto bytes = parseHexBytes(data.mid(pos + 1));
    if (!bytes) return std::nullopt;
    value.data = *bytes;
    return value;
}

bool printableAsText(DWORD type, const QByteArray& data)
{
    if (type != kRegSz || data.isEmpty() || data.back() != '\0') return false;
    const QByteArray text = data.chopped(1);
    return !text.contains('\0') && !text.contains('\n') && !text.contains('\r');
}

QList<QByteArray> formatHex(const QString& prefix, const QByteArray& data)
{
    QList<QByteArray> lines;
    QByteArray line = prefix.toUtf8();
    qsizetype column = prefix.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        line += QByteArray::number(static_cast<unsigned char>(data[i]), 16).rightJustified(2, '0');
        if (i + 1 == data.size()) break;
        line += ',';
        column += 3;
        if (column >= kHexLineLimit) {
            lines.append(line + '\\');
            line = "  ";
            column = 2;
        }
    }
    lines.append(line);
    return lines;
}

} // namespace

namespace HiveText {

HeaderLine parseHeader(const QByteArray& line)
{
    HeaderLine h;
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('[')) return h;
    h.kind = HeaderKind::Broken;
    if (!trimmed.endsWith(']') || trimmed.size() < 2 || trimmed.startsWith("[-") || !trimmed.isValidUtf8())
        return h;
    const QString inner = QString::fromUtf8(trimmed.mid(1, trimmed.size() - 2)).trimmed();
    QStringList levels = inner.split(u'\\');
    h.rootName = levels.takeFirst();
    // A closing backslash is tolerated; an empty level anywhere else is not.
    if (!levels.isEmpty() && levels.back().isEmpty()) levels.removeLast();
    if (h.rootName.isEmpty() || levels.contains(QString())) return h;
    h.path = levels.join(u'\\');
    h.kind = HeaderKind::Header;
    return h;
}

QByteArray formatHeader(const QString& rootName, const QString& path)
{
    QString text = u'[' + rootName;
    if (!path.isEmpty()) text += u'\\' + path;
    return (text + u']').toUtf8();
}

std::optional<QString> parseClass(const QByteArray& line)
{
    static const QByteArray prefix = ";class=";
    if (!line.startsWith(prefix) || !line.isValidUtf8()) return std::nullopt;
    QByteArray text = line.mid(prefix.size());
    if (text.endsWith('\r')) text.chop(1);
    return QString::fromUtf8(text);
}

QByteArray formatClass(const QString& cls)
{
    return ";class=" + cls.toUtf8();
}

bool continues(const QByteArray& line)
{
    const QByteArray trimmed = rightTrimmed(line);
    if (!trimmed.endsWith('\\') || !trimmed.isValidUtf8()) return false;
    const QString s = QString::fromUtf8(trimmed);
    QString name;
    const qsizetype data = readNamePart(s, name);
    return data >= 0 && s.mid(data, 3).compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0;
}

QByteArray joinContinued(const QList<QByteArray>& lines)
{
    QByteArray joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray part = i == 0 ? lines[i] : lines[i].trimmed();
        if (i + 1 < lines.size()) {
            part = rightTrimmed(part);
            part.chop(1); // the backslash
        }
        joined += part;
    }
    return joined;
}

std::optional<ValueLine> parseValue(const QByteArray& logicalLine)
{
    if (!logicalLine.isValidUtf8()) return std::nullopt;
    const QString s = QString::fromUtf8(logicalLine);
    ValueLine value;
    qsizetype pos = readNamePart(s, value.name);
    if (pos < 0) return std::nullopt;
    const QString data = s.mid(pos);
    if (data.startsWith(u'"')) {
        qsizetype end = 0;
        const auto text = readQuoted(data, end);
        if (!text || skipBlanks(data, end) != data.size()) return std::nullopt;
        value.type = kRegSz;
        value.data = files::encodeAnsi(*text) + '\0';
        return value;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const auto number = parseHexDigits(data.mid(6).trimmed(), 8);
        if (!number) return std::nullopt;
        value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8)
            value.data.append(static_cast<char>((*number >> shift) & 0xFF));
        return value;
    }
    if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) return parseHexValue(value, data);
    return std::nullopt;
}

QList<QByteArray> formatValue(const QString& name, DWORD type, const QByteArray& data)
{
    const QString prefix
        = name.isEmpty() ? QStringLiteral("@=") : u'"' + escaped(name) + QStringLiteral("\"=");
    if (printableAsText(type, data)) {
        const QString text = files::decodeAnsi(data.chopped(1));
        return { (prefix + u'"' + escaped(text) + u'"').toUtf8() };
    }
    if (type == kRegDword && data.size() == 4) {
        const uint number = le::get32(data.constData());
        return { (prefix + QStringLiteral("dword:%1").arg(number, 8, 16, QLatin1Char('0'))).toUtf8() };
    }
    const QString kind
        = type == kRegBinary ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(type, 0, 16);
    return formatHex(prefix + kind, data);
}

} // namespace HiveText
