#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"

#include "ui_decision_dialog_yes_no.h"

namespace z2e {

CDecisionDialogYesNo::CDecisionDialogYesNo(const QString& title, const QString& text, QWidget* parent)
    : CMessageDialog(parent), m_ui(std::make_unique<Ui::CDecisionDialogYesNo>())
{
    m_ui->setupUi(this);
    present(m_ui->labelText, title, text);
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CDecisionDialogYesNo::hdl_ButtonClicked_OK);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CDecisionDialogYesNo::hdl_ButtonClicked_Cancel);
}

CDecisionDialogYesNo::~CDecisionDialogYesNo() = default;

void CDecisionDialogYesNo::reject()
{
    hdl_Evt_Close();
}

void CDecisionDialogYesNo::hdl_ButtonClicked_OK()
{
    done(Yes);
}

void CDecisionDialogYesNo::hdl_ButtonClicked_Cancel()
{
    done(No);
}

void CDecisionDialogYesNo::hdl_Evt_Close()
{
    done(No);
}

} // namespace z2e
