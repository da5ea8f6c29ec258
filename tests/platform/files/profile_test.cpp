// SPDX-License-Identifier: GPL-3.0-or-later
// The profile format in memory: what a read finds and exactly which bytes a
// write changes, and the code page of its ANSI files.
#include "platform/files/ansi_codepage.h"
#include "platform/files/profile_text.h"

#include "tests/support/test_util.h"

using files::ProfileText;
using namespace testutil;

namespace {

// Every byte survives a read and a write, so the mapping below holds both
// ways; what the code page lacks becomes one '?' per character.
TEST(AnsiCodePage, MapsLikeWindows1252)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(files::encodeAnsi(files::decodeAnsi(all)), all);
    EXPECT_EQ(files::encodeAnsi("€ŠŸäß"), "\x80\x8a\x9f\xe4\xdf");
    EXPECT_EQ(files::encodeAnsi("a☺b𝄞c\u0100" + QString(QChar(0xD800))), "a?b?c??");
}

TEST(ProfileText, ReadFindsTheValueWindowsWould)
{
    const std::nullopt_t none = std::nullopt;
    const QByteArray bom("\xff\xfe", 2);
    // name, file, section, key, the value read
    const std::tuple<const char*, QByteArray, const char*, const char*, std::optional<QString>> cases[] = {
        { "namesTrimmed", "  [  S  ]  \r\n\t k \t= v\r\n", " S ", " k ", "v" },
        { "valueTrimmed", "[S]\r\nk=  a b \t\r\n", "S", "k", "a b" },
        { "emptyValue", "[S]\r\nk=\r\n", "S", "k", "" },
        { "noEquals", "[S]\r\nk\r\n", "S", "k", none },
        { "firstKeyWins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1" },
        { "firstSectionOnly", "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n", "S", "b", none },
        { "keyBeforeAnySection", "k=1\r\n[S]\r\n", "S", "k", none },
        { "missingSection", "[S]\r\nk=1\r\n", "X", "k", none },
        { "lfOnly", "[S]\nk=lf\n", "S", "k", "lf" },
        { "crOnly", "[S]\rk=cr\rj=2", "S", "j", "2" },
        { "noFinalNewline", "[S]\r\nk=end", "S", "k", "end" },
        { "equalsInValue", "[S]\r\nk=a=b\r\n", "S", "k", "a=b" },
        { "lastBracket", "[a]b]\r\nk=1\r\n", "a]b", "k", "1" },
        { "unclosed", "[S]\r\n[T\r\nk=1\r\n", "S", "k", "1" },
        { "nulEndsValue", QByteArray("[S]\r\nk=ab\0cd\r\n", 14), "S", "k", "ab" },
        // Windows does not know a UTF-8 byte order mark: the first line is no section line.
        { "utf8BomHides", "\xef\xbb\xbf[S]\r\nk=1\r\n[T]\r\nk=2\r\n", "S", "k", none },
        { "emptyFile", "", "S", "k", none },
        { "utf16", bom + utf16("[S]\r\nk=1") + "\x7f", "S", "k", "1" },
    };
    for (const auto& [name, file, section, key, expected] : cases)
        EXPECT_EQ(ProfileText(file).value(section, key), expected) << name;
}

TEST(ProfileText, WriteChangesOnlyTheLineItNeeds)
{
    const QByteArray bom("\xff\xfe", 2);
    using After = std::optional<QByteArray>; // nullopt: nothing to change
    // name, file, section, key, value (nullptr: remove), the file after
    const std::tuple<const char*, QByteArray, const char*, const char*, const char*, After> cases[] = {
        { "replaceKeepsName", "; c\r\n[S]\r\n  Infotip = old \r\nx=1\r\n", "s", "InfoTip", "new",
            "; c\r\n[S]\r\nInfotip=new\r\nx=1\r\n" },
        { "replaceKeepsLf", "[S]\nk=1\nj=2\n", "S", "k", "9", "[S]\nk=9\nj=2\n" },
        { "afterLastKey", "[S]\r\na=1\r\nb=2\r\n\r\n; next\r\n[T]\r\n", "S", "c", "3",
            "[S]\r\na=1\r\nb=2\r\nc=3\r\n\r\n; next\r\n[T]\r\n" },
        { "noKeysYet", "[S]\r\n; only a comment\r\n[T]\r\n", "S", "k", "v",
            "[S]\r\nk=v\r\n; only a comment\r\n[T]\r\n" },
        { "afterUnterminated", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n" },
        { "newSection", "[S]\r\na=1\r\n", "T", "k", "v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n" },
        { "sectionAfterUnterminated", "[S]\r\na=1", "T", "k", "v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n" },
        { "firstOfTwin", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "b", "9",
            "[S]\r\na=1\r\nb=9\r\n[T]\r\n[S]\r\nb=2\r\n" },
        { "junk", QByteArray("\0\xff junk\r\n[S]\rk=1\r\x01\x02\n", 20), "S", "k", "2",
            QByteArray("\0\xff junk\r\n[S]\rk=2\r\x01\x02\n", 20) },
        { "removeUnterminated", "[S]\r\na=1\r\nk=2", "S", "k", nullptr, "[S]\r\na=1\r\n" },
        { "removeMissingKey", "[S]\r\na=1\r\n", "S", "k", nullptr, std::nullopt },
        { "utf8Bom", "\xef\xbb\xbf[S]\r\nk=1\r\n", "S", "k", "2",
            "\xef\xbb\xbf[S]\r\nk=1\r\n[S]\r\nk=2\r\n" },
        // An odd last byte of a UTF-16 file stays last.
        { "utf16OddByte", bom + utf16("[S]\r\nk=1") + "\x7f", "S", "j", "2",
            bom + utf16("[S]\r\nk=1\r\nj=2\r\n") + "\x7f" },
        { "ansiValueStaysAnsi", "[S]\r\n", "S", "k", "€ä", "[S]\r\nk=\x80\xe4\r\n" },
        { "unicodeTurnsUtf16", "\x81\xe4\r\n[S]\nk=1\r\n", "S", "k", "Ελλάδα",
            QByteArray("\xff\xfe", 2) + utf16(QString::fromUtf8("\u0081ä\r\n[S]\nk=Ελλάδα\r\n")) },
        { "unicodeNewFile", "", "S", "k", "Łódź",
            QByteArray("\xff\xfe", 2) + utf16(QString::fromUtf8("[S]\r\nk=Łódź\r\n")) },
    };
    for (const auto& [name, before, section, key, value, after] : cases) {
        const ProfileText text(before);
        EXPECT_EQ(value ? text.withValue(section, key, value) : text.withoutKey(section, key), after) << name;
    }
}

// What profileValueAsWritten gives reads back exactly: blanks and quotes at the ends.
TEST(ProfileText, QuotedValuesReadBackExactly)
{
    for (const char* v : { "", "a b", "Hallo ", "\t a", "\"Zitat\"", "\"", "\"a", "\"\"", " \"x\" " }) {
        const ProfileText file(ProfileText("").withValue("S", "k", files::profileValueAsWritten(v)));
        EXPECT_EQ(file.value("S", "k"), v);
    }
}

// A key before any section is in none; Windows reads ";note=1" as a key named ";note".
TEST(ProfileText, AnyKeyInAnySectionCounts)
{
    const std::pair<QByteArray, bool> cases[]
        = { { "", false }, { "k=v\r\n", false }, { "[.ShellClassInfo]\r\njust text\r\n\r\n", false },
              { "[.ShellClassInfo]\r\n[ViewState]\r\nMode=\r\n", true }, { "[a]\r\n;note=1\r\n", true },
              { "[a]\nk = v", true }, { "\xff\xfe" + utf16("[s]\r\nk=v\r\n"), true } };
    for (const auto& [text, hasKey] : cases)
        EXPECT_EQ(ProfileText(text).hasAnyKey(), hasKey) << text.toStdString();
}

} // namespace
