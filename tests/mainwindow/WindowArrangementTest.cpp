// Tiling, cascading and icon geometry of the page windows.
#include "mainwindow/WindowArrangement.h"

#include <gtest/gtest.h>

using namespace arrangement;

namespace {

// Every pixel of the area is covered exactly once.
void expectPartition(const QList<QRect> &rects, const QRect &area)
{
    long long sum = 0;
    for (int i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(area.contains(rects.at(i))) << i;
        sum += (long long)rects.at(i).width() * rects.at(i).height();
        for (int j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects.at(i).intersects(rects.at(j))) << i << " and " << j;
    }
    EXPECT_EQ(sum, (long long)area.width() * area.height());
}

TEST(WindowArrangement, TilesCoverTheAreaWithoutOverlap)
{
    const QRect area(0, 0, 1001, 757);
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const QList<QRect> v = tileVertical(n, area);
        const QList<QRect> h = tileHorizontal(n, area);
        ASSERT_EQ(v.size(), n);
        ASSERT_EQ(h.size(), n);
        expectPartition(v, area);
        expectPartition(h, area);
    }
}

TEST(WindowArrangement, FewWindowsSitSideBySideOrOneAboveAnother)
{
    const QRect area(10, 20, 900, 600);
    EXPECT_EQ(tileVertical(3, area),
              QList<QRect>({QRect(10, 20, 300, 600), QRect(310, 20, 300, 600), QRect(610, 20, 300, 600)}));
    EXPECT_EQ(tileHorizontal(2, area), QList<QRect>({QRect(10, 20, 900, 300), QRect(10, 320, 900, 300)}));
    // five windows side by side: two columns, the second holding three
    const QList<QRect> five = tileVertical(5, area);
    EXPECT_EQ(five.at(0), QRect(10, 20, 450, 300));
    EXPECT_EQ(five.at(2), QRect(460, 20, 450, 200));
    EXPECT_TRUE(tileVertical(0, area).isEmpty());
    EXPECT_TRUE(tileVertical(3, QRect()).isEmpty());
}

TEST(WindowArrangement, CascadeStepsAndKeepsWindowsLarge)
{
    const QRect area(0, 0, 800, 600);
    const QList<QRect> c = cascade(3, area, 24);
    ASSERT_EQ(c.size(), 3);
    EXPECT_EQ(c.at(0), QRect(0, 0, 752, 552));
    EXPECT_EQ(c.at(2), QRect(48, 48, 752, 552));
    EXPECT_EQ(c.at(2).bottomRight(), area.bottomRight());
    // many windows start a new diagonal rather than shrink below half the area
    const QList<QRect> many = cascade(40, area, 24);
    for (const QRect &r : many) {
        EXPECT_GE(r.width(), 400);
        EXPECT_GE(r.height(), 300);
        EXPECT_TRUE(area.contains(r));
    }
    EXPECT_EQ(many.at(0).topLeft(), many.at(13).topLeft());
}

TEST(WindowArrangement, NewWindowsCascadeInsideTheAreaAndStartAgainWhenOut)
{
    const QRect area(10, 20, 800, 600);
    EXPECT_EQ(newWindowPlace(0, QSize(696, 480), area, 24), QRect(10, 20, 696, 480));
    EXPECT_EQ(newWindowPlace(2, QSize(696, 480), area, 24), QRect(58, 68, 696, 480));
    // four steps fit across (104 / 24), the fifth window goes back to the top left
    EXPECT_TRUE(area.contains(newWindowPlace(4, QSize(696, 480), area, 24)));
    EXPECT_EQ(newWindowPlace(5, QSize(696, 480), area, 24).topLeft(), area.topLeft());
    // a window wider or taller than the area is cut to it and never starts left of or above it
    const QRect narrow(0, 0, 593, 400);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(newWindowPlace(i, QSize(696, 480), narrow, 24), narrow) << i;
    EXPECT_EQ(newWindowPlace(1, QSize(696, 300), narrow, 24), QRect(0, 0, 593, 300));
}

TEST(WindowArrangement, IconsLineUpAlongTheBottom)
{
    const QList<QRect> icons = arrangeIcons(5, QRect(0, 0, 400, 300), QSize(160, 30));
    ASSERT_EQ(icons.size(), 5);
    EXPECT_EQ(icons.at(0), QRect(0, 270, 160, 30));
    EXPECT_EQ(icons.at(1), QRect(160, 270, 160, 30));
    EXPECT_EQ(icons.at(2), QRect(0, 240, 160, 30));
}

} // namespace
