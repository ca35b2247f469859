#include "gui/models/elided_row_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace z2e {

ElidedRowTips::ElidedRowTips(QAbstractItemView* view) : QObject(view), m_view(view) {}

void ElidedRowTips::install(QAbstractItemView* view)
{
    view->viewport()->installEventFilter(new ElidedRowTips(view));
}

QString ElidedRowTips::tipFor(const QAbstractItemView& view, const QModelIndex& index)
{
    if (!index.isValid())
        return QString();
    const QString text = index.data(Qt::DisplayRole).toString();
    // The text's own width beside the room the view gives its cell, an icon's share included;
    // a cell that runs past the viewport counts only as far as it is seen.
    const int icon = index.data(Qt::DecorationRole).isValid() ? view.style()->pixelMetric(QStyle::PM_SmallIconSize) : 0;
    const int needed = view.fontMetrics().horizontalAdvance(text) + icon + 12;
    const QRect cell = view.visualRect(index);
    const int room = std::min(cell.right(), view.viewport()->width()) - cell.left();
    return needed > room ? text : QString();
}

bool ElidedRowTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || watched != m_view->viewport())
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = m_view->indexAt(help->pos());
    const QString tip = tipFor(*m_view, index);
    if (tip.isEmpty())
        return QObject::eventFilter(watched, event); // the view's own tip, if it has one
    QToolTip::showText(help->globalPos(), tip, m_view->viewport(), m_view->visualRect(index));
    return true;
}

} // namespace z2e
