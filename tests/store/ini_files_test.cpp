// IniRead, IniWrite and IniDeleteKey as the wizard uses them.
#include "store/IniFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<missing>";
}

TEST(IniFiles, ReadWriteAndDeleteAsTheWizardUsesThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Desktop.ini");
    EXPECT_EQ(IniRead(file, ".ShellClassInfo", "Infotip"), "") << "a missing file reads as empty";
    EXPECT_NE(IniWrite(file, ".ShellClassInfo", "InfoTip", "Urlaub"), 0);
    EXPECT_NE(IniWrite(file, ".SHELLCLASSINFO", "INFOTIP", "Urlaub 2024"), 0);
    EXPECT_NE(IniWrite(file, ".ShellClassInfo", "IconFile", QString()), 0) << "an empty value is a value";
    IniWrite(file, ".ShellClassInfo", "IconIndex", QString(300, 'v'));
    EXPECT_EQ(bytesOf(file),
        "[.ShellClassInfo]\r\nInfoTip=Urlaub 2024\r\nIconFile=\r\nIconIndex=" + QByteArray(300, 'v')
            + "\r\n");
    EXPECT_EQ(IniRead(file, ".shellclassinfo", "Infotip"), "Urlaub 2024");
    EXPECT_EQ(IniRead(file, ".ShellClassInfo", "IconIndex"), QString(254, 'v')) << "at most 254 characters";
    EXPECT_EQ(IniRead(file, "Other", "IconIndex"), "");
    EXPECT_EQ(IniRead(file, ".ShellClassInfo", "Missing"), "");

    IniDeleteKey(file, ".shellclassinfo", "iconindex");
    EXPECT_EQ(bytesOf(file), "[.ShellClassInfo]\r\nInfoTip=Urlaub 2024\r\nIconFile=\r\n");
    IniDeleteKey(dir.filePath("none.ini"), "S", "k");
    EXPECT_FALSE(QFile::exists(dir.filePath("none.ini")));
    EXPECT_EQ(IniWrite(dir.filePath("no/Desktop.ini"), "S", "k", "v"), 0) << "a missing folder fails";
}

} // namespace
