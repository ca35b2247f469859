// Nodes the window hears but cannot reach as they are, and nodes it asks by address, against a
// node simulator on loopback: the marked entry, the free address "Change Node IP" offers (and
// the node taking it), and "Add Node by Address" finding a node that answers no broadcast.

#include "network_window_fixture.h"

#include "core/remembered_nodes.h"
#include "core/selected_network_node.h"

#include "gui/dialogs/network/dialog_settings.h"
#include "gui/dialogs/network/node_addresses_dialog.h"
#include "gui/dialogs/network/remote_settings_dialog.h"
#include "gui/window/network_node_controller.h"

namespace z2e {
namespace {

class NodeAddressesWindowTest : public NetworkWindowTest {
protected:
    bool waitForEntry(int role, const QString& text) const
    {
        return QTest::qWaitFor(
            [&] { return systems()->count() == 2 && systems()->item(1)->data(role).toString() == text; }, kNodeWaitMs);
    }

    /// Net Settings with "Manual Configuration" (offered while Shift is held): only `address`
    /// with `mask` is scanned.
    void scanOnly(const QString& address, const QString& mask)
    {
        z2e_test::DialogRecorder dialogs("save");
        dialogs.on<DialogSettings>([&](DialogSettings& dialog) {
            auto* box = dialog.findChild<QComboBox*>("cmbInterface");
            box->setCurrentIndex(box->findText("Manual Configuration"));
            dialog.findChild<QLineEdit*>("editAddress")->setText(address);
            dialog.findChild<QLineEdit*>("editMask")->setText(mask);
            dialog.accept();
        });
        QTest::keyPress(m_window->windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
        m_window->ui()->actionNetSettings->trigger();
        QTest::keyRelease(m_window->windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
    }
};

TEST_F(NodeAddressesWindowTest, ANodeOutsideTheScannedNetworkIsMarkedAndTakesTheOfferedAddress)
{
    startNodeAndWaitForItsEntry({"--netmask", "255.255.0.0"});
    scanOnly("127.0.1.1", "255.255.255.0");
    ASSERT_TRUE(waitForEntry(SystemListRole::Detail, "Inconsistent IP settings"));
    EXPECT_EQ(systems()->item(1)->data(SystemListRole::DetailColour).toInt(), static_cast<int>(Qt::red));
    EXPECT_TRUE(systems()->item(1)->toolTip().contains(
        "Inconsistent IP settings: node 127.0.0.9/16 is not in this computer's 127.0.1.0/24"))
        << systems()->item(1)->toolTip().toStdString();

    selectNode();
    ASSERT_TRUE(m_window->selectedNode().active());
    QString offered;
    z2e_test::DialogRecorder dialogs("save");
    dialogs.on<CRemoteSettingsDialog>([&](CRemoteSettingsDialog& dialog) {
        offered = dialog.findChild<QLineEdit*>("editAddress")->text() + " " +
                  dialog.findChild<QLineEdit*>("editMask")->text() + " " +
                  dialog.findChild<QComboBox*>("cmbMode")->currentText();
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    m_window->actionFor(MenuEntry::ChangeNodeIp)->trigger();
    EXPECT_EQ(offered, "127.0.1.2 255.255.255.0 Static");
    EXPECT_FALSE(dialogs.saw("Error Information")) << dialogs.seen().join("\n").toStdString();
    EXPECT_TRUE(waitForEntry(SystemListRole::ThirdLine, "IP:\t127.0.1.2"));
    EXPECT_TRUE(waitForEntry(SystemListRole::Detail, "QORINet QN-N6")) << "in reach now: no longer marked";
}

TEST_F(NodeAddressesWindowTest, ANodeThatAnswersNoBroadcastIsFoundOnceItsAddressIsAdded)
{
    ASSERT_TRUE(m_node.start(kNodeAddress, {"--name", "Hidden", "--fault", "no-broadcast"}, m_port)) << m_node.output();
    QTest::qWait(1000);
    ASSERT_EQ(systems()->count(), 1) << "broadcasts do not reach the node";

    QStringList said;
    QStringList listed;
    auto dialogs = std::make_unique<z2e_test::DialogRecorder>();
    dialogs->on<CNodeAddressesDialog>([&](CNodeAddressesDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>("editAddress");
        auto* status = dialog.findChild<QLabel*>("labelStatus");
        for (const char* address : {"0.0.0.0", kNodeAddress, kNodeAddress}) {
            edit->setText(address);
            QTest::mouseClick(dialog.findChild<QPushButton*>("btnAdd"), Qt::LeftButton);
            said << status->text();
        }
        auto* list = dialog.findChild<QListWidget*>("listAddresses");
        for (int row = 0; row < list->count(); ++row)
            listed << list->item(row)->text();
        dialog.accept();
    });
    m_window->ui()->actionAddNodeByAddress->trigger();
    ASSERT_EQ(said.size(), 3);
    EXPECT_TRUE(said[0].contains("0.0.0.0 names no node")) << said[0].toStdString();
    EXPECT_EQ(said[1], "127.0.0.9 remembered; it is asked at every scan");
    EXPECT_TRUE(said[2].contains("already remembered"));
    EXPECT_EQ(listed, QStringList{kNodeAddress});
    EXPECT_TRUE(waitForEntry(SystemListRole::Caption, "Hidden"));

    // A recorder of its own: the first one's script would take this dialog too.
    dialogs = std::make_unique<z2e_test::DialogRecorder>();
    dialogs->on<CNodeAddressesDialog>([&](CNodeAddressesDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>("listAddresses");
        list->setCurrentRow(0);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnRemove"), Qt::LeftButton);
        listed = QStringList{QString::number(list->count())};
        dialog.accept();
    });
    m_window->ui()->actionAddNodeByAddress->trigger();
    EXPECT_EQ(listed, QStringList{"0"});
    EXPECT_TRUE(RememberedNodes().addresses().empty());
    // Nobody asks the node any more: it drops out after its missed scans.
    EXPECT_TRUE(QTest::qWaitFor([this] { return systems()->count() == 1; }, kNodeWaitMs));
}

} // namespace
} // namespace z2e
