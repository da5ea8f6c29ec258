// The path helpers, the existence tests and the Windows directory.
#include "sys/Dateiexistenz.h"
#include "sys/FileDirPath.h"
#include "sys/WindowsOrdner.h"
#include "tests/support/test_util.h"

namespace {

TEST(FileDirPath, SplitsAtTheLastSeparator)
{
    // A backslash is part of a name here.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        { "/usr/lib/wine/shell32.dll", "/usr/lib/wine/", "shell32.dll" },
        { "shell32.dll", "", "shell32.dll" },
        { "/usr/lib/", "/usr/lib/", "" },
        { "", "", "" },
        { "/", "/", "" },
        { "//a//b", "//a//", "b" },
        { "C:\\Windows\\x.ico", "", "C:\\Windows\\x.ico" },
        { "Ordner mit: Doppelpunkt/x", "Ordner mit: Doppelpunkt/", "x" },
    };
    for (const auto& [path, folder, file] : cases) {
        EXPECT_EQ(GetFolderPart(path).toStdString(), folder) << path;
        EXPECT_EQ(GetFilePart(path).toStdString(), file) << path;
    }
}

// FileExists asks the directory search (wildcards allowed), FolderExists the attributes.
TEST(Dateiexistenz, FileAndFolderTests)
{
    QTemporaryDir dir;
    const QString icons = dir.filePath("Icons"), exe = icons + "/shell.exe";
    ASSERT_TRUE(QDir().mkdir(icons) && QFile(exe).open(QIODevice::WriteOnly));
    const std::tuple<QString, bool, bool> cases[] = { { icons, true, true }, { icons + '/', false, true },
        { exe, true, true }, { exe + '/', false, false }, { icons + "/*.exe", true, false },
        { icons + "/*.dll", false, false }, { icons + "/SHELL.EXE", true, true },
        { dir.filePath("missing"), false, false }, { "/", false, true }, { QString(), false, false } };
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(FileExists(path), file) << path.toStdString();
        EXPECT_EQ(FolderExists(path), folder) << path.toStdString();
    }
}

// A folder that does not fit the 255-character buffer is no folder at all, not a cut-off one.
TEST(WindowsFolder, LongerThanTheBufferGivesEmpty)
{
    QTemporaryDir dir;
    const QString fits = dir.path() + u'/' + QString(254 - dir.path().size() - 1, u'f');
    for (const auto& [set, expected] : { std::pair { fits + u'/', fits }, { fits + u'x', QString() } }) {
        const testutil::EnvGuard windows("QUILLMARK_WINDOWS_DIR", set);
        EXPECT_EQ(GetWindowsFolder().toStdString(), expected.toStdString());
    }
}

} // namespace
