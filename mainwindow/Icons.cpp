// The program's images: vector files rendered once per size and mode, then served from a cache.
#include "mainwindow/Icons.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtGlobal>
#include <array>

// Q_INIT_RESOURCE declares its function where it stands: keep this outside any namespace.
static void initResources()
{
    // the images live in a static library: name the resource so the linker keeps it
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

// Tool-bar images by index.
constexpr std::array<const char *, 17> toolbarNames{
    "new_window", "close_window", "back",    "forward",       "stop",           "refresh",
    "home",       "open",         "save",    "print",         "explorer_bar",   "mail",
    "send_mail",  "full_screen",  "cascade", "tile_vertical", "tile_horizontal"};

// Menu images by index; gaps have no image.
constexpr std::array<const char *, 46> menuNames{
    "new_window",         // 0
    "open",               // 1
    "save",               // 2
    "close_window",       // 3
    "print",              // 4
    "print_preview",      // 5
    "properties",         // 6
    "explorer_bar",       // 7
    "go",                 // 8
    "stop",               // 9
    "refresh",            // 10
    nullptr,              // 11
    nullptr,              // 12
    "full_screen",        // 13
    "find",               // 14
    "search_engines",     // 15
    "back",               // 16
    "forward",            // 17
    "home",               // 18
    "mail",               // 19
    "send_mail",          // 20
    "reset",              // 21
    "internet_options",   // 22
    "cascade",            // 23
    "tile_vertical",      // 24
    "tile_horizontal",    // 25
    "help_contents",      // 26
    "help_search",        // 27
    nullptr,              // 28
    nullptr,              // 29
    nullptr,              // 30
    nullptr,              // 31
    nullptr,              // 32
    nullptr,              // 33
    "add_favorite",       // 34
    "open_new_window",    // 35
    "delete",             // 36
    "refresh_list",       // 37
    "organize_favorites", // 38
    nullptr,              // 39
    nullptr,              // 40
    nullptr,              // 41
    nullptr,              // 42
    nullptr,              // 43
    nullptr,              // 44
    "about",              // 45
};

// The tool bar's normal look: colours drawn toward their grey and lightened, alpha kept.
QImage mutedImage(const QImage &image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = line[x];
            const int grey = qGray(c);
            // keep a third of the colour, then move a fifth of the way to white
            auto tone = [grey](int v) {
                const int mixed = (v + 2 * grey) / 3;
                return mixed + (255 - mixed) / 5;
            };
            line[x] = qRgba(tone(qRed(c)), tone(qGreen(c)), tone(qBlue(c)), qAlpha(c));
        }
    }
    return out;
}

// One image drawn at size x size; a null image when the file is missing or unreadable.
QImage render(const char *name, int size)
{
    initResources();
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    if (!renderer.isValid()) {
        qWarning("icons: cannot read %s.svg", name);
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

// The icon of a file at one size: full colour in every mode, or muted but for the active mode.
QIcon makeIcon(const char *name, int size, bool muted)
{
    const QImage image = render(name, size);
    if (image.isNull())
        return {};
    QIcon icon;
    if (muted) {
        icon.addPixmap(QPixmap::fromImage(mutedImage(image)), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(image), QIcon::Active);
    } else {
        icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    }
    return icon;
}

QIcon cachedIcon(const char *name, int size, bool muted)
{
    static QHash<QString, QIcon> cache;
    const QString key = QStringLiteral("%1/%2/%3").arg(QLatin1String(name)).arg(size).arg(muted);
    auto it = cache.constFind(key);
    if (it == cache.constEnd())
        it = cache.insert(key, makeIcon(name, size, muted));
    return *it;
}

} // namespace

namespace icons {

QIcon toolbarIcon(int index, int size)
{
    if (index < 0 || index >= int(toolbarNames.size()) || (size != 16 && size != 20))
        return {};
    return cachedIcon(toolbarNames[index], size, true);
}

QIcon menuIcon(int index)
{
    if (index < 0 || index >= int(menuNames.size()) || !menuNames[index])
        return {};
    return cachedIcon(menuNames[index], 16, false);
}

QIcon pageTabIcon()
{
    return cachedIcon("page", 16, false);
}

QIcon programIcon()
{
    return cachedIcon("globe", 16, false);
}

} // namespace icons
