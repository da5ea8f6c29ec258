// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One folder opened once for a run of calls. While an OpenedFolder lives on
// a thread, the file layer's calls on that folder and on the entries
// directly inside it go through one descriptor of the folder, taken when it
// began: renaming the folder or putting a link in its place meanwhile
// redirects none of them, and the names in it are resolved for case through
// the descriptor, from a listing read again only when the folder changed. A folder on a
// server gets the server's equivalent, one listing kept for the scope
// (net::ListingScope). The Windows-named calls keep their signatures.
#include "platform/net/smb_client.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace files {

class OpenedFolder {
public:
    // Named as the calls will name it (they compare the text). A folder that
    // is a link, or cannot be opened, is left to the calls one by one.
    explicit OpenedFolder(const QString& folder);
    ~OpenedFolder();
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;

private:
    net::ListingScope listings_;
    bool opened_ = false;
};

// The bytes to give the kernel for a path: for the opened folder and the
// entries directly in it, a name through its descriptor
// (/proc/self/fd/N/name); for any other path its native bytes.
QByteArray systemPath(const QString& path);

// For a path in an opened folder, the path as it exists on disk (the
// folder's own name as given; an entry's name matched without regard to
// case, the first in byte order); nullopt for any other path.
std::optional<QString> resolvedInOpenedFolder(const QString& path);

} // namespace files
