// Folders customised on a real NTFS volume (NTFS-3G): the bits must be in
// the volume's own attribute word, where Windows reads them, and still be
// there after the volume was unmounted and mounted again.
#include "tests/fs/fs_wizard.h"
#include "tests/fs/ntfs_volume.h"

#include "platform/files/dos_attribute_store.h"

#include <sys/stat.h>

namespace {

using fstest::FinalState;
using fstest::kFinalStates;
using fstest::ntfsAttribByGetfattr;
using fstest::NtfsVolume;

constexpr DWORD kFour = 0x27; // read-only, hidden, system, archive
constexpr DWORD kNotIndexed = 0x2000; // a bit of NTFS's own that must survive

ino_t inodeOf(const QString& path)
{
    struct stat st;
    return ::stat(path.toUtf8().constData(), &st) == 0 ? st.st_ino : 0;
}

class Ntfs : public fstest::FsWizard {
protected:
    void SetUp() override
    {
        const QString why = NtfsVolume::unavailableReason();
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        volume = std::make_unique<NtfsVolume>(tmp.path());
        ASSERT_TRUE(volume->create()) << volume->error().toStdString();
        ASSERT_TRUE(volume->mount()) << volume->error().toStdString();
    }
    void TearDown() override
    {
        w.reset();
        volume.reset();
        FsWizard::TearDown();
    }
    // A new folder on the volume carrying NTFS's not-indexed bit; its whole
    // attribute word as NTFS-3G reports it.
    DWORD makeFolder(const QString& folder)
    {
        EXPECT_TRUE(QDir().mkpath(folder));
        const auto before = ntfsAttribByGetfattr(folder);
        EXPECT_TRUE(before);
        EXPECT_TRUE(fstest::setNtfsAttribBySetfattr(folder, before.value_or(0) | kNotIndexed));
        return ntfsAttribByGetfattr(folder).value_or(0);
    }
    void remount(const QStringList& options = {})
    {
        w.reset(); // nothing of ours may hold the volume
        ASSERT_TRUE(volume->remount(options)) << volume->error().toStdString();
    }

    std::unique_ptr<NtfsVolume> volume;
};

TEST_F(Ntfs, TheFinishLeavesItsBitsInTheVolumeAfterARemount)
{
    std::vector<DWORD> before;
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        const QString folder = volume->root() + QStringLiteral("/Ordner %1").arg(i);
        before.push_back(makeFolder(folder));
        ASSERT_EQ(&files::attributeStoreFor(folder.toUtf8()), &files::ntfsAttributeStore());
        SCOPED_TRACE(kFinalStates[i].what);
        customise(folder, kFinalStates[i]);
    }
    remount();
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        const FinalState& row = kFinalStates[i];
        SCOPED_TRACE(row.what);
        const QString folder = volume->root() + QStringLiteral("/Ordner %1").arg(i);
        const QString ini = folder + QStringLiteral("/Desktop.ini");
        const QString ico = folder + QStringLiteral("/Desktop.ico");
        expectKeys(folder, row);
        // The folder's other bits (directory, not indexed) are kept.
        const DWORD folderWord = (before[i] & ~kFour) | row.folderBits;
        EXPECT_EQ(ntfsAttribByGetfattr(folder), folderWord);
        EXPECT_EQ(GetFileAttributesA(folder), folderWord);
        if (row.settingsBits != INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(ntfsAttribByGetfattr(ini).value_or(~0u) & kFour, row.settingsBits);
            EXPECT_EQ(GetFileAttributesA(ini) & kFour, row.settingsBits);
        }
        if (row.copyPresent) {
            EXPECT_EQ(ntfsAttribByGetfattr(ico).value_or(~0u) & kFour, 34u);
            EXPECT_EQ(GetFileAttributesA(ico) & kFour, 34u);
            EXPECT_EQ(testing_support::readFile(ico),
                testing_support::readFile(icons + QLatin1Char('/') + QString::fromUtf8(row.iconFile)));
        }
    }
}

TEST_F(Ntfs, AnIniRewriteReplacesTheFileAndKeepsItsWholeWord)
{
    const QString folder = volume->root() + QStringLiteral("/Ordner");
    const QString ini = folder + QStringLiteral("/Desktop.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
    ASSERT_TRUE(SetFileAttributesA(ini, 34));
    ASSERT_TRUE(fstest::setNtfsAttribBySetfattr(ini, *ntfsAttribByGetfattr(ini) | kNotIndexed));
    const DWORD word = *ntfsAttribByGetfattr(ini);
    ASSERT_EQ(word & (kFour | kNotIndexed), 34u | kNotIndexed);
    const ino_t oldInode = inodeOf(ini);

    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("neu")));
    EXPECT_NE(inodeOf(ini), oldInode) << "written through a new file renamed over the old one";
    EXPECT_EQ(ntfsAttribByGetfattr(ini), word);
    remount();
    EXPECT_EQ(ntfsAttribByGetfattr(ini), word);
    EXPECT_EQ(IniRead(ini, kShellClassInfo, QStringLiteral("InfoTip")), QStringLiteral("neu"));
    EXPECT_EQ(
        QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("Desktop.ini") })
        << "no temporary file is left";
}

TEST_F(Ntfs, AReadOnlyFileIsNotRewritten)
{
    const QString ini = volume->root() + QStringLiteral("/Desktop.ini");
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
    ASSERT_TRUE(SetFileAttributesA(ini, 33));
    const QByteArray text = testing_support::readFile(ini);
    EXPECT_FALSE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("neu")));
    EXPECT_EQ(testing_support::readFile(ini), text);
    EXPECT_EQ(ntfsAttribByGetfattr(ini).value_or(0) & kFour, 33u);
}

TEST_F(Ntfs, AReadOnlyMountFailsEverySettingAndKeepsTheBits)
{
    const QString folder = volume->root() + QStringLiteral("/Ordner");
    const QString ini = folder + QStringLiteral("/Desktop.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
    ASSERT_TRUE(SetFileAttributesA(ini, 34));
    ASSERT_TRUE(SetFileAttributesA(folder, 1));
    const QByteArray text = testing_support::readFile(ini);
    remount({ QStringLiteral("ro") });

    EXPECT_FALSE(SetFileAttributesA(ini, 0));
    EXPECT_FALSE(SetFileAttributesA(folder, 0));
    EXPECT_EQ(GetFileAttributesA(ini) & kFour, 34u);
    EXPECT_EQ(GetFileAttributesA(folder) & kFour, 1u);
    // The finish skips every step that fails and still ends.
    customise(folder, kFinalStates[1]);
    EXPECT_EQ(testing_support::readFile(ini), text);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Desktop.ico")));
    EXPECT_EQ(ntfsAttribByGetfattr(ini).value_or(0) & kFour, 34u);
    EXPECT_EQ(ntfsAttribByGetfattr(folder).value_or(0) & kFour, 1u);
}

TEST_F(Ntfs, WithPermissionsOnlyTheOwnerSetsBits)
{
    remount({ QStringLiteral("permissions") });
    const QString folder = volume->root() + QStringLiteral("/Ordner");
    const QString ini = folder + QStringLiteral("/Desktop.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
    ASSERT_TRUE(SetFileAttributesA(ini, 34));
    ASSERT_TRUE(SetFileAttributesA(folder, 1));
    ASSERT_EQ(::chmod(tmp.path().toUtf8().constData(), 0755), 0); // others may reach the volume

    const bool refused = fstest::asUser(fstest::kNobody, fstest::kNogroup, [&] {
        return GetFileAttributesA(ini) != INVALID_FILE_ATTRIBUTES && (GetFileAttributesA(ini) & kFour) == 34
            && !SetFileAttributesA(ini, 0) && !SetFileAttributesA(folder, 0);
    });
    EXPECT_TRUE(refused) << "another user reads the bits but may not change them";
    EXPECT_EQ(ntfsAttribByGetfattr(ini).value_or(0) & kFour, 34u);
    EXPECT_EQ(ntfsAttribByGetfattr(folder).value_or(0) & kFour, 1u);
}

} // namespace
