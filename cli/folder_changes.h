// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One folder's change by quillmark-folder set and clear: made through the
// engine and checked afterwards, or only planned for --dry-run.
#include "store/folder_customisation.h"

#include <QString>
#include <QStringList>

struct FolderChange {
    QStringList what; // what changes (or would), in words; empty: nothing
    QString error; // why the folder failed; empty: it did not
};

// What ApplyCustomisation would change, without touching anything.
FolderChange PlanChange(const QString& folder, const WantedCustomisation& wanted);
// Changes the folder and reads back whether it now holds what was wanted.
FolderChange MakeChange(const QString& folder, const WantedCustomisation& wanted);
