// The page scroller around a bar wider than its room.
#include "platform/PageScrollers.h"

#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(PageScroller, ArrowsAppearOnlyWhenTheBarDoesNotFitAndStepByTheIncrement)
{
    QWidget parent;
    TPageScroller scroller(&parent);
    auto *bar = new QWidget;
    bar->setMinimumSize(500, 22);
    bar->setFixedSize(500, 22);
    scroller.setControl(bar);
    scroller.resize(200, 22);
    parent.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(scroller.width(), 200);
    EXPECT_TRUE(scroller.leftButton()->isVisible());
    EXPECT_TRUE(scroller.rightButton()->isVisible());
    EXPECT_FALSE(scroller.leftButton()->isEnabled()) << "at the start only the right arrow scrolls";
    QTest::mouseClick(scroller.rightButton(), Qt::LeftButton);
    EXPECT_EQ(scroller.position(), 23);
    EXPECT_TRUE(scroller.leftButton()->isEnabled());
    for (int i = 0; i < 40; ++i)
        scroller.scrollStep(1);
    EXPECT_FALSE(scroller.rightButton()->isEnabled()) << "at the end the right arrow stops";
    scroller.resize(600, 22);
    QCoreApplication::processEvents();
    EXPECT_FALSE(scroller.leftButton()->isVisible());
    EXPECT_FALSE(scroller.rightButton()->isVisible());
}
