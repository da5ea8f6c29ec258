// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders this machine's Samba server shares: a Windows client that
// opens a folder through one of them can reach only what lies inside it.
#include <QString>
#include <QStringList>

#include <optional>

namespace files {

// The paths of the file shares `testparm -s` lists, in its order; empty
// where Samba is not installed. Per-user shares count as the server serves
// them: [homes] as the home folder of every user in the password database,
// and %U, %u, %H and %S in a path filled in for the owner of forFolder.
// QUILLMARK_SMB_CONF names the configuration to read instead of Samba's
// own; set but empty, there are no shares. The configuration is read once
// per process.
QStringList sambaSharePaths(const QString& forFolder = {});

// The settings of a share that decide what a Windows client sees of a
// folder's customisation, as the server reads them (the defaults where the
// configuration names none).
struct SambaShare {
    QString name;
    QString path;
    bool storeDosAttributes = true;
    QString mapReadonly; // yes, no or permissions
    bool mapSystem = false;
    bool mapHidden = false;
    QString vetoFiles; // as written: /pattern/pattern/

    // Whether the share hides the name from its clients: as Samba matches
    // its name lists, each '/'-separated pattern against the whole name,
    // with '*' and '?', without case.
    bool vetoes(const QString& name) const;
};

// The innermost share of this machine's Samba server that holds the folder,
// if any. Read from testparm once per configuration: without testparm
// there is no share; a testparm that fails or takes longer than a second
// and a half gives none either, and known (when given) is then false. A
// folder on a server has none, and known stays as it was.
std::optional<SambaShare> sambaShareOf(const QString& folder, bool* known = nullptr);

// The file shares of `testparm -s` output with their settings, paths as
// written (substitutions not filled in).
QList<SambaShare> sharesOfTestparmOutput(const QByteArray& output);

// The innermost share that holds the absolute path (or is it), or empty.
QString sambaShareHolding(const QString& path, const QStringList& shares);

} // namespace files
