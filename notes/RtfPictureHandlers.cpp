// Pictures (\pict, \shppict, \nonshppict) and objects (\object with its \result).
#include "notes/RtfReaderCore.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

namespace rtf::reader {

void Reader::picture(const Token &t, int)
{
    State &s = st();
    if ((s.Destination != Dest::Body && s.Destination != Dest::ObjectResult) || m_states.size() < 2) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Picture;
    s.Owner = true;
    m_pict.clear();
    m_pictStart = t.Offset;
    m_pictUc = s.Uc;
    m_nibble = -1;
    m_pictInfo = PictureInfo{};
    m_goalW = m_goalH = 0;
    m_scaleX = m_scaleY = 100;
}

void Reader::pictureKind(const Token &, int kind)
{
    if (st().Destination != Dest::Picture)
        return;
    m_pictInfo.Kind = PictureKind(kind);
}

void Reader::pictureSize(const Token &t, int which)
{
    if (st().Destination != Dest::Picture || !t.HasParam)
        return;
    const int v = t.Param;
    switch (which) {
    case 0:
        m_pictInfo.Width = std::clamp(v, 0, 1 << 20);
        break;
    case 1:
        m_pictInfo.Height = std::clamp(v, 0, 1 << 20);
        break;
    case 2:
        m_goalW = std::clamp(v, 0, 100000);
        break;
    case 3:
        m_goalH = std::clamp(v, 0, 100000);
        break;
    case 4:
        m_scaleX = std::clamp(v, 1, 5000);
        break;
    case 5:
        m_scaleY = std::clamp(v, 1, 5000);
        break;
    case 6:
        m_pictInfo.BitsPerPixel = std::clamp(v, 1, 32);
        break;
    case 7:
        m_pictInfo.WidthBytes = std::clamp(v, 0, 1 << 20);
        break;
    default:
        break;
    }
}

TRichObject Reader::pictureObject(qsizetype end, bool decoded)
{
    TRichObject o;
    o.ObjectKind = TRichObject::Picture;
    QSize pixels;
    if (!decoded && (m_pictInfo.Kind == PictureKind::Png || m_pictInfo.Kind == PictureKind::Jpeg)) {
        // kept encoded: only its size is read now, the picture is decoded when it is drawn
        QBuffer buffer(&m_pict);
        buffer.open(QIODevice::ReadOnly);
        pixels = QImageReader(&buffer).size();
        if (!pixels.isValid())
            o.Image = DecodePicture(m_pict, m_pictInfo);
    } else {
        o.Image = DecodePicture(m_pict, m_pictInfo);
    }
    if (!o.Image.isNull())
        pixels = o.Image.size();
    if (m_pictInfo.Kind == PictureKind::Png || m_pictInfo.Kind == PictureKind::Jpeg) {
        o.Data = m_pict;
        o.DataFormat = m_pictInfo.Kind == PictureKind::Png ? QStringLiteral("png") : QStringLiteral("jpeg");
    } else {
        // kept as the file wrote it, to be written back unchanged
        o.Data = keptGroup(m_tok.Input(), m_pictStart, end, m_pictUc);
        o.DataFormat = QStringLiteral("rtf-pict");
        if (o.Data.isEmpty() && !o.Image.isNull()) {
            // a group that cannot be kept: the picture it shows
            o.Data = PngBytes(o.Image);
            o.DataFormat = QStringLiteral("png");
        }
    }
    const bool metafile = m_pictInfo.Kind == PictureKind::Wmf || m_pictInfo.Kind == PictureKind::Emf ||
                          m_pictInfo.Kind == PictureKind::Mac || m_pictInfo.Kind == PictureKind::Unknown;
    auto fromStated = [metafile](int v) { return metafile ? int(qint64(v) * 1440 / 2540) : v * 15; };
    o.Width = m_goalW > 0                       ? m_goalW
              : (pixels.isValid() && !metafile) ? pixels.width() * 15
                                                : fromStated(m_pictInfo.Width);
    o.Height = m_goalH > 0                       ? m_goalH
               : (pixels.isValid() && !metafile) ? pixels.height() * 15
                                                 : fromStated(m_pictInfo.Height);
    o.Width = std::clamp(o.Width, 0, 100000);
    o.Height = std::clamp(o.Height, 0, 100000);
    o.ScaleX = m_scaleX;
    o.ScaleY = m_scaleY;
    return o;
}

void Reader::object(const Token &t, int)
{
    State &s = st();
    if (s.Destination != Dest::Body || m_inObject || m_states.size() < 2) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Object;
    s.Owner = true;
    m_inObject = true;
    m_objectDepth = m_states.size();
    m_objectStart = t.Offset;
    m_objectUc = s.Uc;
    m_objectHasImage = false;
    m_objectImage = TRichObject{};
    m_objW = m_objH = 0;
    m_objScaleX = m_objScaleY = 100;
}

void Reader::objectSize(const Token &t, int which)
{
    if (st().Destination != Dest::Object || !t.HasParam)
        return;
    switch (which) {
    case 0:
        m_objW = std::clamp(t.Param, 0, 100000);
        break;
    case 1:
        m_objH = std::clamp(t.Param, 0, 100000);
        break;
    case 2:
        m_objScaleX = std::clamp(t.Param, 1, 5000);
        break;
    default:
        m_objScaleY = std::clamp(t.Param, 1, 5000);
        break;
    }
}

void Reader::result(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Object) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::ObjectResult;
    s.Owner = true;
}

void Reader::shapePicture(const Token &t, int)
{
    m_sawShapePicture = true;
    destination(t, int(Dest::Body));
}

void Reader::nonShapePicture(const Token &t, int)
{
    // the same picture for readers that do not know \shppict: read only when there was none
    if (m_sawShapePicture)
        skipDestination(t, 0);
    else
        destination(t, int(Dest::Body));
}

} // namespace rtf::reader
