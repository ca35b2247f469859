#include "gui/dialogs/auxiliary/decision_dialog.h"

#include "ui_decision_dialog.h"

namespace z2e {

CDecisionDialog::CDecisionDialog(const QString& title, const QString& text, QWidget* parent)
    : CMessageDialog(parent), m_ui(std::make_unique<Ui::CDecisionDialog>())
{
    m_ui->setupUi(this);
    present(m_ui->labelText, title, text);
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
