#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/dialogs/tools/test_view_model.h"
#include "snapshot_question_answer.h"
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "tools/asset_register.h"
#include "tools/maintenance_journal.h"

#include <QBrush>
#include <QMessageBox>

#include <fstream>

#include <sys/stat.h>

namespace z2e {
namespace {

using namespace testing_tools;

const char* const kCalibrationButtons[] = {"btnAutoZero", "btnGainCal", "btnThreeWire", "btnResetDefault"};

QPushButton* button(QWidget& dialog, const char* name)
{
    return z2e_test::child<QPushButton>(&dialog, name);
}

QString statusLine(QWidget& dialog)
{
    return dialog.findChild<QLabel*>("labelStatus")->text();
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

/// Answers the next message box with `answer`; keeps its title, text and default button.
class QuestionAnswer {
public:
    explicit QuestionAnswer(QMessageBox::StandardButton answer)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            m_timer.stop();
            asked = QString("[%1] %2").arg(box->windowTitle(), box->text());
            defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
            box->button(answer)->click();
        });
        m_timer.start();
    }

    QString asked;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;

private:
    QTimer m_timer;
};

class SelfTestDialogTest : public ToolDialogTest {
protected:
    void SetUp() override
    {
        ToolDialogTest::SetUp();
        useExampleHardware();
    }

    /// A chooser that records each request and answers with `answer`.
    FileChooser chooser(QString answer)
    {
        return [this, answer](QWidget*, const FileRequest& request) {
            m_requests.push_back(request);
            return answer;
        };
    }

    std::vector<FileRequest> m_requests;
};

TEST_F(SelfTestDialogTest, SimulatedBoardsOfferOnlyTheSelfTestAndMultiBoardsTheExcitationTest)
{
    connect("SIMMODE_FORCE");
    ToolTarget boards = target({0});
    boards.simulated = true;
    {
        CSelfTestDialog single(boards, false);
        EXPECT_TRUE(button(single, "btnExcitationTest")->isHidden());
    }
    boards.boards = {0, 1}; // the second is a QA-2208-MULTI
    boards.multiBoard = true;
    CSelfTestDialog dialog(boards, false);
    dialog.setFileChooser(chooser(QString()));
    EXPECT_TRUE(button(dialog, "btnSelfTest")->isEnabled());
    EXPECT_FALSE(button(dialog, "btnExcitationTest")->isHidden());
    for (const char* name : kCalibrationButtons)
        EXPECT_FALSE(button(dialog, name)->isEnabled()) << name;
    z2e_test::DialogRecorder recorder;
    dialog.runTest(BoardTest::GainCal);
    EXPECT_TRUE(statusLine(dialog).isEmpty());
    EXPECT_TRUE(recorder.seen().isEmpty()) << recorder.seen().join("\n").toStdString();

    button(dialog, "btnExcitationTest")->click();
    ASSERT_EQ(dialog.results().rowCount(), 2);
    EXPECT_EQ(dialog.results().rows()[1].status, " PASSED");
    dialog.findChild<QTreeView*>("treeResults")->setCurrentIndex(dialog.results().index(1, 0));
    button(dialog, "btnSaveSingle")->click();
    EXPECT_EQ(m_requests.at(0).folder.toStdString(), m_site / "documents/Self_Test_QA-2208-MULTI_00A40002.xml");
}

TEST_F(SelfTestDialogTest, SelfTestShowsEveryBoardsVerdictAndSavesTheDocuments)
{
    connect("SIMMODE_OFF");
    CSelfTestDialog dialog(target({0, 1, 2}), false);
    dialog.show();
    const QString single = QString::fromStdString(m_site / "single.xml");
    dialog.setFileChooser(chooser(single));
    const CTestViewModel& results = dialog.results();
    EXPECT_EQ(results.index(1, 0).data().toString(), "Slot 3:  QA-4116-STRAIN");
    // The row says the slot; its tip names the board as the tree does.
    EXPECT_EQ(results.index(1, 0).data(Qt::ToolTipRole).toString(), "0/3  QA-4116-STRAIN 10A80002");
    EXPECT_FALSE(button(dialog, "btnSaveAll")->isEnabled());

    button(dialog, "btnSaveSingle")->click();
    EXPECT_EQ(m_requests.at(0).folder.toStdString(), m_site / "documents/hw_tests_QA-4008.BNC_10A80001.xml");

    button(dialog, "btnSelfTest")->click();
    ASSERT_EQ(results.rowCount(), 3);
    EXPECT_EQ(results.index(0, 0).data().toString(), "Slot 2:  QA-4008.BNC:  PASSED");
    const QModelIndex failing = results.index(1, 0);
    EXPECT_EQ(failing.data().toString(), "Slot 3:  QA-4116-STRAIN:  FAILED!!");
    EXPECT_EQ(failing.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_FALSE(results.index(0, 0).data(Qt::ForegroundRole).isValid());
    ASSERT_GT(results.rowCount(failing), 0);
    EXPECT_EQ(results.index(0, 0, failing).data().toString().toStdString(), results.rows()[1].details[0]);
    EXPECT_EQ(statusLine(dialog), " Self_Test  COMPLETED: 1 of 3 boards did not pass");
    EXPECT_EQ(historyOf("10A80002"), 1u);

    // The second board's document, as the driver gave it.
    dialog.findChild<QTreeView*>("treeResults")->setCurrentIndex(results.index(0, 0, failing));
    button(dialog, "btnSaveSingle")->click();
    EXPECT_EQ(m_requests.at(1).folder.toStdString(), m_site / "documents/Self_Test_QA-4116-STRAIN_10A80002.xml");
    EXPECT_EQ(test::readFile(single.toStdString()), results.rows()[1].document);

    button(dialog, "btnSaveAll")->click();
    EXPECT_EQ(m_requests.at(2).folder.toStdString(), m_site / "documents");
    const std::string all = test::readFile(single.toStdString());
    EXPECT_EQ(count(all, "\n\t<HardwareCheck"), 3u) << all.substr(0, 300);
    EXPECT_EQ(count(all, "\n\t\t<BoardId"), 3u);
    EXPECT_EQ(all.find("<Results>\n\t<HardwareCheck"), all.find("<Results>"));

    // A folder that is not there: told, with the status and why.
    z2e_test::DialogRecorder recorder;
    dialog.setFileChooser(chooser(QString::fromStdString(m_site / "missing/all.xml")));
    button(dialog, "btnSaveAll")->click();
    ASSERT_EQ(recorder.seen().size(), 1);
    EXPECT_TRUE(recorder.seen()[0].contains("1001") && recorder.seen()[0].contains("missing/all.xml"));
}

// The save dialog has asked before a file is replaced; a FIFO or a device is still refused in
// words and left as it is.
TEST_F(SelfTestDialogTest, SavingIntoAFifoOrADeviceIsRefusedInWords)
{
    connect("SIMMODE_OFF");
    CSelfTestDialog dialog(target({0}), false);
    button(dialog, "btnSelfTest")->click();
    ASSERT_FALSE(dialog.results().rows()[0].document.empty());
    const std::string fifo = m_site / "results.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        z2e_test::DialogRecorder recorder;
        dialog.setFileChooser(chooser(QString::fromStdString(path)));
        button(dialog, "btnSaveAll")->click();
        ASSERT_EQ(recorder.seen().size(), 1) << path;
        EXPECT_TRUE(recorder.saw("Saving failed (status 1002)"));
        EXPECT_TRUE(recorder.saw(path == fifo ? "is a FIFO (named pipe)" : "/dev/null is a device"));
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // A file chosen in the save dialog is replaced: the dialog asked.
    const std::string existing = m_site / "existing.xml";
    test::writeFile(existing, "old");
    dialog.setFileChooser(chooser(QString::fromStdString(existing)));
    button(dialog, "btnSaveSingle")->click();
    EXPECT_EQ(test::readFile(existing), dialog.results().rows()[0].document);
}

TEST_F(SelfTestDialogTest, ThreeWireRunsOnlyWhenAnsweredOk)
{
    connect("SIMMODE_OFF");
    CSelfTestDialog dialog(target({0}), false);
    dialog.show();
    {
        QuestionAnswer cancel(QMessageBox::Cancel);
        button(dialog, "btnThreeWire")->click();
        EXPECT_EQ(cancel.asked, QString("[Three wire offest] ") + BoardTestProcedure::threeWireQuestion());
        EXPECT_EQ(cancel.defaultButton, QMessageBox::Cancel);
    }
    EXPECT_EQ(historyOf("10A80001"), 0u);
    EXPECT_FALSE(fs::exists(maintenance() + "/10A80001"));
    EXPECT_TRUE(dialog.results().rows()[0].status.empty());

    QuestionAnswer ok(QMessageBox::Ok);
    button(dialog, "btnThreeWire")->click();
    EXPECT_FALSE(ok.asked.isEmpty());
    EXPECT_EQ(historyOf("10A80001"), 1u);
    EXPECT_EQ(dialog.results().rows()[0].snapshots.size(), 2u);
    EXPECT_FALSE(dialog.results().rows()[0].status.empty());
}

// Board 3's base EEPROM cannot be read: the calibration asks, naming it, and goes on without
// snapshot only when told to.
TEST_F(SelfTestDialogTest, UnreadableEepromAsksToGoOnWithoutSnapshot)
{
    connect("SIMMODE_OFF");
    CSelfTestDialog dialog(target({0, 3}), false);
    dialog.show();
    z2e_test::SnapshotQuestionAnswer answer(false);
    z2e_test::DialogRecorder recorder("cancel", std::ref(answer));
    button(dialog, "btnAutoZero")->click();
    ASSERT_TRUE(answer.askedOnce("cannot read the base EEPROM of 0/5  QN-6204-CAN 10A80004"));
    EXPECT_TRUE(recorder.seen().isEmpty()) << recorder.seen().join("\n").toStdString();
    EXPECT_EQ(statusLine(dialog), " Auto_Zero  COMPLETED: 1 of 2 boards did not pass");
    ASSERT_EQ(dialog.results().rows().size(), 2u);
    EXPECT_EQ(dialog.results().rows()[0].status + dialog.results().rows()[1].status, " PASSED NOT RUN");
    EXPECT_EQ(historyOf("10A80004"), 1u);

    answer.setGoOn(true);
    button(dialog, "btnAutoZero")->click();
    ASSERT_EQ(answer.asked.size(), 2);
    EXPECT_NE(dialog.results().rows()[1].status, " NOT RUN");
    EXPECT_TRUE(dialog.results().rows()[1].snapshots.empty());
    EXPECT_EQ(dialog.results().rows()[0].snapshots.size(), 2u);
    EXPECT_EQ(historyOf("10A80004"), 3u); // left out, then run without snapshot
    EXPECT_EQ(historyOf("10A80001"), 2u);
}

// Neither snapshot nor history can be written: the repair is still offered, and done.
TEST_F(SelfTestDialogTest, AnUnwritableJournalStillOffersToGoOnWithoutSnapshot)
{
    connect("SIMMODE_OFF");
    fs::create_directories(maintenance() + "/history.jsonl"); // a folder where the history belongs
    CSelfTestDialog dialog(target({3}), false);
    dialog.show();
    z2e_test::SnapshotQuestionAnswer answer(true);
    z2e_test::DialogRecorder recorder("ok", std::ref(answer));
    button(dialog, "btnAutoZero")->click();
    ASSERT_TRUE(answer.askedOnce("cannot read the base EEPROM of 0/5  QN-6204-CAN 10A80004"));
    ASSERT_EQ(dialog.results().rows().size(), 1u);
    EXPECT_NE(dialog.results().rows()[0].status, " NOT RUN");
    EXPECT_TRUE(recorder.seen().join("\n").contains("Error writing the maintenance journal!"))
        << recorder.seen().join("\n").toStdString();
}

// The start of board 0's change cannot be recorded, so nothing is sent to it; board 3, left
// out for its snapshot, then runs without one. What stopped board 0 is still said at the end.
TEST_F(SelfTestDialogTest, AStartThatCouldNotBeRecordedIsStillSaidAfterTheLeftOutBoardRan)
{
    connect("SIMMODE_OFF");
    fs::create_directories(maintenance());
    std::ofstream(maintenance() + "/intents") << "a file where the folder belongs";
    CSelfTestDialog dialog(target({0, 3}), false);
    dialog.show();
    z2e_test::SnapshotQuestionAnswer answer(true);
    z2e_test::DialogRecorder recorder("ok", std::ref(answer));
    button(dialog, "btnAutoZero")->click();
    ASSERT_TRUE(answer.askedOnce("cannot read the base EEPROM of 0/5  QN-6204-CAN 10A80004"));
    ASSERT_EQ(dialog.results().rows().size(), 2u);
    EXPECT_TRUE(dialog.results().rows()[0].status.empty());
    EXPECT_NE(dialog.results().rows()[1].status, " NOT RUN");
    EXPECT_TRUE(recorder.seen().join("\n").contains("cannot record the change's start"))
        << recorder.seen().join("\n").toStdString();
}

TEST(BoardHistoryDialogTest, ListsThatBoardsEntriesNewestFirst)
{
    test::ScratchFolder folder;
    MaintenanceJournal journal(folder / "maintenance", "local");
    const auto append = [&](const char* serial, const char* operation, std::int32_t result, const char* before) {
        JournalEntry entry;
        entry.serial = serial;
        entry.operation = operation;
        entry.result = result;
        entry.statusText = " CALIBRATION ERROR";
        entry.firmwareBefore = before;
        entry.firmwareAfter = *before ? "0254" : "";
        ASSERT_TRUE(journal.append(entry));
    };
    append("10A80001", "firmware", 0, "0251");
    append("10A80002", "autozero", 0, "");
    std::ofstream(journal.folder() + "/history.jsonl", std::ios::app) << "{\"serial\":\"10A80001\",\"torn";
    append("10A80001", "gaincal", 260105, "");

    // The board moved to a node since: the register has seen it in both places.
    AssetRegister assets(folder.path());
    ASSERT_TRUE(assets.open()) << assets.lastError();
    AssetSighting here;
    here.time = "2026-01-05T10:00:00.000Z";
    here.serial = "10A80001";
    here.system = "local";
    here.enclosure = 0;
    here.slot = 2;
    AssetSighting moved = here;
    moved.time = "2026-06-01T10:00:00.000Z";
    moved.system = "127.0.0.2 Bench-North";
    moved.enclosure = 1;
    moved.slot = 4;
    moved.calibrationDate = "2023-06-20";
    ASSERT_TRUE(assets.recordSightings({here})) << assets.lastError();
    ASSERT_TRUE(assets.recordSightings({moved})) << assets.lastError();

    CBoardHistoryDialog dialog(journal.folder(), "10a80001", "Slot 2:  QA-4008.BNC");
    const QString places = dialog.findChild<QLabel*>("labelPlaces")->text();
    EXPECT_EQ(places.toStdString(), "Seen at: local 0/2 (2026-01-05 .. 2026-01-05); 127.0.0.2 Bench-North 1/4 "
                                    "(2026-06-01 .. 2026-06-01)\nCalibrated: 2023-06-20");
    EXPECT_EQ(dialog.findChild<QLabel*>("labelBoard")->text().toStdString(),
              "Slot 2:  QA-4008.BNC  (serial number 10a80001)\n1 damaged line skipped (the journal's file is damaged)");
    auto* table = dialog.findChild<QTableWidget*>("tableHistory");
    ASSERT_EQ(table->rowCount(), 2);
    const auto cells = [table](int row) {
        return QStringList({table->item(row, 1)->text(), table->item(row, 2)->text(), table->item(row, 3)->text(),
                            table->item(row, 5)->text()});
    };
    EXPECT_EQ(cells(0), QStringList({"gaincal", "260105", "CALIBRATION ERROR", ""}));
    EXPECT_EQ(cells(1).at(0) + " " + cells(1).at(3), QString::fromUtf8("firmware 0251 \u2192 0254"));
    EXPECT_TRUE(dialog.findChild<QLabel*>("labelEmpty")->isHidden());

    CBoardHistoryDialog none(journal.folder(), "10A80009", "Slot 9:  QC-3104");
    EXPECT_TRUE(none.findChild<QTableWidget*>("tableHistory")->isHidden());
    EXPECT_TRUE(none.findChild<QLabel*>("labelPlaces")->isHidden());
    EXPECT_FALSE(none.findChild<QLabel*>("labelEmpty")->isHidden());
}

} // namespace
} // namespace z2e
