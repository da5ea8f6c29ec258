// The program's four registry operations, as the wizard sees them.
#include "platform/files/ansi_codepage.h"
#include "store/Registry.h"
#include "tests/platform/registry/hive_test_support.h"

#include <cerrno>
#include <functional>

using hive_test::HiveTest;

namespace {

class RegistryStore : public HiveTest {
protected:
    static QByteArray rawValue(HKEY root, const QString& path, const QString& name, DWORD* type)
    {
        HKEY key = 0;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
        QByteArray data;
        DWORD size = 64;
        const LSTATUS s = RegQueryValueExA(key, name, nullptr, type, &data, &size);
        RegCloseKey(key);
        return s == ERROR_SUCCESS ? data.left(size) : "<no value>";
    }
};

TEST_F(RegistryStore, CreatesAKeyOnceAndLeavesItAloneAfterwards)
{
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Morvane"));
    EXPECT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, "Software\\Morvane", "1"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Morvane"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "SOFTWARE"));
    const QByteArray before = hiveText(HKEY_CURRENT_USER);
    EXPECT_FALSE(RegKeyCreate(HKEY_CURRENT_USER, "software\\morvane", "2"));
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), before);
    EXPECT_TRUE(before.contains("[HKEY_CURRENT_USER\\Software\\Morvane]\n;class=1\n"));
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryStore, WritesOnlyIntoKeysThatExist)
{
    EXPECT_FALSE(RegValueWrite(HKEY_CURRENT_USER, "Software\\Morvane", "Folder", QString("x")));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Morvane"));
    EXPECT_FALSE(QFile::exists(RegistryPlatform::hivePath(HKEY_CURRENT_USER)));
    // The shell's own key is never created by the program; the machine hive has
    // it from the start, as every Windows installation does.
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\Folder\\shell"));
    EXPECT_TRUE(RegValueWrite(HKEY_LOCAL_MACHINE, "Software\\Classes\\Folder\\shell", "", QString("open")));
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryStore, ReadsTextsAndNumbersAndLeavesEverythingElseAlone)
{
    writeHive(HKEY_CURRENT_USER,
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n"
        "\"Text\"=\"C:\\\\Icons\"\n"
        "\"Empty\"=\"\"\n"
        "\"Number\"=dword:0000002a\n"
        "\"Minus\"=dword:ffffffff\n"
        "\"Short\"=hex(4):01,02\n"
        "\"Too long\"=hex(4):01,02,03,04,05\n"
        "\"Expand\"=hex(2):61,00\n"
        "\"Binary\"=hex:01\n"
        "\"Multi\"=hex(7):61,00,00\n"
        "\"Zero inside\"=hex(1):61,62,00,63,64,00\n"
        "\"No zero\"=hex(1):61,62,63\n"
        "\"Ansi\"=hex(1):80,e4,00\n\n");
    struct Case {
        const char* path;
        const char* name;
        bool result;
        RegValue value; // what a value that held "kept" holds afterwards
    };
    const Case cases[] = {
        { "K", "Text", true, QString("C:\\Icons") },
        { "k", "TEXT", true, QString("C:\\Icons") },
        { "K", "Empty", true, QString("") },
        { "K", "Number", true, 42 },
        { "K", "Minus", true, -1 },
        { "K", "Short", true, 0x0201 },
        { "K", "Too long", false, QString("kept") },
        { "K", "Expand", true, QString("kept") },
        { "K", "Binary", true, QString("kept") },
        { "K", "Multi", true, QString("kept") },
        { "K", "Zero inside", true, QString("ab") },
        { "K", "No zero", true, QString("abc") },
        { "K", "Ansi", true, QString(u"€ä"_qs) },
        { "K", "Missing", false, QString("kept") },
        { "K", "", false, QString("kept") },
        { "Missing", "Text", false, QString("kept") },
    };
    for (const Case& c : cases) {
        RegValue value = QString("kept");
        EXPECT_EQ(RegValueRead(HKEY_CURRENT_USER, c.path, c.name, value), c.result) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        // A number held before is just as untouched.
        if (std::holds_alternative<QString>(c.value) && std::get<QString>(c.value) == "kept") {
            RegValue number = 7;
            RegValueRead(HKEY_CURRENT_USER, c.path, c.name, number);
            EXPECT_EQ(number, RegValue(7)) << c.name;
        }
    }
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryStore, WritesTextsInTheAnsiCodePageAndNumbersAsDwords)
{
    ASSERT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, "K", "1"));
    struct Case {
        QString name;
        RegValue value;
        DWORD type;
        QByteArray data;
        RegValue readBack;
    };
    const Case cases[] = {
        { "Text", QString(u"Grüße €Ω"_qs), REG_SZ,
            QByteArray("Gr\xfc\xdf"
                       "e \x80?")
                + '\0',
            QString(u"Grüße €?"_qs) },
        { "Empty", QString(), REG_SZ, QByteArray(1, '\0'), QString("") },
        { "Minus", -2, REG_DWORD, QByteArray("\xfe\xff\xff\xff", 4), -2 },
        { "Word", 65535, REG_DWORD, QByteArray("\xff\xff\0\0", 4), 65535 },
        { u"Ωmega"_qs, 1, REG_DWORD, QByteArray("\x01\0\0\0", 4), 1 },
    };
    for (const Case& c : cases) {
        const std::string what = c.name.toStdString();
        EXPECT_TRUE(RegValueWrite(HKEY_CURRENT_USER, "K", c.name, c.value)) << what;
        DWORD type = 0;
        EXPECT_EQ(rawValue(HKEY_CURRENT_USER, "K", files::foldAnsi(c.name), &type), c.data) << what;
        EXPECT_EQ(type, c.type) << what;
        RegValue back = QString("kept");
        EXPECT_TRUE(RegValueRead(HKEY_CURRENT_USER, "K", c.name, back)) << what;
        EXPECT_EQ(back, c.readBack) << what;
    }
    const QByteArray hive = hiveText(HKEY_CURRENT_USER);
    EXPECT_TRUE(hive.contains("\"Text\"=\"Gr\xc3\xbc\xc3\x9f"
                              "e \xe2\x82\xac?\"\n"))
        << hive.constData();
    EXPECT_TRUE(hive.contains("\"Empty\"=\"\"\n"));
    EXPECT_TRUE(hive.contains("\"Minus\"=dword:fffffffe\n"));
    EXPECT_TRUE(hive.contains("\"?mega\"=dword:00000001\n"));
    // A value changes its type when written with the other kind.
    EXPECT_TRUE(RegValueWrite(HKEY_CURRENT_USER, "k", "TEXT", 5));
    EXPECT_TRUE(hiveText(HKEY_CURRENT_USER).contains("\"Text\"=dword:00000005\n"));
    EXPECT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, u"K\\Ωhm"_qs, "1"));
    EXPECT_TRUE(hiveText(HKEY_CURRENT_USER).contains("[HKEY_CURRENT_USER\\K\\?hm]\n"));
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryStore, EveryOperationClosesItsKeyOnEveryPath)
{
    writeHive(HKEY_LOCAL_MACHINE,
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"T\"=\"t\"\n\"N\"=dword:00000001\n"
        "\"E\"=hex(2):00\n\"L\"=hex(4):01,02,03,04,05\n\n");
    RegValue v;
    const std::pair<const char*, std::function<void()>> steps[] = {
        { "exists", [] { RegKeyExists(HKEY_LOCAL_MACHINE, "K"); } },
        { "exists, missing", [] { RegKeyExists(HKEY_LOCAL_MACHINE, "X"); } },
        { "create", [] { RegKeyCreate(HKEY_LOCAL_MACHINE, "K\\New", "1"); } },
        { "create, existing", [] { RegKeyCreate(HKEY_LOCAL_MACHINE, "K", "1"); } },
        { "create, bad path", [] { RegKeyCreate(HKEY_LOCAL_MACHINE, "K\\\\X", "1"); } },
        { "write", [] { RegValueWrite(HKEY_LOCAL_MACHINE, "K", "T", QString("u")); } },
        { "write, missing key", [] { RegValueWrite(HKEY_LOCAL_MACHINE, "X", "T", 1); } },
        { "read text", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "K", "T", v); } },
        { "read number", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "K", "N", v); } },
        { "read other type", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "K", "E", v); } },
        { "read, too long", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "K", "L", v); } },
        { "read, missing value", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "K", "X", v); } },
        { "read, missing key", [&] { RegValueRead(HKEY_LOCAL_MACHINE, "X", "T", v); } },
        { "denied create",
            [] {
                RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, EACCES);
                RegKeyCreate(HKEY_LOCAL_MACHINE, "K", "1");
            } },
        { "denied write", [] { RegValueWrite(HKEY_LOCAL_MACHINE, "K", "T", 1); } },
    };
    for (const auto& [what, step] : steps) {
        step();
        EXPECT_EQ(openKeys(), 0u) << what;
    }
}

TEST_F(RegistryStore, WithoutRightsToTheMachineHiveOnlyChangesFail)
{
    const QByteArray machine
        = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory\\shell\\vUzivuza]\n"
          ";class=1\n@=\"&Beschriften...\"\n\n";
    writeHive(HKEY_LOCAL_MACHINE, machine);
    RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, EACCES);
    const QString verb = "Software\\Classes\\Directory\\shell\\vUzivuza";
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, verb));
    EXPECT_FALSE(RegKeyCreate(HKEY_LOCAL_MACHINE, verb + "\\command", "1"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, verb + "\\command"));
    EXPECT_FALSE(RegValueWrite(HKEY_LOCAL_MACHINE, verb, "", QString("other")));
    RegValue label;
    EXPECT_TRUE(RegValueRead(HKEY_LOCAL_MACHINE, verb, "", label));
    EXPECT_EQ(label, RegValue(QString("&Beschriften...")));
    EXPECT_EQ(hiveText(HKEY_LOCAL_MACHINE), machine);
    // The user's own keys go on working.
    EXPECT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, "Software\\Morvane", "1"));
}

TEST_F(RegistryStore, AKeyThatCannotBeOpenedForReadingCountsAsMissing)
{
    ASSERT_TRUE(RegKeyCreate(HKEY_CURRENT_USER, "K", "1"));
    ASSERT_TRUE(RegValueWrite(HKEY_CURRENT_USER, "K", "T", QString("t")));
    RegistryPlatform::setReadFault(HKEY_CURRENT_USER, EACCES);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "K"));
    EXPECT_FALSE(RegKeyCreate(HKEY_CURRENT_USER, "K", "1"));
    RegValue value = 3;
    EXPECT_FALSE(RegValueRead(HKEY_CURRENT_USER, "K", "T", value));
    EXPECT_EQ(value, RegValue(3));
    EXPECT_EQ(openKeys(), 0u);
}

// The keys and values the program keeps, written the way start-up writes them.
TEST_F(RegistryStore, TheProgramsKeysOnAFreshRegistry)
{
    const QString user = "Software\\Morvane\\Set Folders";
    const QString verb = "Software\\Classes\\Directory\\shell\\vUzivuza";
    for (const auto& [root, path] : { std::pair { HKEY_CURRENT_USER, QString("Software\\Morvane") },
             std::pair { HKEY_CURRENT_USER, user }, std::pair { HKEY_LOCAL_MACHINE, verb },
             std::pair { HKEY_LOCAL_MACHINE, verb + "\\command" } }) {
        ASSERT_FALSE(RegKeyExists(root, path));
        EXPECT_TRUE(RegKeyCreate(root, path, "1"));
    }
    EXPECT_TRUE(RegValueWrite(HKEY_LOCAL_MACHINE, verb, "", QString("&Beschriften...")));
    EXPECT_TRUE(
        RegValueWrite(HKEY_LOCAL_MACHINE, verb + "\\command", "", QString("\"/opt/q/quillmark.exe\" %1")));
    EXPECT_TRUE(RegValueWrite(HKEY_LOCAL_MACHINE, "Software\\Classes\\Folder\\shell", "", QString("open")));
    EXPECT_TRUE(RegValueWrite(HKEY_CURRENT_USER, user, "InstallDir", QString("/opt/q")));
    EXPECT_TRUE(RegValueWrite(HKEY_CURRENT_USER, user, "Folder", QString("\"/home/u/Icons\"")));
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).toStdString(),
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane]\n;class=1\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane\\Set Folders]\n;class=1\n"
        "\"InstallDir\"=\"/opt/q\"\n"
        "\"Folder\"=\"\\\"/home/u/Icons\\\"\"\n\n");
    EXPECT_EQ(hiveText(HKEY_LOCAL_MACHINE).toStdString(),
        "REGEDIT4\n\n"
        "[HKEY_LOCAL_MACHINE\\Software]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory\\shell]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory\\shell\\vUzivuza]\n;class=1\n"
        "@=\"&Beschriften...\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory\\shell\\vUzivuza\\command]\n;class=1\n"
        "@=\"\\\"/opt/q/quillmark.exe\\\" %1\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Folder]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Folder\\shell]\n@=\"open\"\n\n");
    RegValue folder;
    EXPECT_TRUE(RegValueRead(HKEY_CURRENT_USER, user, "Folder", folder));
    EXPECT_EQ(folder, RegValue(QString("\"/home/u/Icons\"")));
}

} // namespace
