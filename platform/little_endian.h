// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian numbers in byte buffers, as Windows' file formats, Samba's
// attribute blobs and registry values hold them. Callers check the bounds.
#include <cstdint>

namespace le {

inline std::uint16_t get16(const void* at)
{
    const auto* p = static_cast<const unsigned char*>(at);
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t get32(const void* at)
{
    return get16(at) | std::uint32_t(get16(static_cast<const unsigned char*>(at) + 2)) << 16;
}

inline void put16(void* at, std::uint16_t v)
{
    auto* p = static_cast<unsigned char*>(at);
    p[0] = v & 0xFF;
    p[1] = v >> 8;
}

inline void put32(void* at, std::uint32_t v)
{
    put16(at, v & 0xFFFF);
    put16(static_cast<unsigned char*>(at) + 2, v >> 16);
}

} // namespace le
