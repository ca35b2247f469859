#include "driver/command/driver_result.h"

#include <gtest/gtest.h>

namespace {

using z2e::DriverResult;
using z2e::ResultMeaning;

// The codes the command line meets most: the exit status and the words it prints hang on them.
TEST(DriverResultMeaning, CodesOfDriverClientAndPlatform)
{
    const std::pair<std::int32_t, ResultMeaning> cases[] = {
        {0, ResultMeaning::Ok},
        {-260901, ResultMeaning::Warning},
        {2, ResultMeaning::NotLoaded},
        {1, ResultMeaning::HardwareBusy},
        {700008, ResultMeaning::Timeout},
        {700002, ResultMeaning::Unreachable},
        {700015, ResultMeaning::Unreachable},
        {700021, ResultMeaning::Unreachable},
        {260, ResultMeaning::Failed},
        {700009, ResultMeaning::Failed},
    };
    for (const auto& [code, meaning] : cases) {
        EXPECT_EQ(DriverResult::meaningOf(code), meaning) << code;
        EXPECT_EQ(DriverResult::meaningOf(DriverResult::codeOf(meaning)), meaning) << code;
    }
    EXPECT_EQ(DriverResult::codeOf(ResultMeaning::Timeout), 700008);
}

} // namespace
