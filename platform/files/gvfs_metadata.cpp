// SPDX-License-Identifier: GPL-3.0-or-later
// GIO comes first: its headers name struct members "signals", which Qt's
// headers define as a keyword.
#include <gio/gio.h>

#include "platform/files/gvfs_metadata.h"

#include "platform/files/native_names.h"
#include "platform/net/network_location.h"
#include "platform/net/smb_client.h"

#include <QFileInfo>

#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace files {
namespace {

const char kCustomIcon[] = "metadata::custom-icon";

// The few GIO calls needed, taken from the library loaded at the first use.
struct Gio {
    decltype(&g_file_new_for_path) newForPath;
    decltype(&g_file_new_for_uri) newForUri;
    decltype(&g_file_query_writable_namespaces) writableNamespaces;
    decltype(&g_file_attribute_info_list_unref) unrefInfoList;
    decltype(&g_file_set_attribute_string) setString;
    decltype(&g_file_set_attribute) setAttribute;
    decltype(&g_file_query_info) queryInfo;
    decltype(&g_file_info_get_attribute_string) getString;
    decltype(&g_error_free) freeError;
    decltype(&g_object_unref) unref;
};

template <typename F> bool take(void* library, const char* name, F& into)
{
    into = reinterpret_cast<F>(::dlsym(library, name));
    return into != nullptr;
}

// A bus of this user's session: its address, or its socket in the runtime
// folder. Without either GIO would try to start a bus of its own; under sudo
// the bus and the metadata would be another user's.
bool ownSessionBus()
{
    if (::getuid() != ::geteuid() || qEnvironmentVariableIsSet("SUDO_UID")) return false;
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QLatin1String("/bus"));
}

const Gio* gio()
{
    static std::once_flag once;
    static std::optional<Gio> loaded;
    std::call_once(once, [] {
        if (!ownSessionBus()) return;
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        Gio g;
        const bool all = take(library, "g_file_new_for_path", g.newForPath)
            && take(library, "g_file_new_for_uri", g.newForUri)
            && take(library, "g_file_query_writable_namespaces", g.writableNamespaces)
            && take(library, "g_file_attribute_info_list_unref", g.unrefInfoList)
            && take(library, "g_file_set_attribute_string", g.setString)
            && take(library, "g_file_set_attribute", g.setAttribute)
            && take(library, "g_file_query_info", g.queryInfo)
            && take(library, "g_file_info_get_attribute_string", g.getString)
            && take(library, "g_error_free", g.freeError) && take(library, "g_object_unref", g.unref);
        if (all) loaded = g;
    });
    return loaded ? &*loaded : nullptr;
}

// The folder as GIO's file, when gvfs keeps metadata for it; null otherwise.
GFile* metadataFile(const Gio& g, const QString& folder)
{
    GFile* file = net::isNetworkPath(folder) ? g.newForUri(gvfsUriOf(folder).toUtf8().constData())
                                             : g.newForPath(nativePath(folder).constData());
    GError* error = nullptr;
    GFileAttributeInfoList* spaces = g.writableNamespaces(file, nullptr, &error);
    bool writable = false;
    for (int i = 0; spaces && i < spaces->n_infos; ++i)
        writable = writable || qstrcmp(spaces->infos[i].name, "metadata") == 0;
    if (spaces) g.unrefInfoList(spaces);
    if (error) g.freeError(error);
    if (writable) return file;
    g.unref(file);
    return nullptr;
}

} // namespace

QString gvfsUriOf(const QString& path)
{
    net::NetworkLocation location;
    if (net::parseNetworkFolder(path, location) == net::Parsed::Network)
        return QString::fromLatin1(net::smbUrl(location));
    // As GLib writes file URIs: the path's bytes, escaped where a URI needs it.
    return QStringLiteral("file://") + QString::fromLatin1(nativePath(path).toPercentEncoding("/!$&'()*+,;=:@"));
}

bool setGvfsCustomIcon(const QString& folder, const QString& image)
{
    const Gio* g = gio();
    if (!g) return false;
    GFile* file = metadataFile(*g, folder);
    if (!file) return false;
    GError* error = nullptr;
    const gboolean done = image.isEmpty()
        ? g->setAttribute(file, kCustomIcon, G_FILE_ATTRIBUTE_TYPE_INVALID, nullptr, G_FILE_QUERY_INFO_NONE,
              nullptr, &error)
        : g->setString(file, kCustomIcon, gvfsUriOf(image).toUtf8().constData(), G_FILE_QUERY_INFO_NONE,
              nullptr, &error);
    if (error) g->freeError(error);
    g->unref(file);
    return done;
}

QString gvfsCustomIcon(const QString& folder)
{
    const Gio* g = gio();
    if (!g) return {};
    GFile* file = metadataFile(*g, folder);
    if (!file) return {};
    GError* error = nullptr;
    GFileInfo* info = g->queryInfo(file, kCustomIcon, G_FILE_QUERY_INFO_NONE, nullptr, &error);
    QString value;
    if (info) {
        value = QString::fromUtf8(g->getString(info, kCustomIcon));
        g->unref(info);
    }
    if (error) g->freeError(error);
    g->unref(file);
    return value;
}

} // namespace files
