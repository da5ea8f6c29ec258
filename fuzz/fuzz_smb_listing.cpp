// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes what the network layer makes of a server's listing: a table of
// calls of our own stands in for Samba's client library and lists the
// input's entries (one per line: a byte of DOS bits, whose 0x10 makes a
// folder, then the name) for every folder asked. A finish's questions and
// writes then run over them as over a real share.
#include "platform/net/smb_client.h"
#include "platform/net/wire/smb_wire.h"
#include "tools/fake_server.h"

#include <QList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

QByteArray g_input;

int list(const QByteArray&, std::vector<net::Entry>& out)
{
    out.clear();
    out.push_back({ QStringLiteral("dir"), true, 0, FILE_ATTRIBUTE_DIRECTORY });
    for (const QByteArray& line : g_input.split('\n')) {
        if (line.isEmpty()) continue;
        const DWORD bits = std::uint8_t(line[0]);
        out.push_back({ QString::fromUtf8(line.mid(1)), (bits & FILE_ATTRIBUTE_DIRECTORY) != 0,
            quint64(line.size()), bits });
    }
    return 0;
}

const net::wire::Calls g_calls
    = fake_server::calls(list, [](const QByteArray&, QByteArray& out, qint64 maxSize) {
          out = g_input.left(maxSize);
          return 0;
      });

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    net::wire::useCalls(&g_calls);
    g_input = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString folder = QStringLiteral("\\\\server\\share\\dir");
    net::nameServer(folder);
    const QString settings = folder + QStringLiteral("\\desktop.INI");
    net::ListingScope scope;
    std::vector<net::Entry> entries;
    (void)net::list(folder, entries);
    // Each question looks through the listing: a few are enough.
    for (std::size_t i = 0; i < std::min<std::size_t>(entries.size(), 64); ++i) {
        net::Entry one;
        (void)net::stat(folder + u'\\' + entries[i].name, one);
    }
    {
        net::WriteBehind behind;
        QByteArray old;
        (void)net::readFile(settings, old, 65536);
        (void)net::replaceFile(settings, QByteArrayLiteral("[.ShellClassInfo]\r\n"));
        (void)net::setAttributes(settings, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        (void)net::setAttributes(folder, FILE_ATTRIBUTE_READONLY);
        if (size % 2) (void)net::removeFile(settings);
    }
    (void)net::takeWriteFailure();
    return 0;
}
