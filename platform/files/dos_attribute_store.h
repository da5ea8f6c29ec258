// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the DOS attribute bits of a file or folder live depends on the file
// system under it: FAT and exFAT keep them in the directory entry, NTFS in
// its standard information (through an extended attribute), a share mounted
// with the kernel's SMB client on the server (through the client's
// user.cifs.dosattrib attribute), and every other
// file system in Samba's user.DOSATTRIB extended attribute, where Samba
// shares and Wine look for them.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace files {

inline constexpr DWORD kDosBits
    = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Every store works on an open descriptor of the entry (a file or folder
// opened for reading, never through a link): what was opened is what gets
// the bits, whatever is renamed meanwhile. The path forms open the path's
// last part without following a link and call the same.
class DosAttributeStore {
public:
    virtual ~DosAttributeStore() = default;
    virtual const char* name() const = 0;
    // The stored attribute word; nothing stored reads as 0. nullopt when
    // the storage cannot be read.
    virtual std::optional<DWORD> read(int fd) const = 0;
    // Replaces the read-only, hidden, system and archive bits with those of
    // bits and keeps every other stored bit.
    virtual bool write(int fd, DWORD bits) const = 0;
    // Carries what is stored for one file over to the file that replaces it.
    virtual bool copy(int from, int to) const = 0;
    // Whether bits can be stored at all (reading succeeds where nothing was
    // ever stored, even where nothing can be).
    virtual bool canStore(int fd) const { return read(fd).has_value(); }

    std::optional<DWORD> read(const QByteArray& path) const;
    bool write(const QByteArray& path, DWORD bits) const;
    bool copy(const QByteArray& from, const QByteArray& to) const;
    bool canStore(const QByteArray& path) const;
};

// An entry opened so that the stores can work on it: a regular file or a
// folder, opened for reading without blocking and never through a link in
// the last part; -1 for anything else. at is a folder's descriptor
// (AT_FDCWD for the working folder); name "" or "." is that folder itself.
int openForAttributes(int at, const QByteArray& name);

const DosAttributeStore& fatAttributeStore();
const DosAttributeStore& ntfsAttributeStore();
const DosAttributeStore& cifsAttributeStore();
const DosAttributeStore& sambaAttributeStore();

enum class AttributeStorage { Fat, Ntfs, Cifs, Samba };

// The choice by file system: the statfs magic number, and for FUSE file
// systems whether the path answers NTFS-3G's attribute query.
AttributeStorage storageFor(long fsMagic, bool answersNtfsAttrib);

// The store for an open entry, or for an existing path.
const DosAttributeStore& attributeStoreFor(int fd);
const DosAttributeStore& attributeStoreFor(const QByteArray& path);

// Whether the path lies on a volume Windows reads itself: FAT, exFAT, NTFS,
// or a share mounted from a server (cifs, smb3): any storage but Samba's.
bool onWindowsVolume(const QByteArray& path);

// The name of the store that keeps the bits of a folder ("smb" for one on a
// server, "none" where they cannot be kept).
QString attributeStorageName(const QString& folder);

// Tests put a store of their choice in front of the choice by file system;
// nullptr restores it.
void setAttributeStoreOverride(const DosAttributeStore* store);

} // namespace files
