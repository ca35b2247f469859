#include "gui/window/node_actions.h"

#include "core/node_action_rules.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/network/dialog_settings.h"
#include "gui/dialogs/network/net_actions_dialog.h"
#include "gui/dialogs/network/node_addresses_dialog.h"
#include "gui/dialogs/network/node_name_dialog.h"
#include "gui/dialogs/network/remote_settings_dialog.h"
#include "gui/window/system_change_lock.h"

#include "driver/command/qorin_node_util_wrapper.h"

#include <map>

namespace z2e {
namespace {

const char* const kQuestionTitle = "Net Node";
const char* const kErrorTitle = "Error Information";

void showFailure(const char* prefix, std::int32_t code, QWidget* parent)
{
    std::string title = kErrorTitle;
    std::string text = NodeActionRules::failureText(prefix, code);
    CMiscUtils::showError(title, text, parent);
}

} // namespace

NodeActions::NodeActions(QWidget* parent, Host host) : m_parent(parent), m_host(std::move(host)) {}

void NodeActions::perform(int code, QorinNodeUtilWrapper& node, const ModelNode& root, const QString& name)
{
    static const std::map<int, const char*> activities = {
        {CNetActionsDialog::Rename, "renaming the node"},
        {CNetActionsDialog::RebootSystem, "rebooting the node"},
        {CNetActionsDialog::RestartServer, "restarting the node's server"},
        {CNetActionsDialog::ChangeIp, "changing the node's IP configuration"}};
    const auto activity = activities.find(code);
    if (activity == activities.end() || !node.node())
        return;
    const auto lock = SystemChangeLock::take(SystemLock::nodeSystem(node.node()->getAddress()), activity->second,
                                             kQuestionTitle, m_parent);
    if (!lock)
        return;
    switch (code) {
    case CNetActionsDialog::Rename: rename(node, name); break;
    case CNetActionsDialog::RebootSystem: restart(node, true); break;
    case CNetActionsDialog::RestartServer: restart(node, false); break;
    case CNetActionsDialog::ChangeIp: changeIp(node, root); break;
    default: break;
    }
}

void NodeActions::rename(QorinNodeUtilWrapper& node, const QString& name)
{
    NodeNameDialog dialog(name, m_parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed())
        return;
    const std::string chosen = dialog.name().toStdString();
    const std::int32_t result =
        m_host.run("Renaming the network node.", [&node, chosen] { return node.setNodeName(chosen); });
    if (result != 0) {
        showFailure(NodeActionRules::kRenameFailed, result, m_parent);
        return;
    }
    m_host.renamed(chosen);
}

void NodeActions::restart(QorinNodeUtilWrapper& node, bool reboot)
{
    const char* question = reboot ? NodeActionRules::kRebootQuestion : NodeActionRules::kRestartQuestion;
    if (CMiscUtils::askYesNo(kQuestionTitle, question, m_parent) != CDecisionDialogYesNo::Yes)
        return;
    const std::int32_t result =
        m_host.run(reboot ? "Rebooting the network node." : "Restarting the network node's server.",
                   [&node, reboot] { return reboot ? node.rebootSystem() : node.restartServer(); });
    if (result != 0) {
        showFailure(reboot ? NodeActionRules::kRebootFailed : NodeActionRules::kRestartFailed, result, m_parent);
        return;
    }
    m_host.restarted();
}

void NodeActions::changeIp(QorinNodeUtilWrapper& node, const ModelNode& root)
{
    bool letGo = false;
    CRemoteSettingsDialog dialog(
        node, root,
        [this, &letGo](const std::function<std::int32_t()>& call) {
            letGo = true;
            return m_host.run("Changing the network node's IP configuration.", [this, &call] {
                if (m_host.letGo)
                    m_host.letGo();
                return call();
            });
        },
        m_parent);
    if (!m_suggestedAddress.isEmpty())
        dialog.suggest(m_suggestedAddress, m_suggestedMask, m_suggestedWhy);
    suggestIp({}, {}, {});
    dialog.exec();
    if (dialog.changed())
        m_host.ipChanged();
    else if (letGo && m_host.keep)
        m_host.keep();
}

void NodeActions::suggestIp(const QString& address, const QString& mask, const QString& why)
{
    m_suggestedAddress = address;
    m_suggestedMask = mask;
    m_suggestedWhy = why;
}

bool NodeActions::editNetSettings(NetworkOptions& current, bool manualAllowed, bool& manualChosen)
{
    DialogSettings dialog(qorinet_api::LocalInterfaceList(), manualAllowed, m_parent);
    dialog.fill(current, manualAllowed);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    current = dialog.result();
    manualChosen = dialog.manualChosen();
    return true;
}

QStringList NodeActions::pictureNames()
{
    // "use-as-demo": the question before the node shown becomes the demo system (the window's).
    return {"net-settings", "node-options", "remote-settings", "node-name", "use-as-demo", "add-node"};
}

QDialog* NodeActions::openForPicture(const QString& name, const NetworkOptions& options, QorinNodeUtilWrapper* node,
                                     const ModelNode* root, const QString& nodeName) const
{
    QDialog* dialog = nullptr;
    if (name == "net-settings") {
        auto* settings = new DialogSettings(qorinet_api::LocalInterfaceList(), false, m_parent);
        settings->fill(options, false);
        dialog = settings;
    } else if (name == "add-node") {
        dialog = new CNodeAddressesDialog(RememberedNodes(), m_parent);
    } else if (name == "node-options" && node) {
        dialog = new CNetActionsDialog(m_parent);
    } else if (name == "remote-settings" && node && root) {
        dialog = new CRemoteSettingsDialog(
            *node, *root, [](const std::function<std::int32_t()>&) { return 0; }, m_parent);
    } else if (name == "node-name" && node) {
        dialog = new NodeNameDialog(nodeName, m_parent);
    }
    if (!dialog)
        return nullptr;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace z2e
