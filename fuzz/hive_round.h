// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One fuzz round of the hive parser and writer over arbitrary file bytes:
// parse, look up, create a key, set a value, write back and parse again,
// with the check the store makes before it replaces a hive. Shared by
// fuzz_hive and the suite, which runs the kept inputs.
#include "platform/registry/hive_document.h"
#include "platform/registry/registry.h"

#include <cstddef>
#include <cstdint>

namespace fuzz_rounds {

inline void hiveRound(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString root = QStringLiteral("HKEY_CURRENT_USER");
    Hive::Document doc = Hive::Document::parse(bytes, root);
    const Hive::Document old = doc;
    // Names from the input's start, so that they meet what the file holds.
    const QString name = QString::fromLatin1(bytes.left(12));
    const QString path = QStringLiteral("Software\\") + name;
    (void)doc.keyExists(path);
    (void)doc.findValue(path, name);
    (void)doc.keyClass(path);
    doc.createKey(path, QStringLiteral("1"));
    doc.setValue(path, name, REG_SZ, QByteArray("v\0", 2));
    doc.setValue(QString(), QString(), REG_DWORD, QByteArray(4, '\x7f'));
    const QByteArray after = doc.serialize();
    (void)Hive::Document::parse(after, root).holdsEverythingOf(old, path, name);
    (void)old.serialize();
}

} // namespace fuzz_rounds
