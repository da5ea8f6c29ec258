// The profile format in memory: what a read finds and exactly which bytes a
// write changes.
#include "platform/files/profile_text.h"

#include <gtest/gtest.h>

using files::ProfileText;

namespace {

struct ReadCase {
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    std::optional<QString> expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> { };

TEST_P(ProfileRead, FindsTheValueWindowsWould)
{
    const ReadCase& c = GetParam();
    const auto got = ProfileText(c.file).value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(got->toStdString(), c.expected->toStdString());
    }
}

const QString none;
std::optional<QString> v(const char* s)
{
    return QString::fromUtf8(s);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRead,
    ::testing::Values(ReadCase { "plain", "[S]\r\nk=v\r\n", "S", "k", v("v") },
        ReadCase {
            "sectionCase", "[.ShellClassInfo]\r\nInfoTip=x\r\n", ".shellclassinfo", "INFOTIP", v("x") },
        ReadCase { "namesTrimmed", "  [  S  ]  \r\n\t k \t= v\r\n", " S ", " k ", v("v") },
        ReadCase { "valueTrimmed", "[S]\r\nk=  a b \t\r\n", "S", "k", v("a b") },
        ReadCase { "onePairOfQuotes", "[S]\r\nk= \"\"a\"\" \r\n", "S", "k", v("\"a\"") },
        ReadCase { "loneQuoteKept", "[S]\r\nk=\"a\r\n", "S", "k", v("\"a") },
        ReadCase { "emptyValue", "[S]\r\nk=\r\n", "S", "k", v("") },
        ReadCase { "lineWithoutEqualsIsNoKey", "[S]\r\nk\r\n", "S", "k", std::nullopt },
        ReadCase { "firstKeyWins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", v("1") },
        ReadCase { "firstSectionOnly", "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n", "S", "b", std::nullopt },
        ReadCase { "keyOfOtherSection", "[S]\r\n[T]\r\nk=1\r\n", "S", "k", std::nullopt },
        ReadCase { "keyBeforeAnySection", "k=1\r\n[S]\r\n", "S", "k", std::nullopt },
        ReadCase { "missingSection", "[S]\r\nk=1\r\n", "X", "k", std::nullopt },
        ReadCase { "lfOnly", "[S]\nk=lf\n", "S", "k", v("lf") },
        ReadCase { "crOnly", "[S]\rk=cr\rj=2", "S", "j", v("2") },
        ReadCase { "noFinalNewline", "[S]\r\nk=end", "S", "k", v("end") },
        ReadCase { "equalsInValue", "[S]\r\nk=a=b\r\n", "S", "k", v("a=b") },
        ReadCase { "lastBracketClosesName", "[a]b]\r\nk=1\r\n", "a]b", "k", v("1") },
        ReadCase { "bracketWithoutCloseIsNoSection", "[S]\r\n[T\r\nk=1\r\n", "S", "k", v("1") },
        ReadCase { "nulEndsValue", QByteArray("[S]\r\nk=ab\0cd\r\n", 14), "S", "k", v("ab") },
        ReadCase { "ansiDecoded",
            "[S]\r\nk=Stra\xdf"
            "e \x80\r\n",
            "S", "k", v("Straße €") },
        ReadCase {
            "utf8BomHidesFirstSection", "\xef\xbb\xbf[S]\r\nk=1\r\n[T]\r\nk=2\r\n", "S", "k", std::nullopt },
        ReadCase { "utf8BomOtherSections", "\xef\xbb\xbf[S]\r\nk=1\r\n[T]\r\nk=2\r\n", "T", "k", v("2") },
        ReadCase { "emptyFile", "", "S", "k", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    QByteArray before;
    const char* section;
    const char* key;
    const char* value; // nullptr: remove
    std::optional<QByteArray> after; // nullopt: nothing to change
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> { };

TEST_P(ProfileWrite, ChangesOnlyTheLineItNeeds)
{
    const WriteCase& c = GetParam();
    const ProfileText text(c.before);
    const QString section = QString::fromUtf8(c.section);
    const QString key = QString::fromUtf8(c.key);
    const std::optional<QByteArray> got = c.value
        ? std::optional<QByteArray>(text.withValue(section, key, QString::fromUtf8(c.value)))
        : text.withoutKey(section, key);
    ASSERT_EQ(got.has_value(), c.after.has_value());
    if (got) {
        EXPECT_EQ(got->toStdString(), c.after->toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWrite,
    ::testing::Values(WriteCase { "newFile", "", ".ShellClassInfo", "InfoTip", "Hallo",
                          "[.ShellClassInfo]\r\nInfoTip=Hallo\r\n" },
        WriteCase { "replaceKeepsNameSpellingAndRest", "; c\r\n[S]\r\n  Infotip = old \r\nx=1\r\n", "s",
            "InfoTip", "new", "; c\r\n[S]\r\nInfotip=new\r\nx=1\r\n" },
        WriteCase { "replaceKeepsLfEnding", "[S]\nk=1\nj=2\n", "S", "k", "9", "[S]\nk=9\nj=2\n" },
        WriteCase { "appendAfterLastKeyBeforeBlankAndComment", "[S]\r\na=1\r\nb=2\r\n\r\n; next\r\n[T]\r\n",
            "S", "c", "3", "[S]\r\na=1\r\nb=2\r\nc=3\r\n\r\n; next\r\n[T]\r\n" },
        WriteCase { "appendIntoSectionWithoutKeys", "[S]\r\n; only a comment\r\n[T]\r\n", "S", "k", "v",
            "[S]\r\nk=v\r\n; only a comment\r\n[T]\r\n" },
        WriteCase { "appendToLastLineWithoutNewline", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n" },
        WriteCase { "newSectionAtEnd", "[S]\r\na=1\r\n", "T", "k", "v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n" },
        WriteCase {
            "newSectionAfterUnterminatedLine", "[S]\r\na=1", "T", "k", "v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n" },
        WriteCase { "emptyValueKeepsKey", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n" },
        WriteCase { "valueWrittenVerbatim", "", "S", "k", " \"x\" ", "[S]\r\nk= \"x\" \r\n" },
        WriteCase { "firstDuplicateSectionTakesNewKey", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "b", "9",
            "[S]\r\na=1\r\nb=9\r\n[T]\r\n[S]\r\nb=2\r\n" },
        WriteCase { "charactersOutsideCodePage", "", "S", "k", "€ ß ☺ 𝄞", "[S]\r\nk=\x80 \xdf ? ?\r\n" },
        WriteCase { "junkAroundKept", QByteArray("\0\xff junk\r\n[S]\rk=1\r\x01\x02\n", 20), "S", "k", "2",
            QByteArray("\0\xff junk\r\n[S]\rk=2\r\x01\x02\n", 20) },
        WriteCase { "removeKey", "[S]\r\na=1\r\nk=2\r\nb=3\r\n", "S", "K", nullptr, "[S]\r\na=1\r\nb=3\r\n" },
        WriteCase { "removeUnterminatedLastKey", "[S]\r\na=1\r\nk=2", "S", "k", nullptr, "[S]\r\na=1\r\n" },
        WriteCase { "removeMissingKey", "[S]\r\na=1\r\n", "S", "k", nullptr, std::nullopt },
        WriteCase { "removeFromMissingSection", "[S]\r\nk=1\r\n", "T", "k", nullptr, std::nullopt },
        WriteCase { "utf8BomGetsSecondSection", "\xef\xbb\xbf[S]\r\nk=1\r\n", "S", "k", "2",
            "\xef\xbb\xbf[S]\r\nk=1\r\n[S]\r\nk=2\r\n" }),
    [](const auto& info) { return std::string(info.param.name); });

QByteArray utf16(const QString& s)
{
    QByteArray out;
    for (const QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

TEST(ProfileUtf16, ReadsAndWritesUtf16LittleEndian)
{
    const QByteArray bom("\xff\xfe", 2);
    const QByteArray before = bom + utf16(QStringLiteral("[S]\r\nk=Grüße ☺\r\n[T]\r\nj=1\r\n"));
    const ProfileText text(before);
    EXPECT_TRUE(text.isUtf16());
    EXPECT_EQ(text.value(QStringLiteral("s"), QStringLiteral("K")), QStringLiteral("Grüße ☺"));
    EXPECT_EQ(text.withValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("Œ")),
        bom + utf16(QStringLiteral("[S]\r\nk=Œ\r\n[T]\r\nj=1\r\n")));
    EXPECT_EQ(text.withValue(QStringLiteral("U"), QStringLiteral("n"), QStringLiteral("v")),
        before + utf16(QStringLiteral("[U]\r\nn=v\r\n")));
}

TEST(ProfileUtf16, OddLastByteStaysLast)
{
    const QByteArray bom("\xff\xfe", 2);
    const QByteArray before = bom + utf16(QStringLiteral("[S]\r\nk=1")) + QByteArray("\x7f", 1);
    const ProfileText text(before);
    EXPECT_EQ(text.value(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(text.withValue(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("2")),
        bom + utf16(QStringLiteral("[S]\r\nk=1\r\nj=2\r\n")) + QByteArray("\x7f", 1));
}

TEST(ProfileLongLine, TenMegabyteLinesAreReadAndKept)
{
    const QByteArray huge(10 * 1024 * 1024, 'x');
    const QByteArray before = "[S]\r\n" + huge + "\r\nbig=" + huge + "\r\n[" + huge + "\r\nk=1\r\n";
    const ProfileText text(before);
    EXPECT_EQ(text.value(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(text.value(QStringLiteral("S"), QStringLiteral("big"))->size(), huge.size());
    const QByteArray after = text.withValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2"));
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(after.endsWith("\r\nk=2\r\n"));
    EXPECT_EQ(after.left(before.size() - 3), before.left(before.size() - 3));
}

} // namespace

namespace {

TEST(ProfileKeys, AnyKeyInAnySectionCounts)
{
    struct Case {
        const char* text;
        bool hasKey;
    };
    const Case cases[] = {
        { "", false },
        { "k=v\r\n", false }, // before any section: in none
        { "[.ShellClassInfo]\r\n", false },
        { "[.ShellClassInfo]\r\njust text\r\n\r\n", false },
        { "[.ShellClassInfo]\r\n[ViewState]\r\nMode=\r\n", true },
        { "[a]\r\n;note=1\r\n", true }, // Windows reads it as a key named ";note"
        { "[a]\nk = v", true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::ProfileText(QByteArray(c.text)).hasAnyKey(), c.hasKey) << c.text;
    const QString wide = QStringLiteral("[s]\r\nk=v\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
    EXPECT_TRUE(files::ProfileText(utf16).hasAnyKey());
}

} // namespace
