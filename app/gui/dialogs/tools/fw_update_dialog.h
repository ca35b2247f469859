#pragma once
// "Firmware Update": every board of the target brought to the release the driver names as
// latest (a newer firmware goes back to it unless "Keep newer firmware" is checked), and the
// failed ones retried. The check fills the table when the dialog opens, with the planned action
// of each board in "Info"; a run goes through FirmwareUpdater on a worker behind the progress
// window.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/firmware_updater.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class CFWUpdateDialog;
}

namespace z2e {

class MaintenanceJournal;

class CFWUpdateDialog : public QDialog {
    Q_OBJECT

public:
    explicit CFWUpdateDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CFWUpdateDialog() override;

    /// Updates every row, or only those whose last update failed; shows the rows and the
    /// final message. Boards whose EEPROMs could not be saved first are named in one question
    /// ("Continue without snapshot" / "Cancel") and, when the operator goes on, updated once
    /// more without snapshots. Returns the run's status.
    std::int32_t runUpdate(bool retryFailedOnly);

    const std::vector<FirmwareRow>& rows() const { return m_rows; }

private slots:
    void hdl_Btn_Update();
    void hdl_Btn_Retry();
    void hdl_Btn_Close();
    /// "Keep newer firmware": boards with firmware newer than the release are skipped; the
    /// table's plan follows at once.
    void hdl_KeepNewer_Toggled();

private:
    void updateWidgets();
    /// One run of the updater over `rows` behind the progress window; rows[i] is shown in
    /// table row tableRows[i] as it changes.
    std::int32_t runPass(std::vector<FirmwareRow>& rows, const std::vector<std::size_t>& tableRows,
                         bool retryFailedOnly);

    std::unique_ptr<Ui::CFWUpdateDialog> m_ui;
    ToolTarget m_target;
    std::unique_ptr<MaintenanceJournal> m_journal;
    std::unique_ptr<FirmwareUpdater> m_updater;
    std::vector<FirmwareRow> m_rows;
    bool m_running = false;
};

} // namespace z2e
