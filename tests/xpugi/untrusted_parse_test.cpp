#include <string>

#include <gtest/gtest.h>

#include "xpugi/untrusted_parse.h"

namespace {

using namespace xpugi;

std::string repeated(const std::string& text, std::size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// Elements and attributes are counted at their '<' and '=', in the text of any length and in
// the last of its blocks too; one more than the limit is refused, and refused unread.
TEST(UntrustedParse, DocumentsOfMoreNodesThanTheLimitAreRefusedUnread)
{
    EXPECT_TRUE(nodesWithin("<a x=\"1\"/>", 10, 2));
    EXPECT_FALSE(nodesWithin("<a x=\"1\"/>", 10, 1));
    EXPECT_FALSE(nodesWithin("<a><b/></a>", 11, 2)); // the closing tag counts: a bound, not a count
    EXPECT_TRUE(nodesWithin("", 0, 0));

    // Every length, beside bytes that differ from '<' and '=' only in their high bit.
    const char bytes[] = "a<\xBC=\xBD<<==\x3E;\xFF\x00<b c=d>=\x7C\x1D<x=\xBC\xBD==<";
    const std::string mixed(bytes, sizeof bytes - 1);
    for (std::size_t length = 0; length <= mixed.size(); ++length) {
        std::size_t exact = 0;
        for (std::size_t i = 0; i < length; ++i)
            exact += mixed[i] == '<' || mixed[i] == '=';
        EXPECT_TRUE(nodesWithin(mixed.data(), length, exact)) << length;
        if (exact > 0) {
            EXPECT_FALSE(nodesWithin(mixed.data(), length, exact - 1)) << length;
        }
    }
    const std::string filler(200000, ' ');
    EXPECT_FALSE(nodesWithin((filler + "<a/><b/>").data(), filler.size() + 8, 1));
    EXPECT_TRUE(nodesWithin((filler + "<a/><b/>").data(), filler.size() + 8, 2));

    // "<r>" and "</r>" count as well.
    const std::string most = "<r>" + repeated("<a/>", kMaxNodes - 2) + "</r>";
    pugi::xml_document document;
    EXPECT_FALSE(parseUntrusted(document, most).tooManyNodes);
    EXPECT_TRUE(parseUntrusted(document, most));

    const std::string crowded = "<r>" + repeated("<a/>", kMaxNodes - 1) + "</r>";
    const UntrustedParse refused = parseUntrusted(document, crowded);
    EXPECT_TRUE(refused.tooManyNodes);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(document.first_child()); // the earlier document went with the refusal
    EXPECT_EQ(tooManyNodesText(), "more than " + std::to_string(kMaxNodes) + " elements and attributes");

    const UntrustedParse broken = parseUntrusted(document, std::string("<a><b></a>"));
    EXPECT_FALSE(broken.tooManyNodes);
    EXPECT_EQ(broken.result.status, pugi::status_end_element_mismatch);
}

} // namespace
