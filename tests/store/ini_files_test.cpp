// IniRead, IniWrite and IniDeleteKey as the wizard uses them: a value is read
// through a buffer of 255 characters, an empty value is written as one, and a
// removal never fails.
#include "store/IniFiles.h"
#include "tests/support/test_util.h"

TEST(IniFiles, ReadWriteAndDeleteAsTheWizardUsesThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Desktop.ini");
    EXPECT_TRUE(IniWrite(file, "S", "k", QString(300, 'v')) && IniWrite(file, "S", "empty", QString()));
    EXPECT_EQ(IniWrite(dir.filePath("no/Desktop.ini"), "S", "k", "v"), 0);
    EXPECT_EQ(IniRead(file, "S", "k"), QString(254, 'v'));
    IniDeleteKey(file, "S", "k");
    IniDeleteKey(dir.filePath("none.ini"), "S", "k");
    EXPECT_EQ(testutil::readBytes(file), "[S]\r\nempty=\r\n");
    EXPECT_EQ(testutil::entries(dir.path()), QStringList { "Desktop.ini" });
}
