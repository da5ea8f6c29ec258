// Folders customised inside a Samba share, on the server's disk: what a
// Windows client then sees through the share is what counts.
#include "tests/fs/fs_wizard.h"
#include "tests/fs/samba_server.h"

#include "platform/files/dos_attrib_blob.h"

#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

using fstest::ClientView;
using fstest::FinalState;
using fstest::kFinalStates;
using fstest::SambaServer;

constexpr DWORD kFour = 0x27;

std::optional<DWORD> fourBits(const std::optional<ClientView>& v)
{
    if (!v) return std::nullopt;
    return v->attributes & kFour;
}

QByteArray dosAttrib(const QString& path)
{
    QByteArray v(256, '\0');
    const ssize_t n = ::getxattr(path.toUtf8().constData(), "user.DOSATTRIB", v.data(), v.size());
    return n < 0 ? QByteArray() : v.left(n);
}

class Samba : public fstest::FsWizard {
protected:
    void SetUp() override
    {
        const QString why = SambaServer::unavailableReason();
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        server = std::make_unique<SambaServer>(tmp.path() + QStringLiteral("/samba"));
        ASSERT_TRUE(server->start()) << server->error().toStdString();
    }
    void TearDown() override
    {
        server.reset();
        FsWizard::TearDown();
    }
    QString onDisk(const QString& inShare) const
    {
        return server->shareFolder() + QLatin1Char('/') + inShare;
    }

    std::unique_ptr<SambaServer> server;
};

TEST_F(Samba, ClientsSeeTheFinalStates)
{
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        SCOPED_TRACE(kFinalStates[i].what);
        const QString folder = onDisk(QStringLiteral("Ordner %1").arg(i));
        ASSERT_TRUE(QDir().mkpath(folder));
        customise(folder, kFinalStates[i]);
        expectKeys(folder, kFinalStates[i]);
    }
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        const FinalState& row = kFinalStates[i];
        SCOPED_TRACE(row.what);
        const QString folder = QStringLiteral("Ordner %1").arg(i);
        const auto seen = server->view(folder);
        ASSERT_TRUE(seen) << "the client sees the folder";
        EXPECT_EQ(seen->attributes & kFour, row.folderBits);
        EXPECT_TRUE(seen->attributes & FILE_ATTRIBUTE_DIRECTORY);
        const auto ini = fourBits(server->view(folder + QStringLiteral("/Desktop.ini")));
        if (row.settingsBits == INVALID_FILE_ATTRIBUTES)
            EXPECT_FALSE(ini);
        else
            EXPECT_EQ(ini, row.settingsBits);
        const auto ico = fourBits(server->view(folder + QStringLiteral("/Desktop.ico")));
        EXPECT_EQ(ico, row.copyPresent ? std::optional<DWORD>(34) : std::nullopt);
    }
}

TEST_F(Samba, AnIniRewriteKeepsWhatClientsSee)
{
    struct Case {
        const char* what;
        QString clientCommands; // run before the rewrite; empty: bits set by us
        DWORD bits;
    };
    const Case cases[] = {
        { "bits stored by us", QString(), 34 },
        // Samba stores its own blob with a creation time; both must survive.
        { "bits stored by Samba",
            QStringLiteral("utimes a/Desktop.ini 01:02:03-04:05:06 -1 -1 -1; "
                           "setmode a/Desktop.ini +ha"),
            34 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString ini = onDisk(QStringLiteral("a/Desktop.ini"));
        QDir(onDisk(QStringLiteral("a"))).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(onDisk(QStringLiteral("a"))));
        ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
        if (c.clientCommands.isEmpty())
            ASSERT_TRUE(SetFileAttributesA(ini, c.bits));
        else
            ASSERT_TRUE(server->client(c.clientCommands).ok);
        const auto before = server->view(QStringLiteral("a/Desktop.ini"));
        ASSERT_TRUE(before);
        ASSERT_EQ(before->attributes & kFour, c.bits);
        struct stat st;
        ASSERT_EQ(::stat(ini.toUtf8().constData(), &st), 0);

        ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("neu")));
        struct stat after;
        ASSERT_EQ(::stat(ini.toUtf8().constData(), &after), 0);
        EXPECT_NE(after.st_ino, st.st_ino) << "written through a new file renamed over the old one";
        const auto seen = server->view(QStringLiteral("a/Desktop.ini"));
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->attributes, before->attributes);
        EXPECT_EQ(seen->createTime, before->createTime);
    }
}

TEST_F(Samba, OurBitsInSambasOwnBlobKeepItsCreationTime)
{
    const QString ini = onDisk(QStringLiteral("Desktop.ini"));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("x")));
    ASSERT_TRUE(
        server->client(
                  QStringLiteral("utimes Desktop.ini 01:02:03-04:05:06 -1 -1 -1; setmode Desktop.ini +s"))
            .ok);
    const auto samba = files::decodeDosAttrib(dosAttrib(ini));
    ASSERT_TRUE(samba && samba->blob) << "Samba wrote its blob";
    const QString created = server->view(QStringLiteral("Desktop.ini"))->createTime;
    ASSERT_TRUE(created.contains(QStringLiteral("2001"))) << created.toStdString();

    for (const DWORD bits : { 34u, 1u, 36u, 0u }) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(SetFileAttributesA(ini, bits));
        const auto seen = server->view(QStringLiteral("Desktop.ini"));
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->attributes & kFour, bits);
        EXPECT_EQ(seen->createTime, created);
        EXPECT_EQ(files::decodeDosAttrib(dosAttrib(ini))->version, samba->version);
    }
}

} // namespace
