// The program's own images: every image the windows ask for exists at its exact size, the tool bar's
// normal look differs from its hot look, and indexes without an image give nothing.
#include "mainwindow/Icons.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace icons;

namespace {

QImage pixmapImage(const QIcon &icon, int size, QIcon::Mode mode)
{
    return icon.pixmap(QSize(size, size), 1.0, mode).toImage();
}

// Not blank: some pixel is visible.
bool drawn(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
    return false;
}

const int menuIndexes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 13, 14, 15, 16, 17,
                           18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 34, 35, 36, 37, 38, 45};

} // namespace

TEST(Icons, ToolbarImagesHaveExactSizesAndAMutedNormalLook)
{
    for (int size : {16, 20}) {
        for (int index = 0; index < 17; ++index) {
            SCOPED_TRACE(testing::Message() << "index " << index << " size " << size);
            const QIcon icon = toolbarIcon(index, size);
            ASSERT_FALSE(icon.isNull());
            const QImage normal = pixmapImage(icon, size, QIcon::Normal);
            const QImage active = pixmapImage(icon, size, QIcon::Active);
            EXPECT_EQ(normal.size(), QSize(size, size));
            EXPECT_EQ(active.size(), QSize(size, size));
            EXPECT_TRUE(drawn(active));
            EXPECT_NE(normal.convertToFormat(QImage::Format_ARGB32), active.convertToFormat(QImage::Format_ARGB32));
        }
    }
    EXPECT_TRUE(toolbarIcon(-1, 16).isNull());
    EXPECT_TRUE(toolbarIcon(17, 16).isNull());
    EXPECT_TRUE(toolbarIcon(0, 24).isNull());
}

TEST(Icons, MenuImagesExistForTheirIndexesOnly)
{
    QList<int> listed(std::begin(menuIndexes), std::end(menuIndexes));
    for (int index = -1; index <= 50; ++index) {
        SCOPED_TRACE(testing::Message() << "index " << index);
        const QIcon icon = menuIcon(index);
        if (!listed.contains(index)) {
            EXPECT_TRUE(icon.isNull());
            continue;
        }
        ASSERT_FALSE(icon.isNull());
        const QImage image = pixmapImage(icon, 16, QIcon::Normal);
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_TRUE(drawn(image));
    }
    // the same meaning is the same drawing in both sets
    EXPECT_EQ(pixmapImage(menuIcon(16), 16, QIcon::Normal), pixmapImage(toolbarIcon(2, 16), 16, QIcon::Active));
}

TEST(Icons, TabAndProgramImages)
{
    for (const QIcon &icon : {pageTabIcon(), programIcon()}) {
        ASSERT_FALSE(icon.isNull());
        const QImage image = pixmapImage(icon, 16, QIcon::Normal);
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_TRUE(drawn(image));
    }
}
