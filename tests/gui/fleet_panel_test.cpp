// The Fleet tab of a started window: every board once with its calibration coloured, filter,
// numeric sort, export of the rows shown, the calibration interval, and a network node read on
// a link of its own beside the one the window holds.
#include "model_tester_guard.h"
#include "network_window_fixture.h"
#include "window_test_support.h"

#include "gui/models/fleet_model.h"
#include "gui/window/fleet_panel.h"
#include "support/site.h"
#include "gui/window/window_settings.h"
#include "tools/maintenance_journal.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSortFilterProxyModel>
#include <QTabWidget>

#include <fstream>
#include <sstream>

namespace z2e {
namespace {

FleetPanel* fleetOf(MainWindow& window)
{
    auto* tabs = window.ui()->tabWidget;
    auto* panel = tabs->findChild<FleetPanel*>("fleetPanel");
    if (panel)
        tabs->setCurrentWidget(panel);
    return panel;
}

QStringList column(const QAbstractItemModel& model, int column)
{
    QStringList cells;
    for (int row = 0; row < model.rowCount(); ++row)
        cells << model.index(row, column).data().toString();
    return cells;
}

QModelIndex rowOf(const QAbstractItemModel& model, const QString& serial)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, FleetTable::Serial).data().toString() == serial)
            return model.index(row, 0);
    }
    return {};
}

std::string contentOf(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

using FleetPanelTest = z2e_test::WindowTest;

TEST_F(FleetPanelTest, EveryBoardOnceFilteredSortedExportedAndDueByTheInterval)
{
    FleetPanel* panel = fleetOf(*m_window);
    ASSERT_NE(panel, nullptr);
    ModelTesterGuard guard;
    QAbstractItemModelTester tester(panel->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    panel->readFleet();
    EXPECT_TRUE(guard.warnings().isEmpty()) << guard.report();
    const QSortFilterProxyModel& shown = *panel->shown();
    ASSERT_EQ(shown.rowCount(), 8);
    EXPECT_EQ(column(shown, FleetTable::Serial).join(' '),
              "10A80001 10A80002 10A80003 10A80004 10A80005 10A80006 10A80007 10A80008");
    EXPECT_TRUE(panel->summary().startsWith("8 boards on 1 systems; calibration overdue on 7"))
        << panel->summary().toStdString();

    // Overdue is red where the calibration is shown; firmware older than the release amber, newer blue.
    const QModelIndex first = rowOf(shown, "10A80001");
    const auto colour = [&](const QModelIndex& row, int at) {
        return shown.index(row.row(), at).data(Qt::BackgroundRole).value<QBrush>().color().name();
    };
    EXPECT_EQ(colour(first, FleetTable::Due), "#f6c6c6");
    EXPECT_EQ(colour(first, FleetTable::Firmware), "#fbe3b0");
    EXPECT_EQ(colour(rowOf(shown, "10A80006"), FleetTable::Firmware), "#cfe2f8");
    EXPECT_EQ(colour(rowOf(shown, "10A80003"), FleetTable::Firmware), "#000000");

    // Temperatures sort as numbers: 78.5 above 35.0, however the texts would sort.
    panel->table()->sortByColumn(FleetTable::BaseTemperature, Qt::DescendingOrder);
    EXPECT_EQ(shown.index(0, FleetTable::Serial).data().toString(), "10A80005");

    panel->filter()->setText("qn-62");
    EXPECT_EQ(column(shown, FleetTable::Model), QStringList({"QN-6204-CAN", "QN-6202-UART"}));
    EXPECT_TRUE(panel->summary().contains("; 2 shown")) << panel->summary().toStdString();

    test::ScratchFolder folder("z2e-fleet-export");
    QString error;
    ASSERT_TRUE(panel->exportShown(QString::fromStdString(folder / "shown.csv"), error)) << error.toStdString();
    const std::string csv = contentOf(folder / "shown.csv");
    EXPECT_NE(csv.find("\r\nlocal,,0/5,QN-6204-CAN,10A80004,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("QA-4008"), std::string::npos) << csv;
    EXPECT_FALSE(panel->exportShown(QString::fromStdString(folder.path()), error));
    EXPECT_FALSE(error.isEmpty());

    // Ten years between calibrations, as the operator sets it: the same dates are current now,
    // and the choice is kept for the next start.
    panel->filter()->clear();
    panel->findChild<QSpinBox*>()->setValue(120);
    EXPECT_EQ(QSettings(WindowSettings::kOrganisation, WindowSettings::kApplication)
                  .value("fleet/calibrationIntervalMonths")
                  .toInt(),
              120);
    EXPECT_EQ(shown.index(0, FleetTable::CalibrationState).data().toString(), "current");
    EXPECT_TRUE(panel->summary().contains("overdue on 0")) << panel->summary().toStdString();

    // A node that stopped answering is named with why, and what it gave stays.
    FleetBoard cool;
    cool.system = "Quiet";
    cool.baseTemperature = "9.5";
    FleetBoard warm = cool;
    warm.baseTemperature = "10.0";
    FleetBoard cold = cool;
    cold.baseTemperature = "-3.0";
    panel->addSystem("Quiet", "127.0.0.62", 700008, {cool, warm, cold});
    EXPECT_TRUE(panel->summary().contains("11 boards on 2 systems")) << panel->summary().toStdString();
    EXPECT_TRUE(panel->summary().endsWith("Not read completely: Quiet (127.0.0.62): no answer within 1 s (700008)."))
        << panel->summary().toStdString();
    panel->filter()->setText("Quiet");
    panel->table()->sortByColumn(FleetTable::BaseTemperature, Qt::AscendingOrder);
    EXPECT_EQ(column(shown, FleetTable::BaseTemperature), QStringList({"-3.0", "9.5", "10.0"}));
    EXPECT_TRUE(guard.warnings().isEmpty()) << guard.report();
}

// A tool on the chosen boards: one outcome each in its row, a journal line each, the rest untouched.
TEST_F(FleetPanelTest, ATestOnTheSelectedBoardsGivesEachItsOutcomeAndJournalLine)
{
    FleetPanel* panel = fleetOf(*m_window);
    ASSERT_NE(panel, nullptr);
    panel->readFleet();
    const QSortFilterProxyModel& shown = *panel->shown();
    QItemSelectionModel& selection = *panel->table()->selectionModel();
    for (const char* serial : {"10A80001", "10A80002", "10A80003"})
        selection.select(rowOf(shown, serial), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    panel->runAction(FleetTool::SelfTest);

    const auto action = [&](const char* serial) {
        return shown.index(rowOf(shown, serial).row(), FleetModel::kActionColumn).data().toString();
    };
    EXPECT_EQ(action("10A80001"), "PASSED");
    EXPECT_EQ(action("10A80003"), "PASSED");
    EXPECT_TRUE(action("10A80002").contains("FAILED")) << action("10A80002").toStdString();
    EXPECT_EQ(shown.index(rowOf(shown, "10A80002").row(), FleetModel::kActionColumn)
                  .data(Qt::BackgroundRole)
                  .value<QBrush>()
                  .color()
                  .name(),
              "#f6c6c6");
    EXPECT_EQ(action("10A80004"), "");
    EXPECT_EQ(panel->actionSummary(), "selftest on 1 systems: 2 boards succeeded, 1 failed or not done.");
    const MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), "local");
    for (const char* serial : {"10A80001", "10A80002", "10A80003"})
        EXPECT_EQ(journal.history(serial).size(), 1u) << serial;
    EXPECT_TRUE(journal.history("10A80004").empty());

    // A firmware update follows the window's snapshot setting: switched off, no EEPROM is saved.
    QSettings(WindowSettings::kOrganisation, WindowSettings::kApplication)
        .setValue("ApplicationSettings/MaintenanceSnapshots", false);
    selection.clearSelection();
    selection.select(rowOf(shown, "10A80001"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    panel->runAction(FleetTool::FirmwareUpdate);
    EXPECT_TRUE(action("10A80001").contains("0254")) << action("10A80001").toStdString();
    const std::vector<std::string> updated = journal.history("10A80001");
    ASSERT_EQ(updated.size(), 2u);
    EXPECT_TRUE(journal.snapshotFiles(updated.back()).empty()) << updated.back();

    // A board the table saw here that is no longer here is left undone, and said so.
    FleetBoard gone;
    gone.system = "local";
    gone.serial = "DEADBEEF";
    panel->addSystem("local", "", 0, {gone});
    selection.clearSelection();
    selection.select(rowOf(shown, "DEADBEEF"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    panel->runAction(FleetTool::FirmwareCheck);
    EXPECT_EQ(action("DEADBEEF"), "not done");
    EXPECT_EQ(panel->actionSummary(), "firmware check on 1 systems: 0 boards succeeded, 1 failed or not done; this "
                                      "computer: no longer holds DEADBEEF; read the fleet again.");
}

using FleetPanelNodeTest = NetworkWindowTest;

// The fleet's link to a node is its own: the node the window shows stays readable after it.
TEST_F(FleetPanelNodeTest, ANodeIsReadBesideTheWindowsOwnLink)
{
    ASSERT_NO_FATAL_FAILURE(startNodeAndWaitForItsEntry());
    selectNode();
    ASSERT_TRUE(QTest::qWaitFor([&] { return treeRow("Node Name:").contains("GuiBench"); }, kNodeWaitMs));

    FleetPanel* panel = fleetOf(*m_window);
    ASSERT_NE(panel, nullptr);
    panel->readFleet();
    const QSortFilterProxyModel& shown = *panel->shown();
    QStringList systems = column(shown, FleetTable::System);
    EXPECT_EQ(systems.count("GuiBench"), 4) << systems.join(',').toStdString();
    EXPECT_EQ(column(shown, FleetTable::Address).count(kNodeAddress), 4);

    // A firmware check on every row shown: the node's boards each get theirs.
    panel->filter()->setText("GuiBench");
    panel->runAction(FleetTool::FirmwareCheck);
    const QStringList actions = column(shown, FleetModel::kActionColumn);
    EXPECT_EQ(actions.size(), 4);
    EXPECT_EQ(actions.count(QString()), 0) << actions.join(',').toStdString();
    EXPECT_TRUE(panel->actionSummary().startsWith("firmware check on 1 systems: 4 boards succeeded"))
        << panel->actionSummary().toStdString();

    showTabsAgain();
    selectNode();
    EXPECT_TRUE(QTest::qWaitFor([&] { return treeRow("Node Name:").contains("GuiBench"); }, kNodeWaitMs));
    EXPECT_FALSE(treeRow("Failure").contains("700")) << treeRow("Failure").toStdString();
}

// With a site register, Read Site lists what every computer recorded, marked by computer, and
// offers no tool on those rows (they would reach this computer's boards); a register that cannot
// be reached says so, and Read Fleet brings back this computer's own.
TEST(FleetPanelSiteTest, TheSitesBoardsAreMarkedByComputerAndOfferNoTool)
{
    FleetPanel::Host host;
    FleetPanel without(host, nullptr);
    QPushButton* readSiteWithout = nullptr;
    for (QPushButton* button : without.findChildren<QPushButton*>())
        readSiteWithout = button->text() == "Read Site" ? button : readSiteWithout;
    ASSERT_NE(readSiteWithout, nullptr);
    EXPECT_TRUE(readSiteWithout->isHidden());

    SiteFleetRead answer;
    answer.site = "db.example:5432/site";
    answer.computers = 2;
    FleetBoard bay2;
    bay2.system = "bay2: local";
    bay2.serial = "10A80001";
    bay2.calibrationDate = "2020-01-01";
    FleetBoard bay5 = bay2;
    bay5.system = "bay5: Bench-North";
    bay5.serial = "10A80002";
    answer.boards = {bay2, bay5};
    host.site = [&answer] { return answer; };
    host.systems = [] { return FleetCollection::Systems(); };
    FleetPanel panel(host, nullptr);
    QPushButton* run = nullptr;
    for (QPushButton* button : panel.findChildren<QPushButton*>())
        run = button->text() == "Run on Selected" ? button : run;
    ASSERT_NE(run, nullptr);

    panel.readSite();
    EXPECT_EQ(column(*panel.shown(), FleetTable::System), QStringList({"bay2: local", "bay5: Bench-North"}));
    EXPECT_TRUE(panel.summary().startsWith(
        "2 boards known to the site register db.example:5432/site, recorded by 2 computers; calibration overdue on 2"))
        << panel.summary().toStdString();
    EXPECT_FALSE(run->isEnabled());

    answer = SiteFleetRead();
    answer.site = "db.example:5432/site";
    answer.error = "cannot reach the site register db.example:5432/site: connection refused";
    panel.readSite();
    EXPECT_EQ(panel.shown()->rowCount(), 0);
    EXPECT_TRUE(panel.summary().contains("connection refused")) << panel.summary().toStdString();

    panel.readFleet();
    EXPECT_TRUE(run->isEnabled());
    EXPECT_TRUE(panel.summary().startsWith("0 boards on 0 systems")) << panel.summary().toStdString();
}

} // namespace
} // namespace z2e
