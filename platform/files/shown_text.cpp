// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/shown_text.h"

namespace {

bool lone(const QString& text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c)) return i + 1 == text.size() || !text[i + 1].isLowSurrogate();
    return QChar::isLowSurrogate(c) && (i == 0 || !text[i - 1].isHighSurrogate());
}

bool escaped(const QString& text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F
        || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || lone(text, i);
}

QString hex(char16_t c, int digits)
{
    return QString::number(c, 16).rightJustified(digits, u'0');
}

} // namespace

QString ShownText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\') {
            // Backslashes are doubled only in a run that ends where an escape
            // could start: "\\x41" stays apart from "\x41", and a name like
            // \\server\share reads as it is.
            qsizetype end = i;
            while (end < text.size() && text[end] == u'\\') ++end;
            const bool startsEscape
                = end < text.size() && (escaped(text, end) || QStringView(u"xuntr").contains(text[end]));
            out += startsEscape ? QStringLiteral("\\\\") : QStringLiteral("\\");
        } else if (!escaped(text, i)) {
            out += QChar(c);
        } else if (c == u'\n' || c == u'\t' || c == u'\r') {
            out += u'\\';
            out += c == u'\n' ? u'n' : c == u'\t' ? u't' : u'r';
        } else if (c < 0x80) {
            out += QStringLiteral("\\x") + hex(c, 2);
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            // A byte of a file name that is not UTF-8 (see files::fromNative).
            out += QStringLiteral("\\x") + hex(c - 0xDC00, 2);
        } else {
            out += QStringLiteral("\\u") + hex(c, 4);
        }
    }
    return out;
}
