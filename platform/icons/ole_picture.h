// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Interface identifiers and the picture object made from an icon handle,
// under the OLE calls' names and result codes.
#include "platform/picture.h"
#include "platform/win_types.h"

#include <QString>

#include <cstdint>
#include <string>

struct IID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    friend bool operator==(const IID&, const IID&) = default;
};
static_assert(sizeof(IID) == 16);

// The picture description as the OLE call takes it: 20 bytes, the handle
// stored in 32 bits (our handles are small numbers) and the type-dependent
// rest zero for an icon.
struct PICTDESC {
    std::uint32_t cbSizeofstruct;
    std::uint32_t picType;
    std::uint32_t hicon;
    std::uint32_t reserved[2];
};
static_assert(sizeof(PICTDESC) == 20);

inline constexpr std::uint32_t PICTYPE_NONE = 0;
inline constexpr std::uint32_t PICTYPE_ICON = 3;

inline constexpr long S_OK = 0;
inline constexpr long E_NOINTERFACE = static_cast<std::int32_t>(0x80004002u);
inline constexpr long E_POINTER = static_cast<std::int32_t>(0x80004003u);
inline constexpr long E_INVALIDARG = static_cast<std::int32_t>(0x80070057u);
inline constexpr long CO_E_IIDSTRING = static_cast<std::int32_t>(0x800401F4u);

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either
// case). S_OK, or CO_E_IIDSTRING with *iid untouched.
long IIDFromString(const std::u16string& text, IID* iid);
long IIDFromString(const QString& text, IID* iid);

// A picture of the icon behind desc->hicon, holding its own copy of the
// image (an empty picture for handle 0 or PICTYPE_NONE). The interface
// asked for must be IPicture, IPictureDisp, IUnknown or IDispatch. With
// `own` the handle is destroyed when the last reference to the picture
// goes. Refusals: E_POINTER, E_NOINTERFACE, E_INVALIDARG (wrong size,
// a type other than icon or none), with *out left null.
long OleCreatePictureIndirect(const PICTDESC* desc, const IID& riid, BOOL own, StdPicture* out);
