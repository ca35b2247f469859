// The firmware table follows the run: a board's row says "Updating..." while its update runs.
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "gui/dialogs/tools/fw_update_dialog.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace z2e {
namespace {

using namespace testing_tools;
using z2e_test::child;

using FirmwareLiveTableTest = ToolDialogTest;

TEST_F(FirmwareLiveTableTest, EachRowSaysUpdatingWhileItsBoardRuns)
{
    connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                    boardEntry(1, "QA-4008.BNC", 3, "0251", "10A80002"));
    CFWUpdateDialog dialog(target({0, 1}));
    dialog.show();
    auto* table = child<QTableWidget>(&dialog, "tableFirmware");
    QStringList results;
    QObject::connect(table->model(), &QAbstractItemModel::dataChanged, &dialog, [&](const QModelIndex& changed) {
        if (changed.column() == 4)
            results << QString("%1 %2").arg(changed.row()).arg(changed.data().toString());
    });
    z2e_test::DialogRecorder recorder;
    QTest::mouseClick(child<QPushButton>(&dialog, "btnUpdate"), Qt::LeftButton);
    // Shown while the run went on, in the order the boards ran.
    ASSERT_GE(results.size(), 4) << results.join(", ").toStdString();
    EXPECT_EQ(results.mid(0, 4), QStringList({"0 Updating...", "0 OK", "1 Updating...", "1 OK"}));
}

} // namespace
} // namespace z2e
