#include "zmpxi/driver_api.h"
#include "zmpxi/driver_error_texts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// How a code is written inside its text: the low hardware codes in hex.
std::string writtenCode(std::int32_t code)
{
    char buffer[32];
    if (code >= 1 && code <= 0x0a00) {
        std::snprintf(buffer, sizeof buffer, "0x%04x", static_cast<unsigned>(code));
    } else {
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(code));
    }
    return buffer;
}

bool isPlatformCode(std::int32_t code)
{
    return code >= 700001 && code <= 700019;
}

// The lookup keeps the first row of a code: a second one would never be shown. 2 is the
// binding's own "not loaded", never a driver answer; 700020 is one past the table's last row.
TEST(DriverErrorTexts, LookupAnswersEveryRowOnceAndNothingElse)
{
    const z2e::DriverErrorText* rows = z2e::driverErrorTexts();
    std::set<std::int32_t> codes;
    for (std::size_t i = 0; i < z2e::driverErrorTextCount(); ++i) {
        EXPECT_TRUE(codes.insert(rows[i].code).second) << rows[i].code;
        std::string text;
        EXPECT_EQ(z2e::getDriverErrorText(rows[i].code, text), 0) << rows[i].code;
        EXPECT_EQ(text, rows[i].text);
    }
    for (std::int32_t unknown : {2, 0x0404, 1028, 700020, -1}) {
        std::string text = "untouched";
        EXPECT_EQ(z2e::getDriverErrorText(unknown, text), -5) << unknown;
        EXPECT_EQ(text, "untouched");
    }
}

TEST(DriverErrorTexts, EveryTextIsItsNameAndWrittenCode)
{
    const z2e::DriverErrorText* rows = z2e::driverErrorTexts();
    int bareNames = 0;
    for (std::size_t i = 0; i < z2e::driverErrorTextCount(); ++i) {
        const std::string text = rows[i].text;
        SCOPED_TRACE(text);
        const std::size_t blank = text.find(' ');
        const std::string name = text.substr(0, blank);
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"), std::string::npos);
        if (isPlatformCode(rows[i].code)) {
            EXPECT_EQ(blank, std::string::npos);
            ++bareNames;
            continue;
        }
        std::string written = writtenCode(rows[i].code);
        if (rows[i].code == -400000) {
            written = "- 400000"; // the driver's own spelling
        }
        EXPECT_EQ(text, name + " (" + written + ")");
    }
    EXPECT_EQ(bareNames, 19);
}

} // namespace
