// SPDX-License-Identifier: GPL-3.0-or-later
// The path helpers, the Windows directory and the Windows version.
#include "sys/FileDirPath.h"
#include "sys/WinVersionen.h"
#include "sys/WindowsOrdner.h"
#include "tests/support/test_util.h"

namespace {

TEST(FileDirPath, SplitsAtTheLastSeparator)
{
    // A backslash or a colon is part of a name here.
    const std::tuple<const char*, const char*, const char*> cases[]
        = { { "/usr/lib/x.dll", "/usr/lib/", "x.dll" }, { "x.dll", "", "x.dll" },
              { "/usr/lib/", "/usr/lib/", "" }, { "", "", "" }, { "/", "/", "" }, { "//a//b", "//a//", "b" },
              { "C:\\Windows\\x.ico", "", "C:\\Windows\\x.ico" } };
    for (const auto& [path, folder, file] : cases) {
        EXPECT_EQ(GetFolderPart(path).toStdString(), folder) << path;
        EXPECT_EQ(GetFilePart(path).toStdString(), file) << path;
    }
}

// The name the window's caption and the preview give a folder: its last part, a share's root its UNC name.
TEST(FileDirPath, FolderNameAsWindowsShowsIt)
{
    const std::pair<const char*, const char*> cases[] = { { "/srv/Mein Ordner/", "Mein Ordner" }, { "/", "/" },
        { "/a:b", "a:b" }, { "\\\\srv\\daten", "\\\\srv\\daten" }, { "//srv/daten/", "\\\\srv\\daten" },
        { "\\\\srv\\daten\\Projekte\\HBTJRP~N", "HBTJRP~N" } };
    for (const auto& [folder, name] : cases)
        EXPECT_EQ(GetFolderName(folder).toStdString(), name) << folder;
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

// The program acts on "Me" and "Nt" only: platform.major.minor as reported (empty: this platform,
// an NT-family 10.0, neither), the major version of "Me" is not consulted, a failed call leaves zeros.
TEST(WinVersionen, MeAndNtAreToldApart)
{
    const std::pair<const char*, const char*> cases[]
        = { { "", "Unknown" }, { "1.4.10", "98" }, { "1.7.90", "Me" }, { "2.5.1", "Nt" },
              { "2.6.1", "Unknown" }, { "not.a.version", "Windows 16bit mit 32bit-Erweiterung" } };
    for (const auto& c : cases) {
        const testutil::EnvGuard version("QUILLMARK_OSVERSION", c.first);
        EXPECT_EQ(GetWinVersion().toStdString(), c.second) << c.first;
    }
}

} // namespace
