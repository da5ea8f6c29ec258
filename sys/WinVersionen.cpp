// SPDX-License-Identifier: GPL-3.0-or-later
#include "sys/WinVersionen.h"

#include "platform/files/version_api.h"

#include <cstring>

QString GetWinVersion()
{
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    // The result is not tested: a failed call leaves zeros, which read as
    // the 16-bit family.
    GetVersionExA(&info);
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return QStringLiteral("Windows 16bit mit 32bit-Erweiterung");
    case VER_PLATFORM_WIN32_WINDOWS:
        switch (info.dwMinorVersion) {
        case 0:
            return QStringLiteral("95");
        case 10:
            return QStringLiteral("98");
        case 90:
            return QStringLiteral("Me");
        default:
            return QStringLiteral("Unknown");
        }
    case VER_PLATFORM_WIN32_NT:
        return (info.dwMajorVersion == 4 || info.dwMajorVersion == 5) ? QStringLiteral("Nt")
                                                                      : QStringLiteral("Unknown");
    default:
        return QStringLiteral("Unknown");
    }
}
