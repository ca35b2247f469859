#pragma once
// Paints an entry of the list of systems: picture, caption, detail and third line, and for
// network nodes the synchronisation labels (each with a tool tip of its own), and a red badge with
// the count of red rows. Reads the roles of SystemListRole.

#include <QColor>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <array>

namespace z2e {

class NodeListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit NodeListDelegate(QObject* parent = nullptr);
    ~NodeListDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// Tool tips of the SyncIn and SyncOut labels; elsewhere the entry's own.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    /// Where the badge of `redRows` problems sits in an entry painted in `entry`.
    static QRect problemsBadge(const QFont& font, const QRect& entry, int redRows);

    /// Fill of the SyncIn and SyncOut labels for a synchronisation state.
    static QColor syncInColour(int syncState);
    static QColor syncOutColour(int syncState);

    static const QColor kUnselectedFill; ///< (241, 241, 241)
    static const QColor kSyncOff;        ///< grey (200, 200, 200)
    static const QColor kSyncOn;         ///< green (96, 169, 23)
    static const QColor kBadgeFill;      ///< red (204, 0, 0)

private:
    void paintPicture(QPainter* painter, const QRect& rect, QPixmap picture) const;
    void paintSyncLabels(QPainter* painter, const QFont& font, const std::array<QRect, 2>& boxes, int syncState) const;
    void paintProblems(QPainter* painter, const QFont& font, const QRect& entry, int redRows) const;
};

} // namespace z2e
