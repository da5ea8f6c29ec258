// IniRead, IniWrite and IniDeleteKey as the wizard uses them.
#include "store/IniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string read(const QString& section, const QString& key) const
    {
        return IniRead(file, section, key).toStdString();
    }
    std::string bytes() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
    }
    void put(const QByteArray& content) const
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("Desktop.ini");
};

// Missing file, section or key all read as empty: the wizard's default.
TEST_F(IniFiles, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(read(".ShellClassInfo", "Infotip"), "");
    put("[.ShellClassInfo]\r\nIconIndex=3\r\n");
    EXPECT_EQ(read("Other", "IconIndex"), "");
    EXPECT_EQ(read(".ShellClassInfo", "IconFile"), "");
}

// The next run overwrites the same entry, whatever its spelling in the file.
TEST_F(IniFiles, WrittenAsInfoTipReadAsInfotip)
{
    EXPECT_NE(IniWrite(file, ".ShellClassInfo", "InfoTip", "Urlaub 2024"), 0);
    EXPECT_EQ(read(".ShellClassInfo", "Infotip"), "Urlaub 2024");
    put("[.ShellClassInfo]\r\nINFOTIP=alt\r\n");
    IniWrite(file, ".ShellClassInfo", "InfoTip", "neu");
    EXPECT_EQ(bytes(), "[.ShellClassInfo]\r\nINFOTIP=neu\r\n");
}

// An empty value is a value, not a removal.
TEST_F(IniFiles, EmptyValueKeepsTheKey)
{
    IniWrite(file, "Filename", "01", QString());
    EXPECT_EQ(bytes(), "[Filename]\r\n01=\r\n");
    EXPECT_EQ(read("Filename", "01"), "");
}

TEST_F(IniFiles, ReadsAtMost254Characters)
{
    const QString value(300, u'v');
    IniWrite(file, "S", "k", value);
    EXPECT_EQ(read("S", "k"), value.left(254).toStdString());
}

TEST_F(IniFiles, DeleteKeyRemovesOnlyThatKey)
{
    put("[.ShellClassInfo]\r\nInfoTip=t\r\nIconFile=f\r\nIconIndex=0\r\n");
    IniDeleteKey(file, ".shellclassinfo", "iconfile");
    EXPECT_EQ(bytes(), "[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=0\r\n");
    const QString none = dir.filePath("none.ini");
    IniDeleteKey(none, "S", "k");
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(IniFiles, WriteIntoMissingFolderGivesZero)
{
    EXPECT_EQ(IniWrite(dir.filePath("no/Desktop.ini"), "S", "k", "v"), 0);
}

} // namespace
