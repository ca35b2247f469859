#pragma once
// A yes/no question. Closing the window answers No.

#include "gui/dialogs/auxiliary/message_dialog.h"

#include <memory>

namespace Ui {
class CDecisionDialogYesNo;
}

namespace z2e {

class CDecisionDialogYesNo : public CMessageDialog {
    Q_OBJECT

public:
    /// exec() results.
    enum Answer : int { No = 1, Yes = 3 };

    CDecisionDialogYesNo(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~CDecisionDialogYesNo() override;

    /// Escape and the window's close both end as No.
    void reject() override;

private slots:
    void hdl_ButtonClicked_OK();
    void hdl_ButtonClicked_Cancel();
    void hdl_Evt_Close();

private:
    std::unique_ptr<Ui::CDecisionDialogYesNo> m_ui;
};

} // namespace z2e
