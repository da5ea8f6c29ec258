// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes of an icon file, read as the parse asks for them. A file on a
// share can be truncated or rewritten by another machine while we read it:
// a piece that can no longer be read is simply missing (a memory mapping
// would raise SIGBUS instead). Pieces are read in blocks and kept while the
// object lives, so the views handed out stay valid and the directories that
// the parse reads again and again cost one read.
#include "platform/icons/icon_formats.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace icons {

// Where some bytes lie in a file.
struct FileSpan {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Opens a regular file, without blocking: a FIFO, socket or device is
    // refused. False when there is no such file to read.
    bool open(const QString& path);
    // Reads from memory that the caller keeps alive instead.
    void setMemory(ByteView data);

    std::uint64_t size() const { return size_; }
    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }
    template <typename T> bool read(std::uint64_t offset, T& out) const
    {
        const ByteView v = sub(offset, sizeof(T));
        if (v.size != sizeof(T)) return false;
        std::memcpy(&out, v.data, sizeof(T));
        return true;
    }
    // The bytes [offset, offset + length); empty when they lie outside the
    // file or cannot be read (any more).
    ByteView sub(std::uint64_t offset, std::uint64_t length) const;
    // A copy of the same bytes into `into`, kept nowhere else; false when
    // they cannot be read. Safe from several threads at once.
    bool copy(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& into) const;

private:
    ByteView block(std::uint64_t index) const;
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t length) const;
    bool readAt(std::uint64_t offset, QByteArray& into) const;

    int fd_ = -1;
    std::uint64_t size_ = 0;
    ByteView memory_;
    QByteArray owned_; // a file read from a server
    mutable std::mutex mutex_;
    mutable std::map<std::uint64_t, QByteArray> blocks_;
    mutable std::map<std::pair<std::uint64_t, std::uint64_t>, QByteArray> spans_;
};

} // namespace icons
