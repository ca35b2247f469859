#include "gui/models/list_view_model.h"
#include "model_tester_guard.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace z2e {
namespace {

TEST(ListViewModelTest, ShowsTheOwnersTextsAndNothingElse)
{
    ModelTesterGuard guard;
    QStringList texts = {"QA-4008", "QC-3104", "QD-5032"};
    CListViewModel model(&texts);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.index(1).data().toString(), "QC-3104");
    EXPECT_FALSE(model.index(1).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(1).data(Qt::UserRole + 1).isValid());
    EXPECT_FALSE(model.index(3).isValid());
    EXPECT_FALSE(model.index(-1).isValid());
    EXPECT_FALSE(model.index(0, 1).isValid());
    EXPECT_EQ(model.rowCount(model.index(0)), 0);
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).isValid());
    EXPECT_TRUE(guard.warnings().isEmpty()) << guard.report();
}

TEST(ListViewModelTest, OwnerChangesReachTheViewsThroughAReset)
{
    ModelTesterGuard guard;
    QStringList texts = {"one"};
    CListViewModel model(&texts);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    texts << "two";
    model.refresh();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1).data().toString(), "two");

    model.setTexts(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0).isValid());
    EXPECT_EQ(resets.count(), 2);
    EXPECT_TRUE(guard.warnings().isEmpty()) << guard.report();
}

} // namespace
} // namespace z2e
