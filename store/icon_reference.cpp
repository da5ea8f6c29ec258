// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/icon_reference.h"

#include "platform/files/windows_references.h"
#include "store/folder_settings.h"

IconReference IconReferenceFor(const QString& folder, const QString& iconFile)
{
    return files::windowsReferenceFor(folder, iconFile);
}

bool IsWindowsOnlyReference(const QString& stored)
{
    return files::isWindowsOnlyName(stored);
}

QString StoredReferencePath(const QString& folder, const QString& stored)
{
    if (stored.compare(kIconCopyName, Qt::CaseInsensitive) == 0) return stored;
    return files::pathOfStoredName(folder, stored);
}
