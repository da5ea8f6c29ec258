// The profile functions on disk: buffers and results as on Windows, the
// fixtures' bytes kept, and the files a write must refuse.
#include "platform/files/file_attributes.h"
#include "platform/files/profile.h"

#include "files_test_util.h"

using namespace testutil;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(QM_TEST_DATA "/ini/") + QLatin1String(name);
}

class Profile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    static BOOL write(const QString& file, const char* section, const char* key, const QString& value)
    {
        return WritePrivateProfileStringA(QString::fromUtf8(section), QString::fromUtf8(key), &value, file);
    }
    static QString read(const QString& file, const char* section, const char* key, DWORD size = 255)
    {
        QString buffer;
        const DWORD n = GetPrivateProfileStringA(
            QString::fromUtf8(section), QString::fromUtf8(key), QStringLiteral("dflt  "), buffer, size, file);
        EXPECT_EQ(qsizetype(n), buffer.size());
        return buffer;
    }
    QTemporaryDir dir;
};

TEST_F(Profile, BufferAndResultFollowWindows)
{
    const QString file = path("a.ini");
    writeBytes(file, "[S]\r\nk=0123456789\r\n");
    EXPECT_EQ(read(file, "S", "k"), QStringLiteral("0123456789"));
    EXPECT_EQ(read(file, "S", "k", 5), QStringLiteral("0123"));
    EXPECT_EQ(read(file, "S", "k", 11), QStringLiteral("0123456789"));
    EXPECT_EQ(read(file, "S", "k", 1), QString());
    EXPECT_EQ(read(file, "S", "k", 0), QString());
    // The default, without its trailing blanks, for anything missing.
    EXPECT_EQ(read(file, "S", "x"), QStringLiteral("dflt"));
    EXPECT_EQ(read(file, "T", "k"), QStringLiteral("dflt"));
    EXPECT_EQ(read(path("missing.ini"), "S", "k"), QStringLiteral("dflt"));
    EXPECT_EQ(read(file, "S", "x", 3), QStringLiteral("df"));
}

TEST_F(Profile, NewFileIsAnsiWithCrLf)
{
    const QString file = path("new.ini");
    ASSERT_TRUE(write(file, "S", "k", QStringLiteral("Grüße €")));
    ASSERT_TRUE(write(file, "S", "j", QString()));
    EXPECT_EQ(readBytes(file),
        QByteArray("[S]\r\nk=Gr\xfc\xdf"
                   "e \x80\r\nj=\r\n"));
    EXPECT_EQ(read(file, "s", "K"), QStringLiteral("Grüße €"));
}

TEST_F(Profile, Utf16FileStaysUtf16AndOnlyTheKeyLineChanges)
{
    const QString file = path("desktop.ini");
    writeBytes(file, readBytes(fixture("utf16le_desktop.ini")));
    ASSERT_TRUE(SetFileAttributesA(file, 34));
    EXPECT_EQ(read(file, ".ShellClassInfo", "infotip"), QStringLiteral("Grüße aus Köln"));

    ASSERT_TRUE(write(file, ".ShellClassInfo", "InfoTip", QStringLiteral("Ärger ☺")));
    const QByteArray before = readBytes(fixture("utf16le_desktop.ini"));
    auto utf16
        = [](const QString& s) { return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2); };
    QByteArray expected = before;
    expected.replace(
        utf16(QStringLiteral("  InfoTip = Grüße aus Köln ")), utf16(QStringLiteral("InfoTip=Ärger ☺")));
    ASSERT_NE(expected, before);
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(GetFileAttributesA(file), 34u);
    EXPECT_EQ(read(file, "ViewState", "FolderType"), QStringLiteral("Pictures"));
}

TEST_F(Profile, JunkCommentsAndOtherSectionsKeptByteForByte)
{
    const QString file = path("junk.ini");
    const QByteArray before = readBytes(fixture("ansi_junk.ini"));
    writeBytes(file, before);
    EXPECT_EQ(read(file, "section a", "name"), QStringLiteral("Straße € 5"));
    EXPECT_EQ(read(file, "Section B", "Last"), QStringLiteral("quoted value"));
    EXPECT_EQ(read(file, "Section A", "orphan line without equals"), QStringLiteral("dflt"));

    ASSERT_TRUE(write(file, "Section A", "Name", QStringLiteral("neu")));
    QByteArray expected = before;
    expected.replace("Name=Stra\xdf"
                     "e \x80 5",
        "Name=neu");
    EXPECT_EQ(readBytes(file), expected);

    // A new key follows the section's last key line, the ";comment=" line
    // included; the unterminated last line gets its line end.
    ASSERT_TRUE(write(file, "Section B", "Add", QStringLiteral("1")));
    EXPECT_EQ(readBytes(file), expected + "\r\nAdd=1\r\n");
}

TEST_F(Profile, Utf8ByteOrderMarkIsNotRecognised)
{
    const QString file = path("bom.ini");
    const QByteArray before = readBytes(fixture("utf8_bom_desktop.ini"));
    writeBytes(file, before);
    EXPECT_EQ(read(file, ".ShellClassInfo", "InfoTip"), QStringLiteral("dflt"));
    EXPECT_EQ(read(file, "Other", "A"), QStringLiteral("1"));
    ASSERT_TRUE(write(file, ".ShellClassInfo", "InfoTip", QStringLiteral("second")));
    EXPECT_EQ(readBytes(file), before + "[.ShellClassInfo]\r\nInfoTip=second\r\n");
}

TEST_F(Profile, RemovingKeys)
{
    const QString file = path("r.ini");
    writeBytes(file, "[S]\r\na=1\r\nk=2\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA(QStringLiteral("s"), QStringLiteral("K"), nullptr, file));
    EXPECT_EQ(readBytes(file), QByteArray("[S]\r\na=1\r\n"));
    EXPECT_TRUE(WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("k"), nullptr, file));
    EXPECT_TRUE(
        WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("k"), nullptr, path("none.ini")));
    EXPECT_FALSE(QFile::exists(path("none.ini")));
    EXPECT_TRUE(
        WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("k"), nullptr, path("no/folder.ini")));
}

TEST_F(Profile, OtherCaseOfTheFileNameEditsTheExistingFile)
{
    writeBytes(path("desktop.ini"), "[.ShellClassInfo]\r\nInfoTip=alt\r\n");
    const QString asWritten = path("Desktop.ini");
    EXPECT_EQ(read(asWritten, ".ShellClassInfo", "Infotip"), QStringLiteral("alt"));
    ASSERT_TRUE(write(asWritten, ".ShellClassInfo", "InfoTip", QStringLiteral("neu")));
    EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("desktop.ini") });
    EXPECT_EQ(readBytes(path("desktop.ini")), QByteArray("[.ShellClassInfo]\r\nInfoTip=neu\r\n"));
}

TEST_F(Profile, SymbolicLinkStaysALink)
{
    ASSERT_TRUE(QDir().mkdir(path("real")));
    const QString target = path("real/settings.ini");
    writeBytes(target, "[S]\r\nk=1\r\n");
    ASSERT_EQ(::symlink("real/settings.ini", path("Desktop.ini").toUtf8().constData()), 0);
    ASSERT_TRUE(write(path("Desktop.ini"), "S", "k", QStringLiteral("2")));
    EXPECT_EQ(QFileInfo(path("Desktop.ini")).symLinkTarget(), target);
    EXPECT_EQ(readBytes(target), QByteArray("[S]\r\nk=2\r\n"));
    EXPECT_EQ(entries(path("real")), QStringList { QStringLiteral("settings.ini") });
}

TEST_F(Profile, WritesThatMustFailLeaveEverythingAlone)
{
    const QByteArray content("[S]\r\nk=1\r\n");
    const QString byBit = path("bit.ini");
    const QString byMode = path("mode.ini");
    writeBytes(byBit, content);
    writeBytes(byMode, content);
    ASSERT_TRUE(SetFileAttributesA(byBit, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ::chmod(byMode.toUtf8().constData(), 0444);
    ASSERT_TRUE(QDir().mkdir(path("Desktop.ini")));
    for (const QString& file : { byBit, byMode }) {
        EXPECT_FALSE(write(file, "S", "k", QStringLiteral("2"))) << file.toStdString();
        EXPECT_FALSE(WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("k"), nullptr, file));
        EXPECT_EQ(readBytes(file), content);
        // Nothing to remove is no change, and no change is no failure.
        EXPECT_TRUE(WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("x"), nullptr, file));
    }
    EXPECT_FALSE(write(path("Desktop.ini"), "S", "k", QStringLiteral("2")));
    EXPECT_EQ(read(path("Desktop.ini"), "S", "k"), QStringLiteral("dflt"));
    EXPECT_FALSE(write(path("missing/x.ini"), "S", "k", QStringLiteral("2")));
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    EXPECT_EQ(entries(dir.path()),
        QStringList(
            { QStringLiteral("Desktop.ini"), QStringLiteral("bit.ini"), QStringLiteral("mode.ini") }));
}

TEST_F(Profile, ReadOnlyFolderDoesNotStopWritesInside)
{
    ASSERT_TRUE(SetFileAttributesA(dir.path(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(write(path("Desktop.ini"), "S", "k", QStringLiteral("v")));
    EXPECT_EQ(read(path("Desktop.ini"), "S", "k"), QStringLiteral("v"));
}

TEST_F(Profile, FolderWeMayNotWriteMakesTheWriteFail)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a part as another user";
    const QString locked = path("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString file = locked + QStringLiteral("/Desktop.ini");
    writeBytes(file, "[S]\r\nk=1\r\n");
    ::chmod(file.toUtf8().constData(), 0666); // the file alone would allow it
    ::chmod(locked.toUtf8().constData(), 0755);
    ::chmod(dir.path().toUtf8().constData(), 0755);
    const int status = inChild([&] {
        const QString v = QStringLiteral("2");
        return ::setuid(kNobody) == 0
            && !WritePrivateProfileStringA(QStringLiteral("S"), QStringLiteral("k"), &v, file)
            && !WritePrivateProfileStringA(
                QStringLiteral("S"), QStringLiteral("k"), &v, locked + QStringLiteral("/new.ini"));
    });
    EXPECT_TRUE(exitedWith(status, 0));
    EXPECT_EQ(readBytes(file), QByteArray("[S]\r\nk=1\r\n"));
    EXPECT_EQ(entries(locked), QStringList { QStringLiteral("Desktop.ini") });
}

} // namespace
