// Names without regard to case: the directory search and the resolution
// that every file operation makes first.
#include "platform/files/case_paths.h"
#include "platform/files/find_file.h"

#include "files_test_util.h"

using namespace testutil;

namespace {

TEST(Wildcard, MatchesLikeWindows)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        { "shell32.dll", "*.dll", true },
        { "SHELL32.DLL", "*.dll", true },
        { "shell32.dll", "*.exe", false },
        { "a.ico", "?.ico", true },
        { "ab.ico", "?.ico", false },
        { "README", "*.*", true }, // "*.*" is every name, also without a dot
        { "x.tar.gz", "*.gz", true },
        { "x.tar.gz", "*tar*", true },
        { "Straße.ico", "STRASSE.ICO", false },
        { "Ärger.ico", "ärger.*", true },
        { "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false },
        { "", "*", true },
        { "abc", "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::matchesWildcard(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.matches)
            << c.name << " ~ " << c.pattern;
}

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writeBytes(dir.filePath(QStringLiteral("b.ico")), "12345");
        writeBytes(dir.filePath(QStringLiteral("A.ICO")), "1");
        writeBytes(dir.filePath(QStringLiteral("c.exe")), "");
        ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("Sub"))));
    }
    QTemporaryDir dir;
};

TEST_F(Search, FindsWhatWindowsFinds)
{
    struct Case {
        QString pattern;
        QString first; // empty: nothing found
    };
    const QString d = dir.path();
    const Case cases[] = {
        { d + QStringLiteral("/b.ico"), QStringLiteral("b.ico") },
        { d + QStringLiteral("/B.ICO"), QStringLiteral("b.ico") },
        { d + QStringLiteral("/*.ico"), QStringLiteral("A.ICO") },
        { d + QStringLiteral("/?.EXE"), QStringLiteral("c.exe") },
        { d + QStringLiteral("/sub"), QStringLiteral("Sub") },
        { d, QFileInfo(d).fileName() },
        { d + QStringLiteral("/*.dll"), QString() },
        { d + QStringLiteral("/missing"), QString() },
        { d + u'/', QString() }, // a closing separator finds nothing
        { d + QStringLiteral("/Sub/"), QString() },
        { QStringLiteral("/"), QString() }, // nor does the bare root
        { QString(), QString() },
        { d + QStringLiteral("/S*/x"), QString() }, // wildcards only in the last part
        { d + QStringLiteral("/SUB/../b.ico"), QStringLiteral("b.ico") },
    };
    for (const Case& c : cases) {
        WIN32_FIND_DATAA data;
        const HANDLE h = FindFirstFileA(c.pattern, &data);
        if (c.first.isEmpty()) {
            EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.pattern.toStdString();
        } else {
            ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.pattern.toStdString();
            EXPECT_EQ(data.cFileName, c.first) << c.pattern.toStdString();
        }
        FindClose(h);
    }
    EXPECT_EQ(files::openSearchCount(), 0u);
}

TEST_F(Search, WalksAllMatchesInNameOrderAndCloses)
{
    WIN32_FIND_DATAA data;
    const HANDLE h = FindFirstFileA(dir.path() + QStringLiteral("/*"), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    QStringList names { data.cFileName };
    QList<DWORD> sizes { data.nFileSizeLow };
    while (FindNextFileA(h, &data)) {
        names << data.cFileName;
        sizes << data.nFileSizeLow;
    }
    EXPECT_EQ(names, QStringList({ ".", "..", "A.ICO", "b.ico", "c.exe", "Sub" }));
    EXPECT_EQ(sizes.mid(2), QList<DWORD>({ 1, 5, 0, 0 }));
    EXPECT_EQ(files::openSearchCount(), 1u);
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h));
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(files::openSearchCount(), 0u);
}

TEST_F(Search, ReportsFolderAttribute)
{
    WIN32_FIND_DATAA data;
    const HANDLE h = FindFirstFileA(dir.path() + QStringLiteral("/SUB"), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);
}

TEST(ResolvePathCase, FindsEachMissingPartIgnoringCase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("Icons/Alt"))));
    writeBytes(dir.filePath(QStringLiteral("Icons/Alt/desktop.ini")), "");
    writeBytes(dir.filePath(QStringLiteral("Icons/Alt/DESKTOP.INI")), "");
    writeBytes(dir.filePath(QStringLiteral("Icons/Alt/Bild.ico")), "");
    const QString d = dir.path();
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        { d + QStringLiteral("/Icons/Alt/Bild.ico"), d + QStringLiteral("/Icons/Alt/Bild.ico") },
        { d + QStringLiteral("/icons/ALT/bild.ICO"), d + QStringLiteral("/Icons/Alt/Bild.ico") },
        { d + QStringLiteral("/ICONS/alt/"), d + QStringLiteral("/Icons/Alt/") },
        // Exact names win; among names that differ only in case, byte order decides.
        { d + QStringLiteral("/Icons/Alt/desktop.ini"), d + QStringLiteral("/Icons/Alt/desktop.ini") },
        { d + QStringLiteral("/Icons/Alt/Desktop.ini"), d + QStringLiteral("/Icons/Alt/DESKTOP.INI") },
        // Missing parts stay as written from the first one on.
        { d + QStringLiteral("/icons/Neu/bild.ico"), d + QStringLiteral("/Icons/Neu/bild.ico") },
        { d + QStringLiteral("/ICONS//alt/./BILD.ICO"), d + QStringLiteral("/Icons//Alt/./Bild.ico") },
        { QString(), QString() },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolvePathCase(c.in), c.out) << c.in.toStdString();
}

TEST(ResolvePathCase, RelativePathsResolveInTheCurrentFolder)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("Settings.INI")), "");
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString got = ResolvePathCase(QStringLiteral("settings.ini"));
    QDir::setCurrent(old);
    EXPECT_EQ(got, QStringLiteral("Settings.INI"));
}

} // namespace
