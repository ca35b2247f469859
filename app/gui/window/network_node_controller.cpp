#include "gui/window/network_node_controller.h"

#include "core/application_status.h"
#include "core/demo_status.h"
#include "core/demo_system_editor.h"
#include "core/demo_texts.h"
#include "core/network_client_host.h"
#include "core/node_result_text.h"
#include "core/remembered_nodes.h"
#include "core/remote_system_builder.h"
#include "core/selected_network_node.h"
#include "core/system_model.h"
#include "core/temperature_rows.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/network/net_actions_dialog.h"
#include "gui/models/tree_filter_model.h"
#include "gui/models/tree_view_model.h"
#include "gui/window/demo_tab.h"
#include "gui/window/network_diagnosis.h"
#include "gui/window/network_interface_choice.h"
#include "gui/window/node_actions.h"
#include "gui/window/node_addresses.h"
#include "gui/window/node_event_types.h"
#include "gui/window/system_list.h"
#include "gui/window/system_status_line.h"
#include "gui/window/temperature_update.h"
#include "gui/window/tree_filter_panel.h"
#include "gui/window/worker_job.h"
#include "qorinet_api/client/local_interface_list.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <QTreeView>

#include <chrono>
#include <optional>
#include <thread>

namespace z2e {
namespace {

const char* const kSystemTitle = "System";
const char* const kNodeWorkTitle = "Network Node";
constexpr int kTreeDepth = 1;
// A restarted node needs a moment before the new client asks it again.
constexpr std::chrono::milliseconds kNodeRestartWait{1000};
// A node let go answers the next scans as free; a few scan intervals are plenty.
constexpr int kNodeFreeWaitMs = 5000;

} // namespace

NetworkNodeController::NetworkNodeController(const Views& views, QSettings& settings, NetworkClientTuning tuning,
                                             SelectedNetworkNode& selected, Records& records)
    : m_views(views), m_settings(settings), m_tuning(tuning), m_selected(selected), m_records(records)
{
    m_options =
        NetworkInterfaceChoice::restore(WindowSettings::readNetworkOptions(m_settings),
                                        NetworkInterfaceChoice::interfaceList(qorinet_api::LocalInterfaceList()));
    NodeActions::Host host;
    host.run = [this](const QString& message, const std::function<std::int32_t()>& call) {
        std::int32_t result = 0;
        runNodeWork(message, [&] { result = call(); });
        return result;
    };
    // After a restart or a new address the node announces itself anew: a new client finds it.
    host.restarted = [this] {
        runNodeWork("Waiting for the network node.", [this] {
            m_selected.release();
            std::this_thread::sleep_for(kNodeRestartWait);
        });
        resetQorinetNodes();
    };
    host.ipChanged = host.restarted;
    host.letGo = [this] {
        const std::uint32_t id = m_selected.id();
        m_selected.release();
        if (m_client)
            m_client->waitUntilFree(id, kNodeFreeWaitMs);
    };
    host.keep = [this] { showSystemRow(m_shownRow, true); };
    host.renamed = [this](const std::string& name) {
        const auto record = m_records.find(m_selected.id());
        const int row = list().rowOfNode(m_selected.id());
        if (record == m_records.end() || row < 0)
            return;
        record->second->name = name;
        list().keepRow(m_shownRow,
                       [&] { list().setNodeCaption(record->first, SystemList::nodeCaption(*record->second)); });
        showRemoteTree(*record->second);
    };
    m_actions = std::make_unique<NodeActions>(m_views.window, std::move(host));
    m_addresses = std::make_unique<NodeAddresses>(m_views.window, *m_views.list);
    connectActions();
}

NetworkNodeController::~NetworkNodeController()
{
    stop();
}

void NetworkNodeController::stop()
{
    m_selected.release();
    m_client.reset();
}

void NetworkNodeController::connectActions()
{
    const Views& v = m_views;
    connect(v.systems, &QListWidget::itemClicked, this, &NetworkNodeController::hdl_SysViewClicked);
    connect(v.systems, &QWidget::customContextMenuRequested, this, &NetworkNodeController::hdl_SysViewContextMenu);
    connect(v.tree, &QTreeView::doubleClicked, this, &NetworkNodeController::dblClickedNodeInfo);
    connect(v.netSettings, &QAction::triggered, this, &NetworkNodeController::hdl_HardwareSettings);
    connect(v.nodeOptions, &QAction::triggered, this, &NetworkNodeController::hdl_Add_NetProperties);
    connect(v.addNode, &QAction::triggered, this, [this] {
        m_addresses->edit([this] {
            if (m_client)
                m_client->askDirectly(RememberedNodes().addresses());
        });
    });
    const std::pair<QAction*, int> nodeActions[] = {{v.nodeMenu.changeIp, CNetActionsDialog::ChangeIp},
                                                    {v.nodeMenu.restart, CNetActionsDialog::RestartServer},
                                                    {v.nodeMenu.reboot, CNetActionsDialog::RebootSystem},
                                                    {v.nodeMenu.rename, CNetActionsDialog::Rename}};
    for (const auto& [action, code] : nodeActions)
        connect(action, &QAction::triggered, this, [this, code = code] { runNodeAction(code); });
    m_diagnosis = new NetworkDiagnosis(
        v.diagnose, [this] { return clientSettings(); }, v.window);
    // "Update Node" is offered disabled and has no action, as on the node's own menus.
    v.nodeMenu.update->setEnabled(false);
}

void NetworkNodeController::start(bool localRead)
{
    m_localRead = localRead;
    registerNodeEventTypes();
    connect(this, &NetworkNodeController::ctrlNodeAdded, this, &NetworkNodeController::onEventNodeAdded,
            Qt::QueuedConnection);
    connect(this, &NetworkNodeController::ctrlNodeRemoved, this, &NetworkNodeController::onEventNodeRemoved,
            Qt::QueuedConnection);
    connect(this, &NetworkNodeController::ctrlNodeSyncChanged, this, &NetworkNodeController::onEventNodeSyncChanged,
            Qt::QueuedConnection);
    connect(this, &NetworkNodeController::ctrlNodeUpdated, this, &NetworkNodeController::onEventNodeUpdated,
            Qt::QueuedConnection);
    resetQorinetNodes();
}

void NetworkNodeController::resetQorinetNodes()
{
    if (m_selected.valid() || m_remoteShown)
        showSystemRow(0, true);
    m_selected.release();
    list().removeNetworkNodes();
    m_records.clear();
    if (!m_client) {
        // The pump thread only emits: the queued connections carry the events to the GUI thread.
        NodeEventPump::Sink sink;
        sink.added = [this](NetworkNodeRecord record) { emit ctrlNodeAdded(record); };
        sink.removed = [this](std::uint32_t id) { emit ctrlNodeRemoved(id); };
        sink.syncChanged = [this](std::uint32_t id, std::uint32_t state) { emit ctrlNodeSyncChanged(id, state); };
        m_client = std::make_unique<NetworkClientHost>(std::move(sink));
    }
    if (m_client->restart(NetworkInterfaceChoice::clientSettings(m_options, m_tuning)) != 0) {
        m_views.status->show("The network client could not start; no network nodes are shown.",
                             SystemStatusLine::kGeneral);
        return;
    }
    watchListening(++m_clientGeneration, kListenChecks);
}

void NetworkNodeController::watchListening(std::uint64_t generation, int checksLeft)
{
    // The client opens its socket on its own thread: look again shortly rather than wait here.
    QTimer::singleShot(kListenCheckMs, this, [this, generation, checksLeft] {
        if (generation != m_clientGeneration || !m_client || m_client->listening())
            return;
        const std::string failure = m_client->listenFailure();
        if (!failure.empty())
            m_views.status->show(QString::fromStdString(failure), SystemStatusLine::kGeneral);
        else if (checksLeft > 1)
            watchListening(generation, checksLeft - 1);
    });
}

int NetworkNodeController::settleMs() const
{
    if (!m_client || !m_client->running())
        return 0;
    // The first scan finds the nodes that are up; one more covers a slow answer.
    return static_cast<int>(2 * m_client->scanIntervalMs());
}

QorinNodeUtilWrapper* NetworkNodeController::holdCommands()
{
    m_commands = m_selected.commands();
    return m_commands.get();
}

void NetworkNodeController::runNodeWork(const QString& message, const std::function<void()>& work,
                                        const std::function<void()>& then, std::uint32_t nodeId)
{
    const std::uint32_t target = nodeId != 0 ? nodeId : m_selected.id();
    bool cancelled = false;
    m_workRunning = true;
    m_workTarget = target;
    // `then` shows the outcome before the node events that came meanwhile are applied to it.
    m_events.runClosed([&] {
        WorkerJob job(kNodeWorkTitle, message, m_views.window);
        job.offerCancel([this, target] { cancelNodeWork(target); });
        job.run([&work](CInProgress&) {
            work();
            return 0;
        });
        cancelled = job.cancelled();
        if (then)
            then();
    });
    m_workRunning = false;
    if (cancelled)
        showStatus("Cancelled: the network node's link was closed; choose it again to read it.");
    if (m_closeAfterWork) {
        m_closeAfterWork = false;
        QTimer::singleShot(0, m_views.window, &QWidget::close);
    }
}

void NetworkNodeController::cancelNodeWork(std::uint32_t nodeId)
{
    // Closing the link wakes the request that waits on it; the worker then ends by itself.
    if (m_client)
        m_client->disconnectNode(nodeId);
}

bool NetworkNodeController::deferClose()
{
    if (!m_workRunning)
        return false;
    m_closeAfterWork = true;
    cancelNodeWork(m_workTarget);
    return true;
}

void NetworkNodeController::releaseShownNode()
{
    if (m_selected.active())
        runNodeWork("Stopping the network node.", [this] { m_selected.release(); });
}

// ---- Node events ----

void NetworkNodeController::onEventNodeAdded(const NetworkNodeRecord& node)
{
    m_events.whenIdle([this, node] { addNodeEntry(node); });
}

void NetworkNodeController::addNodeEntry(const NetworkNodeRecord& record)
{
    // Gone meanwhile, or an event of a former client whose id now names another node.
    const std::optional<std::uint32_t> syncState = m_client ? m_client->syncStateOf(record) : std::nullopt;
    if (!syncState)
        return;
    const bool problem = record.connectionState != NetworkConnectionState::Established;
    int row = -1;
    list().keepRow(m_shownRow, [&] { row = list().upsertNetworkNode(record, problem, static_cast<int>(*syncState)); });
    auto& kept = m_records[record.nodeId];
    auto fresh = std::make_unique<NetworkNodeRecord>(record);
    if (kept)
        RemoteSystemBuilder::keepReadings(*kept, *fresh);
    kept = std::move(fresh);
    markAddressProblems();
    if (row != m_shownRow)
        return;
    // The shown node changed: its tree follows without asking the node again.
    list().markSelected(row);
    showRemoteTree(*kept);
}

void NetworkNodeController::markAddressProblems()
{
    m_addresses->refresh(m_records,
                         m_client ? m_client->localNetworks() : std::vector<NodeAddressCheck::LocalNetwork>{});
}

void NetworkNodeController::onEventNodeRemoved(quint32 id)
{
    m_events.whenIdle([this, id] { removeNodeEntry(id); });
}

void NetworkNodeController::removeNodeEntry(std::uint32_t id)
{
    const int row = list().rowOfNode(id);
    if (row < 0)
        return;
    const bool shown = row == m_shownRow;
    if (shown)
        showSystemRow(0, true);
    const QString caption = m_views.systems->item(row)->data(Qt::DisplayRole).toString();
    const auto record = m_records.find(id);
    const QString address = record != m_records.end() ? QString::fromStdString(record->second->address) : QString();
    list().keepRow(m_shownRow, [&] { list().removeNetworkNode(id); });
    m_records.erase(id);
    markAddressProblems();
    if (shown)
        m_views.status->show(
            QString("Network node %1 (%2) is gone from the network; the local system is shown.").arg(caption, address),
            SystemStatusLine::kGeneral);
}

void NetworkNodeController::onEventNodeSyncChanged(quint32 id, quint32 state)
{
    m_events.whenIdle([this, id, state] { list().setSyncState(id, static_cast<int>(state)); });
}

void NetworkNodeController::onEventNodeUpdated(quint32 id, ModelNodePtr node)
{
    const auto record = m_records.find(id);
    const int row = list().rowOfNode(id);
    if (record == m_records.end() || row < 0 || !node)
        return;
    record->second->name = node->name;
    const bool shown = row == m_shownRow;
    list().keepRow(m_shownRow, [&] { list().setNodeCaption(id, SystemList::nodeCaption(*record->second)); });
    if (shown)
        showSystemRow(m_shownRow, true);
}

// ---- The shown system ----

void NetworkNodeController::hdl_SysViewClicked()
{
    showSystemRow(m_views.systems->currentRow(), false);
}

void NetworkNodeController::showSystemRow(int row, bool force)
{
    if (row < 0 || !m_system || m_events.closed() || (!force && row == m_shownRow))
        return;
    m_shownRow = row;
    m_views.status->systemShown(shownSubject());
    list().markSelected(row);
    if (row == 0 && m_localRead) {
        showLocalSystem();
        return;
    }
    const QVariant id = m_views.systems->item(row)->data(SystemList::kNodeIdRole);
    if (!id.isValid() || !m_client || !m_client->holds(id.toUInt()))
        return;
    NetworkNodeRecord record;
    runNodeWork(
        "Reading the network node.",
        [this, nodeId = id.toUInt(), &record] { record = m_selected.select(*m_client, nodeId); },
        [this, &record] {
            m_records[record.nodeId] = std::make_unique<NetworkNodeRecord>(record);
            showRemoteTree(record);
        },
        id.toUInt());
}

std::vector<std::pair<int, const NetworkNodeRecord*>> NetworkNodeController::listedNodes()
{
    std::vector<std::pair<int, const NetworkNodeRecord*>> nodes;
    for (const auto& [id, record] : m_records) {
        const int row = list().rowOfNode(id);
        if (row > 0 && record)
            nodes.emplace_back(row, record.get());
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

NetworkClientSettings NetworkNodeController::clientSettings() const
{
    return NetworkInterfaceChoice::clientSettings(m_options, m_tuning);
}

QModelIndex NetworkNodeController::shownRowAt(const std::vector<std::size_t>& path) const
{
    if (!m_system)
        return {};
    const ModelNode* node = m_remoteShown ? &m_system->remoteRoot() : &m_system->localRoot();
    for (const std::size_t step : path) {
        node = node->childAt(step);
        if (!node)
            return {};
    }
    return (m_remoteShown ? m_views.remoteModel : m_views.localModel)->indexOf(node);
}

void NetworkNodeController::showRemoteTree(const NetworkNodeRecord& record)
{
    // The model shows nodes of the remote root: it lets go of them before the root is refilled.
    m_views.remoteModel->clear();
    RemoteSystemBuilder::fillRoot(m_system->remoteRoot(), record);
    m_views.remoteModel->rebuild(*m_system, CTreeViewModel::RemoteSystem);
    m_views.treePanel->showModel(m_views.remoteModel);
    m_views.tree->expandAll();
    m_remoteShown = true;
    list().updateNodeHealth(record);
    if (record.failure == 0)
        return;
    showStatus(QString("Node %1 could not be read: %2; %3")
                   .arg(QString::fromStdString(record.address), QString::fromStdString(failureWords(record.failure)),
                        QString::fromStdString(nodeUnreadableStep(record.failure))));
    // The rows that say why stand last.
    m_views.tree->scrollToBottom();
}

void NetworkNodeController::showLocalSystem()
{
    if (m_selected.active())
        runNodeWork("Releasing the network node.", [this] { m_selected.release(); });
    m_selected.release();
    m_views.treePanel->showModel(m_views.localModel);
    m_views.remoteModel->clear();
    m_system->remoteRoot().clear();
    m_remoteShown = false;
    m_views.tree->expandToDepth(kTreeDepth);
}

void NetworkNodeController::rebuildTrees()
{
    if (!m_system)
        return;
    m_views.localModel->rebuild(*m_system, CTreeViewModel::LocalSystem);
    m_views.remoteModel->rebuild(*m_system, CTreeViewModel::RemoteSystem);
    m_views.tree->expandToDepth(kTreeDepth);
}

void NetworkNodeController::refreshShown()
{
    if (m_remoteShown) {
        showSystemRow(m_shownRow, true);
        return;
    }
    if (!m_system || !m_localRead) {
        showStatus("The local system was not read at start-up: there is nothing to read again.");
        return;
    }
    // The tree shows the local rows: it lets go of them while they are read again.
    m_views.localModel->clear();
    const std::int32_t result = WorkerJob(kSystemTitle, "Reading the local system.", m_views.window)
                                    .withoutFirstPaint()
                                    .run([system = m_system](CInProgress&) { return system->rescanLocalSystem(); });
    rebuildTrees();
    showStatus(result == AppStatus::Ok ? QString("The local system was read again.")
                                       : QString("The local system could not be read again: %1 (%2)")
                                             .arg(QString::fromStdString(statusMessage(result)))
                                             .arg(result));
}

bool NetworkNodeController::remoteMenusLocked() const
{
    return m_remoteShown && m_selected.heldByOtherClient();
}

std::int64_t NetworkNodeController::shownSubject() const
{
    const QListWidget* systems = m_views.systems;
    if (m_shownRow <= 0 || m_shownRow >= systems->count())
        return SystemStatusLine::kLocal;
    const QVariant id = systems->item(m_shownRow)->data(SystemList::kNodeIdRole);
    return id.isValid() ? static_cast<std::int64_t>(id.toUInt()) : SystemStatusLine::kLocal;
}

void NetworkNodeController::showStatus(const QString& text)
{
    m_views.status->show(text, shownSubject());
}

// ---- Menus and actions ----

std::unique_ptr<QMenu> NetworkNodeController::systemsMenuFor(int row)
{
    // Only the entry whose node is shown (checked) acts on a node.
    if (row <= 0 || row != m_shownRow || !m_remoteShown || !m_selected.valid())
        return nullptr;
    const Views& v = m_views;
    auto menu = std::make_unique<QMenu>(m_views.window);
    for (QAction* action :
         {v.nodeMenu.changeIp, v.nodeMenu.restart, v.nodeMenu.reboot, v.nodeMenu.rename, v.nodeMenu.update}) {
        action->setEnabled(action != v.nodeMenu.update);
        menu->addAction(action);
    }
    return menu;
}

void NetworkNodeController::hdl_SysViewContextMenu(const QPoint& position)
{
    QListWidget* systems = m_views.systems;
    std::unique_ptr<QMenu> menu = systemsMenuFor(systems->row(systems->itemAt(position)));
    if (menu)
        menu->exec(systems->viewport()->mapToGlobal(position));
}

void NetworkNodeController::dblClickedNodeInfo(const QModelIndex& index)
{
    const QModelIndex source = CTreeFilterModel::sourceOf(index);
    const auto* model = qobject_cast<const CTreeViewModel*>(source.model());
    const ModelNode* node = model ? model->nodeAt(source) : nullptr;
    if (!node || node->systemKind == SystemKind::Demo)
        return;
    if (node->name == "Node Name")
        runNodeAction(CNetActionsDialog::Rename);
    else if (node->name == "IP Address" || node->name == "IP Version" || node->name == "IP Mode" ||
             node->name == "Net Mask")
        runNodeAction(CNetActionsDialog::ChangeIp);
}

void NetworkNodeController::hdl_HardwareSettings()
{
    const bool shift = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    NetworkOptions chosen = m_options;
    bool manual = false;
    if (!m_actions->editNetSettings(chosen, shift || m_manualNetSettings, manual))
        return;
    m_options = chosen;
    m_manualNetSettings = manual;
    if (m_remoteShown)
        showSystemRow(0, true);
    WindowSettings::writeNetworkOptions(m_settings, m_options);
    m_settings.sync();
    resetQorinetNodes();
}

void NetworkNodeController::hdl_Add_NetProperties()
{
    if (!m_remoteShown || !m_selected.valid())
        return;
    CNetActionsDialog dialog(m_views.window);
    dialog.exec();
    runNodeAction(dialog.code());
}

void NetworkNodeController::runNodeAction(int code)
{
    if (code == CNetActionsDialog::Cancel)
        return;
    holdCommands();
    const auto record = m_records.find(m_selected.id());
    if (!m_remoteShown || !m_commands || record == m_records.end()) {
        showStatus("Choose a network node in the list of systems first.");
        return;
    }
    const NodeAddressCheck::Verdict* problem = m_addresses->problemOf(m_selected.id());
    if (code == CNetActionsDialog::ChangeIp && problem && !problem->freeAddress.empty())
        m_actions->suggestIp(QString::fromStdString(problem->freeAddress), QString::fromStdString(problem->freeMask),
                             QString::fromStdString(problem->problem));
    m_actions->perform(code, *m_commands, m_system->remoteRoot(), QString::fromStdString(record->second->name));
}

void NetworkNodeController::updateTemperatures(const QModelIndex& index)
{
    auto* model = qobject_cast<CTreeViewModel*>(m_views.treePanel->shownModel());
    const ModelNode* row = model ? model->nodeAt(index) : nullptr;
    if (row && row->systemKind == SystemKind::Local && m_system) {
        showStatus(TemperatureUpdate::run(*model, index, m_system->localRoot(), m_system->wrapper(), m_views.window));
        return;
    }
    const auto record = m_records.find(m_selected.id());
    if (!row || row->systemKind != SystemKind::Remote || !m_selected.active() || record == m_records.end()) {
        showStatus("Choose a temperature of a local board or of a linked network node first.");
        return;
    }
    // The node's tree is made from its record: the readings go there, and the tree follows.
    NetworkNodeRecord& node = *record->second;
    const ModelNode* element = TemperatureRows::elementOf(*row);
    const std::shared_ptr<QorinNodeUtilWrapper> commands = m_selected.commands();
    // The words may ask the node for its text of a failure: on the worker too.
    QString words = TemperatureUpdate::outcome(AppStatus::Cancelled, nullptr);
    runNodeWork(
        "Reading the temperatures.",
        [&] { words = TemperatureUpdate::outcome(TemperatureRows::update(node, element, *commands), commands.get()); },
        [&] { showRemoteTree(node); });
    showStatus(words);
}

void NetworkNodeController::importShownNode(DemoTab& demo)
{
    // Only a linked node answers the questions that describe its enclosures and boards.
    const auto record = m_records.find(m_selected.id());
    if (!m_selected.active() || record == m_records.end()) {
        CMiscUtils::notify(kSystemTitle, DemoTexts::kNodeNotLinked, m_views.window);
        return;
    }
    const std::string source = DemoTexts::networkNodeSource(SystemList::nodeCaption(*record->second).toStdString());
    demo.importHardware(source, [this](RootNode& hardware) {
        const std::shared_ptr<QorinNodeUtilWrapper> commands = m_selected.commands();
        std::int32_t status = DemoStatus::InternalError;
        std::string detail;
        runNodeWork(DemoTexts::kReadingNode,
                    [&] { status = DemoSystemEditor::readNodeHardware(*commands, hardware, detail); });
        // Cancelling closes the link, and a half-read node is no copy (the status bar tells).
        if (!m_selected.active())
            return false;
        if (status == DemoStatus::Ok)
            return true;
        CMiscUtils::notify(kSystemTitle,
                           QString::fromStdString(demoStatusText(status) + (detail.empty() ? "" : "\n" + detail)),
                           m_views.window);
        return false;
    });
}

} // namespace z2e
