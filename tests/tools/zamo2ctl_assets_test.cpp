// "zamo2ctl assets" after real tool runs on the example system: every board the tools ran on,
// one board's places, firmware and events, a serial never seen, and a damaged register.
#include "tools_fixture.h"

namespace z2e {
namespace {

using namespace testing_tools;

using Zamo2ctlAssets = Zamo2ctlTest;

TEST_F(Zamo2ctlAssets, TheBoardsTheToolsRanOnAndWhatWasDoneToThem)
{
    expectRun(0, "selftest --board 0/2");
    expectRun(0, "firmware update --board 0/2");
    expectRun(65, "selftest --board 0/3");
    const std::string list = expectRun(0, "assets").out;
    EXPECT_TRUE(holds(list, "10A80001  QA-4008.BNC     local 0/2  last seen 20"));
    EXPECT_TRUE(holds(list, "\n10A80002  QA-4116-STRAIN  local 0/3  last seen 20"));

    const std::string one = expectRun(0, "assets 10a80001").out;
    EXPECT_TRUE(holds(one, "10A80001  QA-4008.BNC  first seen 20"));
    EXPECT_TRUE(holds(one, "last place: local 0/2\nplaces:\n  local 0/2  "));
    EXPECT_TRUE(holds(one, "firmware:\n  0251  "));
    EXPECT_TRUE(holds(one, "\n  0254  "));
    EXPECT_TRUE(holds(one, "  local  0/2  selftest  0 PASSED\n"));
    EXPECT_TRUE(holds(one, "  local  0/2  firmware-update  3000 OK 0251 → 0254 updated  0251 -> 0254\n"));
    expectRun(0, "assets 10A80002 --json", "\"operation\":\"selftest\",\"result\":0,\"status\":\"FAILED!!\"");

    expectRun(1, "assets 0BADF00D", "no board with the serial number 0BADF00D has been seen here");
    EXPECT_EQ(ctl("assets 0BADF00D --json").out, "{\"found\":false,\"serial\":\"0BADF00D\"}\n");
    expectRun(64, "assets 10A80001 --rebuild", "assets takes one of SERIAL, --rebuild and --sync");
    expectRun(64, "tree --rebuild", "--rebuild applies to assets");

    // A damaged register is put aside and made again from the journal; nothing is lost.
    const std::string documents = fs::path(journalFolder()).parent_path();
    test::writeFile(documents + "/assets.sqlite", std::string(4096, 'x'));
    const test::ProcessResult again = ctl("assets 10A80001");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, one);
    EXPECT_TRUE(holds(again.err, "was damaged (file is not a database); it was moved aside as " + documents +
                                     "/assets.sqlite.damaged-"));
    expectRun(0, "assets --rebuild", "journalLines: 3\ndamagedLines: 0\n");
    EXPECT_EQ(expectRun(0, "assets").out, list);
}

} // namespace
} // namespace z2e
