// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_options.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/icons/icon_file.h"

#include <QSet>

#include <algorithm>
#include <cstring>

namespace {

ParsedOptions refuse(const QString& message)
{
    return { std::nullopt, message, {} };
}

// FILE or FILE,INDEX; a file whose own name ends in ",N" is taken whole.
std::optional<IconChoice> iconOf(const QString& text, QString& error)
{
    IconChoice icon { text };
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    bool numeric = false;
    if (comma > 0) text.mid(comma + 1).toInt(&numeric);
    if (numeric && !files::isRegularFile(text)) {
        icon.file = text.left(comma);
        icon.index = text.mid(comma + 1);
    }
    if (!files::isRegularFile(icon.file)) {
        error = QStringLiteral("Die Symboldatei gibt es nicht: %1").arg(icon.file);
        return std::nullopt;
    }
    icon.file = files::absolutePath(icon.file);
    icons::IconFile file;
    const int count = file.open(icon.file) ? file.count() : 0;
    if (count == 0) {
        error = QStringLiteral("%1 enthält keine Symbole.").arg(icon.file);
        return std::nullopt;
    }
    const int index = icon.index.toInt();
    if (index < 0 || index >= count) {
        error = QStringLiteral("%1 hat kein Symbol mit dem Index %2 (es hat %3, Index 0 bis %4).")
                    .arg(icon.file, icon.index, QString::number(count), QString::number(count - 1));
        return std::nullopt;
    }
    icon.index = QString::number(index);
    return icon;
}

// -U [DOMAIN\\]USER[%PASSWORD] as smbclient takes it; the password from
// PASSWD when not given.
void readUser(const QString& value, net::SignIn& s)
{
    QString user = value;
    if (const qsizetype percent = user.indexOf(u'%'); percent >= 0) {
        s.password = user.mid(percent + 1);
        user.truncate(percent);
    } else if (s.password.isEmpty()) {
        s.password = qEnvironmentVariable("PASSWD");
    }
    if (const qsizetype slash = user.indexOf(u'\\'); slash >= 0) {
        s.domain = user.left(slash);
        user = user.mid(slash + 1);
    }
    s.user = user;
}

// smbclient's authentication file: "username = ", "password = " and
// "domain = " lines. The message when it cannot be read.
QString readAuthenticationFile(const QString& path, net::SignIn& s)
{
    const auto bytes = files::readWholeFile(files::nativePath(path), files::Links::Follow, files::kMaxProfileSize);
    if (!bytes) return QStringLiteral("Die Anmeldedatei %1 lässt sich nicht lesen.").arg(path);
    for (const QString& line : QString::fromUtf8(*bytes).split(u'\n')) {
        const QString key = line.section(u'=', 0, 0).trimmed().toLower();
        const QString value = line.section(u'=', 1).trimmed();
        if (key == QLatin1String("username")) readUser(value, s);
        else if (key == QLatin1String("password")) s.password = value;
        else if (key == QLatin1String("domain")) s.domain = value;
    }
    return {};
}

// An icon FILE[,INDEX] on a server named by its UNC name.
QString networkIcon(const QString& text)
{
    const qsizetype comma = text.lastIndexOf(u',');
    const QString file = comma < 0 ? text : text.left(comma);
    QString network;
    if (net::takeNetworkFolder(file, network) != net::Parsed::Network) return text;
    return network + (comma < 0 ? QString() : text.mid(comma));
}

// The checks that need the whole command line.
ParsedOptions checked(FolderOptions o, const QSet<QString>& seen, bool copy, bool linuxIcon,
    const std::optional<QString>& iconText)
{
    if (o.folders.isEmpty()) return refuse(QStringLiteral("Kein Ordner angegeben."));
    if (o.wanted.tooltip && o.wanted.tooltip->size() > kMaxTooltip)
        return refuse(QStringLiteral("Der Infotip ist %1 Zeichen lang; erlaubt sind höchstens %2.")
                          .arg(QString::number(o.wanted.tooltip->size()), QString::number(kMaxTooltip)));
    // The arguments keep bytes that are not UTF-8 for folder names; a
    // tooltip is text, and Windows could not show such bytes.
    if (o.wanted.tooltip && files::hasRawBytes(*o.wanted.tooltip))
        return refuse(QStringLiteral("Der Infotip ist kein gültiges UTF-8."));
    if (copy && !iconText) return refuse(QStringLiteral("--copy gilt nur zusammen mit --icon."));
    if (seen.contains(QStringLiteral("--linux-icon")) && !iconText)
        return refuse(QStringLiteral("--linux-icon und --no-linux-icon gelten nur zusammen mit --icon."));
    if (o.preview && (o.folders.size() != 1 || o.recursive))
        return refuse(QStringLiteral("--preview zeichnet genau einen Ordner."));
    if (o.verb == FolderVerb::Set && !seen.contains(QStringLiteral("--tooltip"))
        && !seen.contains(QStringLiteral("--icon")))
        return refuse(
            QStringLiteral("Nichts zu ändern: --tooltip, --no-tooltip, --icon oder --no-icon angeben."));
    if (iconText) {
        QString error;
        o.wanted.icon = iconOf(*iconText, error);
        if (!o.wanted.icon) return refuse(error);
        o.wanted.icon->copy = copy;
        o.wanted.icon->linuxIcon = linuxIcon;
        o.wanted.keepIcon = false;
    }
    if (o.verb == FolderVerb::Clear) o.wanted = { QString(), false, std::nullopt, std::nullopt };
    return { o, {}, {} };
}

} // namespace

ParsedOptions ParseFolderOptions(const QStringList& arguments)
{
    if (arguments.isEmpty()) return refuse(QStringLiteral("Kein Befehl angegeben (show, set, clear oder mirror)."));
    FolderOptions o;
    const QString verb = arguments[0];
    if (verb == QLatin1String("show"))
        o.verb = FolderVerb::Show;
    else if (verb == QLatin1String("set"))
        o.verb = FolderVerb::Set;
    else if (verb == QLatin1String("clear"))
        o.verb = FolderVerb::Clear;
    else if (verb == QLatin1String("mirror"))
        o.verb = FolderVerb::Mirror;
    else
        return refuse(QStringLiteral("Unbekannter Befehl: %1").arg(verb));
    if (o.verb == FolderVerb::Set) o.wanted.keepIcon = true;

    QSet<QString> seen;
    QList<qsizetype> passwords;
    bool copy = false, linuxIcon = true, optionsEnd = false;
    std::optional<QString> iconText;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString arg = arguments[i];
        if (optionsEnd || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            QString network;
            const net::Parsed parsed = net::takeNetworkFolder(arg, network);
            if (parsed == net::Parsed::Malformed)
                return refuse(QStringLiteral("Kein gültiger Netzwerkpfad: %1").arg(arg));
            o.folders << (parsed == net::Parsed::Network ? network : arg);
            o.onServer << (parsed == net::Parsed::Network);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const QString name = arg.section(QLatin1Char('='), 0, 0);
        static const QStringList withValue = { QStringLiteral("--tooltip"), QStringLiteral("--icon"),
            QStringLiteral("--user"), QStringLiteral("-U"), QStringLiteral("--authentication-file"),
            QStringLiteral("-A"), QStringLiteral("--timeout"), QStringLiteral("--preview"), QStringLiteral("--jobs") };
        const bool takesValue = withValue.contains(name);
        // --tooltip and --no-tooltip, --icon and --no-icon say the same thing twice.
        const QString what = QString(name).remove(QStringLiteral("no-"));
        if (seen.contains(what)) return refuse(QStringLiteral("%1 ist mehrfach angegeben.").arg(what));
        seen.insert(what);
        QString value;
        if (takesValue && arg.contains(QLatin1Char('=')))
            value = arg.section(QLatin1Char('='), 1);
        else if (takesValue && i + 1 < arguments.size())
            value = arguments[++i];
        else if (takesValue)
            return refuse(QStringLiteral("%1 braucht einen Wert.").arg(name));
        else if (arg.contains(QLatin1Char('=')))
            return refuse(QStringLiteral("%1 nimmt keinen Wert.").arg(name));

        const bool changes = o.verb == FolderVerb::Set;
        if (name == QLatin1String("--json") && o.verb == FolderVerb::Show)
            o.json = true;
        else if (name == QLatin1String("--preview") && o.verb == FolderVerb::Show && !value.isEmpty())
            o.preview = value;
        else if (name == QLatin1String("--recursive"))
            o.recursive = true;
        else if (name == QLatin1String("--dry-run") && (o.verb == FolderVerb::Set || o.verb == FolderVerb::Clear))
            o.dryRun = true;
        else if (name == QLatin1String("--tooltip") && changes)
            o.wanted.tooltip = value;
        else if (name == QLatin1String("--no-tooltip") && changes)
            o.wanted.tooltip = QString();
        else if (name == QLatin1String("--icon") && changes)
            iconText = networkIcon(value);
        else if (name == QLatin1String("--no-icon") && changes)
            o.wanted.keepIcon = false;
        else if (name == QLatin1String("--copy") && changes)
            copy = true;
        else if ((name == QLatin1String("--linux-icon") || name == QLatin1String("--no-linux-icon")) && changes)
            linuxIcon = name == QLatin1String("--linux-icon");
        else if (name == QLatin1String("--user") || name == QLatin1String("-U")) {
            readUser(value, o.signIn);
            if (value.contains(u'%')) passwords << i;
        }
        else if (name == QLatin1String("--authentication-file") || name == QLatin1String("-A")) {
            if (const QString error = readAuthenticationFile(value, o.signIn); !error.isEmpty())
                return refuse(error);
        } else if (name == QLatin1String("--timeout")) {
            bool number = false;
            const double seconds = value.toDouble(&number);
            if (!number || !(seconds > 0 && seconds <= 3600))
                return refuse(QStringLiteral("--timeout braucht eine Zahl von Sekunden über 0 bis 3600."));
            o.timeoutMs = std::max(1, int(seconds * 1000));
        } else if (name == QLatin1String("--jobs")) {
            bool number = false;
            o.jobs = value.toInt(&number);
            if (!number || o.jobs < 1 || o.jobs > kMaxJobs)
                return refuse(QStringLiteral("--jobs braucht eine Zahl von 1 bis %1.").arg(kMaxJobs));
        } else if (name == QLatin1String("--use-kerberos"))
            o.signIn.kerberos = true;
        else
            return refuse(QStringLiteral("Unbekannte Option für %1: %2").arg(verb, name));
    }
    ParsedOptions parsed = checked(std::move(o), seen, copy, linuxIcon, iconText);
    parsed.passwordArguments = passwords;
    return parsed;
}

void HidePasswords(const ParsedOptions& parsed, int argc, char** argv)
{
    for (const qsizetype i : parsed.passwordArguments) {
        if (i + 1 >= argc) continue;
        if (char* percent = std::strchr(argv[i + 1], '%')) std::memset(percent + 1, 'X', std::strlen(percent + 1));
    }
}
