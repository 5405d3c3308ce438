#pragma once
// Printing of a page: the engine lays the document out as PDF pages, and each of them is painted
// onto the printer (or the print preview) with the header and footer expanded for that page.
// Page setup (paper, orientation, margins) is kept in the platform store.
#include <QPageLayout>
#include <QString>

class QPdfDocument;
class QPrinter;

namespace pageprint {

// The stored page setup; Letter/A4 from the locale, portrait, 0.75-inch margins when nothing is stored.
QPageLayout storedPageLayout();
bool storePageLayout(const QPageLayout &layout);
// The header and footer last set in page setup (in the page-setup codes); the fallback while none is.
QString storedHeader(const QString &fallback);
QString storedFooter(const QString &fallback);
bool storeHeaderFooter(const QString &header, const QString &footer);
// Gives the printer the stored page setup.
void applyPageSetup(QPrinter &printer);

struct TPrintJob {
    QString header;
    QString footer;
    QString title;
    QString url;
};

// Writes the engine's laid-out pages (a PDF) to the file with the header and footer laid over each
// page, so the page's text and links stay as they are. False with a reason when the pages cannot be
// read or the file cannot be written (the file is then left as it was).
bool writePdfWithHeaderFooter(const QByteArray &pages, const QPageLayout &layout, const TPrintJob &job,
                              const QString &path, QString *error);

// Paints every page of the document onto the printer, each with its header and footer. False with
// a reason when the printer cannot be opened or the document has no pages.
bool paintPages(QPdfDocument &document, QPrinter &printer, const TPrintJob &job, QString *error);

} // namespace pageprint
