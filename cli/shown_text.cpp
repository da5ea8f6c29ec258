#include "cli/shown_text.h"

namespace {

bool escaped(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F
        || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString ShownText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\') {
            const bool last = i + 1 == text.size();
            const char16_t next = last ? 0 : text[i + 1].unicode();
            const bool startsEscape
                = !last && (escaped(next) || QStringView(u"xuntr\\").contains(QChar(next)));
            out += startsEscape ? QStringLiteral("\\\\") : QStringLiteral("\\");
        } else if (!escaped(c)) {
            out += QChar(c);
        } else if (c == u'\n' || c == u'\t' || c == u'\r') {
            out += u'\\';
            out += c == u'\n' ? u'n' : c == u'\t' ? u't' : u'r';
        } else if (c < 0x100) {
            out += QStringLiteral("\\x") + QString::number(c, 16).rightJustified(2, u'0');
        } else {
            out += QStringLiteral("\\u") + QString::number(c, 16).rightJustified(4, u'0');
        }
    }
    return out;
}
