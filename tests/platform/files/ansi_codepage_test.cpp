#include "platform/files/ansi_codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiCodePage, EveryByteSurvivesReadAndWrite)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(files::encodeAnsi(files::decodeAnsi(all)), all);
}

TEST(AnsiCodePage, Windows1252Characters)
{
    EXPECT_EQ(files::decodeAnsi(QByteArray("\x80\x8a\x9f\xe4\xdf")), QStringLiteral("€ŠŸäß"));
    EXPECT_EQ(files::encodeAnsi(QStringLiteral("€ŠŸäß")), QByteArray("\x80\x8a\x9f\xe4\xdf"));
}

TEST(AnsiCodePage, MissingCharactersBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(files::encodeAnsi(QStringLiteral("a☺b𝄞c\u0100")), QByteArray("a?b?c?"));
    EXPECT_EQ(files::encodeAnsi(QString(QChar(0xD800))), QByteArray("?"));
    EXPECT_EQ(files::foldAnsi(QStringLiteral("Grüße Ω")), QStringLiteral("Grüße ?"));
}

} // namespace
