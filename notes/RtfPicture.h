#pragma once
// Pictures of RTF documents: what a \pict group's bytes show. PNG and JPEG load as they are; a
// device-independent bitmap gets its file header; a device-dependent bitmap is rebuilt from its
// stated geometry; a metafile shows the first bitmap it draws. Nothing is allocated from a size the
// file states: only from bytes that are there.
#include <QByteArray>
#include <QImage>

namespace rtf {

enum class PictureKind { Unknown, Png, Jpeg, Dib, DeviceBitmap, Wmf, Emf, Mac };

struct PictureInfo {
    PictureKind Kind = PictureKind::Unknown;
    int Width = 0;  // \picw
    int Height = 0; // \pich
    int BitsPerPixel = 1;
    int WidthBytes = 0;
};

// The image the bytes show, or a null image when they cannot be drawn.
QImage DecodePicture(const QByteArray &data, const PictureInfo &info);

// The image as PNG data.
QByteArray PngBytes(const QImage &image);

// A device-independent bitmap (header, colours, bits) as an image.
QImage DecodeDib(QByteArrayView dib);
// The first bitmap a Windows metafile or an enhanced metafile draws.
QImage BitmapOfWmf(QByteArrayView wmf);
QImage BitmapOfEmf(QByteArrayView emf);

} // namespace rtf
