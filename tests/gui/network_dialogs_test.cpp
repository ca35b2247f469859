// The network dialogs on their own: the interface items and selection rules of "Net Settings",
// the codes of "Node Options", and the name rules of the rename dialog.

#include "window_test_support.h"

#include "gui/dialogs/network/dialog_settings.h"
#include "gui/dialogs/network/net_actions_dialog.h"
#include "gui/dialogs/network/node_name_dialog.h"
#include "gui/window/network_interface_choice.h"
#include "ui_dialog_settings.h"
#include "ui_net_actions_dialog.h"
#include "ui_node_name_dialog.h"

#include "support/fixed_interfaces.h"

namespace z2e {
namespace {

using z2e_test::optionsText;

// Tests run within 127.0.0.0/8: the 10.x interface is outside the allowed networks.
uni::NetInterfaceList someInterfaces()
{
    using test::netInterface;
    const std::vector<std::uint8_t> mac = {0x02, 0, 0, 0, 0, 0x11};
    return {netInterface(3, "eth3 [Ethernet]", mac, {{"127.0.5.1", "255.255.0.0"}, {"127.0.6.1", "255.255.255.0"}}),
            netInterface(1, "lo [Loopback]", {0, 0, 0, 0, 0, 0}, {{"127.0.0.1", "255.0.0.0"}}),
            netInterface(2, "eth2 [Ethernet]", mac, {{"127.0.7.1", "255.255.255.0"}}),
            netInterface(4, "wlan0 [IPv6 only]", mac, {}),
            netInterface(5, "eth5 [Ethernet]", mac, {{"10.1.2.3", "255.255.255.0"}})};
}

QStringList itemTexts(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

NetworkOptions fixed(const QString& name, const QString& address, const QString& mask)
{
    NetworkOptions options;
    options.automaticInterface = false;
    options.interfaceName = name;
    options.address = address;
    options.mask = mask;
    return options;
}

class NetSettingsDialogTest : public ::testing::Test {
protected:
    QComboBox& box() { return *m_dialog.findChild<QComboBox*>("cmbInterface"); }
    QLineEdit& address() { return *m_dialog.findChild<QLineEdit*>("editAddress"); }
    QLineEdit& mask() { return *m_dialog.findChild<QLineEdit*>("editMask"); }

    test::FixedInterfaces m_interfaces{someInterfaces()};
    DialogSettings m_dialog{m_interfaces, false};
};

TEST_F(NetSettingsDialogTest, ItemsInOrderWithoutZeroHardwareIpv6OnlyOrForeignInterfaces)
{
    // The last address of an interface wins; interfaces come in index order.
    m_dialog.fill(fixed("eth2 [Ethernet]", "127.0.7.1", "255.255.255.0"), false);
    EXPECT_EQ(itemTexts(box()),
              QStringList({"AUTO", "127.0.7.1 (eth2 [Ethernet])", "127.0.6.1 (eth3 [Ethernet])", "Off"}));
    m_dialog.fill(fixed("eth2 [Ethernet]", "127.0.7.1", "255.255.255.0"), true);
    EXPECT_EQ(box().itemText(4), "Manual Configuration");
    EXPECT_EQ(box().itemData(0).toString(), "Automatic");
    EXPECT_EQ(box().itemData(3).toString(), "No Network");
}

TEST_F(NetSettingsDialogTest, SelectionFollowsTheGivenRecordAndOnlyManualEdits)
{
    m_dialog.fill(fixed("eth3 [Ethernet]", "127.0.6.1", "255.255.255.0"), true);
    EXPECT_EQ(box().currentIndex(), 2);
    EXPECT_FALSE(address().isEnabled());
    EXPECT_EQ(optionsText(m_dialog.result()), "fixed -1 eth3 [Ethernet] 127.0.6.1/255.255.255.0");

    // The address matches, the mask does not: no interface item is it.
    m_dialog.fill(fixed("eth3 [Ethernet]", "127.0.6.1", "255.255.0.0"), false);
    EXPECT_EQ(box().currentIndex(), 0);
    m_dialog.fill(fixed("eth3 [Ethernet]", "127.0.6.1", "255.255.0.0"), true);
    EXPECT_TRUE(m_dialog.manualChosen());
    EXPECT_TRUE(address().isEnabled());
    address().setText("127.0.9.9");
    mask().setText("255.255.255.255");
    EXPECT_EQ(optionsText(m_dialog.result()), "fixed -1 eth3 [Ethernet] 127.0.9.9/255.255.255.255");

    box().setCurrentIndex(1);
    EXPECT_EQ(address().text(), "127.0.7.1");
    EXPECT_FALSE(mask().isEnabled());
}

TEST_F(NetSettingsDialogTest, OffAndAutomaticRecordsAndAStaleNameComesBackAutomatic)
{
    m_dialog.fill(fixed("eth2 [Ethernet]", "127.0.7.1", "255.255.255.0"), false);
    box().setCurrentIndex(box().findText("Off"));
    const NetworkOptions off = m_dialog.result();
    EXPECT_EQ(optionsText(off), "fixed -1 Off /");
    m_dialog.fill(off, false);
    EXPECT_EQ(box().currentText(), "Off");

    box().setCurrentIndex(0);
    EXPECT_EQ(optionsText(m_dialog.result()), "automatic -1  /");

    // After a restart "Off" (or a vanished interface) names no interface: automatic again.
    const NetworkOptions restored = NetworkInterfaceChoice::restore(
        fixed("eth9 [Gone]", "127.0.9.1", "255.255.255.0"), NetworkInterfaceChoice::interfaceList(m_interfaces));
    EXPECT_EQ(optionsText(restored), "automatic -1 eth9 [Gone] 127.0.9.1/255.255.255.0");
    m_dialog.fill(restored, true);
    EXPECT_EQ(box().currentText(), "AUTO");
}

TEST(NetActionsDialogTest, EachButtonClosesWithItsCodeAndUpdateDoesNothing)
{
    const std::pair<const char*, int> buttons[] = {
        {"btnChangeIp", 4}, {"btnRename", 1}, {"btnReboot", 2}, {"btnRestart", 3}, {"btnCancel", 0}};
    for (const auto& [name, code] : buttons) {
        CNetActionsDialog dialog;
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible()) << name;
        EXPECT_EQ(dialog.code(), code) << name;
    }
    CNetActionsDialog dialog;
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnUpdate"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(NodeNameDialogTest, AsksThenRefusesNamesTheNodeMustNotGet)
{
    z2e_test::DialogRecorder answers("save"); // yes to the question
    NodeNameDialog dialog("Bench-North");
    dialog.show();
    auto* edit = dialog.findChild<QLineEdit*>("editName");

    dialog.accept(); // unchanged: no question
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.changed());
    EXPECT_TRUE(answers.seen().isEmpty());

    dialog.show();
    for (const QString& bad : {QString("Bench-North-1234567"), QString("Bench\tNorth")}) {
        edit->setText(bad);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << bad.toStdString();
    }
    EXPECT_TRUE(answers.saw("[Close Information] Rename Net Node?"));
    EXPECT_TRUE(answers.saw("[Close Information] Node name too long.  Max. 18 characters allowed."));
    EXPECT_TRUE(answers.saw("may not hold control characters"));

    // Eighteen characters of any language: 22 bytes here.
    edit->setText(QString::fromUtf8("B\xc3\xa4nch-N\xc3\xb6rd-\xc3\xbc\xc3\x9f-1234"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.changed());
    EXPECT_EQ(dialog.name(), QString::fromUtf8("B\xc3\xa4nch-N\xc3\xb6rd-\xc3\xbc\xc3\x9f-1234"));
}

TEST(NodeNameDialogTest, NoToTheQuestionKeepsTheDialogOpen)
{
    z2e_test::DialogRecorder answers("cancel");
    NodeNameDialog dialog("Bench-North");
    dialog.show();
    dialog.findChild<QLineEdit*>("editName")->setText("Bench-East");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.name(), "Bench-North");
}

} // namespace
} // namespace z2e
