#include "mainwindow/Avis.h"

#include "browser/PageRendering.h"
#include "platform/ActionUpdater.h"
#include "platform/ServerFrames.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <cmath>

namespace {
constexpr int FrameMs = 120;
constexpr int ToolTipDelayMs = 700;
} // namespace

// The small window the frames are drawn in, each at once when it is due (no repaint request to wait
// for); it hands its mouse to the logo and shows the logo's tip.
class TLogoSurface : public QWindow {
public:
    explicit TLogoSurface(REZI *logo)
        : m_logo(logo)
        , m_store(this)
        , m_serverFrames(this)
    {
        setSurfaceType(QSurface::RasterSurface);
        setFlag(Qt::WindowDoesNotAcceptFocus);
        setCursor(Qt::PointingHandCursor);
        m_tipTimer.setSingleShot(true);
        m_tipTimer.setInterval(ToolTipDelayMs);
        QObject::connect(&m_tipTimer, &QTimer::timeout, this, [this] {
            if (!m_logo->toolTip().isEmpty())
                QToolTip::showText(QCursor::pos(), m_logo->toolTip(), m_logo);
        });
    }

    void paintNow()
    {
        if (!isExposed())
            return;
        // the clip's frames, once sent to the X server, are each a copy there; the pressed logo
        // and other platforms go through the backing store
        if (!m_logo->m_pressed && devicePixelRatio() == 1.0 &&
            m_serverFrames.show(m_logo->m_frame, m_logo->cachedFrame(size(), 1.0)))
            return;
        const QRect area(QPoint(), size());
        m_store.beginPaint(area);
        QPainter p(m_store.paintDevice());
        m_logo->paintFrame(p, area);
        p.end();
        m_store.endPaint();
        m_store.flush(area);
    }

protected:
    void exposeEvent(QExposeEvent *) override { paintNow(); }
    void resizeEvent(QResizeEvent *) override { m_store.resize(size()); }
    void mousePressEvent(QMouseEvent *event) override
    {
        m_tipTimer.stop();
        m_logo->press(event->button());
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_logo->release(event->button(), QRect(QPoint(), size()).contains(event->position().toPoint()));
    }
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Enter)
            m_tipTimer.start();
        else if (event->type() == QEvent::Leave) {
            m_tipTimer.stop();
            QToolTip::hideText();
        } else if (event->type() == QEvent::UpdateRequest)
            paintNow();
        return QWindow::event(event);
    }

private:
    REZI *m_logo;
    QBackingStore m_store;
    TServerFrames m_serverFrames;
    QTimer m_tipTimer;
};

REZI::REZI(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setFixedSize(46, 46);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setInterval(FrameMs);
    // a frame changes nothing any command's state depends on
    ActionUpdater::addQuietTimer(m_timer);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % FrameCount;
        repaintFrame();
    });
}

REZI::~REZI()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void REZI::Play()
{
    m_playing = true;
    ensureSurface();
    updateRunning();
}

void REZI::ensureSurface()
{
    if (m_surface || !m_playing)
        return;
    // A raster window that is to hold OpenGL pages is remade when its first page arrives, which would
    // take a surface inside it along, so the surface waits for that. One that stays raster (pages
    // drawn in software) gets it at once: a frame painted through it would otherwise go through the
    // whole window's backing store, waiting each time for the screen to have taken the last one.
    const QWindow *top = window()->windowHandle();
    if (!top || (top->surfaceType() == QSurface::RasterSurface && !pagerendering::softwarePages()))
        return;
    // A platform that makes every window it shows the active one would give the input focus to the
    // logo's window, and its container would take it from the widget that had it: both go back. The
    // first handler runs before the container hears of the change, the second after it.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
        m_focusBeforeSurface = m_surface && focused == m_surface ? QApplication::focusWidget() : nullptr;
    });
    m_surface = new TLogoSurface(this);
    QWidget *container = QWidget::createWindowContainer(m_surface, this);
    container->setObjectName(QStringLiteral("CompanyMarkSurface"));
    container->setFocusPolicy(Qt::NoFocus);
    container->setGeometry(rect());
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
        if (!m_surface || focused != m_surface)
            return;
        if (m_focusBeforeSurface)
            m_focusBeforeSurface->setFocus();
        if (QWindow *top = window()->windowHandle())
            top->requestActivate();
    });
    container->show();
}

void REZI::Stop()
{
    m_playing = false;
    updateRunning();
}

bool REZI::isAnimating() const
{
    return m_timer->isActive();
}

QWindow *REZI::surface() const
{
    return m_surface;
}

void REZI::repaintFrame()
{
    if (m_surface)
        m_surface->paintNow();
    else
        update();
}

void REZI::updateRunning()
{
    const QWidget *top = window();
    const bool run = m_playing && isVisible() && !(top && top->isMinimized());
    if (run && !m_timer->isActive())
        m_timer->start();
    else if (!run)
        m_timer->stop();
}

void REZI::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // the top-level window tells when it is minimised or restored
    if (m_watchedWindow != window()) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
    ensureSurface();
    updateRunning();
}

void REZI::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateRunning();
}

bool REZI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::WinIdChange:
            // the window was made anew, perhaps for web pages
            QTimer::singleShot(0, this, &REZI::ensureSurface);
            break;
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
            updateRunning();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void REZI::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintFrame(p, rect());
}

void REZI::paintFrame(QPainter &p, const QRect &area) const
{
    if (m_pressed) {
        paintGlobe(p, area);
        return;
    }
    // the clip's frames are drawn once each, then copied, in the logo's window or in the widget
    p.drawPixmap(area.topLeft(), cachedFrame(area.size(), p.device()->devicePixelRatioF()));
}

const QPixmap &REZI::cachedFrame(const QSize &size, qreal ratio) const
{
    QPixmap &cached = m_frames[m_frame];
    if (cached.size() != size * ratio || cached.devicePixelRatio() != ratio) {
        cached = QPixmap(size * ratio);
        cached.setDevicePixelRatio(ratio);
        cached.fill(palette().color(backgroundRole()));
        QPainter painter(&cached);
        paintGlobe(painter, QRect(QPoint(), size));
    }
    return cached;
}

void REZI::paintGlobe(QPainter &p, const QRect &area) const
{
    // a globe whose meridian turns: the program's mark, on the logo's own background (what is
    // behind the logo is never drawn for it)
    p.fillRect(area, palette().color(backgroundRole()));
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(area).adjusted(5, 5, -5, -5).translated(m_pressed ? 1 : 0, m_pressed ? 1 : 0);
    QRadialGradient g(r.center() - QPointF(6, 6), r.width());
    g.setColorAt(0, QColor(120, 190, 255));
    g.setColorAt(1, QColor(20, 70, 160));
    p.setBrush(g);
    p.setPen(QPen(QColor(10, 40, 110), 1.2));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 240, 255, 200), 1.2));
    const double phase = double(m_frame) / FrameCount;
    for (int i = 0; i < 2; ++i) {
        const double t = std::fmod(phase + i * 0.5, 1.0);
        const double w = r.width() * std::abs(std::cos(t * 3.14159265));
        p.drawEllipse(QRectF(r.center().x() - w / 2, r.top(), w, r.height()));
    }
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    if (m_pressed) {
        p.setPen(QPen(palette().color(QPalette::Dark), 1));
        p.drawRect(area.adjusted(0, 0, -1, -1));
    }
}

void REZI::press(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    m_pressed = true;
    repaintFrame();
    emit OnMouseDown();
}

void REZI::release(Qt::MouseButton button, bool inside)
{
    if (button != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    repaintFrame();
    emit OnMouseUp();
    if (inside)
        emit OnClick();
}

void REZI::mousePressEvent(QMouseEvent *event)
{
    press(event->button());
}

void REZI::mouseReleaseEvent(QMouseEvent *event)
{
    release(event->button(), rect().contains(event->position().toPoint()));
}
