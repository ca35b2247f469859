// The Problems tab and the Maintenance menu of a started window on the example hardware.
#include "window_test_support.h"

#include "gui/window/maintenance_menu.h"
#include "tools/maintenance_journal.h"

#include <QTabWidget>
#include <QTreeWidget>

namespace z2e {
namespace {

using z2e_test::entries;
using z2e_test::findRow;

using ProblemsPanelTest = z2e_test::WindowTest;

TEST_F(ProblemsPanelTest, EveryProblemOnceAndADoubleClickShowsItsRow)
{
    auto* tabs = m_window->ui()->tabWidget;
    auto* panel = tabs->findChild<QWidget*>("problemsPanel");
    ASSERT_NE(panel, nullptr);
    tabs->setCurrentWidget(panel);
    auto* list = panel->findChild<QTreeWidget*>("problemList");
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(1) + " " + list->topLevelItem(i)->text(2);
    // What the tree shows red, one line per fault; the badge counts the same.
    EXPECT_EQ(rows, QStringList({"0/2  QA-4008.BNC 10A80001 firmware older than the release",
                                 "0/5  QN-6204-CAN 10A80004 EEPROM cannot be read",
                                 "1/2  QD-5064-ISO 10A80005 temperature high: BaseBoard 78.5degC (limit 70degC)",
                                 "1/3  QC-3104 10A80006 firmware newer than the release",
                                 "2/3  QN-6202-UART 10A80008 EEPROM cannot be read",
                                 "2/3  QN-6202-UART 10A80008 firmware older than the release"}));
    EXPECT_EQ(m_window->ui()->listSystems->item(0)->data(SystemListRole::Problems).toInt(), rows.size());

    emit list->itemDoubleClicked(list->topLevelItem(2), 0);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(m_window->ui()->treeHardware->currentIndex().data().toString(),
              "BaseBoard:   78.5degC  [WARNING: Temperature high.]");

    // A failed self test the journal keeps is a problem too: in the list and in the badge.
    JournalEntry failed;
    failed.board = 1;
    failed.slot = 3;
    failed.model = "QA-4116-STRAIN";
    failed.serial = "10A80002";
    failed.operation = "selftest";
    failed.statusText = " FAILED!!";
    ASSERT_TRUE(MaintenanceJournal(MaintenanceJournal::defaultFolder(), "local").append(failed));
    QAction* refresh = nullptr;
    for (QAction* action : m_window->findChildren<QAction*>())
        refresh = action->text() == "&Refresh" ? action : refresh;
    ASSERT_NE(refresh, nullptr);
    refresh->trigger();
    QListWidgetItem* local = m_window->ui()->listSystems->item(0);
    EXPECT_TRUE(QTest::qWaitFor([local] { return local->data(SystemListRole::Problems).toInt() == 7; }, 10000))
        << local->data(SystemListRole::Problems).toInt();
    tabs->setCurrentWidget(panel);
    EXPECT_EQ(list->topLevelItemCount(), 7);
}

// Every tool stands in the menu; what does not fit the chosen row is disabled, with a hint.
TEST_F(ProblemsPanelTest, TheMaintenanceMenuFollowsTheChosenRow)
{
    QMenu* menu = m_window->maintenanceMenu()->menu();
    m_window->maintenanceMenu()->fill();
    EXPECT_EQ(entries(menu).mid(0, 3),
              QStringList({"Self Test(off)", "Firmware Update(off)", "Board Configuration(off)"}));
    EXPECT_EQ(menu->actions().front()->toolTip(), "Select a board or an enclosure in the tree.");

    QTreeView* tree = m_window->ui()->treeHardware;
    tree->setCurrentIndex(findRow(*tree->model(), "Slot 2:   QA-4008.BNC"));
    m_window->maintenanceMenu()->fill();
    EXPECT_EQ(entries(menu).mid(0, 3), QStringList({"Self Test", "Firmware Update", "Board Configuration"}));
    EXPECT_TRUE(entries(menu).contains("Create Support Package\u2026"));

    // Chosen from the menu, a tool acts on the chosen row: the self test of an enclosure.
    tree->setCurrentIndex(findRow(*tree->model(), "Enclosure 0:"));
    m_window->maintenanceMenu()->fill();
    QString opened;
    z2e_test::actOnDialogWhile<QDialog>(
        [menu] { menu->actions().front()->trigger(); },
        [&opened](QDialog& dialog) {
            opened =
                QString("%1 %2").arg(dialog.windowTitle()).arg(dialog.findChild<QTreeView*>()->model()->rowCount());
            dialog.reject();
        });
    EXPECT_EQ(opened, "Hardware Tools 8"); // an enclosure's self test takes every board of the system
}

} // namespace
} // namespace z2e
