// IniRead, IniWrite and IniDeleteKey as the wizard uses them.
#include "store/IniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("Desktop.ini"));
    }
    QByteArray bytes() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void put(const QByteArray& content) const
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QTemporaryDir dir;
    QString file;
};

TEST_F(IniFiles, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(IniRead(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("Infotip")), QString());
    put("[.ShellClassInfo]\r\nIconIndex=3\r\n");
    EXPECT_EQ(IniRead(file, QStringLiteral("Other"), QStringLiteral("IconIndex")), QString());
    EXPECT_EQ(IniRead(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("IconFile")), QString());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none.ini"))));
}

TEST_F(IniFiles, WrittenAsInfoTipReadAsInfotip)
{
    EXPECT_NE(IniWrite(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("InfoTip"),
                  QStringLiteral("Urlaub 2024")),
        0);
    EXPECT_EQ(IniRead(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("Infotip")),
        QStringLiteral("Urlaub 2024"));
    // The next run overwrites the same entry, whatever its spelling in the file.
    put("[.ShellClassInfo]\r\nINFOTIP=alt\r\n");
    IniWrite(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("InfoTip"), QStringLiteral("neu"));
    EXPECT_EQ(bytes(), QByteArray("[.ShellClassInfo]\r\nINFOTIP=neu\r\n"));
}

TEST_F(IniFiles, EmptyValueKeepsTheKey)
{
    IniWrite(file, QStringLiteral("Filename"), QStringLiteral("01"), QString());
    EXPECT_EQ(bytes(), QByteArray("[Filename]\r\n01=\r\n"));
    EXPECT_EQ(IniRead(file, QStringLiteral("Filename"), QStringLiteral("01")), QString());
}

TEST_F(IniFiles, NewKeysFollowTheKeysAlreadyThereAndOtherSectionsStay)
{
    put("[.ShellClassInfo]\r\nCLSID={x}\r\nInfoTip=t\r\n[Other]\r\nA=1\r\n");
    IniWrite(
        file, QStringLiteral(".ShellClassInfo"), QStringLiteral("IconFile"), QStringLiteral("/icons/a.ico"));
    IniWrite(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("IconIndex"), QStringLiteral("4"));
    IniWrite(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("InfoTip"), QStringLiteral("u"));
    EXPECT_EQ(bytes(),
        QByteArray("[.ShellClassInfo]\r\nCLSID={x}\r\nInfoTip=u\r\nIconFile=/icons/a.ico\r\nIconIndex=4\r\n"
                   "[Other]\r\nA=1\r\n"));
}

TEST_F(IniFiles, ReadsAtMost254Characters)
{
    const QString value(300, u'v');
    IniWrite(file, QStringLiteral("S"), QStringLiteral("k"), value);
    EXPECT_EQ(IniRead(file, QStringLiteral("S"), QStringLiteral("k")), value.left(254));
    IniWrite(file, QStringLiteral("S"), QStringLiteral("j"), value.left(254));
    EXPECT_EQ(IniRead(file, QStringLiteral("S"), QStringLiteral("j")).size(), 254);
}

TEST_F(IniFiles, DeleteKeyRemovesOnlyThatKey)
{
    put("[.ShellClassInfo]\r\nInfoTip=t\r\nIconFile=f\r\nIconIndex=0\r\n");
    IniDeleteKey(file, QStringLiteral(".shellclassinfo"), QStringLiteral("iconfile"));
    EXPECT_EQ(bytes(), QByteArray("[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=0\r\n"));
    IniDeleteKey(file, QStringLiteral(".ShellClassInfo"), QStringLiteral("IconFile"));
    IniDeleteKey(file, QStringLiteral("Missing"), QStringLiteral("IconFile"));
    EXPECT_EQ(bytes(), QByteArray("[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=0\r\n"));
    const QString none = dir.filePath(QStringLiteral("none.ini"));
    IniDeleteKey(none, QStringLiteral("S"), QStringLiteral("k"));
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(IniFiles, WriteIntoMissingFolderGivesZero)
{
    EXPECT_EQ(IniWrite(dir.filePath(QStringLiteral("no/Desktop.ini")), QStringLiteral("S"),
                  QStringLiteral("k"), QStringLiteral("v")),
        0);
}

} // namespace
