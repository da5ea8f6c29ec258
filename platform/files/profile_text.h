// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One profile (INI) file held as its raw bytes, read and edited the way
// Windows' profile functions do it, touching nothing but the one line a
// change needs:
// - a section line is '[' name ']' (leading blanks allowed; the last ']'
//   closes the name); a key line holds an '='; any other line is neither;
// - section and key names are trimmed and matched without regard to case;
//   the first matching section, and the first matching key in it, win;
// - values are trimmed and lose one pair of surrounding double quotes;
// - lines end in CR LF, a lone CR or a lone LF; lines we add end in CR LF;
// - text is Windows-1252, unless the file starts with a UTF-16LE byte order
//   mark. A write whose text Windows-1252 cannot hold turns the whole file
//   into UTF-16LE with that mark first (every byte maps to one character, so
//   nothing is lost), as Windows reads such a file as Unicode. A UTF-8 byte
//   order mark is not recognised (nor by Windows): its bytes stay part of
//   the first line, which then is no section line.
// Lines before the first section belong to no section and are never found.
#include "platform/little_endian.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace files {

// The text to write so that a read gives value back exactly: a value with
// blanks at either end, or with a double quote at both, is wrapped in one
// more pair of double quotes, which the read strips (as on Windows). A line
// break or a NUL in value cannot be written either way.
QString profileValueAsWritten(const QString& value);

class ProfileText {
public:
    explicit ProfileText(QByteArray bytes);
    // It points into its own bytes.
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    bool isUtf16() const { return m_unit == 2; }

    std::optional<QString> value(const QString& section, const QString& key) const;

    // Whether any section holds a key line.
    bool hasAnyKey() const;

    // The file with the key set. An existing key keeps its line's place,
    // its name as spelled in the file and its line end; a new key goes after
    // the last key line of the section (or right after the section line); a
    // new section goes at the end of the file.
    QByteArray withValue(const QString& section, const QString& key, const QString& value) const;

    // The file without the key's line; nullopt when there is no such key.
    std::optional<QByteArray> withoutKey(const QString& section, const QString& key) const;

private:
    // Positions in units (bytes, or UTF-16 code units): the line's text is
    // [begin, end), its line end [end, next).
    struct Line {
        qsizetype begin;
        qsizetype end;
        qsizetype next;
    };
    struct Found {
        qsizetype section = -1; // index of the section line
        qsizetype key = -1; // index of the first matching key line
        qsizetype lastKey = -1; // index of the section's last key line
    };

    char16_t unitAt(qsizetype i) const
    {
        const uchar* p = m_data + byteAt(i);
        return m_unit == 1 ? p[0] : le::get16(p);
    }
    // The first (or last) unit c in [from, to), or -1; c is ASCII.
    qsizetype findUnit(qsizetype from, qsizetype to, char16_t c) const;
    qsizetype findLastUnit(qsizetype from, qsizetype to, char16_t c) const;
    qsizetype findLineEnd(qsizetype from) const;
    qsizetype byteAt(qsizetype unit) const { return m_start + unit * m_unit; }
    QString decode(qsizetype from, qsizetype to) const;
    QByteArray encode(const QString& text) const;
    QByteArray raw(qsizetype fromUnit, qsizetype toUnit) const;
    QByteArray asUtf16() const;
    std::optional<QString> sectionName(const Line& line) const;
    qsizetype equalsSign(const Line& line) const;
    Found find(const QString& section, const QString& key) const;

    QByteArray m_bytes;
    const uchar* m_data = nullptr;
    qsizetype m_start = 0; // first byte after a byte order mark
    int m_unit = 1;
    qsizetype m_units = 0;
    std::vector<Line> m_lines;
};

} // namespace files
