#pragma once
// The window's Edit menu for its trees: Find (the filter field), the three copies of the
// current row and Refresh. Which row and what Refresh does the window decides.

#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace z2e {

class TreeActions : public QObject {
    Q_OBJECT

public:
    struct Host {
        /// The current row of the tree in front, an index of a CTreeViewModel (invalid: none).
        std::function<QModelIndex()> currentRow;
        std::function<void()> find;
        std::function<void()> refresh;
    };

    /// Puts the Edit menu into `window`'s menu bar in front of `before` (null: at the end).
    TreeActions(QMainWindow* window, QAction* before, Host host);

    /// The row's value ("" for a row without one).
    static QString valueText(const QModelIndex& row);
    /// "name: value", or the name of a row without a value.
    static QString nameAndValueText(const QModelIndex& row);
    /// The row and every row below it, indented by depth, one per line.
    static QString subtreeText(const QModelIndex& row);

    QAction* copyValue() const { return m_copyValue; }
    QAction* copyNameAndValue() const { return m_copyNameAndValue; }
    QAction* copySubtree() const { return m_copySubtree; }
    QAction* find() const { return m_find; }
    QAction* refresh() const { return m_refresh; }

private:
    /// Puts `text` of the current row on the clipboard.
    void copy(QString (*text)(const QModelIndex&));

    Host m_host;
    QMenu* m_menu;
    QAction* m_find;
    QAction* m_copyValue;
    QAction* m_copyNameAndValue;
    QAction* m_copySubtree;
    QAction* m_refresh;
};

} // namespace z2e
