// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/journal_record.h"

#include "platform/files/native_names.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The keys, each named once.
const QString kFolder = QStringLiteral("folder"), kDevice = QStringLiteral("device"),
              kInode = QStringLiteral("inode"), kUnhidden = QStringLiteral("unhidden"),
              kTooltip = QStringLiteral("tooltip"), kIconFile = QStringLiteral("iconFile"),
              kIconIndex = QStringLiteral("iconIndex"), kCopy = QStringLiteral("copy"),
              kChosen = QStringLiteral("chosen"), kIconDigest = QStringLiteral("iconDigest"),
              kStates = QStringLiteral("states"), kSettings = QStringLiteral("settings"),
              kIconCopy = QStringLiteral("iconCopy"), kBits = QStringLiteral("bits"),
              kLinuxIcon = QStringLiteral("linuxIcon");
// A path is kept twice: its text for people, and its bytes, which are read.
const QString kBytes = QStringLiteral("Bytes");

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

QByteArray unhex(const QJsonValue& value)
{
    return QByteArray::fromHex(value.toString().toLatin1());
}

void putPath(QJsonObject& o, const QString& key, const QString& path)
{
    o.insert(key, files::withReplacement(path));
    o.insert(key + kBytes, hex(files::nativePath(path)));
}

QString pathOf(const QJsonObject& o, const QString& key)
{
    return files::fromNative(unhex(o.value(key + kBytes)));
}

} // namespace

QByteArray JournalRecord::toJson() const
{
    QJsonObject o;
    putPath(o, kFolder, folder);
    // Numbers as text: JSON's numbers do not hold every 64-bit value.
    if (identity) {
        o.insert(kDevice, QString::number(identity->first));
        o.insert(kInode, QString::number(identity->second));
    }
    if (unhidden) o.insert(kUnhidden, true);
    if (!unhidden) o.insert(kTooltip, tooltip);
    if (icon) {
        putPath(o, kIconFile, icon->file);
        o.insert(kIconIndex, icon->index);
        o.insert(kCopy, icon->copy);
        o.insert(kChosen, icon->chosen);
        o.insert(kLinuxIcon, icon->linuxIcon);
        o.insert(kIconDigest, hex(iconDigest));
    }
    if (!unhidden) {
        QJsonArray list;
        for (const FolderSnapshot& s : states)
            list.append(QJsonObject {
                { kSettings, hex(s.settings) }, { kIconCopy, hex(s.iconCopy) }, { kBits, int(s.folderBits) } });
        o.insert(kStates, list);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<JournalRecord> JournalRecord::fromJson(const QByteArray& json)
{
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    JournalRecord r;
    r.folder = pathOf(o, kFolder);
    if (r.folder.isEmpty()) return std::nullopt;
    bool device = false, inode = false;
    const quint64 dev = o.value(kDevice).toString().toULongLong(&device);
    const quint64 ino = o.value(kInode).toString().toULongLong(&inode);
    if (device && inode) r.identity = std::pair(dev, ino);
    r.unhidden = o.value(kUnhidden).toBool();
    r.tooltip = o.value(kTooltip).toString();
    if (o.contains(kIconFile)) {
        r.icon = IconChoice { pathOf(o, kIconFile), o.value(kIconIndex).toString(), o.value(kCopy).toBool(),
            o.value(kChosen).toBool(), o.value(kLinuxIcon).toBool(true) };
        r.iconDigest = unhex(o.value(kIconDigest));
    }
    for (const QJsonValue& v : o.value(kStates).toArray()) {
        const QJsonObject s = v.toObject();
        // A state without its bits matches no folder.
        r.states.push_back({ unhex(s.value(kSettings)), unhex(s.value(kIconCopy)),
            DWORD(s.value(kBits).toInt(-1)) });
    }
    return r;
}
