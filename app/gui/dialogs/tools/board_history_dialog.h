#pragma once
// "Board History": what the maintenance journal recorded for one board, newest first, and where
// the asset register has seen it. Given
// the board to act on, it restores an EEPROM from the snapshot taken before a recorded change.

#include "gui/dialogs/tools/tool_target.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class CBoardHistoryDialog;
}

namespace z2e {

struct AssetHistory;
struct JournalHistory;

class CBoardHistoryDialog : public QDialog {
    Q_OBJECT

public:
    /// Reads the history of the board `serial` from the journal in `journalFolder`
    /// (".../maintenance"); `boardCaption` names the board above the table. Read-only until
    /// setRestoreTarget() names the board.
    CBoardHistoryDialog(const std::string& journalFolder, const std::string& serial, const QString& boardCaption,
                        QWidget* parent = nullptr);
    ~CBoardHistoryDialog() override;

    /// The board (the target's first) whose snapshots "Restore this snapshot" writes back.
    void setRestoreTarget(const ToolTarget& target);
    /// The snapshot files of the selected line that still exist; empty without a selection.
    std::vector<std::string> selectedSnapshots() const;

private slots:
    void hdl_BtnClicked_Restore();
    void hdl_BtnClicked_Close();

private:
    void load();
    void fillHistory(const JournalHistory& history);
    /// Where the asset register has seen the board, and its calibration dates; hidden when the
    /// register knows nothing of it or cannot be read.
    void fillPlaces(const AssetHistory& history);
    void updateWidgets();

    std::unique_ptr<Ui::CBoardHistoryDialog> m_ui;
    std::string m_journalFolder;
    std::string m_serial;
    QString m_caption;                ///< the board's line above the table
    std::vector<std::string> m_lines; ///< newest first, as the table shows them
    ToolTarget m_target;
};

} // namespace z2e
