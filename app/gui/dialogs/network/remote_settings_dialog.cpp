#include "gui/dialogs/network/remote_settings_dialog.h"

#include "ui_remote_settings_dialog.h"

#include "core/model_node.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"

#include <string>

namespace z2e {
namespace {

const ModelNode* findGroup(const ModelNode& row, const char* part)
{
    if (row.name.find(part) != std::string::npos)
        return &row;
    for (const auto& child : row.children()) {
        if (const ModelNode* found = findGroup(*child, part))
            return found;
    }
    return nullptr;
}

void selectText(QComboBox& box, const std::string& text)
{
    const int index = box.findText(QString::fromStdString(text), Qt::MatchFixedString);
    if (index >= 0)
        box.setCurrentIndex(index);
}

} // namespace

NodeIpSettings CRemoteSettingsDialog::settingsOf(const ModelNode& root)
{
    NodeIpSettings settings;
    const ModelNode* info = findGroup(root, "Node Info");
    if (!info)
        return settings;
    const std::pair<const char*, std::string*> rows[] = {{"IP Address", &settings.address},
                                                         {"Net Mask", &settings.mask},
                                                         {"IP Version", &settings.version},
                                                         {"IP Mode", &settings.mode}};
    for (const auto& child : info->children()) {
        for (const auto& [part, value] : rows) {
            if (child->name.find(part) != std::string::npos && value->empty())
                *value = child->firstValue();
        }
    }
    return settings;
}

CRemoteSettingsDialog::CRemoteSettingsDialog(QorinNodeUtilWrapper& node, const ModelNode& root, NodeCall run,
                                             QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CRemoteSettingsDialog>()), m_node(node), m_run(std::move(run)),
      m_initial(settingsOf(root))
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_edited = m_initial;
    m_ui->editAddress->setText(QString::fromStdString(m_initial.address));
    m_ui->editMask->setText(QString::fromStdString(m_initial.mask));
    selectText(*m_ui->cmbVersion, m_initial.version);
    selectText(*m_ui->cmbMode, m_initial.mode);
    connect(m_ui->btnOk, &QPushButton::clicked, this, &CRemoteSettingsDialog::hdl_Btn_OK);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CRemoteSettingsDialog::hdl_Btn_Cancel);
    connect(m_ui->cmbMode, &QComboBox::currentTextChanged, this, &CRemoteSettingsDialog::hdl_cmbMode_Changed);
    connect(m_ui->cmbVersion, &QComboBox::currentTextChanged, this, &CRemoteSettingsDialog::hdl_cmbVersion_Changed);
    hdl_cmbMode_Changed(m_ui->cmbMode->currentText());
}

CRemoteSettingsDialog::~CRemoteSettingsDialog() = default;

void CRemoteSettingsDialog::suggest(const QString& address, const QString& mask, const QString& why)
{
    selectText(*m_ui->cmbMode, "Static");
    m_ui->editAddress->setText(address);
    m_ui->editMask->setText(mask);
    m_ui->labelStatus->setText(why);
}

void CRemoteSettingsDialog::hdl_cmbMode_Changed(const QString& text)
{
    m_edited.mode = text.toStdString();
    const bool manual = !text.contains("DHCP");
    m_ui->editAddress->setEnabled(manual);
    m_ui->editMask->setEnabled(manual);
}

void CRemoteSettingsDialog::hdl_cmbVersion_Changed(const QString& text)
{
    m_edited.version = text.toStdString();
}

void CRemoteSettingsDialog::hdl_Btn_OK()
{
    m_edited.address = m_ui->editAddress->text().trimmed().toStdString();
    m_edited.mask = m_ui->editMask->text().trimmed().toStdString();
    switch (NodeActionRules::checkIp(m_edited)) {
    case NodeActionRules::IpCheck::BadMask: m_ui->labelStatus->setText(NodeActionRules::kMaskHint); return;
    case NodeActionRules::IpCheck::BadAddress: m_ui->labelStatus->setText(NodeActionRules::kAddressHint); return;
    case NodeActionRules::IpCheck::Ok: break;
    }
    m_ui->labelStatus->clear();
    if (NodeActionRules::unchanged(m_initial, m_edited)) {
        accept();
        return;
    }
    if (CMiscUtils::askYesNo("Close Information", NodeActionRules::kChangeIpQuestion, this) !=
        CDecisionDialogYesNo::Yes) {
        reject();
        return;
    }
    const NodeIpSettings settings = m_edited;
    const std::int32_t result = m_run([this, settings] { return NodeActionRules::sendIpConfig(m_node, settings); });
    if (result != 0) {
        std::string title = "Error Information";
        std::string text = NodeActionRules::failureText(NodeActionRules::kIpFailed, result);
        CMiscUtils::showError(title, text, this);
        reject();
        return;
    }
    m_changed = true;
    accept();
}

void CRemoteSettingsDialog::hdl_Btn_Cancel()
{
    reject();
}

} // namespace z2e
