#pragma once
// A row or cell that its view cuts short ("Please check your local system network...") shows its
// whole text as a tool tip: the tree's rows are long sentences at times, and the tree's model
// offers no tool tips.

#include <QModelIndex>
#include <QObject>
#include <QString>

class QAbstractItemView;

namespace z2e {

class ElidedRowTips : public QObject {
public:
    /// Watches `view`'s viewport; owned by the view.
    static void install(QAbstractItemView* view);
    /// The whole text of the row at `index` when `view` cuts it short, else "".
    static QString tipFor(const QAbstractItemView& view, const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ElidedRowTips(QAbstractItemView* view);

    QAbstractItemView* m_view;
};

} // namespace z2e
