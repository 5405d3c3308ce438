// The program's own images: the tool bar's normal look is a muted form of its hot look at the exact
// size asked for, one meaning is one drawing in both sets, and indexes without an image give nothing.
#include "mainwindow/Icons.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace icons;

namespace {

QImage pixmapImage(const QIcon &icon, int size, QIcon::Mode mode)
{
    return icon.pixmap(QSize(size, size), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(Icons, ToolbarImagesHaveExactSizesAndAMutedNormalLook)
{
    for (int size : {16, 20}) {
        for (int index = 0; index < 17; ++index) {
            SCOPED_TRACE(testing::Message() << "index " << index << " size " << size);
            const QImage normal = pixmapImage(toolbarIcon(index, size), size, QIcon::Normal);
            const QImage active = pixmapImage(toolbarIcon(index, size), size, QIcon::Active);
            EXPECT_EQ(active.size(), QSize(size, size));
            EXPECT_NE(normal, active);
        }
    }
    EXPECT_TRUE(toolbarIcon(-1, 16).isNull());
    EXPECT_TRUE(toolbarIcon(17, 16).isNull());
    EXPECT_TRUE(toolbarIcon(0, 24).isNull());
}

TEST(Icons, MenuImagesExistForTheirIndexesOnly)
{
    const QList<int> listed = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 13, 14, 15, 16, 17,
                               18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 34, 35, 36, 37, 38, 45};
    for (int index = -1; index <= 50; ++index)
        EXPECT_EQ(menuIcon(index).isNull(), !listed.contains(index)) << index;
    // the same meaning is the same drawing in both sets
    EXPECT_EQ(pixmapImage(menuIcon(16), 16, QIcon::Normal), pixmapImage(toolbarIcon(2, 16), 16, QIcon::Active));
}
