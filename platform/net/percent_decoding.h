// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Percent escapes as smb:// URLs and gvfs mount names write them.
#include <QByteArray>
#include <QStringDecoder>
#include <QStringView>

#include <cctype>

namespace net::detail {

// text with %XX decoded; false for a broken escape or bytes that are not
// UTF-8, since names on a share are Unicode.
inline bool percentDecode(QStringView text, QString& out)
{
    const QByteArray in = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            bytes += in[i];
            continue;
        }
        if (i + 2 >= in.size() || !isxdigit(uchar(in[i + 1])) || !isxdigit(uchar(in[i + 2]))) return false;
        bytes += QByteArray::fromHex(in.mid(i + 1, 2));
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    out = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace net::detail
