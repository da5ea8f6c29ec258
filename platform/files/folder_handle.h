// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder opened once and then worked on through what was opened, never
// through its name again: on this machine a descriptor of the folder
// (O_PATH), with every entry reached relative to it and never through a
// link; on a server the connection with the folder's one listing. Whoever
// renames the folder or a folder above it, or puts a link in its place,
// redirects nothing that goes through the handle.
//
// openFolder is the one place that looks at the form of a folder's name.
// Entries are names directly in the folder ("" is the folder itself), as
// Windows finds them: without regard to case.
#include "platform/files/file_replace.h"
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace files {

struct EntryInfo {
    QString name; // as the folder spells it
    bool directory = false;
    bool regular = false; // false also for a link, a FIFO, a device
    qint64 size = 0;
    DWORD bits = 0; // the DOS bits, with FILE_ATTRIBUTE_DIRECTORY for a folder
};

class FolderHandle {
public:
    virtual ~FolderHandle() = default;
    // The folder as it was named when opened.
    const QString& name() const { return name_; }
    // The name of an entry as the calls give it (folder, separator, entry).
    virtual QString pathOf(const QString& entry) const = 0;
    // Device and inode of what was opened; nullopt where the back end has
    // none to offer (a server).
    virtual std::optional<std::pair<quint64, quint64>> identity() const = 0;

    // The entry's name as it exists, matched without regard to case (the
    // exact spelling first, then the first in byte order); the name as
    // given when nothing matches.
    virtual QString resolve(const QString& entry) = 0;
    // What stands at the entry, never followed; ENOENT when nothing does.
    virtual int stat(const QString& entry, EntryInfo& out) = 0;
    // The entries, without "." and "..".
    virtual int list(std::vector<EntryInfo>& out) = 0;
    // A whole regular file of at most maxSize bytes (EFBIG when larger,
    // ENOENT for anything that is not a regular file).
    virtual int read(const QString& entry, QByteArray& out, qint64 maxSize) = 0;
    // Replaces a file's contents so that it is always the old or the new
    // file (see ARCHITECTURE.md). written becomes true when it changed.
    virtual int replace(const QString& entry, const ContentEdit& edit, const ReplaceOptions& options, bool& written)
        = 0;
    // Removes a file (a link is removed, never followed); a read-only one stays (EACCES).
    virtual int remove(const QString& entry) = 0;
    // Sets the DOS bits of an entry or, with "", of the folder.
    virtual int setBits(const QString& entry, DWORD bits) = 0;
    // Whether entries can be made in the folder.
    virtual bool canWrite() = 0;
    // A folder inside this one, opened through it (a walk's next step); a
    // link is never followed, nor a folder on another file system.
    virtual std::unique_ptr<FolderHandle> child(const QString& entry, int& error) = 0;
    // Puts back what a replacement killed half-way left of entry (a backup
    // of the old file where the new one never took its place) and removes
    // its temporary files.
    virtual void adoptLeftovers(const QString& entry) = 0;

protected:
    explicit FolderHandle(QString name)
        : name_(std::move(name))
    {
    }

private:
    QString name_;
};

// Opens a folder named as the user or the program names it: a path here,
// or \\server\share\... for a folder on a server. A folder named through a
// link is opened by following that one link (followLink), then held.
// nullptr and an errno when it cannot be opened (ENOTDIR for no folder).
std::unique_ptr<FolderHandle> openFolder(const QString& folder, int& error, bool followLink = true);

// Why a call on path failed, in German, for the user: the server's cause
// for a name on a server, the system's text otherwise.
QString describeError(const QString& path, int error);

// The folder a path lies in and its last part ("." and "" for a bare
// name); the one place that splits a path of either form.
std::pair<QString, QString> splitPath(const QString& path);

// What a replacement's new file is called while it is made.
QString temporaryName(const QString& entry, int pid, quint32 serial);
bool isTemporaryOf(const QString& name, const QString& entry);

} // namespace files
