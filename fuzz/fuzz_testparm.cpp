// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reading of testparm's output: sections, parameters, printer
// shares and [global]'s share parameters under each share.
#include "platform/files/samba_shares.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray output(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList paths;
    for (const files::SambaShare& share : files::sharesOfTestparmOutput(output)) paths << share.path;
    (void)files::sambaShareHolding(QStringLiteral("/srv/a/b"), paths);
    return 0;
}
