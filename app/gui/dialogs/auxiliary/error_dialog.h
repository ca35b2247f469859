#pragma once
// A failure with one OK button; takes its texts as standard strings because the failures come
// from the driver and library layers.

#include "gui/dialogs/auxiliary/message_dialog.h"

#include <memory>
#include <string>

namespace Ui {
class CErrorDialog;
}

namespace z2e {

class CErrorDialog : public CMessageDialog {
    Q_OBJECT

public:
    CErrorDialog(const std::string& title, const std::string& text, QWidget* parent = nullptr);
    ~CErrorDialog() override;

private slots:
    void hdl_ButtonClicked_OK();

private:
    std::unique_ptr<Ui::CErrorDialog> m_ui;
};

} // namespace z2e
