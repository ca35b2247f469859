#pragma once
// "Enclosure Data": what an enclosure stores about itself (type, version, serial number, option
// values, user data), edited and written back behind the progress window.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/enclosure_data_tool.h"

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class CEnclosureDialog;
}

namespace z2e {

class MaintenanceJournal;

class CEnclosureDialog : public QDialog {
    Q_OBJECT

public:
    /// Reads the enclosure `target.enclosure` names; see readStatus().
    explicit CEnclosureDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CEnclosureDialog() override;

    /// 0 when the enclosure's data could be read at opening (else nothing can be written).
    std::int32_t readStatus() const { return m_readStatus; }
    /// What the Update button does; returns the status it showed.
    std::int32_t runUpdate();
    /// A network node enclosure was written: the node restarts to apply it.
    bool nodeRestarts() const { return m_nodeRestarts; }

private slots:
    void hdl_Btn_Update();
    void hdl_Btn_Close();
    void hdl_Chk_Changed(int state);

private:
    void showRecord();
    /// The record as the widgets hold it, the serial number left to the write.
    EnclosureRecord entered() const;

    std::unique_ptr<Ui::CEnclosureDialog> m_ui;
    ToolTarget m_target;
    std::unique_ptr<MaintenanceJournal> m_journal;
    EnclosureRecord m_record;
    std::int32_t m_readStatus = 0;
    bool m_nodeRestarts = false;
};

} // namespace z2e
