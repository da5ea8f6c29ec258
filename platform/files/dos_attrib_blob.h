// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The value of Samba's user.DOSATTRIB extended attribute. Two forms exist:
// the text form "0x22" (what Samba 3 and Wine write) and an NDR blob:
//
//   offset 0   attribute word as hex text, NUL-terminated (may be empty)
//   then       padding to an even offset
//              uint16 version, uint16 union switch (equal to the version)
//              padding to a multiple of 4
//   body       version 1: attrib, ea_size, size, alloc_size, create, change
//              version 2: flags, attrib, ... (read only)
//              version 3: valid_flags, attrib, ea_size, size, alloc, create, change
//              version 4: valid_flags, attrib, itime, create_time
//              version 5: valid_flags, attrib, create_time
//
// All numbers little-endian; 64-bit fields are aligned to 4 only.
#include <QByteArray>

#include <cstdint>
#include <optional>

namespace files {

struct DosAttrib {
    bool blob = false; // false: the text form
    std::uint16_t version = 0; // blob only
    std::uint32_t attrib = 0; // the stored attribute word (all bits)
    std::optional<std::uint64_t> createTime; // blob only, when stored and valid
};

// Reads either form; nullopt for a value that is neither.
std::optional<DosAttrib> decodeDosAttrib(const QByteArray& value);

// The text form as Wine writes it: "0x" and lower-case hex digits, no NUL.
QByteArray encodeDosAttribText(std::uint32_t attrib);

// A stored value with its attribute word replaced. A blob keeps its version,
// its creation time and every other field; only the attribute word, its
// valid flag and the hex text in front change. The text form becomes the new
// text. nullopt for a version we cannot rewrite or a malformed value: the
// caller must then leave the stored value alone.
std::optional<QByteArray> withDosAttrib(const QByteArray& stored, std::uint32_t attrib);

} // namespace files
