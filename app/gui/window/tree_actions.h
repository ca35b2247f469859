#pragma once
// The window's Edit menu for its trees: Find (the filter field), the three copies of the
// current row, Refresh and the export of the tree in front. Which row, which tree and what
// Refresh does the window decides.

#include "gui/window/file_chooser.h"

#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace z2e {

class ModelNode;

class TreeActions : public QObject {
    Q_OBJECT

public:
    struct Host {
        /// The current row of the tree in front, an index of a CTreeViewModel (invalid: none).
        std::function<QModelIndex()> currentRow;
        std::function<void()> find;
        std::function<void()> refresh;
        /// The root of the tree in front (null: none).
        std::function<const ModelNode*()> shownRoot;
        /// Asks for a file; empty when the operator cancels.
        std::function<QString(const FileRequest&)> choose;
        /// Tells the outcome of an export.
        std::function<void(const QString&)> status;
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
    QAction* exportTree() const { return m_export; }

private:
    /// Puts `text` of the current row on the clipboard.
    void copy(QString (*text)(const QModelIndex&));
    /// Writes the tree in front to a chosen file: JSON, CSV or text by the file's suffix.
    void exportShownTree();

    Host m_host;
    QMenu* m_menu;
    QAction* m_find;
    QAction* m_copyValue;
    QAction* m_copyNameAndValue;
    QAction* m_copySubtree;
    QAction* m_refresh;
    QAction* m_export;
};

} // namespace z2e
