// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the hives live and how they are read and changed. Reading takes no
// lock: a hive is only ever replaced whole by rename. A change takes the
// exclusive lock on the hive's sidecar lock file (across processes), reads
// the hive anew, and writes a temporary file in the same folder that is
// synced and renamed over the hive.
#include "platform/registry/hive_document.h"
#include "platform/registry/registry.h"

#include <functional>

namespace HiveFile {

// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"; "" for a root without a hive.
QString rootName(HKEY root);

// The current user's hive is in $XDG_CONFIG_HOME/quillmark (~/.config when
// unset), the machine's in /etc/quillmark; QUILLMARK_REGISTRY_DIR holds both.
QString folder(HKEY root);
QString path(HKEY root);

// Our hives hold the program's few keys and a machine's shell verbs: some
// KiB. A file above 1 MiB is not one we wrote; it reads as a damaged hive
// (ERROR_BADDB), never allocated whole and never written over.
inline constexpr qint64 kMaxHiveSize = 1024 * 1024;

// Reads the hive; a missing file reads as an empty hive.
LSTATUS load(HKEY root, Hive::Document& doc);

// Whether this process may change the hive (the file and its folder).
LSTATUS checkWritable(HKEY root);

// Runs change on the hive under the lock. change sets changed when it
// altered the document; only then is the hive written. A document that
// would lose anything of the hive as read is not written (ERROR_BADDB).
using Change = std::function<LSTATUS(Hive::Document& doc, bool& changed)>;
LSTATUS update(HKEY root, const QString& path, const QString& name, const Change& change);

} // namespace HiveFile
