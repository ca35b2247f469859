#include "gui/models/node_list_delegate.h"
#include "gui/models/system_list_roles.h"

#include <QHelpEvent>
#include <QImage>
#include <QListView>
#include <QToolTip>
#include <QPainter>
#include <QPixmap>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

#include <functional>

namespace z2e {
namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 64;

struct Entry {
    QString caption = "Local System";
    QString detail = "Host PC";
    QString selection = "selected";
    QVariant sync;
    QVariant colour;
    QVariant picture;
    QVariant redRows;
};

QImage paintEntry(const Entry& entry)
{
    QStandardItemModel model;
    auto* item = new QStandardItem(entry.caption);
    item->setData(entry.detail, SystemListRole::Detail);
    item->setData("IP:\t127.0.0.1", SystemListRole::ThirdLine);
    item->setData(entry.selection, SystemListRole::Selection);
    item->setData(entry.sync, SystemListRole::SyncState);
    item->setData(entry.colour, SystemListRole::DetailColour);
    item->setData(entry.picture, SystemListRole::Picture);
    item->setData(entry.redRows, SystemListRole::Problems);
    model.appendRow(item);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, kWidth, kHeight);
    NodeListDelegate().paint(&painter, option, model.index(0, 0));
    painter.end();
    return image;
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& match, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

// A label box fills hundreds of pixels; anti-aliased text may hit a colour by chance.
bool showsBox(const QImage& image, QColor colour)
{
    return countPixels(image, [&](QColor c) { return c == colour; }) > 100;
}

int leftmostInk(const QImage& image, int top, int bottom)
{
    const QColor background = image.pixelColor(image.width() - 1, image.height() - 1);
    for (int x = 0; x < image.width(); ++x)
        for (int y = top; y < bottom; ++y)
            if (image.pixelColor(x, y) != background)
                return x;
    return -1;
}

TEST(NodeListDelegateTest, UnselectedEntriesGetTheLightBackground)
{
    Entry entry;
    entry.selection = "unselected";
    EXPECT_EQ(paintEntry(entry).pixelColor(kWidth - 1, kHeight - 1), NodeListDelegate::kUnselectedFill);
    entry.selection = "selected";
    EXPECT_EQ(paintEntry(entry).pixelColor(kWidth - 1, kHeight - 1), QColor(Qt::white));
}

TEST(NodeListDelegateTest, NetworkNodesShowSyncLabelsColouredByState)
{
    struct Case {
        int state;
        bool inOn;
        bool outOn;
    };
    for (const Case c : {Case{0, false, false}, Case{1, false, true}, Case{2, true, true}, Case{3, true, false},
                         Case{7, false, false}}) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(NodeListDelegate::syncInColour(c.state),
                  c.inOn ? NodeListDelegate::kSyncOn : NodeListDelegate::kSyncOff);
        EXPECT_EQ(NodeListDelegate::syncOutColour(c.state),
                  c.outOn ? NodeListDelegate::kSyncOn : NodeListDelegate::kSyncOff);
        Entry entry;
        entry.detail = "QORINet QN-N6";
        entry.sync = c.state;
        const QImage image = paintEntry(entry);
        EXPECT_EQ(showsBox(image, NodeListDelegate::kSyncOn), c.inOn || c.outOn);
        EXPECT_EQ(showsBox(image, NodeListDelegate::kSyncOff), !c.inOn || !c.outOn);
    }
    Entry local;
    local.sync = 2;
    const QImage image = paintEntry(local);
    EXPECT_FALSE(showsBox(image, NodeListDelegate::kSyncOn));
    EXPECT_FALSE(showsBox(image, NodeListDelegate::kSyncOff));
}

// Each label explains itself; the rest of the entry keeps the entry's own tool tip.
TEST(NodeListDelegateTest, SyncLabelsHaveToolTipsOfTheirOwn)
{
    QStandardItemModel model;
    auto* item = new QStandardItem("GuiBench");
    item->setData("QORINet QN-N6", SystemListRole::Detail);
    item->setData(3, SystemListRole::SyncState); // SyncIn on, SyncOut off
    item->setData("Address: 127.0.0.9", Qt::ToolTipRole);
    model.appendRow(item);
    QListView view;
    view.setModel(&model);
    NodeListDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, kWidth, kHeight);
    Entry entry;
    entry.detail = "QORINet QN-N6";
    entry.sync = 3;
    const QImage image = paintEntry(entry);
    // Inside the first 4x4 block of `colour`: a label's fill, not a stray pixel of text.
    const auto insideBox = [&image](QColor colour) {
        for (int x = 0; x + 4 < image.width(); ++x)
            for (int y = 0; y + 4 < image.height(); ++y)
                if (countPixels(
                        image, [&](QColor c) { return c == colour; }, QRect(x, y, 4, 4)) == 16)
                    return QPoint(x + 2, y + 2);
        return QPoint(-1, -1);
    };
    const auto tipAt = [&](QPoint at) {
        QToolTip::hideText();
        QHelpEvent event(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        delegate.helpEvent(&event, &view, option, model.index(0, 0));
        return QToolTip::text();
    };
    EXPECT_TRUE(tipAt(insideBox(NodeListDelegate::kSyncOn)).startsWith("SyncIn: on"));
    EXPECT_TRUE(tipAt(insideBox(NodeListDelegate::kSyncOff)).startsWith("SyncOut: off"));
    EXPECT_EQ(tipAt(QPoint(20, 50)), "Address: 127.0.0.9");
}

TEST(NodeListDelegateTest, DetailLineTakesTheGivenColour)
{
    const auto reddish = [](QColor c) { return c.red() > 150 && c.green() < 110 && c.blue() < 110; };
    const QRect detailBand(0, 27, kWidth, 17);
    Entry entry;
    entry.detail = "Communication problem";
    EXPECT_EQ(countPixels(paintEntry(entry), reddish, detailBand), 0);
    entry.colour = static_cast<int>(Qt::red);
    EXPECT_GT(countPixels(paintEntry(entry), reddish, detailBand), 10);
    EXPECT_EQ(countPixels(paintEntry(entry), reddish, QRect(0, 0, kWidth, 26)), 0);
}

TEST(NodeListDelegateTest, RedRowsShowAsABadgeAtTheTopRight)
{
    const auto badgeFill = [](QColor c) { return c == NodeListDelegate::kBadgeFill; };
    Entry entry;
    entry.redRows = 0;
    EXPECT_EQ(countPixels(paintEntry(entry), badgeFill), 0);
    entry.redRows = 12;
    const QImage image = paintEntry(entry);
    const QRect badge = NodeListDelegate::problemsBadge(QStyleOptionViewItem().font, QRect(0, 0, kWidth, kHeight), 12);
    EXPECT_GT(badge.left(), kWidth / 2);
    EXPECT_GT(countPixels(image, badgeFill, badge), badge.width() * badge.height() / 3);
    EXPECT_EQ(countPixels(image, badgeFill), countPixels(image, badgeFill, badge));
}

TEST(NodeListDelegateTest, PictureSitsLeftAndPushesTheTextRight)
{
    Entry plain;
    const int plainText = leftmostInk(paintEntry(plain), 0, kHeight);
    EXPECT_GE(plainText, 10);
    EXPECT_LT(plainText, 20);

    QPixmap blue(20, 20);
    blue.fill(QColor(0, 0, 255));
    Entry pictured;
    pictured.picture = QIcon(blue);
    const QImage image = paintEntry(pictured);
    EXPECT_EQ(leftmostInk(image, 0, kHeight), 5);
    EXPECT_EQ(image.pixelColor(5, 10 + (kHeight - 10) / 2), QColor(0, 0, 255));
    EXPECT_GE(leftmostInk(image.copy(30, 0, kWidth - 30, kHeight), 0, kHeight) + 30, 55);
}

} // namespace
} // namespace z2e
