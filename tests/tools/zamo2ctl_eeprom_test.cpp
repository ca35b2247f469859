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

} // namespace
} // namespace z2e
