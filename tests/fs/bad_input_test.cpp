// Places where the bits cannot be kept: the setting step fails, the finish
// skips it and goes on, and whatever was stored stays as it was.
#include "tests/fs/fs_fixture.h"

#include "platform/files/dos_attribute_store.h"

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

TEST(ForeignFiles, AnotherUsersFileKeepsItsBitsUnlessWeMayWriteIt)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files that belong to someone else";
    QTemporaryDir tmp;
    ASSERT_EQ(::chmod(tmp.path().toUtf8().constData(), 0755), 0);
    const struct {
        const char* what;
        mode_t mode;
        QByteArray stored;
        DWORD bits;
        bool allowed;
    } cases[] = {
        { "no write permission", 0644, "0x22", 0, false },
        { "writable, but only the owner may make it read-only", 0666, "0x22", 1, false },
        { "writable, read-only bit stays off", 0666, "0x20", 34, true },
        { "read-only, only the owner may make it writable", 0444, "0x21", 32, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = tmp.filePath("Desktop.ini");
        QFile::remove(file);
        ASSERT_TRUE(testing_support::writeFile(file, "[.ShellClassInfo]\r\n"));
        testutil::setDosAttribXattr(file, c.stored);
        ASSERT_EQ(::chmod(file.toUtf8().constData(), c.mode), 0);
        EXPECT_EQ(asNobody([&] { return SetFileAttributesA(file, c.bits) != 0; }), c.allowed);
        if (c.allowed) {
            EXPECT_EQ(GetFileAttributesA(file) & kFour, c.bits);
        } else {
            EXPECT_EQ(testutil::dosAttribXattr(file), c.stored) << "the stored bits are kept";
            EXPECT_EQ(testutil::modeOf(file), c.mode);
        }
    }
}

// The stores of FAT and NTFS on a file system that is neither: the kernel
// refuses their calls, and nothing is stored or lost.
TEST(WrongStore, FailsWithoutTouchingTheFile)
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath("Desktop.ini");
    ASSERT_TRUE(testing_support::writeFile(file, "x"));
    testutil::setDosAttribXattr(file, "0x22");
    for (const files::DosAttributeStore* store :
        { &files::fatAttributeStore(), &files::ntfsAttributeStore() }) {
        SCOPED_TRACE(store->name());
        EXPECT_FALSE(store->read(file.toUtf8()));
        EXPECT_FALSE(store->write(file.toUtf8(), 1));
        EXPECT_EQ(testutil::dosAttribXattr(file), QByteArray("0x22"));
        EXPECT_EQ(testutil::modeOf(file) & 0200, 0200u);
    }
}

} // namespace
