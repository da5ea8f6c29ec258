// The shares of this machine's Samba server, as testparm reads a
// configuration: file shares count, printer shares and per-user paths do not.
#include "platform/files/samba_shares.h"
#include "tests/support/test_util.h"

#include <QStandardPaths>

namespace {

TEST(SambaShares, FileSharesOnlyAndTheInnermostHolds)
{
    if (QStandardPaths::findExecutable("testparm").isEmpty())
        GTEST_SKIP() << "testparm (samba) is not installed";
    QTemporaryDir tmp;
    const QString daten = tmp.filePath("daten"), spool = tmp.filePath("spool");
    ASSERT_TRUE(QDir().mkpath(daten + "/Projekte") && QDir().mkpath(spool));
    ASSERT_TRUE(QFile::link(daten, tmp.filePath("verweis")));
    testutil::writeBytes(tmp.filePath("smb.conf"),
        QString("[global]\n[daten]\npath = %1\n[projekte]\npath = %2/Projekte\n[printers]\npath = %3\n"
                "printable = yes\n[spool2]\nprint ok = yes\npath = %3\n[homes]\npath = /home/%U\n")
            .arg(tmp.filePath("verweis"), daten, spool)
            .toUtf8());
    qputenv("QUILLMARK_SMB_CONF", tmp.filePath("smb.conf").toUtf8());
    const QStringList shares = files::sambaSharePaths();
    qputenv("QUILLMARK_SMB_CONF", "");
    EXPECT_EQ(shares, QStringList({ daten, daten + "/Projekte" }));
    EXPECT_EQ(files::sambaShareHolding(daten + "/Projekte/a", shares), daten + "/Projekte");
    EXPECT_EQ(files::sambaShareHolding(daten + "x", shares), "");
}

} // namespace
