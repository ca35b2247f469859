#pragma once
// The maintenance actions on the shown network node (rename, reboot, server restart, IP
// configuration) with their questions and error boxes. The window lends a runner that keeps
// the GUI alive while the node answers and learns through the callbacks what changed; the node
// calls themselves are the node interface's (and NodeActionRules').

#include "gui/window/window_settings.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QDialog;
class QWidget;

namespace z2e {

class QorinNodeUtilWrapper;

class ModelNode;

class NodeActions {
public:
    struct Host {
        /// Runs `call` (a node request) behind the progress window with `message`; its result.
        std::function<std::int32_t(const QString& message, const std::function<std::int32_t()>& call)> run;
        /// The node restarts or reboots: let go of it and start the network client anew.
        std::function<void()> restarted;
        /// The node took `name`.
        std::function<void(const std::string& name)> renamed;
        /// The node took a new IP configuration.
        std::function<void()> ipChanged;
        /// Worker thread, before a new IP configuration is sent: lets go of the node's link and
        /// waits until the node is reported free (only a free node takes one).
        std::function<void()> letGo;
        /// The IP configuration was not taken after the link was let go: show the node again.
        std::function<void()> keep;
    };

    NodeActions(QWidget* parent, Host host);

    /// Carries out a CNetActionsDialog code (0 does nothing) on `node`, whose tree is `root`
    /// and whose name is `name`.
    void perform(int code, QorinNodeUtilWrapper& node, const ModelNode& root, const QString& name);

    /// The next "Change Node IP" shows a static `address` and `mask` instead of the node's own,
    /// with `why` (a node the computer cannot reach as it is); "" clears it.
    void suggestIp(const QString& address, const QString& mask, const QString& why);

    /// "Net Settings" over `current`, modal; true with `current` replaced by the choice when the
    /// operator accepted. `manualChosen` tells whether that was "Manual Configuration".
    bool editNetSettings(NetworkOptions& current, bool manualAllowed, bool& manualChosen);

    /// The dialogs a screenshot run can picture over the window.
    static QStringList pictureNames();
    /// Opens the named dialog without a modal loop (deleted on close); "net-settings" needs no
    /// node, the others are for `node`. Null for another name.
    QDialog* openForPicture(const QString& name, const NetworkOptions& options, QorinNodeUtilWrapper* node,
                            const ModelNode* root, const QString& nodeName) const;

private:
    void rename(QorinNodeUtilWrapper& node, const QString& name);
    void restart(QorinNodeUtilWrapper& node, bool reboot);
    void changeIp(QorinNodeUtilWrapper& node, const ModelNode& root);

    QWidget* m_parent;
    Host m_host;
    QString m_suggestedAddress;
    QString m_suggestedMask;
    QString m_suggestedWhy;
};

} // namespace z2e
