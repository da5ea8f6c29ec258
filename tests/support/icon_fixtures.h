// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bitmap images, .ico files and icon libraries for the tests; fixture paths.
#include "tests/support/test_util.h"
#include "tools/icon_images.h"

#include <QColor>
#include <QTemporaryDir>

namespace testing_support {

using pe_writer::Dib;
using pe_writer::pngOf;

// A one-colour 32 bpp image, opaque through its mask; the directory may
// claim another depth than stored.
inline pe_writer::IconImage flatImage(int size, std::uint32_t rgb, int bitCount = 32)
{
    const std::size_t n = std::size_t(size) * size;
    return { size, size, bitCount, 0,
        Dib { size, size, 32, 0, {}, std::vector(n, rgb), std::vector(n, 0u) }.bytes() };
}

// The colour of icon i in the libraries below.
inline QColor iconColour(int i)
{
    return QColor::fromHsv((i * 37) % 360, 200, 220);
}

inline QByteArray toQByteArray(const pe_writer::Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

inline QByteArray makeSolidIco(const QColor& colour)
{
    return toQByteArray(pe_writer::writeIco({ flatImage(32, colour.rgb()) }));
}

// A resource-only DLL with `count` icon groups, numbered from 1.
inline QByteArray makeIconLibrary(int count)
{
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    for (int i = 0; i < count; ++i)
        dll.addIconGroup(std::uint16_t(i + 1), { flatImage(32, iconColour(i).rgb()) });
    return toQByteArray(dll.build());
}

// Writes the bytes into the folder and gives the file's path.
inline QString writeFile(const QTemporaryDir& dir, const char* name, const pe_writer::Bytes& bytes)
{
    testutil::writeBytes(dir.filePath(QLatin1String(name)), toQByteArray(bytes));
    return dir.filePath(QLatin1String(name));
}

inline QString fixture(const char* name)
{
    return QStringLiteral(QM_TEST_DATA "/icons/") + QLatin1String(name);
}

} // namespace testing_support
