// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/icons/IconDateiDialog.h"

#include "platform/icons/pick_icon_dialog.h"

bool ShowIconDialog(QString& fileName, int& iconIndex, HWND owner)
{
    QString buffer(kIconPathCapacity, QLatin1Char(' '));
    const QString name = fileName.left(kIconPathCapacity);
    buffer.replace(0, name.size(), name);
    if (name.size() < kIconPathCapacity) buffer[name.size()] = QChar(0);
    int index = iconIndex;
    if (PickIconDlg(owner, buffer, kIconPathCapacity, &index) == 0) return false;
    const qsizetype nul = buffer.indexOf(QChar(0));
    fileName = nul >= 0 ? buffer.left(nul) : buffer;
    iconIndex = index;
    return true;
}
