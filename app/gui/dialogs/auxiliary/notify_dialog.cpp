#include "gui/dialogs/auxiliary/notify_dialog.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"
#include "ui_notify_dialog.h"

namespace z2e {

CNotifyDialog::CNotifyDialog(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNotifyDialog>())
{
    initGuiResources();
    m_ui->setupUi(this);
    removeContextHelpButton(this);
    setWindowTitle(title);
    m_ui->labelText->setText(displayText(text));
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CNotifyDialog::hdl_ButtonClicked_OK);
}

CNotifyDialog::~CNotifyDialog() = default;

QString CNotifyDialog::text() const
{
    return m_ui->labelText->text();
}

void CNotifyDialog::hdl_ButtonClicked_OK()
{
    accept();
}

} // namespace z2e
