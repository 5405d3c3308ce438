#include "notes/ToolbarImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(0x2a, 0x2f, 0x36);
const QColor Paper(0xff, 0xff, 0xff);
const QColor Blue(0x2f, 0x6f, 0xd0);
const QColor Yellow(0xf2, 0xc7, 0x4e);
const QColor Red(0xc8, 0x3a, 0x3a);
const QColor Green(0x2e, 0x8b, 0x57);

void page(QPainter &p, qreal x, qreal y, qreal w = 9, qreal h = 12)
{
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawRect(QRectF(x + 0.5, y + 0.5, w, h));
}

void letter(QPainter &p, const QString &text, bool bold, bool italic, bool underline, bool strike)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(13);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strike);
    p.setFont(f);
    p.setPen(Ink);
    p.drawText(QRect(0, -1, 16, 16), Qt::AlignCenter, text);
}

void lines(QPainter &p, Qt::Alignment align)
{
    p.setPen(QPen(Ink, 1));
    const int widths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = align == Qt::AlignLeft ? 2 : align == Qt::AlignRight ? 14 - w : 8 - w / 2;
        p.drawLine(QPointF(x, 3.5 + i * 3), QPointF(x + w, 3.5 + i * 3));
    }
}

void arrow(QPainter &p, bool back)
{
    QPainterPath path;
    if (back) {
        path.moveTo(12, 12);
        path.cubicTo(13, 6, 9, 4, 4, 6);
    } else {
        path.moveTo(4, 12);
        path.cubicTo(3, 6, 7, 4, 12, 6);
    }
    p.setPen(QPen(Blue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    const qreal tip = back ? 2 : 14;
    const qreal base = back ? 6 : 10;
    p.drawPolygon(QPolygonF({QPointF(tip, 6), QPointF(base, 2), QPointF(base, 10)}));
}

void magnifier(QPainter &p)
{
    p.setPen(QPen(Ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    p.setPen(QPen(Ink, 1));
    p.setBrush(QColor(0xcf, 0xe6, 0xfb));
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
}

void printer(QPainter &p)
{
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xb8, 0xc0, 0xca));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Paper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void disk(QPainter &p, qreal x, qreal y)
{
    p.setPen(QPen(Ink, 1));
    p.setBrush(Blue);
    p.drawRect(QRectF(x + 0.5, y + 0.5, 10, 10));
    p.setBrush(Paper);
    p.drawRect(QRectF(x + 2.5, y + 0.5, 6, 3));
    p.drawRect(QRectF(x + 2.5, y + 6.5, 6, 4));
}

QPixmap draw(int index)
{
    using namespace toolbarimages;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case Undo:
        arrow(p, true);
        break;
    case Redo:
        arrow(p, false);
        break;
    case Cut:
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(5, 1), QPointF(10, 10));
        p.drawLine(QPointF(11, 1), QPointF(6, 10));
        p.setPen(QPen(Red, 1.5));
        p.drawEllipse(QPointF(5, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(11, 12), 2.5, 2.5);
        break;
    case Copy:
        page(p, 1, 1);
        page(p, 5, 3);
        break;
    case Paste:
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(0xb0, 0x80, 0x50));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(0xd5, 0xdb, 0xe3));
        p.drawRect(QRectF(4.5, 1.5, 4, 3));
        page(p, 6, 5, 8, 10);
        break;
    case Delete:
        p.setPen(QPen(Red, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Bullets:
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(3, 3.5 + i * 4.5), 1.5, 1.5);
        p.setPen(QPen(Ink, 1));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(6, 3.5 + i * 4.5), QPointF(15, 3.5 + i * 4.5));
        break;
    case Font:
    case FontEx:
        letter(p, QStringLiteral("A"), true, false, false, false);
        p.setPen(QPen(Red, 2));
        p.drawLine(QPointF(3, 15), QPointF(13, 15));
        break;
    case FileNew:
        page(p, 2, 1, 11, 14);
        p.setPen(QPen(Yellow, 2));
        p.drawLine(QPointF(11, 1), QPointF(15, 5));
        p.drawLine(QPointF(15, 1), QPointF(11, 5));
        break;
    case FileOpen:
        p.setPen(QPen(Ink, 1));
        p.setBrush(Yellow);
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case FileSave:
        disk(p, 2, 2);
        break;
    case FileSaveAs:
        disk(p, 1, 1);
        p.setPen(QPen(Ink, 1.5));
        p.drawLine(QPointF(9, 15), QPointF(15, 9));
        break;
    case FileSaveAll:
        disk(p, 0, 0);
        disk(p, 4, 4);
        break;
    case FilePrint:
        printer(p);
        break;
    case FileClose:
        page(p, 1, 1, 11, 14);
        p.setPen(QPen(Red, 2));
        p.drawLine(QPointF(9, 9), QPointF(15, 15));
        p.drawLine(QPointF(15, 9), QPointF(9, 15));
        break;
    case PasteUrl:
        page(p, 1, 1, 11, 14);
        p.setPen(QPen(Blue, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 4.5, 4.5);
        p.drawLine(QPointF(5.5, 10), QPointF(14.5, 10));
        break;
    case PrintPreview:
        page(p, 1, 1, 11, 14);
        magnifier(p);
        break;
    case Bold:
        letter(p, QStringLiteral("B"), true, false, false, false);
        break;
    case Italic:
        letter(p, QStringLiteral("I"), false, true, false, false);
        break;
    case Underline:
        letter(p, QStringLiteral("U"), false, false, true, false);
        break;
    case StrikeOut:
        letter(p, QStringLiteral("S"), false, false, false, true);
        break;
    case AlignLeft:
        lines(p, Qt::AlignLeft);
        break;
    case AlignRight:
        lines(p, Qt::AlignRight);
        break;
    case AlignCenter:
        lines(p, Qt::AlignHCenter);
        break;
    case Find:
        magnifier(p);
        break;
    case FindNext:
        magnifier(p);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawPolygon(QPolygonF({QPointF(11, 1), QPointF(16, 4), QPointF(11, 7)}));
        break;
    case Replace:
        p.setPen(QPen(Ink, 1));
        p.drawText(QRect(0, 0, 9, 9), Qt::AlignCenter, QStringLiteral("a"));
        p.setPen(QPen(Blue, 1));
        p.drawText(QRect(7, 7, 9, 9), Qt::AlignCenter, QStringLiteral("b"));
        p.setPen(QPen(Green, 1.5));
        p.drawLine(QPointF(3, 11), QPointF(6, 14));
        p.drawLine(QPointF(10, 2), QPointF(13, 5));
        break;
    default:
        return QPixmap();
    }
    return pixmap;
}

} // namespace

QIcon toolbarimages::image(int index)
{
    static QHash<int, QIcon> cache;
    const auto it = cache.constFind(index);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pixmap = draw(index);
    const QIcon icon = pixmap.isNull() ? QIcon() : QIcon(pixmap);
    cache.insert(index, icon);
    return icon;
}
