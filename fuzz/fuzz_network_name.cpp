// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the names users give a network folder (smb:// URLs, \\server\share
// and //server/share) and the helpers that take such names (and any other text) apart. A name
// that parses must come back the same through the URL the library is given.
#include "platform/net/network_location.h"
#include "platform/net/smb_client.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    net::NetworkLocation location;
    if (net::parseNetworkFolder(text, location) == net::Parsed::Network) {
        net::NetworkLocation again;
        if (net::parseNetworkFolder(QString::fromUtf8(net::smbUrl(location)), again) != net::Parsed::Network
            || !(again == location))
            __builtin_trap();
        (void)net::child(location, QStringLiteral("Desktop.ini"));
        (void)net::uncName(location);
    }
    // The helpers take any text apart without harm, a server's name or not.
    (void)net::cleanNetworkPath(text);
    (void)net::networkFileName(text);
    (void)net::networkParent(text);
    (void)net::relativeNetworkPath(text.section(u'|', 0, 0), text.section(u'|', 1));
    return 0;
}
