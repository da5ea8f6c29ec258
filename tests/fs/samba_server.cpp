#include "tests/fs/samba_server.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fstest {

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A port nobody listens on right now, as the kernel hands them out.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in a = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

QString tail(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll().right(2000));
}

} // namespace

SambaServer::SambaServer(const QString& folder)
    : m_folder(folder)
    , m_share(folder + QStringLiteral("/share"))
    , m_config(folder + QStringLiteral("/smb.conf"))
{
}

QString SambaServer::unavailableReason()
{
    for (const char* tool : { "smbd", "smbclient" }) {
        if (findTool(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (Debian packages samba and smbclient)")
                .arg(QLatin1String(tool));
    }
    if (::geteuid() != 0) return QStringLiteral("smbd needs root");
    return {};
}

bool SambaServer::writeConfig(int port)
{
    for (const char* sub : { "share", "private", "lock", "state", "cache", "pid", "ncalrpc", "binddns" }) {
        if (!QDir().mkpath(m_folder + QLatin1Char('/') + QLatin1String(sub))) return false;
    }
    const QString text = QStringLiteral("[global]\n"
                                        "  server role = standalone server\n"
                                        "  interfaces = 127.0.0.1\n"
                                        "  bind interfaces only = yes\n"
                                        "  smb ports = %1\n"
                                        "  disable netbios = yes\n"
                                        "  private dir = %2/private\n"
                                        "  lock directory = %2/lock\n"
                                        "  state directory = %2/state\n"
                                        "  cache directory = %2/cache\n"
                                        "  pid directory = %2/pid\n"
                                        "  ncalrpc dir = %2/ncalrpc\n"
                                        "  binddns dir = %2/binddns\n"
                                        "  log file = %2/log.smbd\n"
                                        "  max log size = 0\n"
                                        "  map to guest = Bad User\n"
                                        "  load printers = no\n"
                                        "  printcap name = /dev/null\n"
                                        "  disable spoolss = yes\n"
                                        "  rpc start on demand helpers = no\n"
                                        "[share]\n"
                                        "  path = %3\n"
                                        "  guest ok = yes\n"
                                        "  read only = no\n"
                                        // Guests work as root, so that a client may also change what the
                                        // test made as root.
                                        "  force user = root\n"
                                        "  store dos attributes = yes\n"
                                        "  ea support = yes\n")
                             .arg(port)
                             .arg(m_folder, m_share);
    QFile conf(m_config);
    return conf.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && conf.write(text.toUtf8()) == text.toUtf8().size();
}

bool SambaServer::start()
{
    // A port taken in between by someone else makes smbd end; try another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        if (m_port == 0 || !writeConfig(m_port)) {
            m_error = QStringLiteral("no free port or no configuration");
            return false;
        }
        m_smbd = std::make_unique<Daemon>();
        if (!m_smbd->start(findTool(QStringLiteral("smbd")),
                { QStringLiteral("--foreground"), QStringLiteral("--no-process-group"),
                    QStringLiteral("--configfile=") + m_config })) {
            m_error = QStringLiteral("smbd does not start");
            return false;
        }
        if (waitFor([this] { return listening(m_port) || !m_smbd->running(); }, 15000) && listening(m_port))
            return true;
        m_error = QStringLiteral("smbd: ") + QString::fromUtf8(m_smbd->output())
            + tail(m_folder + QStringLiteral("/log.smbd"));
        m_smbd.reset();
    }
    return false;
}

void SambaServer::stop()
{
    m_smbd.reset();
}

ToolRun SambaServer::client(const QString& commands) const
{
    return runTool(findTool(QStringLiteral("smbclient")),
        { QStringLiteral("--configfile=") + m_config, QStringLiteral("//127.0.0.1/share"),
            QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-N"), QStringLiteral("-t"),
            QStringLiteral("10"), QStringLiteral("-c"), commands });
}

std::optional<ClientView> SambaServer::view(const QString& path) const
{
    const ToolRun run = client(QStringLiteral("allinfo \"%1\"").arg(path));
    static const QRegularExpression attributes(
        QStringLiteral("^attributes:.*\\(([0-9a-fA-F]+)\\)$"), QRegularExpression::MultilineOption);
    static const QRegularExpression created(
        QStringLiteral("^create_time:\\s*(.*)$"), QRegularExpression::MultilineOption);
    const QString out = QString::fromUtf8(run.output);
    const auto a = attributes.match(out);
    if (!run.ok || !a.hasMatch()) return std::nullopt;
    return ClientView { DWORD(a.captured(1).toUInt(nullptr, 16)), created.match(out).captured(1).trimmed() };
}

} // namespace fstest
