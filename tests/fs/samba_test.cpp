// SPDX-License-Identifier: GPL-3.0-or-later
// Folders customised inside a Samba share, on the server's disk: what a
// Windows client then sees through the share is what counts.
#include "tests/fs/fs_fixture.h"

#include "platform/files/dos_attrib_blob.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/net/smb_client.h"

#include <QDirIterator>
#include <QRandomGenerator>

namespace {

using namespace fstest;

// What a client reads about one path: the attribute word and the creation
// time as smbclient prints it.
struct ClientView {
    DWORD attributes;
    QString createTime;
};

// smbd of the test's own in the foreground on a high port of 127.0.0.1, with
// its state and log in the test's folder, sharing share/ to guests.
class Samba : public FsWizard {
protected:
    void SetUp() override
    {
        const QString why = unavailable({ "smbd", "smbclient" }, "samba and smbclient", false);
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        dir = tmp.filePath("samba");
        // smbd ends when its port is taken; the next attempt takes another.
        for (int attempt = 0; attempt < 5 && !smbd; ++attempt) {
            port = QRandomGenerator::global()->bounded(20000, 60000);
            ASSERT_NO_FATAL_FAILURE(writeConfig());
            smbd = std::make_unique<ToolProcess>(
                "smbd", QStringList { "--foreground", "--no-process-group", "--configfile=" + config() });
            if (!QTest::qWaitFor([&] { return !smbd->running() || client("ls").ok; }, 15000)
                || !smbd->running())
                smbd.reset();
        }
        ASSERT_TRUE(smbd) << "smbd does not listen; see " << dir.toStdString() << "/log.smbd";
        qputenv("QUILLMARK_SMB_CONF", config().toUtf8());
    }
    void TearDown() override
    {
        smbd.reset();
        qputenv("QUILLMARK_SMB_CONF", "");
        FsWizard::TearDown();
    }
    QString config() const { return dir + "/smb.conf"; }

    void writeConfig() const
    {
        for (const char* sub : { "share/Akten", "ohneattr/Akten", "verbirgt/Akten", "punkte/Akten", "privat", "private",
                 "lock", "state", "cache", "pid", "ncalrpc", "binddns" })
            ASSERT_TRUE(QDir().mkpath(dir + '/' + sub));
        testutil::writeBytes(config(),
            testutil::readBytes(QM_TEST_DATA "/fs/smb.conf")
                .replace("@DIR@", dir.toUtf8())
                .replace("@PORT@", QByteArray::number(port)));
    }

    // The user "nobody" with the password "geheim", in the test's own
    // password database, and the folder privat/Akten of the share only it may use.
    void addUser() const
    {
        QProcess passwd;
        passwd.start(findTool("smbpasswd"), { "-c", config(), "-a", "-s", "nobody" });
        passwd.write("geheim\ngeheim\n");
        passwd.closeWriteChannel();
        ASSERT_TRUE(passwd.waitForFinished(15000) && passwd.exitCode() == 0);
        ASSERT_TRUE(QDir().mkpath(dir + "/privat/Akten"));
    }
    // Runs smbclient commands (separated by ';') on the share as a guest.
    ToolRun client(const QString& commands) const
    {
        return runTool("smbclient",
            { "--configfile=" + config(), "//127.0.0.1/share", "-p", QString::number(port), "-N", "-t", "10",
                "-c", commands });
    }
    // allinfo of a path in the share; nullopt when the client cannot see it.
    std::optional<ClientView> view(const QString& path) const
    {
        const ToolRun run = client(QString("allinfo \"%1\"").arg(path));
        static const QRegularExpression attributes(
            "^attributes:.*\\(([0-9a-fA-F]+)\\)$", QRegularExpression::MultilineOption);
        static const QRegularExpression created(
            "^create_time:\\s*(.*)$", QRegularExpression::MultilineOption);
        const QString out = QString::fromUtf8(run.output);
        const auto a = attributes.match(out);
        if (!run.ok || !a.hasMatch()) return std::nullopt;
        return ClientView { DWORD(a.captured(1).toUInt(nullptr, 16)),
            created.match(out).captured(1).trimmed() };
    }
    QString dir;
    int port = 0;
    std::unique_ptr<ToolProcess> smbd;
};

// Finished on the server's disk, and through the network as a desktop
// without a mount reaches the share (Samba's client library).
TEST_F(Samba, ClientsSeeTheFinalStates)
{
    copiedAnyway = true; // the icons lie outside the share
    net::setPort("127.0.0.1", port);
    for (const QString sub : { "", "/über das Netz" }) {
        SCOPED_TRACE(sub.toStdString());
        customiseAll(dir + "/share" + sub, {}, sub.isEmpty() ? "" : "\\\\127.0.0.1\\share" + sub);
        expectFinalStates(dir + "/share" + sub, [&](const QString& path) -> std::optional<DWORD> {
            const auto seen = view(sub.isEmpty() ? path : sub.mid(1) + '/' + path);
            return seen ? std::optional(seen->attributes & kFour) : std::nullopt;
        });
    }
}

// The folder command on a share that wants a password: its answer and exit
// status for each way of signing in, and for names that no server has.
TEST_F(Samba, TheCommandSignsInOrSaysWhyNot)
{
    ASSERT_NO_FATAL_FAILURE(addUser());
    const QString url = QString("smb://127.0.0.1:%1/privat/Akten").arg(port),
                  server = url.left(url.indexOf("/pr"));
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        { { url }, 1, "\\\\127.0.0.1\\privat: Der Zugriff wurde verweigert." },
        { { "-U", "nobody%falsch", url }, 1, "Der Zugriff wurde verweigert." },
        { { "--user=WG\\nobody%geheim", url }, 0, "1 Ordner, 1 geändert, 0 fehlgeschlagen" },
        { { "smb://127.0.0.1:1/privat/Akten" }, 1, "Der Server antwortet nicht." },
        { { "smb://127.0.0.1:99999/privat" }, 2, "Kein gültiger Netzwerkpfad" },
        { { server + "/nurlesen/Akten" }, 1, "\\\\127.0.0.1\\\\nurlesen: Der Zugriff wurde verweigert." },
        { { "--icon", QM_SOURCE_DIR "/res/icons/ordner.dll,2", server + "/ohneattr/Akten" }, 1,
            "Ordner-Attribute (\\\\127.0.0.1\\ohneattr: Die Freigabe speichert die Attribute nicht" },
        { { server + "/verbirgt/Akten" }, 1,
            "Infotip (\\\\127.0.0.1\\verbirgt: Der Server lehnt den Namen ab.)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QCoreApplication::applicationDirPath() + "/../quillmark-folder",
            QStringList { "set", "--tooltip", "Akten" } + c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), c.status);
        const QString said = QString::fromUtf8(p.readAll());
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
    }
    EXPECT_EQ(IniRead(dir + "/privat/Akten/Desktop.ini", kShellClassInfo, "InfoTip"), "Akten");
}

// The Linux icon's dot files are hidden from Windows users, whether or not
// the share hides dot names by itself (and so needs no bit sent).
TEST_F(Samba, TheLinuxIconsFilesAreHidden)
{
    for (const QString share : { "share", "punkte" }) {
        SCOPED_TRACE(share.toStdString());
        ASSERT_TRUE(QFile::copy(QM_SOURCE_DIR "/res/icons/ordner.dll", dir + '/' + share + "/ordner.dll"));
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + "/../quillmark-folder",
            { "set", "--icon", QString("smb://127.0.0.1:%1/%2/ordner.dll,2").arg(port).arg(share),
                QString("smb://127.0.0.1:%1/%2/Akten").arg(port).arg(share) });
        ASSERT_TRUE(p.waitForFinished(30000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        for (const QString name : { ".directory", ".quillmark.ico" }) {
            const ToolRun run = runTool("smbclient", { "--configfile=" + config(), "//127.0.0.1/" + share, "-p",
                QString::number(port), "-N", "-c", "ls Akten\\" + name });
            EXPECT_TRUE(QString::fromUtf8(run.output).contains(QRegularExpression(name + "\\s+A?H ")))
                << run.output.toStdString();
        }
    }
}

// The wizard on that share asks for the sign-in until the server takes one.
TEST_F(Samba, TheWizardAsksForTheSignInUntilTheServerTakesIt)
{
    ASSERT_NO_FATAL_FAILURE(addUser());
    QStringList asked;
    setSignInHandler([&](const QString& share, net::SignIn& s) {
        asked << share + ' ' + s.user;
        s = { "", "nobody", asked.size() == 1 ? "falsch" : "geheim" };
        return true;
    });
    QString folder;
    const QString url = QString("smb://127.0.0.1:%1/privat/Akten").arg(port);
    ASSERT_EQ(net::takeNetworkFolder(url, folder), net::Parsed::Network);
    customise(folder, { "", "Akten", "", 0, false, 0, 0 });
    setSignInHandler({});
    EXPECT_EQ(asked, QStringList({ "\\\\127.0.0.1\\privat ", "\\\\127.0.0.1\\privat nobody" }));
    EXPECT_EQ(IniRead(dir + "/privat/Akten/Desktop.ini", kShellClassInfo, "InfoTip"), "Akten");
}

// A folder and a library folder in one share: a client that opens the folder
// through the share reads the settings file (Unicode here) and finds the icon
// by the relative name written in it, as Windows does.
TEST_F(Samba, ClientsFindTheIconByItsRelativeName)
{
    const QString share = dir + "/share", got = tmp.filePath("got");
    icons = share + "/Bibliothek";
    ASSERT_TRUE(QDir().mkpath(icons) && QDir().mkpath(share + "/Kunden"));
    testutil::writeBytes(icons + "/ordner.dll", testing_support::makeIconLibrary(5));
    customise(share + "/Kunden", { "", "Κύπρος", "ordner.dll", 4, false, 34, 1 });
    ASSERT_TRUE(client("cd Kunden; get Desktop.ini \"" + got + ".ini\"").ok);
    EXPECT_EQ(IniRead(got + ".ini", kShellClassInfo, "Infotip"), "Κύπρος");
    const QString reference = IniRead(got + ".ini", kShellClassInfo, "IconFile");
    EXPECT_EQ(reference, "..\\Bibliothek\\ordner.dll");
    EXPECT_EQ(IniRead(got + ".ini", kShellClassInfo, "IconResource"), reference + ",4");
    const ToolRun fetched = client("cd Kunden; get \"" + reference + "\" \"" + got + ".dll\"");
    EXPECT_TRUE(fetched.ok) << fetched.output.toStdString();
    EXPECT_EQ(testutil::readBytes(got + ".dll"), testutil::readBytes(icons + "/ordner.dll"));
}

// Samba stores its own blob with a creation time; rewriting the file and
// setting bits must keep both what clients see and the blob's version.
TEST_F(Samba, SambasOwnBlobKeepsItsCreationTime)
{
    const QString ini = dir + "/share/Desktop.ini";
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "alt"));
    ASSERT_TRUE(client("utimes Desktop.ini 01:02:03-04:05:06 -1 -1 -1; setmode Desktop.ini +ha").ok);
    const auto samba = files::decodeDosAttrib(testutil::dosAttribXattr(ini).value_or(""));
    ASSERT_TRUE(samba && samba->blob) << "Samba wrote its blob";
    const auto before = view("Desktop.ini");
    ASSERT_TRUE(before && before->createTime.contains("2001")) << "the creation time is stored";
    ASSERT_EQ(before->attributes & kFour, 34u);
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "neu"));
    const auto rewritten = view("Desktop.ini");
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->attributes, before->attributes);
    EXPECT_EQ(rewritten->createTime, before->createTime);

    for (const DWORD bits : { 1u, 36u, 0u, 34u }) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(SetFileAttributesA(ini, bits));
        const auto seen = view("Desktop.ini");
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->attributes & kFour, bits);
        EXPECT_EQ(seen->createTime, before->createTime);
        const auto stored = files::decodeDosAttrib(testutil::dosAttribXattr(ini).value_or(""));
        EXPECT_TRUE(stored && stored->version == samba->version);
    }
}

// Worker processes change nothing the command says: each final state set on
// the same tree with one job and with four gives the same output, status and
// settings files. A worker killed at the third folder handed out fails that
// folder once, the walk goes on below it, and every settings file is left
// as it was or as the run makes it.
TEST_F(Samba, WorkersSayWhatOneProcessSays)
{
    const QString tree = dir + "/share/Baum", url = QString("smb://127.0.0.1:%1/share/Baum").arg(port);
    const auto plant = [&] { // old settings in one folder, a Desktop.ini that is a folder in another
        QDir(tree).removeRecursively();
        for (int i = 0; i < 4; ++i)
            for (const QString sub : { "/a", "/b" })
                ASSERT_TRUE(QDir().mkpath(tree + QString("/Ordner %1").arg(i) + sub));
        ASSERT_TRUE(QDir().mkpath(tree + "/Ordner 1/a/Desktop.ini"));
        ASSERT_TRUE(IniWrite(tree + "/Ordner 2/Desktop.ini", kShellClassInfo, "InfoTip", "alt"));
    };
    const auto settings = [&] {
        QMap<QString, QByteArray> all;
        for (QDirIterator it(tree, { "Desktop.ini" }, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString file = it.next();
            all[file] = testutil::readBytes(file);
        }
        return all;
    };
    struct Run {
        int status;
        QString out, err;
        bool operator==(const Run&) const = default;
    };
    const auto run = [&](const QStringList& args, const char* dieAt = "", const QString& where = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUILLMARK_TEST_WORKER_KILL_AT", dieAt);
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + "/../quillmark-folder", args + QStringList { where.isEmpty() ? url : where });
        EXPECT_TRUE(p.waitForFinished(60000));
        static const QRegularExpression time(" in [0-9.]+ s\\.");
        return Run { p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).replace(time, ""),
            QString::fromUtf8(p.readAllStandardError()) };
    };
    for (const FinalState& row : kFinalStates) {
        SCOPED_TRACE(row.what);
        const QStringList args = QStringList { "set", "--recursive" }
            + (*row.tooltip ? QStringList { "--tooltip", row.tooltip } : QStringList { "--no-tooltip" })
            + (*row.iconFile ? QStringList { "--icon", icons + '/' + row.iconFile + ',' + QString::number(row.cell) }
                             : QStringList { "--no-icon" })
            + (row.copyIt ? QStringList { "--copy" } : QStringList());
        plant();
        const Run one = run(args + QStringList { "--jobs", "1" });
        const auto written = settings();
        plant();
        EXPECT_EQ(run(args + QStringList { "--jobs", "4" }), one) << one.err.toStdString();
        EXPECT_EQ(settings(), written);
        if (&row == &kFinalStates[1]) {
            EXPECT_EQ(run({ "show", "--json", "--recursive", "--jobs", "4" }),
                run({ "show", "--json", "--recursive", "--jobs", "1" }));
        }
    }

    plant();
    const auto old = settings();
    const QStringList args = { "set", "--recursive", "--tooltip", "neu" };
    const Run killed = run(args + QStringList { "--jobs", "2" }, "3");
    const auto written = settings();
    plant();
    const Run whole = run(args + QStringList { "--jobs", "1" });
    const auto wanted = settings();
    EXPECT_EQ(killed.status, 1);
    EXPECT_EQ(killed.err.count("Arbeitsprozess beendet (Signal 9)"), 1) << killed.err.toStdString();
    EXPECT_TRUE(killed.err.contains("\\Baum\\Ordner 1: Arbeitsprozess beendet (Signal 9)\n"));
    QStringList named = killed.err.split('\n', Qt::SkipEmptyParts);
    for (QString& line : named)
        line = line.section(": ", 1, 1);
    EXPECT_EQ(QSet<QString>(named.begin(), named.end()).size(), named.size()) << killed.err.toStdString();
    EXPECT_EQ(killed.out.section(',', 0, 0), whole.out.section(',', 0, 0));
    for (const auto& [file, bytes] : written.asKeyValueRange())
        EXPECT_TRUE(bytes == old.value(file) || bytes == wanted.value(file)) << file.toStdString();

    // A share that takes two connections: the walking process and one worker do every folder.
    for (const QString sub : { "/a", "/b", "/c" })
        ASSERT_TRUE(QDir().mkpath(dir + "/begrenzt/Baum" + sub));
    const Run limited = run(args + QStringList { "--jobs", "4" }, "", QString(url).replace("/share/", "/begrenzt/"));
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(limited.err.count("max connections"), 1) << limited.err.toStdString();
    EXPECT_EQ(limited.out, "4 Ordner, 4 geändert, 0 fehlgeschlagen,\n");
}

} // namespace
