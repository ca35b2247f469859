#include "tools_fixture.h"

namespace z2e {
namespace {

using namespace testing_tools;

using Zamo2ctlEeprom = Zamo2ctlTest;

TEST_F(Zamo2ctlEeprom, BackupRestoreAndRefusalsOnTheCommandLine)
{
    std::string out;
    std::string err;
    const std::string dir = m_site / "backups";
    ASSERT_EQ(run("eeprom backup --board 0 --which base --dir " + dir, out, &err), 0) << err;
    EXPECT_EQ(out, dir + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml\n");
    ASSERT_EQ(run("eeprom backup --board 0 --which con --dir " + dir, out), 0);
    const std::string conFile = out.substr(0, out.size() - 1);

    EXPECT_EQ(run("eeprom restore --board 0 --which base " + conFile, out, &err), 65);
    EXPECT_EQ(err, "zamo2ctl: Error! The selected EEPROM backup file is not valid for the target! (" + conFile +
                       " holds ConEEPROM, not BaseEEPROM)\n");
    EXPECT_EQ(run("eeprom write-default --board 0 --model QBA-08 --revision 3 --serial 10a80001", out, &err), 65);
    EXPECT_EQ(err.rfind("zamo2ctl: Invalid serial number!", 0), 0u) << err;
    EXPECT_EQ(run("eeprom erase --board 0", out), 65);

    EXPECT_EQ(run("eeprom models --board 0", out), 0);
    EXPECT_EQ(out, "QA-4008.BNC Model:QBA-08          Revision:3\n"
                   "QA-4016     Model:QBA-16          Revision:3\n"
                   "QA-4016     Model:QBA-16          Revision:2\n");
    ASSERT_EQ(run("eeprom write-default --board 0 --model QA-4016 --revision 3 --serial 10A80001", out, &err), 0)
        << err;
    EXPECT_EQ(out, "Base EEPROM Configuration finished successfully!\n");
    ASSERT_EQ(run("eeprom restore --board 0 --which base " + dir + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml", out,
                  &err),
              0)
        << err;
    EXPECT_EQ(out, "Restore finished. Restart Application to enable changes!\n");

    ASSERT_EQ(run("history --serial 10A80001", out), 0);
    EXPECT_NE(out.find("eeprom-write-default  0 Operation completed successfully!  [verified]\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("eeprom-restore  0 Operation completed successfully!  [verified]\n"), std::string::npos);
    EXPECT_EQ(out.find("eeprom-restore  4006"), std::string::npos) << out; // refusals are not journalled
}

// A backup of another board (board 1's, serial 10A80002) goes onto board 0 only with --force.
TEST_F(Zamo2ctlEeprom, BackupOfAnotherBoardNeedsForce)
{
    std::string out;
    std::string err;
    const std::string dir = m_site / "backups";
    ASSERT_EQ(run("eeprom backup --board 1 --which base --dir " + dir, out, &err), 0) << err;
    const std::string other = out.substr(0, out.size() - 1);
    EXPECT_EQ(run("eeprom restore --board 0 --which base " + other, out, &err), 65);
    EXPECT_EQ(err, "zamo2ctl: Error! The selected EEPROM backup file is not valid for the target! (" + other +
                       " is a backup of serial number 10A80002, but board 0 has serial number 10A80001; nothing "
                       "was written - add --force to restore it onto this board anyway)\n");
    EXPECT_EQ(run("eeprom restore --board 0 --which base --json " + other, out), 65);
    EXPECT_EQ(out.rfind("{\"status\":4006,", 0), 0u) << out;
    EXPECT_NE(out.find("--force"), std::string::npos) << out;
    ASSERT_EQ(run("history --serial 10A80001", out), 0);
    EXPECT_EQ(out.find("eeprom-restore"), std::string::npos) << out; // nothing written, no snapshot

    ASSERT_EQ(run("eeprom restore --board 0 --which base --force " + other, out, &err), 0) << err;
    EXPECT_EQ(out, "Restore finished. Restart Application to enable changes!\n");
    ASSERT_EQ(run("eeprom backup --board 0 --which base --dir " + dir, out, &err), 0) << err;
    EXPECT_NE(out.find("_10A80002.xml"), std::string::npos) << out;
}

} // namespace
} // namespace z2e
