#include "gui/dialogs/auxiliary/notify_dialog.h"

#include "ui_notify_dialog.h"

namespace z2e {

CNotifyDialog::CNotifyDialog(const QString& title, const QString& text, QWidget* parent)
    : CMessageDialog(parent), m_ui(std::make_unique<Ui::CNotifyDialog>())
{
    m_ui->setupUi(this);
    present(m_ui->labelText, title, text);
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CNotifyDialog::hdl_ButtonClicked_OK);
}

CNotifyDialog::~CNotifyDialog() = default;

void CNotifyDialog::hdl_ButtonClicked_OK()
{
    accept();
}

} // namespace z2e
