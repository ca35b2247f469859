#pragma once
// "Hardware Tools": self test, excitation test, auto zero, gain calibration, three-wire offset
// and reset to the factory calibration on the boards of a tool target, one result row per
// board, and the result documents saved as XML files.
//
// Each procedure runs on a worker behind the progress window; the dialog only collects the
// input and shows what comes back. Simulated boards run the self test only.

#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"
#include "tools/board_test_procedure.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class CSelfTestDialog;
}

namespace z2e {

class CTestViewModel;
class MaintenanceJournal;

class CSelfTestDialog : public QDialog {
    Q_OBJECT

public:
    /// Lists the target's boards without a verdict. `factoryTest` makes "Self Test" run the
    /// factory variant.
    CSelfTestDialog(const ToolTarget& target, bool factoryTest, QWidget* parent = nullptr);
    ~CSelfTestDialog() override;

    /// Runs `test` on the target's boards as its button does and shows the rows (GUI thread
    /// only). The three-wire offset asks first; a test the buttons do not offer does nothing.
    void runTest(BoardTest test);
    /// Replaces the save dialogs (tests).
    void setFileChooser(FileChooser chooser);
    const CTestViewModel& results() const { return *m_model; }

public slots:
    void hdl_BtnClicked_Perform();
    void hdl_BtnClicked_PerformEx();
    void hdl_BtnClicked_AutoZero();
    void hdl_BtnClicked_GainCal();
    void hdl_BtnClicked_ThreeWire();
    void hdl_BtnClicked_ResetDefaults();
    void hdl_BtnClicked_Save();
    void hdl_BtnClicked_SaveAll();
    void hdl_BtnClicked_Close();

private:
    /// The rows of the target's boards, read behind the progress window; 4101 (no rows) when
    /// the operator cancelled.
    std::int32_t readBoards();
    void updateWidgets();
    bool offered(BoardTest test) const;
    bool threeWireConfirmed();
    void showOutcome(const BoardTestOutcome& outcome, int selectedRow);
    /// One run of `test` on `boards` (every board of the target when empty) behind the
    /// progress window; the worker's own failure becomes the outcome's status.
    BoardTestOutcome runPass(BoardTest test, const std::vector<std::uint32_t>& boards);
    int selectedBoardRow() const;
    QString startFolder() const;
    bool anyDocument() const;
    /// Writes a path to save to: 0 or a status with why.
    using SaveWork = std::function<std::int32_t(const std::string& path, std::string* why)>;
    /// Asks for the file, starting at `start`, writes it and tells a failure.
    void saveResults(const QString& start, const SaveWork& write);

    std::unique_ptr<Ui::CSelfTestDialog> m_ui;
    ToolTarget m_target;
    bool m_factoryTest;
    bool m_running = false;
    bool m_multiModel = false;          ///< a "-MULTI" board is listed: the excitation test is offered
    std::string m_testName;             ///< the last procedure's, empty before any
    std::vector<BoardTestRow> m_boards; ///< the rows before a run: the boards without verdicts
    CTestViewModel* m_model;
    std::unique_ptr<MaintenanceJournal> m_journal;
    FileChooser m_chooser;
};

} // namespace z2e
