#include "platform/ServerFrames.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QWindow>

#if BRIVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

TServerFrames::TServerFrames(QWindow *window)
    : m_window(window)
{}

TServerFrames::~TServerFrames()
{
    release();
}

#if BRIVO_HAVE_XCB
namespace {

xcb_connection_t *x11Connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Whether pictures of the depth take 32 bits a pixel, least significant byte first: the layout of a
// QImage in RGB32 or premultiplied ARGB32 on this machine, sent as it is.
bool sendsAsItIs(xcb_connection_t *c, std::uint8_t depth)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    return false;
}

} // namespace

bool TServerFrames::show(int index, const QPixmap &frame)
{
    if (m_unusable || index < 0 || index >= MaxFrames || frame.isNull() || frame.devicePixelRatio() != 1.0)
        return false;
    // the application keeps its X connection for its whole run: it is looked up once
    xcb_connection_t *c = m_connection ? static_cast<xcb_connection_t *>(m_connection) : x11Connection();
    if (!c || xcb_connection_has_error(c))
        return false;
    const QSize size = frame.size();
    if (size != m_window->size() || size.isEmpty())
        return false;
    const auto window = static_cast<xcb_window_t>(m_window->winId());
    if (c != m_connection || window != m_drawable || size != m_size) {
        release();
        // the window's depth is asked once; the pictures are made at it
        xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        if (!geometry) {
            m_unusable = true;
            return false;
        }
        m_depth = geometry->depth;
        free(geometry);
        if ((m_depth != 24 && m_depth != 32) || !sendsAsItIs(c, m_depth)) {
            m_unusable = true;
            return false;
        }
        m_connection = c;
        m_drawable = window;
        m_size = size;
        m_gc = xcb_generate_id(c);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(c, m_gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    const auto w = std::uint16_t(size.width());
    const auto h = std::uint16_t(size.height());
    std::uint32_t &picture = m_pictures[std::size_t(index)];
    if (m_keys[std::size_t(index)] != frame.cacheKey() || !picture) {
        const QImage image =
            frame.toImage().convertToFormat(m_depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        // one request carries the picture; a frame larger than a request may be is drawn another way
        if (std::size_t(image.sizeInBytes()) + 64 > std::size_t(xcb_get_maximum_request_length(c)) * 4)
            return false;
        if (!picture) {
            picture = xcb_generate_id(c);
            xcb_create_pixmap(c, m_depth, picture, window, w, h);
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, picture, m_gc, w, h, 0, 0, 0, m_depth,
                      std::uint32_t(image.sizeInBytes()), image.constBits());
        m_keys[std::size_t(index)] = frame.cacheKey();
    }
    xcb_copy_area(c, picture, window, m_gc, 0, 0, 0, 0, w, h);
    xcb_flush(c);
    return true;
}

void TServerFrames::release()
{
    auto *c = static_cast<xcb_connection_t *>(m_connection);
    // pictures of a connection that is gone went with it
    if (c && c == x11Connection() && !xcb_connection_has_error(c)) {
        for (std::uint32_t picture : m_pictures)
            if (picture)
                xcb_free_pixmap(c, picture);
        if (m_gc)
            xcb_free_gc(c, m_gc);
        xcb_flush(c);
    }
    m_connection = nullptr;
    m_drawable = 0;
    m_gc = 0;
    m_size = QSize();
    m_pictures.fill(0);
    m_keys.fill(0);
}

#else

bool TServerFrames::show(int, const QPixmap &)
{
    return false;
}

void TServerFrames::release()
{}

#endif
