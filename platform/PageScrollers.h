#pragma once
// A page scroller: shows one control (a tool bar) at its full width and, when the control is wider than
// the room it has, arrow buttons at both ends that scroll it by Increment pixels a step (repeating while
// held). Without the need the arrows are hidden.
#include <QWidget>

class QScrollArea;
class QToolButton;

class TPageScroller : public QWidget {
    Q_OBJECT
public:
    explicit TPageScroller(QWidget *parent = nullptr);

    void setControl(QWidget *control);
    QWidget *control() const { return m_control; }
    int Increment = 23;
    int position() const;
    void setPosition(int x);
    // Scroll by a step to the right (positive) or left (negative).
    void scrollStep(int direction);
    QToolButton *leftButton() const { return m_left; }
    QToolButton *rightButton() const { return m_right; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void OnScroll(int position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateControl();

    QWidget *m_control = nullptr;
    QScrollArea *m_area;
    QToolButton *m_left;
    QToolButton *m_right;
};
