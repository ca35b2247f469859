#include "core/node_result_text.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

// What a file, the driver or a node says is shown as text, never run by the terminal.
TEST(TerminalTextTest, ControlsOfBothKindsAndBrokenUtf8BecomeVisible)
{
    EXPECT_EQ(terminalText("a\x1b]0;owned\x07z"), "a?]0;owned?z");
    EXPECT_EQ(terminalText("\x7f\r"), "??");
    // C1 as UTF-8 (U+009B, the one-byte CSI) and as a lone byte.
    EXPECT_EQ(terminalText("a\xc2\x9b"
                           "2Jz"),
              "a?2Jz");
    EXPECT_EQ(terminalText("a\x9b"
                           "2J"),
              "a\xef\xbf\xbd"
              "2J");
    // A sequence cut short at the end.
    EXPECT_EQ(terminalText("a\xc2"), "a\xef\xbf\xbd");
}

TEST(TerminalTextTest, PrintableTextIsLeftAsItIs)
{
    const std::string printable = "Pr\xc3\xbc"
                                  "fstand 3\tline\n\xc2\xa0"
                                  "10 \xc2\xb5V \xe2\x86\x92 ok";
    EXPECT_EQ(terminalText(printable), printable);
}

TEST(TerminalTextTest, OneLineJoinsLinesAndCleansTheRest)
{
    EXPECT_EQ(oneLine("first\r\nsecond\tthird"), "first second\tthird");
    EXPECT_EQ(oneLine("a\xc2\x9b"
                      "K\x1b[2J"),
              "a?K?[2J");
}

} // namespace
} // namespace z2e
