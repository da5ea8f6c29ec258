// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/folder_customisation.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_api.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/folder_handle.h"
#include "platform/net/smb_client.h"
#include "platform/files/opened_folder.h"
#include "platform/files/profile_keys.h"
#include "platform/files/profile_text.h"
#include "platform/icons/icon_api.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "store/linux_icon.h"
#include "sys/Dateiexistenz.h"
#include "sys/WinVersionen.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>

namespace {

using Kind = CustomisationStep::Kind;

// An icon copy is compared up to the size of the largest file the program copies.
QByteArray digestOf(const QString& path)
{
    QByteArray bytes;
    if (files::readFile(path, bytes, files::Links::Refuse, files::kMaxCopySize) != 0) return {};
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Lists the steps and, when asked, follows what each does to the folder,
// so that every state an interrupted finish can leave is known in advance.
class PlanWriter {
public:
    PlanWriter(CustomisationPlan& plan, bool followStates)
        : m_plan(plan)
        , m_settings(SettingsFilePath(plan.folder))
        , m_copy(IconCopyPath(plan.folder))
        , m_follow(followStates)
    {
        m_copyExists = FileExists(m_copy);
        if (!m_follow) return;
        if (QByteArray bytes; files::readFile(m_settings, bytes, files::Links::Refuse, files::kMaxProfileSize) == 0)
            m_ini = std::move(bytes);
        m_state = SnapshotFolder(plan.folder);
        m_plan.states.push_back(m_state);
    }

    const QString& settings() const { return m_settings; }
    const QString& copy() const { return m_copy; }
    bool copyExists() const { return m_copyExists; }

    void bits(const QString& path, DWORD value)
    {
        add(Kind::Bits, path, {}, {}, value);
        if (path == m_plan.folder) m_state.folderBits = value;
        record();
    }
    void writeKey(const QString& key, const QString& value)
    {
        add(Kind::WriteKey, m_settings, key, value);
        if (m_follow) setIni(files::ProfileText(m_ini.value_or(QByteArray())).withValue(kShellClassInfo, key, value));
        record();
    }
    void deleteKey(const QString& key)
    {
        add(Kind::DeleteKey, m_settings, key);
        if (m_ini)
            if (auto without = files::ProfileText(*m_ini).withoutKey(kShellClassInfo, key)) setIni(*without);
        record();
    }
    void iconKeys(const QString& reference, const QString& index)
    {
        writeKey(kKeyIconFile, reference);
        writeKey(kKeyIconIndex, index);
        writeKey(kKeyIconResource, reference + QLatin1Char(',') + index);
    }
    void deleteCopy()
    {
        add(Kind::DeleteFile, m_copy);
        m_copyExists = false;
        m_state.iconCopy.clear();
        record();
    }
    void copyFrom(const QString& source)
    {
        add(Kind::CopyFile, m_copy, {}, source);
        m_copyExists = true;
        if (m_follow) m_state.iconCopy = m_plan.iconDigest;
        record();
    }
    void deleteSettingsIfEmpty()
    {
        add(Kind::DeleteSettingsIfEmpty, m_settings);
        if (m_ini && !files::ProfileText(*m_ini).hasAnyKey()) {
            m_ini.reset();
            m_state.settings.clear();
        }
        record();
    }
    void pause(Kind kind) { add(kind); }

private:
    void add(Kind kind, const QString& path = {}, const QString& key = {}, const QString& value = {}, DWORD bits = 0)
    {
        m_plan.steps.push_back({ kind, path, key, value, bits });
    }
    void record()
    {
        if (m_follow && !(m_state == m_plan.states.back())) m_plan.states.push_back(m_state);
    }
    void setIni(const QByteArray& bytes)
    {
        m_ini = bytes;
        m_state.settings = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    }

    CustomisationPlan& m_plan;
    QString m_settings;
    QString m_copy;
    bool m_follow;
    bool m_copyExists = false;
    std::optional<QByteArray> m_ini;
    FolderSnapshot m_state;
};

// The icon keys and the copy for a chosen icon, in the finish's order.
void planIcon(PlanWriter& w, const CustomisationPlan& plan, const IconChoice& icon, bool copying, bool isCopy)
{
    w.bits(plan.folder, kAttrArchive);
    if (w.copyExists()) w.bits(w.copy(), kAttrArchive);
    // The icon copy goes unless it is the very file being set.
    if (w.copyExists() && !isCopy) w.deleteCopy();
    w.pause(Kind::Events);
    w.iconKeys(plan.after.iconFile, icon.index);
    if (copying && !isCopy) w.copyFrom(icon.file);
    // The copy the keys name stays hidden, as any icon copy.
    if (copying || isCopy) w.bits(w.copy(), kAttrHiddenArchive);
    if (!copying) w.pause(Kind::Events);
    w.bits(w.settings(), kAttrHiddenArchive);
    w.bits(plan.folder, kAttrReadOnly);
    if (MarkedFolderBits() != kAttrReadOnly) w.bits(plan.folder, MarkedFolderBits());
}

void planNoIcon(PlanWriter& w, const CustomisationPlan& plan, bool keepWindowsIcon)
{
    w.bits(plan.folder, kAttrArchive);
    if (w.copyExists()) {
        w.bits(w.copy(), kAttrArchive);
        w.deleteCopy();
    }
    w.pause(Kind::Events);
    // An icon that only Windows can find (set there, as Explorer does) is
    // no choice of ours to undo: it goes only with the whole customisation.
    if (!keepWindowsIcon) {
        w.deleteKey(kKeyIconFile);
        w.deleteKey(kKeyIconIndex);
        w.deleteKey(kKeyIconResource);
    }
    w.pause(Kind::Events);
    w.bits(plan.folder, plan.folderBits);
}

// Whether the icon file may be copied into the folder: a copy of a file
// that holds no icons shows nothing, and a file the user did not choose
// (a reference restored from a settings file others can write) is copied
// only at the user's own word.
bool mayCopy(const CustomisationPlan& plan, const IconChoice& icon, bool forced)
{
    if (forced && !icon.chosen) return false;
    return plan.iconBytes && icons::iconCountIn(*plan.iconBytes) > 0;
}

// Reads the icon file once: the bytes a copy writes are the bytes counted
// and digested here. False when a digest was expected and the file no
// longer has it.
bool readIconSource(CustomisationPlan& plan, const IconChoice& icon, const std::optional<QByteArray>& expected)
{
    QByteArray bytes;
    if (files::readFile(icon.file, bytes, files::Links::Follow, files::kMaxCopySize) == 0) {
        plan.iconDigest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
        plan.iconBytes = std::make_shared<const QByteArray>(std::move(bytes));
        plan.iconBits = GetFileAttributesA(icon.file);
    }
    return !expected || *expected == plan.iconDigest;
}

// Why a folder is left alone, asked of its handle.
CustomisationRefused refusalOf(const CustomisationPlan& plan, int openError)
{
    if (!plan.handle) return openError == ENOTDIR ? CustomisationRefused::NotAFolder : CustomisationRefused::Missing;
    if (!plan.handle->canWrite()) return CustomisationRefused::NotWritable;
    // A link, a folder, a FIFO where Desktop.ini belongs is never written around.
    files::EntryInfo settings;
    const QString name = plan.handle->resolve(kSettingsFileName);
    if (plan.handle->stat(name, settings) != 0) return CustomisationRefused::None;
    if (!settings.regular) return CustomisationRefused::SettingsNotAFile;
    return settings.size > files::kMaxProfileSize ? CustomisationRefused::SettingsTooLarge : CustomisationRefused::None;
}

} // namespace

DWORD MarkedFolderBits()
{
    return GetWinVersion() == QLatin1String("Me") ? kAttrSystemArchive : kAttrReadOnly;
}

CustomisationPlan PlanCustomisation(const QString& folder, const WantedCustomisation& wanted, bool withStates)
{
    // The folder is opened once; the plan and every step go through it.
    CustomisationPlan plan;
    plan.folder = folder;
    int openError = 0;
    plan.handle = files::heldOrOpened(folder, openError);
    plan.refused = refusalOf(plan, openError);
    if (plan.refused != CustomisationRefused::None) return plan;
    const files::OpenedFolder opened(plan.handle);
    // What a killed replacement left is put right before the states a
    // journal records are read; a dry run (no states) changes nothing.
    if (withStates) plan.handle->adoptLeftovers(kSettingsFileName);
    const StoredCustomisation now = ReadCustomisation(folder);
    PlanWriter w(plan, withStates);

    // The tooltip as it reads back; it is written quoted where it needs it.
    plan.after.tooltip = wanted.tooltip ? TooltipOnOneLine(*wanted.tooltip) : now.tooltip;
    std::optional<IconChoice> icon = wanted.keepIcon ? std::nullopt : wanted.icon;
    bool keepIcon = wanted.keepIcon, copying = false, isCopy = false;
    if (icon) {
        const IconReference reference = IconReferenceFor(folder, icon->file);
        isCopy = IsIconCopy(folder, icon->file);
        copying = (icon->copy || reference.copyNeeded) && !isCopy;
        // The file is read only where its bytes count: for a copy, for the
        // journal, and for a finish completed later, which expects them.
        const bool read = copying || withStates || wanted.iconDigest;
        if (read && !readIconSource(plan, *icon, wanted.iconDigest)) keepIcon = true, icon.reset();
        // A copy that may not be made leaves the icon as the folder has it.
        else if (copying && !mayCopy(plan, *icon, !icon->copy)) keepIcon = true, icon.reset();
        else plan.after.iconFile = copying || isCopy ? kIconCopyName : reference.text;
        if (icon) plan.after.iconIndex = icon->index;
    }
    const bool keepWindowsIcon
        = !keepIcon && !icon && !plan.after.tooltip.isEmpty() && IsWindowsOnlyReference(now.iconFile);
    if (keepIcon || keepWindowsIcon) plan.after.iconFile = now.iconFile, plan.after.iconIndex = now.iconIndex;
    plan.copies = icon && copying;
    if (!plan.copies) plan.iconBytes.reset();
    const bool hasIcon = !plan.after.iconFile.isEmpty();
    // A tooltip alone marks the folder too: Windows reads Desktop.ini only in
    // a marked folder, so an unmarked one would never show it.
    plan.folderBits = hasIcon || !plan.after.tooltip.isEmpty() ? MarkedFolderBits() : kAttrNone;

    w.bits(w.settings(), kAttrNone);
    w.bits(folder, kAttrNone);
    w.pause(Kind::Events);
    if (!plan.after.tooltip.isEmpty()) {
        if (wanted.tooltip) w.writeKey(kKeyInfoTip, TooltipAsWritten(*wanted.tooltip));
        w.bits(w.settings(), kAttrHiddenArchive);
        w.bits(folder, kAttrReadOnly);
    } else if (wanted.tooltip) {
        w.deleteKey(kKeyInfoTip);
    }
    if (icon) {
        planIcon(w, plan, *icon, copying, isCopy);
    } else if (!keepIcon) {
        planNoIcon(w, plan, keepWindowsIcon);
    } else if (hasIcon) {
        w.bits(w.settings(), kAttrHiddenArchive);
        w.bits(folder, plan.folderBits);
    } else {
        w.bits(folder, plan.folderBits);
    }
    if (plan.after.tooltip.isEmpty() && !hasIcon) {
        plan.removesSettings = true;
        w.bits(w.settings(), kAttrNone);
        w.bits(folder, kAttrNone);
        w.pause(Kind::Wait);
        w.pause(Kind::Events);
        // Only a file with nothing left in it goes: any key keeps it, a CLSID
        // as well as view settings that Windows keeps in other sections.
        w.deleteSettingsIfEmpty();
        w.pause(Kind::Events);
    }
    // Linux file managers follow a change of the icon; a kept icon keeps theirs.
    if (icon || (!keepIcon && !keepWindowsIcon)) PlanLinuxIcon(plan, now, icon);
    return plan;
}

void CarryOut(const CustomisationPlan& plan, const PlanPause& pause)
{
    if (!plan.handle) return;
    const files::OpenedFolder opened(plan.handle);
    plan.handle->adoptLeftovers(kSettingsFileName);
    const net::WriteBehind once;
    for (auto it = plan.steps.begin(); it != plan.steps.end(); ++it) {
        const CustomisationStep& step = *it;
        switch (step.kind) {
        case Kind::Bits:
            SetFileAttributesA(step.path, step.bits);
            break;
        case Kind::WriteKey: {
            // Keys that follow one another into the same file are written in
            // one go: the file ends the same, and passes through fewer of
            // the states the plan knows (the icon's three keys: two writes
            // of the file fewer per folder).
            std::vector<std::pair<QString, QString>> values { { step.key, step.value } };
            for (; std::next(it) != plan.steps.end() && std::next(it)->kind == Kind::WriteKey
                 && std::next(it)->path == step.path;
                 ++it)
                values.emplace_back(std::next(it)->key, std::next(it)->value);
            IniWriteAll(step.path, kShellClassInfo, values);
            break;
        }
        case Kind::DeleteKey:
            IniDeleteKey(step.path, kShellClassInfo, step.key);
            break;
        case Kind::DeleteFile:
            DeleteFileA(step.path);
            break;
        case Kind::CopyFile:
            // The bytes the plan read and checked, not the file again.
            if (plan.iconBytes) files::writeCopy(*plan.iconBytes, plan.iconBits, step.path);
            break;
        case Kind::DeleteSettingsIfEmpty:
            if (!SettingsFileHasKeys(step.path)) DeleteFileA(step.path);
            break;
        case Kind::LinuxImage:
        case Kind::LinuxIconKey:
        case Kind::GvfsIcon:
            CarryOutLinuxStep(step);
            break;
        case Kind::Events:
        case Kind::Wait:
            if (pause) pause(step.kind);
            break;
        }
    }
}

CustomisationRefused ApplyCustomisation(const QString& folder, const WantedCustomisation& wanted)
{
    const CustomisationPlan plan = PlanCustomisation(folder, wanted);
    CarryOut(plan);
    return plan.refused;
}

StoredCustomisation ReadCustomisation(const QString& folder)
{
    const QString settings = SettingsFilePath(folder);
    if (!FileExists(settings)) return {};
    const StoredIcon icon = ReadStoredIcon(settings);
    return { IniRead(settings, kShellClassInfo, kKeyInfotipRead), icon.file, icon.index };
}

FolderSnapshot SnapshotFolder(const QString& folder)
{
    const DWORD bits = GetFileAttributesA(folder);
    return { digestOf(SettingsFilePath(folder)), digestOf(IconCopyPath(folder)),
        bits == INVALID_FILE_ATTRIBUTES ? 0 : bits & 0x27 };
}
