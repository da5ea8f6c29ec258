// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ANSI code page of the Windows machines that read our files:
// Windows-1252. Bytes map one to one onto characters; characters the code
// page lacks are written as '?', as Windows does.
#include <QByteArray>
#include <QString>

namespace files {

QString decodeAnsi(const char* data, qsizetype size);
inline QString decodeAnsi(const QByteArray& bytes)
{
    return decodeAnsi(bytes.constData(), bytes.size());
}
QByteArray encodeAnsi(const QString& text);
// Whether every character of text survives the code page.
bool fitsAnsi(const QString& text);
// What a text becomes after a trip through the code page.
inline QString foldAnsi(const QString& text)
{
    return decodeAnsi(encodeAnsi(text));
}

} // namespace files
