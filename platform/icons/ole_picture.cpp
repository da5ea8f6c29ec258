// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/ole_picture.h"

#include "platform/icons/icon_api.h"

namespace {

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; false on anything else.
bool hexField(const std::u16string& text, std::size_t pos, int digits, std::uint32_t& out)
{
    out = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = hexValue(text[pos + i]);
        if (v < 0) return false;
        out = out << 4 | static_cast<std::uint32_t>(v);
    }
    return true;
}

constexpr IID kAccepted[] = {
    { 0x7BF80980, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } }, // IPicture
    { 0x7BF80981, 0xBF32, 0x101A, { 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB } }, // IPictureDisp
    { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } }, // IUnknown
    { 0x00020400, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } }, // IDispatch
};

} // namespace

long IIDFromString(const std::u16string& text, IID* iid)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (!iid || text.size() != 38 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-'
        || text[14] != u'-' || text[19] != u'-' || text[24] != u'-')
        return CO_E_IIDSTRING;
    IID out {};
    std::uint32_t v = 0;
    if (!hexField(text, 1, 8, v)) return CO_E_IIDSTRING;
    out.Data1 = v;
    if (!hexField(text, 10, 4, v)) return CO_E_IIDSTRING;
    out.Data2 = static_cast<std::uint16_t>(v);
    if (!hexField(text, 15, 4, v)) return CO_E_IIDSTRING;
    out.Data3 = static_cast<std::uint16_t>(v);
    static constexpr std::size_t bytePos[8] = { 20, 22, 25, 27, 29, 31, 33, 35 };
    for (int i = 0; i < 8; ++i) {
        if (!hexField(text, bytePos[i], 2, v)) return CO_E_IIDSTRING;
        out.Data4[i] = static_cast<std::uint8_t>(v);
    }
    *iid = out;
    return S_OK;
}

long IIDFromString(const QString& text, IID* iid)
{
    return IIDFromString(text.toStdU16String(), iid);
}

long OleCreatePictureIndirect(const PICTDESC* desc, const IID& riid, BOOL own, StdPicture* out)
{
    if (!out) return E_POINTER;
    out->reset();
    bool known = false;
    for (const IID& id : kAccepted)
        known = known || id == riid;
    if (!known) return E_NOINTERFACE;
    if (!desc) {
        *out = std::make_shared<const PictureObject>();
        return S_OK;
    }
    if (desc->cbSizeofstruct != sizeof(PICTDESC)
        || (desc->picType != PICTYPE_ICON && desc->picType != PICTYPE_NONE))
        return E_INVALIDARG;
    const HICON handle = desc->picType == PICTYPE_ICON ? desc->hicon : 0;
    auto* picture = new PictureObject { icons::iconHandleImage(handle) };
    if (own && handle) {
        *out = StdPicture(picture, [handle](const PictureObject* p) {
            delete p;
            DestroyIcon(handle);
        });
    } else {
        *out = StdPicture(picture);
    }
    return S_OK;
}
