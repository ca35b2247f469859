// The node actions from the window against a node simulator on loopback: the list-of-systems
// menu, the IP configuration as it goes over the wire (the simulator logs what it received),
// values refused before sending, rename from the tree, a server restart, and "Net Settings".

#include "network_window_fixture.h"

#include "core/selected_network_node.h"
#include "qorinet_api/client/qorinet_client_node.h"

#include "gui/dialogs/network/dialog_settings.h"
#include "gui/dialogs/network/node_name_dialog.h"
#include "gui/dialogs/network/remote_settings_dialog.h"
#include "gui/window/network_node_controller.h"

namespace z2e {
namespace {

using z2e_test::findRow;

// What the simulator logged about IP configurations it received.
QStringList ipConfigurationsIn(const std::string& log)
{
    return z2e_test::SimulatedSite::read(QString::fromStdString(log)).split('\n').filter("IP configuration mode");
}

void clickOk(CRemoteSettingsDialog& dialog)
{
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
}

class NodeActionsWindowTest : public NetworkWindowTest {
protected:
    void startAndSelect()
    {
        startNodeAndWaitForItsEntry({"--log", m_log});
        selectNode();
        ASSERT_TRUE(m_window->selectedNode().active());
    }

    /// Waits until the node's entry, the only one, shows `text` in `role`.
    bool waitForEntry(int role, const QString& text) const
    {
        return QTest::qWaitFor(
            [&] { return systems()->count() == 2 && systems()->item(1)->data(role).toString() == text; }, kNodeWaitMs);
    }

    /// "Change Node IP" with `script` driving its dialog; the message dialogs that came up.
    QStringList changeIp(const std::function<void(CRemoteSettingsDialog&)>& script)
    {
        z2e_test::DialogRecorder dialogs("save");
        dialogs.on<CRemoteSettingsDialog>(script);
        m_window->actionFor(MenuEntry::ChangeNodeIp)->trigger();
        return dialogs.seen();
    }

    /// The maintenance commands the simulator received, as it logged them ("0x11aa").
    QStringList maintenanceCommands() const
    {
        QStringList commands;
        for (const QString& line : z2e_test::SimulatedSite::read(QString::fromStdString(m_log)).split('\n')) {
            const int at = line.indexOf("maintenance command ");
            if (at >= 0)
                commands << line.mid(at + 20).section(' ', 0, 0);
        }
        return commands;
    }

    static constexpr const char* kRestartCommand = "0x11aa";
    static constexpr const char* kRebootCommand = "0x12aa";

    z2e::test::ScratchFolder m_folder;
    std::string m_log = m_folder / "node.log";
};

TEST_F(NodeActionsWindowTest, IpConfigurationIsCheckedThenSentAsTheModeWordAndTheNodeMoves)
{
    startAndSelect();
    EXPECT_FALSE(m_window->networkNodes().systemsMenuFor(0));
    EXPECT_EQ(
        z2e_test::entries(m_window->networkNodes().systemsMenuFor(1).get()),
        QStringList({"Change Node IP", "Restart Node (WR)", "Reboot Node (CR)", "Rename Node", "Update Node(off)"}));
    EXPECT_EQ(treeRow("IP Mode"), "IP Mode:   Static");

    QStringList hints;
    bool stayedOpen = true;
    QStringList seen = changeIp([&](CRemoteSettingsDialog& dialog) {
        EXPECT_EQ(dialog.initialSettings().address, kNodeAddress);
        auto* address = dialog.findChild<QLineEdit*>("editAddress");
        dialog.findChild<QLineEdit*>("editMask")->setText("255.255.255.255");
        for (const char* bad : {"256.1.1.1", "1.2.3", "fe80::1"}) {
            address->setText(bad);
            clickOk(dialog);
            hints << dialog.findChild<QLabel*>("labelStatus")->text();
            stayedOpen = stayedOpen && dialog.isVisible();
        }
        dialog.findChild<QComboBox*>("cmbMode")->setCurrentText("DHCP");
        dialog.findChild<QComboBox*>("cmbVersion")->setCurrentText("IPv6");
        clickOk(dialog);
    });
    EXPECT_TRUE(stayedOpen);
    const QString hint = "<font color='red', style='bold'>-> Please check the IP Address!!</font>";
    EXPECT_EQ(hints, QStringList({hint, hint, hint}));
    EXPECT_TRUE(seen.contains("[Close Information] Change Net Node IP?")) << seen.join("\n").toStdString();
    // The simulator has no IPv6: it refuses, and the window says so.
    EXPECT_FALSE(seen.filter("[Error Information] Net Node IP Settings Failed.  [").isEmpty());
    QStringList sent = ipConfigurationsIn(m_log);
    ASSERT_EQ(sent.size(), 1) << sent.join("\n").toStdString();
    EXPECT_TRUE(sent[0].contains("mode 4454 ")) << sent[0].toStdString();

    // The window has read the node again, and a scan has named it as the node's holder: only a
    // free node takes a new configuration, so the window must let go of it first.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] {
            const auto node = m_window->selectedNode().node();
            return node && node->scanState() == qorinet_api::QORINetClientNode::kScanHeld;
        },
        kNodeWaitMs));
    changeIp([](CRemoteSettingsDialog& dialog) {
        dialog.findChild<QLineEdit*>("editAddress")->setText("127.0.0.19");
        clickOk(dialog);
    });
    sent = ipConfigurationsIn(m_log);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[1].contains("mode 0 address \"127.0.0.19\" netmask \"255.0.0.0\"")) << sent[1].toStdString();
    // The window lets go of the node and finds it again at its new address.
    EXPECT_FALSE(m_window->selectedNode().valid());
    EXPECT_TRUE(waitForEntry(SystemListRole::ThirdLine, "IP:\t127.0.0.19"));
}

TEST_F(NodeActionsWindowTest, RenameFromTheTreeRestartAndNetSettings)
{
    startAndSelect();
    z2e_test::DialogRecorder dialogs("save");
    bool refused = false;
    dialogs.on<NodeNameDialog>([&](NodeNameDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>("editName");
        edit->setText("Bench-East-12345678"); // 19
        dialog.accept();
        refused = dialog.isVisible();
        edit->setText("Bench-East");
        dialog.accept();
    });
    QTreeView* tree = m_window->ui()->treeHardware;
    const QModelIndex nameRow = findRow(*tree->model(), "Node Name");
    ASSERT_TRUE(nameRow.isValid());
    emit tree->doubleClicked(nameRow);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(dialogs.saw("Node name too long."));
    EXPECT_EQ(systems()->item(1)->data(SystemListRole::Caption).toString(), "Bench-East");
    EXPECT_EQ(treeRow("Node Name"), "Node Name:   Bench-East");

    m_window->actionFor(MenuEntry::RestartNode)->trigger();
    EXPECT_TRUE(dialogs.saw("[Net Node] Restart Remote Server?"));
    EXPECT_FALSE(dialogs.saw("Error Information"));
    EXPECT_EQ(maintenanceCommands(), QStringList({kRestartCommand}));
    EXPECT_FALSE(m_window->selectedNode().valid());
    // The new client asks the node again, which kept its new name through the restart.
    EXPECT_TRUE(waitForEntry(SystemListRole::Caption, "Bench-East"));

    // "Off": no network nodes, the four keys written at once.
    QString choice = "Off";
    dialogs.on<DialogSettings>([&choice](DialogSettings& dialog) {
        auto* box = dialog.findChild<QComboBox*>("cmbInterface");
        box->setCurrentIndex(box->findText(choice));
        dialog.accept();
    });
    m_window->ui()->actionNetSettings->trigger();
    EXPECT_EQ(systems()->count(), 1);
    QSettings written(m_site.settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(written.value("Options/NetIfName").toString() + written.value("Options/NetIfIndex").toString(), "Off-1");
    QTest::qWait(1000);
    EXPECT_EQ(systems()->count(), 1);

    choice = "AUTO";
    m_window->ui()->actionNetSettings->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return systems()->count() == 2; }, kNodeWaitMs));
}

// Reboot and server restart both end the node's sessions: only the command the node
// received tells them apart.
TEST_F(NodeActionsWindowTest, RebootSendsTheRebootCommand)
{
    startAndSelect();
    z2e_test::DialogRecorder dialogs("save");
    m_window->actionFor(MenuEntry::RebootNode)->trigger();
    EXPECT_TRUE(dialogs.saw("[Net Node] Restart Remote System?"));
    EXPECT_FALSE(dialogs.saw("Restart Remote Server?"));
    EXPECT_FALSE(dialogs.saw("Error Information"));
    EXPECT_EQ(maintenanceCommands(), QStringList({kRebootCommand}));
}

} // namespace
} // namespace z2e
