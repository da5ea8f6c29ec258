// SPDX-License-Identifier: GPL-3.0-or-later
// The program's four registry operations and its settings-file operations, as the wizard
// sees them.
#include "platform/files/ansi_codepage.h"
#include "store/IniFiles.h"
#include "store/Registry.h"
#include "tests/platform/registry/hive_test_support.h"

#include <tuple>

namespace {

class RegistryStore : public hive_test::HiveTest { };

// Values go only into keys made before, and a key is made only once; texts go in the ANSI code page
// and numbers as dwords, and only what the program can use reads back.
TEST_F(RegistryStore, WritesAndReadsTextsInTheAnsiCodePageAndNumbersAsDwords)
{
    EXPECT_FALSE(RegValueWrite(HKEY_CURRENT_USER, "K", "Text", QString("x")));
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), "<missing>");
    ASSERT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, "K", "1"));
    EXPECT_FALSE(RegKeyCreate(HKEY_CURRENT_USER, "k", "2"));
    // The name and value written, its type and bytes in the registry, and what reads back.
    const std::tuple<QString, RegValue, DWORD, QByteArray, RegValue> cases[] = {
        { "Text", QString(u"Grüße €Ω"_qs), REG_SZ, QByteArray("Gr\xfc\xdf\x65 \x80?") + '\0',
            QString(u"Grüße €?"_qs) },
        { "Empty", QString(), REG_SZ, QByteArray(1, '\0'), QString("") },
        { "Minus", -2, REG_DWORD, QByteArray("\xfe\xff\xff\xff", 4), -2 },
        { u"Ωmega"_qs, 1, REG_DWORD, QByteArray("\x01\0\0\0", 4), 1 },
    };
    const HKEY key = open(HKEY_CURRENT_USER, "K", 0x19);
    for (const auto& [name, value, type, data, readBack] : cases) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(RegValueWrite(HKEY_CURRENT_USER, "K", name, value));
        DWORD typeWritten = 0;
        EXPECT_EQ(query(key, files::foldAnsi(name), &typeWritten), data);
        EXPECT_EQ(typeWritten, type);
        RegValue back = QString("kept");
        EXPECT_TRUE(RegValueRead(HKEY_CURRENT_USER, "K", name, back));
        EXPECT_EQ(back, readBack);
    }
    RegCloseKey(key);
    // Key names are folded too.
    EXPECT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, u"K\\Ωhm"_qs, "1"));
    EXPECT_TRUE(hiveText(HKEY_CURRENT_USER).contains("[HKEY_CURRENT_USER\\K\\?hm]\n"));
    writeHive(HKEY_CURRENT_USER,
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"Short\"=hex(4):01,02\n\"Too long\"=hex(4):01,02,03,04,05\n"
        "\"Expand\"=hex(2):61,00\n\"Zero inside\"=hex(1):61,62,00,63,64,00\n\"No zero\"=hex(1):61,62,63\n"
        "\"Ansi\"=hex(1):80,e4,00\n\n");
    // Hand-edited values: the key and value read, the result, and what "kept" holds afterwards.
    const std::tuple<const char*, const char*, bool, RegValue> reads[]
        = { { "K", "Short", true, 0x0201 }, { "K", "Too long", false, QString("kept") },
              { "K", "Expand", true, QString("kept") }, { "K", "Zero inside", true, QString("ab") },
              { "K", "No zero", true, QString("abc") }, { "K", "Ansi", true, QString(u"€ä"_qs) },
              { "K", "Missing", false, QString("kept") }, { "Missing", "Short", false, QString("kept") } };
    for (const auto& [path, name, result, expected] : reads) {
        RegValue value = QString("kept");
        EXPECT_EQ(RegValueRead(HKEY_CURRENT_USER, path, name, value), result) << name;
        EXPECT_EQ(value, expected) << name;
    }
}

// A read gives at most 254 characters; failing writes are the profile calls' tests.
TEST(IniFiles, ReadWriteAndDeleteAsTheWizardUsesThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Desktop.ini");
    EXPECT_TRUE(IniWrite(file, "S", "k", QString(300, 'v')) && IniWrite(file, "S", "empty", QString()));
    EXPECT_EQ(IniRead(file, "S", "k"), QString(254, 'v'));
    IniDeleteKey(file, "S", "k");
    EXPECT_EQ(testutil::readBytes(file), "[S]\r\nempty=\r\n");
}

} // namespace
