// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of a hive file in regedit export syntax: key headers, the class
// line under a header, and value lines, each read and written here.
#include "platform/win_types.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace HiveText {

enum class HeaderKind {
    NotHeader, // no '[' at the start: a value, comment or other line
    Header, // a well-formed key line
    Broken // starts like a key line but names nothing we can use
};

struct HeaderLine {
    HeaderKind kind = HeaderKind::NotHeader;
    QString rootName; // as written
    QString path; // relative to the root, levels joined by '\'; "" is the root
};

struct ValueLine {
    QString name; // "" for the default value
    DWORD type = 0;
    QByteArray data;
};

HeaderLine parseHeader(const QByteArray& line);
QByteArray formatHeader(const QString& rootName, const QString& path);

// The class text of a ";class=" line, if the line is one.
std::optional<QString> parseClass(const QByteArray& line);
QByteArray formatClass(const QString& cls);

// True for a value line whose hex data goes on in the next line.
bool continues(const QByteArray& line);
// Joins a value line with its continuation lines.
QByteArray joinContinued(const QList<QByteArray>& lines);

// A value line (continuations joined); nothing for a line we do not understand.
std::optional<ValueLine> parseValue(const QByteArray& logicalLine);
// A value as regedit exports it; long hex data wraps onto several lines.
QList<QByteArray> formatValue(const QString& name, DWORD type, const QByteArray& data);

} // namespace HiveText
