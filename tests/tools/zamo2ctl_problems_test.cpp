// "zamo2ctl problems" on the example system: every fault once, with where and what to do,
// and the self test the journal remembers as failed.
#include "tools_fixture.h"

namespace z2e {
namespace {

using namespace testing_tools;

using Zamo2ctlProblems = Zamo2ctlTest;

TEST_F(Zamo2ctlProblems, OneLinePerProblemAndTheExitStatusSaysWhetherThereAreAny)
{
    std::string out;
    EXPECT_EQ(run("problems --json", out), 1);
    for (const char* expected : {
             "{\"kind\":\"firmware-old\",\"where\":\"0/2  QA-4008.BNC 10A80001\"",
             "{\"kind\":\"temperature-high\",\"where\":\"1/2  QD-5064-ISO 10A80005\",\"what\":\"temperature high: "
             "BaseBoard 78.5degC (limit 70degC)\"",
             "{\"kind\":\"eeprom-unreadable\",\"where\":\"2/3  QN-6202-UART 10A80008\"",
         })
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(out.find("selftest-failed"), std::string::npos) << out;

    EXPECT_EQ(run("selftest --board 0/3", out), 65);
    // The check that failed says by how much.
    EXPECT_NE(out.find("      AI0  +/-0.10 V: FAILED!! (Value: 0.001700 V) (Limit: 0.001000)\n"), std::string::npos)
        << out;
    EXPECT_EQ(run("problems", out), 1);
    EXPECT_NE(out.find("local  0/3  QA-4116-STRAIN 10A80002  last self test failed ("), std::string::npos) << out;
    EXPECT_NE(out.find("  -> Board History for its checks"), std::string::npos) << out;
}

} // namespace
} // namespace z2e
