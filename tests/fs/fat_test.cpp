// Folders customised on a FAT stick: the bits belong in the directory
// entries, where mtools (and Windows) read them from the unmounted image.
#include "tests/fs/fs_wizard.h"

#include "platform/files/dos_attribute_store.h"

#include <QFile>

namespace {

using fstest::FinalState;
using fstest::findTool;
using fstest::kFinalStates;
using fstest::runTool;

constexpr DWORD kFour = 0x27;

// The bits mattrib lists for one path of the image ("  A   H      ::/x").
std::optional<DWORD> mattribBits(const QString& image, const QString& path)
{
    const auto run = runTool(
        findTool(QStringLiteral("mattrib")), { QStringLiteral("-i"), image, QStringLiteral("::/") + path });
    const qsizetype at = run.output.indexOf("::/");
    if (!run.ok || at < 0) return std::nullopt;
    DWORD bits = 0;
    for (const char c : run.output.left(at)) {
        if (c == 'R') bits |= FILE_ATTRIBUTE_READONLY;
        if (c == 'H') bits |= FILE_ATTRIBUTE_HIDDEN;
        if (c == 'S') bits |= FILE_ATTRIBUTE_SYSTEM;
        if (c == 'A') bits |= FILE_ATTRIBUTE_ARCHIVE;
    }
    return bits;
}

class Fat : public fstest::FsWizard {
protected:
    void SetUp() override
    {
        if (!fstest::kernelKnows("vfat"))
            GTEST_SKIP() << "this kernel cannot mount vfat (it is not in /proc/filesystems)";
        const QString refused = fstest::mountingRefused();
        if (!refused.isEmpty()) GTEST_SKIP() << refused.toStdString();
        for (const char* tool : { "mkfs.vfat", "mattrib", "mount", "umount" }) {
            if (findTool(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (Debian packages dosfstools and mtools)";
        }
        FsWizard::SetUp();
        image = tmp.filePath(QStringLiteral("fat.img"));
        mountPoint = tmp.filePath(QStringLiteral("fat"));
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        const auto made = runTool(
            findTool(QStringLiteral("mkfs.vfat")), { QStringLiteral("-C"), image, QStringLiteral("8192") });
        ASSERT_TRUE(made.ok) << made.output.toStdString();
        mount();
    }
    void TearDown() override
    {
        unmount();
        FsWizard::TearDown();
    }
    void mount()
    {
        const auto run = runTool(findTool(QStringLiteral("mount")),
            { QStringLiteral("-t"), QStringLiteral("vfat"), QStringLiteral("-o"), QStringLiteral("loop"),
                image, mountPoint });
        ASSERT_TRUE(run.ok) << run.output.toStdString();
        mounted = true;
    }
    void unmount()
    {
        w.reset();
        if (!mounted) return;
        const auto run = runTool(findTool(QStringLiteral("umount")), { mountPoint });
        if (!run.ok) runTool(findTool(QStringLiteral("umount")), { QStringLiteral("-l"), mountPoint });
        mounted = false;
        EXPECT_TRUE(run.ok) << run.output.toStdString();
    }

    QString image;
    QString mountPoint;
    bool mounted = false;
};

TEST_F(Fat, TheFinishLeavesItsBitsInTheDirectoryEntries)
{
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        SCOPED_TRACE(kFinalStates[i].what);
        const QString folder = mountPoint + QStringLiteral("/Ordner %1").arg(i);
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_EQ(&files::attributeStoreFor(folder.toUtf8()), &files::fatAttributeStore());
        customise(folder, kFinalStates[i]);
        expectKeys(folder, kFinalStates[i]);
    }
    unmount();
    for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
        const FinalState& row = kFinalStates[i];
        SCOPED_TRACE(row.what);
        const QString folder = QStringLiteral("Ordner %1").arg(i);
        EXPECT_EQ(mattribBits(image, folder), row.folderBits);
        const auto ini = mattribBits(image, folder + QStringLiteral("/Desktop.ini"));
        EXPECT_EQ(ini,
            row.settingsBits == INVALID_FILE_ATTRIBUTES ? std::nullopt : std::optional(row.settingsBits));
        const auto ico = mattribBits(image, folder + QStringLiteral("/Desktop.ico"));
        EXPECT_EQ(ico, row.copyPresent ? std::optional<DWORD>(34) : std::nullopt);
    }
}

TEST_F(Fat, AnIniRewriteKeepsItsBits)
{
    const QString ini = mountPoint + QStringLiteral("/Desktop.ini");
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("alt")));
    ASSERT_TRUE(SetFileAttributesA(ini, 34 | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, QStringLiteral("InfoTip"), QStringLiteral("neu")));
    EXPECT_EQ(GetFileAttributesA(ini) & kFour, 38u);
    unmount();
    EXPECT_EQ(mattribBits(image, QStringLiteral("Desktop.ini")), 38u);
}

} // namespace
