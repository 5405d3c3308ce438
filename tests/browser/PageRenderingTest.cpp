// The choice of the page views' renderer: which OpenGL renderer names are software rasterisers, and
// a renderer the user chose through the environment standing.
#include "browser/PageRendering.h"

#include "common/SeamGuards.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <gtest/gtest.h>

TEST(PageRendering, SoftwareRasterisersAndMissingOpenGLAreToldFromGraphicsProcessors)
{
    for (const char *software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Softpipe", "Mesa DRI swrast",
                                 "Software Rasterizer", "GDI Generic", "", "  "})
        EXPECT_TRUE(pagerendering::isSoftwareRenderer(software)) << software;
    for (const char *hardware : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (radeonsi, navi23)",
                                 "NVIDIA GeForce GTX 1060/PCIe/SSE2", "virgl", "SVGA3D; build: RELEASE"})
        EXPECT_FALSE(pagerendering::isSoftwareRenderer(hardware)) << hardware;
}

TEST(PageRendering, ARendererChosenInTheEnvironmentStands)
{
    const QSGRendererInterface::GraphicsApi before = QQuickWindow::graphicsApi();
    const testsupport::SeamGuard restore([before] {
        qunsetenv("QT_QUICK_BACKEND");
        QQuickWindow::setGraphicsApi(before);
    });
    qputenv("QT_QUICK_BACKEND", "rhi");
    EXPECT_FALSE(pagerendering::chooseRenderer());
    EXPECT_EQ(QQuickWindow::graphicsApi(), before);
}

TEST(PageRendering, EngineSwitchesThatAskForTheGraphicsProcessorOrWebGLKeepOpenGL)
{
    for (const char *gpu : {"--ignore-gpu-blocklist", "--ignore-gpu-blacklist", "--enable-webgl",
                            "  --lang=ja   --ignore-gpu-blocklist\t--enable-logging ", "--use-gl=desktop",
                            "--enable-gpu-rasterization --no-sandbox"})
        EXPECT_TRUE(pagerendering::flagsAskForGpu(gpu)) << gpu;
    for (const char *software :
         {"", "--disable-gpu", "--ignore-gpu-blocklist --disable-gpu", "--disable-gpu --enable-webgl",
          "--ignore-gpu-blocklistx", "ignore-gpu-blocklist", "--lang=--enable-webgl", "--disable-webgl"})
        EXPECT_FALSE(pagerendering::flagsAskForGpu(software)) << software;

    // with such switches the renderer is left as it is, even where OpenGL is a software rasteriser
    const QSGRendererInterface::GraphicsApi before = QQuickWindow::graphicsApi();
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const testsupport::SeamGuard restore([before, flags] {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        QQuickWindow::setGraphicsApi(before);
    });
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--ignore-gpu-blocklist");
    EXPECT_FALSE(pagerendering::chooseRenderer());
    EXPECT_EQ(QQuickWindow::graphicsApi(), before);
}
