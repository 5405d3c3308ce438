#pragma once
// REZI: the logo animation in the corner of the menu band. It plays its clip repeatedly and reports
// clicks and mouse presses like a button.
//
// While it plays, its frames are drawn in a small window of their own inside the widget, so a frame
// costs only its own pixels: the window around it (which may hold web pages) is not repainted for
// it. The clip pauses while the logo or its window is hidden or minimised and goes on when it shows.
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>

class QTimer;
class QWindow;
class TLogoSurface;

class REZI : public QWidget {
    Q_OBJECT
public:
    explicit REZI(QWidget *parent = nullptr);
    ~REZI() override;
    void Play();
    void Stop();
    // True from Play() to Stop(), paused or not.
    bool isPlaying() const { return m_playing; }
    // True while frames are being drawn: playing, shown and not minimised.
    bool isAnimating() const;
    int frame() const { return m_frame; }
    static constexpr int FrameCount = 24;
    QSize sizeHint() const override { return {46, 46}; }
    // The window the frames are drawn in while playing (null before the first Play()).
    QWindow *surface() const;

signals:
    void OnClick();
    void OnMouseDown();
    void OnMouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TLogoSurface;
    void paintFrame(QPainter &p, const QRect &area) const;
    void paintGlobe(QPainter &p, const QRect &area) const;
    // The current frame of the clip at the size, drawn once and kept.
    const QPixmap &cachedFrame(const QSize &size, qreal ratio) const;
    void press(Qt::MouseButton button);
    void release(Qt::MouseButton button, bool inside);
    void ensureSurface();
    void repaintFrame();
    void updateRunning();

    QTimer *m_timer;
    TLogoSurface *m_surface = nullptr;
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWidget> m_focusBeforeSurface;
    mutable std::array<QPixmap, FrameCount> m_frames;
    int m_frame = 0;
    bool m_pressed = false;
    bool m_playing = false;
};
