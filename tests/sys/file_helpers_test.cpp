// The path helpers, the existence tests and the Windows directory.
#include "sys/Dateiexistenz.h"
#include "sys/FileDirPath.h"
#include "sys/WindowsOrdner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        { "//a//b", "//a//", "b" },
        { "C:\\Windows\\x.ico", "", "C:\\Windows\\x.ico" }, // a backslash is part of a name here
        { "Ordner mit: Doppelpunkt/x", "Ordner mit: Doppelpunkt/", "x" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFolderPart(c.path).toStdString(), c.folder) << c.path;
        EXPECT_EQ(GetFilePart(c.path).toStdString(), c.file) << c.path;
    }
}

// FileExists asks the directory search (wildcards allowed), FolderExists the attributes.
TEST(Dateiexistenz, FileAndFolderTests)
{
    QTemporaryDir dir;
    const QString icons = dir.filePath("Icons"), exe = icons + "/shell.exe";
    ASSERT_TRUE(QDir().mkdir(icons) && QFile(exe).open(QIODevice::WriteOnly));
    const std::tuple<QString, bool, bool> cases[] = {
        { icons, true, true },
        { icons + '/', false, true },
        { exe, true, true },
        { exe + '/', false, false },
        { icons + "/*.exe", true, false },
        { icons + "/*.dll", false, false },
        { icons + "/SHELL.EXE", true, true },
        { dir.filePath("missing"), false, false },
        { "/", false, true },
        { QString(), false, false },
    };
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(FileExists(path), file) << path.toStdString();
        EXPECT_EQ(FolderExists(path), folder) << path.toStdString();
    }
}

// A folder that does not fit the 255-character buffer is no folder at all, not a cut-off one.
TEST(WindowsFolder, LongerThanTheBufferGivesEmpty)
{
    const QByteArray old = qgetenv("QUILLMARK_WINDOWS_DIR");
    QTemporaryDir dir;
    const QString fits = dir.path() + u'/' + QString(254 - dir.path().size() - 1, u'f');
    ASSERT_EQ(fits.size(), 254);
    qputenv("QUILLMARK_WINDOWS_DIR", (fits + u'/').toUtf8());
    EXPECT_EQ(GetWindowsFolder().toStdString(), fits.toStdString());
    qputenv("QUILLMARK_WINDOWS_DIR", (fits + u'x').toUtf8());
    EXPECT_EQ(GetWindowsFolder().toStdString(), "");
    old.isNull() ? qunsetenv("QUILLMARK_WINDOWS_DIR") : qputenv("QUILLMARK_WINDOWS_DIR", old);
}

} // namespace
