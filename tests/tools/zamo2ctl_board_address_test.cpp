// --board as a technician names a board: enclosure/slot from the tree, the serial on its label
// (any case), or all of them; a bare number stays the driver's index.
#include "tools_fixture.h"

#include <filesystem>

namespace z2e {
namespace {

using namespace testing_tools;
using test::expectRun;
using test::holds;
namespace fs = std::filesystem;

using Zamo2ctlBoardAddress = Zamo2ctlTest;

TEST_F(Zamo2ctlBoardAddress, APlaceOrASerialNamesTheBoardTheTreeShows)
{
    const std::string board1 = "{\"status\":0,\"boards\":[{\"board\":1,\"slot\":3,\"name\":\"QA-4116-STRAIN\"";
    for (const char* address : {"1", "0/3", "10a80002", "10A80002"}) {
        SCOPED_TRACE(address);
        const std::string out = expectRun(65, std::string("selftest --json --board ") + address).out;
        EXPECT_EQ(out.rfind(board1, 0), 0u) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out; // that board only
        EXPECT_TRUE(holds(out, "\"enclosure\":0,\"label\":\"0/3  QA-4116-STRAIN 10A80002\"}"));
    }
    expectRun(65, "selftest --board 9/9", "no board 9/9; boards here: 0/2 10A80001, 0/3 10A80002");
    expectRun(64, "selftest --board 0/x", "enclosure/slot needs two numbers");
    expectRun(64, "tree --board 0/2", "--board 0/2 applies to the board tools");
}

// Every board's two EEPROMs in one call; an EEPROM that cannot be read fails alone.
TEST_F(Zamo2ctlBoardAddress, AllRunsTheToolOnEveryBoardAndTheOthersGoOn)
{
    const std::string dir = m_site / "backups";
    const test::ProcessResult backups = expectRun(65, "eeprom backup --board all --which both --dir " + dir, "260105");
    const std::string& out = backups.out;
    // The driver's answer in words, with the board and what to do; no "unknown error".
    EXPECT_TRUE(holds(backups.err, "zamo2ctl: 0/5  QN-6204-CAN 10A80004: cannot read the EEPROM: "));
    EXPECT_TRUE(holds(backups.err, "; if the EEPROM is damaged, put it back with eeprom auto-restore"));
    EXPECT_EQ(backups.err.find("Unknown error"), std::string::npos) << backups.err;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 14u) << out; // 8 boards, two of whose 16 EEPROMs cannot be read
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 14) << out;
    EXPECT_TRUE(holds(out, "Baseeeprom_Brd7_QN-6202-UART_10A80008.xml"));
    // The last board passes: the failure of an earlier one is still the exit status.
    EXPECT_TRUE(holds(expectRun(65, "selftest --board all").out, "2/3  QN-6202-UART 10A80008:  PASSED"));
    // A tool that shows every board together does so once: one table, one heading.
    const std::string table = expectRun(0, "firmware check --board all").out;
    EXPECT_EQ(test::occurrences(table, "Board "), 1u) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 9) << table;
}

} // namespace
} // namespace z2e
