// What a terminal may be shown of a name: one line, no control that moves the cursor or clears the
// screen, and escapes that cannot be mistaken for the name's own backslashes.
#include "common/printable.h"

#include <gtest/gtest.h>

namespace {

using common::printable;
using common::printable_lines;

TEST(Printable, ControlsAndTheBackslashAreEscaped)
{
    EXPECT_EQ(printable("News\tat\nten\\now.mp3"), "News\\tat\\nten\\\\now.mp3");
    EXPECT_EQ(printable("a\\t"), "a\\\\t") << "an escaped backslash and 't' stay apart from a tab";
    EXPECT_EQ(printable("\x1b[2J\r\x7f\x01"), "\\x1b[2J\\x0d\\x7f\\x01");
    EXPECT_EQ(printable(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(printable("plain name, \"quoted\" ~"), "plain name, \"quoted\" ~");
    EXPECT_EQ(printable(""), "");
}

TEST(Printable, WellFormedUtf8StaysAndEverythingElseIsEscapedByteByByte)
{
    EXPECT_EQ(printable("Fran\xc3\xa7"
                        "ais \xe2\x82\xac \xf0\x9f\x93\xba"),
              "Fran\xc3\xa7"
              "ais \xe2\x82\xac \xf0\x9f\x93\xba");
    // A receiver's Latin-1 name, a lone continuation byte, a sequence cut short at the end.
    EXPECT_EQ(printable("Das Erste M\xfcnchen"), "Das Erste M\\xfcnchen");
    EXPECT_EQ(printable("\x80x"), "\\x80x");
    EXPECT_EQ(printable("x\xe2\x82"), "x\\xe2\\x82");
    // Overlong forms, a surrogate, past U+10FFFF.
    EXPECT_EQ(printable("\xc0\xaf"), "\\xc0\\xaf");
    EXPECT_EQ(printable("\xe0\x80\xaf"), "\\xe0\\x80\\xaf");
    EXPECT_EQ(printable("\xed\xa0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(printable("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    // U+0085 and U+009B are controls some terminals obey; U+00A0 is not.
    EXPECT_EQ(printable("a\xc2\x85"
                        "b\xc2\x9b"
                        "c\xc2\xa0"),
              "a\\xc2\\x85b\\xc2\\x9bc\xc2\xa0");
}

TEST(Printable, AMessageKeepsItsOwnLineBreaks)
{
    EXPECT_EQ(printable_lines("Can't open to this file\n/tmp/a\x1b[2J: No such file"),
              "Can't open to this file\n/tmp/a\\x1b[2J: No such file");
    EXPECT_EQ(printable_lines("one\n"), "one\n");
}

} // namespace
