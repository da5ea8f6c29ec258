// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PNG writer for many small images at once: 8-bit RGBA or palette, no
// filter and stored (uncompressed) deflate blocks, written with one system
// call.
// Qt's writer lets libpng weigh every row filter on every row; for the
// thousands of small files of a dump that was most of the time.
#include "platform/icons/bitmap_decoder.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace png_writer {

// The PNG file of the image, in `out` (cleared first): RGBA, or a palette
// with its transparency for a palette image.
void encode(const icons::Pixels& image, std::vector<std::uint8_t>& out);
void encode(const icons::IndexedPixels& image, std::vector<std::uint8_t>& out);

// Writes the bytes to the file `name` in the folder open as `dir`, replacing
// a file there; false when that fails. Named from the folder, each of the
// many files of a dump costs the kernel no walk along the folder's path.
bool writeFile(int dir, const QByteArray& name, const std::uint8_t* data, std::size_t size);

} // namespace png_writer
