// Attribute bits on a file system without DOS attributes of its own: kept
// in user.DOSATTRIB where Samba and Wine read them. The blobs below were
// made by Samba's own NDR encoder (attribute 0x22, creation time
// 0x01d9aabbccddeeff); the rewritten blobs were checked to decode in Samba to
// the new attribute with the creation time unchanged.
#include "platform/files/dos_attrib_blob.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"

#include "files_test_util.h"

#include <linux/magic.h>

#include <sstream>
#include <tuple>

using files::decodeDosAttrib;
using files::withDosAttrib;
using namespace testutil;

namespace {

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// What a stored value decodes to, in hex: "none", "text 22" or "v5 22 1d9aabbccddeeff".
std::string decoded(const QByteArray& value)
{
    const auto d = decodeDosAttrib(value);
    std::ostringstream s;
    s << std::hex;
    if (!d) return "none";
    if (d->blob) s << 'v' << d->version << ' ';
    s << (d->blob ? "" : "text ") << d->attrib;
    if (d->createTime) s << ' ' << *d->createTime;
    return s.str();
}

struct BlobCase {
    std::uint16_t version;
    QByteArray blob;
    QByteArray rewrittenTo0x21;
};

const BlobCase kBlobs[] = {
    { 1,
        hex("307832320000010001000000220000000300000005000000000000000900000000000000"
            "ffeeddccbbaad9010700000000000000"),
        hex("307832310000010001000000210000000300000005000000000000000900000000000000"
            "ffeeddccbbaad9010700000000000000") },
    { 3,
        hex("30783232000003000300000011000000220000000300000005000000000000000900000000000000"
            "ffeeddccbbaad9010700000000000000"),
        hex("30783231000003000300000011000000210000000300000005000000000000000900000000000000"
            "ffeeddccbbaad9010700000000000000") },
    // From version 4 on Samba leaves the hex text empty; ours carries it for Wine.
    { 4, hex("000004000400000051000000220000008877665544332211ffeeddccbbaad901"),
        hex("30783231000004000400000051000000210000008877665544332211ffeeddccbbaad901") },
    { 5, hex("00000500050000001100000022000000ffeeddccbbaad901"),
        hex("3078323100000500050000001100000021000000ffeeddccbbaad901") },
};

// A rewrite keeps the version, the creation time and every other field.
TEST(SambaBlob, EveryWritableVersionReadsAndRewrites)
{
    for (const BlobCase& c : kBlobs) {
        const std::string v = 'v' + std::to_string(c.version);
        EXPECT_EQ(decoded(c.blob), v + " 22 1d9aabbccddeeff");
        EXPECT_EQ(withDosAttrib(c.blob, 0x21), c.rewrittenTo0x21) << v;
        EXPECT_EQ(decoded(c.rewrittenTo0x21), v + " 21 1d9aabbccddeeff");
    }
    // A stored word without its valid flag reads as no bits; a rewrite sets the flag.
    QByteArray v5 = kBlobs[3].blob;
    v5[8] = 0x10; // creation time valid, attribute not
    EXPECT_EQ(decoded(v5), "v5 0 1d9aabbccddeeff");
    EXPECT_EQ(withDosAttrib(v5, 0x2), hex("30783200050005001100000002000000ffeeddccbbaad901"));
}

// Version 2 is read but not written; of the unknown 9 only the hex text is read.
TEST(SambaBlob, UnknownVersionIsNeverRewritten)
{
    const QByteArray v2
        = hex("30783232000002000200000000000000220000000000000000000000000000000000000000000000"
              "000000000000000000000000000000000000000000000000");
    const QByteArray v9 = hex("307832320000090009000000deadbeef");
    EXPECT_EQ(decoded(v2), "v2 22 0");
    EXPECT_EQ(decoded(v9), "v9 22");
    EXPECT_EQ(decoded(hex("00000900090000001100000022000000")), "none");
    EXPECT_FALSE(withDosAttrib(v2, 0x1));
    EXPECT_FALSE(withDosAttrib(v9, 0x1));
}

// Whatever is left of the hex text may still be read; a body is never guessed at.
TEST(SambaBlob, TruncatedBlobsAreNeitherReadPastNorRewritten)
{
    for (const BlobCase& c : kBlobs) {
        for (qsizetype n = 1; n < c.blob.size(); ++n) {
            const QByteArray cut = c.blob.left(n);
            const auto d = decodeDosAttrib(cut);
            if (d && d->blob) {
                EXPECT_FALSE(d->createTime) << n;
            }
            if (withDosAttrib(cut, 0x1)) {
                EXPECT_TRUE(d && !d->blob) << "only text is rewritten, length " << n;
            }
        }
    }
}

// The text form as Samba and Wine write it, and its rewrite as Wine writes it.
TEST(SambaText, ReadAndRewritten)
{
    const std::tuple<QByteArray, const char*, std::optional<QByteArray>> cases[]
        = { { "0x22", "text 22", "0x1f" }, { QByteArray("0x22\0", 5), "text 22", "0x1f" },
              { "0X1F", "text 1f", "0x1f" }, { "21", "text 21", "0x1f" }, { "", "none", "0x1f" },
              { "0xZZ", "none", std::nullopt }, { "0x123456789", "none", std::nullopt } };
    for (const auto& [stored, read, rewrittenTo0x1f] : cases) {
        EXPECT_EQ(decoded(stored), read) << stored.toStdString();
        EXPECT_EQ(withDosAttrib(stored, 0x1f), rewrittenTo0x1f) << stored.toStdString();
    }
    EXPECT_EQ(files::encodeDosAttribText(0x1), "0x1");
}

class Attributes : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        file = path("Desktop.ini");
        folder = path("Ordner");
        writeBytes(file, "[S]\r\n");
        ASSERT_TRUE(QDir().mkdir(folder));
    }
    QString file;
    QString folder;
};

// Every set the program makes reads back and is stored in the text form; bits outside the four are not ours.
TEST_F(Attributes, SetReadsBackAndIsStoredAsText)
{
    struct Case {
        DWORD set, read;
        const char* stored;
    };
    const Case cases[] = { { 0, 0, "0x0" }, { 1, 1, "0x1" }, { 32, 32, "0x20" }, { 34, 34, "0x22" },
        { 36, 36, "0x24" }, { 39, 39, "0x27" }, { 0x80 | 0x10 | 0x4, 0x4, "0x4" } };
    for (const Case& c : cases) {
        for (const QString& p : { file, folder }) {
            SCOPED_TRACE(testing::Message() << c.set << ' ' << p.toStdString());
            ASSERT_TRUE(SetFileAttributesA(p, c.set));
            EXPECT_EQ(GetFileAttributesA(p), p == folder ? c.read | FILE_ATTRIBUTE_DIRECTORY : c.read);
            EXPECT_EQ(dosAttribXattr(p), QByteArray(c.stored));
        }
    }
}

// Wine takes a file's read-only state from its write permission; a folder keeps its permissions.
TEST_F(Attributes, ReadOnlyFileMirrorsWritePermission)
{
    setMode(file, 0664);
    ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(modeOf(file), mode_t(0444));
    EXPECT_TRUE(files::isReadOnlyFile(file.toUtf8()));
    ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(modeOf(file), mode_t(0644));
    EXPECT_FALSE(files::isReadOnlyFile(file.toUtf8()));
    setMode(file, 0444);
    EXPECT_EQ(GetFileAttributesA(file), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(files::isReadOnlyFile(file.toUtf8()));
    setMode(folder, 0755);
    ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(modeOf(folder), mode_t(0755));
}

TEST_F(Attributes, ExistingSambaBlobsAreRewrittenOrKept)
{
    setDosAttribXattr(folder, hex("00000500050000001100000030000000ffeeddccbbaad901"));
    EXPECT_EQ(GetFileAttributesA(folder), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_READONLY));
    // Samba's directory bit stays.
    EXPECT_EQ(dosAttribXattr(folder), hex("3078313100000500050000001100000011000000ffeeddccbbaad901"));
    EXPECT_EQ(GetFileAttributesA(folder), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    // A version we cannot write makes setting fail and stays as it was.
    const QByteArray v9 = hex("307832320000090009000000deadbeef");
    setDosAttribXattr(file, v9);
    EXPECT_FALSE(SetFileAttributesA(file, 0));
    EXPECT_EQ(dosAttribXattr(file), v9);
    EXPECT_EQ(GetFileAttributesA(file), 0x22u);
}

// Names resolve without regard to case; '*' and '?' are ordinary characters.
TEST_F(Attributes, PathsThatAreReadAndPathsThatAreNot)
{
    writeBytes(path("a*"), "x");
    constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY, kInvalid = INVALID_FILE_ATTRIBUTES;
    const std::pair<QString, DWORD> cases[]
        = { { file, 0 }, { folder, kDir }, { folder + u'/', kDir }, { file + u'/', kInvalid }, { "/", kDir },
              { "", kInvalid }, { path("missing"), kInvalid }, { path("a*"), 0 },
              { path("D?sktop.ini"), kInvalid }, { path("DESKTOP.INI"), 0 }, { path("ORDNER/"), kDir } };
    for (const auto& [p, expected] : cases)
        EXPECT_EQ(GetFileAttributesA(p), expected) << p.toStdString();
    EXPECT_FALSE(SetFileAttributesA(path("missing"), 2));
    EXPECT_TRUE(SetFileAttributesA(path("a*"), 2));
    ASSERT_TRUE(SetFileAttributesA(path("DESKTOP.INI"), 34));
    EXPECT_EQ(dosAttribXattr(file), QByteArray("0x22"));
    EXPECT_EQ(entries(dir.path()), QStringList({ "Desktop.ini", "Ordner", "a*" }));
}

// procfs keeps no user extended attributes.
TEST(AttributesWithoutXattrs, SettingFailsReadingWorks)
{
    EXPECT_FALSE(SetFileAttributesA("/proc/self/status", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_NE(GetFileAttributesA("/proc/self/status"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("/proc/self") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

TEST(AttributeStorage, ChosenByFileSystem)
{
    using files::AttributeStorage;
    const std::tuple<long, bool, AttributeStorage> cases[] = {
        { MSDOS_SUPER_MAGIC, false, AttributeStorage::Fat },
        { long(EXFAT_SUPER_MAGIC), false, AttributeStorage::Fat },
        { 0x7366746e, false, AttributeStorage::Ntfs }, // ntfs3
        { 0x5346544e, false, AttributeStorage::Ntfs }, // the old ntfs driver
        { FUSE_SUPER_MAGIC, true, AttributeStorage::Ntfs }, // ntfs-3g
        { FUSE_SUPER_MAGIC, false, AttributeStorage::Samba }, // any other FUSE file system
        { 0xFF534D42, false, AttributeStorage::Cifs }, // mount.cifs
        { 0xFE534D42, false, AttributeStorage::Cifs }, // smb3
        { EXT4_SUPER_MAGIC, false, AttributeStorage::Samba },
        { TMPFS_MAGIC, false, AttributeStorage::Samba },
    };
    for (const auto& [magic, ntfsAttrib, expected] : cases)
        EXPECT_EQ(files::storageFor(magic, ntfsAttrib), expected) << std::hex << magic;
}

// A file system with DOS attributes of its own: the bits go through its store, only ours are passed on.
struct MemoryStore final : files::DosAttributeStore {
    const char* name() const override { return "memory"; }
    std::optional<DWORD> read(const QByteArray&) const override { return bits; }
    bool write(const QByteArray&, DWORD value) const override { return bits = value, true; }
    bool copy(const QByteArray&, const QByteArray&) const override { return false; }
    mutable DWORD bits = 0x2000;
};

TEST_F(Attributes, GoThroughTheStoreOfTheFileSystem)
{
    MemoryStore store;
    files::setAttributeStoreOverride(&store);
    const DWORD before = GetFileAttributesA(folder);
    const bool set = SetFileAttributesA(folder, 0x80 | 36);
    files::setAttributeStoreOverride(nullptr);
    EXPECT_EQ(before, 0x2000u | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(set);
    EXPECT_EQ(store.bits, 36u);
    EXPECT_FALSE(dosAttribXattr(folder));
}

} // namespace
