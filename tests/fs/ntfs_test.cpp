// SPDX-License-Identifier: GPL-3.0-or-later
// Folders customised on a real NTFS volume (NTFS-3G, through FUSE): the bits
// must be in the volume's own attribute word, where Windows reads them, and
// still be there after the volume was unmounted and mounted again.
#include "tests/fs/fs_fixture.h"

#include "platform/files/dos_attribute_store.h"

#include <QStorageInfo>
#include <QtEndian>

namespace {

using namespace fstest;

constexpr DWORD kNotIndexed = 0x2000; // a bit of NTFS's own that must survive

// The whole attribute word as NTFS-3G keeps it on the volume.
std::optional<DWORD> ntfsWord(const QString& path)
{
    quint32 word = 0;
    if (::getxattr(path.toUtf8().constData(), "system.ntfs_attrib_be", &word, 4) != 4) return std::nullopt;
    return qFromBigEndian(word);
}

DWORD ntfsFour(const QString& path)
{
    return ntfsWord(path).value_or(~0u) & kFour;
}

bool addNotIndexed(const QString& path)
{
    const quint32 word = qToBigEndian(ntfsWord(path).value_or(0) | kNotIndexed);
    return ::setxattr(path.toUtf8().constData(), "system.ntfs_attrib_be", &word, 4, 0) == 0;
}

// A 16 MB volume in an image file, with NTFS-3G in the foreground as our child.
class Ntfs : public FsWizard {
protected:
    void SetUp() override
    {
        const QString why = ::access("/dev/fuse", R_OK | W_OK) != 0
            ? "/dev/fuse is not usable here"
            : unavailable({ "mkntfs", "ntfs-3g" }, "ntfs-3g", true);
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        testutil::writeBytes(image, QByteArray(16 << 20, '\0'));
        ASSERT_TRUE(QDir().mkpath(root));
        // --fast and --force: no zeroing, and a plain file is fine.
        const ToolRun made = runTool("mkntfs", { "--fast", "--force", "--quiet", image });
        ASSERT_TRUE(made.ok) << made.output.toStdString();
        mountNtfs();
    }
    void mountNtfs(const QString& options = "")
    {
        fuse = std::make_unique<ToolProcess>(
            "ntfs-3g", QStringList { "-o", "no_detach" + options, image, root });
        const auto up = [&] { return QStorageInfo(root).rootPath() == root; };
        ASSERT_TRUE(QTest::qWaitFor([&] { return up() || !fuse->running(); }, 10000) && up())
            << fuse->readAll().toStdString();
        mounted = root;
    }
    void remount(const QString& options = "")
    {
        ASSERT_TRUE(unmount());
        mountNtfs(options);
    }

    const QString image = tmp.filePath("ntfs.img"), root = tmp.filePath("ntfs");
};

TEST_F(Ntfs, TheFinishLeavesItsBitsInTheVolumeAfterARemount)
{
    std::vector<DWORD> before;
    copiedAnyway = true; // Windows reads the volume; the icons lie elsewhere
    customiseAll(root, [&](const QString& folder) {
        ASSERT_EQ(&files::attributeStoreFor(folder.toUtf8()), &files::ntfsAttributeStore());
        ASSERT_TRUE(addNotIndexed(folder));
        before.push_back(ntfsWord(folder).value_or(0));
    });
    remount();
    expectFinalStates(root, [&](const QString& path) -> std::optional<DWORD> {
        const auto word = ntfsWord(root + '/' + path);
        EXPECT_EQ(bits(root + '/' + path), word ? *word & kFour : INVALID_FILE_ATTRIBUTES) << "as we read it";
        return word ? std::optional(*word & kFour) : std::nullopt;
    });
    // The folders' other bits (directory, not indexed) are kept.
    for (std::size_t i = 0; i < before.size(); ++i) {
        const QString folder = root + QString("/Ordner %1").arg(i);
        EXPECT_EQ(ntfsWord(folder), (before[i] & ~kFour) | kFinalStates[i].folderBits) << i;
        EXPECT_EQ(GetFileAttributesA(folder), ntfsWord(folder)) << i;
    }
}

// An ini rewrite keeps the whole word and stops at the read-only bit; where
// the volume refuses changes, the bits stay.
TEST_F(Ntfs, AnIniRewriteKeepsTheWholeWordAndRefusalsKeepTheBits)
{
    const QString folder = root + "/Ordner";
    const QString ini = folder + "/Desktop.ini";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "alt"));
    ASSERT_TRUE(SetFileAttributesA(ini, 34) && addNotIndexed(ini) && SetFileAttributesA(folder, 1));
    const DWORD word = ntfsWord(ini).value_or(0);
    ASSERT_EQ(word & (kFour | kNotIndexed), 34u | kNotIndexed);
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "neu"));
    remount();
    EXPECT_EQ(ntfsWord(ini), word);
    EXPECT_EQ(IniRead(ini, kShellClassInfo, "InfoTip"), "neu");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { "Desktop.ini" })
        << "no temporary file is left";
    // Here the read-only bit is in the word alone, not in the file's mode.
    ASSERT_TRUE(SetFileAttributesA(ini, 33));
    EXPECT_FALSE(IniWrite(ini, kShellClassInfo, "InfoTip", "x"));
    EXPECT_EQ(IniRead(ini, kShellClassInfo, "InfoTip"), "neu");
    EXPECT_EQ(ntfsFour(ini), 33u);
    ASSERT_TRUE(SetFileAttributesA(ini, 34));

    const QByteArray text = testutil::readBytes(ini);
    const auto refused
        = [&] { return bits(ini) == 34 && !SetFileAttributesA(ini, 0) && !SetFileAttributesA(folder, 0); };
    remount(",ro");
    EXPECT_TRUE(refused());
    // The finish skips every step that fails and still ends.
    customise(folder, kFinalStates[1]);
    EXPECT_EQ(testutil::readBytes(ini), text);
    EXPECT_FALSE(QFileInfo::exists(folder + "/Desktop.ico"));

    remount(",permissions");
    ASSERT_EQ(::chmod(tmp.path().toUtf8().constData(), 0755), 0); // others may reach the volume
    EXPECT_TRUE(testutil::asNobody(refused)) << "another user reads the bits but may not change them";
    EXPECT_EQ(ntfsFour(ini), 34u);
    EXPECT_EQ(ntfsFour(folder), 1u);
}

} // namespace
