#pragma once
// REZI: the logo animation in the corner of the menu band. It plays its clip repeatedly and reports
// clicks and mouse presses like a button.
#include <QWidget>

class QTimer;

class REZI : public QWidget {
    Q_OBJECT
public:
    explicit REZI(QWidget *parent = nullptr);
    void Play();
    void Stop();
    bool isPlaying() const;
    int frame() const { return m_frame; }
    static constexpr int FrameCount = 24;
    QSize sizeHint() const override { return {46, 46}; }

signals:
    void OnClick();
    void OnMouseDown();
    void OnMouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QTimer *m_timer;
    int m_frame = 0;
    bool m_pressed = false;
};
