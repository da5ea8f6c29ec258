// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/WindowsOrdner.h"

#include "platform/files/windows_dir.h"

QString GetWindowsFolder()
{
    constexpr UINT kBufferSize = 255;
    QString buffer(qsizetype(kBufferSize), QChar(0));
    const UINT n = GetWindowsDirectoryA(buffer, kBufferSize);
    // A result at least as large as the buffer is the size it would need:
    // the folder did not fit, and a cut-off folder would be a wrong one.
    if (n >= kBufferSize) return {};
    return buffer.left(qsizetype(n));
}
