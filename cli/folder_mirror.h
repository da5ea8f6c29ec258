// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// quillmark-folder mirror: a folder customised on Windows gets the same icon
// in Linux file managers. Only the Linux side is written (.directory, the
// hidden image, gvfs's metadata); Desktop.ini and every Windows bit stay.
#include <QString>

struct MirrorResult {
    enum class Kind {
        NoIcon, // Desktop.ini names no icon: nothing to mirror
        Mirrored,
        Unchanged, // Linux already showed the same icon
        Left, // listed with the reason why Linux cannot show it from here
        Failed,
    };
    Kind kind;
    QString text; // the Icon= written, or why
};

MirrorResult MirrorFolder(const QString& folder);
