#include "tools_fixture.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "driver/command/eeprom_summary.h"
#include "support/local_node_fixture.h"
#include "tools/eeprom_backup.h"
#include "tools/eeprom_comparison.h"
#include "tools/eeprom_editor.h"
#include "tools/eeprom_restore.h"
#include "tools/maintenance_journal.h"
#include "xpugi/untrusted_parse.h"

#include <sys/stat.h>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;

// A base EEPROM the simulated driver accepts (a listed generation), with a chosen serial.
std::string baseDocument(const std::string& serial, const std::string& root = "BaseEEPROM")
{
    return "<" + root +
           " Name=\"QA-4008.BNC\" Format=\"3\"><BoardInfo><BaseModel>QBA-08</BaseModel>"
           "<BaseVersion>3</BaseVersion><SerialNumber>" +
           serial +
           "</SerialNumber><TypeCode>21</TypeCode>"
           "</BoardInfo></" +
           root + ">";
}

class EepromToolsTest : public ToolsTest {
protected:
    std::string file(const std::string& name, const std::string& content)
    {
        const std::string path = m_site / name;
        test::writeFile(path, content);
        return path;
    }
    std::vector<std::string> history() const { return MaintenanceJournal(maintenance(), "").history(""); }
    MaintenanceJournal m_journal{maintenance(), "local"};
};

TEST_F(EepromToolsTest, BackupIsTheDocumentAsReadNamedAfterBoardNameAndSerial)
{
    QorinNodeUtilWrapper& wrapper =
        connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
                        boardEntry(1, "QC-3104", 3, "0414", "10A80002",
                                   literal("baseeeprom", "<BaseEEPROM><BoardInfo/></BaseEEPROM>")));
    EepromBackup backup(wrapper, &m_journal);
    std::string path;
    ASSERT_EQ(backup.run(0, EepromWhich::Base, m_site.root(), path), 0) << backup.message();
    EXPECT_EQ(fs::path(path).filename(), "Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml");
    EXPECT_EQ(test::readFile(path), eeprom(0) + "\n");
    ASSERT_EQ(backup.run(0, EepromWhich::Connector, m_site.root(), path), 0);
    const std::string name = fs::path(path).filename();
    ASSERT_EQ(name.rfind("Coneeprom_Brd0_QA-4008.BNC_", 0), 0u) << name;
    EXPECT_TRUE(holds(eeprom(0, false), "<SerialNumber>" + name.substr(27, 8) + "</SerialNumber>"));

    ASSERT_EQ(backup.run(1, EepromWhich::Base, m_site.root(), path), 0);
    EXPECT_EQ(fs::path(path).filename(), "Baseeeprom_Brd1_NoName_NoSerial.xml");
    EXPECT_EQ(EepromBackup::fileName(2, EepromWhich::Base, "<BaseEEPROM Name=\"../x\"/>"),
              "Baseeeprom_Brd2_.._x_NoSerial.xml");
    EXPECT_EQ(EepromBackup::fileName(2, EepromWhich::Base, "<BaseEEPROM Name=\"a\\b\"/>"),
              "Baseeeprom_Brd2_a_b_NoSerial.xml");
    // A document of millions of tiny elements is not read for its name.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    EXPECT_EQ(EepromBackup::fileName(2, EepromWhich::Base, "<BaseEEPROM Name=\"x\">" + tiny + "</BaseEEPROM>"),
              "Baseeeprom_Brd2_NoName_NoSerial.xml");

    EXPECT_EQ(backup.run(0, EepromWhich::Base, m_site / "missing", path), AppStatus::SnapshotFailed);
    EXPECT_TRUE(holds(backup.message(), "No such file or directory"));
    EXPECT_EQ(fieldOf(history(), "operation"), Strings(4, "eeprom-backup"));
    EXPECT_EQ(fieldOf(history(), "result"), (Strings{"0", "0", "0", "4009"}));

    // A failed backup stays a failed backup when its journal line is lost too.
    test::writeFile(m_site / "blocked", "a file where the journal's folder would be");
    MaintenanceJournal lost(m_site / "blocked/maintenance", "local");
    EXPECT_EQ(EepromBackup(wrapper, &lost).run(0, EepromWhich::Base, m_site / "missing", path),
              AppStatus::SnapshotFailed);
}

// The journal's snapshot of a board is a backup file: restored, the board reads as before.
// An EEPROM document of millions of tiny elements is neither parsed nor kept as a backup.
TEST_F(EepromToolsTest, BackupOfADocumentOfTooManyElementsIsRefused)
{
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(
        0, "QC-3104", 3, "0414", "10A80002", literal("baseeeprom", "<BaseEEPROM>" + tiny + "</BaseEEPROM>")));
    EepromBackup backup(wrapper, &m_journal);
    std::string path;
    EXPECT_EQ(backup.run(0, EepromWhich::Base, m_site.root(), path), AppStatus::SnapshotFailed);
    EXPECT_EQ(backup.message(), "the board's document holds more than " + std::to_string(xpugi::kMaxNodes) +
                                    " elements and attributes, far more than an EEPROM keeps");
    EXPECT_FALSE(fs::exists(m_site.root() + "/Baseeeprom_Brd0_NoName_NoSerial.xml"));
}

TEST_F(EepromToolsTest, SnapshotChangeRestoreGivesBackTheOriginalByteForByte)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    const std::string original = eeprom(0);
    EepromEditor editor(wrapper, &m_journal);
    editor.load(0);
    ASSERT_TRUE(editor.writable());
    EXPECT_EQ(editor.serialFieldText(), "10A80001");
    EXPECT_EQ(editor.typeCode(), 21);
    ASSERT_EQ(editor.writeDefault("QBA-16", "2", "1234ABCD"), 0) << editor.message();
    EXPECT_EQ(editor.verification(), "verified");
    EepromSummary summary;
    ASSERT_EQ(wrapper.getBaseEepromSummary(0, summary), 0);
    EXPECT_EQ(summary.baseModel + " " + summary.serialNumber, "QBA-16 1234ABCD");

    std::string snapshot;
    for (const std::string& name : test::filesIn(maintenance() + "/10A80001")) {
        if (name.find("_eeprom-write-default_base.xml") != std::string::npos)
            snapshot = maintenance() + "/10A80001/" + name;
    }
    ASSERT_FALSE(snapshot.empty());
    EepromRestore restore(wrapper, &m_journal);
    // The snapshot holds the serial number the board had, another board's now.
    restore.allowOtherBoard(true);
    ASSERT_EQ(restore.fromFile(0, EepromWhich::Base, snapshot), 0) << restore.message();
    EXPECT_EQ(eeprom(0), original);
    EXPECT_EQ(fieldOf(history(), "operation"), (Strings{"eeprom-write-default", "eeprom-restore"}));
    EXPECT_EQ(fieldOf(history(), "verification"), (Strings{"verified", "verified"}));
}

// A backup taken from another board names both serials and writes nothing, unless allowed.
TEST_F(EepromToolsTest, BackupOfAnotherBoardIsRefusedUntilAllowed)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
                                                    boardEntry(1, "QA-4008.BNC", 3, "0254", "10A80002"));
    const std::string base = eeprom(0);
    const std::string con = eeprom(0, false);
    const std::string foreign = file("other.xml", baseDocument("10a80002"));
    EepromRestore restore(wrapper, &m_journal);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, foreign), AppStatus::EepromFileInvalid);
    EXPECT_TRUE(restore.otherBoard());
    EXPECT_EQ(restore.backupSerial(), "10a80002");
    EXPECT_EQ(restore.boardSerial(), "10A80001");
    EXPECT_EQ(restore.message(), foreign + " is a backup of serial number 10a80002, but board 0 has serial number "
                                           "10A80001; nothing was written");
    EXPECT_TRUE(restore.verification().empty());
    EXPECT_EQ(eeprom(0), base);
    EXPECT_TRUE(history().empty()); // no snapshot, no journal line: nothing happened

    // Its own backup (serial in any case) is no other board's.
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, file("own.xml", baseDocument("10a80001"))), 0)
        << restore.message();
    EXPECT_FALSE(restore.otherBoard());

    // The connector EEPROM is compared with the connector panel's serial number.
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Connector, file("panel.xml", eeprom(1, false))),
              AppStatus::EepromFileInvalid);
    EXPECT_TRUE(holds(restore.message(), "but the connector panel of board 0 has serial number "));
    EXPECT_EQ(restore.boardSerial(), EepromRestore::serialOf(con));
    EXPECT_NE(restore.backupSerial(), restore.boardSerial());
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Connector, file("con.xml", con)), 0) << restore.message();

    restore.allowOtherBoard(true);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, foreign), 0) << restore.message();
    EXPECT_FALSE(restore.otherBoard());
    EXPECT_EQ(restore.verification(), "verified");
    EXPECT_EQ(history().size(), 3u);
}

TEST_F(EepromToolsTest, ReadBackNoticesAWriteTheDriverAltered)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001", literal("baseeeprom", baseDocument("00000000"))));
    EepromRestore restore(wrapper, &m_journal);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, file("b.xml", baseDocument("10A80001"))), 0);
    EXPECT_EQ(restore.verification(), "BoardInfo/SerialNumber: wrote 10A80001, board reports 00000000");
    EXPECT_EQ(fieldOf(history(), "verification"), Strings{restore.verification()});
}

TEST_F(EepromToolsTest, FailingWritesAreJournalledAsFailed)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001", "<Faults><EEPROMWrite>fail</EEPROMWrite></Faults>") +
        boardEntry(1, "QC-3104", 3, "0414", "10A80002", "<Faults><BaseBackup>missing</BaseBackup></Faults>"));
    EepromRestore restore(wrapper, &m_journal);
    ASSERT_EQ(restore.fromFile(0, EepromWhich::Base, file("b.xml", baseDocument("10A80001"))),
              AppStatus::BaseEepromWriteFailed);
    EepromEditor editor(wrapper, &m_journal);
    editor.load(0);
    EXPECT_EQ(editor.writeDefault("QBA-08", "3", "10A80001"), AppStatus::EepromDocumentFailed);
    const EepromEditorOutcome shown = EepromEditor::outcome(editor.actionDone(), editor.result(), &wrapper);
    EXPECT_EQ(shown.kind, EepromEditorOutcome::Kind::Failure);
    EXPECT_EQ(shown.text, "Base EEPROM Configuration Failed. [ERR_UNKNOWN] ");
    EXPECT_GE(restore.automatic(1, EepromWhich::Base), 1);

    const auto lines = history();
    EXPECT_EQ(fieldOf(lines, "result"), (Strings{"4007", "4005", "220001"}));
    EXPECT_EQ(fieldOf(lines, "verification"), (Strings{"not committed", "not committed", "not written"}));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("\"snapshots\":[]"), std::string::npos) << line;
}

TEST_F(EepromToolsTest, EraseLeavesTheBoardBlankAndRefusalsSendNothing)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    EepromEditor editor(wrapper, &m_journal);
    editor.load(0);
    EXPECT_EQ(editor.writeDefault("QBA-08", "3", "10a80001"), AppStatus::InvalidSerialNumber);
    EXPECT_EQ(editor.writeDefault("QBC-04", "2", "10A80001"), AppStatus::EepromDocumentFailed);
    EXPECT_FALSE(editor.actionDone());
    EXPECT_TRUE(history().empty());
    ASSERT_EQ(editor.erase(), 0);
    EXPECT_EQ(editor.verification(), "verified");
    std::string document;
    EXPECT_GE(wrapper.getBaseEeprom(0, document), 1);
    EXPECT_EQ(EepromEditor::outcome(editor.actionDone(), editor.result(), &wrapper).text,
              "Base EEPROM Configuration finished successfully!");
    ASSERT_EQ(history().size(), 1u);
}

TEST(EepromEditor, ModelListFollowsTheTypeCodeTable)
{
    const std::string listing =
        "<BaseEEPROMEntries>"
        "<Entry Id=\"21400803\" Name=\"QA-4008.BNC\" TypeCode=\"21\" BaseModel=\"QBA-08\" BaseVersion=\"3\"/>"
        "<Entry Id=\"21401602\" Name=\"QA-4016\" TypeCode=\"21\" BaseModel=\"QBA-16\" BaseVersion=\"2\"/>"
        "<Entry Id=\"21409901\" Name=\"QA-4099-TEMP\" TypeCode=\"21\" BaseModel=\"QBA-99\" BaseVersion=\"1\"/>"
        "<Entry Id=\"22403201\" Name=\"QA-4032-TEMP\" TypeCode=\"22\" BaseModel=\"QBA-32T\" BaseVersion=\"1\"/>"
        "<Entry Id=\"42506401\" Name=\"QD-5064-ISO\" TypeCode=\"42\" BaseModel=\"QBD-64I\" BaseVersion=\"1\"/>"
        "<Entry Id=\"42503201\" Name=\"QD-5032\" TypeCode=\"42\" BaseModel=\"QBD-32\" BaseVersion=\"1\"/>"
        "</BaseEEPROMEntries>";
    std::vector<EepromModelList::Entry> entries;
    ASSERT_TRUE(EepromModelList::parse(listing, entries));
    const auto analog = EepromModelList::offeredEntries(21, entries);
    const std::vector<std::string> texts = EepromModelList::comboTexts(analog);
    ASSERT_EQ(texts, (Strings{"QA-4008.BNC Model:QBA-08          Revision:3",
                              "QA-4016     Model:QBA-16          Revision:2"}));
    std::string name, model, revision;
    ASSERT_TRUE(EepromModelList::splitComboText(texts[1], name, model, revision));
    EXPECT_EQ(name + "|" + model + "|" + revision, "QA-4016|QBA-16|2");
    const auto isolated = EepromModelList::offeredEntries(42, entries);
    ASSERT_EQ(isolated.size(), 1u);
    EXPECT_EQ(isolated[0].name, "QD-5064-ISO");
    EXPECT_TRUE(EepromModelList::offeredEntries(99, entries).empty());
    // A listing of millions of tiny elements from a node is not read.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    EXPECT_FALSE(
        EepromModelList::parse(listing.substr(0, listing.size() - 20) + tiny + "</BaseEEPROMEntries>", entries));
}

TEST(EepromEditor, SerialFieldKeepsUpToEightUpperCaseHexDigits)
{
    QorinNodeUtilWrapper wrapper(nullptr);
    EepromEditor editor(wrapper, nullptr);
    const std::pair<const char*, const char*> edits[] = {
        {"1", "1"}, {"1F", "1F"}, {"1f", "1F"}, {"1F0G", "1F"}, {"123456789", "12345678"}, {"", ""}};
    for (const auto& [typed, kept] : edits)
        EXPECT_EQ(editor.serialEdited(typed), kept) << typed;
    EXPECT_TRUE(EepromEditor::validSerial("10A80001"));
    EXPECT_FALSE(EepromEditor::validSerial("10a80001"));
    EXPECT_TRUE(EepromEditor::validSerial(""));
    EXPECT_FALSE(EepromEditor::validSerial("123456789"));

    // A write is only "finished" when the board reports it back.
    EXPECT_EQ(EepromEditor::outcome(true, 0, nullptr, "verified").kind, EepromEditorOutcome::Kind::Success);
    const EepromEditorOutcome differs =
        EepromEditor::outcome(true, 0, nullptr, "BoardInfo/TypeCode: wrote 21, board reports 22");
    EXPECT_EQ(differs.kind, EepromEditorOutcome::Kind::Failure);
    EXPECT_EQ(differs.text, "Base EEPROM Configuration not verified: the board does not report what was written.\n"
                            "Read-back: BoardInfo/TypeCode: wrote 21, board reports 22");
    EXPECT_EQ(EepromRestore::outcomeText(0, "read-back failed: 700008 timeout"),
              "Restore not verified: the board does not report what was written.\nRead-back: read-back failed: 700008 "
              "timeout");
    EXPECT_EQ(EepromRestore::outcomeText(0, "verified"), EepromRestore::outcomeText(0));
    EXPECT_EQ(EepromEditor::outcome(false, 0, nullptr).kind, EepromEditorOutcome::Kind::Nothing);
    EXPECT_EQ(EepromEditor::outcome(true, 700008, nullptr).text,
              "Base EEPROM Configuration Failed. [ERR_UNI_OSAL_ETIMEOUT] ");
}

// The scripted driver records every call: a refused file reaches neither the board nor the journal.
class EepromScriptedTest : public ScriptedToolsTest {
protected:
    void SetUp() override
    {
        ScriptedToolsTest::SetUp();
        connectReady(1);
        test::fakeDriver().setText("BoardID0", "baseeeprom", baseDocument("10A80001"));
        test::fakeDriver().setText("BoardID0", "coneeprom", "<ConEEPROM><BoardInfo/></ConEEPROM>");
    }

    /// Nothing reached the board nor the journal.
    void expectNothingSent() const
    {
        EXPECT_TRUE(test::fakeDriver().calls.empty());
        EXPECT_TRUE(m_journal.history("").empty());
    }
};

TEST_F(EepromScriptedTest, BadFilesAreRefusedBeforeAnythingIsSent)
{
    const std::pair<std::string, std::int32_t> files[] = {
        {file("con.xml", "<ConEEPROM Name=\"x\"><BoardInfo/></ConEEPROM>\n"), AppStatus::EepromFileInvalid},
        {file("longer.xml", baseDocument("10A80001", "BaseEEPROMX")), AppStatus::EepromFileInvalid},
        {file("empty.xml", ""), AppStatus::EepromDocumentFailed},
        {file("text.xml", "serial 10A80001"), AppStatus::EepromDocumentFailed},
        {m_scratch / "absent.xml", AppStatus::EepromDocumentFailed},
    };
    EepromRestore restore(m_wrapper, &m_journal);
    for (const auto& [path, status] : files) {
        EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, path), status) << path;
        EXPECT_TRUE(restore.verification().empty());
    }
    expectNothingSent();
}

// `levels` elements nested inside BoardInfo.
std::string nestedDocument(std::size_t levels, const std::string& root = "BaseEEPROM")
{
    std::string open;
    std::string close;
    for (std::size_t i = 0; i < levels; ++i) {
        open += "<N>";
        close += "</N>";
    }
    return "<" + root + "><BoardInfo><BaseModel>QBA-08</BaseModel>" + open + close + "</BoardInfo></" + root + ">";
}

TEST_F(EepromScriptedTest, DocumentsBeyondWhatABoardKeepsAreRefusedWithTheLimitNamed)
{
    EepromRestore restore(m_wrapper, &m_journal);
    // BoardInfo is level 1 below the root: 63 more levels are the most a board keeps.
    std::string document;
    std::string message;
    EXPECT_EQ(EepromRestore::check(nestedDocument(63), "ok.xml", EepromWhich::Base, document, message), 0) << message;
    EXPECT_EQ(EepromRestore::check(nestedDocument(64), "deep.xml", EepromWhich::Base, document, message),
              AppStatus::EepromDocumentFailed);
    EXPECT_TRUE(document.empty());
    EXPECT_NE(message.find("more than 64 levels deep below BaseEEPROM"), std::string::npos) << message;

    std::string wide = "<ConEEPROM><BoardInfo>";
    for (int i = 0; i < 70000; ++i)
        wide += "<A/>";
    std::string large = "<ConEEPROM><BoardInfo><Text>" + std::string(EepromRestore::kMaxDocumentBytes, 'x') +
                        "</Text></BoardInfo></ConEEPROM>";
    const std::pair<std::string, std::string> refused[] = {
        {file("thousands.xml", nestedDocument(5000, "ConEEPROM")), "at most 64 levels"},
        {file("wide.xml", wide + "</BoardInfo></ConEEPROM>"), "at most 65536"},
        {file("large.xml", large), "at most 1048576 bytes"},
    };
    for (const auto& [path, limit] : refused) {
        EXPECT_EQ(restore.fromFile(0, EepromWhich::Connector, path), AppStatus::EepromDocumentFailed) << path;
        EXPECT_TRUE(holds(restore.message(), limit));
        EXPECT_TRUE(restore.verification().empty());
    }
    // A FIFO is never opened (it would wait for a writer), and a file too large is never read.
    const std::string fifo = m_scratch / "fifo.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Connector, fifo), AppStatus::EepromDocumentFailed);
    EXPECT_NE(restore.message().find("is not a regular file"), std::string::npos) << restore.message();
    const std::string huge = file("huge.xml", "<ConEEPROM/>");
    fs::resize_file(huge, 17u << 20);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Connector, huge), AppStatus::EepromDocumentFailed);
    EXPECT_NE(restore.message().find("is larger than 16 MiB"), std::string::npos) << restore.message();
    // A second document after the first would reach the board unchecked.
    EXPECT_EQ(
        restore.fromFile(0, EepromWhich::Connector, file("two.xml", "<ConEEPROM><BoardInfo/></ConEEPROM><ConEEPROM/>")),
        AppStatus::EepromFileInvalid);
    EXPECT_TRUE(holds(restore.message(), "holds more after its ConEEPROM element"));
    expectNothingSent();
}

// Serial numbers and summaries are not taken from documents of millions of tiny elements.
TEST(EepromDocuments, SerialsAndSummariesOfTooManyElementsAreNotRead)
{
    std::string properties = "<Properties><BoardInfo><SerialNumber>10A80001</SerialNumber><ConPanel><SerialNumber>"
                             "10C80001</SerialNumber></ConPanel></BoardInfo></Properties>";
    std::string eeprom =
        "<BaseEEPROM Name=\"QA\"><BoardInfo><SerialNumber>10A80001</SerialNumber></BoardInfo></BaseEEPROM>";
    EXPECT_EQ(EepromRestore::boardSerialOf(properties, EepromWhich::Connector), "10C80001");
    EXPECT_EQ(EepromRestore::serialOf(eeprom), "10A80001");
    EepromSummary summary;
    ASSERT_TRUE(parseEepromSummary(eeprom, summary));
    EXPECT_EQ(summary.serialNumber, "10A80001");

    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    properties.insert(properties.find("</Properties>"), tiny);
    eeprom.insert(eeprom.find("</BaseEEPROM>"), tiny);
    EXPECT_EQ(EepromRestore::boardSerialOf(properties, EepromWhich::Connector), "");
    EXPECT_EQ(EepromRestore::serialOf(eeprom), "");
    EepromSummary untouched;
    EXPECT_FALSE(parseEepromSummary(eeprom, untouched));
    EXPECT_EQ(untouched.serialNumber, "");
}

TEST(EepromComparison, EveryElementAttributeAndTextCounts)
{
    const std::string written =
        "<BaseEEPROM F=\"3\" F=\"4\"><BoardInfo><Serial>10A80001</Serial>first<Cal/>second</BoardInfo></BaseEEPROM>";
    EXPECT_EQ(EepromComparison::verdict(written, written), "verified");
    // Layout, comments and the order of distinct attributes are no difference.
    EXPECT_EQ(EepromComparison::verdict("<R a=\"1\" b=\"2\"><X>t</X></R>",
                                        "<R b=\"2\" a=\"1\">\n  <!-- c -->\n  <X>t</X>\n</R>"),
              "verified");
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string text = written;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::pair<std::string, std::string> differing[] = {
        {with("F=\"3\" F=\"4\"", "F=\"4\" F=\"3\""), "@F: wrote 3, board reports 4"},
        {with(" F=\"4\"", ""), "@F: wrote 4, board reports (nothing)"},
        {with("F=\"4\"", "F=\"4\" F=\"5\""), "@F: wrote (nothing), board reports 5"},
        {with("second", "other"), "BoardInfo: wrote second, board reports other"},
        {with("second", ""), "BoardInfo: wrote text second, board reports (nothing)"},
        {with("second", "second<Cal/>"), "BoardInfo/Cal: wrote (nothing), board reports this element"},
        {with("10A80001", "10A80002"), "BoardInfo/Serial: wrote 10A80001, board reports 10A80002"},
        {written + "<More/>", "More: wrote (nothing), board reports this element"},
        {"<ConEEPROM/>", "root: wrote BaseEEPROM, board reports ConEEPROM"},
    };
    for (const auto& [reported, verdict] : differing)
        EXPECT_TRUE(holds(EepromComparison::verdict(written, reported), verdict)) << reported;
    // Millions of tiny elements on either side are not read.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    const std::string crowded = with("<Cal/>", tiny);
    EXPECT_EQ(EepromComparison::verdict(crowded, written), "the written document does not parse");
    EXPECT_EQ(EepromComparison::verdict(written, crowded), "the board reports a document that does not parse");
}

TEST_F(EepromScriptedTest, NodeLostBeforeTheCommitLeavesNotCommitted)
{
    test::fakeDriver().i32Results[{0, 1025}] = 700002;
    EepromRestore restore(m_wrapper, &m_journal);
    EXPECT_EQ(restore.fromFile(0, EepromWhich::Base, file("b.xml", baseDocument("10A80001"))),
              AppStatus::BaseEepromWriteFailed);
    const auto sets = test::fakeDriver().callsNamed("SetParamStruct_str");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].value, baseDocument("10A80001"));
    EXPECT_EQ(fieldOf(m_journal.history(""), "verification"), Strings{"not committed"});
}

} // namespace
} // namespace z2e
