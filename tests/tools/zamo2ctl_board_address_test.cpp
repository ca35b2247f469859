// --board as a technician names a board: enclosure/slot from the tree, the serial on its label
// (any case), or all of them; a bare number stays the driver's index.
#include "tools_fixture.h"

#include <filesystem>

namespace z2e {
namespace {

using namespace testing_tools;
namespace fs = std::filesystem;

using Zamo2ctlBoardAddress = Zamo2ctlTest;

TEST_F(Zamo2ctlBoardAddress, APlaceOrASerialNamesTheBoardTheTreeShows)
{
    const std::string board1 = "{\"status\":0,\"boards\":[{\"board\":1,\"slot\":3,\"name\":\"QA-4116-STRAIN\"";
    for (const char* address : {"1", "0/3", "10a80002", "10A80002"}) {
        SCOPED_TRACE(address);
        std::string out;
        EXPECT_EQ(run(std::string("selftest --json --board ") + address, out), 65);
        EXPECT_EQ(out.rfind(board1, 0), 0u) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out; // that board only
    }
    std::string out;
    std::string err;
    EXPECT_EQ(run("selftest --board 9/9", out, &err), 65);
    EXPECT_NE(err.find("no board 9/9; boards here: 0/2 10A80001, 0/3 10A80002"), std::string::npos) << err;
    EXPECT_EQ(run("selftest --board 0/x", out, &err), 64);
    EXPECT_EQ(run("tree --board 0/2", out, &err), 64);
    EXPECT_NE(err.find("--board 0/2 applies to the board tools"), std::string::npos) << err;
}

// Every board's two EEPROMs in one call; an EEPROM that cannot be read fails alone.
TEST_F(Zamo2ctlBoardAddress, AllRunsTheToolOnEveryBoardAndTheOthersGoOn)
{
    const std::string dir = m_site / "backups";
    std::string out;
    std::string err;
    EXPECT_EQ(run("eeprom backup --board all --which both --dir " + dir, out, &err), 65);
    EXPECT_NE(err.find("260105"), std::string::npos) << err;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 14u) << out; // 8 boards, two of whose 16 EEPROMs cannot be read
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 14) << out;
    EXPECT_NE(out.find("Baseeeprom_Brd7_QN-6202-UART_10A80008.xml"), std::string::npos) << out;
    // The last board passes: the failure of an earlier one is still the exit status.
    EXPECT_EQ(run("selftest --board all", out), 65);
    EXPECT_NE(out.find("Board 7  Slot 3:  QN-6202-UART E2PROM-ERROR:  PASSED"), std::string::npos) << out;
}

} // namespace
} // namespace z2e
