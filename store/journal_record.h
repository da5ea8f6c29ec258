// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a journal holds, and its one reading and writing: the finish writes
// it, the repair at a later start reads it, and a journal of an earlier
// build reads the same. JSON, since a person may have to read one.
#include "store/folder_customisation.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct JournalRecord {
    // The folder as an absolute path; kept as its exact bytes, so that a
    // name that is not UTF-8 comes back as the same folder.
    QString folder;
    // The folder's identity (device and inode) when it could be read: the
    // repair touches only that folder.
    std::optional<std::pair<quint64, quint64>> identity;
    // The icon page's record of an icon copy it unhid.
    bool unhidden = false;
    // The finish's wish (the icon's file as an absolute path, exact bytes
    // too) and the SHA-256 of the icon file when it was written.
    QString tooltip;
    std::optional<IconChoice> icon;
    QByteArray iconDigest;
    // Every state the finish's own steps can leave the folder in.
    std::vector<FolderSnapshot> states;

    QByteArray toJson() const;
    // nullopt for what does not parse or names no folder.
    static std::optional<JournalRecord> fromJson(const QByteArray& json);
};
