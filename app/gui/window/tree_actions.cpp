#include "gui/window/tree_actions.h"

#include "config/output_destination.h"
#include "core/tree_row_list.h"
#include "core/tree_row_text.h"
#include "gui/models/tree_view_model.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace z2e {
namespace {

std::string rowText(const QModelIndex& row)
{
    return row.data().toString().toStdString();
}

} // namespace

TreeActions::TreeActions(QMainWindow* window, QAction* before, Host host) : QObject(window), m_host(std::move(host))
{
    m_menu = new QMenu(tr("&Edit"), window);
    window->menuBar()->insertMenu(before, m_menu);
    m_find = m_menu->addAction(
        tr("&Find in Tree"), this, [this] { m_host.find(); }, QKeySequence::Find);
    m_menu->addSeparator();
    m_copyValue = m_menu->addAction(
        tr("&Copy Value"), this, [this] { copy(&TreeActions::valueText); }, QKeySequence::Copy);
    m_copyNameAndValue = m_menu->addAction(
        tr("Copy &Name and Value"), this, [this] { copy(&TreeActions::nameAndValueText); },
        QKeySequence(tr("Ctrl+Shift+C")));
    m_copySubtree = m_menu->addAction(tr("Copy &Subtree as Text"), this, [this] { copy(&TreeActions::subtreeText); });
    m_menu->addSeparator();
    m_refresh = m_menu->addAction(
        tr("&Refresh"), this, [this] { m_host.refresh(); }, QKeySequence::Refresh);
    m_export = m_menu->addAction(tr("&Export Tree..."), this, [this] { exportShownTree(); });
}

void TreeActions::exportShownTree()
{
    const ModelNode* root = m_host.shownRoot ? m_host.shownRoot() : nullptr;
    if (!root || !m_host.choose)
        return;
    const QString path =
        m_host.choose({true, tr("Export Tree"), QString(), "JSON (*.json);;CSV (*.csv);;Text (*.txt)"});
    if (path.isEmpty())
        return;
    const std::vector<TreeRow> rows = TreeRowList::collect(*root);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string text = suffix == "json"  ? TreeRowText::jsonTree(rows) + "\n"
                             : suffix == "csv" ? TreeRowText::csv(rows)
                                               : TreeRowText::indented(rows);
    // Whole or not at all: an export never leaves half a file behind, and never replaces
    // what is not a regular file (the save dialog has asked before a file is replaced).
    const OutputDestination::Result written = OutputDestination::write(path.toStdString(), text, {true, true});
    if (m_host.status)
        m_host.status(written.ok()
                          ? tr("Tree exported to %1.").arg(path)
                          : tr("The tree could not be exported: %1").arg(QString::fromStdString(written.message)));
}

QString TreeActions::valueText(const QModelIndex& row)
{
    return QString::fromStdString(TreeRowText::split(rowText(row)).value);
}

QString TreeActions::nameAndValueText(const QModelIndex& row)
{
    return QString::fromStdString(TreeRowText::nameAndValue(rowText(row)));
}

QString TreeActions::subtreeText(const QModelIndex& row)
{
    const auto* model = qobject_cast<const CTreeViewModel*>(row.model());
    const ModelNode* node = model ? model->nodeAt(row) : nullptr;
    return node ? QString::fromStdString(TreeRowText::indented(TreeRowList::collect(*node))) : QString();
}

void TreeActions::copy(QString (*text)(const QModelIndex&))
{
    const QModelIndex row = m_host.currentRow();
    if (row.isValid())
        QApplication::clipboard()->setText(text(row));
}

} // namespace z2e
