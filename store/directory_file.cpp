// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/directory_file.h"

#include <QList>

#include <algorithm>

namespace {

// .directory is a freedesktop desktop entry as KDE's configuration reads it:
// UTF-8, groups in brackets, keys matched exactly. Only Icon= in
// [Desktop Entry] is ours.
const QByteArray kGroup = QByteArrayLiteral("[Desktop Entry]");
const QByteArray kIconKey = QByteArrayLiteral("Icon");

// KDE's escapes: a backslash, line breaks and tabs, and a leading blank,
// which the reader would otherwise trim.
QByteArray escaped(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == ' ' && i == 0) out += "\\s";
        else out += c;
    }
    return out;
}

QString unescaped(const QByteArray& raw)
{
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const char c = raw[++i];
        out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return QString::fromUtf8(out);
}

// The key of a key line; nothing for groups, comments and other lines.
std::optional<QByteArray> keyOf(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    const qsizetype equals = t.indexOf('=');
    if (t.isEmpty() || t.startsWith('#') || t.startsWith('[') || equals < 0) return std::nullopt;
    return t.left(equals).trimmed();
}

struct Found {
    qsizetype group = -1; // the [Desktop Entry] line
    qsizetype key = -1; // its first Icon= line
    qsizetype lastKey = -1; // its last key line
};

Found find(const QList<QByteArray>& lines)
{
    Found f;
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (t.startsWith('[')) {
            inGroup = f.group < 0 && t == kGroup;
            if (inGroup) f.group = i;
            continue;
        }
        const auto key = keyOf(lines[i]);
        if (!inGroup || !key) continue;
        f.lastKey = i;
        if (*key == kIconKey && f.key < 0) f.key = i;
    }
    return f;
}

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.isEmpty() || bytes.endsWith('\n')) lines.removeLast();
    return lines;
}

} // namespace

std::optional<QString> DirectoryIcon(const QByteArray& bytes)
{
    const QList<QByteArray> lines = linesOf(bytes);
    const Found f = find(lines);
    if (f.key < 0) return std::nullopt;
    const QByteArray line = lines[f.key];
    return unescaped(line.mid(line.indexOf('=') + 1).trimmed());
}

bool DirectoryHasKeys(const QByteArray& bytes)
{
    const QList<QByteArray> lines = linesOf(bytes);
    return std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) { return keyOf(l).has_value(); });
}

QByteArray DirectoryWithIcon(const QByteArray& current, const QString& value)
{
    QList<QByteArray> lines = linesOf(current);
    const Found f = find(lines);
    if (value.isEmpty()) {
        if (f.key >= 0) lines.removeAt(f.key);
    } else {
        const QByteArray line = kIconKey + '=' + escaped(value);
        if (f.key >= 0) {
            lines[f.key] = line;
        } else if (f.group >= 0) {
            lines.insert((f.lastKey >= 0 ? f.lastKey : f.group) + 1, line);
        } else {
            if (!lines.isEmpty()) lines << QByteArray();
            lines << kGroup << line;
        }
    }
    return lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n';
}
