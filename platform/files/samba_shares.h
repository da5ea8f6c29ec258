// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders this machine's Samba server shares: a Windows client that
// opens a folder through one of them can reach only what lies inside it.
#include <QString>
#include <QStringList>

namespace files {

// The paths of the file shares `testparm -s` lists, in its order; empty
// where Samba is not installed. Per-user shares count as the server serves
// them: [homes] as the home folder of every user in the password database,
// and %U, %u, %H and %S in a path filled in for the owner of forFolder.
// QUILLMARK_SMB_CONF names the configuration to read instead of Samba's
// own; set but empty, there are no shares. The configuration is read once
// per process.
QStringList sambaSharePaths(const QString& forFolder = {});

// The innermost share that holds the absolute path (or is it), or empty.
QString sambaShareHolding(const QString& path, const QStringList& shares);

} // namespace files
