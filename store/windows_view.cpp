// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/windows_view.h"

#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/files/profile_keys.h"
#include "platform/files/samba_shares.h"
#include "platform/files/windows_references.h"
#include "platform/net/smb_client.h"
#include "store/folder_customisation.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"

#include <sys/stat.h>

namespace {

// Either bit makes Windows read a folder's Desktop.ini.
constexpr DWORD kFolderMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;

std::optional<DWORD> bitsOf(const QString& path)
{
    const DWORD bits = GetFileAttributesA(path);
    if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return bits & files::kDosBits;
}

QString storageOf(const QString& folder)
{
    return files::attributeStorageName(folder);
}

// The bits a Samba share that does not store them makes of a file's mode.
DWORD mappedBits(const files::SambaShare& share, const QString& path, bool directory)
{
    struct stat st;
    if (::stat(files::nativePath(path).constData(), &st) != 0) return 0;
    DWORD bits = 0;
    if (share.mapReadonly == QLatin1String("yes") && !(st.st_mode & S_IWUSR)) bits |= FILE_ATTRIBUTE_READONLY;
    if (directory) return bits; // a folder keeps only read-only
    if (share.mapSystem && (st.st_mode & S_IXGRP)) bits |= FILE_ATTRIBUTE_SYSTEM;
    if (share.mapHidden && (st.st_mode & S_IXOTH)) bits |= FILE_ATTRIBUTE_HIDDEN;
    return bits;
}

struct Reason {
    const char* code;
    QString text;
};

// What a share of this machine's Samba server shows its clients of the
// folder; nothing when it shows them what the folder holds.
std::optional<Reason> shareHides(
    const FolderView& v, const std::optional<files::SambaShare>& share, const QString& settingsFile)
{
    if (!share) return std::nullopt;
    const QString name = QStringLiteral("[%1]").arg(share->name);
    if (share->vetoes(QStringLiteral("Desktop.ini")))
        return Reason {
            "share-vetoes-settings",
            QStringLiteral("Die Freigabe %1 verbirgt Desktop.ini vor allen Clients (veto files).").arg(name)
        };
    if (share->storeDosAttributes) return std::nullopt;
    if (!(mappedBits(*share, v.folder, true) & kFolderMarks))
        return Reason { "share-drops-folder-bits",
            QStringLiteral("Die Freigabe %1 speichert die Attribute nicht (store dos attributes = no), "
                           "und ihr map readonly zeigt den Ordner nicht schreibgeschützt.")
                .arg(name) };
    if (!(mappedBits(*share, settingsFile, false) & FILE_ATTRIBUTE_HIDDEN))
        return Reason { "share-drops-hidden-bit",
            QStringLiteral("Die Freigabe %1 speichert die Attribute nicht (store dos attributes = no), "
                           "und Desktop.ini ist für ihre Clients nicht versteckt (map hidden, create mask).")
                .arg(name) };
    return std::nullopt;
}

std::optional<Reason> whyNot(
    const FolderView& v, const QString& settingsFile, const std::optional<files::SambaShare>& share)
{
    if (ProfileTooLarge(settingsFile)) return Reason { "settings-too-large", TooLargeText() };
    if (v.tooltip.isEmpty() && v.iconFile.isEmpty())
        return Reason { "not-customised",
            QStringLiteral("Desktop.ini nennt weder einen Infotip noch ein Symbol.") };
    if (v.storage == QLatin1String("none"))
        return Reason { "bits-not-storable",
            QStringLiteral("Auf diesem Laufwerk lassen sich die Attribute des Ordners nicht speichern.") };
    if (!v.folderBits || !(*v.folderBits & kFolderMarks))
        return Reason { "folder-not-marked",
            QStringLiteral("Der Ordner ist weder schreibgeschützt noch ein Systemordner, so liest Windows "
                           "seine Desktop.ini nicht.") };
    if (!v.settingsBits || !(*v.settingsBits & FILE_ATTRIBUTE_HIDDEN))
        return Reason { "settings-not-hidden", QStringLiteral("Desktop.ini ist nicht versteckt.") };
    if (std::optional<Reason> hidden = shareHides(v, share, settingsFile)) return hidden;
    if (v.iconFile.isEmpty() || IsWindowsOnlyReference(v.iconFile)) return std::nullopt;
    if (v.iconPath.isEmpty())
        return Reason { "icon-missing", QStringLiteral("Die Symboldatei %1 gibt es nicht.").arg(v.iconFile) };
    if (v.iconFile.startsWith(QLatin1Char('/')))
        return Reason { "icon-linux-path",
            QStringLiteral("Das Symbol ist mit einem Linux-Pfad angegeben, den Windows nicht öffnen kann.") };
    // The folder's own copy is always within reach.
    if (!v.copy && IconReferenceFor(v.folder, v.iconPath).text.startsWith(QLatin1Char('/')))
        return Reason { "icon-unreachable",
            QStringLiteral("Die Symboldatei liegt, wo Windows sie von diesem Ordner aus nicht erreicht.") };
    return std::nullopt;
}

} // namespace

QString TooLargeText()
{
    return QStringLiteral("Desktop.ini ist größer als %1 KiB, keine Einstellungsdatei, wie Windows sie "
                          "schreibt; sie wird weder gelesen noch überschrieben.")
        .arg(files::kMaxProfileSize / 1024);
}

FolderView ViewFolder(const QString& folder, const StoredCustomisation* stored)
{
    const files::OpenedFolder opened(folder);
    FolderView v;
    v.folder = folder;
    const StoredCustomisation read = stored ? StoredCustomisation {} : ReadCustomisation(folder);
    if (!stored) stored = &read;
    v.tooltip = stored->tooltip;
    v.iconFile = stored->iconFile;
    v.iconIndex = stored->iconIndex;
    v.copy = stored->iconFile.compare(kIconCopyName, Qt::CaseInsensitive) == 0;
    if (files::namesUnaskedServer(v.iconFile)) {
        v.notCheckedCode = QStringLiteral("icon-server-not-named");
        v.notChecked = QStringLiteral("Die Symboldatei liegt auf einem Server, den nur die Daten des Ordners "
                                      "nennen; er wurde nicht gefragt.");
    }
    if (!v.iconFile.isEmpty() && !IsWindowsOnlyReference(v.iconFile)) {
        const QString path
            = ResolvePathCase(v.copy ? IconCopyPath(folder) : StoredReferencePath(folder, v.iconFile));
        if (files::isRegularFile(path)) v.iconPath = path;
    }
    v.folderBits = bitsOf(folder);
    const QString settingsFile = ResolvePathCase(SettingsFilePath(folder));
    v.settingsBits = bitsOf(settingsFile);
    v.copyBits = bitsOf(ResolvePathCase(IconCopyPath(folder)));
    v.storage = storageOf(folder);
    // A folder on a server is judged by what the server answers; one of
    // this machine by the settings of the Samba share that serves it.
    std::optional<files::SambaShare> share;
    share = files::sambaShareOf(folder, &v.sambaSettingsKnown);
    if (share) v.sambaShare = share->name;
    if (const std::optional<Reason> r = whyNot(v, settingsFile, share)) {
        v.reasonCode = QString::fromLatin1(r->code);
        v.reason = r->text;
    }
    return v;
}

QString NotShownAfter(const CustomisationPlan& plan, const StoredCustomisation* stored)
{
    const FolderView view = ViewFolder(plan.folder, stored);
    if (!plan.after.tooltip.isEmpty() || !plan.after.iconFile.isEmpty()) {
        if (!view.windowsShows())
            return QStringLiteral("Windows wird die Beschriftung nicht anzeigen: ") + view.reason;
    } else if (view.windowsShows()) {
        return QStringLiteral(
            "Windows wird die bisherige Beschriftung weiterhin anzeigen: Sie ließ sich nicht "
            "aus dem Ordner entfernen.");
    }
    return {};
}
