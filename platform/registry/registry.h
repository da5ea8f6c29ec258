// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry functions of advapi32 that the program calls, with their
// Windows names, argument order and result codes (0 is ERROR_SUCCESS).
// Each root lives in a hive file in regedit export syntax; see hive_file.h
// for where. Nothing is cached: every call reads the hive anew, and every
// change is a locked read-modify-write with an atomic replace.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>

using HKEY = std::uintptr_t;
using LSTATUS = LONG;

// The predefined roots; only the current user and the machine have hives.
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_BAD_PATHNAME = 161;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr LSTATUS ERROR_BADDB = 1009;
inline constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LSTATUS ERROR_KEY_DELETED = 1018;

inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr DWORD KEY_NOTIFY = 0x0010;
inline constexpr DWORD KEY_CREATE_LINK = 0x0020;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below root (a predefined root or an open key).
// An empty subKey opens the root itself. Only options 0 is supported.
LSTATUS RegOpenKeyExA(HKEY root, const QString& subKey, DWORD options, DWORD samDesired, HKEY* result);

// Opens the key, creating it and every missing key above it when needed.
// The class text goes to the last key only. security is ignored.
LSTATUS RegCreateKeyExA(HKEY root, const QString& subKey, DWORD reserved, const QString& cls, DWORD options,
    DWORD samDesired, void* security, HKEY* result, DWORD* disposition);

// Every change is on disk when its call returns; this only checks the key.
LSTATUS RegFlushKey(HKEY key);

// data holds the value's bytes as the registry keeps them: REG_SZ in the
// ANSI code page with its closing zero byte, REG_DWORD as 4 little-endian bytes.
LSTATUS RegSetValueExA(HKEY key, const QString& name, DWORD reserved, DWORD type, const QByteArray& data);

// With data null, *size receives the value's byte size. Otherwise data is a
// buffer of *size bytes (grown to that size when shorter): the value is
// copied to its front and *size set to its length, or ERROR_MORE_DATA is
// returned with *size set to the length needed. reserved must be null.
LSTATUS RegQueryValueExA(
    HKEY key, const QString& name, DWORD* reserved, DWORD* type, QByteArray* data, DWORD* size);

// Closing a predefined root succeeds and does nothing.
LSTATUS RegCloseKey(HKEY key);

namespace RegistryPlatform {

// Number of keys opened and not yet closed, in this process.
std::size_t openKeyCount();

// The hive file that holds root now ("" for a root without a hive).
QString hivePath(HKEY root);

// Makes the kernel's answer for a root's hive fail with errnoValue
// (EACCES, EROFS, ...) for reading or writing, as a user without the right
// to the file would see it. 0 clears the fault. For tests.
void setReadFault(HKEY root, int errnoValue);
void setWriteFault(HKEY root, int errnoValue);

// Called with every path the store is about to create, write or rename
// onto. For tests that prove where the store writes; empty removes it.
void setWriteObserver(std::function<void(const QString& path)> observer);

} // namespace RegistryPlatform
