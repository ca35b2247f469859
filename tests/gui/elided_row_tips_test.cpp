// A row the tree cuts short shows its whole text as a tool tip; one that fits shows none.
#include "gui/models/elided_row_tips.h"

#include <QApplication>
#include <QHelpEvent>
#include <QStandardItemModel>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

namespace z2e {
namespace {

// The tip the view shows after a tool-tip request over `row`.
QString shownTipAt(QTreeView& view, int row)
{
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(ElidedRowTips, TheWholeTextOfARowCutShort)
{
    const QString advice =
        "Please check your local system network and firewall settings, and make sure your QORINet is reachable.";
    QStandardItemModel model;
    model.appendRow(new QStandardItem("Failure:   no answer within 1 s (700008)"));
    model.appendRow(new QStandardItem(advice));
    model.appendRow(new QStandardItem("Slot 6:   Empty"));
    QTreeView view;
    view.setHeaderHidden(true);
    view.setModel(&model);
    ElidedRowTips::install(&view);
    view.resize(view.fontMetrics().horizontalAdvance(advice) / 2, 200);
    view.show();

    EXPECT_EQ(shownTipAt(view, 1), advice);
    EXPECT_EQ(ElidedRowTips::tipFor(view, model.index(1, 0)), advice);
    EXPECT_EQ(ElidedRowTips::tipFor(view, model.index(2, 0)), "");
    EXPECT_EQ(ElidedRowTips::tipFor(view, QModelIndex()), "");

    view.resize(view.fontMetrics().horizontalAdvance(advice) * 2, 200);
    EXPECT_EQ(ElidedRowTips::tipFor(view, model.index(1, 0)), "");
}

// In a list of several columns each cell is measured against its own column.
TEST(ElidedRowTips, ACellCutByItsColumn)
{
    QStandardItemModel model;
    model.appendRow({new QStandardItem("0/2  QA-4008.BNC 10A80001"), new QStandardItem("Firmware Update")});
    QTreeView view;
    view.setModel(&model);
    view.resize(800, 200);
    view.setColumnWidth(0, 40);
    view.show();
    EXPECT_EQ(ElidedRowTips::tipFor(view, model.index(0, 0)), "0/2  QA-4008.BNC 10A80001");
    EXPECT_EQ(ElidedRowTips::tipFor(view, model.index(0, 1)), "");
}

} // namespace
} // namespace z2e
