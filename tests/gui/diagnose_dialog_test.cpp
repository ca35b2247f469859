// "Diagnose Network" on its own: the findings with their levels, facts and next steps; the
// diagnosis runs off the GUI thread, and Cancel in the progress window ends a run again.
#include "window_test_support.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/network/diagnose_dialog.h"

#include <QLabel>
#include <QTreeWidget>

#include <chrono>
#include <thread>

namespace z2e {
namespace {

using Level = DoctorFinding::Level;

TEST(DiagnoseDialogTest, ShowsEachFindingAndRunsAgainOffTheGuiThreadUntilCancelled)
{
    int runs = 0;
    bool cancelled = false;
    std::thread::id worker;
    CDiagnoseDialog dialog([&](const std::atomic<bool>& cancel) {
        worker = std::this_thread::get_id();
        if (++runs == 1)
            return std::vector<DoctorFinding>{{Level::Problem, "Port 9239/UDP is taken by python3 (process 7)",
                                               "No answer reaches.", "Close python3."},
                                              {Level::Ok, "Scans went out from 127.0.0.1/255.0.0.0", "5 sent.", ""}};
        // Bounded, so that a Cancel that never comes fails the test instead of hanging it.
        for (int i = 0; i < 500 && !cancel.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancelled = cancel.load();
        return std::vector<DoctorFinding>{};
    });
    dialog.show();
    dialog.runDiagnosis();
    EXPECT_NE(worker, std::this_thread::get_id());

    const QTreeWidget* tree = dialog.findChild<QTreeWidget*>("treeFindings");
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    const QTreeWidgetItem* problem = tree->topLevelItem(0);
    EXPECT_EQ(problem->text(0), "Port 9239/UDP is taken by python3 (process 7)");
    EXPECT_EQ(problem->data(0, Qt::UserRole).toString(), "problem");
    EXPECT_FALSE(problem->icon(0).isNull());
    ASSERT_EQ(problem->childCount(), 2);
    EXPECT_EQ(problem->child(0)->text(0), "No answer reaches.");
    EXPECT_EQ(problem->child(1)->text(0), "Next: Close python3.");
    EXPECT_TRUE(problem->isExpanded());
    const QTreeWidgetItem* fine = tree->topLevelItem(1);
    EXPECT_EQ(fine->data(0, Qt::UserRole).toString(), "ok");
    EXPECT_EQ(fine->childCount(), 1);
    EXPECT_FALSE(fine->isExpanded());
    const QLabel* summary = dialog.findChild<QLabel*>("labelSummary");
    EXPECT_EQ(summary->text(), "1 problem(s) and 0 warning(s): see the next step below each.");

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&poll] {
        if (auto* progress = qobject_cast<CInProgress*>(QApplication::activeModalWidget())) {
            poll.stop();
            QTest::keyClick(progress, Qt::Key_Escape);
        }
    });
    poll.start(20);
    dialog.findChild<QPushButton*>("btnRunAgain")->click();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(summary->text().startsWith("Cancelled. "));
}

} // namespace
} // namespace z2e
