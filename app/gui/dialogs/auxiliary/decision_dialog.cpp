#include "gui/dialogs/auxiliary/decision_dialog.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"
#include "ui_decision_dialog.h"

namespace z2e {

CDecisionDialog::CDecisionDialog(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDecisionDialog>())
{
    initGuiResources();
    m_ui->setupUi(this);
    removeContextHelpButton(this);
    setWindowTitle(title);
    m_ui->labelText->setText(displayText(text));
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CDecisionDialog::hdl_ButtonClicked_OK);
    connect(m_ui->buttonDiscard, &QPushButton::clicked, this, &CDecisionDialog::hdl_ButtonClicked_Discard);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CDecisionDialog::hdl_ButtonClicked_Cancel);
}

CDecisionDialog::~CDecisionDialog() = default;

void CDecisionDialog::reject()
{
    hdl_Evt_Close();
}

void CDecisionDialog::hdl_ButtonClicked_OK()
{
    done(Save);
}

void CDecisionDialog::hdl_ButtonClicked_Discard()
{
    done(Discard);
}

void CDecisionDialog::hdl_ButtonClicked_Cancel()
{
    done(Cancel);
}

void CDecisionDialog::hdl_Evt_Close()
{
    done(Cancel);
}

} // namespace z2e
