// The choice of the page views' renderer: which OpenGL renderer names are software rasterisers, a
// renderer the user chose through the environment standing, and a start without the graphics
// library where no graphics device could draw.
#include "browser/PageRendering.h"

#include "common/SeamGuards.h"

#include <QDir>
#include <QFile>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

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

TEST(PageRendering, OpenGlIsLeftOutOnlyWhereNoGraphicsDeviceCouldDrawAndTheUserChoseNothing)
{
    QTemporaryDir devices;
    ASSERT_TRUE(devices.isValid());
    QDir root(devices.path());
    auto make = [&root](const QString &path) {
        QFile f(root.filePath(path));
        return f.open(QIODevice::WriteOnly);
    };
    const QByteArrayList names = {"QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "QTWEBENGINE_CHROMIUM_FLAGS",
                                  "QT_XCB_GL_INTEGRATION"};
    QList<std::optional<QByteArray>> kept;
    for (const QByteArray &name : names) {
        kept.append(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qunsetenv(name);
    }
    const QSGRendererInterface::GraphicsApi before = QQuickWindow::graphicsApi();
    const testsupport::SeamGuard restore([&] {
        for (qsizetype i = 0; i < names.size(); ++i)
            kept.at(i) ? qputenv(names.at(i), *kept.at(i)) : qunsetenv(names.at(i));
        QQuickWindow::setGraphicsApi(before);
    });

    // a machine without devices (a container, a virtual screen) and one with a DRI folder of nothing
    EXPECT_FALSE(pagerendering::hasGraphicsDevice(devices.path()));
    ASSERT_TRUE(root.mkdir(QStringLiteral("dri")));
    EXPECT_FALSE(pagerendering::hasGraphicsDevice(devices.path()));
    EXPECT_TRUE(pagerendering::openGlOnlyInSoftware(devices.path()));
    // a choice of the user's keeps OpenGL
    for (const auto &[name, value] : {std::pair("QT_QUICK_BACKEND", "rhi"), std::pair("QSG_RHI_BACKEND", "opengl"),
                                      std::pair("QTWEBENGINE_CHROMIUM_FLAGS", "--ignore-gpu-blocklist"),
                                      std::pair("QT_XCB_GL_INTEGRATION", "xcb_egl")}) {
        qputenv(name, value);
        EXPECT_FALSE(pagerendering::openGlOnlyInSoftware(devices.path())) << name;
        qunsetenv(name);
    }
    // any device a driver draws on: the library itself tells what it draws with
    for (const QString &device : {QStringLiteral("dri/renderD128"), QStringLiteral("dri/card0"),
                                  QStringLiteral("nvidia0"), QStringLiteral("dxg")}) {
        QTemporaryDir other;
        ASSERT_TRUE(other.isValid());
        root = QDir(other.path());
        ASSERT_TRUE(root.mkdir(QStringLiteral("dri")));
        ASSERT_TRUE(make(device));
        EXPECT_TRUE(pagerendering::hasGraphicsDevice(other.path())) << device.toStdString();
        EXPECT_FALSE(pagerendering::openGlOnlyInSoftware(other.path())) << device.toStdString();
    }

    // started without it, the software renderer is picked without asking OpenGL; a choice of the
    // user's still stands
    qputenv("QT_QUICK_BACKEND", "rhi");
    EXPECT_FALSE(pagerendering::chooseRenderer(true));
    EXPECT_EQ(QQuickWindow::graphicsApi(), before);
    qunsetenv("QT_QUICK_BACKEND");
    EXPECT_TRUE(pagerendering::chooseRenderer(true));
    EXPECT_TRUE(pagerendering::softwarePages());
}

TEST(PageRendering, OnlyTheWarningsOfAStartWithoutOpenGlAreKeptQuiet)
{
    static QStringList heard;
    heard.clear();
    const QtMessageHandler before = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { heard.append(message); });
    const testsupport::SeamGuard restore([before] { qInstallMessageHandler(before); });
    pagerendering::quietMissingOpenGl();
    qWarning("QXcbIntegration: Cannot create platform OpenGL context, neither GLX nor EGL are enabled");
    qWarning("No suitable graphics backend found\n");
    qWarning("No suitable graphics backend found for the printer");
    qWarning("Some other warning");
    qInfo("No suitable graphics backend found");
    EXPECT_EQ(heard, QStringList({QStringLiteral("No suitable graphics backend found for the printer"),
                                  QStringLiteral("Some other warning"),
                                  QStringLiteral("No suitable graphics backend found")}));
}
