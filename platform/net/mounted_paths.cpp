// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/network_location.h"

#include "platform/files/native_names.h"
#include "platform/net/percent_decoding.h"
#include "platform/net/wire/smb_wire.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace net {

namespace {

// Where gvfs and kio-fuse put their mounts; glib's own fallback (the
// cache folder) where the variable is unset.
QString runtimeDir()
{
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return dir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) : dir;
}

// When path lies inside root: the first name below root, and what follows it.
bool splitBelow(const QString& path, const QString& root, QString& top, QString& rest)
{
    if (!QDir::isAbsolutePath(root)) return false;
    const QString prefix = QDir::cleanPath(root) + u'/';
    if (!path.startsWith(prefix)) return false;
    const qsizetype slash = path.indexOf(u'/', prefix.size());
    top = path.mid(prefix.size(), slash < 0 ? -1 : slash - prefix.size());
    rest = slash < 0 ? QString() : path.mid(slash + 1);
    return !top.isEmpty();
}

// A record built from pieces must be one a URL can name: the parser's
// checks apply to it too (server, port, names).
std::optional<NetworkLocation> checked(const NetworkLocation& loc)
{
    NetworkLocation again;
    if (parseNetworkFolder(QString::fromUtf8(smbUrl(loc)), again) != Parsed::Network || !(again == loc))
        return std::nullopt;
    return loc;
}

// A mount prefix other than "/" stands before the path below the mount.
} // namespace

std::optional<NetworkLocation> locationOfGvfsMount(const QString& name, const QString& rest)
{
    static const QString type = QStringLiteral("smb-share:");
    if (!name.startsWith(type)) return std::nullopt;
    QHash<QString, QString> values;
    for (const QString& pair : name.mid(type.size()).split(u',')) {
        const qsizetype eq = pair.indexOf(u'=');
        QString value;
        if (eq <= 0 || pair.indexOf(u'=', eq + 1) >= 0
            || !detail::percentDecode(QStringView(pair).mid(eq + 1), value))
            return std::nullopt;
        values.insert(pair.left(eq), value);
    }
    NetworkLocation loc;
    loc.server = values.value(QStringLiteral("server"));
    loc.share = values.value(QStringLiteral("share"));
    loc.user = values.value(QStringLiteral("user"));
    loc.domain = values.value(QStringLiteral("domain"));
    bool ok = true;
    if (values.contains(QStringLiteral("port"))) loc.port = values.value(QStringLiteral("port")).toInt(&ok);
    const QStringList names = values.value(QStringLiteral("prefix")).split(u'/', Qt::SkipEmptyParts)
        + rest.split(u'/', Qt::SkipEmptyParts);
    loc.path = names.join(u'\\');
    return ok ? checked(loc) : std::nullopt;
}

namespace {

// gvfs's own answer, when its daemon knows the mount.
std::optional<NetworkLocation> askGvfs(const QString& path)
{
    NetworkLocation loc;
    if (parseNetworkFolder(wire::calls()->gvfsUri(path), loc) != Parsed::Network) return std::nullopt;
    return loc;
}

// kio-fuse's answer over the session bus. Without a bus address and without
// the bus socket in the runtime folder there is no bus: the library would
// try to start one. The service is not started for the question either.
std::optional<NetworkLocation> askKioFuse(const QString& path)
{
    if (!QCoreApplication::instance()) return std::nullopt;
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
        && !QFileInfo::exists(runtimeDir() + QLatin1String("/bus")))
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KIOFuse"),
        QStringLiteral("/org/kde/KIOFuse"), QStringLiteral("org.kde.KIOFuse.VFS"),
        QStringLiteral("remoteUrl"));
    call << path;
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 500);
    NetworkLocation loc;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1
        || parseNetworkFolder(reply.arguments().constFirst().toString(), loc) != Parsed::Network)
        return std::nullopt;
    return loc;
}

} // namespace

std::optional<NetworkLocation> networkFolderOfMountedPath(const QString& localPath)
{
    // Names on a share are Unicode: a path with bytes that are not UTF-8 is local.
    if (localPath.isEmpty() || files::hasRawBytes(localPath)) return std::nullopt;
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(localPath));
    const QString runtime = runtimeDir();
    QString top, rest;
    if (splitBelow(path, runtime + QLatin1String("/gvfs"), top, rest)
        || splitBelow(path, QDir::homePath() + QLatin1String("/.gvfs"), top, rest)) {
        if (auto loc = askGvfs(path)) return loc;
        return locationOfGvfsMount(top, rest);
    }
    // kio-fuse mounts in a temporary folder of its own: kio-fuse-XXXXXX.
    if (splitBelow(path, runtime, top, rest) && top.size() == 15 && top.startsWith(u"kio-fuse-"))
        return askKioFuse(path);
    return std::nullopt;
}

} // namespace net
