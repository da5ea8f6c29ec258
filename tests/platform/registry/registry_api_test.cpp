// SPDX-License-Identifier: GPL-3.0-or-later
// The advapi32 calls over the hive files, hostile hives among them, where the hives live; the
// hive file: what the store writes and reads, which lines it takes, and that it keeps all others.
#include "fuzz/hive_round.h"
#include "platform/registry/hive_document.h"
#include "platform/registry/hive_file.h"
#include "platform/registry/hive_text.h"
#include "tests/platform/registry/hive_test_support.h"

#include <QRegularExpression>
#include <cerrno>
#include <tuple>

namespace {

class RegistryApi : public hive_test::HiveTest { };

// Missing keys above a new key come with it, below their parent; the root's own values go first.
TEST_F(RegistryApi, CreatesKeysWithTheKeysAboveThem)
{
    EXPECT_EQ(create(HKEY_CURRENT_USER, "Software\\Morvane\\Set Folders"), ERROR_SUCCESS);
    for (const char* path : { "Software", "software\\morvane", "Software\\Morvane\\Set Folders\\", "" })
        EXPECT_EQ(openStatus(HKEY_CURRENT_USER, path), ERROR_SUCCESS) << path;
    DWORD how = 0;
    EXPECT_TRUE(create(HKEY_CURRENT_USER, "SOFTWARE\\MORVANE", &how) == 0 && how == REG_OPENED_EXISTING_KEY);
    const HKEY parent = open(HKEY_CURRENT_USER, "Software");
    EXPECT_TRUE(create(parent, "Morvane\\Other", &how) == ERROR_SUCCESS && how == REG_CREATED_NEW_KEY);
    RegCloseKey(parent);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "", 0, REG_SZ, QByteArray("r\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        "REGEDIT4\n\n[HKEY_CURRENT_USER]\n@=\"r\"\n\n[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane\\Set Folders]\n;class=1\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane\\Other]\n;class=1\n\n");
}

// Handles that name no key, names the hive format cannot hold and queries without a size are
// refused; a query gives the size with a buffer or without, and fills only the value's bytes.
TEST_F(RegistryApi, RejectsBadArgumentsAndQueriesFollowTheSizeConvention)
{
    EXPECT_EQ(openStatus(0x1234, "A") + openStatus(HKEY_CLASSES_ROOT, "A"), 2 * ERROR_INVALID_HANDLE);
    for (const QString& path : QStringList { "\\A", "A\\\\B", "A\nB", "A ", QString(256, u'x') })
        EXPECT_NE(create(HKEY_CURRENT_USER, path), ERROR_SUCCESS) << path.toStdString();
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "a\nb", 0, REG_SZ, "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), "<missing>");
    const HKEY key = open(HKEY_CURRENT_USER, "");
    ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, "12345"), ERROR_SUCCESS);
    // With a buffer or without, the size given, the result, the buffer afterwards; the size is always 5.
    const std::tuple<bool, DWORD, LSTATUS, QByteArray> cases[] = { { false, 99, ERROR_SUCCESS, "........" },
        { true, 4, ERROR_MORE_DATA, "........" }, { true, 5, ERROR_SUCCESS, "12345..." },
        { true, 10, ERROR_SUCCESS, QByteArray("12345...\0\0", 10) } };
    for (const auto& [withBuffer, given, result, bufferAfter] : cases) {
        QByteArray buffer = "........";
        DWORD size = given, type = 0;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, withBuffer ? &buffer : nullptr, &size), result)
            << given;
        EXPECT_TRUE(type == REG_BINARY && size == 5u && buffer == bufferAfter) << given << ' ' << size;
    }
    QByteArray buffer;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, &buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "v", &size, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

// Another program may change the hive, or take an open key away, between two calls.
TEST_F(RegistryApi, EveryCallReadsTheHiveAnew)
{
    HKEY key = 0;
    ASSERT_EQ(create(HKEY_CURRENT_USER, "K", nullptr, &key), ERROR_SUCCESS);
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000007\n");
    EXPECT_EQ(query(key, "v"), QByteArray("\x07\0\0\0", 4));
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, "x"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), "REGEDIT4\n\n");
    RegCloseKey(key);
}

// The rights a key is opened with, and a hive the user may not write, refuse changes only;
// a hive the store cannot read gives an error.
TEST_F(RegistryApi, RightsAndFailuresOnDiskDecideWhatAKeyMayDo)
{
    const QByteArray machine = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"old\"\n\n";
    writeHive(HKEY_LOCAL_MACHINE, machine);
    // Rights; what setting the value it holds (the hive stays as it was) and querying give.
    for (const auto& [sam, set, query] :
        { std::tuple<DWORD, LSTATUS, LSTATUS> { 0x19, ERROR_ACCESS_DENIED, ERROR_SUCCESS },
            { KEY_SET_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED } }) {
        const HKEY key = open(HKEY_LOCAL_MACHINE, "K", sam);
        DWORD size = 0;
        EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, QByteArray("old\0", 4)), set) << sam;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), query) << sam;
        EXPECT_EQ(create(key, "S"), ERROR_ACCESS_DENIED) << sam;
        RegCloseKey(key);
    }
    for (const int err : { EACCES, EROFS, EPERM }) {
        SCOPED_TRACE(err);
        RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, err);
        EXPECT_EQ(create(HKEY_LOCAL_MACHINE, "K\\New"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(openStatus(HKEY_LOCAL_MACHINE, "K", 0x3F), ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, "x"), ERROR_ACCESS_DENIED);
        const HKEY key = open(HKEY_LOCAL_MACHINE, "K", 0x19);
        EXPECT_EQ(query(key, "v"), QByteArray("old\0", 4));
        RegCloseKey(key);
        EXPECT_EQ(hiveText(HKEY_LOCAL_MACHINE), machine);
    }
    // The user's own hive is not affected; a read fault, or a folder in the hive's place, refuses reads.
    EXPECT_EQ(create(HKEY_CURRENT_USER, "K"), ERROR_SUCCESS);
    RegistryPlatform::setReadFault(HKEY_CURRENT_USER, EACCES);
    EXPECT_EQ(openStatus(HKEY_CURRENT_USER, "K"), ERROR_ACCESS_DENIED);
    RegistryPlatform::setReadFault(HKEY_CURRENT_USER, 0);
    const QString hive = RegistryPlatform::hivePath(HKEY_CURRENT_USER);
    ASSERT_TRUE(QFile::remove(hive) && QDir().mkdir(hive));
    EXPECT_NE(openStatus(HKEY_CURRENT_USER, "K"), ERROR_SUCCESS);
}

// Missing folders are made; nothing is written outside the hive folder and nothing but the
// hives (and their locks) stays there; a hive is kept to its user and replaced only when it changes.
TEST_F(RegistryApi, WritesOnlyBesideTheHive)
{
    const QString nested = qEnvironmentVariable("QUILLMARK_REGISTRY_DIR") + "/a/b",
                  user = nested + "/HKEY_CURRENT_USER.reg";
    qputenv("QUILLMARK_REGISTRY_DIR", QFile::encodeName(nested));
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "", 0, REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "", 0, REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(testutil::modeOf(user), 0600u);
    EXPECT_EQ(testutil::modeOf(RegistryPlatform::hivePath(HKEY_LOCAL_MACHINE)), 0644u);
    const QStringList left = QDir(nested).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.filter(QRegularExpression("^HKEY_(CURRENT_USER|LOCAL_MACHINE)\\.reg(\\.lock)?$")), left);
    EXPECT_TRUE(left.contains("HKEY_CURRENT_USER.reg") && left.contains("HKEY_LOCAL_MACHINE.reg"));
    testutil::setMode(user, 0640);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(testutil::modeOf(user), 0640u);
    struct stat st { };
    const auto inode = [&] { return ::stat(QFile::encodeName(user).constData(), &st) == 0 ? st.st_ino : 0; };
    const ino_t before = inode();
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "V", 0, REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_TRUE(before != 0 && inode() == before);
}

// QUILLMARK_REGISTRY_DIR and XDG_CONFIG_HOME ("" unsets them), the root, its hive; HOME is "/h".
TEST(HiveLocation, FollowsTheEnvironment)
{
    const std::tuple<const char*, const char*, HKEY, const char*> cases[] = {
        { "/r", "/x", HKEY_CURRENT_USER, "/r/HKEY_CURRENT_USER.reg" },
        { "/r/", "/x", HKEY_LOCAL_MACHINE, "/r/HKEY_LOCAL_MACHINE.reg" },
        { "", "/x", HKEY_CURRENT_USER, "/x/quillmark/HKEY_CURRENT_USER.reg" },
        { "", "relative", HKEY_CURRENT_USER, "/h/.config/quillmark/HKEY_CURRENT_USER.reg" },
        { "", "/x", HKEY_LOCAL_MACHINE, "/etc/quillmark/HKEY_LOCAL_MACHINE.reg" },
        { "/r", "/x", HKEY_USERS, "" },
    };
    const testutil::EnvGuard home("HOME", "/h");
    for (const auto& [registry, config, root, expected] : cases) {
        const testutil::EnvGuard r("QUILLMARK_REGISTRY_DIR", *registry ? registry : QString());
        const testutil::EnvGuard x("XDG_CONFIG_HOME", *config ? config : QString());
        EXPECT_EQ(RegistryPlatform::hivePath(root), QString::fromUtf8(expected)) << registry << " " << config;
    }
}

// Several wizards started at once write into the same hive; none may lose what another wrote.
TEST_F(RegistryApi, TenProcessesWritingAtOnceLoseNothing)
{
    constexpr int kProcesses = 10, kValuesEach = 5;
    const auto name = [](int process, int n) { return QString("p%1v%2").arg(process).arg(n).toLatin1(); };
    // All of them make the same missing parent key, too.
    EXPECT_TRUE(testutil::allAtOnce(kProcesses, [&](int p) {
        bool ok = create(HKEY_CURRENT_USER, QString("Software\\Child %1").arg(p)) == ERROR_SUCCESS;
        for (int n = 0; n < kValuesEach; ++n)
            ok = ok && RegSetValueExA(HKEY_CURRENT_USER, name(p, n), 0, REG_SZ, name(p, n)) == ERROR_SUCCESS;
        return ok;
    }));
    for (int p = 0; p < kProcesses; ++p) {
        for (int n = 0; n < kValuesEach; ++n)
            EXPECT_EQ(query(HKEY_CURRENT_USER, name(p, n)), name(p, n));
        EXPECT_EQ(openStatus(HKEY_CURRENT_USER, QString("Software\\Child %1").arg(p)), ERROR_SUCCESS) << p;
    }
    // No torn or doubled lines.
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).count(";class=1\n"), kProcesses);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER).count("\n\"p"), kProcesses * kValuesEach);
}

// A FIFO hive (size -1) reads as empty, one above the limit as damaged (a sparse one of 100 GiB too,
// never allocated); none is written through or over. (An empty one: DamagedOrTruncatedHives.)
TEST_F(RegistryApi, SpecialAndOversizedHivesAreNeverWritten)
{
    const QByteArray hive = QFile::encodeName(RegistryPlatform::hivePath(HKEY_CURRENT_USER));
    const std::pair<qint64, LSTATUS> cases[] = { { -1, ERROR_FILE_NOT_FOUND },
        { HiveFile::kMaxHiveSize + 1, ERROR_BADDB }, { qint64(100) << 30, ERROR_BADDB } };
    for (const auto& [size, opening] : cases) {
        ::unlink(hive.constData());
        if (size >= 0) writeHive(HKEY_CURRENT_USER, "");
        ASSERT_EQ(size < 0 ? ::mkfifo(hive.constData(), 0600) : ::truncate(hive.constData(), size), 0);
        EXPECT_TRUE(testutil::passesWithin([&] {
            return openStatus(HKEY_CURRENT_USER, "K") == opening
                && create(HKEY_CURRENT_USER, "K") != ERROR_SUCCESS;
        })) << size;
        EXPECT_EQ(QFileInfo(QFile::decodeName(hive)).size(), std::max<qint64>(size, 0));
    }
}

TEST(HiveFuzzInputs, RunClean)
{
    EXPECT_TRUE(testutil::runKeptInputs("registry/fuzz", fuzz_rounds::hiveRound));
}

const auto sz = [](const char* text) { return QByteArray(text) + '\0'; };

// Every kind of value the store writes, and its line as regedit exports it.
const std::tuple<const char*, DWORD, QByteArray, QByteArray> kValues[] = {
    { "", REG_SZ, sz("Standard"), "@=\"Standard\"" },
    { "Text", REG_SZ, sz("Gr\xFC\xDF\x65 \"zitiert\" C:\\Pfad \x80"),
        "\"Text\"=\"Gr\xC3\xBC\xC3\x9F\x65 \\\"zitiert\\\" C:\\\\Pfad \xE2\x82\xAC\"" },
    { "Quote\"d\\name", REG_SZ, sz("x"), "\"Quote\\\"d\\\\name\"=\"x\"" },
    { "Number", REG_DWORD, QByteArray("\x0a\0\0\0", 4), "\"Number\"=dword:0000000a" },
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
}

} // namespace
