#pragma once
// A main window on a free client base port, and a node simulator on loopback that it finds.

#include "support/node_sim.h"
#include "window_test_support.h"

#include <vector>

namespace z2e {

inline const char* const kNodeAddress = "127.0.0.9";
constexpr int kNodeWaitMs = 15000;

class NetworkWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Free on the node's own address too, where the simulator listens.
        m_port = z2e::test::freeClientBasePort({"127.0.0.1", kNodeAddress});
        ASSERT_NE(m_port, 0);
        MainWindowOptions options;
        options.crashReporting = false;
        options.quitOnClose = false;
        options.network.basePort = m_port;
        options.network.scanIntervalMs = 300;
        QApplication::setQuitOnLastWindowClosed(false);
        m_window = std::make_unique<MainWindow>(options);
        m_window->show();
        ASSERT_TRUE(m_window->init());
    }

    QListWidget* systems() const { return m_window->ui()->listSystems; }

    /// A node simulator started with `options`; waits until its entry shows `detail`.
    void startNode(const std::vector<std::string>& options, const QString& detail)
    {
        ASSERT_TRUE(m_node.start(kNodeAddress, options, m_port)) << m_node.output();
        // Announced first (a communication problem until it answers a scan), then answering:
        // both events land on the one entry.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return systems()->count() == 2 && systems()->item(1)->data(SystemListRole::Detail) == detail; },
            kNodeWaitMs));
    }

    void startNodeAndWaitForItsEntry(std::vector<std::string> extra = {})
    {
        extra.insert(extra.begin(), {"--name", "GuiBench"});
        startNode(extra, "QORINet QN-N6");
    }

    /// A node simulator on `hardware` (a QE-R16 with a hot board), shown in the tree.
    void startHotNodeAndShowIt(const z2e_test::HotBoardHardware& hardware)
    {
        ASSERT_NO_FATAL_FAILURE(startNode({"--hardware", hardware.path()}, "QE-R16"));
        selectNode();
    }

    /// Clicks the entry in `row` of the list of systems (the first node's by default).
    void selectNode(int row = 1)
    {
        systems()->setCurrentRow(row);
        QTest::mouseClick(systems()->viewport(), Qt::LeftButton, {},
                          systems()->visualItemRect(systems()->item(row)).center());
    }

    /// The text of the first row of the shown tree that starts with `start`.
    QString treeRow(const QString& start) const
    {
        const QAbstractItemModel& tree = *m_window->ui()->treeHardware->model();
        return tree.data(z2e_test::findRow(tree, start)).toString();
    }

    void showTabsAgain()
    {
        m_window->ui()->tabWidget->setCurrentIndex(1);
        m_window->ui()->tabWidget->setCurrentIndex(0);
    }

    z2e_test::SimulatedSite m_site;
    z2e::test::NodeSimProcess m_node;
    std::unique_ptr<MainWindow> m_window;
    std::uint16_t m_port = 0;
};

} // namespace z2e
