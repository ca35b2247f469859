#pragma once
// Read-only tree of the rows of one system. A rebuild replaces the whole item tree (views are
// reset, not updated row by row); row texts, icons and red rows come from the row composition
// shared with the command line. The items of a row's children are made the first time a view
// asks for them: a system has tens of thousands of rows, a view shows a few dozen. Like every
// model, it is used from the GUI thread only.

#include "gui/models/tree_item.h"

#include <QAbstractItemModel>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace z2e {

class ModelNode;
class SystemModel;
class TreeIconTable;

class CTreeViewModel : public QAbstractItemModel {
    Q_OBJECT

public:
    /// Which system `rebuild` shows.
    enum Mode : int { LocalSystem = 1, DemoSystem = 2, RemoteSystem = 3 };

    /// An empty model using `icons`, which must outlive it.
    explicit CTreeViewModel(const TreeIconTable& icons, QObject* parent = nullptr);
    ~CTreeViewModel() override;

    /// Shows the root of `system` chosen by `mode`; any other mode returns false and changes
    /// nothing.
    bool rebuild(SystemModel& system, int mode);
    /// Shows the tree below `root` (nothing for a null root). The nodes must stay alive and
    /// keep their children until the next rebuild or clear.
    void rebuildFrom(const ModelNode* root);
    /// Drops every row.
    void clear();
    /// Composes the row at `index` and the rows made below it again from their nodes, which
    /// changed in place; the view keeps what it has expanded.
    void refreshRows(const QModelIndex& index);

    /// The node shown at `index`, or null.
    const ModelNode* nodeAt(const QModelIndex& index) const;
    /// The row of `node` (column 0); invalid when the model does not show it.
    QModelIndex indexOf(const ModelNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Removes rows from the view only; the node model is not touched.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    TreeItem* itemAt(const QModelIndex& index) const;
    /// The item of `parent`, the top item for an invalid index, null for a foreign index.
    TreeItem* parentItemAt(const QModelIndex& parent) const;
    /// Composes the row of `item` again from its node.
    static void composeAgain(TreeItem& item);
    /// The same for every row made below `item`, telling the views block by block.
    void refreshBelow(TreeItem& item);
    /// Makes the items of the shown children of `item` unless already made.
    void ensureChildren(TreeItem& item) const;

    const TreeIconTable& m_icons;
    std::unique_ptr<TreeItem> m_top;
    /// Rows being made, kept between calls so that their texts keep their memory.
    mutable std::vector<ComposedRow> m_composed;
    /// Handed out for every red row rather than made per call.
    const QVariant m_red;
};

} // namespace z2e
