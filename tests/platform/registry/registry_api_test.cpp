// The advapi32 calls: keys, the access mask, the size query, handles, and
// hives the user may not write.
#include "tests/platform/registry/hive_test_support.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

using hive_test::HiveTest;

namespace {

class RegistryApi : public HiveTest {
protected:
    HKEY create(HKEY root, const QString& path, DWORD* how = nullptr, DWORD sam = KEY_ALL_ACCESS)
    {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, "1", 0, sam, nullptr, &key, how), ERROR_SUCCESS);
        return key;
    }
};

TEST_F(RegistryApi, CreatesKeysWithTheKeysAboveThem)
{
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morvane", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    DWORD how = 0;
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\Morvane\\Set Folders", &how));
    EXPECT_EQ(how, REG_CREATED_NEW_KEY);
    for (const char* path : { "Software", "software\\morvane", "Software\\Morvane\\Set Folders\\", "" }) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, 0x19, &key), ERROR_SUCCESS) << path;
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    RegCloseKey(create(HKEY_CURRENT_USER, "SOFTWARE\\MORVANE", &how));
    EXPECT_EQ(how, REG_OPENED_EXISTING_KEY);
    // A key below an open key.
    const HKEY parent = create(HKEY_CURRENT_USER, "Software");
    RegCloseKey(create(parent, "Morvane\\Other", &how));
    EXPECT_EQ(how, REG_CREATED_NEW_KEY);
    RegCloseKey(parent);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane\\Set Folders]\n;class=1\n\n"
        "[HKEY_CURRENT_USER\\Software\\Morvane\\Other]\n;class=1\n\n");
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryApi, RejectsBadArguments)
{
    HKEY key = 0;
    DWORD how = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 1, KEY_READ, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(0x1234, "A", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "A", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    const char* badPaths[] = { "\\A", "A\\\\B", "A\nB", "A " };
    for (const char* path : badPaths)
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, &how),
            ERROR_SUCCESS)
            << path;
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, QString(256, u'x'), 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, &how),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, "a\nb", 0, KEY_ALL_ACCESS, nullptr, &key, &how),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 1, "", 0, KEY_ALL_ACCESS, nullptr, &key, &how),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "a\nb", 0, REG_SZ, "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(0x1234), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), QByteArray());
}

TEST_F(RegistryApi, TheAccessMaskDecidesWhatAKeyMayDo)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "K"));
    struct Case {
        DWORD sam;
        LSTATUS set;
        LSTATUS query;
        LSTATUS createBelow;
    };
    const Case cases[] = {
        { 0x3F, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS },
        { 0x19, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED },
        { KEY_SET_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED },
        { KEY_CREATE_SUB_KEY, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_SUCCESS },
    };
    int n = 0;
    for (const Case& c : cases) {
        HKEY key = 0;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, c.sam, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, QByteArray("x\0", 2)), c.set) << c.sam;
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), c.query) << c.sam;
        HKEY sub = 0;
        EXPECT_EQ(RegCreateKeyExA(key, QString("S%1").arg(n++), 0, "", 0, KEY_READ, nullptr, &sub, nullptr),
            c.createBelow)
            << c.sam;
        RegCloseKey(sub);
        RegCloseKey(key);
    }
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryApi, QueriesFollowTheSizeConvention)
{
    const HKEY key = create(HKEY_CURRENT_USER, "K");
    ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, "12345"), ERROR_SUCCESS);
    struct Case {
        bool withBuffer;
        DWORD size;
        LSTATUS result;
        DWORD sizeAfter;
        QByteArray bufferAfter;
    };
    const Case cases[] = {
        { false, 0, ERROR_SUCCESS, 5, "........" },
        { false, 99, ERROR_SUCCESS, 5, "........" },
        { true, 4, ERROR_MORE_DATA, 5, "........" },
        { true, 5, ERROR_SUCCESS, 5, "12345..." },
        { true, 8, ERROR_SUCCESS, 5, "12345..." },
        { true, 10, ERROR_SUCCESS, 5, QByteArray("12345...\0\0", 10) },
    };
    for (const Case& c : cases) {
        QByteArray buffer = "........";
        DWORD size = c.size;
        DWORD type = 0;
        EXPECT_EQ(
            RegQueryValueExA(key, "v", nullptr, &type, c.withBuffer ? &buffer : nullptr, &size), c.result);
        EXPECT_EQ(type, REG_BINARY);
        EXPECT_EQ(size, c.sizeAfter) << c.size;
        EXPECT_EQ(buffer, c.bufferAfter) << c.size;
    }
    QByteArray buffer;
    DWORD size = 0;
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, &buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "v", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryApi, EveryCallReadsTheHiveAnew)
{
    const HKEY key = create(HKEY_CURRENT_USER, "K");
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000007\n");
    QByteArray data;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, &data, &size), ERROR_SUCCESS);
    EXPECT_EQ(data, QByteArray("\x07\0\0\0", 4));
    // Another program took the key away while it was open.
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n");
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, "x"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), "REGEDIT4\n\n");
    RegCloseKey(key);
}

TEST_F(RegistryApi, ValuesOfTheRootKeyGoToItsOwnBlockFirst)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "", 0, REG_SZ, QByteArray("r\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER),
        "REGEDIT4\n\n[HKEY_CURRENT_USER]\n@=\"r\"\n\n"
        "[HKEY_CURRENT_USER\\Software]\n;class=1\n\n");
}

TEST_F(RegistryApi, AHiveTheUserMayNotWriteRefusesChangesOnly)
{
    for (const int err : { EACCES, EROFS, EPERM }) {
        RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, 0);
        writeHive(HKEY_LOCAL_MACHINE, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"old\"\n\n");
        const QByteArray before = hiveText(HKEY_LOCAL_MACHINE);
        RegistryPlatform::setWriteFault(HKEY_LOCAL_MACHINE, err);
        HKEY key = 0;
        DWORD how = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "K\\New", 0, "1", 0, 0x3F, nullptr, &key, &how),
            ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "K", 0, "1", 0, 0x3F, nullptr, &key, &how),
            ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, 0x3F, &key), ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, "x"), ERROR_ACCESS_DENIED);
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, 0x19, &key), ERROR_SUCCESS);
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, 4u);
        RegCloseKey(key);
        EXPECT_EQ(hiveText(HKEY_LOCAL_MACHINE), before) << err;
        // The user's own hive is not affected.
        RegCloseKey(create(HKEY_CURRENT_USER, "Mine"));
    }
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryApi, FailuresOnDiskTurnIntoErrorCodes)
{
    writeHive(HKEY_CURRENT_USER, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\n");
    const QString hive = RegistryPlatform::hivePath(HKEY_CURRENT_USER);
    // The lock file cannot be opened: nothing changes, reading still works.
    ASSERT_TRUE(QDir().mkdir(hive + ".lock"));
    HKEY key = 0;
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "K\\New", 0, "", 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(hiveText(HKEY_CURRENT_USER), "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\n");
    // The hive itself cannot be read.
    RegistryPlatform::setReadFault(HKEY_CURRENT_USER, EACCES);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
    RegistryPlatform::setReadFault(HKEY_CURRENT_USER, 0);
    ASSERT_TRUE(QFile::remove(hive));
    ASSERT_TRUE(QDir().mkdir(hive));
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(openKeys(), 0u);
}

TEST_F(RegistryApi, CreatesMissingFoldersAndKeepsAHiveToItsUser)
{
    const QString nested = dir() + "/a/b";
    setenv("QUILLMARK_REGISTRY_DIR", QFile::encodeName(nested).constData(), 1);
    RegCloseKey(create(HKEY_CURRENT_USER, "K"));
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "K"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(nested + "/HKEY_CURRENT_USER.reg").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(nested + "/HKEY_LOCAL_MACHINE.reg").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    // A mode the user chose is kept, and the same value twice does not replace the file.
    const QByteArray hive = QFile::encodeName(RegistryPlatform::hivePath(HKEY_CURRENT_USER));
    ASSERT_EQ(::chmod(hive.constData(), 0640), 0);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x"), ERROR_SUCCESS);
    struct stat first;
    ASSERT_EQ(::stat(hive.constData(), &first), 0);
    EXPECT_EQ(first.st_mode & 07777, 0640u);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "V", 0, REG_SZ, "x"), ERROR_SUCCESS);
    struct stat second;
    ASSERT_EQ(::stat(hive.constData(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST_F(RegistryApi, WritesOnlyBesideTheHive)
{
    QStringList written;
    RegistryPlatform::setWriteObserver([&](const QString& path) {
        hive_test::expectInsideRegistryDir(path);
        written << path;
    });
    const QString nested = dir() + "/sub";
    setenv("QUILLMARK_REGISTRY_DIR", QFile::encodeName(nested).constData(), 1);
    for (const HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        const HKEY key = create(root, "Software\\Classes");
        EXPECT_EQ(RegSetValueExA(key, "", 0, REG_SZ, QByteArray("x\0", 2)), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    hive_test::WriteGuard::install();
    const QString hklm = nested + "/HKEY_LOCAL_MACHINE.reg";
    EXPECT_TRUE(written.contains(nested));
    EXPECT_TRUE(written.contains(hklm));
    EXPECT_TRUE(written.contains(hklm + ".lock"));
    EXPECT_TRUE(std::any_of(written.begin(), written.end(),
        [&](const QString& p) { return p.startsWith(hklm + ".") && p != hklm + ".lock"; }));
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + "/quillmark"));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(nested).entryList(QDir::Files, QDir::Name),
        QStringList({ "HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock", "HKEY_LOCAL_MACHINE.reg",
            "HKEY_LOCAL_MACHINE.reg.lock" }));
}

} // namespace
