// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One hive file held as its lines. Lines the store understands (key
// headers, class lines, values) are read into keys and values; every other
// line stays as it was, under the key it stands under. Writing the document
// back gives the file byte for byte, apart from the lines a change replaced
// or added.
#include "platform/win_types.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace Hive {

struct Entry {
    enum class Kind { Value, Class, Other };
    Kind kind = Kind::Other;
    QList<QByteArray> raw; // the entry's lines as in the file, without '\n'
    QString name; // Value: its name; Class: the class text
    DWORD type = 0;
    QByteArray data;
};

struct Block {
    QByteArray header;
    bool usable = false; // false: a broken header or another root's key, never matched
    QString path; // relative to the root; "" is the root itself
    std::vector<Entry> entries;
};

class Document {
public:
    // rootName is the header's first level, e.g. "HKEY_CURRENT_USER".
    static Document parse(const QByteArray& bytes, const QString& rootName);
    QByteArray serialize() const;

    // False for content we must never rewrite (a UTF-16 export).
    bool writable() const { return m_writable; }

    // A key exists when a header names it or a key below it; the root always exists.
    bool keyExists(const QString& path) const;
    const Entry* findValue(const QString& path, const QString& name) const;
    std::optional<QString> keyClass(const QString& path) const;

    // Adds the key and every missing key above it; false when it existed.
    bool createKey(const QString& path, const QString& cls);
    // Sets or adds a value; false when the key does not exist.
    bool setValue(const QString& path, const QString& name, DWORD type, const QByteArray& data);

    // True when this document still holds every key, class, value and
    // unknown line of older; the value (path, name) may differ.
    bool holdsEverythingOf(const Document& older, const QString& path, const QString& name) const;

private:
    void parseBlockLines(const QList<QByteArray>& lines, qsizetype& i, std::vector<Entry>& into, bool inKey);
    int firstBlock(const QString& path) const;
    std::size_t insertionAfterSubtree(const QString& parent) const;
    std::size_t insertionBeforeSubtree(const QString& path) const;
    void insertBlock(std::size_t at, const QString& path, const QString& cls);
    QList<QByteArray> unknownLines() const;

    QString m_root;
    bool m_writable = true;
    bool m_endsWithNewline = false;
    std::vector<Entry> m_prelude;
    std::vector<Block> m_blocks;
};

} // namespace Hive
