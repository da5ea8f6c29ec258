#pragma once
// The system's ANSI code page, Windows-1252 (that of the German Windows
// that reads our folders). Every byte has a character, so bytes survive a
// trip through text; characters the code page lacks become '?'.
#include <QByteArray>
#include <QString>

namespace AnsiCodePage {

QByteArray fromUnicode(const QString& text);
QString toUnicode(const QByteArray& bytes);

// What a text becomes after a trip through the code page.
QString fold(const QString& text);

} // namespace AnsiCodePage
