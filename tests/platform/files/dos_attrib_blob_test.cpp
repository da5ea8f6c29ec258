// Samba's user.DOSATTRIB value. The blobs below were made by Samba's own
// NDR encoder (attribute 0x22, creation time 0x01d9aabbccddeeff); the
// rewritten blobs were checked to decode in Samba to the new attribute with
// the creation time unchanged.
#include "platform/files/dos_attrib_blob.h"

#include <gtest/gtest.h>

using files::decodeDosAttrib;
using files::withDosAttrib;

namespace {

constexpr std::uint64_t kCreated = 0x01d9aabbccddeeffull;

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

const QByteArray kV1 = hex("307832320000010001000000220000000300000005000000000000000900000000000000"
                           "ffeeddccbbaad9010700000000000000");
const QByteArray kV3 = hex("30783232000003000300000011000000220000000300000005000000000000000900000000000000"
                           "ffeeddccbbaad9010700000000000000");
const QByteArray kV4 = hex("000004000400000051000000220000008877665544332211ffeeddccbbaad901");
const QByteArray kV5 = hex("00000500050000001100000022000000ffeeddccbbaad901");

struct BlobCase {
    const char* name;
    QByteArray blob;
    std::uint16_t version;
    QByteArray rewrittenTo0x21;
};

class SambaBlob : public ::testing::TestWithParam<BlobCase> { };

TEST_P(SambaBlob, DecodesAttributeAndCreationTime)
{
    const auto d = decodeDosAttrib(GetParam().blob);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->blob);
    EXPECT_EQ(d->version, GetParam().version);
    EXPECT_EQ(d->attrib, 0x22u);
    EXPECT_EQ(d->createTime, kCreated);
}

TEST_P(SambaBlob, RewriteKeepsVersionAndEverythingButTheAttribute)
{
    const auto out = withDosAttrib(GetParam().blob, 0x21);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->toHex().toStdString(), GetParam().rewrittenTo0x21.toHex().toStdString());
    const auto d = decodeDosAttrib(*out);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->version, GetParam().version);
    EXPECT_EQ(d->attrib, 0x21u);
    EXPECT_EQ(d->createTime, kCreated);
}

INSTANTIATE_TEST_SUITE_P(Versions, SambaBlob,
    ::testing::Values(BlobCase { "v1", kV1, 1,
                          hex("307832310000010001000000210000000300000005000000000000000900000000000000"
                              "ffeeddccbbaad9010700000000000000") },
        BlobCase { "v3", kV3, 3,
            hex("30783231000003000300000011000000210000000300000005000000000000000900000000000000"
                "ffeeddccbbaad9010700000000000000") },
        // From version 4 on Samba leaves the hex text empty; ours carries it for Wine.
        BlobCase { "v4", kV4, 4,
            hex("3078323100000400040000005100000021000000"
                "8877665544332211ffeeddccbbaad901") },
        BlobCase { "v5", kV5, 5, hex("3078323100000500050000001100000021000000ffeeddccbbaad901") }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SambaBlob, AttributeWithoutValidFlagReadsAsNoBitsAndGetsTheFlag)
{
    QByteArray v5 = kV5;
    v5[8] = 0x10; // creation time valid, attribute not
    EXPECT_EQ(decodeDosAttrib(v5)->attrib, 0u);
    const auto out = withDosAttrib(v5, 0x2);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->toHex().toStdString(), "30783200050005001100000002000000ffeeddccbbaad901");
}

TEST(SambaBlob, UnknownVersionIsNeverRewritten)
{
    // Version 2 is read but not written; 9 is unknown. Both keep their hex text readable.
    QByteArray v2 = hex("30783232000002000200000000000000220000000000000000000000000000000000000000000000"
                        "000000000000000000000000000000000000000000000000");
    QByteArray v9 = hex("307832320000090009000000deadbeef");
    for (const QByteArray& blob : { v2, v9 }) {
        EXPECT_FALSE(withDosAttrib(blob, 0x1));
        const auto d = decodeDosAttrib(blob);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->attrib, 0x22u);
    }
    EXPECT_FALSE(decodeDosAttrib(hex("00000900090000001100000022000000")));
}

TEST(SambaBlob, TruncatedBlobsAreNeitherReadPastNorRewritten)
{
    for (const QByteArray& blob : { kV1, kV3, kV4, kV5 }) {
        for (qsizetype n = 1; n < blob.size(); ++n) {
            const QByteArray cut = blob.left(n);
            const auto d = decodeDosAttrib(cut);
            const auto w = withDosAttrib(cut, 0x1);
            // Whatever is left of the hex text may still be read; a body is never guessed at.
            if (d && d->blob) {
                EXPECT_FALSE(d->createTime) << n;
            }
            if (w) {
                EXPECT_TRUE(d && !d->blob) << "only a text form may be rewritten, length " << n;
            }
        }
    }
}

struct TextCase {
    const char* name;
    QByteArray stored;
    std::optional<std::uint32_t> attrib;
};

class SambaText : public ::testing::TestWithParam<TextCase> { };

TEST_P(SambaText, Decodes)
{
    const auto d = decodeDosAttrib(GetParam().stored);
    ASSERT_EQ(d.has_value(), GetParam().attrib.has_value());
    if (d) {
        EXPECT_FALSE(d->blob);
        EXPECT_EQ(d->attrib, *GetParam().attrib);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, SambaText,
    ::testing::Values(TextCase { "wine", "0x22", 0x22u },
        TextCase { "sambaWithNul", QByteArray("0x22\0", 5), 0x22u }, TextCase { "upperCase", "0X1F", 0x1Fu },
        TextCase { "noPrefix", "21", 0x21u }, TextCase { "empty", "", std::nullopt },
        TextCase { "notHex", "0xZZ", std::nullopt }, TextCase { "tooLong", "0x123456789", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SambaText, WrittenAsWineWritesIt)
{
    EXPECT_EQ(files::encodeDosAttribText(0x22), QByteArray("0x22"));
    EXPECT_EQ(files::encodeDosAttribText(0x1), QByteArray("0x1"));
    EXPECT_EQ(withDosAttrib(QByteArray(), 0x24), QByteArray("0x24"));
    EXPECT_EQ(withDosAttrib(QByteArray("0x22\0", 5), 0x1), QByteArray("0x1"));
    EXPECT_FALSE(withDosAttrib(QByteArray("junk"), 0x1));
}

} // namespace
