#pragma once
// "Board Cross Grade" for the one convertible board generation: a confirmation, then the board
// becomes the plain base board.

#include "gui/dialogs/tools/tool_target.h"

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class CCrossgradeSimpleDialog;
}

namespace z2e {

class CCrossgradeSimpleDialog : public QDialog {
    Q_OBJECT

public:
    /// Works on the first board of the target.
    explicit CCrossgradeSimpleDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CCrossgradeSimpleDialog() override;

    /// What "Yes" does: the cross-grade with its outcome shown; the dialog closes on success.
    std::int32_t runCrossGrade();

private slots:
    void hdl_ButtonClicked_OK();
    void hdl_ButtonClicked_Cancel();

private:
    std::unique_ptr<Ui::CCrossgradeSimpleDialog> m_ui;
    ToolTarget m_target;
};

} // namespace z2e
