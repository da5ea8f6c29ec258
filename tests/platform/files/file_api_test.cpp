// SPDX-License-Identifier: GPL-3.0-or-later
// Copying and deleting files, the directory search, names without regard to
// case, the Windows directory and this machine's Samba shares.
#include "platform/files/file_api.h"
#include "platform/files/opened_folder.h"
#include "platform/files/samba_shares.h"
#include "platform/files/windows_dir.h"

#include "tests/support/test_util.h"

#include <QStandardPaths>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <tuple>

using namespace testutil;

namespace {

using FileApi = TempFolder;

// The copy replaces the target found under another case and takes the source's bits, not the
// target's; it fails for a read-only target, folders and missing parts.
TEST_F(FileApi, CopyIsAByteCopyWithTheSourcesBitsAndDeleteSparesReadOnlyFiles)
{
    const QString source = path("shell.dll");
    writeBytes(source, QByteArray("MZ\0\1\2binary", 11));
    ASSERT_TRUE(SetFileAttributesA(source, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    writeBytes(path("desktop.ico"), "old");
    ASSERT_TRUE(SetFileAttributesA(path("desktop.ico"), FILE_ATTRIBUTE_SYSTEM));
    EXPECT_FALSE(CopyFileA(source, path("Desktop.ico"), 1));
    EXPECT_EQ(readBytes(path("desktop.ico")), "old");
    ASSERT_TRUE(CopyFileA(source, path("Desktop.ico"), 0));
    EXPECT_EQ(readBytes(path("desktop.ico")), readBytes(source));
    EXPECT_EQ(GetFileAttributesA(path("desktop.ico")), 34u);
    ASSERT_TRUE(SetFileAttributesA(path("desktop.ico"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    for (const auto& [from, to] : { std::pair { source, path("desktop.ico") }, { source, path("folder") },
             { path("missing"), path("x.ico") }, { path("folder"), path("x.ico") },
             { source, path("no/x.ico") } })
        EXPECT_FALSE(CopyFileA(from, to, 0)) << to.toStdString();
    EXPECT_EQ(readBytes(path("desktop.ico")), readBytes(source));
    EXPECT_EQ(entries(dir.path()), QStringList({ "desktop.ico", "folder", "shell.dll" }));
    // Files and links go, also a link to a read-only file; read-only files, folders and wildcards do not.
    ASSERT_EQ(::symlink("desktop.ico", path("link").toUtf8().constData()), 0);
    writeBytes(path("plain.ico"), "x");
    EXPECT_TRUE(DeleteFileA(path("Plain.ico")));
    EXPECT_FALSE(DeleteFileA(path("Plain.ico")) || DeleteFileA(path("desktop.ico"))
        || DeleteFileA(path("folder")) || DeleteFileA(path("*.dll")));
    EXPECT_TRUE(DeleteFileA(path("link")));
    ASSERT_TRUE(SetFileAttributesA(path("desktop.ico"), 0));
    EXPECT_TRUE(DeleteFileA(path("desktop.ico")));
    EXPECT_EQ(entries(dir.path()), QStringList({ "folder", "shell.dll" }));
}

// "*.*" is every name, also without a dot; case folds, but "ß" is no "SS".
TEST(Wildcard, MatchesLikeWindows)
{
    const std::tuple<const char*, const char*, bool> cases[] = { { "SHELL32.DLL", "*.dll", true },
        { "shell32.dll", "*.exe", false }, { "ab.ico", "?.ico", false }, { "README", "*.*", true },
        { "x.tar.gz", "*tar*", true }, { "Straße.ico", "STRASSE.ICO", false },
        { "Ärger.ico", "ärger.*", true }, { "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false },
        { "", "*", true }, { "abc", "", false } };
    for (const auto& [name, pattern, matches] : cases)
        EXPECT_EQ(files::matchesWildcard(name, pattern), matches) << name << " ~ " << pattern;
}

// File names are bytes: any byte string survives the way into text and back; UTF-8 reads as itself.
TEST(NativeNames, EveryByteStringRoundTrips)
{
    const std::pair<QByteArray, bool> cases[] = { { "caf\xc3\xa9 \xf0\x9f\x93\x81 \xef\xbb\xbf", true },
        { "\xf0\x90\x82\x80\xe9", false }, { "\xe2\x82", false }, { "\xf0\x9f\x93x", false },
        { "\xc0\xaf", false }, { "\xe0\x80\xaf", false }, { "\xed\xa0\x80", false },
        { "\xf4\x90\x80\x80", false }, { "\x80\xbf\xc0\xc1\xc2\xe0\xf0\xf5\xff", false } };
    for (const auto& [bytes, utf8] : cases) {
        const QString text = files::fromNative(bytes);
        EXPECT_TRUE(files::nativePath(text) == bytes && files::hasRawBytes(text) == !utf8
            && (text == QString::fromUtf8(bytes)) == utf8)
            << bytes.toHex().constData();
    }
    EXPECT_EQ(files::fromNative("caf\xe9"), QString::fromUtf16(u"caf\xdce9"));
}

// Every match in name order with its size and folder bit; a closing separator, the bare root and
// wildcards before the last part find nothing.
TEST_F(FileApi, SearchFindsWhatWindowsFindsAndCloses)
{
    writeBytes(path("b.ico"), "12345");
    writeBytes(path("A.ICO"), "1");
    writeBytes(path("c.exe"), "");
    ASSERT_TRUE(QDir().mkdir(path("Sub")));
    WIN32_FIND_DATAA data;
    const HANDLE h = FindFirstFileA(path("*"), &data);
    QStringList found;
    do
        found
            << QString("%1 %2 %3").arg(data.cFileName).arg(data.nFileSizeLow).arg(data.dwFileAttributes & 16);
    while (FindNextFileA(h, &data));
    EXPECT_EQ(found, QStringList({ ". 0 16", ".. 0 16", "A.ICO 1 0", "b.ico 5 0", "c.exe 0 0", "Sub 0 16" }));
    EXPECT_EQ(files::openSearchCount(), 1u);
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h) || FindNextFileA(h, &data) || FindClose(INVALID_HANDLE_VALUE));
    const QString d = dir.path();
    const std::pair<QString, QString> cases[]
        = { { path("B.ICO"), "b.ico" }, { path("*.ico"), "A.ICO" }, { path("?.EXE"), "c.exe" },
              { path("sub"), "Sub" }, { d, QFileInfo(d).fileName() }, { path("*.dll"), "" }, { d + u'/', "" },
              { "/", "" }, { "", "" }, { path("S*/x"), "" }, { path("SUB/../b.ico"), "b.ico" } };
    for (const auto& [pattern, first] : cases) {
        const HANDLE one = FindFirstFileA(pattern, &data);
        EXPECT_EQ(one == INVALID_HANDLE_VALUE ? QString() : data.cFileName, first) << pattern.toStdString();
        FindClose(one);
    }
    EXPECT_EQ(files::openSearchCount(), 0u);
}

// Exact names win; among names that differ only in case, byte order decides;
// missing parts stay as written from the first one on.
TEST_F(FileApi, ResolvePathCaseFindsEachMissingPart)
{
    ASSERT_TRUE(QDir().mkpath(path("Icons/Alt")));
    for (const char* name : { "desktop.ini", "DESKTOP.INI", "Bild.ico" })
        writeBytes(path("Icons/Alt/") + name, "");
    // The last row is relative: it resolves in the current folder.
    const QString d = dir.path(), old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path("Icons")));
    const std::pair<QString, QString> cases[] = { { d + "/icons/ALT/bild.ICO", d + "/Icons/Alt/Bild.ico" },
        { d + "/ICONS/alt/", d + "/Icons/Alt/" },
        { d + "/Icons/Alt/desktop.ini", d + "/Icons/Alt/desktop.ini" },
        { d + "/Icons/Alt/Desktop.ini", d + "/Icons/Alt/DESKTOP.INI" },
        { d + "/icons/Neu/bild.ico", d + "/Icons/Neu/bild.ico" },
        { d + "/ICONS//alt/./BILD.ICO", d + "/Icons//Alt/./Bild.ico" }, { "", "" },
        { "alt/bild.ico", "Alt/Bild.ico" } };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ResolvePathCase(in), out) << in.toStdString();
    QDir::setCurrent(old);
}

QString windowsDirectory(UINT size = 255)
{
    QString buffer = "untouched";
    const UINT n = GetWindowsDirectoryA(buffer, size);
    return QStringLiteral("%1 %2").arg(n).arg(buffer);
}

// The override without closing separators, else the data folder; created when missing. A
// buffer too small gets the size needed, with room for the NUL, and is left alone.
TEST_F(FileApi, WindowsDirectory)
{
    const EnvGuard home("HOME", path("home"));
    const QString inHome = path("home/.local/share/quillmark"), named = path("win dir");
    const std::tuple<QString, QString, QString> cases[]
        = { { path("win dir//"), QString(), named }, { QString(), path("data"), path("data/quillmark") },
              { QString(), QString(), inHome }, { QString(), "relative/data", inHome } };
    for (const auto& [windows, data, expected] : cases) {
        const EnvGuard w("QUILLMARK_WINDOWS_DIR", windows), x("XDG_DATA_HOME", data);
        EXPECT_EQ(windowsDirectory(), QStringLiteral("%1 %2").arg(expected.size()).arg(expected));
        EXPECT_TRUE(QFileInfo(expected).isDir());
    }
    const EnvGuard windows("QUILLMARK_WINDOWS_DIR", named);
    EXPECT_EQ(windowsDirectory(UINT(named.size())), QStringLiteral("%1 untouched").arg(named.size() + 1));
    writeBytes(path("file"), "");
    const EnvGuard blocked("QUILLMARK_WINDOWS_DIR", path("file/sub"));
    EXPECT_EQ(windowsDirectory(), "0 untouched");
}

// As testparm reads the configuration: file shares count, printer shares do not, and per-user
// paths count as the folder's owner reaches them.
TEST(SambaShares, FileSharesOnlyAndTheInnermostHolds)
{
    if (QStandardPaths::findExecutable("testparm").isEmpty())
        GTEST_SKIP() << "testparm (samba) is not installed";
    QTemporaryDir tmp;
    const QString daten = tmp.filePath("daten"), spool = tmp.filePath("spool");
    ASSERT_TRUE(QDir().mkpath(daten + "/Projekte") && QDir().mkpath(spool));
    ASSERT_TRUE(QFile::link(daten, tmp.filePath("verweis")));
    writeBytes(tmp.filePath("smb.conf"),
        QString("[global]\n[daten]\npath = %1\n[projekte]\npath = %2/Projekte\n[printers]\npath = %3\n"
                "printable = yes\n[spool2]\nprint ok = yes\npath = %3\n[privat]\npath = %4/%U-%S\n[homes]\n")
            .arg(tmp.filePath("verweis"), daten, spool, tmp.path())
            .toUtf8());
    const EnvGuard conf("QUILLMARK_SMB_CONF", tmp.filePath("smb.conf"));
    const QStringList shares = files::sambaSharePaths(daten);
    const QString me = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    EXPECT_EQ(shares.mid(0, 3), QStringList({ daten, daten + "/Projekte", tmp.filePath(me + "-privat") }));
    EXPECT_TRUE(shares.contains(QDir(QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_dir)).canonicalPath()))
        << "[homes]";
    EXPECT_FALSE(files::sambaSharePaths().contains(tmp.filePath(me + "-privat"))) << "no owner, no per-user path";
    EXPECT_EQ(files::sambaShareHolding(daten + "/Projekte/a", shares), daten + "/Projekte");
    EXPECT_EQ(files::sambaShareHolding(daten + "x", shares), "");
}

// Samba matches each pattern of veto files against the whole name.
TEST(SambaShares, VetoFilesPatternsMatchWholeNames)
{
    const struct {
        const char* list;
        bool vetoed;
    } cases[] = {
        { "/Desktop/", false }, { "/esktop.ini/", false }, { "/*.tmp/Desktop.ini.bak/", false }, { "", false },
        { "/*.tmp/DESKTOP.INI/", true }, { "/Desk*/", true }, { "/desktop.in?/", true }, { "/x/*/", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        const QList<files::SambaShare> shares = files::sharesOfTestparmOutput(
            QByteArray("[global]\n\tmap hidden = yes\n[s]\n\tpath = /srv\n\tveto files = ") + c.list + "\n");
        ASSERT_EQ(shares.size(), 1);
        EXPECT_EQ(shares[0].vetoes("Desktop.ini"), c.vetoed);
        EXPECT_TRUE(shares[0].mapHidden) << "[global]'s settings hold for the share";
    }
}

// Inside an opened folder the calls stay with the folder opened, though another takes its
// name meanwhile, and find its entries in any case.
TEST_F(FileApi, CallsInAnOpenedFolderStayWithIt)
{
    ASSERT_TRUE(QDir().mkdir(path("A")));
    writeBytes(path("A/desktop.ini"), "old");
    {
        const files::OpenedFolder opened(path("A"));
        ASSERT_EQ(::rename(qPrintable(path("A")), qPrintable(path("B"))), 0);
        ASSERT_TRUE(QDir().mkdir(path("A")));
        EXPECT_EQ(ResolvePathCase(path("A/DESKTOP.INI")), path("A/desktop.ini"));
        ASSERT_TRUE(CopyFileA(path("B/desktop.ini"), path("A/Desktop.ico"), 0));
        ASSERT_TRUE(SetFileAttributesA(path("A"), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_EQ(entries(path("A")), QStringList());
    EXPECT_EQ(readBytes(path("B/Desktop.ico")), "old");
    EXPECT_EQ(GetFileAttributesA(path("B")), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
}

// Through an opened folder a name whose case changed is found again once the
// folder changed, and a file nobody may write reads as read-only.
TEST_F(FileApi, AnOpenedFolderSeesItsOwnChanges)
{
    ASSERT_TRUE(QDir().mkdir(path("A")));
    writeBytes(path("A/desktop.ini"), "x");
    const files::OpenedFolder opened(path("A"));
    EXPECT_EQ(ResolvePathCase(path("A/DESKTOP.INI")), path("A/desktop.ini"));
    ASSERT_EQ(::rename(qPrintable(path("A/desktop.ini")), qPrintable(path("A/Desktop.INI"))), 0);
    EXPECT_EQ(ResolvePathCase(path("A/DESKTOP.INI")), path("A/Desktop.INI"));
    ASSERT_EQ(::chmod(qPrintable(path("A/Desktop.INI")), 0444), 0);
    EXPECT_EQ(GetFileAttributesA(path("A/desktop.ini")), DWORD(FILE_ATTRIBUTE_READONLY));
}

// A walk's next step: a folder below, never a link, a file or a folder on
// another file system (/proc under /). Each gives its descriptor back.
TEST_F(FileApi, AFolderBelowIsOpenedThroughItsParent)
{
    ASSERT_TRUE(QDir().mkdir(path("A")) && QDir().mkdir(path("A/B")));
    writeBytes(path("A/f"), "x");
    ASSERT_EQ(::symlink(qPrintable(path("A/B")), qPrintable(path("A/L"))), 0);
    int error = 0;
    const auto a = files::openFolder(path("A"), error);
    ASSERT_TRUE(a);
    const auto root = files::openFolder("/", error);
    ASSERT_TRUE(root);
    const std::tuple<files::FolderHandle*, QString, int> rows[]
        = { { a.get(), "B", 0 }, { a.get(), "L", ENOTDIR }, { a.get(), "f", ENOTDIR }, { root.get(), "proc", EXDEV } };
    const auto lowestFree = [] {
        const int fd = ::open("/", O_PATH | O_CLOEXEC);
        ::close(fd);
        return fd;
    };
    const int lowest = lowestFree();
    for (const auto& [parent, name, expected] : rows) {
        SCOPED_TRACE(name.toStdString());
        const auto child = parent->child(name, error);
        EXPECT_EQ(child ? 0 : error, expected);
        if (child) {
            EXPECT_EQ(child->name(), path("A/B"));
        }
    }
    EXPECT_EQ(lowestFree(), lowest);
}

// A file this user may not read is there all the same, and its read says so;
// the same file through a link reads as missing.
TEST_F(FileApi, AnOpenedFolderTellsAnUnreadableFileFromAMissingOne)
{
    writeBytes(path("secret"), "x");
    setMode(path("secret"), 0);
    ASSERT_EQ(::symlink("secret", qPrintable(path("link"))), 0);
    setMode(dir.path(), 0755);
    const auto reads = [&] {
        int error = 0;
        const auto folder = files::openFolder(dir.path(), error);
        QByteArray bytes;
        return folder && folder->read("secret", bytes, 10) == EACCES && folder->read("link", bytes, 10) == ENOENT;
    };
    // Root reads anything: the reader is nobody then.
    EXPECT_TRUE(::geteuid() == 0 ? asNobody(reads) : reads());
}

} // namespace
