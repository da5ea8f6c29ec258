// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calls that need Samba's client library, GIO or libsecret. They live
// in a module of their own (quillmark-smb.so), loaded the first time a
// network folder is touched: those libraries bring about a hundred more
// shared objects, which a start on a local folder would otherwise load and
// relocate before the window shows. Both sides are built from the same
// sources in one build, so the table below is their whole contract.
//
// Names are smb:// URLs as smbUrl() writes them. Every int is 0 or an errno.
#include "platform/net/smb_client.h"

#include <optional>
#include <vector>

namespace net::wire {

// What the module asks of the program.
struct Host {
    // The sign-in for a server the library connects to (guest when empty).
    SignIn (*signInFor)(const QString& server);
    // Whether any server of this run is to be reached with Kerberos.
    bool (*kerberos)();
    // How long one request may wait for its answer, in milliseconds.
    int (*timeoutMs)();
};

struct Calls {
    int (*list)(const QByteArray& url, std::vector<Entry>& out);
    int (*read)(const QByteArray& url, QByteArray& out, qint64 maxSize);
    // Whether the URL names something that exists (a share's root too).
    int (*exists)(const QByteArray& url);
    // Creates or truncates the file and writes all bytes.
    int (*write)(const QByteArray& url, const QByteArray& bytes);
    int (*unlink)(const QByteArray& url);
    int (*rename)(const QByteArray& from, const QByteArray& to);
    // Sets the DOS bits (never 0: that means "no change" to the library).
    int (*setMode)(const QByteArray& url, DWORD bits);
    // The sign-in gvfs saved in the desktop's secret store for a server.
    std::optional<SignIn> (*savedSignIn)(const QString& server);
    // gvfs's URI for a path under its FUSE mount, when its daemon runs;
    // empty otherwise.
    QString (*gvfsUri)(const QString& path);
};

// The module's one exported symbol.
using EntryPoint = const Calls* (*)(const Host* host);
inline constexpr const char* kEntryName = "quillmark_smb_calls";

// The module's table, loaded at the first call (a table whose every call
// fails with ENOSYS when it cannot be).
const Calls* calls();
// Puts a table of its own in the module's place (nullptr: the module's
// again): the tests and the fuzz targets serve a server of their own.
void useCalls(const Calls* table);

} // namespace net::wire
