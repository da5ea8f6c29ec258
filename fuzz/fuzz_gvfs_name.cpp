// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the names of gvfs's mount folders ("smb-share:server=...,share=...")
// with the path below the mount after the first '/'. Whatever they give must
// be a location a URL can name.
#include "platform/net/network_location.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype slash = text.indexOf(u'/');
    const auto location = net::locationOfGvfsMount(text.left(slash), slash < 0 ? QString() : text.mid(slash + 1));
    if (!location) return 0;
    net::NetworkLocation again;
    if (net::parseNetworkFolder(QString::fromUtf8(net::smbUrl(*location)), again) != net::Parsed::Network)
        __builtin_trap();
    return 0;
}
