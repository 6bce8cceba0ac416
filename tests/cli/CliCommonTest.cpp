// Helpers shared by the subcommands of tessaview-cli.
#include "CliCommon.h"

#include <gtest/gtest.h>

namespace {

// Names, identities and stamps come from loggers and files; none of their
// bytes may reach the terminal as a control character.
TEST(CliCommonTest, TerminalTextEscapesEveryControlCharacter)
{
    const struct {
        QString in;
        bool keepLineFeeds;
        QString out;
    } cases[] = {
        {"ROOM 1", false, "ROOM 1"},
        {QStringLiteral("A\x1b[31mB"), false, "A\\x1b[31mB"},
        {QStringLiteral("\x1b]0;owned\x07"), false, "\\x1b]0;owned\\x07"},
        {QStringLiteral("a\nb\rc\td"), false, "a\\x0ab\\x0dc\\x09d"},
        {QStringLiteral("a\nb\rc"), true, "a\nb\\x0dc"},
        {QString::fromLatin1("\x7f\x9b" "2J\xe9"), false, QString::fromLatin1("\\x7f\\x9b" "2J\xe9")},
        {QString(QChar(0)) + "z", false, "\\x00z"},
        {"C:\\logs", false, "C:\\logs"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(TerminalText(k.in, k.keepLineFeeds), k.out) << qPrintable(k.out);
}

TEST(CliCommonTest, PrintableBytesEscapesTheBackslashToo)
{
    EXPECT_EQ(PrintableBytes("A\\\x1b\xff", 4), "A\\x5c\\x1b\\xff");
}

}  // namespace
