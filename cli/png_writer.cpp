// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/png_writer.h"

#include "platform/little_endian.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace png_writer {

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32be(Bytes& out, std::uint32_t v)
{
    out.insert(
        out.end(), { std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v) });
}

// Appends a chunk whose data is already at out[start + 8 ...]: fills in the
// length and type and appends the CRC.
void closeChunk(Bytes& out, std::size_t start, const char* type)
{
    const std::uint32_t length = std::uint32_t(out.size() - start - 8);
    for (int i = 0; i < 4; ++i) {
        out[start + i] = std::uint8_t(length >> (24 - 8 * i));
        out[start + 4 + i] = std::uint8_t(type[i]);
    }
    put32be(out, std::uint32_t(::crc32(0, out.data() + start + 4, uInt(out.size() - start - 4))));
}

// Starts the file: its signature and header, 8 bits per sample, no
// interlacing, the colour type given.
void begin(Bytes& out, std::size_t width, std::size_t height, std::uint8_t colourType)
{
    static const std::uint8_t signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    out.assign(signature, signature + 8);
    const std::size_t chunk = out.size();
    out.resize(chunk + 8);
    put32be(out, std::uint32_t(width));
    put32be(out, std::uint32_t(height));
    out.insert(out.end(), { 8, colourType, 0, 0, 0 }); // deflate, no filter, not interlaced
    closeChunk(out, chunk, "IHDR");
}

// A buffer for the scanlines of `size` bytes, kept by the thread for the
// next image; its old bytes are all overwritten.
std::uint8_t* scanlines(std::size_t size)
{
    thread_local Bytes raw;
    if (raw.size() < size) raw.resize(size);
    return raw.data();
}

// Ends the file: the scanlines (each led by filter byte 0) in stored deflate
// blocks, and the end chunk.
void finish(Bytes& out, const std::uint8_t* raw, std::size_t size)
{
    std::size_t chunk = out.size();
    out.resize(chunk + 8);
    out.insert(out.end(), { 0x78, 0x01 }); // zlib: deflate, 32 KiB window, fastest
    // Stored blocks hold at most 65535 bytes each.
    for (std::size_t at = 0, n = 0; at < size; at += n) {
        n = std::min<std::size_t>(size - at, 65535);
        const std::uint8_t last = at + n == size;
        out.insert(out.end(),
            { last, std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8) });
        out.insert(out.end(), raw + at, raw + at + n);
    }
    put32be(out, std::uint32_t(::adler32(1, raw, uInt(size))));
    closeChunk(out, chunk, "IDAT");
    chunk = out.size();
    out.resize(chunk + 8);
    closeChunk(out, chunk, "IEND");
}

} // namespace

void encode(const icons::Pixels& image, Bytes& out)
{
    const std::size_t width = std::size_t(image.width), height = std::size_t(image.height);
    const std::size_t stride = 1 + 4 * width;
    begin(out, width, height, 6); // RGBA
    std::uint8_t* raw = scanlines(stride * height);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint32_t* in = image.row(int(y));
        std::uint8_t* row = raw + y * stride;
        *row++ = 0;
        for (std::size_t x = 0; x < width; ++x, row += 4) {
            row[0] = std::uint8_t(in[x] >> 16);
            row[1] = std::uint8_t(in[x] >> 8);
            row[2] = std::uint8_t(in[x]);
            row[3] = std::uint8_t(in[x] >> 24);
        }
    }
    finish(out, raw, stride * height);
}

void encode(const icons::IndexedPixels& image, Bytes& out)
{
    const std::size_t width = std::size_t(image.width), height = std::size_t(image.height);
    const std::size_t stride = 1 + width;
    begin(out, width, height, 3); // palette
    std::size_t chunk = out.size();
    out.resize(chunk + 8);
    for (const std::uint32_t c : image.palette)
        out.insert(out.end(), { std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c) });
    closeChunk(out, chunk, "PLTE");
    chunk = out.size();
    out.resize(chunk + 8);
    for (const std::uint32_t c : image.palette)
        out.push_back(std::uint8_t(c >> 24));
    closeChunk(out, chunk, "tRNS");
    std::uint8_t* raw = scanlines(stride * height);
    for (std::size_t y = 0; y < height; ++y) {
        raw[y * stride] = 0;
        std::memcpy(raw + y * stride + 1, image.row(int(y)), width);
    }
    finish(out, raw, stride * height);
}

bool writeFile(int dir, const QByteArray& name, const std::uint8_t* data, std::size_t size)
{
    const int fd = ::openat(dir, name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    const bool closed = ::close(fd) == 0;
    if (done == size && closed) return true;
    ::unlinkat(dir, name.constData(), 0);
    return false;
}

} // namespace png_writer
