// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_report.h"

#include "cli/shown_text.h"
#include "platform/files/case_paths.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/files/profile_keys.h"
#include "platform/net/smb_client.h"
#include "store/folder_customisation.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"

namespace {

std::optional<DWORD> bitsOf(const QString& path)
{
    const DWORD bits = GetFileAttributesA(path);
    if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return bits & files::kDosBits;
}

QString storageOf(const QString& folder)
{
    // A folder on a server: the server keeps the bits.
    if (net::isNetworkPath(folder)) return QStringLiteral("smb");
    const QByteArray native = files::nativePath(folder);
    const files::DosAttributeStore& store = files::attributeStoreFor(native);
    return store.read(native) ? QString::fromLatin1(store.name()) : QStringLiteral("none");
}

// Why Windows will not show the customisation; empty when it will.
QString whyNot(const FolderReport& r)
{
    if (ProfileTooLarge(SettingsFilePath(r.folder))) return TooLargeText();
    if (r.tooltip.isEmpty() && r.iconFile.isEmpty()) return QStringLiteral("keine Anpassung");
    if (!r.folderBits || !(*r.folderBits & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
        return QStringLiteral("der Ordner ist weder schreibgeschützt noch ein Systemordner, "
                              "so liest Windows seine Desktop.ini nicht");
    if (!r.settingsBits || !(*r.settingsBits & FILE_ATTRIBUTE_HIDDEN))
        return QStringLiteral("Desktop.ini ist nicht versteckt");
    if (r.iconFile.isEmpty() || IsWindowsOnlyReference(r.iconFile)) return {};
    if (r.iconPath.isEmpty())
        return QStringLiteral("die Symboldatei ") + r.iconFile + QStringLiteral(" gibt es nicht");
    if (r.iconFile.startsWith(QLatin1Char('/')))
        return QStringLiteral("das Symbol ist mit einem Linux-Pfad angegeben, den Windows nicht öffnen kann");
    if (IconReferenceFor(r.folder, r.iconPath).text.startsWith(QLatin1Char('/')))
        return QStringLiteral("die Symboldatei liegt, wo Windows sie von diesem Ordner aus nicht erreicht");
    return {};
}

QJsonValue bitsJson(std::optional<DWORD> bits)
{
    return bits ? QJsonValue(int(*bits)) : QJsonValue();
}

// A path as JSON text, which must be valid Unicode: bytes that are not
// UTF-8 show as U+FFFD, and "<key>Bytes" then holds the exact bytes in hex,
// so a script still reaches the very folder.
void putPath(QJsonObject& o, const QString& key, const QString& path)
{
    o.insert(key, files::withReplacement(path));
    if (files::hasRawBytes(path))
        o.insert(key + QStringLiteral("Bytes"), QString::fromLatin1(files::nativePath(path).toHex()));
}

} // namespace

QString TooLargeText()
{
    return QStringLiteral("Desktop.ini ist größer als %1 KiB, keine Einstellungsdatei, wie Windows sie "
                          "schreibt; sie wird weder gelesen noch überschrieben")
        .arg(files::kMaxProfileSize / 1024);
}

QString BitLetters(std::optional<DWORD> bits)
{
    if (!bits) return QStringLiteral("(fehlt)");
    QString letters;
    if (*bits & FILE_ATTRIBUTE_READONLY) letters += QLatin1Char('R');
    if (*bits & FILE_ATTRIBUTE_HIDDEN) letters += QLatin1Char('H');
    if (*bits & FILE_ATTRIBUTE_SYSTEM) letters += QLatin1Char('S');
    if (*bits & FILE_ATTRIBUTE_ARCHIVE) letters += QLatin1Char('A');
    return letters.isEmpty() ? QStringLiteral("-") : letters;
}

FolderReport ReportFolder(const QString& folder)
{
    const files::OpenedFolder opened(folder);
    FolderReport r;
    r.folder = folder;
    const StoredCustomisation stored = ReadCustomisation(folder);
    r.tooltip = stored.tooltip;
    r.iconFile = stored.iconFile;
    r.iconIndex = stored.iconIndex;
    r.copy = stored.iconFile.compare(kIconCopyName, Qt::CaseInsensitive) == 0;
    if (!r.iconFile.isEmpty() && !IsWindowsOnlyReference(r.iconFile)) {
        const QString path
            = ResolvePathCase(r.copy ? IconCopyPath(folder) : StoredReferencePath(folder, r.iconFile));
        if (files::isRegularFile(path)) r.iconPath = path;
    }
    r.folderBits = bitsOf(folder);
    r.settingsBits = bitsOf(ResolvePathCase(SettingsFilePath(folder)));
    r.copyBits = bitsOf(ResolvePathCase(IconCopyPath(folder)));
    r.storage = storageOf(folder);
    r.reason = whyNot(r);
    r.windowsShows = r.reason.isEmpty();
    return r;
}

QString ReportText(const FolderReport& r)
{
    const QString none = QStringLiteral("(keins)");
    QString icon = r.iconFile.isEmpty() ? none : ShownText(r.iconFile);
    if (!r.iconPath.isEmpty() && r.iconPath != r.iconFile)
        icon += QStringLiteral(" → ") + ShownText(r.iconPath);
    static const QHash<QString, QString> storageNames {
        { QStringLiteral("fat"), QStringLiteral("FAT-Verzeichniseintrag") },
        { QStringLiteral("ntfs"), QStringLiteral("NTFS") },
        { QStringLiteral("cifs"), QStringLiteral("CIFS-Einhängung (auf dem Server)") },
        { QStringLiteral("samba"), QStringLiteral("Samba-Attribut (user.DOSATTRIB)") },
        { QStringLiteral("smb"), QStringLiteral("auf dem Server (SMB)") },
        { QStringLiteral("none"), QStringLiteral("nirgends (das Dateisystem kann sie nicht speichern)") },
    };
    // One step: a tooltip holding "%1" must stay as it is.
    return QStringLiteral("%1\n"
                          "  Infotip:          %2\n"
                          "  Symbol:           %3\n"
                          "  Index:            %4\n"
                          "  Kopie:            %5\n"
                          "  Attribute:        Ordner %6, Desktop.ini %7, Desktop.ico %8\n"
                          "  Attribute in:     %9\n"
                          "  Windows zeigt es: %10\n")
        .arg(ShownText(r.folder), r.tooltip.isEmpty() ? none : ShownText(r.tooltip), icon,
            r.iconIndex.isEmpty() ? none : ShownText(r.iconIndex),
            r.copy ? QStringLiteral("ja") : QStringLiteral("nein"), BitLetters(r.folderBits),
            BitLetters(r.settingsBits), BitLetters(r.copyBits), storageNames.value(r.storage),
            r.windowsShows ? QStringLiteral("ja") : QStringLiteral("nein, ") + ShownText(r.reason));
}

QJsonObject ReportJson(const FolderReport& r)
{
    QJsonObject o {
        { QStringLiteral("tooltip"), r.tooltip },
        { QStringLiteral("iconFile"), r.iconFile },
        { QStringLiteral("iconIndex"), r.iconIndex },
        { QStringLiteral("copy"), r.copy },
        { QStringLiteral("attributes"),
            QJsonObject { { QStringLiteral("folder"), bitsJson(r.folderBits) },
                { QStringLiteral("desktopIni"), bitsJson(r.settingsBits) },
                { QStringLiteral("desktopIco"), bitsJson(r.copyBits) } } },
        { QStringLiteral("storage"), r.storage },
        { QStringLiteral("windowsShows"), r.windowsShows },
        { QStringLiteral("reason"), r.reason },
    };
    putPath(o, QStringLiteral("folder"), r.folder);
    putPath(o, QStringLiteral("iconPath"), r.iconPath);
    return o;
}
