// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The handful of Windows types that the program's own code passes to the
// platform calls, mapped onto what the Linux implementation uses.
#include <cstdint>

class QWidget;

using BOOL = int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

// A window is the Qt widget that stands for it.
using HWND = QWidget*;
// Handles into the platform's tables; 0 is no handle.
using HICON = std::uintptr_t;
using HINSTANCE = std::uintptr_t;
using HANDLE = std::intptr_t;

inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
