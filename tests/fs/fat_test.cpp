// SPDX-License-Identifier: GPL-3.0-or-later
// Folders customised on a FAT stick: the bits belong in the directory
// entries, where mtools (and Windows) read them from the unmounted image.
// On a file system that keeps no bits at all, setting them fails, the
// finish skips that step and goes on.
#include "tests/fs/fs_fixture.h"

#include "platform/files/dos_attribute_store.h"

#include <QDirIterator>

#include <cerrno>

namespace {

using namespace fstest;

class Fat : public FsWizard {
protected:
    void SetUp() override
    {
        QString why = unavailable({ "mkfs.vfat", "mattrib", "mount" }, "dosfstools and mtools", true);
        if (!testutil::readBytes("/proc/filesystems").contains("\tvfat\n"))
            why = "this kernel cannot mount vfat (it is not in /proc/filesystems)";
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        const ToolRun made = runTool("mkfs.vfat", { "-C", image, "8192" });
        ASSERT_TRUE(made.ok) << made.output.toStdString();
        mount({ "-t", "vfat", "-o", "loop", image, tmp.filePath("fat") });
    }
    // The bits mattrib lists for a path of the image ("  A   H      ::/x").
    std::optional<DWORD> mattribBits(const QString& path) const
    {
        const ToolRun run = runTool("mattrib", { "-i", image, "::/" + path });
        const qsizetype at = run.output.indexOf("::/");
        if (!run.ok || at < 0) return std::nullopt;
        DWORD bits = 0;
        for (const auto& [letter, bit] :
            { std::pair { 'R', FILE_ATTRIBUTE_READONLY }, { 'H', FILE_ATTRIBUTE_HIDDEN },
                { 'S', FILE_ATTRIBUTE_SYSTEM }, { 'A', FILE_ATTRIBUTE_ARCHIVE } }) {
            if (run.output.left(at).contains(letter)) bits |= bit;
        }
        return bits;
    }

    const QString image = tmp.filePath("fat.img");
};

TEST_F(Fat, TheFinishLeavesItsBitsInTheDirectoryEntries)
{
    copiedAnyway = true; // Windows reads the volume; the icons lie elsewhere
    customiseAll(mounted, [](const QString& folder) {
        ASSERT_EQ(&files::attributeStoreFor(folder.toUtf8()), &files::fatAttributeStore());
    });
    expectFinalStates(mounted);
    // An ini rewrite keeps the bits of the entry it replaces.
    const QString ini = mounted + "/Desktop.ini";
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "alt"));
    ASSERT_TRUE(SetFileAttributesA(ini, 38));
    ASSERT_TRUE(IniWrite(ini, kShellClassInfo, "InfoTip", "neu"));
    ASSERT_TRUE(unmount());
    EXPECT_EQ(mattribBits("Desktop.ini"), 38u);
    expectFinalStates({}, [&](const QString& path) { return mattribBits(path); });
}

// A ramfs of the test's own: writable, but it keeps no extended attributes.
class NoXattrs : public FsWizard {
protected:
    void SetUp() override
    {
        const QString why = unavailable({ "mount" }, "mount", true);
        if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
        FsWizard::SetUp();
        mount({ "-t", "ramfs", "ramfs", tmp.filePath("ramfs") });
        if (::setxattr(mounted.toUtf8().constData(), "user.DOSATTRIB", "0x0", 3, 0) == 0
            || errno != EOPNOTSUPP)
            GTEST_SKIP() << "this kernel's ramfs keeps user extended attributes";
    }
};

TEST_F(NoXattrs, SettingFailsReadingWorksAndTheFinishGoesOn)
{
    EXPECT_FALSE(SetFileAttributesA(mounted, 1));
    iconPrefix = icons + '/'; // the icons lie on another file system
    customiseAll(mounted);
    expectFinalStates(mounted);
    QDirIterator it(
        mounted, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_EQ(bits(it.next()), 0u) << it.filePath().toStdString();
    EXPECT_EQ(GetFileAttributesA(mounted + "/Ordner 0"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

} // namespace
