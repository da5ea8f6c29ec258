// SPDX-License-Identifier: GPL-3.0-or-later
// Attribute bits on a file system without DOS attributes of its own: kept in user.DOSATTRIB where
// Samba and Wine read them. The blobs below were made by Samba's own NDR encoder (attribute 0x22,
// creation time 0x01d9aabbccddeeff); the rewritten ones decode in Samba to the new attribute.
#include "platform/files/dos_attrib_blob.h"
#include "platform/files/dos_attribute_store.h"
#include "platform/files/file_attributes.h"

#include "tests/support/test_util.h"

#include <linux/magic.h>

#include <sstream>
#include <tuple>

using files::decodeDosAttrib;
using files::withDosAttrib;
using namespace testutil;

namespace {

const auto hex = [](const char* h) { return QByteArray::fromHex(h); };

// What a stored value decodes to, in hex: "none", "text 22" or "v5 22 1d9aabbccddeeff".
std::string decoded(const QByteArray& value)
{
    const auto d = decodeDosAttrib(value);
    if (!d) return "none";
    std::ostringstream s;
    s << std::hex << (d->blob ? 'v' + std::to_string(d->version) + ' ' : std::string("text ")) << d->attrib;
    if (d->createTime) s << ' ' << *d->createTime;
    return s.str();
}

// Per version, a blob and the blob rewritten to 0x21.
const std::tuple<int, QByteArray, QByteArray> kBlobs[] = {
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

// A rewrite keeps the version, the creation time and every other field. Of a truncated blob
// whatever is left of the hex text may still be read; a body is never guessed at.
TEST(SambaBlob, EveryWritableVersionReadsAndRewritesButNoTruncatedOne)
{
    for (const auto& [version, blob, rewritten] : kBlobs) {
        const std::string v = 'v' + std::to_string(version);
        EXPECT_EQ(decoded(blob), v + " 22 1d9aabbccddeeff");
        EXPECT_EQ(withDosAttrib(blob, 0x21), rewritten) << v;
        EXPECT_EQ(decoded(rewritten), v + " 21 1d9aabbccddeeff");
        for (qsizetype n = 1; n < blob.size(); ++n) {
            const auto d = decodeDosAttrib(blob.left(n));
            EXPECT_FALSE(d && d->blob && d->createTime) << v << ' ' << n;
            EXPECT_TRUE(!withDosAttrib(blob.left(n), 0x1) || (d && !d->blob))
                << "only text is rewritten " << n;
        }
    }
    // A stored word without its valid flag reads as no bits; a rewrite sets the flag.
    QByteArray v5 = std::get<1>(kBlobs[3]);
    v5[8] = 0x10; // creation time valid, attribute not
    EXPECT_EQ(decoded(v5), "v5 0 1d9aabbccddeeff");
    EXPECT_EQ(withDosAttrib(v5, 0x2), hex("30783200050005001100000002000000ffeeddccbbaad901"));
}

// The text form as Samba and Wine write it, rewritten as Wine writes it; version 2
// is read but not written, of the unknown 9 only the hex text is read.
TEST(SambaText, ReadAndRewritten)
{
    const std::tuple<QByteArray, const char*, std::optional<QByteArray>> cases[]
        = { { "0x22", "text 22", "0x1f" }, { QByteArray("0x22\0", 5), "text 22", "0x1f" },
              { "0X1F", "text 1f", "0x1f" }, { "21", "text 21", "0x1f" }, { "", "none", "0x1f" },
              { "0xZZ", "none", std::nullopt }, { "0x123456789", "none", std::nullopt },
              { hex("3078323200000200020000000000000022") + QByteArray(47, 0), "v2 22 0", std::nullopt },
              { hex("307832320000090009000000deadbeef"), "v9 22", std::nullopt },
              { hex("00000900090000001100000022000000"), "none", std::nullopt } };
    for (const auto& [stored, read, rewrittenTo0x1f] : cases) {
        EXPECT_EQ(decoded(stored), read) << stored.toStdString();
        EXPECT_EQ(withDosAttrib(stored, 0x1f), rewrittenTo0x1f) << stored.toStdString();
    }
}

class Attributes : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        writeBytes(file, "[S]\r\n");
        ASSERT_TRUE(QDir().mkdir(folder));
    }
    const QString file = path("Desktop.ini"), folder = path("Ordner");
};

// Every set the program makes reads back and is stored in the text form; bits outside the four are not ours.
TEST_F(Attributes, SetReadsBackAndIsStoredAsText)
{
    const std::tuple<DWORD, DWORD, const char*> cases[]
        = { { 0, 0, "0x0" }, { 1, 1, "0x1" }, { 32, 32, "0x20" }, { 34, 34, "0x22" }, { 36, 36, "0x24" },
              { 39, 39, "0x27" }, { 0x80 | 0x10 | 0x4, 0x4, "0x4" } };
    for (const auto& [set, read, stored] : cases)
        for (const QString& p : { file, folder }) {
            SCOPED_TRACE(testing::Message() << set << ' ' << p.toStdString());
            ASSERT_TRUE(SetFileAttributesA(p, set));
            EXPECT_EQ(GetFileAttributesA(p), p == folder ? read | FILE_ATTRIBUTE_DIRECTORY : read);
            EXPECT_EQ(dosAttribXattr(p), QByteArray(stored));
        }
}

// Wine takes a file's read-only state from its write permission; a folder keeps its permissions.
TEST_F(Attributes, ReadOnlyFileMirrorsWritePermission)
{
    setMode(file, 0664);
    ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(modeOf(file), mode_t(0444));
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

// NTFS-3G is FUSE that answers its attribute query; one row per storage besides.
TEST(AttributeStorage, ChosenByFileSystem)
{
    using enum files::AttributeStorage;
    const std::tuple<long, bool, files::AttributeStorage> cases[] = { { MSDOS_SUPER_MAGIC, false, Fat },
        { 0x7366746e, false, Ntfs }, { FUSE_SUPER_MAGIC, true, Ntfs }, { FUSE_SUPER_MAGIC, false, Samba },
        { 0xFF534D42, false, Cifs }, { EXT4_SUPER_MAGIC, false, Samba } };
    for (const auto& [magic, ntfsAttrib, expected] : cases)
        EXPECT_EQ(files::storageFor(magic, ntfsAttrib), expected) << std::hex << magic;
}

// The stores on a file system that is none of theirs: FAT's and NTFS's calls
// are refused, as are the SMB client's without its attribute, and nothing is
// lost; procfs keeps no user attributes, which reads as nothing stored.
TEST_F(Attributes, EachStoreOnAFileSystemNotItsOwn)
{
    const QByteArray f = file.toUtf8(), missing = path("missing").toUtf8(), proc = "/proc/self/status";
    setDosAttribXattr(file, "0x22");
    for (const auto* store :
        { &files::fatAttributeStore(), &files::ntfsAttributeStore(), &files::cifsAttributeStore() })
        EXPECT_FALSE(store->read(f) || store->write(f, 1) || store->write(missing, 1) || store->copy(f, f))
            << store->name();
    EXPECT_EQ(dosAttribXattr(file), QByteArray("0x22"));
    EXPECT_EQ(modeOf(file) & 0200, 0200u);
    EXPECT_FALSE(files::onWindowsVolume(f));
    EXPECT_EQ(files::sambaAttributeStore().read(proc), 0u);
    EXPECT_TRUE(files::sambaAttributeStore().copy(proc, f));
    EXPECT_FALSE(SetFileAttributesA(proc, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_NE(GetFileAttributesA(proc), INVALID_FILE_ATTRIBUTES);
    // mount.cifs: 32 bits, little-endian; the server's bits (directory, not indexed, a high one) stay.
    const char* const cifs = "user.cifs.dosattrib";
    ASSERT_EQ(::setxattr(f.constData(), cifs, "\x10\x20\x01\x00", 4, 0), 0);
    EXPECT_EQ(files::cifsAttributeStore().read(f), 0x12010u);
    ASSERT_TRUE(files::cifsAttributeStore().write(f, 0x23));
    char after[4] = {};
    EXPECT_EQ(
        QByteArray(after, int(::getxattr(f.constData(), cifs, after, 4))), QByteArray("\x33\x20\x01\x00", 4));
}

TEST_F(Attributes, AnotherUsersFileKeepsItsBitsUnlessWeMayWriteIt)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files that belong to someone else";
    setMode(dir.path(), 0755);
    const std::tuple<const char*, mode_t, QByteArray, DWORD, bool> cases[] = {
        { "no write permission", 0644, "0x22", 0, false },
        { "writable, but only the owner may make it read-only", 0666, "0x22", 1, false },
        { "writable, read-only bit stays off", 0666, "0x20", 34, true },
        { "read-only, only the owner may make it writable", 0444, "0x21", 32, false },
    };
    for (const auto& [what, mode, stored, bits, allowed] : cases) {
        SCOPED_TRACE(what);
        setDosAttribXattr(file, stored);
        setMode(file, mode);
        EXPECT_EQ(asNobody([&] { return SetFileAttributesA(file, bits) != 0; }), allowed);
        EXPECT_EQ(dosAttribXattr(file), allowed ? QByteArray("0x22") : stored);
        EXPECT_EQ(modeOf(file), mode);
    }
}

} // namespace
