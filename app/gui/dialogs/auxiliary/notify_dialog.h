#pragma once
// A message with one OK button: the outcome of an operation, a warning, a note.

#include "gui/dialogs/auxiliary/message_dialog.h"

#include <memory>

namespace Ui {
class CNotifyDialog;
}

namespace z2e {

class CNotifyDialog : public CMessageDialog {
    Q_OBJECT

public:
    CNotifyDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~CNotifyDialog() override;

private slots:
    void hdl_ButtonClicked_OK();

private:
    std::unique_ptr<Ui::CNotifyDialog> m_ui;
};

} // namespace z2e
