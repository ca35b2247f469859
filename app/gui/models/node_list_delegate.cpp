#include "gui/models/node_list_delegate.h"

#include "gui/models/system_list_roles.h"

#include "core/system_health.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>

namespace z2e {
namespace {

constexpr int kPictureLeft = 5;
constexpr int kPictureTop = 10;
constexpr int kTextLeftWithPicture = 55;
constexpr int kTextLeftPlain = 10;
constexpr int kCaptionTop = 8;
constexpr int kDetailTop = 27;
constexpr int kThirdTop = 44;
constexpr int kLineHeight = 17;
constexpr int kPictureSize = 40;
constexpr int kEntryHeight = 64;
constexpr int kLabelGap = 8;     // between the detail text and the first label
constexpr int kLabelSpacing = 4; // between the two labels
constexpr int kBadgeMargin = 6;  // from the top and right edges of the entry
constexpr int kBadgePadding = 5; // around the count

const QString kSyncLabels[2] = {QStringLiteral(" SyncIn "), QStringLiteral(" SyncOut ")};

QPixmap pictureOf(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::QIcon: return value.value<QIcon>().pixmap(kPictureSize, kPictureSize);
    case QMetaType::QPixmap: return value.value<QPixmap>();
    case QMetaType::QImage: return QPixmap::fromImage(value.value<QImage>());
    default: return {};
    }
}

QFont withWeight(QFont font, int weight)
{
    font.setWeight(weight);
    return font;
}

int textLeftOf(const QRect& rect, const QModelIndex& index)
{
    const bool hasPicture = !pictureOf(index.data(SystemListRole::Picture)).isNull();
    return rect.left() + (hasPicture ? kTextLeftWithPicture : kTextLeftPlain);
}

bool hasSyncLabels(const QModelIndex& index)
{
    return index.data(SystemListRole::Detail).toString().contains(QLatin1String("QORINet"));
}

// Where paint puts the SyncIn and SyncOut labels of an entry.
std::array<QRect, 2> syncLabelBoxes(const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QFont normal = withWeight(option.font, 50);
    const QFontMetrics metrics(normal);
    const int textLeft = textLeftOf(option.rect, index);
    int left = textLeft + metrics.horizontalAdvance(index.data(SystemListRole::Detail).toString()) + kLabelGap;
    const int height = qMin(metrics.height() + 2, kLineHeight);
    const int top = option.rect.top() + kDetailTop + (kLineHeight - height) / 2;
    std::array<QRect, 2> boxes;
    for (int i = 0; i < 2; ++i) {
        boxes[i] = QRect(left, top, metrics.horizontalAdvance(kSyncLabels[i]), height);
        left = boxes[i].right() + 1 + kLabelSpacing;
    }
    return boxes;
}

} // namespace

const QColor NodeListDelegate::kUnselectedFill(241, 241, 241);
const QColor NodeListDelegate::kSyncOff(200, 200, 200);
const QColor NodeListDelegate::kSyncOn(96, 169, 23);
const QColor NodeListDelegate::kBadgeFill(204, 0, 0);

NodeListDelegate::NodeListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

NodeListDelegate::~NodeListDelegate() = default;

QColor NodeListDelegate::syncInColour(int syncState)
{
    return syncState == 2 || syncState == 3 ? kSyncOn : kSyncOff;
}

QColor NodeListDelegate::syncOutColour(int syncState)
{
    return syncState == 1 || syncState == 2 ? kSyncOn : kSyncOff;
}

void NodeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect rect = option.rect;
    painter->save();
    painter->setPen(QColor(0, 0, 0));
    if (index.data(SystemListRole::Selection).toString() == QLatin1String("unselected"))
        painter->fillRect(rect, kUnselectedFill);

    const QPixmap picture = pictureOf(index.data(SystemListRole::Picture));
    if (!picture.isNull())
        paintPicture(painter, rect.adjusted(kPictureLeft, kPictureTop, 0, 0), picture);
    const int textLeft = textLeftOf(rect, index);
    const int textWidth = qMax(0, rect.right() - textLeft);

    const QFont bold = withWeight(option.font, 75);
    const QFont normal = withWeight(option.font, 50);
    painter->setFont(bold);
    painter->drawText(QRect(textLeft, rect.top() + kCaptionTop, textWidth, kLineHeight),
                      Qt::AlignLeft | Qt::AlignVCenter, index.data(SystemListRole::Caption).toString());

    const QString detail = index.data(SystemListRole::Detail).toString();
    const QVariant colour = index.data(SystemListRole::DetailColour);
    bool isNumber = false;
    const int colourNumber = colour.toInt(&isNumber);
    painter->setFont(normal);
    if (colour.isValid() && isNumber && colourNumber >= Qt::color0 && colourNumber <= Qt::transparent)
        painter->setPen(QColor(static_cast<Qt::GlobalColor>(colourNumber)));
    painter->drawText(QRect(textLeft, rect.top() + kDetailTop, textWidth, kLineHeight),
                      Qt::AlignLeft | Qt::AlignVCenter, detail);
    painter->setPen(QColor(0, 0, 0));
    painter->drawText(QRect(textLeft, rect.top() + kThirdTop, textWidth, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(SystemListRole::ThirdLine).toString());

    if (hasSyncLabels(index))
        paintSyncLabels(painter, normal, syncLabelBoxes(option, index), index.data(SystemListRole::SyncState).toInt());
    paintProblems(painter, bold, rect, index.data(SystemListRole::Problems).toInt());
    painter->restore();
}

void NodeListDelegate::paintPicture(QPainter* painter, const QRect& rect, QPixmap pixmap) const
{
    if (pixmap.height() > rect.height() && rect.height() > 0)
        pixmap = pixmap.scaledToHeight(rect.height(), Qt::SmoothTransformation);
    const int top = rect.top() + (rect.height() - pixmap.height()) / 2;
    painter->drawPixmap(rect.left(), top, pixmap);
}

void NodeListDelegate::paintSyncLabels(QPainter* painter, const QFont& font, const std::array<QRect, 2>& boxes,
                                       int syncState) const
{
    const QColor fills[2] = {syncInColour(syncState), syncOutColour(syncState)};
    painter->setFont(font);
    for (int i = 0; i < 2; ++i) {
        painter->fillRect(boxes[i], fills[i]);
        painter->setPen(QColor(0, 0, 0));
        painter->drawRect(boxes[i]);
        painter->drawText(boxes[i], Qt::AlignCenter, kSyncLabels[i]);
    }
}

QRect NodeListDelegate::problemsBadge(const QFont& font, const QRect& entry, int redRows)
{
    const QFontMetrics metrics(withWeight(font, 75));
    const QString text = QString::number(redRows);
    const int height = metrics.height();
    const int width = qMax(height, metrics.horizontalAdvance(text) + 2 * kBadgePadding);
    return QRect(entry.right() - kBadgeMargin - width + 1, entry.top() + kBadgeMargin, width, height);
}

void NodeListDelegate::paintProblems(QPainter* painter, const QFont& font, const QRect& entry, int redRows) const
{
    if (redRows <= 0)
        return;
    const QRect badge = problemsBadge(font, entry, redRows);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(kBadgeFill);
    painter->drawRoundedRect(badge, badge.height() / 2.0, badge.height() / 2.0);
    painter->setPen(Qt::white);
    painter->setFont(withWeight(font, 75));
    painter->drawText(badge, Qt::AlignCenter, QString::number(redRows));
}

bool NodeListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid() && hasSyncLabels(index)) {
        const std::array<QRect, 2> boxes = syncLabelBoxes(option, index);
        const int sync = index.data(SystemListRole::SyncState).toInt();
        const std::string texts[2] = {SystemHealth::syncInText(sync), SystemHealth::syncOutText(sync)};
        for (int i = 0; i < 2; ++i) {
            if (boxes[i].contains(event->pos())) {
                QToolTip::showText(event->globalPos(), QString::fromStdString(texts[i]), view, boxes[i]);
                return true;
            }
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

QSize NodeListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    return QSize(base.width() + kTextLeftWithPicture, qMax(base.height(), kEntryHeight));
}

} // namespace z2e
