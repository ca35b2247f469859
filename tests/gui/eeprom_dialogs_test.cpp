#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/window/eeprom_menu_actions.h"
#include "window_test_support.h"

#include "driver/command/eeprom_summary.h"
#include "tools/board_test_procedure.h"
#include "tools/eeprom_backup.h"
#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"
#include "driver/command/app_status.h"
#include "tools/tools_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;
using z2e_test::DialogRecorder;

template <typename T>
T* child(QWidget& dialog, const char* name)
{
    auto* found = dialog.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The editor the window opens modally, driven one step each time it is on top. Each step is
// queued, so that the dialogs it opens in turn are answered by the recorder.
class EditorScript {
public:
    explicit EditorScript(std::vector<std::function<void(CDialogSetEEPROM&)>> steps) : m_steps(std::move(steps)) {}

    bool operator()(QWidget* modal)
    {
        auto* editor = qobject_cast<CDialogSetEEPROM*>(modal);
        if (!editor)
            return false;
        if (!m_busy && m_next < m_steps.size()) {
            m_busy = true;
            QTimer::singleShot(0, editor, [this, editor] {
                m_steps[m_next++](*editor);
                m_busy = false;
            });
        }
        return true;
    }

private:
    std::vector<std::function<void(CDialogSetEEPROM&)>> m_steps;
    std::size_t m_next = 0;
    bool m_busy = false;
};

class EepromDialogsTest : public ToolsTest {
protected:
    /// The example hardware: board 0 a QA-4008.BNC, board 3 with a corrupt base EEPROM.
    void connectExample()
    {
        useExampleHardware();
        m_wrapper = &connect("SIMMODE_OFF");
    }

    ToolTarget target(std::uint32_t board)
    {
        ToolTarget chosen;
        // The session owns the wrapper; the dialogs only borrow it.
        chosen.wrapper = std::shared_ptr<QorinNodeUtilWrapper>(std::shared_ptr<void>(), m_wrapper);
        chosen.boards = {board};
        chosen.folder = m_site / "documents";
        chosen.journalFolder = maintenance();
        return chosen;
    }

    /// The window's handler, its file dialogs answered with `answer`.
    EepromMenuActions actions(const QString& answer)
    {
        return EepromMenuActions(nullptr, [this, answer](QWidget*, const FileRequest& request) {
            m_requests.push_back(request);
            return answer;
        }, [this](const QString& text) { m_status = text; });
    }

    std::string baseEeprom(std::uint32_t board)
    {
        std::string document;
        EXPECT_EQ(m_wrapper->getBaseEeprom(board, document), 0);
        return document;
    }

    std::vector<std::string> history(const std::string& serial) const
    {
        return MaintenanceJournal(maintenance(), "").history(serial);
    }

    QorinNodeUtilWrapper* m_wrapper = nullptr;
    std::vector<FileRequest> m_requests;
    QString m_status;
};

TEST_F(EepromDialogsTest, SerialFieldRevertsBadInputAndAnUnreadableSummaryOffersNoWrite)
{
    m_wrapper = &connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
        boardEntry(1, "QA-4008.BNC", 3, "0254", "10A80002",
                   "<Literals><Document Item=\"BaseEEPROM\">no summary</Document></Literals>"));
    CDialogSetEEPROM dialog(target(0));
    EXPECT_EQ(dialog.windowTitle(), "EEPROM Config");
    auto* serial = child<QLineEdit>(dialog, "editSerial");
    auto* store = child<QPushButton>(dialog, "btnStore");
    EXPECT_EQ(serial->text(), "10A80001");
    EXPECT_TRUE(store->isEnabled());
    EXPECT_TRUE(child<QPushButton>(dialog, "btnErase")->isEnabled());
    EXPECT_TRUE(child<QComboBox>(dialog, "comboModel")->currentText().contains("QBA-08"));

    serial->setText("1A");
    QTest::keyClicks(serial, "f");
    EXPECT_EQ(serial->text(), "1A");
    QTest::keyClicks(serial, "F9");
    EXPECT_EQ(serial->text(), "1AF9");
    serial->clear();
    EXPECT_FALSE(store->isEnabled());

    CDialogSetEEPROM unreadable(target(1));
    EXPECT_TRUE(child<QLineEdit>(unreadable, "editSerial")->text().startsWith("Error "));
    EXPECT_FALSE(child<QPushButton>(unreadable, "btnStore")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(unreadable, "btnErase")->isEnabled());
}

TEST_F(EepromDialogsTest, EditorOutcomeIsToldOnlyAfterAnAction)
{
    connectExample();
    const std::string before = baseEeprom(0);
    EepromMenuActions window = actions(QString());
    const ToolTarget board = target(0);
    {
        // Erase answered No, then Cancel: the question is all that was shown.
        DialogRecorder recorder("cancel");
        recorder.setHandler(EditorScript({[](CDialogSetEEPROM& editor) { child<QPushButton>(editor, "btnErase")->click(); },
                                          [](CDialogSetEEPROM& editor) { child<QPushButton>(editor, "btnCancel")->click(); }}));
        window.run(MenuEntry::ConfigureBaseEeprom, &board);
        ASSERT_EQ(recorder.seen().size(), 1) << recorder.seen().join("\n").toStdString();
        EXPECT_TRUE(recorder.seen()[0].startsWith("[Erase EEPROM] Erase the base EEPROM"));
    }
    EXPECT_EQ(baseEeprom(0), before);
    EXPECT_TRUE(history("10A80001").empty());

    DialogRecorder recorder;
    recorder.setHandler(EditorScript({[](CDialogSetEEPROM& editor) {
        child<QLineEdit>(editor, "editSerial")->setText("10A8FFFF");
        child<QPushButton>(editor, "btnStore")->click();
    }}));
    window.run(MenuEntry::ConfigureBaseEeprom, &board);
    EXPECT_EQ(recorder.seen(), QStringList("[Information] Base EEPROM Configuration finished successfully!"));
    EepromSummary summary;
    ASSERT_EQ(m_wrapper->getBaseEepromSummary(0, summary), 0);
    EXPECT_EQ(summary.serialNumber, "10A8FFFF");
    ASSERT_EQ(history("10A80001").size(), 1u);
    EXPECT_EQ(MaintenanceJournal::field(history("10A80001")[0], "verification"), "verified");
}

TEST_F(EepromDialogsTest, AFailedWriteIsToldAsAnErrorWithTheCodesName)
{
    m_wrapper = &connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001", "<Faults><EEPROMWrite>fail</EEPROMWrite></Faults>"));
    const ToolTarget board = target(0);
    DialogRecorder recorder;
    recorder.setHandler(EditorScript({[](CDialogSetEEPROM& editor) { child<QPushButton>(editor, "btnStore")->click(); }}));
    actions(QString()).run(MenuEntry::ConfigureBaseEeprom, &board);
    ASSERT_EQ(recorder.seen().size(), 1) << recorder.seen().join("\n").toStdString();
    EXPECT_TRUE(recorder.seen()[0].startsWith("[Error Information] Base EEPROM Configuration Failed. ["))
        << recorder.seen()[0].toStdString();
    ASSERT_EQ(history("10A80001").size(), 1u);
    EXPECT_NE(MaintenanceJournal::field(history("10A80001")[0], "result"), "0");
}

TEST_F(EepromDialogsTest, RestoreRefusesTheOtherEepromsFileBeforeSendingIt)
{
    connectExample();
    std::string connector;
    {
        EepromBackup backup(*m_wrapper, nullptr);
        ASSERT_EQ(backup.run(0, EepromWhich::Connector, m_site.root(), connector), 0);
    }
    const std::string before = baseEeprom(0);
    const ToolTarget board = target(0);
    DialogRecorder recorder;
    actions(QString::fromStdString(connector)).run(MenuEntry::FileRestoreBase, &board);
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].title, "Select File to Restore from");
    EXPECT_EQ(m_requests[0].filter, "Backup Files (*.xml)");
    ASSERT_EQ(recorder.seen().size(), 1);
    EXPECT_TRUE(recorder.seen()[0].startsWith(
        "[EEPROM Restore] Error! The selected EEPROM backup file is not valid for the target!"))
        << recorder.seen()[0].toStdString();
    EXPECT_EQ(baseEeprom(0), before);
    EXPECT_TRUE(history("10A80001").empty());

    // The corrupt board 3 has the driver's own backup to restore from; its EEPROM cannot be
    // snapshotted, so only with snapshots off.
    ToolTarget corrupt = target(3);
    corrupt.snapshots = false;
    actions(QString()).run(MenuEntry::AutoRestoreBase, &corrupt);
    ASSERT_EQ(recorder.seen().size(), 2);
    EXPECT_EQ(recorder.seen()[1], "[EEPROM Restore] Restore finished. Restart Application to enable changes!");
    std::string restored;
    EXPECT_EQ(m_wrapper->getBaseEeprom(3, restored), 0);
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
    auto* restore = child<QPushButton>(dialog, "btnRestore");
    EXPECT_TRUE(restore->isHidden()); // read-only without the board
    dialog.setRestoreTarget(target(0));
    auto* table = child<QTableWidget>(dialog, "tableHistory");
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
    EXPECT_EQ(recorder.seen()[2], "[EEPROM Restore] Restore finished. Restart Application to enable changes!");
    EXPECT_EQ(baseEeprom(0), before);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 1)->text(), "eeprom-restore");
}

// Another program changing the same system: the progress window names it while the restore
// waits; Cancel gives up without a change, the holder's end lets the restore go on.
TEST_F(EepromDialogsTest, RestoreWaitsForAnotherProgramsChangeOrGivesUp)
{
    connectExample();
    std::string file;
    ASSERT_EQ(EepromBackup(*m_wrapper, nullptr).run(0, EepromWhich::Base, m_site.root(), file), 0);
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
    ASSERT_EQ(recorder.seen().size(), 1);
    EXPECT_EQ(recorder.seen()[0], "[EEPROM Restore] Nothing was changed: " + words);
    EXPECT_TRUE(history("10A80001").empty());
    {
        const auto release = z2e_test::whenProgressShows(words, [&](CInProgress&) { holder.release(); });
        EXPECT_EQ(EepromMenuActions::restoreFromFile(target(0), EepromWhich::Base, file, nullptr), 0);
    }
    ASSERT_EQ(recorder.seen().size(), 2);
    EXPECT_EQ(recorder.seen()[1], "[EEPROM Restore] Restore finished. Restart Application to enable changes!");
    EXPECT_EQ(history("10A80001").size(), 1u);
}

} // namespace
} // namespace z2e
