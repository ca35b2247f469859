#pragma once
// The network nodes in the list of systems. It starts the network client, whose event pump emits
// the ctrlNode* signals (connected queued to the onEvent* slots), keeps the list's entries and
// the node records in step, shows the chosen entry's system in the hardware tree, and carries out
// the node menus and "Net Settings". Talking to a node runs as a WorkerJob whose Cancel closes the
// node's link; node events that arrive meanwhile wait until the job and its follow-up are done.
// GUI thread only, apart from the signals.

#include "core/model_node.h"
#include "core/network_client_settings.h"
#include "core/network_node_record.h"
#include "core/node_event_gate.h"
#include "gui/window/window_settings.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QListWidget;
class QMenu;
class QModelIndex;
class QPoint;
class QSettings;
class QTreeView;
class QWidget;

namespace z2e {

class CTreeFilterPanel;
class CTreeViewModel;
class DemoTab;
class NetworkClientHost;
class NetworkDiagnosis;
class NodeActions;
class NodeAddresses;
class QorinNodeUtilWrapper;
class SelectedNetworkNode;
class SystemList;
class SystemModel;
class SystemStatusLine;

class NetworkNodeController : public QObject {
    Q_OBJECT

public:
    /// Records of the network nodes in the list, by node id.
    using Records = std::map<std::uint32_t, std::unique_ptr<NetworkNodeRecord>>;

    /// What it works on; all of it outlives the controller.
    struct Views {
        QWidget* window = nullptr;
        QListWidget* systems = nullptr;
        QTreeView* tree = nullptr;
        SystemList* list = nullptr;
        SystemStatusLine* status = nullptr;
        CTreeFilterPanel* treePanel = nullptr;
        CTreeViewModel* localModel = nullptr;
        CTreeViewModel* remoteModel = nullptr;
        QAction* netSettings = nullptr;
        QAction* addNode = nullptr; ///< "Add Node by Address..."
        QAction* nodeOptions = nullptr;
        QAction* diagnose = nullptr;
        /// The entries of a node's menu.
        struct {
            QAction* changeIp = nullptr;
            QAction* restart = nullptr;
            QAction* reboot = nullptr;
            QAction* rename = nullptr;
            QAction* update = nullptr;
        } nodeMenu;
    };

    /// Restores the network options from `settings` and connects the list and the node actions.
    NetworkNodeController(const Views& views, QSettings& settings, NetworkClientTuning tuning,
                          SelectedNetworkNode& selected, Records& records);
    ~NetworkNodeController() override;

    /// The system whose trees it shows, as soon as there is one.
    void attach(SystemModel& system) { m_system = &system; }
    /// After the start-up scan: the node events are connected and the network client starts.
    /// The list's first row shows the local tree only when `localRead`.
    void start(bool localRead);
    /// The list's first row (the local system) is the one shown.
    void localEntryShown() { m_shownRow = 0; }
    /// No thread outlives this: the node lets go of the client it reports to, then the client stops.
    void stop();

    /// How long after start-up the network nodes around need to show up in the list; 0 while
    /// the network client does not run.
    int settleMs() const;
    const NetworkOptions& options() const { return m_options; }
    Records& records() { return m_records; }
    SelectedNetworkNode& selected() { return m_selected; }
    SystemList& list() { return *m_views.list; }
    NodeActions& actions() { return *m_actions; }
    NetworkDiagnosis& diagnosis() { return *m_diagnosis; }
    /// The command layer over the shown node, held while a node action or its picture uses it.
    QorinNodeUtilWrapper* holdCommands();

    bool remoteShown() const { return m_remoteShown; }
    /// A node held by another client is shown: its rows offer no menus.
    bool remoteMenusLocked() const;
    int shownRow() const { return m_shownRow; }
    /// The network nodes of the list with their rows there, in list order.
    std::vector<std::pair<int, const NetworkNodeRecord*>> listedNodes();
    /// What the window's client works with now (its networks and port).
    NetworkClientSettings clientSettings() const;
    /// The row of the shown system's tree at `path` (child positions from its root); invalid
    /// when it has no such row.
    QModelIndex shownRowAt(const std::vector<std::size_t>& path) const;
    /// Shows the system of list row `row`; without `force` a row already shown is left alone.
    void showSystemRow(int row, bool force);
    /// Rebuilds the local and remote tree models and expands the hardware tree to depth 1.
    void rebuildTrees();
    /// Refresh: the local system scanned again as at start-up, a network node read again.
    void refreshShown();
    /// Shows `record` as the remote system's tree.
    void showRemoteTree(const NetworkNodeRecord& record);
    /// Whom a status message shown now is about: the system of the shown row.
    std::int64_t shownSubject() const;
    void showStatus(const QString& text);

    /// Runs `work` (which talks to node `nodeId`, 0: the selected one) as a WorkerJob, then
    /// `then` on the GUI thread; node events that arrive meanwhile wait until both are done.
    /// The job's Cancel closes the node's link.
    void runNodeWork(const QString& message, const std::function<void()>& work, const std::function<void()>& then = {},
                     std::uint32_t nodeId = 0);
    /// Carries out a "Node Options" code on the node shown.
    void runNodeAction(int code);
    /// The menu of list row `row` (the node shown), built but not shown; null for another row.
    std::unique_ptr<QMenu> systemsMenuFor(int row);
    /// "Update Temperatures" for the hardware tree's row at `index` (of the tree's source model),
    /// local or of the node shown; the outcome goes to the status bar.
    void updateTemperatures(const QModelIndex& index);
    /// "Use Selected System as Demo" for the node shown: reads its hardware into the demo tab.
    void importShownNode(DemoTab& demo);

    /// Closing while a node request runs: cancels it and closes the window once it has ended.
    /// False when nothing runs.
    bool deferClose();
    /// Closing: lets go of the node shown.
    void releaseShownNode();

signals:
    void ctrlNodeAdded(const z2e::NetworkNodeRecord& node);
    void ctrlNodeRemoved(quint32 id);
    void ctrlNodeSyncChanged(quint32 id, quint32 state);
    void ctrlNodeUpdated(quint32 id, z2e::ModelNodePtr node);

public slots:
    void onEventNodeAdded(const z2e::NetworkNodeRecord& node);
    void onEventNodeRemoved(quint32 id);
    void onEventNodeSyncChanged(quint32 id, quint32 state);
    void onEventNodeUpdated(quint32 id, z2e::ModelNodePtr node);
    /// Removes the network entries and starts a new network client with the network options.
    void resetQorinetNodes();

private slots:
    void hdl_SysViewClicked();
    void hdl_SysViewContextMenu(const QPoint& position);
    void hdl_HardwareSettings();
    void hdl_Add_NetProperties();
    void dblClickedNodeInfo(const QModelIndex& index);

private:
    void connectActions();
    void cancelNodeWork(std::uint32_t nodeId);
    void addNodeEntry(const NetworkNodeRecord& record);
    void removeNodeEntry(std::uint32_t id);
    void showLocalSystem();
    /// Marks the entries of nodes the computer cannot reach at the address they claim.
    void markAddressProblems();
    /// Shows in the status line why the client hears no node once its socket failed to open;
    /// looks `checksLeft` times, for the client of `generation` only.
    void watchListening(std::uint64_t generation, int checksLeft);

    static constexpr int kListenCheckMs = 100;
    static constexpr int kListenChecks = 50;

    Views m_views;
    QSettings& m_settings;
    NetworkClientTuning m_tuning;
    SelectedNetworkNode& m_selected;
    Records& m_records;
    SystemModel* m_system = nullptr;
    bool m_localRead = false;
    NetworkOptions m_options;
    std::unique_ptr<NetworkClientHost> m_client;
    std::uint64_t m_clientGeneration = 0;
    NodeEventGate m_events;
    std::unique_ptr<NodeActions> m_actions;
    NetworkDiagnosis* m_diagnosis = nullptr; // a child of the window
    std::unique_ptr<NodeAddresses> m_addresses;
    std::shared_ptr<QorinNodeUtilWrapper> m_commands;
    /// The last accepted "Net Settings" chose "Manual Configuration": it is offered again.
    bool m_manualNetSettings = false;
    bool m_remoteShown = false;
    int m_shownRow = -1;
    bool m_workRunning = false;
    bool m_closeAfterWork = false;
    std::uint32_t m_workTarget = 0;
};

} // namespace z2e
