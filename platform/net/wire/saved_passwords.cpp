// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/wire/smb_wire.h"

// libsecret's headers use "signals" as a name, which Qt defines away.
#undef signals
#include <libsecret/secret.h>

namespace net::wire {

// gvfs keeps the password a user let it remember in the desktop's secret
// store as a network password: protocol "smb", the server, the user and
// the domain. It is only read here; nothing is ever written there. Without
// a session bus there is no store to ask.
std::optional<SignIn> savedSignIn(const QString& server)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return std::nullopt;
    GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
    const QByteArray name = server.toUtf8();
    g_hash_table_insert(attributes, gpointer("protocol"), gpointer("smb"));
    g_hash_table_insert(attributes, gpointer("server"), gpointer(name.constData()));
    GError* error = nullptr;
    GList* items = secret_service_search_sync(nullptr, SECRET_SCHEMA_COMPAT_NETWORK, attributes,
        SecretSearchFlags(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS), nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) g_error_free(error);
    std::optional<SignIn> found;
    if (items) {
        auto* item = static_cast<SecretItem*>(items->data);
        GHashTable* stored = secret_item_get_attributes(item);
        SecretValue* secret = secret_item_get_secret(item);
        const auto text = [&](const char* key) {
            return QString::fromUtf8(static_cast<const char*>(g_hash_table_lookup(stored, key)));
        };
        if (secret) {
            found = SignIn { text("domain"), text("user"), QString::fromUtf8(secret_value_get_text(secret)) };
            secret_value_unref(secret);
        }
        g_hash_table_unref(stored);
    }
    g_list_free_full(items, g_object_unref);
    return found;
}

} // namespace net::wire
