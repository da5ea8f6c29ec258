// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A server for the tests and the fuzz targets, put in the Samba module's
// place with net::wire::useCalls: its listing and its file reads are the
// caller's; every other call succeeds at once and changes nothing.
#include "platform/net/wire/smb_wire.h"

namespace fake_server {

inline net::wire::Calls calls(decltype(net::wire::Calls::list) list, decltype(net::wire::Calls::read) read)
{
    return {
        list,
        read,
        [](const QByteArray&) { return 0; },
        [](const QByteArray&, const QByteArray&) { return 0; },
        [](const QByteArray&) { return 0; },
        [](const QByteArray&, const QByteArray&) { return 0; },
        [](const QByteArray&, DWORD) { return 0; },
        [](const QString&) { return std::optional<net::SignIn>(); },
        [](const QString&) { return QString(); },
    };
}

} // namespace fake_server
