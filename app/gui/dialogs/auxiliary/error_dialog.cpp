#include "gui/dialogs/auxiliary/error_dialog.h"

#include "ui_error_dialog.h"

namespace z2e {

CErrorDialog::CErrorDialog(const std::string& title, const std::string& text, QWidget* parent)
    : CMessageDialog(parent), m_ui(std::make_unique<Ui::CErrorDialog>())
{
    m_ui->setupUi(this);
    setWindowIcon(QIcon(":/icons/res/norvale-logo.ico"));
    present(m_ui->labelText, QString::fromStdString(title), QString::fromStdString(text));
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CErrorDialog::hdl_ButtonClicked_OK);
}

CErrorDialog::~CErrorDialog() = default;

void CErrorDialog::hdl_ButtonClicked_OK()
{
    accept();
}

} // namespace z2e
