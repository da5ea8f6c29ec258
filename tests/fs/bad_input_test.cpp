// Places where the bits cannot be kept: the setting step fails, the finish
// skips it and goes on, and whatever was stored stays as it was.
#include "tests/fs/fs_fixture.h"

#include <QDirIterator>

#include <cerrno>
#include <sys/stat.h>

namespace {

using namespace fstest;

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
