#include "gui/dialogs/auxiliary/error_dialog.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"
#include "ui_error_dialog.h"

namespace z2e {

CErrorDialog::CErrorDialog(const std::string& title, const std::string& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CErrorDialog>())
{
    initGuiResources();
    m_ui->setupUi(this);
    removeContextHelpButton(this);
    setWindowIcon(QIcon(":/icons/res/norvale-logo.ico"));
    setWindowTitle(QString::fromStdString(title));
    m_ui->labelText->setText(displayText(QString::fromStdString(text)));
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CErrorDialog::hdl_ButtonClicked_OK);
}

CErrorDialog::~CErrorDialog() = default;

QString CErrorDialog::text() const
{
    return m_ui->labelText->text();
}

void CErrorDialog::hdl_ButtonClicked_OK()
{
    accept();
}

} // namespace z2e
