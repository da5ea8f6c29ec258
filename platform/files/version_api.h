// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows version record. This platform reports an NT-family system,
// version 10.0; QUILLMARK_OSVERSION=platform.major.minor (e.g. 1.4.90)
// reports another one, so that every answer can be tried.
#include "platform/win_types.h"

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "the record has the size Windows gives it");

// Fills the record; fails, leaving it alone, when its size field is not 148
// or QUILLMARK_OSVERSION is not three numbers joined by dots.
BOOL GetVersionExA(OSVERSIONINFOA* info);
