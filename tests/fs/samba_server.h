#pragma once
// A Samba server of the test's own: smbd in the foreground on 127.0.0.1 and
// a free high port, with its configuration, databases, sockets and log all
// in the test's folder, sharing one folder as //127.0.0.1/share to guests.
// smbclient then shows what a Windows client sees there.
#include "tests/fs/fs_tools.h"

#include <QString>

#include <memory>
#include <optional>

namespace fstest {

// What a client reads about one file or folder.
struct ClientView {
    DWORD attributes = 0;
    QString createTime; // as smbclient prints it
};

class SambaServer {
public:
    // Everything goes into folder; the share is folder/share.
    explicit SambaServer(const QString& folder);
    ~SambaServer() { stop(); }
    SambaServer(const SambaServer&) = delete;
    SambaServer& operator=(const SambaServer&) = delete;

    static QString unavailableReason();

    bool start();
    void stop();

    QString shareFolder() const { return m_share; }
    // allinfo of a path inside the share ('/' separated); nullopt when the
    // client cannot see it.
    std::optional<ClientView> view(const QString& path) const;
    // Runs smbclient commands (separated by ';') on the share as a guest.
    ToolRun client(const QString& commands) const;
    QString error() const { return m_error; }

private:
    bool writeConfig(int port);

    QString m_folder;
    QString m_share;
    QString m_config;
    int m_port = 0;
    QString m_error;
    std::unique_ptr<Daemon> m_smbd;
};

} // namespace fstest
