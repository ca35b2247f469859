// The hardware tree as a working surface: the filter field, the copies of a row and Refresh.

#include "window_test_support.h"

#include "gui/window/tree_actions.h"
#include "gui/window/tree_filter_panel.h"

#include <QClipboard>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace z2e {
namespace {

using z2e_test::findRow;
using z2e_test::SimulatedSite;

constexpr int kWaitMs = 5000;

/// Calls `visit` for every row of `model` below `parent`, depth first.
void eachRow(const QAbstractItemModel& model, const std::function<void(const QModelIndex&)>& visit,
             const QModelIndex& parent = {})
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        visit(index);
        eachRow(model, visit, index);
    }
}

class TreeSurfaceTest : public z2e_test::WindowTest {
protected:
    // The filter field's clear button fades in and out; Qt frees that animation only when it
    // has run out, so the window goes only after it has.
    void TearDown() override { QTest::qWait(400); }

    QTreeView* tree() const { return m_window->ui()->treeHardware; }
    QLineEdit* field() const { return m_window->findChild<QLineEdit*>("editTreeFilter"); }
    QString countText() const { return m_window->findChild<QLabel*>("labelMatches")->text(); }

    /// Types `text` into the filter field and waits for the tree to follow.
    void filterFor(const QString& text)
    {
        QTest::keyClicks(field(), text);
        ASSERT_TRUE(QTest::qWaitFor([this] { return tree()->model() != m_window->hardwareModel(); }, kWaitMs));
    }

    /// Texts of the rows of the unfiltered tree that are opened.
    QStringList expandedRows() const
    {
        QStringList texts;
        eachRow(*m_window->hardwareModel(), [&](const QModelIndex& row) {
            if (tree()->isExpanded(row))
                texts << row.data().toString();
        });
        return texts;
    }

    /// Rows of `model` below `parent`, at every depth.
    static int rowsBelow(const QAbstractItemModel& model, const QModelIndex& parent = {})
    {
        int rows = 0;
        eachRow(
            model, [&](const QModelIndex&) { ++rows; }, parent);
        return rows;
    }

    QString copied(QAction* action)
    {
        QApplication::clipboard()->clear();
        action->trigger();
        return QApplication::clipboard()->text();
    }
};

// What the filter shows, by the rows of the unfiltered model; the operator's expansion
// survives the filter, opened further only to the row chosen while filtered.
TEST_F(TreeSurfaceTest, FilterShowsMatchesWithTheirParentsAndClearingRestoresTheTree)
{
    // The tree stands beside the list of systems, not folded away behind it.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    EXPECT_TRUE(tree()->isVisible());
    EXPECT_GT(tree()->width(), m_window->width() / 4);

    CTreeViewModel* hardware = m_window->hardwareModel();
    const QModelIndex second = findRow(*hardware, "Enclosure 1:");
    const QModelIndex third = findRow(*hardware, "Enclosure 2:");
    ASSERT_TRUE(second.isValid() && third.isValid());
    tree()->expand(second);
    tree()->collapse(findRow(*hardware, "Enclosure 0:"));
    tree()->setCurrentIndex(third);
    QStringList expandedBefore = expandedRows();

    const QString word = "serialnumber";
    int expected = 0;
    eachRow(*hardware,
            [&](const QModelIndex& row) { expected += row.data().toString().contains(word, Qt::CaseInsensitive); });
    ASSERT_GT(expected, 1);

    filterFor(word);
    EXPECT_EQ(m_window->treePanel()->matchCount(), expected);
    EXPECT_EQ(countText(), QString("%1 matches").arg(expected));
    int bold = 0;
    eachRow(*tree()->model(), [&](const QModelIndex& row) {
        const bool match = row.data().toString().contains(word, Qt::CaseInsensitive);
        EXPECT_EQ(row.data(Qt::FontRole).value<QFont>().bold(), match) << row.data().toString().toStdString();
        bold += match;
        if (!match) {
            // A row that does not match is there for a match below it, and opened.
            EXPECT_GT(tree()->model()->rowCount(row), 0) << row.data().toString().toStdString();
            EXPECT_TRUE(tree()->isExpanded(row)) << row.data().toString().toStdString();
        }
    });
    EXPECT_EQ(bold, expected);
    // The rows of the filtered tree are the rows the menus and tools act on.
    EXPECT_NE(m_window->contextMenuFor(tree(), findRow(*tree()->model(), "Enclosure 0:"), false), nullptr);
    const QModelIndex shownSerial = findRow(*tree()->model(), "SerialNumber:   10A80001");
    ASSERT_TRUE(shownSerial.isValid());
    tree()->setCurrentIndex(shownSerial);
    EXPECT_EQ(m_window->treePanel()->currentSourceIndex().model(), hardware);

    // A longer word while filtered: every row left either matches it or leads to a match.
    m_window->treePanel()->filterFor("10a80001");
    int shownLeaves = 0;
    eachRow(*tree()->model(), [&](const QModelIndex& row) {
        if (tree()->model()->rowCount(row) > 0)
            return;
        ++shownLeaves;
        EXPECT_TRUE(row.data().toString().contains("10A80001")) << row.data().toString().toStdString();
    });
    EXPECT_GT(shownLeaves, 0);
    EXPECT_TRUE(tree()->currentIndex().data().toString().startsWith("SerialNumber:   10A80001"));
    // A word pasted with the blanks around it finds the same rows.
    const int exact = m_window->treePanel()->matchCount();
    m_window->treePanel()->filterFor(" 10a80001\t ");
    EXPECT_EQ(m_window->treePanel()->matchCount(), exact);
    m_window->treePanel()->filterFor("10a80001");

    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_EQ(field()->text(), "");
    EXPECT_EQ(tree()->model(), m_window->hardwareModel());
    EXPECT_EQ(countText(), "");
    QStringList expandedAfter = expandedRows();
    // The row chosen while filtered stays current, and in sight.
    const QModelIndex current = tree()->currentIndex();
    EXPECT_TRUE(current.data().toString().startsWith("SerialNumber:   10A80001"));
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) {
        if (!expandedBefore.contains(up.data().toString()))
            expandedBefore << up.data().toString();
    }
    expandedBefore.sort();
    expandedAfter.sort();
    EXPECT_EQ(expandedAfter, expandedBefore);

    // A word no row holds leaves an empty tree, and says so.
    filterFor("no such row");
    EXPECT_EQ(tree()->model()->rowCount(), 0);
    EXPECT_EQ(countText(), "0 matches");
}

TEST_F(TreeSurfaceTest, CopiesTheValueTheNameAndValueAndTheSubtree)
{
    CTreeViewModel* hardware = m_window->hardwareModel();
    const QModelIndex enclosure = findRow(*hardware, "Enclosure 0:   QE-R16");
    ASSERT_TRUE(enclosure.isValid());
    tree()->setCurrentIndex(enclosure);
    TreeActions* actions = m_window->treeActions();
    EXPECT_EQ(copied(actions->copyValue()), "QE-R16");
    EXPECT_EQ(copied(actions->copyNameAndValue()), "Enclosure 0: QE-R16");

    const QStringList lines = copied(actions->copySubtree()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), rowsBelow(*hardware, enclosure) + 1);
    EXPECT_EQ(lines.front(), "Enclosure 0:   QE-R16");
    EXPECT_EQ(lines.at(1), "  " + hardware->index(0, 0, enclosure).data().toString());

    // Filtered, the copy is of the row shown; Ctrl+C in the field copies the field's text.
    filterFor("QE-R16");
    tree()->setCurrentIndex(findRow(*tree()->model(), "Enclosure 0:"));
    EXPECT_EQ(copied(actions->copyValue()), "QE-R16");
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    actions->find()->trigger();
    EXPECT_TRUE(field()->hasFocus());
    QApplication::clipboard()->clear();
    QTest::keyClick(field(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "QE-R16");
}

// The tree in front goes to a file in the format its name asks for, or not at all.
TEST_F(TreeSurfaceTest, ExportWritesTheShownTreeAsJsonCsvOrText)
{
    QString chosen;
    m_window->setFileChooser([&chosen](QWidget*, const FileRequest& request) {
        EXPECT_TRUE(request.save);
        return chosen;
    });
    const auto exported = [&](const QString& name) {
        chosen = m_site.path(name);
        m_window->treeActions()->exportTree()->trigger();
        return SimulatedSite::read(chosen);
    };

    const QJsonDocument json = QJsonDocument::fromJson(exported("tree.json").toUtf8());
    ASSERT_TRUE(json.isArray()) << SimulatedSite::read(chosen).left(200).toStdString();
    const QJsonObject top = json.array().first().toObject();
    EXPECT_EQ(top.value("text").toString(), "Local System");
    EXPECT_EQ(top.value("children").toArray().first().toObject().value("kind").toString(), "enclosure");
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "Tree exported to " + chosen + ".");

    EXPECT_TRUE(exported("tree.csv").startsWith("depth,kind,red,name,value,text"));
    EXPECT_TRUE(exported("tree.txt").startsWith("Local System\n  Enclosure 0:   QE-R16"));
    exported("no/such/folder/tree.json");
    EXPECT_TRUE(m_window->statusBar()->currentMessage().startsWith("The tree could not be exported: "));
    EXPECT_FALSE(QFile::exists(chosen));
}

TEST_F(TreeSurfaceTest, RefreshReadsTheLocalSystemAgain)
{
    CTreeViewModel* hardware = m_window->hardwareModel();
    const int before = rowsBelow(*hardware);
    // Rows changed behind the tree's back are replaced by what the scan finds.
    m_window->system()->localRoot().childAt(0)->values.front() = "stale";
    m_window->treeActions()->refresh()->trigger();
    EXPECT_EQ(m_window->statusBar()->currentMessage(), "The local system was read again.");
    EXPECT_TRUE(findRow(*hardware, "Enclosure 0:   QE-R16").isValid());
    EXPECT_EQ(rowsBelow(*hardware), before);
    EXPECT_TRUE(tree()->isExpanded(hardware->index(0, 0)));
}

} // namespace
} // namespace z2e
