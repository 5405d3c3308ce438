#include "browser/PagePrinters.h"

#include "browser/HeaderFooters.h"
#include "platform/AtomicFiles.h"
#include "platform/PlatformStore.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

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

QFont headerFooterFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(9);
    return font;
}

// The page's header and footer lines, in the paper's margins (paper and margins in the painter's units).
void drawHeaderFooter(QPainter &painter, const QRectF &paper, const QMarginsF &margins, const TPrintJob &job,
                      const THeaderFooterContext &context)
{
    const double lineHeight = QFontMetricsF(painter.font(), painter.device()).height();
    const double left = paper.left() + margins.left();
    const double width = paper.width() - margins.left() - margins.right();
    const double headerTop = paper.top() + std::max(0.0, margins.top() / 2 - lineHeight / 2);
    const double footerTop = paper.bottom() - std::max(lineHeight, margins.bottom() / 2 + lineHeight / 2);
    const auto drawLine = [&](const THeaderFooterLine &line, double top) {
        const QRectF band(left, top, width, lineHeight);
        painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, line.left);
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, line.center);
        painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter, line.right);
    };
    drawLine(expandHeaderFooter(job.header, context), headerTop);
    drawLine(expandHeaderFooter(job.footer, context), footerTop);
}

THeaderFooterContext contextFor(const TPrintJob &job, int pageCount)
{
    THeaderFooterContext context;
    context.title = job.title;
    context.url = job.url;
    context.pageCount = pageCount;
    context.now = QDateTime::currentDateTime();
    context.locale = QLocale::system();
    return context;
}

// Pages of the given sizes (points) that carry only the header and footer, as a PDF.
QByteArray headerFooterPages(const QList<QSizeF> &sizes, const QMarginsF &margins, const TPrintJob &job)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72); // one unit a point
    const auto layoutFor = [](const QSizeF &size) {
        return QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch), QPageLayout::Portrait,
                           QMarginsF(), QPageLayout::Point);
    };
    writer.setPageLayout(layoutFor(sizes.first()));
    QPainter painter(&writer);
    painter.setFont(headerFooterFont());
    THeaderFooterContext context = contextFor(job, int(sizes.size()));
    for (int i = 0; i < sizes.size(); ++i) {
        if (i > 0) {
            writer.setPageLayout(layoutFor(sizes.at(i)));
            writer.newPage();
        }
        context.page = i + 1;
        drawHeaderFooter(painter, QRectF(QPointF(), sizes.at(i)), margins, job, context);
    }
    painter.end();
    return bytes;
}

} // namespace

bool writePdfWithHeaderFooter(const QByteArray &pages, const QPageLayout &layout, const TPrintJob &job,
                              const QString &path, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QByteArray combined;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("page", pages.constData(), size_t(pages.size()));
        std::vector<QPDFPageObjectHelper> targets = QPDFPageDocumentHelper(document).getAllPages();
        if (targets.empty())
            return fail(QObject::tr("The page could not be laid out for printing."));
        QList<QSizeF> sizes;
        for (QPDFPageObjectHelper &page : targets) {
            const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
            sizes.append(QSizeF(box.urx - box.llx, box.ury - box.lly));
        }
        const QByteArray overlayBytes = headerFooterPages(sizes, layout.margins(QPageLayout::Point), job);
        QPDF overlay;
        overlay.setSuppressWarnings(true);
        overlay.processMemoryFile("header-footer", overlayBytes.constData(), size_t(overlayBytes.size()));
        std::vector<QPDFPageObjectHelper> lines = QPDFPageDocumentHelper(overlay).getAllPages();
        if (lines.size() != targets.size())
            return fail(QObject::tr("The header and footer could not be laid out."));
        for (size_t i = 0; i < targets.size(); ++i) {
            QPDFPageObjectHelper &target = targets[i];
            QPDFObjectHandle form = document.copyForeignObject(lines[i].getFormXObjectForPage());
            QPDFObjectHandle resources = target.getAttribute("/Resources", true);
            if (!resources.isDictionary()) {
                resources = QPDFObjectHandle::newDictionary();
                target.getObjectHandle().replaceKey("/Resources", resources);
            }
            QPDFObjectHandle forms = resources.getKey("/XObject");
            if (!forms.isDictionary()) {
                forms = QPDFObjectHandle::newDictionary();
                resources.replaceKey("/XObject", forms);
            }
            int suffix = 0;
            const std::string name = resources.getUniqueResourceName("/Fx", suffix);
            const std::string place = target.placeFormXObject(form, name, target.getTrimBox().getArrayAsRectangle());
            forms.replaceKey(name, form);
            // the page's own drawing keeps its changes of the graphics state (its scale) to itself
            target.addPageContents(QPDFObjectHandle::newStream(&document, "q\n"), true);
            target.addPageContents(QPDFObjectHandle::newStream(&document, "\nQ\n" + place), false);
        }
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        combined = QByteArray(reinterpret_cast<const char *>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception &e) {
        return fail(QObject::tr("The laid-out pages could not be read: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    QString why;
    if (!atomicfile::write(path, combined, &why))
        return fail(QObject::tr("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), why));
    return true;
}

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
    painter.setFont(headerFooterFont());
    THeaderFooterContext context = contextFor(job, count);

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
        const QMarginsF deviceMargins(margins.left() * scale, margins.top() * scale, margins.right() * scale,
                                      margins.bottom() * scale);
        drawHeaderFooter(painter, QRectF(QPointF(), paper.size()), deviceMargins, job, context);
    }
    return painter.end();
}

} // namespace pageprint
