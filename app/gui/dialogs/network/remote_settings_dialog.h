#pragma once
// "Net Node": changes a network node's IP configuration. The four values start from the node's
// "Node Info" rows; OK checks them (NodeActionRules), asks, and sends them with setIpConfig
// through the caller's runner, which keeps the GUI alive while the node answers.

#include "core/node_action_rules.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class CRemoteSettingsDialog;
}

namespace z2e {

class QorinNodeUtilWrapper;

class ModelNode;

class CRemoteSettingsDialog : public QDialog {
    Q_OBJECT

public:
    /// Runs a node call (behind the progress window) and returns its result.
    using NodeCall = std::function<std::int32_t(const std::function<std::int32_t()>& call)>;

    /// `root` is the node's tree (its "Node Info" group gives the initial values); `node` gets
    /// the new configuration. Both must outlive the dialog.
    CRemoteSettingsDialog(QorinNodeUtilWrapper& node, const ModelNode& root, NodeCall run, QWidget* parent = nullptr);
    ~CRemoteSettingsDialog() override;

    /// The values as read from the node.
    const NodeIpSettings& initialSettings() const { return m_initial; }
    /// Shows a static `address` and `mask` to give the node instead of its own (a node the
    /// computer cannot reach as it is), with `why` above them.
    void suggest(const QString& address, const QString& mask, const QString& why);
    /// A changed configuration was sent and the node took it.
    bool changed() const { return m_changed; }

    /// The values of the rows of the first "Node Info" group below `root`.
    static NodeIpSettings settingsOf(const ModelNode& root);

private slots:
    void hdl_Btn_OK();
    void hdl_Btn_Cancel();
    void hdl_cmbMode_Changed(const QString& text);
    void hdl_cmbVersion_Changed(const QString& text);

private:
    std::unique_ptr<Ui::CRemoteSettingsDialog> m_ui;
    QorinNodeUtilWrapper& m_node;
    NodeCall m_run;
    NodeIpSettings m_initial;
    NodeIpSettings m_edited;
    bool m_changed = false;
};

} // namespace z2e
