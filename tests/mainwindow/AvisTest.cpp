// The logo animation: its clip pauses while it cannot be seen, and inside a window that holds web
// pages a frame is drawn in the logo's own small window, never by repainting the window around it.
#include "mainwindow/Avis.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

// Counts the repaint requests a widget's window receives.
struct TUpdateCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::UpdateRequest)
            ++count;
        return false;
    }
};

} // namespace

TEST(Avis, TheClipPausesWhileHiddenOrMinimisedAndGoesOnWhenShown)
{
    QWidget top;
    auto *logo = new REZI(&top);
    logo->Play();
    EXPECT_FALSE(logo->isAnimating()) << "no frames before the window shows";
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    EXPECT_TRUE(logo->isAnimating());
    top.showMinimized();
    EXPECT_FALSE(logo->isAnimating()) << "minimised";
    top.showNormal();
    EXPECT_TRUE(logo->isAnimating()) << "restored";
    top.hide();
    EXPECT_FALSE(logo->isAnimating()) << "hidden";
    top.show();
    EXPECT_TRUE(logo->isAnimating()) << "shown again";
    logo->hide();
    EXPECT_FALSE(logo->isAnimating()) << "the logo alone hidden";
    logo->show();
    EXPECT_TRUE(logo->isAnimating());
    logo->Stop();
    EXPECT_FALSE(logo->isAnimating());
    EXPECT_FALSE(logo->isPlaying());
    top.hide();
    top.show();
    EXPECT_FALSE(logo->isAnimating()) << "stopped stays stopped";
}

TEST(Avis, AFrameBesideWebPagesRepaintsOnlyTheLogo)
{
    QWidget top;
    top.resize(400, 300);
    auto *column = new QVBoxLayout(&top);
    auto *logo = new REZI(&top);
    column->addWidget(logo);
    auto *view = new QWebEngineView(&top);
    column->addWidget(view);
    top.show();
    logo->Play();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    view->setHtml(QStringLiteral("<p>a quiet page</p>"));
    // the page needs a GL surface for the window; platforms without GL (offscreen) draw it in raster,
    // where a frame repaints only the logo's pixels anyway (bench/idle_cpu.sh measures the GL case)
    if (!waitUntil([&] { return top.windowHandle()->surfaceType() != QSurface::RasterSurface; }, 3000))
        GTEST_SKIP() << "this platform gives the window no GL surface for its web page";
    ASSERT_TRUE(waitUntil([&] { return logo->surface() != nullptr; }, 20000)) << "no window of its own for the logo";

    ASSERT_TRUE(waitUntil([&] { return loaded.count() > 0; }, 20000)) << "the page did not load";
    // the page's own first paints settle before the count starts
    QTest::qWait(1000);
    TUpdateCounter counter;
    top.installEventFilter(&counter);
    const int first = logo->frame();
    ASSERT_TRUE(waitUntil([&] { return (logo->frame() - first + REZI::FrameCount) % REZI::FrameCount >= 3; }))
        << "the clip does not play; frame " << logo->frame();
    EXPECT_EQ(counter.count, 0) << "frames repainted the window holding the page";
    top.removeEventFilter(&counter);
}

TEST(Avis, WithPagesDrawnInSoftwareAFrameRepaintsOnlyTheLogoAtOnce)
{
    // pages drawn in software leave the window a raster one for good: the logo has its own window
    // from the start, and a frame never repaints the window around it
    const QString before = QQuickWindow::sceneGraphBackend();
    const testsupport::SeamGuard restore([before] { QQuickWindow::setSceneGraphBackend(before); });
    QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
    QWidget top;
    auto *logo = new REZI(&top);
    logo->Play();
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    ASSERT_EQ(top.windowHandle()->surfaceType(), QSurface::RasterSurface);
    ASSERT_NE(logo->surface(), nullptr) << "no window of its own for the logo";
    QTest::qWait(200);
    TUpdateCounter counter;
    top.installEventFilter(&counter);
    const int first = logo->frame();
    ASSERT_TRUE(waitUntil([&] { return (logo->frame() - first + REZI::FrameCount) % REZI::FrameCount >= 3; }))
        << "the clip does not play; frame " << logo->frame();
    EXPECT_EQ(counter.count, 0) << "frames repainted the window around the logo";
    top.removeEventFilter(&counter);
}
