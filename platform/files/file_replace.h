// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replacing a file's contents so that no reader and no crash ever sees a
// torn file: the new contents go into a temporary file in the same folder,
// reach the disk, and are renamed over the old file. Writers of one folder
// are serialised by a lock on the folder itself (flock, across processes),
// so that no lock file appears in the user's folder. The old file's
// permissions, owner, extended attributes and DOS attribute bits carry over
// (rights-granting attributes only from a file of this user's own). Each
// back end does it through the folder's handle (folder_handle.h).
//
// Other people write into the folders we customise. A symbolic link in the
// last part of a path is followed only where the caller says so (the
// program's own files); elsewhere a read finds no file and a write replaces
// the link itself. Only regular files are read or written: a FIFO, socket
// or device is opened without blocking and counts as missing.
#include <QByteArray>
#include <QString>

#include "platform/win_types.h"

#include <functional>
#include <optional>
#include <sys/types.h>

namespace files {

enum class Links { Refuse, Follow };

// Every read has a limit: a file that claims more (a sparse file of 100 GiB,
// one that grows while it is read) is refused, never allocated.
// Profile files: Desktop.ini and the recent-folders file hold a few lines
// (Windows' own profile functions are used on files of a few KiB); 64 KiB
// leaves room for any view settings Windows adds and still costs nothing.
inline constexpr qint64 kMaxProfileSize = 64 * 1024;
// A copy source: an icon file. Windows' largest icon libraries are a few
// tens of MiB.
inline constexpr qint64 kMaxCopySize = 256 * 1024 * 1024;

// Reads a whole regular file of at most maxSize bytes into out. Returns 0,
// or an errno: ENOENT also for a special file and, with Links::Refuse, for
// a symbolic link; EFBIG when the file is larger than maxSize, by its size
// or by what it gives (at most maxSize bytes are ever held).
int readRegularFile(const QByteArray& nativePath, QByteArray& out, Links links, qint64 maxSize);

// The same as a value: nullopt when there is no regular file to read or it
// is larger than maxSize.
std::optional<QByteArray> readWholeFile(const QByteArray& nativePath, Links links, qint64 maxSize);

// An exclusive lock (flock) on a file of its own, created when missing,
// waited for at most lockTimeoutMs(); held while the object lives.
class FileLock {
public:
    explicit FileLock(const QByteArray& nativePath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

// Takes the exclusive flock on fd, waiting at most lockTimeoutMs(); a stuck
// holder makes the step fail instead of hanging the program. 0 or an errno
// (EWOULDBLOCK when the time ran out).
int lockExclusive(int fd);
int lockTimeoutMs(); // 2000
void setLockTimeoutMs(int ms); // for tests; a negative value restores 2000

// Each replacement reaches the disk before it returns (the new contents,
// then the rename). A run over many folders turns that off and flushes each
// file system once in a while instead (syncfs): a crash of the process still
// leaves old or new files, never torn ones; a power cut may lose what was
// written since the last flush.
void setSyncEachReplace(bool sync);

// Follows symbolic links of the last part (up to 40 of them); a link stays a
// link and its target is what gets replaced.
QString followLinks(const QString& path);

// Given the current contents (nullopt: no file yet), returns the new
// contents, or nullopt to leave the file as it is.
using ContentEdit = std::function<std::optional<QByteArray>(const std::optional<QByteArray>& current)>;

struct ReplaceOptions {
    bool failIfExists = false;
    // Follow a symbolic link to the file it names (the program's own files).
    // Otherwise the link itself is replaced and its target never touched.
    bool followLinks = false;
    // A file that does not exist yet gets this mode instead of 0666 under
    // the umask.
    std::optional<mode_t> newFileMode;
    // Refuse files that Windows would call read-only. Off for files that
    // are not the user's documents (the hives), where only the right to
    // write counts.
    bool refuseReadOnly = true;
    // The current contents are read up to this size; a larger file fails
    // the replacement (EFBIG) and stays as it is. Negative: they are not
    // read at all, and the edit gets an empty file (a copy's target).
    qint64 maxCurrentSize = kMaxProfileSize;
    // Told the temporary file's path before it is created.
    std::function<void(const QByteArray& path)> onTemporary;
    // When set, the new file gets these DOS attribute bits (and a new
    // file's permissions) instead of keeping what the file it replaces had.
    std::optional<DWORD> attributes;
};

enum class ReplaceResult { Written, Unchanged, Failed };

// Goes through the folder's handle (see folder_handle.h): the one held for
// it on this thread, or one opened for this call. Fails for a read-only file
// (see isReadOnlyFile), a folder or other non-file, a missing folder, a
// folder lock not had in time, and any error on the way; the old file then
// stays as it was. error, when given, gets the errno of a failure.
ReplaceResult replaceFile(
    const QString& path, const ContentEdit& edit, const ReplaceOptions& options = {}, int* error = nullptr);

// The pieces every replacement shares: reading an opened file within a
// limit (0 or an errno, as readRegularFile), writing all bytes through the
// write fault hook below, and whether each replacement reaches the disk.
int readOpenFile(int fd, QByteArray& out, qint64 maxSize);
bool writeAllTo(int fd, const QByteArray& data);
bool syncEachReplace();

// Test seam for a full disk and for dying in the middle of a write: called
// before each piece of the temporary file is written with its offset and
// length; returns how many of those bytes may be written. Fewer ends the
// write as if the disk were full. An empty hook removes it.
using WriteFaultHook = std::function<qint64(qint64 offset, qint64 length)>;
void setWriteFaultHook(WriteFaultHook hook);

} // namespace files
