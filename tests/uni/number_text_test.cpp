#include "uni/number_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(DecimalText, SignDigitsAndRange)
{
    std::int32_t v = 42;
    EXPECT_TRUE(uni::text::parseSignedDecimal("-2147483648", v));
    EXPECT_EQ(INT32_MIN, v);
    EXPECT_TRUE(uni::text::parseSignedDecimal("+2147483647", v));
    EXPECT_EQ(INT32_MAX, v);
    for (const char* bad : {"2147483648", "99999999999", "-", "+", "", "1-", "3a", " 3", "3 ", "0x3"})
        EXPECT_FALSE(uni::text::parseSignedDecimal(bad, v)) << '"' << bad << '"';
    EXPECT_EQ(INT32_MAX, v) << "a failed parse leaves the value alone";
}

TEST(DecimalText, UnsignedDigitsOnlyWithinTheOutputsRange)
{
    std::uint64_t wide = 7;
    EXPECT_TRUE(uni::text::parseUnsignedDecimal("18446744073709551615", wide));
    EXPECT_EQ(UINT64_MAX, wide);
    std::uint32_t narrow = 7;
    EXPECT_TRUE(uni::text::parseUnsignedDecimal("4294967295", narrow));
    EXPECT_EQ(UINT32_MAX, narrow);
    EXPECT_FALSE(uni::text::parseUnsignedDecimal("4294967296", narrow));
    for (const char* bad : {"18446744073709551616", "", "+1", "-1", "1 ", "0x1"})
        EXPECT_FALSE(uni::text::parseUnsignedDecimal(bad, wide)) << '"' << bad << '"';
    EXPECT_EQ(UINT64_MAX, wide);
}

} // namespace
