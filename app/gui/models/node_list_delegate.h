#pragma once
// Paints an entry of the list of systems: picture, caption, detail and third line, and for
// network nodes the synchronisation labels. Reads the roles of SystemListRole.

#include <QColor>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace z2e {

class NodeListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit NodeListDelegate(QObject* parent = nullptr);
    ~NodeListDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// Fill of the SyncIn and SyncOut labels for a synchronisation state.
    static QColor syncInColour(int syncState);
    static QColor syncOutColour(int syncState);

    static const QColor kUnselectedFill; ///< (241, 241, 241)
    static const QColor kSyncOff;        ///< grey (200, 200, 200)
    static const QColor kSyncOn;         ///< green (96, 169, 23)

private:
    void paintPicture(QPainter* painter, const QRect& rect, QPixmap picture) const;
    void paintSyncLabels(QPainter* painter, const QFont& font, QPoint origin, int syncState) const;
};

} // namespace z2e
