// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/file_bytes.h"

#include "platform/net/smb_client.h"

#include "platform/files/native_names.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace icons {

namespace {
constexpr std::uint64_t kBlock = 16 * 1024;
// As large as any icon library the copy of an icon file takes.
constexpr qint64 kMaxNetworkFileSize = 256 * 1024 * 1024;
} // namespace

FileBytes::~FileBytes()
{
    if (fd_ >= 0) ::close(fd_);
}

bool FileBytes::open(const QString& path)
{
    if (net::isNetworkPath(path)) {
        // A file on a server is read once, whole: every read of a part
        // would be a round trip.
        if (net::readFile(path, owned_, kMaxNetworkFileSize) != 0) return false;
        setMemory({ reinterpret_cast<const std::uint8_t*>(owned_.constData()), std::size_t(owned_.size()) });
        return true;
    }
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(files::nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = std::uint64_t(st.st_size);
    return true;
}

void FileBytes::setMemory(ByteView data)
{
    memory_ = data;
    size_ = data.size;
}

std::size_t FileBytes::readAt(std::uint64_t offset, char* into, std::size_t length) const
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd_, into + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // an error, or a file cut short meanwhile
        done += std::size_t(n);
    }
    return done;
}

bool FileBytes::readAt(std::uint64_t offset, QByteArray& into) const
{
    into.truncate(qsizetype(readAt(offset, into.data(), std::size_t(into.size()))));
    return !into.isEmpty();
}

bool FileBytes::copy(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& into) const
{
    if (!contains(offset, length) || length == 0) {
        into.clear();
        return false;
    }
    if (fd_ < 0) {
        const ByteView v = memory_.sub(offset, length);
        into.assign(v.data, v.data + v.size);
        return v.size == length;
    }
    into.resize(length);
    return readAt(offset, reinterpret_cast<char*>(into.data()), length) == length;
}

ByteView FileBytes::block(std::uint64_t index) const
{
    auto it = blocks_.find(index);
    if (it == blocks_.end()) {
        const std::uint64_t start = index * kBlock;
        QByteArray data(qsizetype(std::min(kBlock, size_ - start)), Qt::Uninitialized);
        readAt(start, data);
        it = blocks_.emplace(index, std::move(data)).first;
    }
    return { reinterpret_cast<const std::uint8_t*>(it->second.constData()), std::size_t(it->second.size()) };
}

ByteView FileBytes::sub(std::uint64_t offset, std::uint64_t length) const
{
    if (!contains(offset, length)) return {};
    if (fd_ < 0) return memory_.sub(offset, length);
    if (length == 0) return {};
    std::lock_guard lock(mutex_);
    const std::uint64_t first = offset / kBlock;
    if (first == (offset + length - 1) / kBlock) return block(first).sub(offset - first * kBlock, length);
    const auto key = std::make_pair(offset, length);
    auto it = spans_.find(key);
    if (it == spans_.end()) {
        QByteArray data(qsizetype(length), Qt::Uninitialized);
        if (!readAt(offset, data) || std::uint64_t(data.size()) != length) return {};
        it = spans_.emplace(key, std::move(data)).first;
    }
    return { reinterpret_cast<const std::uint8_t*>(it->second.constData()), std::size_t(length) };
}

} // namespace icons
