// Two desktops (their own documents folders and HOMEs) running zamo2ctl against one site
// register: one board history for both, and a server that stops while they work.
#include "site_fixture.h"

#include "support/net.h"
#include "support/zamo2ctl_run.h"

namespace z2e {
namespace {

using test::expectRun;
using test::holds;
using test::occurrences;
using testing_site::SiteTest;

// The example hardware in a site of its own, named `computer` in the site register.
struct Desk {
    Desk(const std::string& computer, const std::string& url) : environment(site.environment())
    {
        environment.push_back("HOME=" + site.root());
        environment.push_back("ZAMO2_COMPUTER=" + computer);
        environment.push_back("ZAMO2_REGISTER=" + url);
    }

    test::SimSite site;
    test::Environment environment;
};

TEST_F(SiteTest, TwoDesktopsShareOneBoardHistoryAndAStoppedServerLosesNothing)
{
    Desk bay2("bay2", url());
    Desk bay5("bay5", url());
    const std::uint16_t port = test::freeClientBasePort();
    ASSERT_NE(port, 0);
    expectRun(0, "selftest --board 0/2", "", bay2.environment);
    expectRun(0, "--base-port " + std::to_string(port) + " --scan-ms 200 fleet --csv", "10A80001", bay2.environment);
    // Eight boards seen by the fleet read, one self test.
    expectRun(0, "assets --sync", "computer: bay2\nsent:     9\nnew:      9\ncomplete: true\n", bay2.environment);
    EXPECT_TRUE(
        holds(expectRun(0, "assets --sync", "", bay2.environment).out, "sent:     0\nnew:      0\ncomplete: true\n"));

    expectRun(0, "selftest --board 0/2", "", bay5.environment);
    const std::string seenBy5 = expectRun(0, "assets 10A80001", "", bay5.environment).out;
    EXPECT_EQ(expectRun(0, "assets 10A80001", "", bay2.environment).out, seenBy5);
    EXPECT_TRUE(holds(seenBy5, "places:\n  bay2: local 0/2"));
    EXPECT_TRUE(holds(seenBy5, "\n  bay5: local 0/2"));
    EXPECT_TRUE(holds(seenBy5, "  bay2: local  0/2  selftest  0 PASSED\n"));
    EXPECT_TRUE(holds(seenBy5, "  bay5: local  0/2  selftest  0 PASSED\n"));

    // The server goes away: the tools go on, the upload says so, the listing falls back.
    ASSERT_TRUE(cluster()->stop());
    expectRun(0, "selftest --board 0/2", "", bay5.environment);
    const test::ProcessResult away = expectRun(69, "assets --sync", "cannot reach the site register", bay5.environment);
    EXPECT_TRUE(
        holds(away.out, "site:     the site register\ncomputer: bay5\nsent:     0\nnew:      0\ncomplete: false\n"));
    expectRun(0, "assets", "10A80001", bay5.environment);

    ASSERT_TRUE(cluster()->restart()) << cluster()->why();
    EXPECT_TRUE(holds(expectRun(0, "assets --sync", "", bay5.environment).out, "sent:     1\nnew:      1\n"));
    const std::string after = expectRun(0, "assets 10A80001", "", bay2.environment).out;
    EXPECT_EQ(occurrences(after, "selftest  0 PASSED"), 3u) << after;
    EXPECT_EQ(occurrences(after, "bay5: local  0/2  selftest"), 2u) << after;

    // The site's boards due, each where it was seen last: seven of the example's eight have a
    // calibration date, long past.
    const std::string due = expectRun(0, "fleet --site --due 30 --csv", "", bay5.environment).out;
    EXPECT_EQ(occurrences(due, "\r\n"), 1u + 7u) << due;
    EXPECT_TRUE(holds(due, "\r\nbay5: local,,0/2,QA-4008.BNC,10A80001,0251,,2023-06-20,2024-06-20,overdue,"));
    EXPECT_TRUE(holds(due, "\r\nbay2: local,,0/3,QA-4116-STRAIN,10A80002,0274,,2023-03-25,2024-03-25,overdue,"));
    expectRun(64, "fleet --site", "fleet --site needs a site register", {"ZAMO2_REGISTER"});
    expectRun(64, "assets --sync --register mysql://x", "--register needs a PostgreSQL connection string");
    expectRun(64, "tree --register " + url(), "--register applies to assets and fleet");
}

} // namespace
} // namespace z2e
