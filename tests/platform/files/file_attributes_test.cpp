// Attribute bits on a file system without DOS attributes of its own: kept
// in user.DOSATTRIB where Samba and Wine read them.
#include "platform/files/dos_attrib_blob.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"

#include "files_test_util.h"

#include <linux/magic.h>

#include <map>

using namespace testutil;

namespace {

class Attributes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("Desktop.ini"));
        folder = dir.filePath(QStringLiteral("Ordner"));
        writeBytes(file, "[S]\r\n");
        ASSERT_TRUE(QDir().mkdir(folder));
    }
    QTemporaryDir dir;
    QString file;
    QString folder;
};

TEST_F(Attributes, EveryValueTheProgramSetsReadsBack)
{
    for (const DWORD bits : { 0u, 1u, 32u, 34u, 36u, 39u }) {
        ASSERT_TRUE(SetFileAttributesA(file, bits)) << bits;
        EXPECT_EQ(GetFileAttributesA(file), bits) << bits;
        ASSERT_TRUE(SetFileAttributesA(folder, bits)) << bits;
        EXPECT_EQ(GetFileAttributesA(folder), bits | FILE_ATTRIBUTE_DIRECTORY) << bits;
    }
}

TEST_F(Attributes, StoredAsTheTextFormSambaAndWineRead)
{
    ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(dosAttribXattr(folder), QByteArray("0x1"));
    ASSERT_TRUE(SetFileAttributesA(file, 34));
    EXPECT_EQ(dosAttribXattr(file), QByteArray("0x22"));
    // Bits outside the four are not ours to set.
    ASSERT_TRUE(SetFileAttributesA(file, 0x80 | 0x10 | 0x4));
    EXPECT_EQ(dosAttribXattr(file), QByteArray("0x4"));
}

TEST_F(Attributes, ReadOnlyFileLosesWritePermissionAndGetsItBack)
{
    ::chmod(file.toUtf8().constData(), 0664);
    ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(modeOf(file), mode_t(0444));
    EXPECT_TRUE(files::isReadOnlyFile(file.toUtf8()));
    ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(modeOf(file), mode_t(0644));
    EXPECT_FALSE(files::isReadOnlyFile(file.toUtf8()));
    // A read-only folder stays a folder one may write into.
    ::chmod(folder.toUtf8().constData(), 0755);
    ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(modeOf(folder), mode_t(0755));
}

TEST_F(Attributes, FileWithoutWritePermissionReadsReadOnly)
{
    ::chmod(file.toUtf8().constData(), 0444);
    EXPECT_EQ(GetFileAttributesA(file), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files::isReadOnlyFile(file.toUtf8()));
}

TEST_F(Attributes, ExistingSambaBlobKeepsVersionAndCreationTime)
{
    const QByteArray v5
        = QByteArray::fromHex("00000500050000001100000030000000ffeeddccbbaad901"); // dir + archive
    setDosAttribXattr(folder, v5);
    EXPECT_EQ(GetFileAttributesA(folder), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_READONLY));
    const auto stored = files::decodeDosAttrib(*dosAttribXattr(folder));
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->blob);
    EXPECT_EQ(stored->version, 5);
    EXPECT_EQ(stored->attrib, 0x11u); // Samba's directory bit stays
    EXPECT_EQ(stored->createTime, 0x01d9aabbccddeeffull);
    EXPECT_EQ(GetFileAttributesA(folder), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
}

TEST_F(Attributes, UnknownBlobVersionMakesSettingFailAndIsKept)
{
    const QByteArray v9 = QByteArray::fromHex("307832320000090009000000deadbeef");
    setDosAttribXattr(file, v9);
    EXPECT_FALSE(SetFileAttributesA(file, 0));
    EXPECT_EQ(dosAttribXattr(file), v9);
    EXPECT_EQ(GetFileAttributesA(file), 0x22u);
}

TEST_F(Attributes, PathsThatAreReadAndPathsThatAreNot)
{
    writeBytes(dir.filePath(QStringLiteral("a*")), "x");
    struct Case {
        QString path;
        DWORD expected;
    };
    const Case cases[] = {
        { file, 0 },
        { folder, FILE_ATTRIBUTE_DIRECTORY },
        { folder + u'/', FILE_ATTRIBUTE_DIRECTORY },
        { file + u'/', INVALID_FILE_ATTRIBUTES },
        { QStringLiteral("/"), FILE_ATTRIBUTE_DIRECTORY },
        { QString(), INVALID_FILE_ATTRIBUTES },
        { dir.filePath(QStringLiteral("missing")), INVALID_FILE_ATTRIBUTES },
        { dir.filePath(QStringLiteral("a*")), INVALID_FILE_ATTRIBUTES }, // wildcards are no names on Windows
        { dir.filePath(QStringLiteral("D?sktop.ini")), INVALID_FILE_ATTRIBUTES },
        { dir.filePath(QStringLiteral("DESKTOP.INI")), 0 },
        { dir.filePath(QStringLiteral("ORDNER/")), FILE_ATTRIBUTE_DIRECTORY },
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFileAttributesA(c.path), c.expected) << c.path.toStdString();
    EXPECT_FALSE(SetFileAttributesA(dir.filePath(QStringLiteral("missing")), 2));
    EXPECT_FALSE(SetFileAttributesA(dir.filePath(QStringLiteral("a*")), 2));
}

TEST_F(Attributes, OtherCaseOfTheNameSetsTheExistingFile)
{
    ASSERT_TRUE(SetFileAttributesA(dir.filePath(QStringLiteral("DESKTOP.INI")), 34));
    EXPECT_EQ(dosAttribXattr(file), QByteArray("0x22"));
    EXPECT_EQ(entries(dir.path()), QStringList({ QStringLiteral("Desktop.ini"), QStringLiteral("Ordner") }));
}

TEST(AttributesWithoutXattrs, SettingFailsReadingWorks)
{
    // procfs keeps no user extended attributes.
    EXPECT_FALSE(SetFileAttributesA(QStringLiteral("/proc/self/status"), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_NE(GetFileAttributesA(QStringLiteral("/proc/self/status")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(QStringLiteral("/proc/self")) & FILE_ATTRIBUTE_DIRECTORY,
        FILE_ATTRIBUTE_DIRECTORY);
}

TEST(AttributeStorage, ChosenByFileSystem)
{
    using files::AttributeStorage;
    struct Case {
        long magic;
        bool ntfsAttrib;
        AttributeStorage expected;
    };
    const Case cases[] = {
        { MSDOS_SUPER_MAGIC, false, AttributeStorage::Fat },
        { long(EXFAT_SUPER_MAGIC), false, AttributeStorage::Fat },
        { 0x7366746e, false, AttributeStorage::Ntfs }, // ntfs3
        { 0x5346544e, false, AttributeStorage::Ntfs }, // the old ntfs driver
        { FUSE_SUPER_MAGIC, true, AttributeStorage::Ntfs }, // ntfs-3g
        { FUSE_SUPER_MAGIC, false, AttributeStorage::Samba }, // any other FUSE file system
        { EXT4_SUPER_MAGIC, false, AttributeStorage::Samba },
        { TMPFS_MAGIC, false, AttributeStorage::Samba },
        { BTRFS_SUPER_MAGIC, false, AttributeStorage::Samba },
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::storageFor(c.magic, c.ntfsAttrib), c.expected) << std::hex << c.magic;
}

// A store that keeps bits in memory, as a file system with its own DOS
// attributes would.
class MemoryStore final : public files::DosAttributeStore {
public:
    const char* name() const override { return "memory"; }
    std::optional<DWORD> read(const QByteArray& path) const override
    {
        const auto it = bits.find(path);
        return it == bits.end() ? 0 : it->second;
    }
    bool write(const QByteArray& path, DWORD value) const override
    {
        bits[path] = (bits[path] & ~files::kDosBits) | value;
        return true;
    }
    bool copy(const QByteArray& from, const QByteArray& to) const override { return write(to, *read(from)); }
    mutable std::map<QByteArray, DWORD> bits;
};

TEST_F(Attributes, GoThroughTheStoreOfTheFileSystem)
{
    MemoryStore store;
    store.bits[folder.toUtf8()] = 0x2000; // a bit of the file system's own
    files::setAttributeStoreOverride(&store);
    const bool set = SetFileAttributesA(folder, 36);
    const DWORD got = GetFileAttributesA(folder);
    files::setAttributeStoreOverride(nullptr);
    EXPECT_TRUE(set);
    EXPECT_EQ(store.bits[folder.toUtf8()], 0x2024u);
    EXPECT_EQ(got, 0x2024u | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(dosAttribXattr(folder));
}

TEST_F(Attributes, FileWeMayNotWriteIsReadOnly)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file that belongs to someone else";
    ::chmod(file.toUtf8().constData(), 0644);
    ::chmod(dir.path().toUtf8().constData(), 0755);
    const QByteArray path = file.toUtf8();
    const int status = inChild([&] {
        return ::setuid(kNobody) == 0 && files::isReadOnlyFile(path) && !SetFileAttributesA(file, 0);
    });
    EXPECT_TRUE(exitedWith(status, 0));
}

} // namespace
