#pragma once
// Save, discard or cancel: asked before changes would be lost. Closing the window is Cancel.

#include "gui/dialogs/auxiliary/message_dialog.h"

#include <memory>

namespace Ui {
class CDecisionDialog;
}

namespace z2e {

class CDecisionDialog : public CMessageDialog {
    Q_OBJECT

public:
    /// exec() results.
    enum Answer : int { Cancel = 1, Discard = 2, Save = 3 };

    CDecisionDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~CDecisionDialog() override;

    /// Escape and the window's close both end as Cancel.
    void reject() override;

private slots:
    void hdl_ButtonClicked_OK();
    void hdl_ButtonClicked_Discard();
    void hdl_ButtonClicked_Cancel();
    void hdl_Evt_Close();

private:
    std::unique_ptr<Ui::CDecisionDialog> m_ui;
};

} // namespace z2e
