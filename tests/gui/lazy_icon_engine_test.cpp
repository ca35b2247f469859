// Icons made when first drawn: nothing is read while they are only set, the picture is the
// file's own, and a missing file stays a null icon.

#include "gui/lazy_icon_engine.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

using z2e::LazyIconEngine;

namespace {

const QString kFile = ":/icons/res/settings.png";

} // namespace

TEST(LazyIconEngineTest, ReadsTheFileOnlyWhenDrawnAndOnce)
{
    int made = 0;
    QIcon icon(new LazyIconEngine([&made] {
        ++made;
        return QIcon(kFile);
    }));
    QAction action("Settings");
    action.setIcon(icon);
    EXPECT_FALSE(action.icon().isNull());
    EXPECT_EQ(made, 0) << "setting and asking isNull() made the icon";

    const QImage drawn = action.icon().pixmap(QSize(32, 32)).toImage();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(drawn, QIcon(kFile).pixmap(QSize(32, 32)).toImage());
    EXPECT_EQ(action.icon().actualSize(QSize(64, 64)), QSize(48, 48));
    EXPECT_EQ(made, 1);
}

TEST(LazyIconEngineTest, AMissingFileIsANullIconAndAStyleIconIsTheStyles)
{
    EXPECT_TRUE(LazyIconEngine::fromFile(":/icons/res/no-such-icon.png").isNull());
    EXPECT_FALSE(LazyIconEngine::fromFile(kFile).isNull());

    const QIcon close = LazyIconEngine::fromStyle(QStyle::SP_DialogCloseButton);
    EXPECT_EQ(close.pixmap(QSize(16, 16)).toImage(),
              QApplication::style()->standardIcon(QStyle::SP_DialogCloseButton).pixmap(QSize(16, 16)).toImage());
}
