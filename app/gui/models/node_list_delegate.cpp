#include "gui/models/node_list_delegate.h"

#include "gui/models/system_list_roles.h"

#include <QFontMetrics>
#include <QImage>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

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
constexpr int kLabelGap = 8;    // between the detail text and the first label
constexpr int kLabelSpacing = 4; // between the two labels

QPixmap pictureOf(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::QIcon:
        return value.value<QIcon>().pixmap(kPictureSize, kPictureSize);
    case QMetaType::QPixmap:
        return value.value<QPixmap>();
    case QMetaType::QImage:
        return QPixmap::fromImage(value.value<QImage>());
    default:
        return {};
    }
}

QFont withWeight(QFont font, int weight)
{
    font.setWeight(weight);
    return font;
}

} // namespace

const QColor NodeListDelegate::kUnselectedFill(241, 241, 241);
const QColor NodeListDelegate::kSyncOff(200, 200, 200);
const QColor NodeListDelegate::kSyncOn(96, 169, 23);

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
    const bool hasPicture = !picture.isNull();
    if (hasPicture)
        paintPicture(painter, rect.adjusted(kPictureLeft, kPictureTop, 0, 0), picture);
    const int textLeft = rect.left() + (hasPicture ? kTextLeftWithPicture : kTextLeftPlain);
    const int textWidth = qMax(0, rect.right() - textLeft);

    const QFont bold = withWeight(option.font, 75);
    const QFont normal = withWeight(option.font, 50);
    painter->setFont(bold);
    painter->drawText(QRect(textLeft, rect.top() + kCaptionTop, textWidth, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(SystemListRole::Caption).toString());

    const QString detail = index.data(SystemListRole::Detail).toString();
    const QVariant colour = index.data(SystemListRole::DetailColour);
    bool isNumber = false;
    const int colourNumber = colour.toInt(&isNumber);
    painter->setFont(normal);
    if (colour.isValid() && isNumber && colourNumber >= Qt::color0 && colourNumber <= Qt::transparent)
        painter->setPen(QColor(static_cast<Qt::GlobalColor>(colourNumber)));
    painter->drawText(QRect(textLeft, rect.top() + kDetailTop, textWidth, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      detail);
    painter->setPen(QColor(0, 0, 0));
    painter->drawText(QRect(textLeft, rect.top() + kThirdTop, textWidth, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(SystemListRole::ThirdLine).toString());

    if (detail.contains(QLatin1String("QORINet"))) {
        const int afterDetail = textLeft + QFontMetrics(normal).horizontalAdvance(detail) + kLabelGap;
        paintSyncLabels(painter, normal, QPoint(afterDetail, rect.top() + kDetailTop),
                        index.data(SystemListRole::SyncState).toInt());
    }
    painter->restore();
}

void NodeListDelegate::paintPicture(QPainter* painter, const QRect& rect, QPixmap pixmap) const
{
    if (pixmap.height() > rect.height() && rect.height() > 0)
        pixmap = pixmap.scaledToHeight(rect.height(), Qt::SmoothTransformation);
    const int top = rect.top() + (rect.height() - pixmap.height()) / 2;
    painter->drawPixmap(rect.left(), top, pixmap);
}

void NodeListDelegate::paintSyncLabels(QPainter* painter, const QFont& font, QPoint origin, int syncState) const
{
    const QFontMetrics metrics(font);
    const QString labels[2] = {QStringLiteral(" SyncIn "), QStringLiteral(" SyncOut ")};
    const QColor fills[2] = {syncInColour(syncState), syncOutColour(syncState)};
    const int height = qMin(metrics.height() + 2, kLineHeight);
    const int top = origin.y() + (kLineHeight - height) / 2;
    int left = origin.x();
    painter->setFont(font);
    for (int i = 0; i < 2; ++i) {
        const QRect box(left, top, metrics.horizontalAdvance(labels[i]), height);
        painter->fillRect(box, fills[i]);
        painter->setPen(QColor(0, 0, 0));
        painter->drawRect(box);
        painter->drawText(box, Qt::AlignCenter, labels[i]);
        left = box.right() + 1 + kLabelSpacing;
    }
}

QSize NodeListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    return QSize(base.width() + kTextLeftWithPicture, qMax(base.height(), kEntryHeight));
}

} // namespace z2e
