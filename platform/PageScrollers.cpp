#include "platform/PageScrollers.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

TPageScroller::TPageScroller(QWidget *parent)
    : QWidget(parent)
    , m_area(new QScrollArea(this))
    , m_left(new QToolButton(this))
    , m_right(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (QToolButton *b : {m_left, m_right}) {
        b->setAutoRaise(true);
        b->setAutoRepeat(true);
        b->setFixedWidth(12);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->hide();
    }
    m_left->setArrowType(Qt::LeftArrow);
    m_right->setArrowType(Qt::RightArrow);
    m_area->setFrameShape(QFrame::NoFrame);
    // a click on the bar leaves the focus where it was (the scroll area would take it)
    m_area->setFocusPolicy(Qt::NoFocus);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setWidgetResizable(false);
    m_area->setBackgroundRole(QPalette::Window);
    row->addWidget(m_left);
    row->addWidget(m_area, 1);
    row->addWidget(m_right);
    connect(m_left, &QToolButton::clicked, this, [this] { scrollStep(-1); });
    connect(m_right, &QToolButton::clicked, this, [this] { scrollStep(1); });
    connect(m_area->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        m_left->setEnabled(value > 0);
        m_right->setEnabled(value < m_area->horizontalScrollBar()->maximum());
        emit OnScroll(value);
    });
}

void TPageScroller::setControl(QWidget *control)
{
    if (m_control)
        m_control->removeEventFilter(this);
    m_control = control;
    m_area->setWidget(control);
    control->installEventFilter(this);
    updateControl();
}

int TPageScroller::position() const
{
    return m_area->horizontalScrollBar()->value();
}

void TPageScroller::setPosition(int x)
{
    m_area->horizontalScrollBar()->setValue(x);
}

void TPageScroller::scrollStep(int direction)
{
    setPosition(position() + direction * Increment);
}

QSize TPageScroller::sizeHint() const
{
    return m_control ? m_control->sizeHint() : QSize(0, 0);
}

QSize TPageScroller::minimumSizeHint() const
{
    const int height = m_control ? m_control->sizeHint().height() : 0;
    return {m_left->width() + m_right->width() + 8, height};
}

bool TPageScroller::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::ShowToParent ||
                                 event->type() == QEvent::HideToParent))
        updateControl();
    return QWidget::eventFilter(watched, event);
}

void TPageScroller::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateControl();
}

void TPageScroller::updateControl()
{
    if (!m_control)
        return;
    const QSize wanted = m_control->sizeHint().expandedTo(m_control->minimumSize());
    const bool overflow = wanted.width() > width();
    m_left->setVisible(overflow);
    m_right->setVisible(overflow);
    const int room = overflow ? width() - m_left->width() - m_right->width() : width();
    m_control->resize(std::max(wanted.width(), room), std::max(wanted.height(), height()));
    setMinimumHeight(wanted.height());
    updateGeometry();
    m_left->setEnabled(position() > 0);
    m_right->setEnabled(position() < m_area->horizontalScrollBar()->maximum());
}
