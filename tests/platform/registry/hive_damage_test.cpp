// Hives that are damaged, truncated, binary or hand-edited: what the store
// understands it uses, everything else it keeps, and it never writes back less.
#include "platform/registry/hive_document.h"
#include "tests/platform/registry/hive_test_support.h"

using hive_test::HiveTest;

namespace {

class HiveDamage : public HiveTest {
protected:
    // Sets a value in a key the hive does hold and returns the hive afterwards.
    QByteArray setInGoodKey(LSTATUS expected = ERROR_SUCCESS)
    {
        HKEY key = 0;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Good", 0, 0x3F, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, "New", 0, REG_DWORD, QByteArray("\x01\0\0\0", 4)), expected);
        RegCloseKey(key);
        return hiveText(HKEY_CURRENT_USER);
    }
    bool exists(const QString& path)
    {
        HKEY key = 0;
        const bool ok = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, 0x19, &key) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
};

TEST_F(HiveDamage, KeepsEveryLineItDoesNotUnderstand)
{
    const QByteArray unknown[] = {
        "; a comment",
        "garbage without meaning",
        "binary " + QByteArray::fromHex("0001fffe") + " bytes",
        "\xc3\x28 invalid UTF-8",
        "\"Broken\"=\"unterminated",
        "\"Trunc\"=hex:01,02,\\",
    };
    QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Good]\n\"Old\"=\"1\"\n";
    for (const QByteArray& line : unknown)
        text += line + '\n';
    text += "\n[HKEY_CURRENT_USER\\Soft\n\"Hidden\"=\"under a broken key line\"\n"
            "[HKEY_LOCAL_MACHINE\\Foreign]\n\"Other\"=\"root\"\n"
            "[HKEY_CURRENT_USER\\Last]\n\"Cut\"=hex:01,\\";
    writeHive(HKEY_CURRENT_USER, text);
    EXPECT_TRUE(exists("Good"));
    EXPECT_TRUE(exists("Last"));
    EXPECT_FALSE(exists("Soft"));
    EXPECT_FALSE(exists("Foreign"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "Hidden", nullptr, nullptr, nullptr, &size),
        ERROR_FILE_NOT_FOUND);
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Last", 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Cut", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    QByteArray expected = text;
    expected.replace("\"Old\"=\"1\"\n", "\"Old\"=\"1\"\n\"New\"=dword:00000001\n");
    EXPECT_EQ(setInGoodKey(), expected);
}

TEST_F(HiveDamage, OperationsOnKeysItCannotFindFail)
{
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft");
    EXPECT_FALSE(exists("Soft"));
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Good", 0, 0x3F, &key), ERROR_FILE_NOT_FOUND);
    // A new key is added after the damaged line, which stays.
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Good", 0, "1", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft\n\n[HKEY_CURRENT_USER\\Good]\n;class=1\n\n");
}

TEST_F(HiveDamage, FilesThatAreNoHiveAtAll)
{
    struct Case {
        const char* what;
        QByteArray text;
        LSTATUS create;
    };
    const Case cases[] = {
        { "empty", "", ERROR_SUCCESS },
        { "only blanks", "\n\n", ERROR_SUCCESS },
        { "no header, no newline", "[HKEY_CURRENT_USER\\X]", ERROR_SUCCESS },
        { "binary", QByteArray::fromHex("7f454c4602010000") + "\n" + QByteArray(1, '\0') + "[",
            ERROR_SUCCESS },
        { "UTF-16 export", QByteArray("\xff\xfeW\0i\0n\0\n\0", 10), ERROR_BADDB },
    };
    for (const Case& c : cases) {
        writeHive(HKEY_CURRENT_USER, c.text);
        HKEY key = 0;
        EXPECT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, "Good", 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            c.create)
            << c.what;
        RegCloseKey(key);
        const QByteArray after = hiveText(HKEY_CURRENT_USER);
        if (c.create != ERROR_SUCCESS) {
            EXPECT_EQ(after, c.text) << c.what;
            continue;
        }
        // Whatever was there is still there, byte for byte, ahead of the new key.
        EXPECT_TRUE(after.startsWith(c.text.isEmpty() ? QByteArray("REGEDIT4\n\n") : c.text)) << c.what;
        EXPECT_TRUE(after.endsWith("[HKEY_CURRENT_USER\\Good]\n\n")) << c.what;
        EXPECT_TRUE(exists("Good")) << c.what;
    }
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(HiveDamage, DuplicateKeysAndValuesUseTheFirst)
{
    const QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Good]\n\"v\"=\"1\"\n\"V\"=\"2\"\n\n"
                            "[HKEY_CURRENT_USER\\good]\n\"w\"=\"3\"\n\n";
    writeHive(HKEY_CURRENT_USER, text);
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Good", 0, 0x3F, &key), ERROR_SUCCESS);
    QByteArray data;
    DWORD size = 8;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, &data, &size), ERROR_SUCCESS);
    EXPECT_EQ(data.left(size), QByteArray("1\0", 2));
    size = 8;
    EXPECT_EQ(RegQueryValueExA(key, "W", nullptr, nullptr, &data, &size), ERROR_SUCCESS);
    EXPECT_EQ(data.left(size), QByteArray("3\0", 2));
    EXPECT_EQ(RegSetValueExA(key, "w", 0, REG_SZ, QByteArray("4\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_SZ, QByteArray("5\0", 2)), ERROR_SUCCESS);
    RegCloseKey(key);
    QByteArray expected = text;
    expected.replace("\"v\"=\"1\"", "\"v\"=\"5\"").replace("\"w\"=\"3\"", "\"w\"=\"4\"");
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), expected);
}

// Any prefix of a good hive, as a crash in another program could leave it,
// parses and writes back exactly as it was read.
TEST(HiveDocumentDamage, EveryTruncationRoundTrips)
{
    const QByteArray good
        = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n;class=1\n@=\"d\"\n\"B\"=hex:01,02,\\\n  03\n"
          "\"C\"=dword:0000000a\n\n[HKEY_CURRENT_USER\\A\\B]\n\"T\"=\"x\\\\y\"\n\n";
    for (qsizetype n = 0; n <= good.size(); ++n) {
        const QByteArray cut = good.left(n);
        Hive::Document doc = Hive::Document::parse(cut, "HKEY_CURRENT_USER");
        EXPECT_EQ(doc.serialize(), cut) << n;
        const Hive::Document before = doc;
        if (doc.setValue("A", "New", 4, QByteArray(4, '\0')) || doc.createKey("Z", "1")) {
            const Hive::Document after = Hive::Document::parse(doc.serialize(), "HKEY_CURRENT_USER");
            EXPECT_TRUE(after.holdsEverythingOf(before, "A", "New")) << n;
        }
    }
}

} // namespace
