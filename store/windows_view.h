// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Will Windows show a folder's customisation? What a folder holds, as a
// Windows machine that opens it would find it, and if it would not show
// the tooltip or the icon, why not. The command's show asks this of every
// folder, its set of every folder it changed, and the wizard's finish of
// its folder after its last step.
#include "platform/win_types.h"

#include <QString>

#include <optional>

struct FolderView {
    QString folder;
    QString tooltip;
    QString iconFile; // as written
    QString iconPath; // the file it names here; empty when it names none
    QString iconIndex;
    bool copy = false;
    std::optional<DWORD> folderBits, settingsBits, copyBits;
    QString storage; // where the bits are kept: fat, ntfs, cifs, samba, smb or none
    // The share of this machine's Samba that serves the folder ("" for
    // none); whether its settings could be read (testparm answered).
    QString sambaShare;
    bool sambaSettingsKnown = true;
    // Why Windows will not show it: a stable code for scripts and a plain
    // German sentence; both empty when it will.
    QString reasonCode;
    QString reason;
    bool windowsShows() const { return reasonCode.isEmpty(); }
    // What was not checked, and why: an icon file on a server that only the
    // folder's data names is never asked for (see net::nameServer). Code and
    // sentence as above; it does not count against windowsShows.
    QString notCheckedCode;
    QString notChecked;
};

// stored: what the folder's Desktop.ini holds, when the caller has just
// read it.
struct StoredCustomisation;
FolderView ViewFolder(const QString& folder, const StoredCustomisation* stored = nullptr);

// After a plan was carried out, what to tell the user when Windows will not
// show what the plan meant to leave in the folder, or, when it removed the
// customisation, still shows one; empty when it shows what was meant.
struct CustomisationPlan;
QString NotShownAfter(const CustomisationPlan& plan, const StoredCustomisation* stored = nullptr);

// Why a Desktop.ini too large for the profile functions is neither read
// nor written.
QString TooLargeText();
