#pragma once
// The "Problems" tab: everything wrong with the local system and with each network node in the
// list, one row each (where, what, what to do), as `zamo2ctl problems` lists it. A double click
// shows the problem's row in the tree of its system.

#include "core/problem_list.h"
#include "core/root_node.h"

#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace z2e {

struct NetworkNodeRecord;

class ProblemsPanel : public QWidget {
    Q_OBJECT

public:
    /// A network node of the list of systems: its row there and what was last read of it.
    using ListedNode = std::pair<int, const NetworkNodeRecord*>;
    struct Host {
        std::function<const ModelNode*()> localRoot; ///< null before start-up has read it
        std::function<std::vector<ListedNode>()> nodes;
        /// Shows list row `listRow`'s system and chooses the row at `path` (child positions
        /// from its root).
        std::function<void(int listRow, const std::vector<std::size_t>& path)> show;
    };

    ProblemsPanel(Host host, QWidget* parent);
    ~ProblemsPanel() override;

    /// Reads the problems again (also done each time the tab is shown).
    void refresh();
    QTreeWidget* list() const { return m_list; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void add(const QString& system, int listRow, const ModelNode& root);
    void showChosen(QTreeWidgetItem* item);

    Host m_host;
    QLabel* m_summary = nullptr;
    QTreeWidget* m_list = nullptr;
    /// The trees of the listed nodes, built from their records for the rows' paths.
    std::vector<std::unique_ptr<RootNode>> m_nodeTrees;
};

} // namespace z2e
