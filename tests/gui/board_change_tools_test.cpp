// The tools that rewrite an enclosure or a board, and the demo system's channel modules: what
// their dialogs refuse before anything is sent, what they write, and what the window takes over
// afterwards. The rules of the procedures themselves are tests/tools'.
#include "snapshot_question_answer.h"
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "driver/command/app_status.h"
#include "gui/dialogs/tools/board_config_dialog.h"
#include "gui/dialogs/tools/channel_modules_dialog.h"
#include "gui/dialogs/tools/crossgrade_dialog.h"
#include "gui/dialogs/tools/crossgrade_simple_dialog.h"
#include "gui/dialogs/tools/enclosure_dialog.h"
#include "gui/window/board_change_tools.h"
#include "tools/board_cross_grade.h"
#include "tools/board_features.h"
#include "tools/enclosure_data_tool.h"

namespace z2e {
namespace {

using namespace testing_tools;
using z2e_test::child;
using z2e_test::DialogRecorder;
using z2e_test::findRow;

// The choice of the first feature (the sample rate) in a board configuration dialog.
QComboBox* firstFeature(QDialog& dialog)
{
    return qobject_cast<QComboBox*>(child<QTableWidget>(&dialog, "tableFeatures")->cellWidget(0, 1));
}

class BoardChangeDialogTest : public ToolDialogTest {
protected:
    void SetUp() override
    {
        ToolDialogTest::SetUp();
        useExampleHardware();
        connect("SIMMODE_OFF");
    }

    /// Board `board`, or the enclosure `enclosure` when `board` is negative; no snapshots.
    ToolTarget target(std::int32_t board, std::int32_t enclosure = -1)
    {
        ToolTarget chosen = ToolDialogTest::target({});
        if (board >= 0)
            chosen.boards = {static_cast<std::uint32_t>(board)};
        chosen.enclosure = enclosure;
        chosen.snapshots = false;
        return chosen;
    }

    std::string enclosureProperties()
    {
        std::string document;
        m_session->wrapper().getEnclosureProperties(0, document);
        return document;
    }

    EnclosureRecord readEnclosure()
    {
        EnclosureRecord now;
        EXPECT_EQ(EnclosureDataTool(m_session->wrapper(), nullptr).read(0, now), 0);
        return now;
    }

    std::string storedBaseId(std::uint32_t board)
    {
        return BoardCrossGrade(m_session->wrapper(), nullptr).storedBaseId(board);
    }
};

TEST_F(BoardChangeDialogTest, EnclosureSerialIsCheckedFirstAndANoneOptionIsWrittenWithoutValue)
{
    CEnclosureDialog dialog(target(-1, 0));
    dialog.show();
    ASSERT_EQ(dialog.readStatus(), 0);
    QLineEdit* serial = child<QLineEdit>(&dialog, "editSerial");
    EXPECT_EQ(serial->text(), "00B1E116"); // as the tree shows it
    QTableWidget* options = child<QTableWidget>(&dialog, "tableOptions");
    ASSERT_EQ(options->rowCount(), 2);
    EXPECT_EQ(options->item(0, 0)->text(), "FanMode");
    auto* fanMode = qobject_cast<QComboBox*>(options->cellWidget(0, 1));
    ASSERT_NE(fanMode, nullptr);
    EXPECT_EQ(fanMode->itemText(fanMode->count() - 1), "None");

    DialogRecorder recorder;
    const std::string before = enclosureProperties();
    serial->setText("1F");
    EXPECT_EQ(dialog.runUpdate(), 1101);
    EXPECT_TRUE(recorder.saw("[Enclosure Update] Invalid serial number!"));
    EXPECT_EQ(enclosureProperties(), before);
    EXPECT_EQ(historyOf(), 0u);

    serial->setText("0000001f");
    fanMode->setCurrentText("None");
    EXPECT_EQ(dialog.runUpdate(), 1000);
    EXPECT_TRUE(recorder.saw("[Enclosure Update] Successfully updated the enclosure data.  Restart ZAMO2Explorer"));
    EXPECT_NE(enclosureProperties().find("<EncName>0000001F</EncName>"), std::string::npos) << enclosureProperties();
    EnclosureRecord now = readEnclosure();
    ASSERT_NE(now.option("FanMode"), nullptr);
    EXPECT_FALSE(now.option("FanMode")->value.has_value());
    EXPECT_EQ(now.option("SyncMaster")->value, 1);
    EXPECT_EQ(historyOf(), 1u);
    EXPECT_FALSE(dialog.nodeRestarts());
}

TEST_F(BoardChangeDialogTest, ClearUserDataOnlyWhenTheQuestionIsAnsweredYes)
{
    CEnclosureDialog dialog(target(-1, 0));
    dialog.show();
    QCheckBox* clear = child<QCheckBox>(&dialog, "chkClearUserData");
    {
        DialogRecorder cancel("cancel");
        clear->setChecked(true);
        EXPECT_TRUE(cancel.saw("[User Data] This will delete ALL stored user data."));
        EXPECT_FALSE(clear->isChecked());
        EXPECT_EQ(dialog.runUpdate(), 1000);
    }
    EXPECT_EQ(readEnclosure().userData, "Engine test cell 3");

    DialogRecorder yes("save");
    clear->setChecked(true);
    EXPECT_TRUE(clear->isChecked());
    EXPECT_EQ(dialog.runUpdate(), 1000);
    EXPECT_EQ(readEnclosure().userData.find_first_not_of(' '), std::string::npos) << readEnclosure().userData;
}

TEST_F(BoardChangeDialogTest, CrossGradeOffersTheSimpleDialogOnlyToTheConvertibleGeneration)
{
    DialogRecorder recorder;
    BoardChangeTools::crossGrade(nullptr, false, nullptr);
    EXPECT_TRUE(recorder.saw("[Board Cross Grade] Invalid item selected!"));

    // Board 0 is of a current generation: 4002, and the board keeps its identity.
    const ToolTarget first = target(0);
    BoardChangeTools::crossGrade(&first, false, nullptr);
    EXPECT_TRUE(recorder.saw("[Board Cross Grade] Cross Grade not supported for this board type."));
    EXPECT_EQ(storedBaseId(0), "21400803");
    EXPECT_EQ(historyOf(), 0u);

    CCrossgradeSimpleDialog simple(target(2));
    simple.show();
    EXPECT_EQ(simple.runCrossGrade(), 4001);
    EXPECT_TRUE(recorder.saw("[Board Cross Grade] Board Cross Grade complete. Please power cycle the boards."));
    EXPECT_EQ(simple.result(), QDialog::Accepted);
    EXPECT_EQ(storedBaseId(2), BoardCrossGrade::kBaseBoardId);
}

TEST_F(BoardChangeDialogTest, FreeCrossGradeTakesTheIdentifierOfTheSelectedRow)
{
    CCrossgradeDialog dialog(target(2));
    dialog.show();
    QTableWidget* table = child<QTableWidget>(&dialog, "tableModels");
    EXPECT_FALSE(child<QPushButton>(&dialog, "btnGo")->isEnabled());
    EXPECT_EQ(dialog.runCrossGrade(), -1);
    int current = table->rowCount() - 1;
    while (current >= 0 && table->item(current, 0)->data(Qt::UserRole).toString() != "21401603")
        --current;
    ASSERT_GE(current, 0);
    EXPECT_TRUE(table->item(current, 0)->text().startsWith("QA-4016"));
    table->selectRow(current);
    EXPECT_TRUE(child<QPushButton>(&dialog, "btnGo")->isEnabled());
    DialogRecorder recorder;
    EXPECT_EQ(dialog.runCrossGrade(), 4001);
    EXPECT_EQ(storedBaseId(2), "21401603");
}

// Board 3's base EEPROM cannot be read, so no snapshot can be taken before a change: the
// tools ask, naming the board, and change it only when the operator goes on.
TEST_F(BoardChangeDialogTest, ChangesOfABoardWithoutSnapshotAskFirst)
{
    ToolTarget board = target(3);
    board.snapshots = true;
    z2e_test::SnapshotQuestionAnswer answer(false);
    DialogRecorder recorder("cancel", std::ref(answer));
    const auto configure = [&] {
        CBoardConfigDialog dialog(board);
        dialog.show();
        firstFeature(dialog)->setCurrentText("On");
        child<QPushButton>(&dialog, "btnApply")->click();
        return dialog.writeResult();
    };
    EXPECT_EQ(configure(), AppStatus::SnapshotFailed);
    ASSERT_TRUE(answer.askedOnce("cannot read the base EEPROM of 0/5  QN-6204-CAN 10A80004"));
    FeatureTable now;
    ASSERT_EQ(BoardFeatures(m_session->wrapper(), nullptr).read(3, now), 0);
    EXPECT_EQ(now.featureSet, 0u);
    EXPECT_EQ(historyOf(), 1u);

    answer.setGoOn(true);
    EXPECT_EQ(configure(), 0); // sent, without snapshot
    const auto lines = history("10A80004");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(MaintenanceJournal::field(lines[2], "result"), "0");
    EXPECT_NE(lines[2].find("\"snapshots\":[]"), std::string::npos) << lines[2];

    answer.setGoOn(false);
    CCrossgradeDialog grade(board);
    grade.show();
    QTableWidget* models = child<QTableWidget>(&grade, "tableModels");
    ASSERT_GT(models->rowCount(), 0);
    models->selectRow(0);
    EXPECT_EQ(grade.runCrossGrade(), AppStatus::SnapshotFailed);
    EXPECT_EQ(answer.asked.size(), 3);
    EXPECT_EQ(historyOf(), 4u);
}

// The enclosure's description cannot be saved first (the journal's folder cannot be made): the
// window asks, naming why, and writes only when the operator goes on.
TEST_F(BoardChangeDialogTest, EnclosureWriteWithoutSnapshotAsksFirst)
{
    test::writeFile(m_site / "blocked", "a file where the journal's folder would be\n");
    ToolTarget enclosure = target(-1, 0);
    enclosure.journalFolder = m_site / "blocked/maintenance";
    enclosure.snapshots = true;
    CEnclosureDialog dialog(enclosure);
    dialog.show();
    child<QLineEdit>(&dialog, "editSerial")->setText("0000E117");
    z2e_test::SnapshotQuestionAnswer answer(false);
    DialogRecorder recorder("cancel", std::ref(answer));
    EXPECT_EQ(dialog.runUpdate(), AppStatus::SnapshotFailed);
    ASSERT_TRUE(answer.askedOnce("cannot create"));
    EXPECT_EQ(readEnclosure().serialNumber, 0x00B1E116u);

    answer.setGoOn(true);
    // Written; the journal line that cannot be written either is told as such.
    EXPECT_EQ(dialog.runUpdate(), AppStatus::JournalFailed);
    EXPECT_EQ(answer.asked.size(), 2);
    EXPECT_EQ(readEnclosure().serialNumber, 0xE117u);
    EXPECT_EQ(readEnclosure().serialText, "0000E117"); // the serial the tree shows is the one written
}

// ---- In the window ----

using BoardChangeWindowTest = z2e_test::WindowTest;

TEST_F(BoardChangeWindowTest, BoardConfigurationWritesTheChoiceAndTheRowShowsTheNewName)
{
    QTreeView* hardware = m_window->ui()->treeHardware;
    ASSERT_TRUE(menuAt(hardware, "Slot 2:   QA-4008.BNC", false).contains("Board Configuration"));
    ASSERT_TRUE(m_window->actionFor(MenuEntry::BoardConfiguration)->isVisible());
    const auto featureSet = [this] {
        FeatureTable now;
        EXPECT_EQ(BoardFeatures(m_window->system()->wrapper(), nullptr).read(0, now), 0);
        return now.featureSet;
    };
    // A choice that is cancelled writes nothing.
    EXPECT_TRUE(openTool<CBoardConfigDialog>(MenuEntry::BoardConfiguration, [](CBoardConfigDialog& dialog) {
        firstFeature(dialog)->setCurrentText("100 kS/s");
        child<QPushButton>(&dialog, "btnCancel")->click();
    }));
    EXPECT_EQ(featureSet(), 0x1u);
    QStringList features;
    EXPECT_TRUE(openTool<CBoardConfigDialog>(MenuEntry::BoardConfiguration, [&](CBoardConfigDialog& dialog) {
        auto* table = child<QTableWidget>(&dialog, "tableFeatures");
        for (int row = 0; row < table->rowCount(); ++row)
            features << table->item(row, 0)->text();
        EXPECT_EQ(firstFeature(dialog)->currentText(), "50 kS/s");
        firstFeature(dialog)->setCurrentText("100 kS/s");
        child<QPushButton>(&dialog, "btnApply")->click();
    }));
    // The service mode is hidden: no row for it.
    EXPECT_EQ(features, QStringList({"Sample rate", "Anti-alias filter"}));
    EXPECT_EQ(featureSet(), 0x2u);
    EXPECT_TRUE(findRow(*hardware->model(), "Slot 2:   QA-4008.BNC-HS").isValid());
    EXPECT_TRUE(m_window->statusBar()->currentMessage().contains("00000001 -> 00000002"))
        << m_window->statusBar()->currentMessage().toStdString();
}

TEST_F(BoardChangeWindowTest, EnclosureDataAndCrossGradeOpenFromTheirRows)
{
    QTreeView* hardware = m_window->ui()->treeHardware;
    ASSERT_TRUE(menuAt(hardware, "Enclosure 0:", true).contains("Enclosure Data"));
    QString serial;
    EXPECT_TRUE(openTool<CEnclosureDialog>(MenuEntry::EnclosureData, [&](CEnclosureDialog& dialog) {
        serial = child<QLineEdit>(&dialog, "editSerial")->text();
        dialog.reject();
    }));
    EXPECT_EQ(serial, "00B1E116");

    ASSERT_TRUE(menuAt(hardware, "Slot 2:   QA-4008.BNC", true).contains("Cross Grade"));
    DialogRecorder recorder;
    m_window->actionFor(MenuEntry::CrossGrade)->trigger();
    EXPECT_TRUE(recorder.saw("[Board Cross Grade] Cross Grade not supported for this board type."));
}

TEST_F(BoardChangeWindowTest, ChannelModuleChangeMarksTheDemoSystemChanged)
{
    QTreeView* demo = m_window->ui()->treeDemo;
    ASSERT_EQ(menuAt(demo, "ChannelModule:", false), QStringList({"Channel Modules"}));
    QString opened;
    // Cancel changes nothing.
    EXPECT_TRUE(openTool<CChannelModulesDialog>(MenuEntry::ChannelModules, [&](CChannelModulesDialog& dialog) {
        opened = dialog.findChild<QComboBox*>()->currentText();
        child<QPushButton>(&dialog, "btnCancel")->click();
    }));
    ASSERT_FALSE(opened.isEmpty());
    EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());

    menuAt(demo, "ChannelModule:", false);
    QString chosen;
    EXPECT_TRUE(openTool<CChannelModulesDialog>(MenuEntry::ChannelModules, [&](CChannelModulesDialog& dialog) {
        auto* modules = dialog.findChild<QComboBox*>();
        modules->setCurrentIndex(modules->currentIndex() == 0 ? 1 : 0);
        chosen = modules->currentText();
        child<QPushButton>(&dialog, "btnApply")->click();
    }));
    EXPECT_NE(chosen, opened);
    EXPECT_TRUE(m_window->demoEditor()->hasUnsavedChanges() && m_window->system()->hasUnsavedChanges());
    EXPECT_TRUE(findRow(*demo->model(), "ChannelModule:").data().toString().contains(chosen))
        << findRow(*demo->model(), "ChannelModule:").data().toString().toStdString();
}

} // namespace
} // namespace z2e
