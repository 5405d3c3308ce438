#include "notes/RtfPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace rtf {

namespace {

quint32 u32(QByteArrayView d, qsizetype at)
{
    return at >= 0 && at + 4 <= d.size() ? qFromLittleEndian<quint32>(d.data() + at) : 0;
}

quint16 u16(QByteArrayView d, qsizetype at)
{
    return at >= 0 && at + 2 <= d.size() ? qFromLittleEndian<quint16>(d.data() + at) : 0;
}

QImage loadImage(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace

QByteArray PngBytes(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// The longest side of a bitmap read from a document (QImage takes no more than this).
constexpr qint64 MaxDibSide = 32767;

QImage DecodeDib(QByteArrayView dib)
{
    const quint32 headerSize = u32(dib, 0);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return {};
    quint32 colours = 0, bitsPerPixel = 0, compression = 0;
    qint64 width = 0, height = 0;
    if (headerSize == 12) {
        width = u16(dib, 4);
        height = u16(dib, 6);
        bitsPerPixel = u16(dib, 10);
        colours = bitsPerPixel <= 8 ? (1u << bitsPerPixel) * 3 : 0;
    } else {
        width = qint32(u32(dib, 4));
        height = std::abs(qint64(qint32(u32(dib, 8))));
        bitsPerPixel = u16(dib, 14);
        compression = u32(dib, 16);
        quint32 used = u32(dib, 32);
        if (used == 0 && bitsPerPixel <= 8)
            used = 1u << bitsPerPixel;
        if (used > 256)
            used = 256;
        colours = used * 4;
        if (headerSize == 40 && (compression == 3 || compression == 6))
            colours += compression == 3 ? 12 : 16; // the colour masks follow the header
    }
    // the pixels a bitmap claims must be there (compressed ones may hold some more); sides past what an
    // image can have are refused before any product is taken, so no size computed here overflows
    if (width <= 0 || height <= 0 || width > MaxDibSide || height > MaxDibSide || bitsPerPixel == 0 ||
        bitsPerPixel > 32)
        return {};
    const qint64 rowBytes = ((width * bitsPerPixel + 31) / 32) * 4;
    const bool packed = compression == 0 || compression == 3 || compression == 6;
    if (packed ? rowBytes * height > dib.size() : width * height > 64 * qint64(dib.size()))
        return {};
    const quint32 offset = 14 + headerSize + colours;
    QByteArray file("BM", 2);
    file.resize(14);
    qToLittleEndian<quint32>(quint32(14 + dib.size()), file.data() + 2);
    qToLittleEndian<quint32>(0, file.data() + 6);
    qToLittleEndian<quint32>(offset, file.data() + 10);
    file.append(dib.data(), dib.size());
    return loadImage(file, "BMP");
}

QImage BitmapOfWmf(QByteArrayView wmf)
{
    qsizetype pos = 0;
    if (u32(wmf, 0) == 0x9AC6CDD7u)
        pos = 22;                            // placeable header
    pos += 2 * qsizetype(u16(wmf, pos + 2)); // header size in words
    if (pos <= 0)
        return {};
    while (pos + 6 <= wmf.size()) {
        const qint64 words = u32(wmf, pos);
        const quint16 function = u16(wmf, pos + 4);
        if (words < 3 || function == 0)
            break;
        const qint64 bytes = std::min<qint64>(words * 2, wmf.size() - pos);
        qsizetype params = -1;
        switch (function) {
        case 0x0F43: // StretchDIB
            params = 22;
            break;
        case 0x0B41: // DIBStretchBlt
            params = 20;
            break;
        case 0x0940: // DIBBitBlt
            params = 16;
            break;
        case 0x0D33: // SetDIBitsToDevice
            params = 18;
            break;
        default:
            break;
        }
        if (params >= 0 && 6 + params < bytes) {
            const QImage image = DecodeDib(wmf.sliced(pos + 6 + params, bytes - 6 - params));
            if (!image.isNull())
                return image;
        }
        pos += bytes;
    }
    return {};
}

QImage BitmapOfEmf(QByteArrayView emf)
{
    qsizetype pos = 0;
    while (pos + 8 <= emf.size()) {
        const quint32 type = u32(emf, pos);
        const qint64 size = u32(emf, pos + 4);
        if (size < 8 || pos + size > emf.size())
            break;
        qsizetype at = -1;
        if (type == 80 || type == 81) // SetDIBitsToDevice, StretchDIBits
            at = 48;
        else if (type == 76 || type == 77) // BitBlt, StretchBlt
            at = 84;
        if (at >= 0 && at + 16 <= size) {
            const quint32 offBmi = u32(emf, pos + at), cbBmi = u32(emf, pos + at + 4);
            const quint32 offBits = u32(emf, pos + at + 8), cbBits = u32(emf, pos + at + 12);
            if (cbBmi > 0 && qint64(offBmi) + cbBmi <= size && qint64(offBits) + cbBits <= size) {
                QByteArray dib(emf.data() + pos + offBmi, cbBmi);
                dib.append(emf.data() + pos + offBits, cbBits);
                const QImage image = DecodeDib(dib);
                if (!image.isNull())
                    return image;
            }
        }
        if (type == 14) // EOF
            break;
        pos += size;
    }
    return {};
}

QImage DecodePicture(const QByteArray &data, const PictureInfo &info)
{
    switch (info.Kind) {
    case PictureKind::Png:
        return loadImage(data, "PNG");
    case PictureKind::Jpeg:
        return loadImage(data, "JPEG");
    case PictureKind::Dib:
        return DecodeDib(data);
    case PictureKind::Wmf:
        return BitmapOfWmf(data);
    case PictureKind::Emf:
        return BitmapOfEmf(data);
    case PictureKind::DeviceBitmap: {
        // only monochrome and 24-bit device bitmaps have a fixed layout; rows as stated, never more
        // than the bytes hold
        const int w = info.Width, bpp = info.BitsPerPixel;
        const int stride = info.WidthBytes > 0 ? info.WidthBytes : ((w * bpp + 15) / 16) * 2;
        if (w <= 0 || stride <= 0 || (bpp != 1 && bpp != 24) || qint64(w) * bpp > qint64(stride) * 8)
            return {};
        const qsizetype rows = std::min<qsizetype>(info.Height, data.size() / stride);
        if (rows <= 0)
            return {};
        QImage image(w, int(rows), bpp == 1 ? QImage::Format_Mono : QImage::Format_RGB888);
        if (image.isNull())
            return {};
        if (bpp == 1)
            image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (qsizetype y = 0; y < rows; ++y) {
            uchar *line = image.scanLine(int(y));
            const char *src = data.constData() + y * stride;
            if (bpp == 1) {
                memcpy(line, src, size_t((w + 7) / 8));
            } else {
                for (int x = 0; x < w; ++x) { // stored blue, green, red
                    line[3 * x] = uchar(src[3 * x + 2]);
                    line[3 * x + 1] = uchar(src[3 * x + 1]);
                    line[3 * x + 2] = uchar(src[3 * x]);
                }
            }
        }
        return image;
    }
    default:
        return {};
    }
}

} // namespace rtf
