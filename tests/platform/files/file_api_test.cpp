// Copying and deleting files, the Windows directory and the version record.
#include "platform/files/file_api.h"
#include "platform/files/version_api.h"
#include "platform/files/windows_dir.h"

#include "files_test_util.h"

#include <cstring>

using namespace testutil;

namespace {

class FileApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        source = dir.filePath(QStringLiteral("shell.dll"));
        writeBytes(source, QByteArray("MZ\0\1\2binary", 11));
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
    QString source;
};

TEST_F(FileApi, CopyIsAByteCopyWithTheSourcesBits)
{
    ASSERT_TRUE(SetFileAttributesA(source, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(CopyFileA(source, path("Desktop.ico"), 0));
    EXPECT_EQ(readBytes(path("Desktop.ico")), readBytes(source));
    EXPECT_EQ(GetFileAttributesA(path("Desktop.ico")), 34u);
}

TEST_F(FileApi, CopyOverAnExistingFile)
{
    writeBytes(path("desktop.ico"), "old");
    EXPECT_FALSE(CopyFileA(source, path("Desktop.ico"), 1));
    EXPECT_EQ(readBytes(path("desktop.ico")), QByteArray("old"));
    ASSERT_TRUE(CopyFileA(source, path("Desktop.ico"), 0));
    // The existing file under another case is the one replaced.
    EXPECT_EQ(readBytes(path("desktop.ico")), readBytes(source));
    EXPECT_EQ(
        entries(dir.path()), QStringList({ QStringLiteral("desktop.ico"), QStringLiteral("shell.dll") }));
}

TEST_F(FileApi, CopyFailures)
{
    writeBytes(path("ro.ico"), "keep");
    ASSERT_TRUE(SetFileAttributesA(path("ro.ico"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    EXPECT_FALSE(CopyFileA(source, path("ro.ico"), 0));
    EXPECT_EQ(readBytes(path("ro.ico")), QByteArray("keep"));
    EXPECT_FALSE(CopyFileA(source, path("folder"), 0));
    EXPECT_FALSE(CopyFileA(path("missing"), path("x.ico"), 0));
    EXPECT_FALSE(CopyFileA(path("folder"), path("x.ico"), 0));
    EXPECT_FALSE(CopyFileA(source, path("nowhere/x.ico"), 0));
    EXPECT_FALSE(QFile::exists(path("x.ico")));
}

TEST_F(FileApi, Delete)
{
    writeBytes(path("desktop.ico"), "x");
    writeBytes(path("ro.ico"), "x");
    ASSERT_TRUE(SetFileAttributesA(path("ro.ico"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    ASSERT_EQ(::symlink("shell.dll", path("link").toUtf8().constData()), 0);

    EXPECT_TRUE(DeleteFileA(path("Desktop.ico")));
    EXPECT_FALSE(QFile::exists(path("desktop.ico")));
    EXPECT_FALSE(DeleteFileA(path("Desktop.ico")));
    EXPECT_FALSE(DeleteFileA(path("ro.ico")));
    EXPECT_FALSE(DeleteFileA(path("folder")));
    EXPECT_FALSE(DeleteFileA(path("*.dll")));
    EXPECT_TRUE(DeleteFileA(path("link")));
    EXPECT_EQ(entries(dir.path()), QStringList({ "folder", "ro.ico", "shell.dll" }));
    ASSERT_TRUE(SetFileAttributesA(path("ro.ico"), 0));
    EXPECT_TRUE(DeleteFileA(path("ro.ico")));
}

TEST(WindowsDirectory, TheOverrideOrTheDataFolder)
{
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("win dir"));
    {
        const EnvGuard windows("QUILLMARK_WINDOWS_DIR", chosen + QStringLiteral("//"));
        QString buffer = QStringLiteral("untouched");
        EXPECT_EQ(GetWindowsDirectoryA(buffer, 255), UINT(chosen.size()));
        EXPECT_EQ(buffer, chosen);
        EXPECT_TRUE(QFileInfo(chosen).isDir());
        // Too small: the size needed, with room for the NUL, and the buffer left alone.
        QString small = QStringLiteral("untouched");
        EXPECT_EQ(GetWindowsDirectoryA(small, UINT(chosen.size())), UINT(chosen.size() + 1));
        EXPECT_EQ(small, QStringLiteral("untouched"));
    }
    const EnvGuard windows("QUILLMARK_WINDOWS_DIR", QString());
    {
        const EnvGuard data("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")));
        QString buffer;
        GetWindowsDirectoryA(buffer, 255);
        EXPECT_EQ(buffer, dir.filePath(QStringLiteral("data/quillmark")));
        EXPECT_TRUE(QFileInfo(buffer).isDir());
    }
    const EnvGuard home("HOME", dir.filePath(QStringLiteral("home")));
    for (const QString& xdg : { QString(), QStringLiteral("relative/data") }) {
        const EnvGuard data("XDG_DATA_HOME", xdg);
        QString buffer;
        GetWindowsDirectoryA(buffer, 255);
        EXPECT_EQ(buffer, dir.filePath(QStringLiteral("home/.local/share/quillmark")));
    }
    writeBytes(dir.filePath(QStringLiteral("file")), "");
    const EnvGuard blocked("QUILLMARK_WINDOWS_DIR", dir.filePath(QStringLiteral("file/sub")));
    QString buffer;
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 255), 0u);
}

TEST(VersionRecord, NtTenByDefaultOrAsConfigured)
{
    struct Case {
        QString setting;
        BOOL ok;
        DWORD platform, major, minor;
    };
    const Case cases[] = {
        { QString(), 1, 2, 10, 0 },
        { QStringLiteral("1.4.90"), 1, 1, 4, 90 },
        { QStringLiteral("2.5.1"), 1, 2, 5, 1 },
        { QStringLiteral("0.0.0"), 1, 0, 0, 0 },
        { QStringLiteral("1.4"), 0, 7, 7, 7 },
        { QStringLiteral("a.b.c"), 0, 7, 7, 7 },
        { QStringLiteral("1.4.-1"), 0, 7, 7, 7 },
    };
    for (const Case& c : cases) {
        const EnvGuard env("QUILLMARK_OSVERSION", c.setting);
        OSVERSIONINFOA info;
        std::memset(&info, 7, sizeof info);
        info.dwOSVersionInfoSize = 148;
        info.dwPlatformId = info.dwMajorVersion = info.dwMinorVersion = 7;
        EXPECT_EQ(GetVersionExA(&info), c.ok) << c.setting.toStdString();
        EXPECT_EQ(info.dwPlatformId, c.platform) << c.setting.toStdString();
        EXPECT_EQ(info.dwMajorVersion, c.major) << c.setting.toStdString();
        EXPECT_EQ(info.dwMinorVersion, c.minor) << c.setting.toStdString();
    }
    OSVERSIONINFOA wrongSize {};
    wrongSize.dwOSVersionInfoSize = 156;
    EXPECT_FALSE(GetVersionExA(&wrongSize));
    EXPECT_EQ(wrongSize.dwPlatformId, 0u);
    EXPECT_FALSE(GetVersionExA(nullptr));
}

} // namespace
