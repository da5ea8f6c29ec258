// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/IniFiles.h"

#include "platform/files/profile.h"

namespace {
constexpr DWORD kBufferSize = 255;
}

std::int32_t IniWrite(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return std::int32_t(WritePrivateProfileStringA(section, key, &value, file));
}

void IniWriteAll(
    const QString& file, const QString& section, const std::vector<std::pair<QString, QString>>& values)
{
    WritePrivateProfileValues(section, values, file);
}

QString IniRead(const QString& file, const QString& section, const QString& key)
{
    QString buffer(kBufferSize, QChar(0));
    const DWORD n = GetPrivateProfileStringA(section, key, QString(), buffer, kBufferSize, file);
    return buffer.left(qsizetype(n));
}

void IniDeleteKey(const QString& file, const QString& section, const QString& key)
{
    // A failed removal is passed over, like every INI write of the program.
    WritePrivateProfileStringA(section, key, nullptr, file);
}
