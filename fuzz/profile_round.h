// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One fuzz round of the profile reader and writer over arbitrary file bytes
// (Windows-1252 or, after FF FE, UTF-16LE): read a key, write one, remove
// one. Shared by fuzz_profile and the suite, which runs the kept inputs.
#include "platform/files/profile_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace fuzz_rounds {

inline void profileRound(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return;
    const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
    // The first byte says how many of the following bytes name the section
    // and key ("section=key"); the rest is the file.
    const qsizetype split = std::min<qsizetype>(data[0], all.size() - 1);
    const QByteArray names = all.mid(1, split);
    const qsizetype eq = names.indexOf('=');
    const QString section = QString::fromLatin1(eq < 0 ? names : names.left(eq));
    const QString key = eq < 0 ? QStringLiteral("IconFile") : QString::fromLatin1(names.mid(eq + 1));
    const QByteArray file = all.mid(1 + split);

    const files::ProfileText text(file);
    (void)text.value(section, key);
    (void)text.hasAnyKey();
    // A value Windows-1252 cannot hold turns an ANSI file into UTF-16LE.
    for (const QString& value : { QStringLiteral(" \"x\" "), QStringLiteral("\u4e2d\u00e9") }) {
        const QByteArray written = text.withValue(section, key, value);
        (void)files::ProfileText(written).value(section, key);
    }
    if (const auto removed = text.withoutKey(section, key))
        (void)files::ProfileText(*removed).value(section, key);
}

} // namespace fuzz_rounds
