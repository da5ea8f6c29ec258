// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_report.h"

#include "platform/files/shown_text.h"
#include "platform/files/native_names.h"
#include "store/linux_icon.h"

#include <QHash>
#include <QJsonDocument>
#include <QStringList>

#include <cstdio>

namespace {

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

// "ja", or what it could not ask.
QString shownAsFarAsKnown(const FolderView& r)
{
    QStringList unknown;
    if (!r.sambaSettingsKnown)
        unknown << QStringLiteral("die Einstellungen der Samba-Freigaben sind unbekannt (testparm antwortete nicht)");
    if (!r.notChecked.isEmpty()) unknown << r.notChecked;
    return unknown.isEmpty() ? QStringLiteral("ja") : QStringLiteral("ja, soweit bekannt: ") + unknown.join(u"; ");
}

} // namespace

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

QString ReportText(const FolderView& r, const LinuxIconState* linuxView)
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
    const QString text = QStringLiteral("%1\n"
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
            r.windowsShows() ? shownAsFarAsKnown(r) : QStringLiteral("nein. ") + ShownText(r.reason));
    if (!linuxView) return text;
    return text + QStringLiteral("  Linux zeigt es:   ") + ShownText(linuxView->text)
        + (linuxView->value.isEmpty() ? QString() : QStringLiteral(" (Icon=") + ShownText(linuxView->value) + u')')
        + u'\n';
}

QJsonObject ReportJson(const FolderView& r, const LinuxIconState* linuxView)
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
        { QStringLiteral("sambaShare"), r.sambaShare.isEmpty() ? QJsonValue() : QJsonValue(r.sambaShare) },
        { QStringLiteral("sambaSettingsKnown"), r.sambaSettingsKnown },
        { QStringLiteral("windowsShows"), r.windowsShows() },
        { QStringLiteral("reasonCode"), r.reasonCode },
        { QStringLiteral("reason"), r.reason },
        { QStringLiteral("notCheckedCode"), r.notCheckedCode },
        { QStringLiteral("notChecked"), r.notChecked },
    };
    putPath(o, QStringLiteral("folder"), r.folder);
    putPath(o, QStringLiteral("iconPath"), r.iconPath);
    if (linuxView) {
        o.insert(QStringLiteral("linuxIcon"), linuxView->value.isEmpty() ? QJsonValue() : QJsonValue(linuxView->value));
        o.insert(QStringLiteral("linuxIconCode"), linuxView->code);
        o.insert(QStringLiteral("linuxIconMatches"), linuxView->matches());
    }
    return o;
}

void JsonArrayWriter::add(const QByteArray& compact)
{
    const QByteArray object = QJsonDocument::fromJson(compact).toJson(QJsonDocument::Indented);
    QByteArray indented;
    for (const QByteArray& line : object.chopped(1).split('\n'))
        indented += "\n    " + line;
    std::fputs(started_ ? "," : "[", stdout);
    std::fputs(indented.constData(), stdout);
    started_ = true;
}

void JsonArrayWriter::end()
{
    std::fputs(started_ ? "\n]\n" : "[\n]\n", stdout);
}
