// SPDX-License-Identifier: GPL-3.0-or-later
// The folder command and servers on 127.0.0.1 that never say a word: which
// servers it contacts, how long it waits for them, and what its argument
// list shows meanwhile.
#include "tests/support/test_util.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A server on a port of a loopback address (a free one unless given) that
// never answers: connections wait in its backlog, or, when it hangs up, are
// taken and closed at once.
class SilentServer {
public:
    explicit SilentServer(bool hangsUp, const char* address = "127.0.0.1", int port = 0)
    {
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &a.sin_addr);
        socklen_t size = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) == 0 && ::listen(fd_, 64) == 0
            && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) == 0)
            port_ = ntohs(a.sin_port);
        if (hangsUp) taker_ = std::thread([this] {
            while (!stop_) connections(20);
        });
    }
    ~SilentServer()
    {
        stop_ = true;
        if (taker_.joinable()) taker_.join();
        ::close(fd_);
    }
    QString url(const char* path) const { return QString("smb://127.0.0.1:%1/%2").arg(port_).arg(path); }
    int port() const { return port_; }
    // Whether a connection waits to be taken within ms.
    bool waiting(int ms) const
    {
        pollfd p { fd_, POLLIN, 0 };
        return ::poll(&p, 1, ms) == 1;
    }
    // Every connection so far (those waiting are taken and closed).
    int connections(int ms = 0)
    {
        for (int c; waiting(ms) && (c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ms = 0) {
            ::close(c);
            ++taken_;
        }
        return taken_;
    }

private:
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int port_ = 0;
    std::atomic<int> taken_ { 0 };
    std::atomic<bool> stop_ { false };
    std::thread taker_;
};

struct Outcome {
    int status;
    QString out, err;
    QJsonArray json() const { return QJsonDocument::fromJson(out.toUtf8()).array(); }
};

QString folderCommandPath()
{
    return QCoreApplication::applicationDirPath() + "/../quillmark-folder";
}

Outcome folderCommand(const QStringList& arguments)
{
    QProcess p;
    p.start(folderCommandPath(), arguments);
    if (!p.waitForFinished(60000)) return { -1, {}, "did not finish" };
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()) };
}

class Servers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder)); }
    QTemporaryDir tmp;
    QString folder = tmp.filePath("Ordner");
};

// A server that only a Desktop.ini names (in either spelling) is neither
// signed in to nor asked, by show or set; its reference is reported as not
// checked. A Desktop.ini names no port: the server listens on 445 of a
// loopback address of its own, where the user's naming it does reach it.
TEST_F(Servers, OnlyServersTheUserNamedAreContacted)
{
    SilentServer server(true, "127.0.0.2", 445);
    if (!server.port()) GTEST_SKIP() << "port 445 of 127.0.0.2 cannot be taken here (root, and no smbd on it)";
    EXPECT_EQ(folderCommand({ "show", "--json", "smb://127.0.0.2/s/a" }).status, 1);
    const int named = server.connections(1000);
    ASSERT_GE(named, 1) << "a named server is reached there";
    for (const char* reference : { "//127.0.0.2/s/x.ico", "\\\\127.0.0.2\\s\\x.ico" }) {
        SCOPED_TRACE(reference);
        testutil::writeBytes(folder + "/Desktop.ini", QByteArray("[.ShellClassInfo]\r\nIconFile=") + reference + "\r\n");
        const Outcome shown = folderCommand({ "show", "--json", "-U", "CORP\\alice%pw", folder });
        EXPECT_EQ(shown.status, 0) << shown.err.toStdString();
        EXPECT_EQ(shown.json()[0].toObject()["notCheckedCode"].toString(), "icon-server-not-named");
        const Outcome set = folderCommand({ "set", "--use-kerberos", "--tooltip", "x", folder });
        EXPECT_FALSE(set.err.contains("127.0.0.2")) << set.err.toStdString();
    }
    EXPECT_EQ(server.connections(200), named) << "no connection for a server only folder data names";
}

// A server that takes the connection and never answers costs one limit for
// the run (as the command times its run): its later folders fail at once
// with the same message.
TEST_F(Servers, ADeadServerCostsOneLimitNotOnePerFolder)
{
    SilentServer hole(false);
    double seconds[2] = {};
    for (const int folders : { 1, 3 }) {
        QStringList arguments { "set", "--tooltip", "x", "--timeout", "0.3" };
        for (const char* name : { "s/a", "s/b", "s/c" }) arguments << hole.url(name);
        const Outcome o = folderCommand(arguments.mid(0, 5 + folders));
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err.count("\\\\127.0.0.1\\s: Der Server antwortet nicht."), folders) << o.err.toStdString();
        seconds[folders / 3] = QRegularExpression("in ([0-9.]+) s").match(o.out).captured(1).toDouble();
    }
    EXPECT_GE(seconds[0], 0.3) << "the limit was waited for";
    EXPECT_LT(seconds[1] - seconds[0], 0.3) << "one limit, not three";
}

// Every user can read /proc/PID/cmdline: the password is gone from it as
// soon as the command line is read.
TEST_F(Servers, ThePasswordLeavesTheArgumentList)
{
    SilentServer hole(false);
    QProcess p;
    p.start(folderCommandPath(),
        { "show", "-U", "CORP\\alice%geheim", "--user=bob%auch", "--", hole.url("s/a") });
    ASSERT_TRUE(hole.waiting(30000)) << "the command reached the server";
    const QByteArray arguments = testutil::readBytes(QString("/proc/%1/cmdline").arg(p.processId()));
    EXPECT_TRUE(arguments.contains(QByteArray("-U\0CORP\\alice%XXXXXX\0--user=bob%XXXX\0", 37)))
        << arguments.toStdString();
    p.kill();
    p.waitForFinished();
}

} // namespace
