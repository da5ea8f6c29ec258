// Places where the bits cannot be kept: the setting step fails, the finish
// skips it and goes on, and whatever was stored stays as it was.
#include "tests/fs/fs_wizard.h"

#include "platform/files/dos_attribute_store.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using fstest::kFinalStates;

constexpr DWORD kFour = 0x27;

std::optional<QByteArray> dosAttrib(const QString& path)
{
    QByteArray v(256, '\0');
    const ssize_t n = ::getxattr(path.toUtf8().constData(), "user.DOSATTRIB", v.data(), v.size());
    if (n < 0) return std::nullopt;
    return v.left(n);
}

bool setDosAttrib(const QString& path, const QByteArray& value)
{
    return ::setxattr(path.toUtf8().constData(), "user.DOSATTRIB", value.constData(), value.size(), 0) == 0;
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(path.toUtf8().constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// A ramfs of the test's own: a writable file system that keeps no extended
// attributes at all.
class NoXattrs : public fstest::FsWizard {
protected:
    void SetUp() override
    {
        const QString refused = fstest::mountingRefused();
        if (!refused.isEmpty()) GTEST_SKIP() << refused.toStdString();
        FsWizard::SetUp();
        mountPoint = tmp.filePath(QStringLiteral("ramfs"));
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        const auto run = fstest::runTool(fstest::findTool(QStringLiteral("mount")),
            { QStringLiteral("-t"), QStringLiteral("ramfs"), QStringLiteral("ramfs"), mountPoint });
        ASSERT_TRUE(run.ok) << run.output.toStdString();
        mounted = true;
        if (setDosAttrib(mountPoint, "0x0") || errno != EOPNOTSUPP)
            GTEST_SKIP() << "this kernel's ramfs keeps user extended attributes";
    }
    void TearDown() override
    {
        w.reset();
        if (mounted) fstest::runTool(fstest::findTool(QStringLiteral("umount")), { mountPoint });
        FsWizard::TearDown();
    }
    QString mountPoint;
    bool mounted = false;
};

TEST_F(NoXattrs, SettingFailsReadingWorksAndTheFinishGoesOn)
{
    const QString folder = mountPoint + QStringLiteral("/Ordner");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(SetFileAttributesA(folder, 1));
    EXPECT_EQ(GetFileAttributesA(folder), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    const fstest::FinalState& row = kFinalStates[1]; // tooltip, icon, copy
    customise(folder, row);
    expectKeys(folder, row);
    EXPECT_EQ(GetFileAttributesA(folder), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA(folder + QStringLiteral("/Desktop.ini")), 0u);
    EXPECT_EQ(GetFileAttributesA(folder + QStringLiteral("/Desktop.ico")), 0u);
}

class ForeignFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files that belong to someone else";
        ASSERT_TRUE(tmp.isValid());
        ASSERT_EQ(::chmod(tmp.path().toUtf8().constData(), 0755), 0);
    }
    QTemporaryDir tmp;
};

TEST_F(ForeignFiles, AnotherUsersFileKeepsItsBitsUnlessWeMayWriteIt)
{
    struct Case {
        const char* what;
        mode_t mode;
        QByteArray stored;
        DWORD bits;
        bool allowed;
    };
    const Case cases[] = {
        { "no write permission", 0644, "0x22", 0, false },
        { "writable, but only the owner may make it read-only", 0666, "0x22", 1, false },
        { "writable, read-only bit stays off", 0666, "0x20", 34, true },
        { "read-only, only the owner may make it writable", 0444, "0x21", 32, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = tmp.filePath(QStringLiteral("Desktop.ini"));
        QFile::remove(file);
        ASSERT_TRUE(testing_support::writeFile(file, "[.ShellClassInfo]\r\n"));
        ASSERT_TRUE(setDosAttrib(file, c.stored));
        ASSERT_EQ(::chmod(file.toUtf8().constData(), c.mode), 0);
        const bool set = fstest::asUser(
            fstest::kNobody, fstest::kNogroup, [&] { return SetFileAttributesA(file, c.bits) != 0; });
        EXPECT_EQ(set, c.allowed);
        if (!c.allowed) {
            EXPECT_EQ(dosAttrib(file), c.stored) << "the stored bits are kept";
            EXPECT_EQ(modeOf(file), c.mode);
        } else {
            EXPECT_EQ(GetFileAttributesA(file) & kFour, c.bits);
        }
    }
}

using UnknownBlob = fstest::FsWizard;

TEST_F(UnknownBlob, TheFinishLeavesItAloneAndGoesOn)
{
    const QString folder = tmp.filePath(QStringLiteral("Ordner"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray v9 = QByteArray::fromHex("307831300000090009000000deadbeef");
    ASSERT_TRUE(setDosAttrib(folder, v9));
    customise(folder, kFinalStates[0]);
    expectKeys(folder, kFinalStates[0]);
    EXPECT_EQ(dosAttrib(folder), v9) << "a blob we cannot rewrite is kept byte for byte";
    EXPECT_EQ(GetFileAttributesA(folder + QStringLiteral("/Desktop.ini")) & kFour, 34u);
}

TEST(WrongStore, FailsWithoutTouchingTheFile)
{
    // The stores of FAT and NTFS on a file system that is neither: the
    // kernel refuses their calls, and nothing is stored or lost.
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("Desktop.ini"));
    ASSERT_TRUE(testing_support::writeFile(file, "x"));
    ASSERT_TRUE(setDosAttrib(file, "0x22"));
    for (const files::DosAttributeStore* store :
        { &files::fatAttributeStore(), &files::ntfsAttributeStore() }) {
        SCOPED_TRACE(store->name());
        EXPECT_FALSE(store->read(file.toUtf8()));
        EXPECT_FALSE(store->write(file.toUtf8(), 1));
        EXPECT_EQ(dosAttrib(file), QByteArray("0x22"));
        EXPECT_EQ(modeOf(file) & 0200, 0200u);
    }
}

} // namespace
