#pragma once
// Replacing a file's contents so that no reader and no crash ever sees a
// torn file: the new contents go into a temporary file in the same folder,
// reach the disk, and are renamed over the old file. Writers of one folder
// are serialised by a lock on the folder itself (flock, across processes),
// so that no lock file appears in the user's folder. The old file's
// permissions, owner, extended attributes and DOS attribute bits carry over.
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace files {

// Reads a whole regular file. nullopt when it does not exist, is not a
// regular file, or cannot be read.
std::optional<QByteArray> readWholeFile(const QByteArray& nativePath);

// Follows symbolic links of the last part (up to 40 of them); a link stays a
// link and its target is what gets replaced.
QString followLinks(const QString& path);

// Given the current contents (nullopt: no file yet), returns the new
// contents, or nullopt to leave the file as it is.
using ContentEdit = std::function<std::optional<QByteArray>(const std::optional<QByteArray>& current)>;

struct ReplaceOptions {
    bool failIfExists = false;
    // When set, the new file takes its DOS attribute bits from this file
    // instead of keeping those of the file it replaces.
    QString attributesFrom;
};

enum class ReplaceResult { Written, Unchanged, Failed };

// Fails for a read-only file (see isReadOnlyFile), a folder or other
// non-file, a missing folder, and any error on the way; the old file then
// stays as it was.
ReplaceResult replaceFile(const QString& path, const ContentEdit& edit, const ReplaceOptions& options = {});

// Test seam for a full disk and for dying in the middle of a write: called
// before each piece of the temporary file is written with its offset and
// length; returns how many of those bytes may be written. Fewer ends the
// write as if the disk were full. An empty hook removes it.
using WriteFaultHook = std::function<qint64(qint64 offset, qint64 length)>;
void setWriteFaultHook(WriteFaultHook hook);

} // namespace files
