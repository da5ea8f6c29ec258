#include "platform/registry/ansi_code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiCodePage, MapsWindows1252)
{
    struct Case {
        char16_t c;
        unsigned char byte;
    };
    const Case cases[] = {
        { u'A', 0x41 },
        { u'\0', 0x00 },
        { u'ä', 0xE4 },
        { u'ß', 0xDF },
        { u'ÿ', 0xFF },
        { u'€', 0x80 },
        { u'‚', 0x82 },
        { u'Œ', 0x8C },
        { u'Ÿ', 0x9F },
        { u'\u00A0', 0xA0 },
        { u'\u0081', 0x81 },
        { u'\u008D', 0x8D },
        { u'\u009D', 0x9D },
    };
    for (const Case& c : cases) {
        const QString text(QChar(c.c));
        EXPECT_EQ(AnsiCodePage::fromUnicode(text), QByteArray(1, static_cast<char>(c.byte))) << int(c.c);
        EXPECT_EQ(AnsiCodePage::toUnicode(QByteArray(1, static_cast<char>(c.byte))), text) << int(c.byte);
    }
}

TEST(AnsiCodePage, CharactersItLacksBecomeQuestionMarks)
{
    EXPECT_EQ(AnsiCodePage::fromUnicode(u"Ω Ā 中 \U0001F600 €"_qs), QByteArray("? ? ? ? \x80"));
    EXPECT_EQ(AnsiCodePage::fold(u"Grüße Ω"_qs), u"Grüße ?"_qs);
}

TEST(AnsiCodePage, EveryByteSurvivesATripThroughText)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(AnsiCodePage::toUnicode(all).size(), 256);
    EXPECT_EQ(AnsiCodePage::fromUnicode(AnsiCodePage::toUnicode(all)), all);
}

} // namespace
