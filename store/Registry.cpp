// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Registry.h"

#include "platform/files/ansi_codepage.h"
#include "platform/little_endian.h"

namespace {

constexpr DWORD kReadRights = 0x19; // query values, enumerate sub keys, notify
constexpr DWORD kWriteRights = 0x3F; // all of the above and set values, create sub keys and links

// Closes the key it holds when the operation leaves, whichever way it leaves.
class OpenedKey {
public:
    OpenedKey() = default;
    ~OpenedKey()
    {
        if (m_key) RegCloseKey(m_key);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    HKEY* receive() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = 0;
};

QString ansi(const QString& text)
{
    return files::foldAnsi(text);
}

} // namespace

bool RegKeyExists(HKEY root, const QString& keyPath)
{
    OpenedKey key;
    return RegOpenKeyExA(root, ansi(keyPath), 0, kReadRights, key.receive()) == ERROR_SUCCESS;
}

bool RegKeyCreate(HKEY root, const QString& keyPath, const QString& classText)
{
    OpenedKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, ansi(keyPath), 0, ansi(classText), REG_OPTION_NON_VOLATILE, kWriteRights,
            nullptr, key.receive(), &disposition)
        != ERROR_SUCCESS)
        return false;
    // Every change is on disk already; the flush's result changes nothing.
    RegFlushKey(key.get());
    return disposition == REG_CREATED_NEW_KEY;
}

bool RegValueWrite(HKEY root, const QString& keyPath, const QString& valueName, const RegValue& value)
{
    OpenedKey key;
    if (RegOpenKeyExA(root, ansi(keyPath), 0, kWriteRights, key.receive()) != ERROR_SUCCESS) return false;
    QByteArray data;
    DWORD type = REG_SZ;
    if (const int* number = std::get_if<int>(&value)) {
        type = REG_DWORD;
        data.resize(4);
        le::put32(data.data(), static_cast<quint32>(*number));
    } else {
        data = files::encodeAnsi(std::get<QString>(value)) + '\0';
    }
    return RegSetValueExA(key.get(), ansi(valueName), 0, type, data) == ERROR_SUCCESS;
}

bool RegValueRead(HKEY root, const QString& keyPath, const QString& valueName, RegValue& value)
{
    OpenedKey key;
    if (RegOpenKeyExA(root, ansi(keyPath), 0, kReadRights, key.receive()) != ERROR_SUCCESS) return false;
    const QString name = ansi(valueName);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type == REG_SZ) {
        // One byte more than the value, so that a text stored without its zero byte still ends.
        QByteArray buffer(static_cast<qsizetype>(size) + 1, '\0');
        if (RegQueryValueExA(key.get(), name, nullptr, nullptr, &buffer, &size) != ERROR_SUCCESS)
            return false;
        value = files::decodeAnsi(buffer.left(buffer.indexOf('\0')));
    } else if (type == REG_DWORD) {
        QByteArray buffer(4, '\0');
        DWORD four = 4;
        if (RegQueryValueExA(key.get(), name, nullptr, nullptr, &buffer, &four) != ERROR_SUCCESS)
            return false;
        value = static_cast<int>(le::get32(buffer.constData()));
    }
    // Any other type is not read, and value stays as it was.
    return true;
}
