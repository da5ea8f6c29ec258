// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder's customisation, decided in one place. PlanCustomisation looks at
// what the folder holds now and what it should show, and lists every change
// in the order the wizard's finish makes them; the finish carries the list
// out with its pending events between the steps, the folder command and the
// repair of an interrupted finish carry it out in one go, and the command's
// dry run only describes it.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace files {
class FolderHandle;
}

struct IconChoice {
    QString file; // the icon file as a path here; the folder's own Desktop.ico is kept as it is
    QString index = QStringLiteral("0");
    bool copy = false;
    // Chosen by the user in this run. An icon only restored from the
    // settings file, which anybody who can write the folder wrote, is never
    // copied into the folder unless it lies in the folder's own share.
    bool chosen = true;
    // Linux file managers get the same icon (.directory, gvfs metadata).
    bool linuxIcon = true;
};

struct WantedCustomisation {
    // nullopt: what the folder has stays; an empty tooltip: none.
    std::optional<QString> tooltip;
    // keepIcon: the icon keys and the icon copy stay; otherwise icon, or no icon.
    bool keepIcon = false;
    std::optional<IconChoice> icon;
    // The SHA-256 the icon file must still have (a finish completed later;
    // empty: it could not be read then): one that changed since is no
    // choice of the user's, and the icon stays.
    std::optional<QByteArray> iconDigest;
};

// Why a folder was left alone.
enum class CustomisationRefused { None, Missing, NotAFolder, NotWritable, SettingsNotAFile, SettingsTooLarge };

// What the settings file of folder holds now.
struct StoredCustomisation {
    QString tooltip;
    QString iconFile; // as written: "Desktop.ico", relative, full, or Windows only
    QString iconIndex;
    bool operator==(const StoredCustomisation&) const = default;
};
StoredCustomisation ReadCustomisation(const QString& folder);

// What a folder holds as far as its customisation goes: the SHA-256 of
// Desktop.ini and of Desktop.ico (empty when missing) and the folder's bits.
struct FolderSnapshot {
    QByteArray settings;
    QByteArray iconCopy;
    DWORD folderBits = 0;
    bool operator==(const FolderSnapshot&) const = default;
};
FolderSnapshot SnapshotFolder(const QString& folder);

struct CustomisationStep {
    enum class Kind {
        Bits, // path's attribute bits := bits
        WriteKey, // key := value in the settings file
        DeleteKey,
        DeleteFile, // path
        CopyFile, // value (the icon file) to path
        DeleteSettingsIfEmpty, // the settings file, when no key is left in it
        Events, // the finish lets pending events run
        Wait, // the finish's wait before the settings file goes
        LinuxImage, // the hidden image at path := icon key of file value, its images as one .ico
        LinuxIconKey, // Icon= in .directory at path := value; empty: removed
        GvfsIcon, // path's gvfs custom icon := value's URI; empty: removed where it names key or our image
    };
    Kind kind;
    QString path;
    QString key;
    QString value;
    DWORD bits = 0;
};

struct CustomisationPlan {
    CustomisationRefused refused = CustomisationRefused::None;
    QString folder;
    // The folder as opened for the plan: every step goes through it.
    std::shared_ptr<files::FolderHandle> handle;
    // The icon file's bytes as read and checked once, its SHA-256 and its
    // bits: what a copy writes, and what a journal records.
    std::shared_ptr<const QByteArray> iconBytes;
    QByteArray iconDigest;
    DWORD iconBits = 0;
    std::vector<CustomisationStep> steps;
    StoredCustomisation after; // the keys the folder holds at the end
    DWORD folderBits = 0; // the folder's bits at the end
    bool copies = false; // Desktop.ico is copied from the icon file
    bool removesSettings = false; // Desktop.ini goes when nothing is left in it
    // Icon= of .directory at the end ("" removed); nullopt: Linux's icon stays as it is.
    std::optional<QString> linuxIcon;
    // The folder before the first step and after each step that changes
    // something: a finish interrupted anywhere leaves one of these.
    std::vector<FolderSnapshot> states;
};

// Every step that brings folder to the wanted state, or the reason it is
// left alone (a folder that is missing, no folder, not writable, or whose
// Desktop.ini is a link, no plain file, or too large to be a settings file:
// the other steps would go on around a file that is never written). withStates also lists the states
// (for the finish's journal), which reads both files.
CustomisationPlan PlanCustomisation(
    const QString& folder, const WantedCustomisation& wanted, bool withStates = false);

// Makes each step; one that fails is skipped and the others are still
// made. pause runs at the Events and Wait steps.
using PlanPause = std::function<void(CustomisationStep::Kind)>;
void CarryOut(const CustomisationPlan& plan, const PlanPause& pause = {});

// Plan and carry out in one go.
CustomisationRefused ApplyCustomisation(const QString& folder, const WantedCustomisation& wanted);

// The bits that make Windows read a folder's Desktop.ini (it has a tooltip or an
// icon): read-only, or system on Windows Me.
DWORD MarkedFolderBits();
