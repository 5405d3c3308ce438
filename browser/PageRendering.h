#pragma once
// How the page views are drawn. The engine hands each page to a Qt Quick view inside the window; on
// a graphics processor that view is drawn through OpenGL, and the whole window with it. Where OpenGL
// itself runs on the processor (a software rasteriser: no graphics processor, a virtual screen),
// that path costs start-up time, memory and a composition of every page view at each repaint of
// the window, a blinking caret included; Qt Quick's software renderer draws the same pages without
// it, each view into its own picture, and a repaint then touches only what changed.
#include <QByteArray>
#include <QString>

class QQuickWidget;

namespace pagerendering {

// Whether an OpenGL renderer name (GL_RENDERER) is that of a software rasteriser; an empty name
// (no OpenGL at all) counts as one.
bool isSoftwareRenderer(const QByteArray &renderer);

// Whether the engine's switches (as in QTWEBENGINE_CHROMIUM_FLAGS) ask for the graphics processor or
// for WebGL: the switch that lifts the engine's list of blocked graphics drivers, one that turns
// WebGL or drawing on the graphics processor on, or one that names the OpenGL to use. A switch that
// turns the graphics processor off wins over them.
bool flagsAskForGpu(const QByteArray &flags);

// Whether the folder of devices (/dev) holds one that a graphics driver draws on: a card or render
// node of the kernel's drivers, one of NVIDIA's own driver, or WSL's. Without any, OpenGL can only be
// a software rasteriser.
bool hasGraphicsDevice(const QString &devices = QStringLiteral("/dev"));

// Whether OpenGL could only be a software rasteriser here (hasGraphicsDevice) and the user made no
// choice of renderer (as chooseRenderer tells them, or QT_XCB_GL_INTEGRATION naming the OpenGL to
// use). Then the page views are drawn in software whatever the library says, and the program starts
// without the graphics library: the engine's set-up would load it (tens of megabytes of a software
// rasteriser) only for a context no page is drawn with. Asked before the application object is made.
bool openGlOnlyInSoftware(const QString &devices = QStringLiteral("/dev"));

// Keeps the two warnings a start without the graphics library makes (Qt's, and the engine's that it
// has no OpenGL of its own) from the terminal; every other message passes as before.
void quietMissingOpenGl();

// Picks the software renderer for the page views when OpenGL is a software rasteriser or missing
// (openGlLeftOut: the program started without it, see openGlOnlyInSoftware; else OpenGL is asked).
// Call after the application object is made and before the first page view or profile. A choice the
// user made stands: QT_QUICK_BACKEND or QSG_RHI_BACKEND in the environment, or engine switches that
// ask for the graphics processor or WebGL (flagsAskForGpu), which keep OpenGL even on a software
// rasteriser. True when the software renderer was picked.
bool chooseRenderer(bool openGlLeftOut = false);

// True when the page views are drawn by Qt Quick's software renderer: a window holding them then
// stays a raster window, it is not made anew for OpenGL when its first page arrives.
bool softwarePages();

// Lets a hidden page view's surface go of its picture: the software renderer keeps one the size of
// the view for as long as the view lives, shown or not. Nothing happens where the surface is drawn
// through OpenGL, or where this Qt keeps no such picture apart. True when it was let go of.
bool dropPicture(QQuickWidget *surface);

// Draws the picture of a surface shown again before anything is painted: one let go of is made anew
// at the surface's size.
void redraw(QQuickWidget *surface);

} // namespace pagerendering
