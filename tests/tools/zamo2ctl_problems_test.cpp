// "zamo2ctl problems" on the example system: every fault once, with where and what to do,
// and the self test the journal remembers as failed; and the count of a node's badge.
#include "tools_fixture.h"

#include "tools/journal_problems.h"
#include "tools/maintenance_journal.h"

#include <sys/stat.h>

namespace z2e {
namespace {

using namespace testing_tools;
using test::expectRun;
using test::holds;

using Zamo2ctlProblems = Zamo2ctlTest;

TEST_F(Zamo2ctlProblems, OneLinePerProblemAndTheExitStatusSaysWhetherThereAreAny)
{
    const std::string json = expectRun(1, "problems --json").out;
    for (const char* expected : {
             "{\"kind\":\"firmware-old\",\"where\":\"0/2  QA-4008.BNC 10A80001\"",
             "{\"kind\":\"temperature-high\",\"where\":\"1/2  QD-5064-ISO 10A80005\",\"what\":\"temperature high: "
             "BaseBoard 78.5degC (limit 70degC)\"",
             "{\"kind\":\"eeprom-unreadable\",\"where\":\"2/3  QN-6202-UART 10A80008\"",
         })
        EXPECT_TRUE(holds(json, expected));
    EXPECT_EQ(json.find("selftest-failed"), std::string::npos) << json;

    // The check that failed says by how much.
    EXPECT_TRUE(holds(expectRun(65, "selftest --board 0/3").out,
                      "      AI0  +/-0.10 V: FAILED!! (Value: 0.001700 V) (Limit: 0.001000)\n"));
    const std::string listed = expectRun(1, "problems").out;
    // The problem names the failed check with its value and limit.
    EXPECT_TRUE(holds(listed, "local  0/3  QA-4116-STRAIN 10A80002  last self test failed ("));
    EXPECT_TRUE(holds(listed, "): AI0  +/-0.10 V: FAILED!! (Value: 0.001700 V) (Limit: 0.001000)  -> repair it, "
                              "then Self Test again (Board History shows every check)\n"));

    // A FIFO planted where the result documents were is not waited on: the problem stays,
    // without its checks.
    const std::string results = journalFolder() + "/results.log";
    ASSERT_TRUE(fs::remove(results));
    ASSERT_EQ(::mkfifo(results.c_str(), 0600), 0);
    EXPECT_TRUE(holds(expectRun(1, "problems").out, "last self test failed ("));

    // The last self test decides: one passed since, and the board is no problem any more.
    JournalEntry passed;
    passed.serial = "10a80002";
    passed.operation = "selftest";
    passed.statusText = "PASSED";
    ASSERT_TRUE(MaintenanceJournal(journalFolder(), "local").append(passed));
    EXPECT_FALSE(holds(expectRun(1, "problems").out, "last self test failed"));
}

// The badge of a node counts problems, and a node not read yet has none to count.
TEST_F(Zamo2ctlProblems, ANodeNotReadYetHasNoProblemsAndOneThatFailedHasOne)
{
    NetworkNodeRecord node;
    node.address = "127.0.0.9";
    node.connectionState = NetworkConnectionState::Announced;
    EXPECT_EQ(JournalProblems::count(node), 0);
    node.failure = 700008;
    EXPECT_EQ(JournalProblems::count(node), 1);
}

} // namespace
} // namespace z2e
