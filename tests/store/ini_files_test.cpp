// IniRead, IniWrite and IniDeleteKey as the wizard uses them: a value is read
// through a buffer of 255 characters, and a removal never fails.
#include "store/IniFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(IniFiles, ReadWriteAndDeleteAsTheWizardUsesThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Desktop.ini");
    EXPECT_NE(IniWrite(file, ".ShellClassInfo", "IconIndex", QString(300, 'v')), 0);
    EXPECT_NE(IniWrite(file, ".SHELLCLASSINFO", "INFOTIP", QString()), 0);
    EXPECT_EQ(IniWrite(dir.filePath("no/Desktop.ini"), "S", "k", "v"), 0);
    EXPECT_EQ(IniRead(file, ".shellclassinfo", "IconIndex"), QString(254, 'v'));
    IniDeleteKey(file, ".shellclassinfo", "iconindex");
    IniDeleteKey(dir.filePath("none.ini"), "S", "k");
    EXPECT_EQ(IniRead(file, ".ShellClassInfo", "IconIndex"), "");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "[.ShellClassInfo]\r\nINFOTIP=\r\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("none.ini")));
}
