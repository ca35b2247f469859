#include "gui/models/elided_row_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

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
    // The text's own width beside the room the view gives it, the icon's share included.
    const int needed =
        view.fontMetrics().horizontalAdvance(text) + view.style()->pixelMetric(QStyle::PM_SmallIconSize) + 12;
    return view.visualRect(index).left() + needed > view.viewport()->width() ? text : QString();
}

bool ElidedRowTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || watched != m_view->viewport())
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = m_view->indexAt(help->pos());
    const QString tip = tipFor(*m_view, index);
    if (!tip.isEmpty())
        QToolTip::showText(help->globalPos(), tip, m_view->viewport(), m_view->visualRect(index));
    else
        QToolTip::hideText();
    return true;
}

} // namespace z2e
