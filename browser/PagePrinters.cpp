#include "browser/PagePrinters.h"

#include "browser/HeaderFooters.h"
#include "platform/PlatformStore.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <algorithm>

namespace pageprint {
namespace {

const QString SetupKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\PageSetup");
constexpr double DefaultMarginInches = 0.75;
constexpr double MmPerInch = 25.4;
constexpr int RenderDpi = 200;

double readInches(const QString &name)
{
    try {
        bool ok = false;
        const double v = platformstore::readString(Hive::CurrentUser, SetupKey, name).value_or(QString()).toDouble(&ok);
        return ok && v >= 0 && v < 10 ? v : DefaultMarginInches;
    } catch (...) {
        return DefaultMarginInches;
    }
}

QString readText(const QString &name)
{
    try {
        return platformstore::readString(Hive::CurrentUser, SetupKey, name).value_or(QString());
    } catch (...) {
        return {};
    }
}

QString readTextOr(const QString &name, const QString &fallback)
{
    try {
        return platformstore::readString(Hive::CurrentUser, SetupKey, name).value_or(fallback);
    } catch (...) {
        return fallback;
    }
}

QPageSize defaultPageSize()
{
    const QLocale::Territory t = QLocale::system().territory();
    return t == QLocale::UnitedStates || t == QLocale::Canada ? QPageSize(QPageSize::Letter) : QPageSize(QPageSize::A4);
}

} // namespace

QPageLayout storedPageLayout()
{
    QPageSize size = defaultPageSize();
    bool numeric = false;
    const int paper = readText(QStringLiteral("paper_size")).toInt(&numeric);
    if (numeric && paper >= 0 && paper < QPageSize::LastPageSize && paper != QPageSize::Custom)
        size = QPageSize(static_cast<QPageSize::PageSizeId>(paper));
    const QPageLayout::Orientation orientation = readText(QStringLiteral("orientation")) == QStringLiteral("landscape")
                                                     ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait;
    const QMarginsF margins(readInches(QStringLiteral("margin_left")) * MmPerInch,
                            readInches(QStringLiteral("margin_top")) * MmPerInch,
                            readInches(QStringLiteral("margin_right")) * MmPerInch,
                            readInches(QStringLiteral("margin_bottom")) * MmPerInch);
    QPageLayout layout(size, orientation, QMarginsF(), QPageLayout::Millimeter);
    if (!layout.setMargins(margins)) {
        const double d = DefaultMarginInches * MmPerInch;
        layout.setMargins(QMarginsF(d, d, d, d));
    }
    return layout;
}

bool storePageLayout(const QPageLayout &layout)
{
    const QMarginsF m = layout.margins(QPageLayout::Millimeter);
    auto inches = [](double mm) { return QString::number(mm / MmPerInch, 'f', 6); };
    bool ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("margin_left"), inches(m.left()));
    ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("margin_top"), inches(m.top())) && ok;
    ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("margin_right"), inches(m.right())) &&
         ok;
    ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("margin_bottom"), inches(m.bottom())) &&
         ok;
    ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("paper_size"),
                                    QString::number(int(layout.pageSize().id()))) &&
         ok;
    ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("orientation"),
                                    layout.orientation() == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                                   : QStringLiteral("portrait")) &&
         ok;
    return ok;
}

QString storedHeader(const QString &fallback)
{
    return readTextOr(QStringLiteral("header"), fallback);
}

QString storedFooter(const QString &fallback)
{
    return readTextOr(QStringLiteral("footer"), fallback);
}

bool storeHeaderFooter(const QString &header, const QString &footer)
{
    const bool ok = platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("header"), header);
    return platformstore::writeString(Hive::CurrentUser, SetupKey, QStringLiteral("footer"), footer) && ok;
}

void applyPageSetup(QPrinter &printer)
{
    const QPageLayout layout = storedPageLayout();
    printer.setPageSize(layout.pageSize());
    printer.setPageOrientation(layout.orientation());
    printer.setPageMargins(layout.margins(QPageLayout::Millimeter), QPageLayout::Millimeter);
}

bool paintPages(QPdfDocument &document, QPrinter &printer, const TPrintJob &job, QString *error)
{
    const int count = document.pageCount();
    if (count <= 0) {
        if (error)
            *error = QObject::tr("The page could not be laid out for printing.");
        return false;
    }
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QObject::tr("The printer could not be opened.");
        return false;
    }
    // points -> device pixels
    const double scale = printer.resolution() / 72.0;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(9);
    painter.setFont(font);
    const double lineHeight = QFontMetricsF(font, &printer).height();
    THeaderFooterContext context;
    context.title = job.title;
    context.url = job.url;
    context.pageCount = count;
    context.now = QDateTime::currentDateTime();
    context.locale = QLocale::system();

    for (int i = 0; i < count; ++i) {
        if (i > 0 && !printer.newPage()) {
            if (error)
                *error = QObject::tr("The printer stopped at page %1.").arg(i + 1);
            painter.end();
            return false;
        }
        const QSizeF points = document.pagePointSize(i);
        const QRectF target(paper.topLeft(), QSizeF(points.width() * scale, points.height() * scale));
        const QSize pixels = (points * (RenderDpi / 72.0)).toSize();
        const QImage page = document.render(i, pixels);
        if (!page.isNull()) {
            // the laid-out page leaves its margins transparent: flatten it onto paper white, so no
            // mask edge shows around the body
            QImage image(page.size(), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter flatten(&image);
            flatten.drawImage(0, 0, page);
            flatten.end();
            painter.drawImage(target.isEmpty() ? paper : target, image);
        }

        context.page = i + 1;
        const double left = margins.left() * scale;
        const double width = paper.width() - (margins.left() + margins.right()) * scale;
        const double headerTop = std::max(0.0, margins.top() * scale / 2 - lineHeight / 2);
        const double footerTop = paper.height() - std::max(lineHeight, margins.bottom() * scale / 2 + lineHeight / 2);
        const auto drawLine = [&](const THeaderFooterLine &line, double top) {
            const QRectF band(left, top, width, lineHeight);
            painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, line.left);
            painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, line.center);
            painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter, line.right);
        };
        drawLine(expandHeaderFooter(job.header, context), headerTop);
        drawLine(expandHeaderFooter(job.footer, context), footerTop);
    }
    return painter.end();
}

} // namespace pageprint
