// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/network_location.h"

#include "platform/net/percent_decoding.h"

#include <QRegularExpression>

namespace net {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// Text from argv keeps bytes that are not UTF-8 as lone surrogates; no
// server name can hold them.
bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            return true;
    }
    return false;
}

// One name on the server: a separator inside it would change the path's
// meaning, and Windows allows no control characters in names.
bool validName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..") return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || isSeparator(c)) return false;
    return true;
}

// A host name, a NetBIOS name or an IPv6 address in brackets. What Windows
// puts in the server's place for its own devices (\\?\, \\.\) is none.
bool validServer(const QString& server)
{
    if (server.startsWith(u'[')) {
        if (server.size() < 4 || !server.endsWith(u']')) return false;
        const QStringView inside = QStringView(server).mid(1, server.size() - 2);
        if (!inside.contains(u':')) return false;
        for (const QChar c : inside)
            if (c.unicode() > 0x7f || !(c.isLetterOrNumber() || QStringView(u":.%-_").contains(c)))
                return false;
        return true;
    }
    static const QRegularExpression bad(QStringLiteral(R"([\s:@;?*"<>|#%\[\]])"));
    return validName(server) && !server.contains(bad);
}

// share and path from their components; one trailing empty one is a
// trailing separator.
Parsed takeComponents(QList<QStringView> parts, bool escaped, NetworkLocation& loc)
{
    if (parts.size() > 1 && parts.constLast().isEmpty()) parts.removeLast();
    if (parts.isEmpty() || (parts.size() == 1 && parts[0].isEmpty())) return Parsed::Malformed; // no share
    QStringList names;
    for (const QStringView part : parts) {
        QString name = part.toString();
        if ((escaped && !detail::percentDecode(part, name)) || !validName(name)) return Parsed::Malformed;
        names += name;
    }
    loc.share = names.takeFirst();
    loc.path = names.join(u'\\');
    return Parsed::Network;
}

// server[:port], the server possibly an IPv6 address in brackets.
bool takeHost(QStringView host, NetworkLocation& loc)
{
    const qsizetype close = host.startsWith(u'[') ? host.indexOf(u']') : -1;
    const qsizetype colon = host.indexOf(u':', close < 0 ? 0 : close);
    if (colon >= 0) {
        bool ok = false;
        const QStringView digits = host.mid(colon + 1);
        loc.port = digits.toInt(&ok);
        if (!ok || digits.isEmpty() || !digits.front().isDigit() || loc.port < 1 || loc.port > 65535)
            return false;
        host = host.left(colon);
    }
    return detail::percentDecode(host, loc.server) && validServer(loc.server);
}

Parsed parseUrl(QStringView rest, NetworkLocation& loc)
{
    if (rest.contains(u'?') || rest.contains(u'#')) return Parsed::Malformed;
    const qsizetype slash = rest.indexOf(u'/');
    QStringView host = slash < 0 ? rest : rest.left(slash);
    const qsizetype at = host.lastIndexOf(u'@');
    if (at >= 0) {
        const QStringView userInfo = host.left(at);
        if (userInfo.contains(u':')) return Parsed::Malformed; // a password
        const qsizetype semicolon = userInfo.indexOf(u';');
        if (semicolon >= 0 && !detail::percentDecode(userInfo.left(semicolon), loc.domain))
            return Parsed::Malformed;
        if (!detail::percentDecode(userInfo.mid(semicolon + 1), loc.user)) return Parsed::Malformed;
        host = host.mid(at + 1);
    }
    if (!takeHost(host, loc)) return Parsed::Malformed;
    if (slash < 0) return Parsed::Malformed; // no share
    return takeComponents(rest.mid(slash + 1).split(u'/'), true, loc);
}

Parsed parseUnc(QStringView rest, NetworkLocation& loc)
{
    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSeparator(rest[i])) continue;
        parts += rest.mid(start, i - start);
        start = i + 1;
    }
    loc.server = parts.takeFirst().toString();
    if (!validServer(loc.server)) return Parsed::Malformed;
    return takeComponents(parts, false, loc);
}

} // namespace

Parsed parseNetworkFolder(const QString& text, NetworkLocation& out)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    // Only the part up to "://" is matched: the expression fails on a whole text with lone surrogates.
    const qsizetype end = text.indexOf(QLatin1String("://"));
    const QRegularExpressionMatch m = scheme.match(QStringView(text).left(end < 0 ? 0 : end + 3));
    const bool unc
        = text.startsWith(u"\\\\") || (text.startsWith(u"//") && text.size() > 2 && text[2] != u'/');
    if (!m.hasMatch() && !unc) return Parsed::NotNetwork;
    if (m.hasMatch() && m.captured(1).compare(u"file", Qt::CaseInsensitive) == 0) return Parsed::NotNetwork;
    if (m.hasMatch() && m.captured(1).compare(u"smb", Qt::CaseInsensitive) != 0) return Parsed::Malformed;
    if (hasLoneSurrogate(text)) return Parsed::Malformed;
    NetworkLocation loc;
    const Parsed parsed = unc ? parseUnc(QStringView(text).mid(2), loc)
                              : parseUrl(QStringView(text).mid(m.capturedLength()), loc);
    if (parsed == Parsed::Network) out = loc;
    return parsed;
}

QString uncName(const NetworkLocation& location)
{
    QString name = QLatin1String("\\\\") + location.server + u'\\' + location.share;
    if (!location.path.isEmpty()) name += u'\\' + location.path;
    return name;
}

QByteArray smbUrl(const NetworkLocation& location)
{
    const auto enc
        = [](const QString& s, const QByteArray& keep = {}) { return s.toUtf8().toPercentEncoding(keep); };
    QByteArray url = "smb://";
    if (!location.domain.isEmpty()) url += enc(location.domain) + ';';
    if (!location.user.isEmpty() || !location.domain.isEmpty()) url += enc(location.user) + '@';
    url += enc(location.server, location.server.startsWith(u'[') ? "[]:" : "");
    if (location.port != 0) url += ':' + QByteArray::number(location.port);
    url += '/' + enc(location.share);
    for (const QString& name : location.path.split(u'\\', Qt::SkipEmptyParts))
        url += '/' + enc(name);
    return url;
}

NetworkLocation child(const NetworkLocation& location, const QString& name)
{
    NetworkLocation below = location;
    below.path = location.path.isEmpty() ? name : location.path + u'\\' + name;
    return below;
}

} // namespace net
