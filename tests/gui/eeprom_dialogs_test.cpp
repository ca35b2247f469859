#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/window/eeprom_menu_actions.h"
#include "snapshot_question_answer.h"
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "driver/command/app_status.h"
#include "driver/command/eeprom_summary.h"
#include "tools/board_test_procedure.h"
#include "tools/change_intent.h"
#include "tools/eeprom_backup.h"
#include "tools/system_lock.h"

#include <sys/stat.h>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;
using z2e_test::child;
using z2e_test::DialogRecorder;

const QString kRestored = "[EEPROM Restore] Restore finished. Restart Application to enable changes!";
const QString kNotValid = "[EEPROM Restore] Error! The selected EEPROM backup file is not valid for the target!";

class EepromDialogsTest : public ToolDialogTest {
protected:
    /// The example hardware: board 0 a QA-4008.BNC, board 3 with a corrupt base EEPROM.
    void connectExample()
    {
        useExampleHardware();
        m_wrapper = &connect("SIMMODE_OFF");
    }

    ToolTarget target(std::uint32_t board) { return ToolDialogTest::target({board}); }

    /// The window's handler, its file dialogs answered with `answer`.
    EepromMenuActions actions(const QString& answer)
    {
        return EepromMenuActions(
            nullptr,
            [this, answer](QWidget*, const FileRequest& request) {
                m_requests.push_back(request);
                return answer;
            },
            [this](const QString& text) { m_status = text; });
    }

    std::string baseEeprom(std::uint32_t board)
    {
        std::string document;
        EXPECT_EQ(m_wrapper->getBaseEeprom(board, document), 0);
        return document;
    }

    std::string baseSerial(std::uint32_t board)
    {
        EepromSummary summary;
        EXPECT_EQ(m_wrapper->getBaseEepromSummary(board, summary), 0);
        return summary.serialNumber;
    }

    /// The backup file of `which` EEPROM of `board`, in the site's folder.
    std::string backupOf(std::uint32_t board, EepromWhich which)
    {
        std::string file;
        EXPECT_EQ(EepromBackup(*m_wrapper, nullptr).run(board, which, m_site.root(), file), 0);
        return file;
    }

    /// `field` of the journal's last line of `serial`, after `lines` lines in all.
    std::string lastField(const std::string& serial, std::size_t lines, const char* field)
    {
        const auto all = history(serial);
        EXPECT_EQ(all.size(), lines);
        return all.empty() ? "<none>" : MaintenanceJournal::field(all.back(), field);
    }

    QorinNodeUtilWrapper* m_wrapper = nullptr;
    std::vector<FileRequest> m_requests;
    QString m_status;
};

TEST_F(EepromDialogsTest, SerialFieldRevertsBadInputAndAnUnreadableSummaryOffersNoWrite)
{
    m_wrapper =
        &connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
                         boardEntry(1, "QA-4008.BNC", 3, "0254", "10A80002",
                                    "<Literals><Document Item=\"BaseEEPROM\">no summary</Document></Literals>"));
    CDialogSetEEPROM dialog(target(0));
    auto* serial = child<QLineEdit>(&dialog, "editSerial");
    auto* store = child<QPushButton>(&dialog, "btnStore");
    EXPECT_EQ(serial->text(), "10A80001");
    EXPECT_TRUE(store->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&dialog, "btnErase")->isEnabled());
    EXPECT_TRUE(child<QComboBox>(&dialog, "comboModel")->currentText().contains("QBA-08"));
    // The board as the tree names it, then what its EEPROM says it is.
    EXPECT_TRUE(child<QLabel>(&dialog, "labelBoard")->text().startsWith("0/2  QA-4008.BNC 10A80001     Model: "))
        << child<QLabel>(&dialog, "labelBoard")->text().toStdString();

    serial->setText("1A");
    QTest::keyClicks(serial, "f");
    EXPECT_EQ(serial->text(), "1A");
    QTest::keyClicks(serial, "F9");
    EXPECT_EQ(serial->text(), "1AF9");
    serial->clear();
    EXPECT_TRUE(store->isEnabled()); // an empty field is written as it stands

    CDialogSetEEPROM unreadable(target(1));
    EXPECT_TRUE(child<QLineEdit>(&unreadable, "editSerial")->text().startsWith("Error "));
    EXPECT_FALSE(child<QPushButton>(&unreadable, "btnStore")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&unreadable, "btnErase")->isEnabled());
}

TEST_F(EepromDialogsTest, EditorOutcomeIsToldOnlyAfterAnAction)
{
    connectExample();
    const std::string before = baseEeprom(0);
    EepromMenuActions window = actions(QString());
    const ToolTarget board = target(0);
    {
        // Cancel: nothing is told and nothing written.
        DialogRecorder recorder;
        recorder.on<CDialogSetEEPROM>(
            [](CDialogSetEEPROM& editor) { child<QPushButton>(&editor, "btnCancel")->click(); });
        window.run(MenuEntry::ConfigureBaseEeprom, &board);
        EXPECT_TRUE(recorder.seen().isEmpty()) << recorder.seen().join("\n").toStdString();
    }
    EXPECT_EQ(baseEeprom(0), before);
    EXPECT_TRUE(history("10A80001").empty());

    {
        DialogRecorder recorder;
        recorder.on<CDialogSetEEPROM>([](CDialogSetEEPROM& editor) {
            child<QLineEdit>(&editor, "editSerial")->setText("10A8FFFF");
            child<QPushButton>(&editor, "btnStore")->click();
        });
        window.run(MenuEntry::ConfigureBaseEeprom, &board);
        EXPECT_EQ(recorder.seen(), QStringList("[Information] Base EEPROM Configuration finished successfully!"));
        EXPECT_EQ(baseSerial(0), "10A8FFFF");
        EXPECT_EQ(lastField("10A80001", 1, "verification"), "verified");
    }

    // Erase asks nothing more: the button is the decision.
    DialogRecorder erasing;
    erasing.on<CDialogSetEEPROM>([](CDialogSetEEPROM& editor) { child<QPushButton>(&editor, "btnErase")->click(); });
    window.run(MenuEntry::ConfigureBaseEeprom, &board);
    EXPECT_EQ(erasing.seen(), QStringList("[Information] Base EEPROM Configuration finished successfully!"));
    EXPECT_NE(baseSerial(0), "10A8FFFF");
    EXPECT_EQ(lastField("10A8FFFF", 1, "operation"), "eeprom-erase");
    EXPECT_EQ(lastField("10A8FFFF", 1, "verification"), "verified");
}

TEST_F(EepromDialogsTest, AFailedWriteIsToldAsAnErrorWithTheCodesName)
{
    m_wrapper = &connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001", "<Faults><EEPROMWrite>fail</EEPROMWrite></Faults>"));
    const ToolTarget board = target(0);
    DialogRecorder recorder;
    recorder.on<CDialogSetEEPROM>([](CDialogSetEEPROM& editor) { child<QPushButton>(&editor, "btnStore")->click(); });
    actions(QString()).run(MenuEntry::ConfigureBaseEeprom, &board);
    ASSERT_EQ(recorder.seen().size(), 1) << recorder.seen().join("\n").toStdString();
    EXPECT_TRUE(recorder.seen()[0].startsWith("[Error Information] Base EEPROM Configuration Failed. ["));
    EXPECT_NE(lastField("10A80001", 1, "result"), "0");
}

// The corrupt board 3 has the driver's own backup to restore from; its EEPROM cannot be
// snapshotted: the window asks, and restores without snapshot when the operator goes on.
TEST_F(EepromDialogsTest, AutoRestoreOfACorruptBoardGoesOnWithoutSnapshot)
{
    connectExample();
    const ToolTarget corrupt = target(3);
    z2e_test::SnapshotQuestionAnswer answer(true);
    DialogRecorder recorder("cancel", std::ref(answer));
    actions(QString()).run(MenuEntry::AutoRestoreBase, &corrupt);
    ASSERT_TRUE(answer.askedOnce("0/5  QN-6204-CAN 10A80004"));
    EXPECT_EQ(recorder.seen(), QStringList(kRestored));
    baseEeprom(3); // readable again
}

// Board 7's connector EEPROM cannot be read: rewriting its base EEPROM asks first.
TEST_F(EepromDialogsTest, EditorOnABoardWithoutSnapshotAsksFirst)
{
    connectExample();
    const std::string before = baseEeprom(7);
    const ToolTarget board = target(7);
    z2e_test::SnapshotQuestionAnswer answer(false);
    DialogRecorder recorder("cancel", std::ref(answer));
    // One store per opened editor: a second click while the first store waits for its question
    // would wait for the first's lock.
    recorder.on<CDialogSetEEPROM>([](CDialogSetEEPROM& editor) {
        child<QLineEdit>(&editor, "editSerial")->setText("10A8FFFF");
        child<QPushButton>(&editor, "btnStore")->click();
    });
    actions(QString()).run(MenuEntry::ConfigureBaseEeprom, &board);
    ASSERT_TRUE(answer.askedOnce("cannot read the connector EEPROM of 2/3  QN-6202-UART"));
    EXPECT_EQ(baseEeprom(7), before);

    answer.setGoOn(true);
    actions(QString()).run(MenuEntry::ConfigureBaseEeprom, &board);
    EXPECT_EQ(answer.asked.size(), 2);
    EXPECT_TRUE(recorder.saw("[Information] Base EEPROM Configuration finished successfully!"));
    EXPECT_EQ(baseSerial(7), "10A8FFFF");
}

// A backup of board 1 (serial 10A80002) onto board 0: the question names both serials, and
// only "Yes" writes it.
TEST_F(EepromDialogsTest, RestoreOfAnotherBoardsBackupAsksNamingBothSerials)
{
    connectExample();
    const std::string other = backupOf(1, EepromWhich::Base);
    const std::string before = baseEeprom(0);
    const ToolTarget board = target(0);
    {
        DialogRecorder recorder("cancel");
        actions(QString::fromStdString(other)).run(MenuEntry::FileRestoreBase, &board);
        ASSERT_EQ(recorder.seen().size(), 2) << recorder.seen().join("\n").toStdString();
        EXPECT_TRUE(recorder.seen()[0].startsWith(
            QString::fromStdString("[EEPROM Restore] The backup " + other +
                                   " was taken from serial number 10A80002. Board 0 has serial number 10A80001.")));
        EXPECT_TRUE(recorder.seen()[1].startsWith(kNotValid) && recorder.seen()[1].contains("nothing was written"));
    }
    EXPECT_EQ(baseEeprom(0), before);
    EXPECT_TRUE(history("10A80001").empty());

    DialogRecorder recorder("save");
    EXPECT_EQ(EepromMenuActions::restoreFromFile(board, EepromWhich::Base, other, nullptr), 0);
    EXPECT_EQ(recorder.seen().value(1), kRestored);
    EXPECT_EQ(baseSerial(0), "10A80002");
    EXPECT_EQ(lastField("10A80001", 1, "verification"), "verified");
}

// Board 7's connector EEPROM is blank: restoring it is the repair. The snapshot before cannot
// be taken; the window asks, and the restore runs without it when the operator goes on.
TEST_F(EepromDialogsTest, RepairOfAnUnreadableEepromGoesOnWithoutSnapshotWhenAsked)
{
    connectExample();
    const std::string backup = m_site / "panel.xml";
    test::writeFile(backup, "<ConEEPROM Name=\"QN-6202-UART\" Format=\"2\"><BoardInfo><ConModel>QPN-02-D9</ConModel>"
                            "<ConVersion>1</ConVersion><SerialNumber>10C80008</SerialNumber></BoardInfo></ConEEPROM>");
    const ToolTarget board = target(7);
    std::string document;
    ASSERT_GE(m_wrapper->getConEeprom(7, document), 1);
    z2e_test::SnapshotQuestionAnswer answer(false);
    {
        DialogRecorder recorder("cancel", std::ref(answer));
        actions(QString::fromStdString(backup)).run(MenuEntry::FileRestorePanel, &board);
        ASSERT_TRUE(answer.askedOnce("cannot read the connector EEPROM of 2/3  QN-6202-UART 10A80008"));
        ASSERT_EQ(recorder.seen().size(), 1);
        EXPECT_TRUE(recorder.seen()[0].startsWith("[EEPROM Restore] Error backing up the EEPROM files!"));
    }
    EXPECT_GE(m_wrapper->getConEeprom(7, document), 1); // nothing was written
    ASSERT_EQ(history("10A80008").size(), 1u);

    answer.setGoOn(true);
    DialogRecorder recorder("cancel", std::ref(answer));
    EXPECT_EQ(EepromMenuActions::restoreFromFile(board, EepromWhich::Connector, backup, nullptr), 0);
    EXPECT_EQ(answer.asked.size(), 2);
    EXPECT_EQ(recorder.seen(), QStringList(kRestored));
    ASSERT_EQ(m_wrapper->getConEeprom(7, document), 0);
    EXPECT_NE(document.find("10C80008"), std::string::npos);
    const auto lines = history("10A80008"); // refused twice for the snapshot, then written
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(MaintenanceJournal::field(lines[1], "result"), "4009");
    EXPECT_EQ(MaintenanceJournal::field(lines[2], "verification"), "verified");
    EXPECT_NE(lines[2].find("\"snapshots\":[]"), std::string::npos);
}

// Each restore takes only a backup of its own EEPROM, refusing the other before sending it;
// the panel's restore is verified.
TEST_F(EepromDialogsTest, ConnectorRestoreTakesOnlyAConnectorBackupAndBaseOnlyABase)
{
    connectExample();
    const std::string connector = backupOf(0, EepromWhich::Connector);
    const std::string base = backupOf(0, EepromWhich::Base);
    std::string edited = test::readFile(connector);
    const std::size_t version = edited.find("<ConVersion>");
    ASSERT_NE(version, std::string::npos) << edited;
    edited.replace(version + 12, edited.find("</ConVersion>") - version - 12, "77");
    test::writeFile(connector, edited);
    const std::string baseBefore = baseEeprom(0);
    const ToolTarget board = target(0);
    DialogRecorder recorder;
    actions(QString::fromStdString(connector)).run(MenuEntry::FileRestoreBase, &board);
    actions(QString::fromStdString(base)).run(MenuEntry::FileRestorePanel, &board);
    EXPECT_EQ(m_requests.size(), 2u);
    EXPECT_TRUE(history("10A80001").empty());
    actions(QString::fromStdString(connector)).run(MenuEntry::FileRestorePanel, &board);
    ASSERT_EQ(recorder.seen().size(), 3);
    EXPECT_TRUE(recorder.seen()[0].startsWith(kNotValid) && recorder.seen()[1].startsWith(kNotValid))
        << recorder.seen().join("\n").toStdString();
    EXPECT_EQ(recorder.seen()[2], kRestored);
    std::string panel;
    ASSERT_EQ(m_wrapper->getConEeprom(0, panel), 0);
    EXPECT_NE(panel.find("<ConVersion>77</ConVersion>"), std::string::npos) << panel;
    EXPECT_EQ(baseEeprom(0), baseBefore);
    EXPECT_EQ(lastField("10A80001", 1, "parameters"), "con from " + connector);
    EXPECT_EQ(lastField("10A80001", 1, "verification"), "verified");
}

// An interrupted change stands out in the board's history: what the board holds is unknown.
TEST_F(EepromDialogsTest, HistoryShowsAnInterruptedChangeInRed)
{
    MaintenanceJournal journal(maintenance(), "local");
    JournalEntry entry;
    entry.serial = "10A80001";
    entry.operation = "eeprom-restore";
    ASSERT_TRUE(journal.appendLines({ChangeIntent::interruptedLine(journal, entry)}));
    entry.verification = "verified";
    ASSERT_TRUE(journal.append(entry));
    CBoardHistoryDialog dialog(maintenance(), "10A80001", "Slot 2:  QA-4008.BNC");
    auto* table = child<QTableWidget>(&dialog, "tableHistory");
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 2)->text(), "4110");
    EXPECT_TRUE(table->item(1, 3)->text().startsWith("interrupted: eeprom-restore was started"));
    EXPECT_EQ(table->item(1, 3)->foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(table->item(1, 0)->font().bold());
    EXPECT_NE(table->item(0, 3)->foreground().color(), QColor(Qt::red));
}

// A FIFO planted as the history is no empty history: the window says what stands there.
TEST_F(EepromDialogsTest, HistoryThatCannotBeReadSaysSoInsteadOfNothingRecorded)
{
    std::filesystem::create_directories(maintenance());
    const std::string history = maintenance() + "/history.jsonl";
    ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);
    CBoardHistoryDialog dialog(maintenance(), "10A80001", "Slot 2:  QA-4008.BNC");
    auto* label = child<QLabel>(&dialog, "labelEmpty");
    EXPECT_TRUE(label->text().startsWith("The history cannot be read: ")) << label->text().toStdString();
    EXPECT_TRUE(label->text().contains("FIFO")) << label->text().toStdString();
}

TEST_F(EepromDialogsTest, HistoryRestoresTheSnapshotOfACalibrationByteForByte)
{
    connectExample();
    const std::string before = baseEeprom(0);
    {
        MaintenanceJournal journal(maintenance(), "local");
        ASSERT_EQ(BoardTestProcedure(*m_wrapper, &journal).run(BoardTest::AutoZero, {0}, nullptr, kGo).status, 0);
    }
    ASSERT_NE(baseEeprom(0), before);

    CBoardHistoryDialog dialog(maintenance(), "10A80001", "Slot 2:  QA-4008.BNC");
    auto* restore = child<QPushButton>(&dialog, "btnRestore");
    EXPECT_TRUE(restore->isHidden()); // read-only without the board
    dialog.setRestoreTarget(target(0));
    auto* table = child<QTableWidget>(&dialog, "tableHistory");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_FALSE(restore->isEnabled());
    table->selectRow(0);
    ASSERT_EQ(dialog.selectedSnapshots().size(), 2u);
    ASSERT_TRUE(restore->isEnabled());

    DialogRecorder recorder("save");
    restore->click();
    ASSERT_EQ(recorder.seen().size(), 3) << recorder.seen().join("\n").toStdString();
    EXPECT_TRUE(recorder.seen()[0].startsWith("[Restore this snapshot] Which EEPROM"));
    EXPECT_TRUE(recorder.seen()[1].contains("Restore the base EEPROM of board 0 as it was before \"autozero\""));
    EXPECT_EQ(recorder.seen()[2], kRestored);
    EXPECT_EQ(baseEeprom(0), before);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 1)->text(), "eeprom-restore");
}

// A backup file of the name there already is replaced only after the question; a FIFO or
// a link there is refused in words, without a question, and left as it is.
TEST_F(EepromDialogsTest, BackupAsksBeforeReplacingAFileAndRefusesAFifoInWords)
{
    connectExample();
    const std::string folder = m_site / "backups";
    fs::create_directories(folder);
    const std::string file = folder + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml";
    test::writeFile(file, "an older backup");
    const ToolTarget board = target(0);
    EepromMenuActions window = actions(QString::fromStdString(folder));
    {
        DialogRecorder recorder("cancel");
        window.run(MenuEntry::BackupBase, &board);
        EXPECT_TRUE(recorder.saw("The backup file " + QString::fromStdString(file) + " exists."));
    }
    EXPECT_EQ(test::readFile(file), "an older backup");
    {
        DialogRecorder recorder("save");
        window.run(MenuEntry::BackupBase, &board);
    }
    EXPECT_EQ(test::readFile(file), baseEeprom(0) + "\n");
    EXPECT_EQ(m_status.toStdString(), "EEPROM backup written to " + file);

    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    {
        DialogRecorder recorder("save");
        window.run(MenuEntry::BackupBase, &board);
        EXPECT_EQ(recorder.seen().size(), 1) << recorder.seen().join("\n").toStdString();
        EXPECT_TRUE(recorder.saw("is a FIFO (named pipe), not a regular file; it is left as it is"));
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(file)));
}

// Another program changing the same system: the progress window names it while the restore
// waits; Cancel gives up without a change, the holder's end lets the restore go on.
TEST_F(EepromDialogsTest, RestoreWaitsForAnotherProgramsChangeOrGivesUp)
{
    connectExample();
    const std::string file = backupOf(0, EepromWhich::Base);
    SystemLock holder(SystemLock::defaultFolder(), SystemLock::localSystem());
    ASSERT_EQ(holder.tryAcquire("zamo2ctl", "updating firmware"), SystemLock::Outcome::Held) << holder.error();
    const QString words = QString("busy: zamo2ctl pid %1 is updating firmware").arg(::getpid());
    DialogRecorder recorder;
    {
        const auto cancel = z2e_test::whenProgressShows(
            words, [](CInProgress& progress) { QTest::keyClick(&progress, Qt::Key_Escape); });
        EXPECT_EQ(EepromMenuActions::restoreFromFile(target(0), EepromWhich::Base, file, nullptr),
                  AppStatus::Cancelled);
    }
    EXPECT_EQ(recorder.seen(), QStringList("[EEPROM Restore] Nothing was changed: " + words));
    EXPECT_TRUE(history("10A80001").empty());
    {
        const auto release = z2e_test::whenProgressShows(words, [&](CInProgress&) { holder.release(); });
        EXPECT_EQ(EepromMenuActions::restoreFromFile(target(0), EepromWhich::Base, file, nullptr), 0);
    }
    EXPECT_EQ(recorder.seen().value(1), kRestored);
    EXPECT_EQ(history("10A80001").size(), 1u);
}

} // namespace
} // namespace z2e
