#include "mainwindow/StatusBars.h"

#include "platform/ApplicationTitle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

TBrivoStatusBar::TBrivoStatusBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar"));
}

QSize TBrivoStatusBar::sizeHint() const
{
    return {400, fontMetrics().height() + 8};
}

void TBrivoStatusBar::setPanelText(const QString &text)
{
    m_text = text;
    update();
}

void TBrivoStatusBar::setPanelWidth(int panel, int width)
{
    m_widths[panel] = std::max(0, width);
    update();
}

void TBrivoStatusBar::setProgress(int progress, int progressMax)
{
    m_progress = progress;
    m_progressMax = progressMax;
    update();
}

int TBrivoStatusBar::progressFill() const
{
    if (m_progressMax == 0)
        return 0;
    const QRect r = panelRect(1);
    // the product first, then the division, as integers
    return int((qint64(r.width()) * m_progress) / m_progressMax);
}

QRect TBrivoStatusBar::panelRect(int panel) const
{
    int x = 0;
    for (int i = 0; i < panel; ++i)
        x += m_widths[i];
    return QRect(x, 0, m_widths[panel], height());
}

void TBrivoStatusBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    for (int i = 0; i < 3; ++i) {
        const QRect r = panelRect(i);
        if (r.width() <= 0)
            continue;
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
    const QRect r0 = panelRect(0).adjusted(3, 0, -3, 0);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r0, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               fontMetrics().elidedText(m_text, Qt::ElideRight, r0.width()));
    const QRect r1 = panelRect(1).adjusted(2, 2, -2, -2);
    if (m_progressMax != 0 && r1.width() > 0) {
        QRect fill = r1;
        fill.setWidth(int((qint64(r1.width()) * m_progress) / m_progressMax));
        p.fillRect(fill.intersected(r1), QColor(0, 0, 255));
    }
    const QRect r2 = panelRect(2);
    if (r2.width() > 0) {
        m_icon.paint(&p, QRect(r2.left() + 2, r2.top() + (r2.height() - 16) / 2, 16, 16));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r2.adjusted(20, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   applicationtitle::get());
    }
}

void TBrivoStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit OnResize();
}

void TBrivoStatusBar::mouseReleaseEvent(QMouseEvent *event)
{
    emit OnMouseUp(int(event->position().x()));
}
