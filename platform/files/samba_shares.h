#pragma once
// The folders this machine's Samba server shares: a Windows client that
// opens a folder through one of them can reach only what lies inside it.
#include <QString>
#include <QStringList>

namespace files {

// The paths of the shares `testparm -s` lists, in its order; empty where
// Samba is not installed. QUILLMARK_SMB_CONF names the configuration to read
// instead of Samba's own; set but empty, there are no shares. Read once per
// configuration for the life of the process.
QStringList sambaSharePaths();

// The innermost share that holds the absolute path (or is it), or empty.
QString sambaShareHolding(const QString& path, const QStringList& shares);

} // namespace files
