#include "gui/window/tree_filter_panel.h"

#include "gui/models/tree_filter_model.h"
#include "ui_tree_filter_panel.h"

#include <QKeyEvent>
#include <QSplitter>
#include <QTreeView>

namespace z2e {

CTreeFilterPanel::CTreeFilterPanel(QTreeView* view, QSplitter* splitter)
    : QWidget(nullptr), m_ui(std::make_unique<Ui::CTreeFilterPanel>()), m_view(view), m_source(view->model()),
      m_filter(new CTreeFilterModel(this))
{
    m_ui->setupUi(this);
    // A view not shown yet counts as hidden, and the splitter would hide the panel for it.
    const bool hidden = view->isHidden() && view->testAttribute(Qt::WA_WState_ExplicitShowHide);
    splitter->replaceWidget(splitter->indexOf(view), this);
    m_ui->layoutPanel->addWidget(view);
    setVisible(!hidden);
    view->setVisible(!hidden);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kTypingPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &CTreeFilterPanel::applyFilter);
    connect(m_ui->editTreeFilter, &QLineEdit::textChanged, this, &CTreeFilterPanel::hdl_TextChanged);
    m_ui->editTreeFilter->installEventFilter(this);
}

bool CTreeFilterPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Escape in the field gives the whole tree back at once.
    if (watched != m_ui->editTreeFilter || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || m_ui->editTreeFilter->text().isEmpty())
        return QWidget::eventFilter(watched, event);
    m_ui->editTreeFilter->clear();
    applyFilter();
    return true;
}

CTreeFilterPanel::~CTreeFilterPanel() = default;

void CTreeFilterPanel::showModel(QAbstractItemModel* model)
{
    m_source = model;
    if (m_view->model() != m_filter) {
        m_view->setModel(model);
        return;
    }
    m_expanded.clear();
    m_filter->setSourceModel(model);
    applyFilter();
}

void CTreeFilterPanel::focusField()
{
    m_ui->editTreeFilter->setFocus(Qt::ShortcutFocusReason);
    m_ui->editTreeFilter->selectAll();
}

void CTreeFilterPanel::hdl_TextChanged()
{
    m_pause.start();
}

void CTreeFilterPanel::applyFilter()
{
    m_pause.stop();
    const QString text = m_ui->editTreeFilter->text().trimmed();
    const QModelIndex current = currentSourceIndex();
    const bool filtered = m_view->model() == m_filter;
    if (text.isEmpty()) {
        m_ui->labelMatches->clear();
        if (!filtered)
            return;
        m_view->setModel(m_source);
        // Let go of the rows; the next word starts with a fresh walk.
        m_filter->setSourceModel(nullptr);
        m_filter->setFilterText(QString());
        restoreExpansion();
        if (current.isValid()) {
            m_view->setCurrentIndex(current);
            m_view->scrollTo(current);
        }
        return;
    }
    if (!filtered)
        rememberExpansion();
    if (m_filter->sourceModel() != m_source)
        m_filter->setSourceModel(m_source);
    m_filter->setFilterText(text);
    if (!filtered)
        m_view->setModel(m_filter);
    m_view->expandAll();
    const QModelIndex shown = m_filter->mapFromSource(current);
    if (shown.isValid())
        m_view->setCurrentIndex(shown);
    m_ui->labelMatches->setText(m_filter->matchCount() == 1 ? tr("1 match")
                                                            : tr("%1 matches").arg(m_filter->matchCount()));
}

void CTreeFilterPanel::filterFor(const QString& text)
{
    m_ui->editTreeFilter->setText(text);
    applyFilter();
}

int CTreeFilterPanel::matchCount() const
{
    return m_view->model() == m_filter ? m_filter->matchCount() : 0;
}

QModelIndex CTreeFilterPanel::currentSourceIndex() const
{
    return CTreeFilterModel::sourceOf(m_view->currentIndex());
}

void CTreeFilterPanel::selectSource(const QModelIndex& source)
{
    const QModelIndex shown = m_view->model() == m_filter ? m_filter->mapFromSource(source) : source;
    m_view->setCurrentIndex(shown);
    m_view->scrollTo(shown);
}

void CTreeFilterPanel::rememberExpansion()
{
    m_expanded.clear();
    m_expandedModel = m_source;
    if (!m_source)
        return;
    // Only expanded rows are walked: their children exist already, the rest stay unmade.
    std::vector<std::pair<QModelIndex, std::vector<int>>> pending{{QModelIndex(), {}}};
    while (!pending.empty()) {
        const auto [parent, path] = pending.back();
        pending.pop_back();
        for (int row = 0; row < m_source->rowCount(parent); ++row) {
            const QModelIndex index = m_source->index(row, 0, parent);
            if (!m_view->isExpanded(index))
                continue;
            std::vector<int> below = path;
            below.push_back(row);
            m_expanded.push_back(below);
            pending.emplace_back(index, std::move(below));
        }
    }
}

void CTreeFilterPanel::restoreExpansion()
{
    if (!m_source)
        return;
    if (m_expandedModel != m_source) {
        // Another system came while filtered: its first level, as when it is chosen.
        m_view->expandToDepth(1);
        return;
    }
    for (const std::vector<int>& path : m_expanded) {
        QModelIndex index;
        for (int row : path)
            index = m_source->index(row, 0, index);
        if (index.isValid())
            m_view->expand(index);
    }
}

} // namespace z2e
