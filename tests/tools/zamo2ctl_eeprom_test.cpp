#include "tools_fixture.h"

#include <algorithm>

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
    EXPECT_EQ(run("eeprom write-default --board 0 --model QBA-08 --revision 3 --serial 10a80001", out, &err), 65);
    EXPECT_EQ(err.rfind("zamo2ctl: Invalid serial number!", 0), 0u) << err;
    EXPECT_EQ(run("eeprom erase --board 0", out), 65);

    EXPECT_EQ(run("eeprom models --board 0", out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
    // A model is offered in its listed revisions only.
    EXPECT_EQ(run("eeprom write-default --board 0 --model QA-4016 --revision 9 --serial 10A80001", out, &err), 65);
    EXPECT_NE(err.find("QA-4016 revision 9 is not offered for this board"), std::string::npos) << err;
    ASSERT_EQ(run("eeprom write-default --board 0 --model QA-4016 --revision 3 --serial 10A80001", out, &err), 0)
        << err;
    EXPECT_EQ(out, "Base EEPROM Configuration finished successfully!\n");
    ASSERT_EQ(
        run("eeprom restore --board 0 --which base " + dir + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml", out, &err), 0)
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

// The connector EEPROM is restored from its own backup, and only from one.
TEST_F(Zamo2ctlEeprom, ConnectorRestoreTakesOnlyAConnectorBackup)
{
    std::string out;
    std::string err;
    const std::string dir = m_site / "backups";
    ASSERT_EQ(run("eeprom backup --board 0 --which con --dir " + dir, out, &err), 0) << err;
    const std::string conFile = out.substr(0, out.size() - 1);
    ASSERT_EQ(run("eeprom backup --board 0 --which base --dir " + dir, out), 0);
    const std::string baseFile = out.substr(0, out.size() - 1);
    std::string edited = test::readFile(conFile);
    const std::size_t version = edited.find("<ConVersion>");
    ASSERT_NE(version, std::string::npos) << edited;
    edited.replace(version + 12, edited.find("</ConVersion>") - version - 12, "77");
    test::writeFile(conFile, edited);
    ASSERT_EQ(run("get-xml BoardID0 baseeeprom", out), 0);
    const std::string baseBefore = out;

    EXPECT_EQ(run("eeprom restore --board 0 --which con " + baseFile, out, &err), 65);
    EXPECT_EQ(err, "zamo2ctl: Error! The selected EEPROM backup file is not valid for the target! (" + baseFile +
                       " holds BaseEEPROM, not ConEEPROM)\n");
    ASSERT_EQ(run("eeprom restore --board 0 --which con " + conFile, out, &err), 0) << err;
    EXPECT_EQ(out, "Restore finished. Restart Application to enable changes!\n");
    ASSERT_EQ(run("get-xml BoardID0 coneeprom", out), 0);
    EXPECT_NE(out.find("<ConVersion>77</ConVersion>"), std::string::npos) << out;
    ASSERT_EQ(run("get-xml BoardID0 baseeeprom", out), 0);
    EXPECT_EQ(out, baseBefore);
    ASSERT_EQ(run("history --serial 10A80001", out), 0);
    EXPECT_NE(out.find("eeprom-restore  0 Operation completed successfully!  [verified]\n"), std::string::npos) << out;
}

// Nothing is called finished that the board does not report back: a read-back that differs
// fails the command.
TEST_F(Zamo2ctlEeprom, OnlyAVerifiedRestoreSucceeds)
{
    const std::string reported = "<ConEEPROM><BoardInfo><SerialNumber>00000000</SerialNumber></BoardInfo></ConEEPROM>";
    useHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001",
                   "<Literals><Document Item=\"coneeprom\"><![CDATA[" + reported + "]]></Document></Literals>"));
    const std::string file = m_site / "con.xml";
    test::writeFile(file, "<ConEEPROM><BoardInfo><SerialNumber>10A80001</SerialNumber></BoardInfo></ConEEPROM>");
    std::string out;
    std::string err;
    // The reported document's serial is not the file's: --force lets the restore through.
    EXPECT_EQ(run("eeprom restore --board 0 --which con --force " + file, out, &err), 65);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "zamo2ctl: board 0 (serial 10A80001): not verified: BoardInfo/SerialNumber: wrote 10A80001, board "
                   "reports 00000000; the board may not hold what was sent\n");
    EXPECT_EQ(run("eeprom restore --board 0 --which con --force --json " + file, out, &err), 65);
    EXPECT_EQ(out.find("finished"), std::string::npos) << out;
    EXPECT_NE(out.find("\"changeMade\":false,\"exitStatus\":65"), std::string::npos) << out;
}

// A change that was made and verified is not lost for a journal that cannot take its line.
TEST_F(Zamo2ctlEeprom, VerifiedChangeWithoutItsJournalLineExits74)
{
    std::string out;
    std::string err;
    const std::string dir = m_site / "backups";
    ASSERT_EQ(run("eeprom backup --board 0 --which con --dir " + dir, out, &err), 0) << err;
    const std::string conFile = out.substr(0, out.size() - 1);
    fs::remove(journalFolder() + "/history.jsonl");
    fs::create_directories(journalFolder() + "/history.jsonl"); // no line can be appended
    EXPECT_EQ(run("eeprom restore --board 0 --which con " + conFile, out, &err), 74);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.rfind("zamo2ctl: board 0 (serial 10A80001): the change was made and verified, but its journal "
                        "line could not be written (cannot open ",
                        0),
              0u)
        << err;
    EXPECT_TRUE(test::filesIn(journalFolder() + "/intents").empty());
}

} // namespace
} // namespace z2e
