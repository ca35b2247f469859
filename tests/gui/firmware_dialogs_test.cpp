// The firmware dialogs' wiring against the driver stand-in: what the table shows, what the
// buttons run and which message ends a run. The update rules themselves are the updater's tests.
#include "snapshot_question_answer.h"
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/fw_select_dialog.h"
#include "gui/dialogs/tools/fw_update_dialog.h"
#include "gui/dialogs/tools/fw_update_pro_dialog.h"
#include "driver/command/app_status.h"

#include <QProgressBar>

namespace z2e {
namespace {

using namespace testing_tools;
using z2e_test::child;

void click(QWidget* dialog, const char* button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

QString cell(QWidget* dialog, int row, int column)
{
    const QTableWidgetItem* item = child<QTableWidget>(dialog, "tableFirmware")->item(row, column);
    return item ? item->text() : QString("<none>");
}

QStringList column(QWidget* dialog, int column)
{
    QStringList texts;
    for (int row = 0; row < child<QTableWidget>(dialog, "tableFirmware")->rowCount(); ++row)
        texts << cell(dialog, row, column);
    return texts;
}

using FirmwareDialogTest = ToolDialogTest;

TEST_F(FirmwareDialogTest, UpdateAndRetryFailedTouchOnlyWhatTheyShould)
{
    connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
        boardEntry(1, "QA-4016", 3, "0251", "10A80002", firmwareCheckLiteral("", "0254")) +
        boardEntry(2, "QN-6202-UART", 4, "0441", "10A80008", "<Faults><FirmwareUpdate>1</FirmwareUpdate></Faults>"));
    CFWUpdateDialog dialog(target({0, 1, 2}));
    dialog.show();
    EXPECT_EQ(column(&dialog, 0),
              QStringList({"0/2  QA-4008.BNC 10A80001", "0/3  QA-4016 10A80002", "0/4  QN-6202-UART 10A80008"}));
    EXPECT_EQ(column(&dialog, 1), QStringList({"0251", "Unknown", "0441"}));
    EXPECT_EQ(column(&dialog, 2), QStringList({"0254", "0254", "0444"}));
    EXPECT_FALSE(child<QPushButton>(&dialog, "btnRetry")->isEnabled());

    z2e_test::DialogRecorder recorder;
    click(&dialog, "btnUpdate");
    EXPECT_EQ(column(&dialog, 4), QStringList({"OK", "Skipped", "Error!"}));
    EXPECT_EQ(cell(&dialog, 0, 1), "0254");
    EXPECT_EQ(cell(&dialog, 2, 5), "0441 → 0444 failed: An internal error occurred.");
    EXPECT_EQ(cell(&dialog, 0, 5), "0251 → 0254 updated");
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update failed. Please retry the update before power cycling "
                             "the boards."));
    EXPECT_TRUE(child<QPushButton>(&dialog, "btnUpdate")->isEnabled());
    ASSERT_TRUE(child<QPushButton>(&dialog, "btnRetry")->isEnabled());

    click(&dialog, "btnRetry");
    EXPECT_EQ(column(&dialog, 4), QStringList({"OK", "Skipped", "OK"}));
    EXPECT_EQ(cell(&dialog, 2, 1), "0444");
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update complete. Please power cycle the boards."));
    EXPECT_EQ(historiesOf({"10A80001", "10A80002", "10A80008"}), (std::vector<std::size_t>{1, 1, 2}));
    EXPECT_FALSE(child<QPushButton>(&dialog, "btnRetry")->isEnabled());

    // Nothing failed last time: the retry sends nothing and says so.
    EXPECT_EQ(dialog.runUpdate(true), 3001);
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update skipped. No need to power cycle the boards."));
    EXPECT_EQ(historyOf(""), 4u);
}

// The failed boards are remembered by the journal: a dialog opened later offers their retry.
TEST_F(FirmwareDialogTest, RetryFailedIsOfferedFromTheJournalWhenTheDialogOpens)
{
    connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
        boardEntry(1, "QN-6202-UART", 4, "0441", "10A80008", "<Faults><FirmwareUpdate>1</FirmwareUpdate></Faults>"));
    z2e_test::DialogRecorder recorder;
    {
        CFWUpdateDialog first(target({0, 1}));
        EXPECT_FALSE(child<QPushButton>(&first, "btnRetry")->isEnabled());
        EXPECT_EQ(first.runUpdate(false), 3002);
    }
    CFWUpdateDialog later(target({0, 1}));
    ASSERT_TRUE(child<QPushButton>(&later, "btnRetry")->isEnabled());
    click(&later, "btnRetry");
    EXPECT_EQ(column(&later, 4), QStringList({"", "OK"}));
    EXPECT_EQ(historiesOf({"10A80001", "10A80008"}), (std::vector<std::size_t>{1, 2}));
    CFWUpdateDialog done(target({0, 1}));
    EXPECT_FALSE(child<QPushButton>(&done, "btnRetry")->isEnabled());
}

// Before "Update" the table says what will happen to each board; the check box keeps newer
// firmware, and each outcome names the versions.
TEST_F(FirmwareDialogTest, PlanShowsWhichBoardsGoBackAndKeepNewerSkipsThem)
{
    connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                    boardEntry(1, "QC-3104", 3, "0300", "10A80006") + boardEntry(2, "QA-4016", 4, "0254", "10A80003"));
    CFWUpdateDialog dialog(target({0, 1, 2}));
    dialog.show();
    auto* keep = child<QCheckBox>(&dialog, "chkKeepNewer");
    EXPECT_FALSE(keep->isChecked());
    EXPECT_EQ(column(&dialog, 5), QStringList({"Will update: 0251 → 0254", "Will go back to the release: 0300 → 02F4",
                                               "Will skip: 0254 is the release already"}));
    keep->click();
    EXPECT_EQ(cell(&dialog, 1, 5), "Will skip: 0300 is newer than the release 02F4: kept");
    EXPECT_EQ(historyOf(""), 0u); // planning sends nothing

    z2e_test::DialogRecorder recorder;
    click(&dialog, "btnUpdate");
    EXPECT_EQ(column(&dialog, 4), QStringList({"OK", "Skipped", "Skipped"}));
    EXPECT_EQ(column(&dialog, 5), QStringList({"0251 → 0254 updated", "0300 is newer than the release 02F4: kept",
                                               "0254 is the release already"}));
    EXPECT_EQ(cell(&dialog, 1, 1), "0300");

    keep->click();
    EXPECT_EQ(cell(&dialog, 1, 5), "0300 is newer than the release 02F4: kept"); // a row run keeps its outcome
    click(&dialog, "btnUpdate");
    EXPECT_EQ(cell(&dialog, 1, 4), "OK");
    EXPECT_EQ(cell(&dialog, 1, 5), "0300 → 02F4 went back to the release");
    EXPECT_EQ(cell(&dialog, 1, 1), "02F4");
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update complete."));
}

// A board whose EEPROM cannot be read is named in a question; "Cancel" leaves it untouched,
// "Continue without snapshot" updates it without snapshot, and the other boards went on anyway.
TEST_F(FirmwareDialogTest, UnreadableEepromAsksToGoOnWithoutSnapshot)
{
    connectHardware(
        boardEntry(0, "QN-6202-UART", 2, "0441", "10A80008", "<Faults><ConEEPROM>blank</ConEEPROM></Faults>") +
        boardEntry(1, "QA-4008.BNC", 3, "0251", "10A80001"));
    CFWUpdateDialog dialog(target({0, 1}));
    dialog.show();
    z2e_test::SnapshotQuestionAnswer answer(false);
    z2e_test::DialogRecorder recorder("cancel", std::ref(answer));
    EXPECT_EQ(dialog.runUpdate(false), 3002);
    ASSERT_TRUE(answer.askedOnce("cannot read the connector EEPROM of 0/2  QN-6202-UART 10A80008"));
    EXPECT_FALSE(answer.asked[0].contains("--no-snapshot")); // the command line's advice stays there
    EXPECT_EQ(answer.buttons, QStringList({"Continue without snapshot", "Cancel"}));
    EXPECT_EQ(answer.defaultText, "Cancel");
    EXPECT_EQ(column(&dialog, 4), QStringList({"Error!", "OK"}));
    EXPECT_EQ(cell(&dialog, 0, 1), "0441");
    EXPECT_TRUE(cell(&dialog, 0, 5).startsWith("0441 → 0444 not updated: cannot read the connector EEPROM"));
    EXPECT_EQ(historyOf("10A80008"), 1u);
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update failed."));

    answer.setGoOn(true);
    click(&dialog, "btnRetry");
    EXPECT_EQ(answer.asked.size(), 2);
    EXPECT_EQ(column(&dialog, 4), QStringList({"OK", "OK"}));
    EXPECT_EQ(cell(&dialog, 0, 5), "0441 → 0444 updated");
    const auto lines = history("10A80008");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(MaintenanceJournal::field(lines[2], "result"), "3000");
    EXPECT_NE(lines[2].find("\"snapshots\":[]"), std::string::npos) << lines[2];
    EXPECT_TRUE(recorder.saw("[Firmware Update] Firmware Update complete."));
    EXPECT_FALSE(child<QPushButton>(&dialog, "btnRetry")->isEnabled());
}

TEST_F(FirmwareDialogTest, ProDialogTakesItsFileFromAutoSelectOrBrowse)
{
    connectExample();
    ToolTarget board = target({0});
    board.snapshots = false;
    CFWUpdateProDialog dialog(board);
    FileRequest asked;
    const std::string notFirmware = m_site / "documents/notes.txt";
    test::writeFile(notFirmware, "not a firmware file\n");
    dialog.setFileChooser([&](QWidget*, const FileRequest& request) {
        asked = request;
        return QString::fromStdString(notFirmware);
    });
    dialog.show();
    EXPECT_EQ(column(&dialog, 1), QStringList({"0251"}));
    auto* name = child<QLineEdit>(&dialog, "editFilename");

    // An empty name: nothing to run, nothing said (a message would be answered before the return).
    EXPECT_FALSE(child<QPushButton>(&dialog, "btnUpdate")->isEnabled());
    {
        z2e_test::DialogRecorder recorder;
        EXPECT_EQ(dialog.runUpdate(), 3001);
        EXPECT_TRUE(recorder.seen().isEmpty());
        EXPECT_EQ(historyOf(""), 0u);
    }

    click(&dialog, "btnAuto");
    EXPECT_EQ(name->text(), "qa4008bnc_0254.zfw");

    QStringList listed;
    bool okWithoutChoice = true;
    // The listing is read behind the progress window first.
    EXPECT_TRUE(z2e_test::actOnDialogWhile<CFWSelectDialog>(
        [&] { click(&dialog, "btnSelect"); },
        [&](CFWSelectDialog& select) {
            auto* list = child<QListWidget>(&select, "listFirmware");
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
            okWithoutChoice = child<QPushButton>(&select, "buttonOK")->isEnabled();
            list->setCurrentRow(listed.indexOf("qa4008bnc_0251.zfw"));
            click(&select, "buttonOK");
        }));
    EXPECT_EQ(listed.size(), 26);
    EXPECT_FALSE(okWithoutChoice);
    EXPECT_EQ(name->text(), "qa4008bnc_0251.zfw");

    z2e_test::DialogRecorder recorder;
    name->setText("qa4008bnc_0254.zfw");
    click(&dialog, "btnUpdate");
    EXPECT_EQ(column(&dialog, 4), QStringList({"OK"}));
    EXPECT_EQ(cell(&dialog, 0, 1), "0254");
    EXPECT_TRUE(recorder.saw("[Firmware Update PRO] Firmware Update complete. Please power cycle the boards."));

    click(&dialog, "btnBrowse");
    EXPECT_EQ(asked.folder.toStdString(), m_site / "documents");
    EXPECT_EQ(name->text().toStdString(), notFirmware);
    click(&dialog, "btnUpdate");
    EXPECT_EQ(column(&dialog, 4), QStringList({"Error!"}));
    EXPECT_EQ(cell(&dialog, 0, 5),
              QString::fromStdString("0254 → " + notFirmware + " failed: Accessing firmware file failed."));
    EXPECT_TRUE(recorder.saw("[Firmware Update PRO] Firmware Update failed."));
}

// Board 7's connector EEPROM cannot be read: the PRO update asks, and goes on without snapshot.
TEST_F(FirmwareDialogTest, ProDialogAsksToGoOnWithoutSnapshot)
{
    connectExample();
    CFWUpdateProDialog dialog(target({7}));
    dialog.show();
    child<QLineEdit>(&dialog, "editFilename")->setText("qn6202uart_0444.zfw");
    z2e_test::SnapshotQuestionAnswer answer(false);
    z2e_test::DialogRecorder recorder("cancel", std::ref(answer));
    EXPECT_EQ(dialog.runUpdate(), AppStatus::SnapshotFailed);
    ASSERT_TRUE(answer.askedOnce("2/3  QN-6202-UART 10A80008"));
    EXPECT_EQ(cell(&dialog, 0, 1), "0441");
    EXPECT_TRUE(recorder.saw("[Firmware Update PRO] Firmware Update stopped (4009)"));

    answer.setGoOn(true);
    // The board's first update fails by design of the example; what matters is that it was sent.
    dialog.runUpdate();
    EXPECT_EQ(answer.asked.size(), 2);
    EXPECT_EQ(cell(&dialog, 0, 5), "0441 → qn6202uart_0444.zfw failed: An internal error occurred.");
}

TEST(FirmwareProgressTest, EachBoardRestartsTheBarWithItsExpectedSeconds)
{
    CInProgress progress("Firmware Update", "Performing Updates.", nullptr, true);
    progress.show();
    const ToolProgress report = timedProgress(progress);
    report(" Updating Board 2/3", 0.5, 120.0);
    QCoreApplication::processEvents();
    auto* bar = child<QProgressBar>(&progress, "progressBar");
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(QString("%1/%2").arg(bar->value()).arg(bar->maximum()), "0/120");
    EXPECT_EQ(child<QLabel>(&progress, "labelProgressText")->text(), " Updating Board 2/3");
    EXPECT_TRUE(progress.findChild<QTimer*>()->isActive());
    report("", 1.0, 0.0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(progress.findChild<QTimer*>()->isActive());
}

TEST(FirmwareSelectDialogTest, DoubleClickChoosesAndCancelChoosesNothing)
{
    CFWSelectDialog chosen({"qc3104_02F1.zfw", "qc3104_02F4.zfw"});
    chosen.show();
    auto* list = child<QListWidget>(&chosen, "listFirmware");
    QListWidgetItem* second = list->item(1);
    list->setCurrentItem(second);
    emit list->itemDoubleClicked(second);
    EXPECT_EQ(chosen.result(), QDialog::Accepted);
    EXPECT_EQ(chosen.selectedFile(), "qc3104_02F4.zfw");

    CFWSelectDialog cancelled({"qc3104_02F1.zfw"});
    cancelled.show();
    child<QListWidget>(&cancelled, "listFirmware")->setCurrentRow(0);
    click(&cancelled, "buttonCancel");
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled.selectedFile().empty());
}

} // namespace
} // namespace z2e
