// The path helpers, the existence tests and the Windows directory.
#include "sys/Dateiexistenz.h"
#include "sys/FileDirPath.h"
#include "sys/WindowsOrdner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(FileDirPath, SplitsAtTheLastSeparator)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        { "/usr/lib/wine/shell32.dll", "/usr/lib/wine/", "shell32.dll" },
        { "shell32.dll", "", "shell32.dll" },
        { "/usr/lib/", "/usr/lib/", "" },
        { "", "", "" },
        { "/", "/", "" },
        { "/a.ico", "/", "a.ico" },
        { "//a//b", "//a//", "b" },
        { "C:\\Windows\\x.ico", "", "C:\\Windows\\x.ico" }, // a backslash is part of a name here
        { "Ordner mit: Doppelpunkt/x", "Ordner mit: Doppelpunkt/", "x" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFolderPart(QString::fromUtf8(c.path)), QString::fromUtf8(c.folder)) << c.path;
        EXPECT_EQ(GetFilePart(QString::fromUtf8(c.path)), QString::fromUtf8(c.file)) << c.path;
    }
}

TEST(Dateiexistenz, FileAndFolderTests)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("Icons"))));
    QFile f(dir.filePath(QStringLiteral("Icons/shell.exe")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString icons = dir.filePath(QStringLiteral("Icons"));
    const QString exe = icons + QStringLiteral("/shell.exe");
    struct Case {
        QString path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        { icons, true, true },
        { icons + u'/', false, true },
        { exe, true, true },
        { exe + u'/', false, false },
        { icons + QStringLiteral("/*.exe"), true, false },
        { icons + QStringLiteral("/*.dll"), false, false },
        { icons + QStringLiteral("/SHELL.EXE"), true, true },
        { dir.filePath(QStringLiteral("icons")), true, true },
        { dir.filePath(QStringLiteral("missing")), false, false },
        { QStringLiteral("/"), false, true },
        { QString(), false, false },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path.toStdString();
    }
}

class WindowsFolder : public ::testing::Test {
protected:
    void SetUp() override { m_old = qgetenv("QUILLMARK_WINDOWS_DIR"); }
    void TearDown() override { qputenv("QUILLMARK_WINDOWS_DIR", m_old); }
    QByteArray m_old;
};

TEST_F(WindowsFolder, IsTheConfiguredFolderWithoutClosingSeparator)
{
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("windows"));
    qputenv("QUILLMARK_WINDOWS_DIR", (chosen + u'/').toUtf8());
    EXPECT_EQ(GetWindowsFolder(), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
}

TEST_F(WindowsFolder, LongerThanTheBufferGivesEmpty)
{
    QTemporaryDir dir;
    QString base = dir.path();
    const QString fits = base + u'/' + QString(254 - base.size() - 1, u'f');
    ASSERT_EQ(fits.size(), 254);
    qputenv("QUILLMARK_WINDOWS_DIR", fits.toUtf8());
    EXPECT_EQ(GetWindowsFolder(), fits);
    qputenv("QUILLMARK_WINDOWS_DIR", (fits + u'x').toUtf8());
    EXPECT_EQ(GetWindowsFolder(), QString());
}

} // namespace
