#include "mainwindow/Avis.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

REZI::REZI(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setFixedSize(46, 46);
    setCursor(Qt::PointingHandCursor);
    m_timer->setInterval(120);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % FrameCount;
        update();
    });
}

void REZI::Play()
{
    m_timer->start();
}

void REZI::Stop()
{
    m_timer->stop();
}

bool REZI::isPlaying() const
{
    return m_timer->isActive();
}

void REZI::paintEvent(QPaintEvent *)
{
    // a globe whose meridian turns: the program's mark
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(5, 5, -5, -5).translated(m_pressed ? 1 : 0, m_pressed ? 1 : 0);
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
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void REZI::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    update();
    emit OnMouseDown();
}

void REZI::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    update();
    emit OnMouseUp();
    if (rect().contains(event->position().toPoint()))
        emit OnClick();
}
