#include "gui/window/problems_panel.h"

#include "core/network_node_record.h"
#include "core/remote_system_builder.h"
#include "core/system_health.h"
#include "tools/journal_problems.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace z2e {
namespace {

enum Column { SystemColumn, WhereColumn, WhatColumn, TodoColumn };
constexpr int kListRowRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;

// Child positions from the root down to `node`.
QVariantList pathOf(const ModelNode* node)
{
    QVariantList path;
    for (; node && node->parent(); node = node->parent()) {
        const auto& siblings = node->parent()->children();
        for (std::size_t i = 0; i < siblings.size(); ++i) {
            if (siblings[i].get() == node)
                path.prepend(static_cast<qulonglong>(i));
        }
    }
    return path;
}

} // namespace

ProblemsPanel::ProblemsPanel(Host host, QWidget* parent) : QWidget(parent), m_host(std::move(host))
{
    setObjectName("problemsPanel");
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName("problemList");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("System"), tr("Where"), tr("What"), tr("What to do")});
    m_list->setToolTip(tr("Double-click a problem to see its row in the tree"));
    layout->addWidget(m_summary);
    layout->addWidget(m_list);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ProblemsPanel::showChosen);
}

ProblemsPanel::~ProblemsPanel() = default;

void ProblemsPanel::showEvent(QShowEvent* event)
{
    refresh();
    QWidget::showEvent(event);
}

void ProblemsPanel::refresh()
{
    m_list->clear();
    m_nodeTrees.clear();
    if (const ModelNode* local = m_host.localRoot())
        add(tr("Local System"), 0, *local);
    for (const auto& [listRow, record] : m_host.nodes()) {
        // A node not read yet has nothing to say, not even that it cannot be read.
        if (!SystemHealth::readYet(*record))
            continue;
        auto root = std::make_unique<RootNode>(SystemKind::Remote);
        RemoteSystemBuilder::fillRoot(*root, *record);
        add(QString::fromStdString(record->name.empty() ? record->address : record->name + " " + record->address),
            listRow, *root);
        m_nodeTrees.push_back(std::move(root));
    }
    const int count = m_list->topLevelItemCount();
    m_summary->setText(count == 0 ? tr("No problems.")
                                  : tr("%n problem(s). Double-click one to see its row in the tree.", "", count));
    for (int column = SystemColumn; column <= TodoColumn; ++column)
        m_list->resizeColumnToContents(column);
}

void ProblemsPanel::add(const QString& system, int listRow, const ModelNode& root)
{
    for (const Problem& problem : JournalProblems::of(root)) {
        auto* item =
            new QTreeWidgetItem(m_list, {system, QString::fromStdString(problem.where),
                                         QString::fromStdString(problem.what), QString::fromStdString(problem.todo)});
        item->setToolTip(WhatColumn, item->text(WhatColumn));
        item->setToolTip(TodoColumn, item->text(TodoColumn));
        item->setData(SystemColumn, kListRowRole, listRow);
        item->setData(SystemColumn, kPathRole, pathOf(problem.node));
    }
}

void ProblemsPanel::showChosen(QTreeWidgetItem* item)
{
    if (!item)
        return;
    std::vector<std::size_t> path;
    for (const QVariant& step : item->data(SystemColumn, kPathRole).toList())
        path.push_back(static_cast<std::size_t>(step.toULongLong()));
    m_host.show(item->data(SystemColumn, kListRowRole).toInt(), path);
}

} // namespace z2e
