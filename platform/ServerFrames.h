#pragma once
// TServerFrames: the frames of a small animation kept by the X server, each sent once, so that
// showing a frame in a window costs one small request (a copy from the server's picture into the
// window), with no image sent, no backing store and no wait for the screen.
#include <QSize>
#include <array>
#include <cstdint>

class QPixmap;
class QWindow;

class TServerFrames {
public:
    static constexpr int MaxFrames = 32;
    explicit TServerFrames(QWindow *window);
    ~TServerFrames();
    TServerFrames(const TServerFrames &) = delete;
    TServerFrames &operator=(const TServerFrames &) = delete;

    // Shows the frame of the given index in the whole window, sending its picture first when it is
    // new or changed (told by the pixmap's cache key). False where this cannot draw: no X11 window,
    // a pixel layout it does not send, a frame of another size than the window, an index outside
    // 0..MaxFrames-1; the caller then draws the frame its own way.
    bool show(int index, const QPixmap &frame);

private:
    void release();

    QWindow *m_window;
    void *m_connection = nullptr; // the X connection the pictures were made on
    std::uint32_t m_drawable = 0;
    std::uint32_t m_gc = 0;
    std::uint8_t m_depth = 0;
    bool m_unusable = false;
    QSize m_size;
    std::array<std::uint32_t, MaxFrames> m_pictures{};
    std::array<qint64, MaxFrames> m_keys{};
};
