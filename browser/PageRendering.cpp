#include "browser/PageRendering.h"

#include <QCoreApplication>
#include <QDir>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QResizeEvent>
#include <QSGRendererInterface>

namespace pagerendering {

bool isSoftwareRenderer(const QByteArray &renderer)
{
    const QByteArray name = renderer.trimmed().toLower();
    // Mesa's rasterisers (llvmpipe, softpipe, the swrast driver, Gallium's software path) and
    // Windows' own
    for (const char *software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "gdi generic"})
        if (name.contains(software))
            return true;
    return name.isEmpty();
}

bool flagsAskForGpu(const QByteArray &flags)
{
    bool asks = false;
    for (const QByteArray &flag : flags.simplified().split(' ')) {
        const qsizetype value = flag.indexOf('=');
        const QByteArray name = value < 0 ? flag : flag.left(value);
        if (name == "--disable-gpu")
            return false;
        for (const char *gpu : {"--ignore-gpu-blocklist", "--ignore-gpu-blacklist", "--enable-webgl",
                                "--enable-gpu-rasterization", "--use-gl"})
            if (name == gpu)
                asks = true;
    }
    return asks;
}

namespace {

bool userChoseRenderer()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return true;
    // the user lifted the engine's block on WebGL: the pages need OpenGL, whatever draws it
    return flagsAskForGpu(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
}

QtMessageHandler g_nextHandler = nullptr;

void dropMissingOpenGlWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("QXcbIntegration: Cannot create platform OpenGL context")) ||
         message.trimmed() == QLatin1String("No suitable graphics backend found")))
        return;
    // Qt hands back its own default handler when none was installed before
    if (g_nextHandler)
        g_nextHandler(type, context, message);
}

} // namespace

bool hasGraphicsDevice(const QString &devices)
{
    const QDir::Filters any = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    const QDir root(devices);
    return !QDir(root.filePath(QStringLiteral("dri")))
                .entryList({QStringLiteral("card*"), QStringLiteral("renderD*")}, any)
                .isEmpty() ||
           !root.entryList({QStringLiteral("nvidia*"), QStringLiteral("dxg")}, any).isEmpty();
}

bool openGlOnlyInSoftware(const QString &devices)
{
    if (userChoseRenderer() || qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        return false;
    return !hasGraphicsDevice(devices);
}

void quietMissingOpenGl()
{
    QtMessageHandler previous = qInstallMessageHandler(dropMissingOpenGlWarnings);
    if (previous != dropMissingOpenGlWarnings)
        g_nextHandler = previous;
}

bool chooseRenderer(bool openGlLeftOut)
{
    if (userChoseRenderer())
        return false;
    if (openGlLeftOut) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }
    QByteArray renderer;
    {
        // a context of its own, made current on a surface nobody sees, only to read the name
        QOpenGLContext context;
        QOffscreenSurface surface;
        if (context.create()) {
            surface.setFormat(context.format());
            surface.create();
            if (surface.isValid() && context.makeCurrent(&surface)) {
                if (const auto *name = context.functions()->glGetString(GL_RENDERER))
                    renderer = reinterpret_cast<const char *>(name);
                context.doneCurrent();
            }
        }
    }
    if (!isSoftwareRenderer(renderer))
        return false;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return true;
}

bool softwarePages()
{
    // the API asked for reads as the hardware one it stands beside; the back end names the choice
    return QQuickWindow::sceneGraphBackend() == QLatin1String("software") ||
           qEnvironmentVariable("QT_QUICK_BACKEND") == QLatin1String("software");
}

namespace {

bool drawnInSoftware(const QQuickWidget *surface)
{
    return surface && surface->quickWindow() &&
           surface->quickWindow()->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

} // namespace

bool dropPicture(QQuickWidget *surface)
{
    // Qt Quick Widgets has no call for it: the surface's own slot, which it runs when its scene is
    // let go of, is called by name, and only where the software renderer draws the surface (with
    // OpenGL the picture is a texture the surface keeps for its context)
    if (!drawnInSoftware(surface) || surface->metaObject()->indexOfMethod("destroyFramebufferObject()") < 0)
        return false;
    return QMetaObject::invokeMethod(surface, "destroyFramebufferObject");
}

void redraw(QQuickWidget *surface)
{
    if (!drawnInSoftware(surface) || surface->size().isEmpty())
        return;
    // a resize to its own size: a surface without a picture of its size makes one, and it draws at once
    QResizeEvent resize(surface->size(), surface->size());
    QCoreApplication::sendEvent(surface, &resize);
}

} // namespace pagerendering
