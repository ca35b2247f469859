#include "tools_fixture.h"

#include <fstream>

namespace z2e {
namespace {

using namespace testing_tools;

// zamo2ctl's enclosure and board identity commands as a child process on the example hardware.
using Zamo2ctlEnclosure = Zamo2ctlTest;

TEST_F(Zamo2ctlEnclosure, SerialWrittenAsEncNameAndJournalled)
{
    EXPECT_EQ(expectRun(0, "enclosure write 0 --serial 0000001f --option FanMode=none").out,
              "Successfully updated the enclosure data.  Restart ZAMO2Explorer to apply new values!\n"
              "read back: verified\n");
    EXPECT_EQ(ctl("get EnclosureId0 EncName").out, "0000001F\n");
    const std::string shown = expectRun(0, "enclosure show 0 --json", "\"serial\":\"0000001F\"").out;
    EXPECT_TRUE(holds(shown, "{\"name\":\"FanMode\",\"value\":null,\"valueText\":\"None\""));
    EXPECT_TRUE(holds(shown, "\"userData\":\"Engine test cell 3\""));
    const std::string history =
        expectRun(0, "history --serial 00B1E116", "  local  enclosure 0  QE-R16 00B1E116  enclosure-write  1000 ").out;
    EXPECT_TRUE(holds(history, "[verified]\n"));
}

TEST_F(Zamo2ctlEnclosure, RefusalsLeaveEverythingAsItWas)
{
    for (const auto& [line, says] : std::vector<std::pair<std::string, std::string>>{
             {"enclosure write 0 --serial 1F", "1101 Invalid serial number!"},
             {"enclosure write 0 --option FanMode=Turbo", "1101 Invalid serial number!"},
             {"enclosure write 1 --type 3", "Writing data not supported for this enclosure type!"},
             {"crossgrade --board 0 --yes", "4002 Cross Grade not supported for this board type."}}) {
        const auto refused = ctl(line);
        EXPECT_NE(refused.exitCode, 0) << line;
        EXPECT_TRUE(holds(refused.err, says));
    }
    EXPECT_EQ(test::zamo2ctl({"features", "--board", "5", "Counter width=64 bit"}).exitCode, 64);
    // Every terminal that lists the enclosure would run an escape sequence kept there.
    for (const std::string text : {"cell\x1b[2J", "two\nlines",
                                   "cell\xc2\x9b"
                                   "2J",
                                   "broken\xff"})
        EXPECT_EQ(test::zamo2ctl({"enclosure", "write", "0", "--user-data", text}).exitCode, 64) << text;
    EXPECT_FALSE(fs::exists(journalFolder())); // nothing ran, nothing journalled
    EXPECT_EQ(ctl("get EnclosureId0 EncName").out, "0000E116\n");
    EXPECT_TRUE(holds(ctl("enclosure show 0").out, "User Data: Engine test cell 3\n"));

    // The listing names its board as the tree does.
    EXPECT_EQ(ctl("features --board 1/3").out.rfind("1/3  QC-3104 10A80006\nFeature set: ", 0), 0u);
    const auto features = test::zamo2ctl({"features", "--board", "5", "Time stamping=On", "--json"});
    EXPECT_EQ(features.exitCode, 0) << features.err;
    EXPECT_TRUE(holds(features.out, "\"verification\":\"verified\",\"featureSet\":\"00000002\",\"displayName\":"
                                    "\"QC-3104-TS\""));
}

// A snapshot that cannot be written stops the change as for a board: nothing sent, a failed
// change's status, and the way around it named.
TEST_F(Zamo2ctlEnclosure, AnUnwritableSnapshotIsAFailedChangeThatNamesTheWayAround)
{
    fs::create_directories(journalFolder());
    std::ofstream(journalFolder() + "/enclosure_00B1E116") << "a file where the folder belongs";
    const auto refused = ctl("enclosure write 0 --user-data cell4");
    EXPECT_EQ(refused.exitCode, 65) << refused.out << refused.err;
    EXPECT_TRUE(holds(refused.out + refused.err, "to change the enclosure without one, turn the snapshots off "
                                                 "(zamo2ctl --no-snapshot)"));
    EXPECT_TRUE(holds(ctl("enclosure show 0").out, "User Data: Engine test cell 3\n"));
    expectRun(0, "enclosure write 0 --user-data cell4 --no-snapshot", "read back: verified");
}

} // namespace
} // namespace z2e
