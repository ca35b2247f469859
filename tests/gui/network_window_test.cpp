// The window's network side: a node simulator on loopback that comes and goes while the window
// runs, the event pump and its shutdown, and the pieces the window builds it from.

// Before any Qt header: the configuration's records have a member named like Qt's `slots`.
#include "config/qorin_cfg_handler.h"

#include "support/fixed_interfaces.h"
#include "network_window_fixture.h"

#include "core/demo_texts.h"
#include "core/enclosure_node.h"
#include "core/network_client_host.h"
#include "core/remembered_nodes.h"
#include "core/node_event_gate.h"
#include "core/node_event_pump.h"
#include "core/remote_system_builder.h"
#include "core/selected_network_node.h"
#include "core/slot_node.h"
#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/window/network_interface_choice.h"
#include "gui/window/network_node_controller.h"
#include "gui/window/tree_actions.h"
#include "gui/window/window_settings.h"

#include "qorinet_api/client/qorinet_client.h"
#include "uni/event_queue.h"
#include "xpugi/element.h"

#include <QColor>
#include <QFileInfo>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <future>
#include <mutex>
#include <thread>

namespace z2e {
namespace {

// Threads of this process with that name, as the kernel knows them.
int threadsNamed(const QString& name)
{
    int count = 0;
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        count += z2e_test::SimulatedSite::read("/proc/self/task/" + task + "/comm").trimmed() == name ? 1 : 0;
    return count;
}

using z2e_test::findRow;

TEST_F(NetworkWindowTest, NodesThatComeAndGoAddAndRemoveTheirSortedEntriesAndShowTheirTrees)
{
    startNodeAndWaitForItsEntry();
    QTest::qWait(500);
    ASSERT_EQ(systems()->count(), 2);
    const QListWidgetItem* entry = systems()->item(1);
    const auto role = [entry](int role) { return entry->data(role).toString(); };
    EXPECT_EQ(QStringList({role(SystemListRole::Caption), role(SystemListRole::DetailColour),
                           role(SystemListRole::ThirdLine), role(SystemListRole::SyncState)}),
              QStringList({"GuiBench", QString::number(Qt::black), QString("IP:\t%1").arg(kNodeAddress), "1"}));

    m_node.signal(SIGUSR1); // the node now reports sync state 2
    EXPECT_TRUE(QTest::qWaitFor([entry] { return entry->data(SystemListRole::SyncState).toInt() == 2; }, kNodeWaitMs));
    for (const char* line : {"Address: 127.0.0.9", "\nScan: answering", "\nSyncIn: on", "\nSyncOut: on"})
        EXPECT_TRUE(role(Qt::ToolTipRole).contains(line)) << line << " in " << role(Qt::ToolTipRole).toStdString();

    selectNode();
    const QAbstractItemModel* tree = m_window->ui()->treeHardware->model();
    ASSERT_NE(tree, m_window->hardwareModel());
    EXPECT_TRUE(m_window->selectedNode().active());
    EXPECT_EQ(treeRow("Node Name"), "Node Name:   GuiBench");
    EXPECT_TRUE(treeRow("Enclosure").endsWith("QORINet QN-N6")) << treeRow("Enclosure").toStdString();
    EXPECT_EQ(treeRow("Slot 2"), "Slot 2:   QA-4016");
    EXPECT_EQ(treeRow("Access State"), "Access State:   Free");
    // Read over the link, so the node really was asked.
    EXPECT_GT(treeRow("QORIN API").size(), QString("QORIN API:   ").size());
    EXPECT_FALSE(findRow(*tree, "Communication problem").isValid());
    EXPECT_EQ(role(SystemListRole::Selection), "selected");
    // A healthy node: no problem, whatever the marker rows of its tree.
    EXPECT_EQ(entry->data(SystemListRole::Problems).toInt(), 0);
    EXPECT_TRUE(role(Qt::ToolTipRole).endsWith("\nProblems: 0")) << role(Qt::ToolTipRole).toStdString();
    // Linked to this program, the node names it as holder: its tools stay open to us.
    showTabsAgain();
    EXPECT_TRUE(m_window->ui()->actionNodeOptions->isVisible());

    // Entries sort by name whatever the order the nodes appear in; the shown node stays shown
    // while entries move, a status message about it goes when another system is shown, and its
    // going away is told.
    const auto captions = [this] {
        QStringList texts;
        for (int row = 0; row < systems()->count(); ++row)
            texts << systems()->item(row)->data(SystemListRole::Caption).toString();
        return texts;
    };
    test::NodeSimProcess alpha;
    ASSERT_TRUE(alpha.start("127.0.0.10", {"--name", "alpha"}, m_port)) << alpha.output();
    // Answering, not only announced: reading it below must not fail.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return systems()->count() == 3 && systems()->item(1)->data(SystemListRole::Detail) == "QORINet QN-N6"; },
        kNodeWaitMs));
    EXPECT_EQ(captions(), QStringList({"Local System", "alpha", "GuiBench"}));
    EXPECT_EQ(systems()->item(2)->data(SystemListRole::Selection).toString() + " " +
                  systems()->item(1)->data(SystemListRole::Selection).toString(),
              "selected unselected");
    // As a tool reports on the shown node.
    ASSERT_TRUE(QMetaObject::invokeMethod(m_window.get(), "showStatus", Q_ARG(QString, "Checking GuiBench.")));
    selectNode(2); // already shown: nothing is read again, nothing is cleared
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "Checking GuiBench.");
    selectNode(1);
    EXPECT_EQ(treeRow("Node Name"), "Node Name:   alpha");
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "");
    alpha.stop();
    ASSERT_TRUE(QTest::qWaitFor([this] { return systems()->count() == 2; }, kNodeWaitMs));
    EXPECT_EQ(m_window->ui()->treeHardware->model(), m_window->hardwareModel());
    EXPECT_EQ(m_window->statusBar()->currentMessage(),
              "Network node alpha (127.0.0.10) is gone from the network; the local system is shown.");
    EXPECT_EQ(captions(), QStringList({"Local System", "GuiBench"}));

    selectNode();
    ASSERT_TRUE(m_window->selectedNode().active());
    m_node.stop();
    ASSERT_TRUE(QTest::qWaitFor([this] { return systems()->count() == 1; }, kNodeWaitMs));
    EXPECT_EQ(m_window->ui()->treeHardware->model(), m_window->hardwareModel());
    EXPECT_EQ(systems()->item(0)->data(SystemListRole::Selection).toString(), "selected");
    EXPECT_FALSE(m_window->selectedNode().valid());
    showTabsAgain();
    EXPECT_FALSE(m_window->ui()->actionNodeOptions->isVisible());
}

TEST_F(NetworkWindowTest, ExtendedFeaturesAreReadAtEveryMenuAndLockTheRowsOfAHeldNode)
{
    startNodeAndWaitForItsEntry();
    selectNode();
    ASSERT_TRUE(m_window->selectedNode().active());
    // The pump reports the node held by another client: the rows it shows now are locked.
    NetworkNodeRecord held = RemoteSystemBuilder::recordOf(*m_window->selectedNode().node());
    held.connected = false;
    held.occupied = true;
    emit m_window->networkNodes().ctrlNodeAdded(held);
    QTreeView* tree = m_window->ui()->treeHardware;
    ASSERT_TRUE(QTest::qWaitFor(
        [tree] {
            const auto* model = qobject_cast<const CTreeViewModel*>(tree->model());
            const ModelNode* enclosure = model ? model->nodeAt(findRow(*model, "Enclosure")) : nullptr;
            return enclosure && enclosure->locked;
        },
        kNodeWaitMs));

    QSettings settings(WindowSettings::kOrganisation, WindowSettings::kApplication);
    const auto enclosureEntries = [this, tree, &settings](bool extended) {
        settings.setValue("ApplicationSettings/ExtendedFeatures", extended);
        settings.sync();
        const std::unique_ptr<QMenu> menu = m_window->contextMenuFor(tree, findRow(*tree->model(), "Enclosure"), false);
        return menu ? menu->actions().size() : 0;
    };
    EXPECT_EQ(enclosureEntries(false), 2); // "Self Test", "Firmware Update"
    EXPECT_EQ(enclosureEntries(true), 0);
    EXPECT_EQ(enclosureEntries(false), 2);
}

// The files of a node's boards are offered in this computer's folder, as those of its own boards.
TEST_F(NetworkWindowTest, ANodesResultsAreOfferedWhereThisComputersAre)
{
    startNodeAndWaitForItsEntry();
    selectNode();
    QTreeView* tree = m_window->ui()->treeHardware;
    ASSERT_TRUE(QTest::qWaitFor([tree] { return findRow(*tree->model(), "Enclosure").isValid(); }, kNodeWaitMs));
    std::vector<FileRequest> requests;
    m_window->setFileChooser([&requests](QWidget*, const FileRequest& request) {
        requests.push_back(request);
        return QString();
    });
    ASSERT_TRUE(m_window->contextMenuFor(tree, findRow(*tree->model(), "Enclosure"), false));
    ASSERT_TRUE(
        z2e_test::actOnDialogWhile<CSelfTestDialog>([this] { m_window->actionFor(MenuEntry::SelfTest)->trigger(); },
                                                    [](CSelfTestDialog& dialog) {
                                                        dialog.findChild<QPushButton*>("btnSelfTest")->click();
                                                        dialog.findChild<QPushButton*>("btnSaveAll")->click();
                                                        dialog.reject();
                                                    }));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(QFileInfo(requests[0].folder).canonicalFilePath(), QFileInfo(m_site.configFile()).canonicalPath());
}

// The node's board cools down, then heats up again: "Update Temperatures" and Refresh each show
// the new reading.
TEST_F(NetworkWindowTest, UpdateTemperaturesAndRefreshReadANodesBoardAgain)
{
    z2e_test::HotBoardHardware hardware(m_site.path("node-hardware.xml").toStdString());
    ASSERT_TRUE(hardware.hot());
    ASSERT_NO_FATAL_FAILURE(startHotNodeAndShowIt(hardware));
    QTreeView* tree = m_window->ui()->treeHardware;
    const QModelIndex hotRow = findRow(*tree->model(), "BaseBoard:   78.5degC");
    ASSERT_TRUE(hotRow.isValid());
    EXPECT_EQ(tree->model()->data(hotRow, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));

    hardware.coolDown();
    EXPECT_EQ(z2e_test::entries(m_window->contextMenuFor(tree, hotRow, false).get()),
              QStringList({"Update Temperatures"}));
    m_window->actionFor(MenuEntry::UpdateTemperatures)->trigger();

    EXPECT_FALSE(findRow(*tree->model(), "BaseBoard:   78.5").isValid());
    const QModelIndex cooled = findRow(*tree->model(), "BaseBoard:   35degC");
    ASSERT_TRUE(cooled.isValid());
    EXPECT_FALSE(tree->model()->data(cooled, Qt::ForegroundRole).isValid());
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "Temperatures updated.");

    hardware.heatUp();
    m_window->treeActions()->refresh()->trigger();
    EXPECT_NE(tree->model(), m_window->hardwareModel());
    EXPECT_FALSE(findRow(*tree->model(), "BaseBoard:   35degC").isValid());
    EXPECT_TRUE(findRow(*tree->model(), "BaseBoard:   78.5degC").isValid());
}

// Runs `wait` (a request that only the node's heartbeats keep alive) and, past one receive
// time-out, hands the progress window's Cancel button to `end`; false when the wait ended by
// itself. `sinceEnd` counts from `end` on.
bool endHeartbeatWait(const std::function<void()>& wait, const std::function<void(QPushButton&)>& end,
                      QElapsedTimer& sinceEnd)
{
    bool ended = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<CInProgress*>(QApplication::activeModalWidget());
        if (!progress || ended || sinceEnd.elapsed() < 1500)
            return;
        auto* button = progress->findChild<QPushButton*>();
        if (button && button->isVisible()) {
            ended = true;
            sinceEnd.restart();
            end(*button);
        }
    });
    sinceEnd.start();
    poll.start();
    wait();
    return ended;
}

// A node that answers nothing but heartbeats would keep the window waiting for the ceiling:
// Cancel closes its link, and the window is usable again at once.
TEST_F(NetworkWindowTest, CancelEndsAWaitOnANodeThatOnlySendsHeartbeats)
{
    startNodeAndWaitForItsEntry({"--fault", "heartbeats-only", "--heartbeat-ms", "100"});
    QElapsedTimer waited;
    ASSERT_TRUE(endHeartbeatWait([&] { selectNode(); }, [](QPushButton& cancel) { cancel.click(); }, waited))
        << "the wait ended by itself";
    EXPECT_LT(waited.elapsed(), 2000);
    EXPECT_TRUE(m_window->statusBar()->currentMessage().startsWith("Cancelled"))
        << m_window->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(m_window->selectedNode().active());
}

// Closing the window during such a wait cancels it; the window closes once the request has ended.
TEST_F(NetworkWindowTest, ClosingDuringAWaitCancelsItAndClosesAfterwards)
{
    startNodeAndWaitForItsEntry({"--fault", "heartbeats-only", "--heartbeat-ms", "100"});
    QElapsedTimer waited;
    bool openWhileWaiting = false;
    ASSERT_TRUE(endHeartbeatWait([&] { selectNode(); },
                                 [&](QPushButton&) {
                                     m_window->close();
                                     openWhileWaiting = m_window->isVisible();
                                 },
                                 waited))
        << "the wait ended by itself";
    EXPECT_LT(waited.elapsed(), 2000);
    EXPECT_TRUE(openWhileWaiting);
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_window->isVisible());
}

// "ENCLOSURE / Slot N: BOARD SERIAL" for each board of a system: for the demo system from its
// slots, for a network node from its slot rows.
QStringList boardPlaces(const RootNode& root)
{
    QStringList places;
    for (const auto& child : root.children()) {
        const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
        if (!enclosure)
            continue;
        const QString name = QString::fromStdString(enclosure->firstValue());
        for (const auto& row : enclosure->children()) {
            QString place;
            if (const auto* slot = dynamic_cast<const SlotNode*>(row.get());
                slot && slot->nodeType == NodeType::BoardSlot)
                place = QString("Slot %1: %2 %3")
                            .arg(enclosure->slotNumber(row->index))
                            .arg(QString::fromStdString(row->firstValue()), QString::fromStdString(slot->serialNumber));
            else if (row->nodeType == NodeType::SlotState && row->firstValue() != "Empty" && row->childCount() > 0)
                place = QString("%1: %2 %3")
                            .arg(QString::fromStdString(row->name), QString::fromStdString(row->firstValue()),
                                 QString::fromStdString(row->childAt(0)->firstValue()));
            if (!place.isEmpty())
                places << name + " / " + place;
        }
    }
    places.sort();
    return places;
}

// "Use Selected System as Demo" with a node shown asks the local import's question, naming the
// node: No leaves the demo system and the configuration alone, Yes makes the node's enclosures
// and boards the demo system, in the slots the node shows them in.
TEST_F(NetworkWindowTest, ShownNodeBecomesTheDemoSystemAfterTheQuestion)
{
    startNodeAndWaitForItsEntry();
    selectNode();
    ASSERT_TRUE(m_window->selectedNode().active());
    const QStringList nodeBoards = boardPlaces(m_window->system()->remoteRoot());
    ASSERT_EQ(nodeBoards.size(), 4) << nodeBoards.join("\n").toStdString();
    const RootNode& demo = m_window->system()->demoRoot();
    const QStringList demoBefore = boardPlaces(demo);
    const auto configuration = [this] { return xpugi::printNode(m_window->system()->configHandler().document()); };
    const std::string configurationBefore = configuration();
    const QString question = "The demo system (2 enclosures, 6 boards) will be replaced by a copy of the network "
                             "node \"GuiBench\". Continue?";
    {
        z2e_test::DialogRecorder no("cancel");
        m_window->ui()->actionUseSelectedAsDemo->trigger();
        EXPECT_EQ(no.seen(), QStringList("[Demo System] " + question));
    }
    EXPECT_EQ(boardPlaces(demo), demoBefore);
    EXPECT_EQ(configuration(), configurationBefore);
    EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());

    z2e_test::DialogRecorder yes("save");
    m_window->ui()->actionUseSelectedAsDemo->trigger();
    EXPECT_EQ(yes.seen(), QStringList("[Demo System] " + question));
    EXPECT_EQ(boardPlaces(demo), nodeBoards);
    EXPECT_EQ(demo.childCount(), 1u);
    EXPECT_TRUE(findRow(*m_window->demoModel(), "Enclosure 0:   QORINet QN-N6").isValid());
    EXPECT_TRUE(m_window->demoEditor()->hasUnsavedChanges());
    EXPECT_NE(configuration(), configurationBefore);
    // The node stays shown and linked.
    EXPECT_TRUE(m_window->selectedNode().active());
    EXPECT_EQ(treeRow("Node Name"), "Node Name:   GuiBench");

    // Closing stops the shown node, and no thread outlives the window.
    std::shared_ptr<qorinet_api::QORINetClientNode> node = m_window->selectedNode().node();
    ASSERT_TRUE(node && node->isConnected());
    EXPECT_EQ(threadsNamed(NodeEventPump::kThreadName), 1);
    EXPECT_TRUE(m_window->close()); // "Yes" saves the new demo system
    EXPECT_FALSE(node->isConnected());
    node.reset();
    m_window.reset();
    EXPECT_EQ(threadsNamed(NodeEventPump::kThreadName), 0);
    QSettings written(m_site.settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(written.value("Options/NetIfName").toString() + " " + written.value("Options/NetMask").toString(),
              "None 255.255.255.0");
}

// A node that answers no request is not linked: nothing is asked, the window says why, and the
// demo system stays.
TEST_F(NetworkWindowTest, ANodeThatDoesNotAnswerLeavesTheDemoSystemAlone)
{
    startNodeAndWaitForItsEntry({"--fault", "never-answer"});
    selectNode();
    ASSERT_FALSE(m_window->selectedNode().active());
    const RootNode& demo = m_window->system()->demoRoot();
    const QStringList demoBefore = boardPlaces(demo);
    ASSERT_FALSE(demoBefore.isEmpty());

    z2e_test::DialogRecorder yes("save");
    m_window->ui()->actionUseSelectedAsDemo->trigger();
    EXPECT_EQ(yes.seen(), QStringList("[System] " + QString(DemoTexts::kNodeNotLinked).replace("\n", " ")));
    EXPECT_EQ(boardPlaces(demo), demoBefore);
    EXPECT_FALSE(m_window->demoEditor()->hasUnsavedChanges());
}

// ---- The pieces ----

// What the pump hands its sink, as "removed 5" and so on (written on the pump thread).
struct RecordingSink {
    NodeEventPump::Sink sink()
    {
        auto add = [this](const std::string& call) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_calls.push_back(call);
        };
        return {[add](NetworkNodeRecord record) { add("added " + std::to_string(record.nodeId)); },
                [add](std::uint32_t id) { add("removed " + std::to_string(id)); },
                [add](std::uint32_t id, std::uint32_t) { add("sync " + std::to_string(id)); }};
    }
    std::vector<std::string> calls() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls;
    }
    mutable std::mutex m_lock;
    std::vector<std::string> m_calls;
};

TEST(NodeEventPumpTest, ForwardsRemovalsSkipsWhatItCannotUseAndStopsOutOfItsWait)
{
    qorinet_api::QORINetClientConfig config;
    config.nodeKindMask = 0; // never started: a client without nodes
    qorinet_api::QORINetClient client(config);
    uni::EventQueue queue;
    RecordingSink recorded;
    NodeEventPump pump(queue, client, recorded.sink());
    ASSERT_EQ(pump.start(), 0);
    EXPECT_EQ(threadsNamed(NodeEventPump::kThreadName), 1);

    const std::uint32_t unknown = 9, removed = 5, tainted = 6;
    const std::uint16_t shortId = 5;
    queue.push(qorinet_api::EVENT_GOV_NODE_ADDED, &unknown, sizeof unknown);
    queue.push(qorinet_api::EVENT_GOV_NODE_SYNC_CHANGED, &unknown, sizeof unknown);
    queue.push(qorinet_api::EVENT_GOV_NODE_REMOVED, &shortId, sizeof shortId);
    queue.push(qorinet_api::EVENT_GOV_LOG_MSG, &removed, sizeof removed);
    queue.push(qorinet_api::EVENT_GOV_NODE_REMOVED, &removed, sizeof removed);
    queue.push(qorinet_api::EVENT_GOV_NODE_TAINTED, &tainted, sizeof tainted);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorded.calls().size() == 2; }, 5000));
    EXPECT_EQ(recorded.calls(), std::vector<std::string>({"removed 5", "removed 6"}));

    // The pump waits without a time-out: stop() must wake it.
    EXPECT_EQ(pump.stop(), 0);
    EXPECT_EQ(threadsNamed(NodeEventPump::kThreadName), 0);
}

// The discovery thread asks for its receive buffer while it sets up, before its loop runs: held
// there until the stop has been asked, its set-up comes after the stop (as on a loaded machine,
// where a window closed right after start-up never came back).
class DiscoveryLateToStart : public qorinet_api::QORINetClient {
public:
    using QORINetClient::QORINetClient;
    std::size_t getBufferSize() const override
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!stopping() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // The stop flag is set just after the stopping one.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return QORINetClient::getBufferSize();
    }
};

TEST(NetworkClientStopTest, StopBeforeTheDiscoveryLoopRunsStillEndsIt)
{
    qorinet_api::QORINetClientConfig config;
    config.basePort = z2e::test::freeClientBasePort();
    ASSERT_NE(config.basePort, 0u);
    config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
    const auto loopback = uni::ipv4::IpAddressPair::fromText("127.0.0.1", "255.0.0.0");
    ASSERT_TRUE(loopback);
    config.localAddresses.push_back(*loopback);
    auto client = std::make_unique<DiscoveryLateToStart>(config);
    ASSERT_EQ(client->startClient(), 0);

    auto stopped = std::make_shared<std::promise<void>>();
    std::future<void> done = stopped->get_future();
    std::thread stopper([raw = client.get(), stopped] {
        raw->stopClient();
        stopped->set_value();
    });
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // The stop was lost: the client's thread never ends, so it and its stopper stay behind.
        stopper.detach();
        client.release();
        FAIL() << "the client did not stop";
    }
    stopper.join();
}

TEST(NodeEventGateTest, EventsDuringNodeWorkRunAfterItInOrder)
{
    NodeEventGate gate;
    std::vector<int> order;
    gate.runClosed([&] {
        gate.whenIdle([&] { order.push_back(1); });
        // A deferred step that starts node work of its own: what arrives meanwhile queues up
        // behind the steps already waiting.
        gate.whenIdle([&] { gate.runClosed([&] { gate.whenIdle([&] { order.push_back(4); }); }); });
        gate.whenIdle([&] { order.push_back(3); });
        order.push_back(0);
    });
    EXPECT_EQ(order, std::vector<int>({0, 1, 3, 4}));
    EXPECT_FALSE(gate.closed());
    gate.whenIdle([&] { order.push_back(5); });
    EXPECT_EQ(order.back(), 5);
}

TEST(NetworkInterfaceChoiceTest, StoredInterfaceIsFoundByNameElseTheChoiceIsAutomatic)
{
    const auto list = NetworkInterfaceChoice::interfaceList(test::FixedInterfaces(
        {test::netInterface(1, "lo [Loopback]", {0, 0, 0, 0, 0, 0}, {{"127.0.0.1", "255.0.0.0"}}, true),
         test::netInterface(4, "lab0 [Ethernet]", {0x02, 0x10, 0x20, 0x30, 0x40, 0x50},
                            {{"127.1.0.5", "255.255.0.0"}, {"127.1.0.6", "255.255.0.0"}})}));
    ASSERT_EQ(list.size(), 1u); // the loopback has no hardware address
    EXPECT_EQ(z2e_test::optionsText(list.at(4)), "fixed -1 lab0 [Ethernet] 127.1.0.6/255.255.0.0");

    NetworkOptions stored;
    stored.interfaceName = "lab0 [Ethernet]";
    stored.address = "127.1.0.1";
    stored.mask = "255.255.255.0";
    EXPECT_EQ(z2e_test::optionsText(NetworkInterfaceChoice::restore(stored, list)),
              "fixed -1 lab0 [Ethernet] 127.1.0.6/255.255.0.0");

    stored.interfaceName = "LAB0 [Ethernet]";
    EXPECT_EQ(z2e_test::optionsText(NetworkInterfaceChoice::restore(stored, list)),
              "automatic -1 LAB0 [Ethernet] 127.1.0.1/255.255.255.0");
    // "Off" names no interface either: the next start looks on all of them again.
    stored.interfaceName = NetworkInterfaceChoice::kOff;
    EXPECT_EQ(z2e_test::optionsText(NetworkInterfaceChoice::restore(stored, list)),
              "automatic -1 Off 127.1.0.1/255.255.255.0");
}

TEST(NetworkInterfaceChoiceTest, ClientConfigurationFollowsTheOptions)
{
    using Config = qorinet_api::QORINetClientConfig;
    NetworkClientTuning tuning;
    tuning.basePort = 31000;
    tuning.scanIntervalMs = 300;
    const auto clientConfig = [](const NetworkOptions& options, const NetworkClientTuning& tuning) {
        return NetworkClientHost::clientConfig(NetworkInterfaceChoice::clientSettings(options, tuning));
    };
    NetworkOptions options;
    Config config = clientConfig(options, tuning);
    EXPECT_EQ(config.mode, Config::MODE_ALL_INTERFACES);
    EXPECT_EQ(config.basePort, 31000u);
    EXPECT_TRUE(config.localNodeMask == 0u && config.nodeKindMask != 0u);
    EXPECT_LT(config.scanWindowMs, config.scanIntervalMs);

    options.automaticInterface = false;
    options.address = "127.1.0.6";
    options.mask = "255.255.0.0";
    config = clientConfig(options, tuning);
    EXPECT_EQ(config.mode, Config::MODE_ADDRESS_LIST);
    ASSERT_EQ(config.localAddresses.size(), 1u);
    EXPECT_EQ(config.localAddresses[0].toString(), "127.1.0.6/255.255.0.0");

    options.address = "127.1.0";
    EXPECT_TRUE(clientConfig(options, tuning).localAddresses.empty());

    options.interfaceName = NetworkInterfaceChoice::kOff;
    options.interfaceIndex = -1;
    EXPECT_EQ(clientConfig(options, tuning).nodeKindMask, 0u);

    // The node addresses the operator added are asked by every client the window starts.
    const z2e::test::ScratchFolder documents;
    const z2e::test::EnvOverride folder("ZAMO2_COMMON_DOCUMENTS", documents.path());
    std::string said;
    ASSERT_EQ(RememberedNodes().add("127.1.0.9", said), RememberedNodes::Outcome::Added) << said;
    EXPECT_EQ(clientConfig(NetworkOptions(), tuning).directNodes, std::vector<std::string>{"127.1.0.9"});
}

struct NodeFaultCase {
    const char* fault;
    const char* words;
    const char* next; ///< the start of what to do
};

class NodeFaultWindowTest : public NetworkWindowTest, public ::testing::WithParamInterface<NodeFaultCase> {};

// Each way a node fails to answer is named in words in its rows and on the status bar with what
// to do, never as a version mismatch, and the window is usable again once the reading has ended.
TEST_P(NodeFaultWindowTest, TheFailureIsNamedInTheTreeAndOnTheStatusBar)
{
    startNodeAndWaitForItsEntry({"--fault", GetParam().fault});
    selectNode();
    QTreeView* tree = m_window->ui()->treeHardware;
    const QString failure = QString("Failure:   ") + GetParam().words;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return tree->model() && findRow(*tree->model(), failure).isValid(); }, kNodeWaitMs));
    EXPECT_FALSE(findRow(*tree->model(), "version mismatch").isValid());
    EXPECT_TRUE(m_window->statusBar()->currentMessage().startsWith(
        QString("Node %1 could not be read: %2; %3").arg(kNodeAddress, GetParam().words, GetParam().next)))
        << m_window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(m_window->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Faults, NodeFaultWindowTest,
                         ::testing::Values(NodeFaultCase{"never-answer", "no answer within 1 s (700008)",
                                                         "check that it is on and reachable"},
                                           NodeFaultCase{"wrong-digest", "answer damaged (digest mismatch) (700019)",
                                                         "restart its server (Restart Node (WR))"},
                                           NodeFaultCase{"close-mid-frame",
                                                         "answer cut short or malformed, connection closed (700015)",
                                                         "check its cable and address (Change Node IP)"}),
                         [](const ::testing::TestParamInfo<NodeFaultCase>& info) {
                             std::string name = info.param.fault;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace z2e
