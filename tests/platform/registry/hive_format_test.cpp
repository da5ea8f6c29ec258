// The hive file: what the store writes, what it reads back, and that it
// keeps whatever it does not understand.
#include "platform/registry/hive_document.h"
#include "platform/registry/hive_text.h"
#include "tests/platform/registry/hive_test_support.h"

using hive_test::HiveTest;

namespace {

const QByteArray kLong = [] {
    QByteArray b;
    for (int i = 0; i < 40; ++i)
        b.append(static_cast<char>(i));
    return b;
}();

// Every kind of value the store writes, as it writes them.
const QByteArray kSample
    = "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Morvane]\n"
      ";class=1\n"
      "@=\"Standard\"\n"
      "\"Text\"=\"Gr\xC3\xBC\xC3\x9F"
      "e \\\"zitiert\\\" C:\\\\Pfad \xE2\x82\xAC\"\n"
      "\"Quote\\\"d\\\\name\"=\"x\"\n"
      "\"Empty\"=\"\"\n"
      "\"Number\"=dword:0000000a\n"
      "\"Negative\"=dword:ffffffff\n"
      "\"Binary\"=hex:00,01,7f,80,ff\n"
      "\"Expand\"=hex(2):25,50,41,54,48,25,00\n"
      "\"Multi\"=hex(7):61,00,62,00,00\n"
      "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"None\"=hex(0):\n"
      "\"Odd text\"=hex(1):61,62\n"
      "\"Lines\"=hex(1):61,0a,62,00\n"
      "\"Short dword\"=hex(4):01,02\n"
      "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
      "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Morvane\\Set Folders]\n"
      ";class=1\n"
      "\"InstallDir\"=\"/opt/quillmark\"\n"
      "\n";

QByteArray sz(const char* text)
{
    return QByteArray(text) + '\0';
}

struct SampleValue {
    const char* name;
    DWORD type;
    QByteArray data;
};

const std::vector<SampleValue> kSampleValues = {
    { "", REG_SZ, sz("Standard") },
    { "Text", REG_SZ,
        sz("Gr\xFC\xDF"
           "e \"zitiert\" C:\\Pfad \x80") },
    { "Quote\"d\\name", REG_SZ, sz("x") },
    { "Empty", REG_SZ, QByteArray(1, '\0') },
    { "Number", REG_DWORD, QByteArray("\x0a\0\0\0", 4) },
    { "Negative", REG_DWORD, QByteArray("\xff\xff\xff\xff", 4) },
    { "Binary", REG_BINARY, QByteArray("\x00\x01\x7f\x80\xff", 5) },
    { "Expand", REG_EXPAND_SZ, QByteArray("%PATH%\0", 7) },
    { "Multi", REG_MULTI_SZ, QByteArray("a\0b\0\0", 5) },
    { "Quad", REG_QWORD, QByteArray("\x01\0\0\0\0\0\0\0", 8) },
    { "None", REG_NONE, QByteArray() },
    { "Odd text", REG_SZ, QByteArray("ab") },
    { "Lines", REG_SZ, QByteArray("a\nb\0", 4) },
    { "Short dword", REG_DWORD, QByteArray("\x01\x02", 2) },
    { "Long", REG_BINARY, kLong },
};

HKEY openKey(const QString& path, DWORD sam = KEY_QUERY_VALUE | KEY_SET_VALUE)
{
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, sam, &key), ERROR_SUCCESS) << path.toStdString();
    return key;
}

QByteArray query(HKEY key, const QString& name, DWORD* type = nullptr)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return "<missing>";
    QByteArray data;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, nullptr, &data, &size), ERROR_SUCCESS);
    return data.left(size);
}

class HiveFormat : public HiveTest { };

TEST_F(HiveFormat, WritesEveryKindOfValueAsRegeditExportsIt)
{
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_CURRENT_USER, "Software\\Morvane", 0, "1", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    for (const SampleValue& v : kSampleValues)
        EXPECT_EQ(RegSetValueExA(key, v.name, 0, v.type, v.data), ERROR_SUCCESS) << v.name;
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Morvane\\Set Folders", 0, "1", 0, KEY_ALL_ACCESS,
                  nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExA(key, "InstallDir", 0, REG_SZ, QByteArray("/opt/quillmark\0", 15)), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).toStdString(), kSample.toStdString());
}

TEST_F(HiveFormat, ReadsEveryKindOfValueBack)
{
    writeHive(HKEY_CURRENT_USER, kSample);
    const HKEY key = openKey("Software\\Morvane");
    for (const SampleValue& v : kSampleValues) {
        DWORD type = 99;
        EXPECT_EQ(query(key, v.name, &type).toHex().toStdString(), v.data.toHex().toStdString()) << v.name;
        EXPECT_EQ(type, v.type) << v.name;
    }
    RegCloseKey(key);
}

TEST_F(HiveFormat, ChangingOneValueRewritesOnlyItsLine)
{
    writeHive(HKEY_CURRENT_USER, kSample);
    const HKEY key = openKey("Software\\Morvane");
    // The same value again leaves the file as it is.
    EXPECT_EQ(RegSetValueExA(key, "number", 0, REG_DWORD, QByteArray("\x0a\0\0\0", 4)), ERROR_SUCCESS);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), kSample);
    EXPECT_EQ(RegSetValueExA(key, "NUMBER", 0, REG_DWORD, QByteArray("\x0b\0\0\0", 4)), ERROR_SUCCESS);
    RegCloseKey(key);
    QByteArray expected = kSample;
    expected.replace("\"Number\"=dword:0000000a", "\"Number\"=dword:0000000b");
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).toStdString(), expected.toStdString());
}

TEST_F(HiveFormat, NamesMatchWithoutRegardToCaseAndKeepTheirFirstCase)
{
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\morvane]\n\"FoLdEr\"=\"a\"\n\n");
    HKEY key = openKey("software\\MORVANE");
    EXPECT_EQ(query(key, "folder"), QByteArray("a\0", 2));
    EXPECT_EQ(RegSetValueExA(key, "Folder", 0, REG_SZ, QByteArray("b\0", 2)), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY sub = 0;
    DWORD how = 0;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_CURRENT_USER, "Software\\Morvane", 0, "2", 0, KEY_ALL_ACCESS, nullptr, &sub, &how),
        ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(how, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\morvane]\n\"FoLdEr\"=\"b\"\n\n");
}

TEST_F(HiveFormat, ReadsOddSpacingWrappedHexAndWindowsLineEnds)
{
    const QByteArray text = "REGEDIT4\r\n\r\n"
                            "   [ HKEY_CURRENT_USER\\Software\\Morvane ]  \r\n"
                            "\"A\" = \"x\"  \r\n"
                            "\"Bin\"=hex:01,02,\\\r\n"
                            "      03,04\r\n"
                            "\"Big\"=DWORD:0000FFFF\r\n"
                            "\"Two\"=hex(7):6,7\r\n";
    writeHive(HKEY_CURRENT_USER, text);
    const HKEY key = openKey("Software\\Morvane");
    EXPECT_EQ(query(key, "A"), QByteArray("x\0", 2));
    EXPECT_EQ(query(key, "Bin"), QByteArray("\x01\x02\x03\x04"));
    EXPECT_EQ(query(key, "Big"), QByteArray("\xff\xff\0\0", 4));
    EXPECT_EQ(query(key, "Two"), QByteArray("\x06\x07"));
    EXPECT_EQ(RegSetValueExA(key, "New", 0, REG_DWORD, QByteArray(4, '\0')), ERROR_SUCCESS);
    RegCloseKey(key);
    QByteArray expected = text;
    expected.append("\"New\"=dword:00000000\n");
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), expected);
}

TEST(HiveText, LinesItDoesNotUnderstandAreNoValues)
{
    const char* lines[] = {
        "\"a\"=\"unterminated",
        "\"a\"=\"bad \\n escape\"",
        "\"a\"=\"x\" trailing",
        "\"a\"=dword:123456789",
        "\"a\"=dword:",
        "\"a\"=dword:0x12",
        "\"a\"=dword:-1",
        "\"a\"=hex:1,,2",
        "\"a\"=hex:123",
        "\"a\"=hex:01,",
        "\"a\"=hex(zz):00",
        "\"a\"=hex(2:00",
        "\"a\"=hex(123456789):00",
        "\"a\"=-",
        "a=\"b\"",
        "\"a\"",
        "\"a\"=\"x\xff\"",
        "\"a\"=str(2):\"x\"",
        "@",
        "\"a\"=hex:01,02,\\",
    };
    for (const char* line : lines)
        EXPECT_FALSE(HiveText::parseValue(line).has_value()) << line;
}

TEST(HiveText, HeaderLines)
{
    struct Case {
        const char* line;
        HiveText::HeaderKind kind;
        const char* path;
    };
    const Case cases[] = {
        { "[HKEY_CURRENT_USER\\Software\\Morvane]", HiveText::HeaderKind::Header, "Software\\Morvane" },
        { "  [  HKEY_CURRENT_USER\\A ]\r", HiveText::HeaderKind::Header, "A" },
        { "[HKEY_CURRENT_USER\\A\\]", HiveText::HeaderKind::Header, "A" },
        { "[HKEY_CURRENT_USER]", HiveText::HeaderKind::Header, "" },
        { "[HKEY_CURRENT_USER\\A]]", HiveText::HeaderKind::Header, "A]" },
        { "[HKEY_CURRENT_USER\\A\\\\B]", HiveText::HeaderKind::Broken, "" },
        { "[HKEY_CURRENT_USER\\Soft", HiveText::HeaderKind::Broken, "" },
        { "[-HKEY_CURRENT_USER\\A]", HiveText::HeaderKind::Broken, "" },
        { "[\xff]", HiveText::HeaderKind::Broken, "" },
        { "\"a\"=\"[b]\"", HiveText::HeaderKind::NotHeader, "" },
    };
    for (const Case& c : cases) {
        const HiveText::HeaderLine h = HiveText::parseHeader(c.line);
        EXPECT_EQ(h.kind, c.kind) << c.line;
        if (h.kind == HiveText::HeaderKind::Header) {
            EXPECT_EQ(h.path, QString::fromUtf8(c.path)) << c.line;
        }
    }
}

// The last guard before a write: a document that lost anything of the hive as read.
TEST(HiveDocument, NoticesAnythingLost)
{
    const QByteArray old
        = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n;class=1\n\"x\"=\"1\"\n\"y\"=\"2\"\n; note\n\n";
    const auto doc = [](const QByteArray& text) { return Hive::Document::parse(text, "HKEY_CURRENT_USER"); };
    const Hive::Document before = doc(old);
    EXPECT_TRUE(doc(old).holdsEverythingOf(before, "A", "x"));
    QByteArray changedX = old;
    changedX.replace("\"x\"=\"1\"", "\"x\"=\"9\"");
    EXPECT_TRUE(doc(changedX).holdsEverythingOf(before, "a", "X"));
    EXPECT_FALSE(doc(changedX).holdsEverythingOf(before, "A", "y"));
    QByteArray lostY = old;
    lostY.replace("\"y\"=\"2\"\n", "");
    EXPECT_FALSE(doc(lostY).holdsEverythingOf(before, "A", "x"));
    QByteArray lostComment = old;
    lostComment.replace("; note\n", "");
    EXPECT_FALSE(doc(lostComment).holdsEverythingOf(before, "A", "x"));
    QByteArray lostClass = old;
    lostClass.replace(";class=1\n", "");
    EXPECT_FALSE(doc(lostClass).holdsEverythingOf(before, "A", "x"));
    EXPECT_FALSE(doc("REGEDIT4\n\n").holdsEverythingOf(before, "A", "x"));
}

} // namespace
