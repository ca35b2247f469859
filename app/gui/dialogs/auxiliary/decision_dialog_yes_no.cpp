#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"
#include "ui_decision_dialog_yes_no.h"

namespace z2e {

CDecisionDialogYesNo::CDecisionDialogYesNo(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDecisionDialogYesNo>())
{
    initGuiResources();
    m_ui->setupUi(this);
    removeContextHelpButton(this);
    setWindowTitle(title);
    m_ui->labelText->setText(displayText(text));
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
