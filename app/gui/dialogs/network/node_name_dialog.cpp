#include "gui/dialogs/network/node_name_dialog.h"

#include "ui_node_name_dialog.h"

#include "core/node_action_rules.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"

namespace z2e {
namespace {

const char* const kQuestionTitle = "Close Information";

} // namespace

NodeNameDialog::NodeNameDialog(const QString& name, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::NodeNameDialog>()), m_initial(name), m_name(name)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->editName->setText(name);
    m_ui->editName->selectAll();
    // No length limit on the edit: a name too long is said so, not silently cut. Return in the
    // edit reaches the default OK button, Escape the dialog's reject.
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &NodeNameDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

NodeNameDialog::~NodeNameDialog() = default;

void NodeNameDialog::accept()
{
    const QString edited = m_ui->editName->text();
    if (edited == m_initial) {
        QDialog::accept();
        return;
    }
    if (CMiscUtils::askYesNo(kQuestionTitle, NodeActionRules::kRenameQuestion, this) != CDecisionDialogYesNo::Yes)
        return;
    switch (NodeActionRules::checkName(edited.toStdString())) {
    case NodeActionRules::NameCheck::TooLong:
        CMiscUtils::notify(kQuestionTitle, NodeActionRules::kNameTooLong, this);
        return;
    case NodeActionRules::NameCheck::BadCharacter:
        CMiscUtils::notify(kQuestionTitle, NodeActionRules::kNameBadCharacter, this);
        return;
    case NodeActionRules::NameCheck::Ok: break;
    }
    m_name = edited;
    QDialog::accept();
}

} // namespace z2e
