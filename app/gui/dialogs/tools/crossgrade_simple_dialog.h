#pragma once
// "Board Cross Grade" for the one convertible board generation: a confirmation, then the board
// becomes the plain base board.

#include "gui/dialogs/tools/tool_target.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class CCrossgradeSimpleDialog;
}

namespace z2e {

class CCrossgradeSimpleDialog : public QDialog {
    Q_OBJECT

public:
    /// Works on the first board of the target, whose stored base identifier it reads first.
    explicit CCrossgradeSimpleDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CCrossgradeSimpleDialog() override;

    /// 0, or 4101 when the operator cancelled the read of the base identifier.
    std::int32_t readStatus() const { return m_readStatus; }
    /// The board's stored base identifier; empty when unknown.
    const std::string& baseId() const { return m_baseId; }

    /// What "Yes" does: the cross-grade with its outcome shown; the dialog closes on success.
    std::int32_t runCrossGrade();

private slots:
    void hdl_ButtonClicked_OK();
    void hdl_ButtonClicked_Cancel();

private:
    std::unique_ptr<Ui::CCrossgradeSimpleDialog> m_ui;
    ToolTarget m_target;
    std::int32_t m_readStatus = 0;
    std::string m_baseId;
};

} // namespace z2e
