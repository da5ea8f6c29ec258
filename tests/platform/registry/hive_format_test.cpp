// The hive file: what the store writes and reads back, which lines it takes
// for keys and values, and that it keeps every other line as it was.
#include "platform/registry/hive_document.h"
#include "platform/registry/hive_text.h"
#include "tests/platform/registry/hive_test_support.h"

#include <tuple>

namespace {

const auto sz = [](const char* text) { return QByteArray(text) + '\0'; };

// Every kind of value the store writes, and its line as regedit exports it.
const std::tuple<const char*, DWORD, QByteArray, QByteArray> kValues[] = {
    { "", REG_SZ, sz("Standard"), "@=\"Standard\"" },
    { "Text", REG_SZ, sz("Gr\xFC\xDF\x65 \"zitiert\" C:\\Pfad \x80"),
        "\"Text\"=\"Gr\xC3\xBC\xC3\x9F\x65 \\\"zitiert\\\" C:\\\\Pfad \xE2\x82\xAC\"" },
    { "Quote\"d\\name", REG_SZ, sz("x"), "\"Quote\\\"d\\\\name\"=\"x\"" },
    { "Empty", REG_SZ, sz(""), "\"Empty\"=\"\"" },
    { "Number", REG_DWORD, QByteArray("\x0a\0\0\0", 4), "\"Number\"=dword:0000000a" },
    { "Negative", REG_DWORD, "\xff\xff\xff\xff", "\"Negative\"=dword:ffffffff" },
    { "Binary", REG_BINARY, QByteArray("\x00\x01\x7f\x80\xff", 5), "\"Binary\"=hex:00,01,7f,80,ff" },
    { "Quad", REG_QWORD, QByteArray("\x01\0\0\0\0\0\0\0", 8), "\"Quad\"=hex(b):01,00,00,00,00,00,00,00" },
    { "None", REG_NONE, QByteArray(), "\"None\"=hex(0):" },
    { "Odd text", REG_SZ, "ab", "\"Odd text\"=hex(1):61,62" },
    { "Lines", REG_SZ, QByteArray("a\nb\0", 4), "\"Lines\"=hex(1):61,0a,62,00" },
    { "Short dword", REG_DWORD, "\x01\x02", "\"Short dword\"=hex(4):01,02" },
    { "Long", REG_BINARY,
        QByteArray::fromHex(
            "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f2021222324252627"),
        "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
        "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27" },
};

class HiveFormat : public hive_test::HiveTest { };

// Written as regedit exports it, and read back as it was.
TEST_F(HiveFormat, EveryKindOfValueRoundTrips)
{
    QByteArray sample = "REGEDIT4\n\n[HKEY_CURRENT_USER]\n";
    for (const auto& [name, type, data, line] : kValues) {
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, name, 0, type, data), ERROR_SUCCESS) << name;
        sample += line + '\n';
    }
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).toStdString(), (sample + '\n').toStdString());
    for (const auto& [name, type, data, line] : kValues) {
        DWORD typeRead = 99;
        EXPECT_EQ(query(HKEY_CURRENT_USER, name, &typeRead), data) << name;
        EXPECT_EQ(typeRead, type) << name;
    }
}

// Hand-edited and damaged lines: what the store understands it uses, the first of
// duplicates wins, and every other line stays byte for byte.
TEST_F(HiveFormat, HandEditedHivesKeepEveryLine)
{
    const QByteArray text
        = "REGEDIT4\r\n\r\n   [ HKEY_CURRENT_USER\\Good ]  \r\n\"A\" = \"x\"  \r\n"
          "\"Bin\"=hex:01,02,\\\r\n      03,04\r\n\"Big\"=DWORD:0000FFFF\r\n\"Two\"=hex(7):6,7\r\n"
          "\"v\"=\"1\"\n\"V\"=\"2\"\n; a comment\ngarbage\nbinary "
        + QByteArray("\0\x01\xff\xfe", 4) + "\n\xc3\x28 invalid UTF-8\n\"Broken\"=\"unterminated\n"
        + "\"Trunc\"=hex:01,02,\\\n\n[HKEY_CURRENT_USER\\Soft\n\"Hidden\"=\"under a broken key line\"\n"
          "[HKEY_LOCAL_MACHINE\\Foreign]\n\"Other\"=\"root\"\n[HKEY_CURRENT_USER\\good]\n\"w\"=\"3\"\n"
          "[HKEY_CURRENT_USER\\Last]\n\"Cut\"=hex:01,\\";
    writeHive(HKEY_CURRENT_USER, text);
    for (const char* path : { "Soft", "Foreign" })
        EXPECT_EQ(openStatus(HKEY_CURRENT_USER, path), ERROR_FILE_NOT_FOUND) << path;
    EXPECT_EQ(query(HKEY_CURRENT_USER, "Hidden"), "<missing>");
    HKEY key = open(HKEY_CURRENT_USER, "Last");
    EXPECT_EQ(query(key, "Cut"), "<missing>");
    RegCloseKey(key);
    key = open(HKEY_CURRENT_USER, "good");
    const std::pair<const char*, QByteArray> values[]
        = { { "A", QByteArray("x\0", 2) }, { "Bin", "\x01\x02\x03\x04" },
              { "Big", QByteArray("\xff\xff\0\0", 4) }, { "Two", "\x06\x07" }, { "V", QByteArray("1\0", 2) },
              { "W", QByteArray("3\0", 2) }, { "Broken", "<missing>" }, { "Trunc", "<missing>" } };
    for (const auto& [name, data] : values)
        EXPECT_EQ(query(key, name), data) << name;
    EXPECT_EQ(RegSetValueExA(key, "w", 0, REG_SZ, QByteArray("4\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_SZ, QByteArray("5\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "New", 0, REG_DWORD, QByteArray("\x01\0\0\0", 4)), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        QByteArray(text)
            .replace("\"v\"=\"1\"\n\"V\"=\"2\"\n", "\"v\"=\"5\"\n\"V\"=\"2\"\n\"New\"=dword:00000001\n")
            .replace("\"w\"=\"3\"", "\"w\"=\"4\""));
}

// Every prefix of a good hive, as a crash in another program could leave it, and files that
// are no hive at all: changes go after all that was there, which stays byte for byte.
TEST_F(HiveFormat, DamagedOrTruncatedHivesStayAsTheyWere)
{
    const QByteArray good
        = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n;class=1\n@=\"d\"\n\"B\"=hex:01,02,\\\n  03\n"
          "\"C\"=dword:0000000a\n\n[HKEY_CURRENT_USER\\A\\B]\n\"T\"=\"x\\\\y\"\n\n";
    for (qsizetype n = 0; n <= good.size(); ++n) {
        Hive::Document doc = Hive::Document::parse(good.left(n), "HKEY_CURRENT_USER");
        EXPECT_EQ(doc.serialize(), good.left(n)) << n;
        const Hive::Document before = doc;
        if (doc.setValue("A", "New", 4, QByteArray(4, '\0')) || doc.createKey("Z", "1")) {
            const Hive::Document after = Hive::Document::parse(doc.serialize(), "HKEY_CURRENT_USER");
            EXPECT_TRUE(after.holdsEverythingOf(before, "A", "New")) << n;
        }
    }
    const QByteArray texts[] = { "", "\n\n", "[HKEY_CURRENT_USER\\X]", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft",
        QByteArray::fromHex("7f454c4602010000") + "\n" + QByteArray(1, '\0') + "[" };
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        writeHive(HKEY_CURRENT_USER, text);
        ASSERT_EQ(create(HKEY_CURRENT_USER, "Z"), ERROR_SUCCESS);
        const QByteArray after = hiveText(HKEY_CURRENT_USER);
        EXPECT_TRUE(after.startsWith(text.isEmpty() ? QByteArray("REGEDIT4\n\n") : text));
        EXPECT_TRUE(after.endsWith("\n[HKEY_CURRENT_USER\\Z]\n;class=1\n\n"));
    }
    // A UTF-16 export is never rewritten.
    const QByteArray utf16("\xff\xfeW\0i\0n\0\n\0", 10);
    writeHive(HKEY_CURRENT_USER, utf16);
    EXPECT_EQ(create(HKEY_CURRENT_USER, "Z"), ERROR_BADDB);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), utf16);
}

TEST(HiveText, LinesItDoesNotUnderstandAreNoValues)
{
    for (const char* line :
        { "\"a\"=\"unterminated", "\"a\"=\"bad \\n escape\"", "\"a\"=\"x\" trailing", "\"a\"=dword:123456789",
            "\"a\"=dword:", "\"a\"=dword:0x12", "\"a\"=dword:-1", "\"a\"=hex:1,,2", "\"a\"=hex:123",
            "\"a\"=hex:01,", "\"a\"=hex(zz):00", "\"a\"=hex(2:00", "\"a\"=hex(123456789):00", "\"a\"=-",
            "a=\"b\"", "\"a\"", "\"a\"=\"x\xff\"", "\"a\"=str(2):\"x\"", "@", "\"a\"=hex:01,02,\\" })
        EXPECT_FALSE(HiveText::parseValue(line).has_value()) << line;
}

// The last guard before a write: a document that lost anything of the hive as read.
TEST(HiveDocument, NoticesAnythingLost)
{
    const QByteArray old
        = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n;class=1\n\"x\"=\"1\"\n\"y\"=\"2\"\n; note\n\n"
          "[HKEY_CURRENT_USER\\Broken\n";
    const auto doc = [](const QByteArray& text) { return Hive::Document::parse(text, "HKEY_CURRENT_USER"); };
    // A line replaced in the old text, the value that may change, whether all else is still held.
    const std::tuple<const char*, const char*, const char*, bool> cases[]
        = { { "\"x\"=\"1\"", "\"x\"=\"9\"", "X", true }, { "\"x\"=\"1\"", "\"x\"=\"9\"", "y", false },
              { "\"y\"=\"2\"\n", "", "x", false }, { "; note\n", "", "x", false },
              { ";class=1\n", "", "x", false }, { "\\A]", "\\B]", "x", false },
              { "REGEDIT4\n", "", "x", false }, { "[HKEY_CURRENT_USER\\Broken\n", "", "x", false } };
    for (const auto& [from, to, name, holds] : cases)
        EXPECT_EQ(doc(QByteArray(old).replace(from, to)).holdsEverythingOf(doc(old), "a", name), holds)
            << from << " -> " << to << ", " << name;
    // A key made in the document takes values at once.
    Hive::Document made = doc("");
    EXPECT_TRUE(made.createKey("A\\B", "1") && made.setValue("A\\B", "v", REG_SZ, "x"));
}

} // namespace
