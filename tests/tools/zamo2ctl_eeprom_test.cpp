#include "tools_fixture.h"

#include <algorithm>

namespace z2e {
namespace {

using namespace testing_tools;

const std::string kRestored = "Restore finished. Restart Application to enable changes!\n";

class Zamo2ctlEeprom : public Zamo2ctlTest {
protected:
    /// Backs up board `board`'s `which` EEPROM into the site; the file.
    std::string backup(int board, const std::string& which)
    {
        const std::string out = expectRun(0, "eeprom backup --board " + std::to_string(board) + " --which " + which +
                                                 " --dir " + (m_site / "backups"))
                                    .out;
        return out.substr(0, out.size() - 1);
    }
};

TEST_F(Zamo2ctlEeprom, BackupRestoreAndRefusalsOnTheCommandLine)
{
    const std::string file = backup(0, "base");
    EXPECT_EQ(file, m_site / "backups/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml");
    EXPECT_EQ(expectRun(65, "eeprom write-default --board 0 --model QBA-08 --revision 3 --serial 10a80001")
                  .err.rfind("zamo2ctl: Invalid serial number!", 0),
              0u);
    expectRun(65, "eeprom erase --board 0");
    const std::string models = expectRun(0, "eeprom models --board 0").out;
    EXPECT_EQ(std::count(models.begin(), models.end(), '\n'), 3) << models;
    // A model is offered in its listed revisions only.
    expectRun(65, "eeprom write-default --board 0 --model QA-4016 --revision 9 --serial 10A80001",
              "QA-4016 revision 9 is not offered for this board");
    EXPECT_EQ(expectRun(0, "eeprom write-default --board 0 --model QA-4016 --revision 3 --serial 10A80001").out,
              "Base EEPROM Configuration finished successfully!\n");
    EXPECT_EQ(expectRun(0, "eeprom restore --board 0 --which base " + file).out, kRestored);

    const std::string history = expectRun(0, "history --serial 10A80001").out;
    EXPECT_TRUE(holds(history, "eeprom-write-default  0 Operation completed successfully!  [verified]\n"));
    EXPECT_TRUE(holds(history, "eeprom-restore  0 Operation completed successfully!  [verified]\n"));
    EXPECT_EQ(history.find("eeprom-restore  4006"), std::string::npos) << history; // refusals are not journalled
}

// A backup of another board (board 1's, serial 10A80002) goes onto board 0 only with --force.
TEST_F(Zamo2ctlEeprom, BackupOfAnotherBoardNeedsForce)
{
    const std::string other = backup(1, "base");
    EXPECT_EQ(expectRun(65, "eeprom restore --board 0 --which base " + other).err,
              "zamo2ctl: Error! The selected EEPROM backup file is not valid for the target! (" + other +
                  " is a backup of serial number 10A80002, but board 0 has serial number 10A80001; nothing "
                  "was written - add --force to restore it onto this board anyway)\n");
    const std::string json = expectRun(65, "eeprom restore --board 0 --which base --json " + other).out;
    EXPECT_EQ(json.rfind("{\"status\":4006,", 0), 0u) << json;
    EXPECT_TRUE(holds(json, "--force"));
    // Nothing written, no snapshot.
    EXPECT_EQ(expectRun(0, "history --serial 10A80001").out.find("eeprom-restore"), std::string::npos);

    EXPECT_EQ(expectRun(0, "eeprom restore --board 0 --which base --force " + other).out, kRestored);
    EXPECT_TRUE(holds(backup(0, "base"), "_10A80002.xml"));
}

// The connector EEPROM is restored from its own backup, and only from one.
TEST_F(Zamo2ctlEeprom, ConnectorRestoreTakesOnlyAConnectorBackup)
{
    const std::string conFile = backup(0, "con");
    const std::string baseFile = backup(0, "base");
    std::string edited = test::readFile(conFile);
    const std::size_t version = edited.find("<ConVersion>");
    ASSERT_NE(version, std::string::npos) << edited;
    edited.replace(version + 12, edited.find("</ConVersion>") - version - 12, "77");
    test::writeFile(conFile, edited);
    const std::string baseBefore = expectRun(0, "get-xml BoardID0 baseeeprom").out;

    EXPECT_EQ(expectRun(65, "eeprom restore --board 0 --which con " + baseFile).err,
              "zamo2ctl: Error! The selected EEPROM backup file is not valid for the target! (" + baseFile +
                  " holds BaseEEPROM, not ConEEPROM)\n");
    EXPECT_EQ(expectRun(0, "eeprom restore --board 0 --which con " + conFile).out, kRestored);
    expectRun(0, "get-xml BoardID0 coneeprom", "<ConVersion>77</ConVersion>");
    EXPECT_EQ(expectRun(0, "get-xml BoardID0 baseeeprom").out, baseBefore);
    expectRun(0, "history --serial 10A80001", "eeprom-restore  0 Operation completed successfully!  [verified]\n");
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
    // The reported document's serial is not the file's: --force lets the restore through.
    const auto refused = expectRun(65, "eeprom restore --board 0 --which con --force " + file);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "zamo2ctl: 0/2  QA-4008.BNC 10A80001: not verified: BoardInfo/SerialNumber: wrote 10A80001, "
                           "board reports 00000000; the board may not hold what was sent\n");
    const std::string json = expectRun(65, "eeprom restore --board 0 --which con --force --json " + file).out;
    EXPECT_EQ(json.find("finished"), std::string::npos) << json;
    EXPECT_TRUE(holds(json, "\"changeMade\":false,\"exitStatus\":65"));
}

// A change that was made and verified is not lost for a journal that cannot take its line.
TEST_F(Zamo2ctlEeprom, VerifiedChangeWithoutItsJournalLineExits74)
{
    const std::string conFile = backup(0, "con");
    fs::remove(journalFolder() + "/history.jsonl");
    fs::create_directories(journalFolder() + "/history.jsonl"); // no line can be appended
    const auto lost = expectRun(74, "eeprom restore --board 0 --which con " + conFile);
    EXPECT_EQ(lost.out, "");
    EXPECT_EQ(lost.err.rfind("zamo2ctl: 0/2  QA-4008.BNC 10A80001: the change was made and verified, but its "
                             "journal line could not be written (cannot open ",
                             0),
              0u)
        << lost.err;
    EXPECT_TRUE(test::filesIn(journalFolder() + "/intents").empty());
}

} // namespace
} // namespace z2e
