#pragma once
// "Firmware Update PRO": one board updated with a firmware the operator picks — the board's
// latest release (Auto), a file of the driver's listing (Select) or any file (Browse).

#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"
#include "tools/firmware_updater.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class CFWUpdateProDialog;
}

namespace z2e {

class MaintenanceJournal;

class CFWUpdateProDialog : public QDialog {
    Q_OBJECT

public:
    /// Works on the first board of the target.
    explicit CFWUpdateProDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CFWUpdateProDialog() override;

    /// Browse asks this instead of the standard file dialog.
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    /// Updates the board with the file name of the field and tells the outcome; an empty
    /// name does nothing and answers 3001.
    std::int32_t runUpdate();

    const std::vector<FirmwareRow>& rows() const { return m_rows; }

private slots:
    void hdl_Filename_Chnaged(const QString& text);
    void hdl_Btn_Auto();
    void hdl_Btn_List();
    void hdl_Btn_Browse();
    void hdl_Btn_Update();
    void hdl_Btn_Close();

private:
    void updateWidgets();

    std::unique_ptr<Ui::CFWUpdateProDialog> m_ui;
    ToolTarget m_target;
    std::unique_ptr<MaintenanceJournal> m_journal;
    std::unique_ptr<FirmwareUpdater> m_updater;
    std::vector<FirmwareRow> m_rows; ///< the one board's row, or none
    FileChooser m_chooser;
    bool m_running = false;
};

} // namespace z2e
