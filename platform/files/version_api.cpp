// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/version_api.h"

#include <QString>
#include <QStringList>

#include <cstring>

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return 0;
    DWORD numbers[3] = { VER_PLATFORM_WIN32_NT, 10, 0 };
    const QString wanted = qEnvironmentVariable("QUILLMARK_OSVERSION");
    if (!wanted.isEmpty()) {
        const QStringList parts = wanted.split(u'.');
        if (parts.size() != 3) return 0;
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            numbers[i] = parts[i].toUInt(&ok);
            if (!ok) return 0;
        }
    }
    info->dwPlatformId = numbers[0];
    info->dwMajorVersion = numbers[1];
    info->dwMinorVersion = numbers[2];
    info->dwBuildNumber = 0;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return 1;
}
