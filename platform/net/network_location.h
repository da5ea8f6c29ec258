// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a network folder is: the names users give one (smb:// URLs as the
// desktops write them, Windows UNC names) and the FUSE paths under which
// gvfs and kio-fuse show one, turned into one record. Nothing here touches
// the network.
#include <QByteArray>
#include <QString>

#include <optional>

namespace net {

struct NetworkLocation {
    QString domain, user; // empty when not given
    QString server; // host name or address as given (IPv6 in brackets kept)
    int port = 0; // 0: the default
    QString share;
    // Inside the share: components joined with '\', none at either end; empty for the share's root.
    QString path;

    bool operator==(const NetworkLocation&) const = default;
};

enum class Parsed { NotNetwork, Network, Malformed };

// Takes smb://[domain;][user@]server[:port]/share[/path] (scheme in any case;
// percent escapes decoded as UTF-8; characters that need no escape may also
// stand as they are, the way KIO shows URLs), \\server\share[\path] and
// //server/share[/path] ('\' and '/' both separate in the last two; their
// names are taken literally). One trailing separator is allowed. Anything
// else, a local path or a file:// URL, is NotNetwork; "///x" is the local /x.
// Malformed: a password in the URL (it must not reach argv or the recent
// list), no server, a server name that cannot be one, no share, a bad port
// (1..65535), a bad escape or escaped bytes that are not UTF-8, "." or ".."
// components, an empty component in the middle, a name holding '/', '\' or
// a control character, a query or fragment, a scheme other than smb.
// out is set only for Network.
Parsed parseNetworkFolder(const QString& text, NetworkLocation& out);

// \\server\share\path: how windows and messages show the folder. Windows
// names carry no user, domain or port, so those are left out.
QString uncName(const NetworkLocation& location);

// smb://[domain;][user@]server[:port]/share/path for libsmbclient: each name
// percent-encoded as UTF-8 except unreserved characters; an IPv6 server keeps
// its brackets and colons.
QByteArray smbUrl(const NetworkLocation& location);

// The folder or file called name inside location: name is one component as
// the server lists it (never "." or "..").
NetworkLocation child(const NetworkLocation& location, const QString& name);

// The network location a path under a FUSE mount of a share stands for:
// gvfs ($XDG_RUNTIME_DIR/gvfs/smb-share:server=...,share=.../rest, and the
// older ~/.gvfs) and kio-fuse ($XDG_RUNTIME_DIR/kio-fuse-XXXXXX/...).
// nullopt for any other path, for mounts of other protocols, and when
// kio-fuse does not answer. The path is taken lexically (symbolic links are
// not resolved). gvfs is asked through GIO when its daemon runs; otherwise
// the mount directory's name is read. kio-fuse is asked over the session
// bus with a short timeout, never when no bus is there.
std::optional<NetworkLocation> networkFolderOfMountedPath(const QString& localPath);

// The location a gvfs mount folder's name stands for ("smb-share:server=...,
// share=..." with percent escapes), with rest, the '/'-separated path below
// the mount; nullopt for any other name.
std::optional<NetworkLocation> locationOfGvfsMount(const QString& mountName, const QString& rest);

} // namespace net
