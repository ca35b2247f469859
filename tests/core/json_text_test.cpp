#include "core/json_text.h"

#include <gtest/gtest.h>

#include <utility>

namespace z2e {
namespace {

// JSON read on a terminal runs no control: C0, DEL and C1 go out as escapes; printable text
// stays, and bytes of no UTF-8 character become U+FFFD.
TEST(JsonTextTest, EveryControlIsEscapedAndPrintableTextStays)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a\x1b]0;x\x07", "\"a\\u001b]0;x\\u0007\""},
        {"del\x7f", "\"del\\u007f\""},
        {"csi\xc2\x9b"
         "2J",
         "\"csi\\u009b2J\""},
        {"q\"\\\n\t", "\"q\\\"\\\\\\n\\t\""},
        {"Pr\xc3\xbc"
         "fstand \xc2\xa0\xc2\xb5V",
         "\"Pr\xc3\xbc"
         "fstand \xc2\xa0\xc2\xb5V\""},
        {"a\x9b", "\"a\xef\xbf\xbd\""},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(jsonString(text), json) << text;
}

} // namespace
} // namespace z2e
