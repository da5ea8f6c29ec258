// SPDX-License-Identifier: GPL-3.0-or-later
// The registry functions over the hive files, and the table of open keys.
// A key handle remembers its root, its path and the rights it was opened
// with; the hive is read anew on every call.
#include "platform/registry/hive_file.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

namespace {

constexpr DWORD kDelete = 0x00010000;
constexpr DWORD kWriteDac = 0x00040000;
constexpr DWORD kWriteOwner = 0x00080000;
constexpr DWORD kGenericAll = 0x10000000;
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | kDelete | kWriteDac
    | kWriteOwner | kGenericAll | kGenericWrite;
// Windows' limits on the length of a key level and of a value name.
constexpr qsizetype kMaxKeyLevel = 255;
constexpr qsizetype kMaxValueName = 16383;

struct OpenKey {
    HKEY root = 0;
    QString path;
    DWORD sam = 0;
};

std::mutex g_mutex;
std::map<HKEY, OpenKey> g_keys;
HKEY g_next = 0x1000;

bool mayQuery(DWORD sam)
{
    return sam & (KEY_QUERY_VALUE | kGenericRead | kGenericAll);
}
bool maySet(DWORD sam)
{
    return sam & (KEY_SET_VALUE | kGenericWrite | kGenericAll);
}
bool mayCreateSubKey(DWORD sam)
{
    return sam & (KEY_CREATE_SUB_KEY | kGenericWrite | kGenericAll);
}

std::optional<OpenKey> lookup(HKEY key)
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE)
        return OpenKey { key, QString(), KEY_ALL_ACCESS };
    std::lock_guard lock(g_mutex);
    const auto it = g_keys.find(key);
    if (it == g_keys.end()) return std::nullopt;
    return it->second;
}

HKEY addKey(const OpenKey& key)
{
    std::lock_guard lock(g_mutex);
    const HKEY handle = g_next;
    g_next += 4;
    g_keys.emplace(handle, key);
    return handle;
}

// Lines of the hive file end at line breaks, so no name may hold one.
bool fitsOnALine(const QString& text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
}

// The path of subKey below base; one closing backslash is allowed.
LSTATUS subPath(const QString& base, const QString& subKey, QString& out)
{
    QString sub = subKey;
    if (sub.endsWith(u'\\')) sub.chop(1);
    if (sub.isEmpty()) {
        out = base;
        return ERROR_SUCCESS;
    }
    // Blanks at the very end would be lost in the key line.
    if (!fitsOnALine(sub) || sub.back().isSpace()) return ERROR_INVALID_PARAMETER;
    for (const QString& level : sub.split(u'\\')) {
        if (level.isEmpty()) return ERROR_BAD_PATHNAME;
        if (level.size() > kMaxKeyLevel) return ERROR_INVALID_PARAMETER;
    }
    out = base.isEmpty() ? sub : base + u'\\' + sub;
    return ERROR_SUCCESS;
}

// The key subKey names below root, and the hive it lives in as it is now.
LSTATUS locate(HKEY root, const QString& subKey, OpenKey& base, QString& path, Hive::Document& doc)
{
    const auto found = lookup(root);
    if (!found) return ERROR_INVALID_HANDLE;
    base = *found;
    if (const LSTATUS s = subPath(base.path, subKey, path)) return s;
    return HiveFile::load(base.root, doc);
}

LSTATUS openExisting(const OpenKey& key, HKEY* result)
{
    if ((key.sam & kWriteRights) != 0) {
        if (const LSTATUS s = HiveFile::checkWritable(key.root)) return s;
    }
    *result = addKey(key);
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY root, const QString& subKey, DWORD options, DWORD samDesired, HKEY* result)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (options != 0) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    QString path;
    Hive::Document doc;
    if (const LSTATUS s = locate(root, subKey, base, path, doc)) return s;
    if (!doc.keyExists(path)) return ERROR_FILE_NOT_FOUND;
    return openExisting(OpenKey { base.root, path, samDesired }, result);
}

LSTATUS RegCreateKeyExA(HKEY root, const QString& subKey, DWORD reserved, const QString& cls, DWORD options,
    DWORD samDesired, void* /*security*/, HKEY* result, DWORD* disposition)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (reserved != 0 || options != REG_OPTION_NON_VOLATILE || !fitsOnALine(cls))
        return ERROR_INVALID_PARAMETER;
    OpenKey base;
    QString path;
    Hive::Document doc;
    if (const LSTATUS s = locate(root, subKey, base, path, doc)) return s;
    const OpenKey key { base.root, path, samDesired };
    DWORD how = REG_OPENED_EXISTING_KEY;
    if (doc.keyExists(path)) {
        if (const LSTATUS s = openExisting(key, result)) return s;
    } else {
        if (!mayCreateSubKey(base.sam)) return ERROR_ACCESS_DENIED;
        const LSTATUS s = HiveFile::update(base.root, path, QString(), [&](Hive::Document& d, bool& changed) {
            changed = d.createKey(path, cls);
            how = changed ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        });
        if (s != ERROR_SUCCESS) return s;
        *result = addKey(key);
    }
    if (disposition) *disposition = how;
    return ERROR_SUCCESS;
}

LSTATUS RegFlushKey(HKEY key)
{
    const auto k = lookup(key);
    if (!k) return ERROR_INVALID_HANDLE;
    Hive::Document doc;
    if (const LSTATUS s = HiveFile::load(k->root, doc)) return s;
    return doc.keyExists(k->path) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LSTATUS RegSetValueExA(HKEY key, const QString& name, DWORD reserved, DWORD type, const QByteArray& data)
{
    if (reserved != 0 || !fitsOnALine(name) || name.size() > kMaxValueName) return ERROR_INVALID_PARAMETER;
    const auto k = lookup(key);
    if (!k) return ERROR_INVALID_HANDLE;
    if (!maySet(k->sam)) return ERROR_ACCESS_DENIED;
    return HiveFile::update(k->root, k->path, name, [&](Hive::Document& doc, bool& changed) {
        if (!doc.keyExists(k->path)) return ERROR_KEY_DELETED;
        const Hive::Entry* old = doc.findValue(k->path, name);
        // The same value again leaves the hive file alone.
        changed = !old || old->type != type || old->data != data;
        if (changed) doc.setValue(k->path, name, type, data);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueExA(
    HKEY key, const QString& name, DWORD* reserved, DWORD* type, QByteArray* data, DWORD* size)
{
    if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    const auto k = lookup(key);
    if (!k) return ERROR_INVALID_HANDLE;
    if (!mayQuery(k->sam)) return ERROR_ACCESS_DENIED;
    Hive::Document doc;
    if (const LSTATUS s = HiveFile::load(k->root, doc)) return s;
    if (!doc.keyExists(k->path)) return ERROR_KEY_DELETED;
    const Hive::Entry* value = doc.findValue(k->path, name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    const auto length = static_cast<DWORD>(value->data.size());
    if (type) *type = value->type;
    if (!data) {
        if (size) *size = length;
        return ERROR_SUCCESS;
    }
    if (*size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    // The caller's buffer is *size bytes; only the value's own bytes are overwritten.
    if (data->size() < static_cast<qsizetype>(*size))
        data->append(QByteArray(static_cast<qsizetype>(*size) - data->size(), '\0'));
    std::copy(value->data.cbegin(), value->data.cend(), data->begin());
    *size = length;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    std::lock_guard lock(g_mutex);
    return g_keys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace RegistryPlatform {

std::size_t openKeyCount()
{
    std::lock_guard lock(g_mutex);
    return g_keys.size();
}

} // namespace RegistryPlatform
