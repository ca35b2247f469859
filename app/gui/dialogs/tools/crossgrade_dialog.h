#pragma once
// "Board Cross Grade" with a free choice: the board rebased to any known base EEPROM
// generation of the "Model Name" table.

#include "gui/dialogs/tools/tool_target.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class CCrossgradeDialog;
}

namespace z2e {

class CCrossgradeDialog : public QDialog {
    Q_OBJECT

public:
    /// Works on the first board of the target; the table lists the node's known generations.
    explicit CCrossgradeDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CCrossgradeDialog() override;

    /// The identifier of the selected row; empty without a selection.
    std::string selectedId() const;
    /// What "Change Into" does; -1 (nothing sent) without a selection.
    std::int32_t runCrossGrade();

private slots:
    void hdl_ButtonClicked_Go();
    void hdl_ButtonClicked_Cancel();

private:
    std::unique_ptr<Ui::CCrossgradeDialog> m_ui;
    ToolTarget m_target;
};

} // namespace z2e
