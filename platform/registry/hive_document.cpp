// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry/hive_document.h"

#include "platform/registry/hive_text.h"

#include <algorithm>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool below(const QString& path, const QString& ancestor)
{
    return ancestor.isEmpty() || path.startsWith(ancestor + u'\\', Qt::CaseInsensitive);
}

bool looksLikeHeader(const QByteArray& line)
{
    return line.trimmed().startsWith('[');
}

bool isBlankEntry(const Hive::Entry& e)
{
    return e.kind == Hive::Entry::Kind::Other && e.raw.size() == 1 && e.raw[0].trimmed().isEmpty();
}

Hive::Entry otherEntry(const QList<QByteArray>& raw)
{
    Hive::Entry e;
    e.raw = raw;
    return e;
}

// A value line and, for wrapped hex data, the lines that continue it. A
// continuation never swallows the next key line: the value is then cut off
// and stays an unknown entry.
QList<QByteArray> valueGroup(const QList<QByteArray>& lines, qsizetype i)
{
    QList<QByteArray> group { lines[i] };
    if (!HiveText::continues(lines[i])) return group;
    while (group.back().trimmed().endsWith('\\') && i + 1 < lines.size() && !looksLikeHeader(lines[i + 1]))
        group.append(lines[++i]);
    return group;
}

} // namespace

namespace Hive {

Document Document::parse(const QByteArray& bytes, const QString& rootName)
{
    Document d;
    d.m_root = rootName;
    if (bytes.isEmpty()) return d;
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.endsWith('\n')) {
        lines.removeLast();
        d.m_endsWithNewline = true;
    }
    // A UTF-16 export is kept whole and never rewritten: our lines would corrupt it.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        d.m_writable = false;
        d.m_prelude.push_back(otherEntry(lines));
        return d;
    }
    qsizetype i = 0;
    d.parseBlockLines(lines, i, d.m_prelude, false);
    while (i < lines.size()) {
        Block b;
        b.header = lines[i++];
        const HiveText::HeaderLine h = HiveText::parseHeader(b.header);
        b.usable = h.kind == HiveText::HeaderKind::Header && sameName(h.rootName, rootName);
        b.path = h.path;
        d.parseBlockLines(lines, i, b.entries, b.usable);
        d.m_blocks.push_back(std::move(b));
    }
    return d;
}

void Document::parseBlockLines(
    const QList<QByteArray>& lines, qsizetype& i, std::vector<Entry>& into, bool inKey)
{
    while (i < lines.size() && !looksLikeHeader(lines[i])) {
        if (!inKey) {
            into.push_back(otherEntry({ lines[i++] }));
            continue;
        }
        if (into.empty()) {
            if (const auto cls = HiveText::parseClass(lines[i])) {
                Entry e = otherEntry({ lines[i++] });
                e.kind = Entry::Kind::Class;
                e.name = *cls;
                into.push_back(std::move(e));
                continue;
            }
        }
        const QList<QByteArray> group = valueGroup(lines, i);
        i += group.size();
        Entry e = otherEntry(group);
        if (const auto value = HiveText::parseValue(HiveText::joinContinued(group))) {
            e.kind = Entry::Kind::Value;
            e.name = value->name;
            e.type = value->type;
            e.data = value->data;
        }
        into.push_back(std::move(e));
    }
}

QByteArray Document::serialize() const
{
    QList<QByteArray> lines;
    for (const Entry& e : m_prelude)
        lines += e.raw;
    for (const Block& b : m_blocks) {
        lines += b.header;
        for (const Entry& e : b.entries)
            lines += e.raw;
    }
    QByteArray out = lines.join('\n');
    if (m_endsWithNewline) out += '\n';
    return out;
}

bool Document::keyExists(const QString& path) const
{
    if (path.isEmpty()) return true;
    return std::any_of(m_blocks.begin(), m_blocks.end(),
        [&](const Block& b) { return b.usable && (sameName(b.path, path) || below(b.path, path)); });
}

int Document::firstBlock(const QString& path) const
{
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks[i].usable && sameName(m_blocks[i].path, path)) return static_cast<int>(i);
    }
    return -1;
}

const Entry* Document::findValue(const QString& path, const QString& name) const
{
    for (const Block& b : m_blocks) {
        if (!b.usable || !sameName(b.path, path)) continue;
        for (const Entry& e : b.entries) {
            if (e.kind == Entry::Kind::Value && sameName(e.name, name)) return &e;
        }
    }
    return nullptr;
}

std::optional<QString> Document::keyClass(const QString& path) const
{
    for (const Block& b : m_blocks) {
        if (b.usable && sameName(b.path, path) && !b.entries.empty()
            && b.entries.front().kind == Entry::Kind::Class)
            return b.entries.front().name;
    }
    return std::nullopt;
}

std::size_t Document::insertionAfterSubtree(const QString& parent) const
{
    if (parent.isEmpty()) return m_blocks.size();
    std::size_t at = m_blocks.size();
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const Block& b = m_blocks[i];
        if (b.usable && (sameName(b.path, parent) || below(b.path, parent))) at = i + 1;
    }
    return at;
}

std::size_t Document::insertionBeforeSubtree(const QString& path) const
{
    if (path.isEmpty()) return 0;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks[i].usable && below(m_blocks[i].path, path)) return i;
    }
    return m_blocks.size();
}

void Document::insertBlock(std::size_t at, const QString& path, const QString& cls)
{
    if (m_prelude.empty() && m_blocks.empty()) {
        m_prelude = { otherEntry({ "REGEDIT4" }), otherEntry({ "" }) };
        m_endsWithNewline = true;
    }
    // Blocks are kept apart by a blank line, as regedit writes them.
    std::vector<Entry>& before = at == 0 ? m_prelude : m_blocks[at - 1].entries;
    if (before.empty() || !isBlankEntry(before.back())) before.push_back(otherEntry({ "" }));
    if (at == m_blocks.size()) m_endsWithNewline = true;

    Block b;
    b.header = HiveText::formatHeader(m_root, path);
    b.usable = true;
    b.path = path;
    if (!cls.isEmpty()) {
        Entry c = otherEntry({ HiveText::formatClass(cls) });
        c.kind = Entry::Kind::Class;
        c.name = cls;
        b.entries.push_back(std::move(c));
    }
    b.entries.push_back(otherEntry({ "" }));
    m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(at), std::move(b));
}

bool Document::createKey(const QString& path, const QString& cls)
{
    if (keyExists(path)) return false;
    const QStringList levels = path.split(u'\\');
    qsizetype existing = 0;
    while (existing < levels.size() && keyExists(levels.mid(0, existing + 1).join(u'\\')))
        ++existing;
    std::size_t at = insertionAfterSubtree(levels.mid(0, existing).join(u'\\'));
    for (qsizetype k = existing + 1; k <= levels.size(); ++k)
        insertBlock(at++, levels.mid(0, k).join(u'\\'), k == levels.size() ? cls : QString());
    return true;
}

bool Document::setValue(const QString& path, const QString& name, DWORD type, const QByteArray& data)
{
    if (!keyExists(path)) return false;
    if (const Entry* found = findValue(path, name)) {
        // The name keeps the case it was first written with.
        Entry& e = const_cast<Entry&>(*found);
        e.raw = HiveText::formatValue(e.name, type, data);
        e.type = type;
        e.data = data;
        return true;
    }
    int b = firstBlock(path);
    if (b < 0) {
        // The key exists only as the parent of others: it gets its own block.
        const std::size_t at = insertionBeforeSubtree(path);
        insertBlock(at, path, QString());
        b = static_cast<int>(at);
    }
    std::vector<Entry>& entries = m_blocks[static_cast<std::size_t>(b)].entries;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != Entry::Kind::Other) pos = i + 1;
    }
    Entry e = otherEntry(HiveText::formatValue(name, type, data));
    e.kind = Entry::Kind::Value;
    e.name = name;
    e.type = type;
    e.data = data;
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(pos), std::move(e));
    return true;
}

QList<QByteArray> Document::unknownLines() const
{
    QList<QByteArray> lines;
    for (const Entry& e : m_prelude)
        lines += e.raw;
    for (const Block& b : m_blocks) {
        if (!b.usable) lines += b.header;
        for (const Entry& e : b.entries) {
            if (!b.usable || e.kind == Entry::Kind::Other) lines += e.raw;
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool Document::holdsEverythingOf(const Document& older, const QString& path, const QString& name) const
{
    for (const Block& b : older.m_blocks) {
        if (!b.usable) continue;
        if (!keyExists(b.path) || keyClass(b.path) != older.keyClass(b.path)) return false;
        for (const Entry& e : b.entries) {
            if (e.kind != Entry::Kind::Value || (sameName(b.path, path) && sameName(e.name, name))) continue;
            const Entry* was = older.findValue(b.path, e.name);
            const Entry* now = findValue(b.path, e.name);
            if (!now || now->type != was->type || now->data != was->data) return false;
        }
    }
    const QList<QByteArray> mine = unknownLines();
    const QList<QByteArray> theirs = older.unknownLines();
    return std::includes(mine.begin(), mine.end(), theirs.begin(), theirs.end());
}

} // namespace Hive
