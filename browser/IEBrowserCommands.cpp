#include "browser/BrowserDialogs.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/InternetOptions.h"
#include "browser/PagePrinters.h"
#include "browser/WebEngineProfiles.h"
#include "platform/AtomicFiles.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QPdfDocument>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QWebEngineDownloadRequest>
#include <QWebEngineScript>
#include <algorithm>

TPrintOptions::TPrintOptions()
    : HTMLHeader{QStringLiteral("<HTML></HTML>")}
{}

// ---------------------------------------------------------------------------------------------
// Document commands

void TIEBrowser::ExecCommand(TBrowserCommand command)
{
    // the internet options act on the profile; every other command needs a document
    if (command != TBrowserCommand::InternetOptions && !HasDocument())
        return;
    try {
        switch (command) {
        case TBrowserCommand::SaveAs:
            return doSaveAs();
        case TBrowserCommand::Print:
            return doPrint();
        case TBrowserCommand::PrintPreview:
            return doPrintPreview();
        case TBrowserCommand::PageSetup:
            return doPageSetup();
        case TBrowserCommand::Properties:
            return doProperties();
        case TBrowserCommand::Find:
            return doFind();
        case TBrowserCommand::ViewSource:
            return doViewSource();
        case TBrowserCommand::InternetOptions:
            return doInternetOptions();
        }
    } catch (...) {
        // nothing escapes into the event loop; the commands report their own failures
    }
}

void TIEBrowser::SaveAs()
{
    ExecCommand(TBrowserCommand::SaveAs);
}

void TIEBrowser::Print()
{
    ExecCommand(TBrowserCommand::Print);
}

void TIEBrowser::PrintPreview()
{
    ExecCommand(TBrowserCommand::PrintPreview);
}

void TIEBrowser::PageSetup()
{
    ExecCommand(TBrowserCommand::PageSetup);
}

void TIEBrowser::Properties()
{
    ExecCommand(TBrowserCommand::Properties);
}

void TIEBrowser::Find()
{
    ExecCommand(TBrowserCommand::Find);
}

void TIEBrowser::ViewSource()
{
    ExecCommand(TBrowserCommand::ViewSource);
}

void TIEBrowser::InternetOptions()
{
    ExecCommand(TBrowserCommand::InternetOptions);
}

// ---------------------------------------------------------------------------------------------
// Save as and downloads

void TIEBrowser::doSaveAs()
{
    const QStringList filters = {tr("Web page, complete (*.htm *.html)"), tr("Web archive, single file (*.mht)"),
                                 tr("Web page, HTML only (*.htm *.html)"), tr("Text file (*.txt)")};
    QString name = m_page->title().trimmed();
    static const QRegularExpression bad(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(bad, QStringLiteral("_"));
    if (name.isEmpty())
        name = QFileInfo(m_page->url().path()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("page");
    // the download folder (made when missing), never the working folder
    const QString dir = downloadFolder();
    QString filter = filters.first();
    const QString path = browserDialogs().saveFileName(this, tr("Save Web Page"),
                                                       dir + u'/' + name + QStringLiteral(".htm"), filters, &filter);
    if (path.isEmpty())
        return;
    const int index = std::max<int>(0, filters.indexOf(filter));
    SaveTo(path, static_cast<TSaveFormat>(index));
}

bool TIEBrowser::SaveTo(const QString &path, TSaveFormat format)
{
    if (!HasDocument())
        return false;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() || (info.exists() && !info.isWritable())) {
        reportFailure(tr("The page could not be saved as %1: the folder does not exist or cannot be written.")
                          .arg(QDir::toNativeSeparators(path)));
        emit SaveAsComplete(path, false);
        return false;
    }
    if (format == TSaveFormat::Text) {
        TSelf self(this);
        m_page->toPlainText([self, path](const QString &text) {
            if (!self)
                return;
            QString error;
            const bool ok = atomicfile::write(path, text.toUtf8(), &error);
            if (!ok)
                self->reportFailure(
                    tr("The page could not be saved as %1: %2").arg(QDir::toNativeSeparators(path), error));
            emit self->SaveAsComplete(path, ok);
        });
        return true;
    }
    QWebEngineDownloadRequest::SavePageFormat f = QWebEngineDownloadRequest::CompleteHtmlSaveFormat;
    if (format == TSaveFormat::WebArchive)
        f = QWebEngineDownloadRequest::MimeHtmlSaveFormat;
    else if (format == TSaveFormat::HtmlOnly)
        f = QWebEngineDownloadRequest::SingleHtmlSaveFormat;
    ++m_pendingSaves;
    m_page->save(path, f);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Printing

void TIEBrowser::withPdf(const std::function<void(const QByteArray &, const QPageLayout &)> &done)
{
    QPrinter probe(QPrinter::HighResolution);
    pageprint::applyPageSetup(probe);
    const QPageLayout layout = probe.pageLayout();
    TSelf self(this);
    m_page->printToPdf(
        [self, done, layout](const QByteArray &pdf) {
            if (self)
                done(pdf, layout);
        },
        layout);
}

namespace {

// The laid-out pages, kept in a temporary file for the PDF reader.
struct TLaidOutPages {
    QTemporaryFile file;
    QPdfDocument document;
    bool load(const QByteArray &pdf)
    {
        if (pdf.isEmpty() || !file.open() || file.write(pdf) != pdf.size() || !file.flush())
            return false;
        return document.load(file.fileName()) == QPdfDocument::Error::None && document.pageCount() > 0;
    }
};

} // namespace

void TIEBrowser::doPrint()
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    pageprint::applyPageSetup(*printer);
    if (!browserDialogs().printDialog(this, *printer))
        return;
    PrintTo(printer);
}

bool TIEBrowser::PrintTo(std::shared_ptr<QPrinter> printer)
{
    if (!HasDocument())
        return false;
    const pageprint::TPrintJob job{m_printOptions.Header, m_printOptions.Footer, m_page->title(),
                                   webengine::withoutDocumentHost(m_page->url()).toDisplayString()};
    // a PDF file keeps the engine's own pages (their text and links) under the header and footer;
    // a printer receives them painted
    const bool toPdfFile = printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    TSelf self(this);
    m_page->printToPdf(
        [self, printer, job, toPdfFile](const QByteArray &pdf) {
            if (!self)
                return;
            TLaidOutPages pages;
            QString error;
            bool ok = false;
            if (toPdfFile)
                ok = pageprint::writePdfWithHeaderFooter(pdf, printer->pageLayout(), job, printer->outputFileName(),
                                                         &error);
            else if (!pages.load(pdf))
                error = tr("The page could not be laid out for printing.");
            else
                ok = pageprint::paintPages(pages.document, *printer, job, &error);
            if (!ok)
                self->reportFailure(tr("The page could not be printed. %1").arg(error));
            emit self->PrintComplete(ok);
        },
        printer->pageLayout());
    return true;
}

void TIEBrowser::doPrintPreview()
{
    const pageprint::TPrintJob job{m_printOptions.Header, m_printOptions.Footer, m_page->title(),
                                   webengine::withoutDocumentHost(m_page->url()).toDisplayString()};
    withPdf([this, job](const QByteArray &pdf, const QPageLayout &layout) {
        auto pages = std::make_shared<TLaidOutPages>();
        if (!pages->load(pdf)) {
            reportFailure(tr("The page could not be laid out for printing."));
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(layout);
        QPrintPreviewDialog dialog(&printer, this);
        dialog.setWindowTitle(tr("Print Preview"));
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, pages, job](QPrinter *p) {
            QString error;
            if (!pageprint::paintPages(pages->document, *p, job, &error))
                reportFailure(tr("The page could not be printed. %1").arg(error));
        });
        browserDialogs().exec(dialog);
    });
}

void TIEBrowser::doPageSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    pageprint::applyPageSetup(printer);
    QString header = m_printOptions.Header;
    QString footer = m_printOptions.Footer;
    if (!browserDialogs().pageSetupDialog(this, printer, header, footer))
        return;
    m_printOptions.Header = header;
    m_printOptions.Footer = footer;
    const bool layoutStored = pageprint::storePageLayout(printer.pageLayout());
    if (!pageprint::storeHeaderFooter(header, footer) || !layoutStored)
        reportFailure(tr("The page setup could not be saved."));
}

// ---------------------------------------------------------------------------------------------
// Properties, find, view source, internet options

void TIEBrowser::doProperties()
{
    static const QString script = QStringLiteral(
        "JSON.stringify({title: document.title, type: document.contentType, charset: document.characterSet,"
        " modified: document.lastModified, size: (function(){ var n = performance.getEntriesByType('navigation')[0];"
        " return n ? (n.decodedBodySize || n.transferSize || 0) : 0; })(),"
        " length: document.documentElement ? document.documentElement.outerHTML.length : 0})");
    TSelf self(this);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self](const QVariant &v) {
        if (!self)
            return;
        const QJsonObject o = QJsonDocument::fromJson(v.toString().toUtf8()).object();
        const QUrl url = webengine::withoutDocumentHost(self->m_page->url());
        const QLocale locale;
        const QString unknown = tr("Not available");
        QString created = unknown;
        QString modified = o.value(QStringLiteral("modified")).toString(unknown);
        qint64 size = o.value(QStringLiteral("size")).toInteger();
        if (size <= 0)
            size = o.value(QStringLiteral("length")).toInteger();
        if (url.isLocalFile()) {
            const QFileInfo info(url.toLocalFile());
            if (info.exists()) {
                if (info.birthTime().isValid())
                    created = locale.toString(info.birthTime(), QLocale::ShortFormat);
                modified = locale.toString(info.lastModified(), QLocale::ShortFormat);
                size = info.size();
            }
        }
        QDialog dialog(self.get());
        dialog.setObjectName(QStringLiteral("Properties"));
        dialog.setWindowTitle(tr("Properties"));
        dialog.setMinimumWidth(440);
        auto *form = new QFormLayout(&dialog);
        auto row = [&](const QString &label, const QString &value) {
            auto *l = new QLabel(value, &dialog);
            l->setTextFormat(Qt::PlainText);
            l->setTextInteractionFlags(Qt::TextSelectableByMouse);
            l->setWordWrap(true);
            form->addRow(label, l);
        };
        row(tr("Title:"), self->m_page->title());
        row(tr("Address:"), url.toDisplayString());
        row(tr("Type:"), o.value(QStringLiteral("type")).toString(unknown));
        row(tr("Encoding:"),
            self->Charset().isEmpty() ? o.value(QStringLiteral("charset")).toString(unknown) : self->Charset());
        row(tr("Created:"), created);
        row(tr("Modified:"), modified);
        row(tr("Size:"), tr("%1 bytes").arg(locale.toString(size)));
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
        connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        form->addRow(buttons);
        browserDialogs().exec(dialog);
    });
}

void TIEBrowser::doFind()
{
    if (!m_findDialog)
        m_findDialog = new TFindDialog(this);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void TIEBrowser::FindText(const QString &text, bool backward, bool matchCase)
{
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    if (matchCase)
        flags |= QWebEnginePage::FindCaseSensitively;
    m_lastFindText = text;
    m_page->findText(text, flags);
}

void TIEBrowser::doViewSource()
{
    // the engine asks for a new window (OnNewWindow2) and opens "view-source:" + the address in it
    m_page->allowUserWindow();
    m_page->triggerAction(QWebEnginePage::ViewSource);
}

void TIEBrowser::doInternetOptions()
{
    TInternetOptionsDialog dialog(webengine::profile(), HasDocument() ? LocationURL() : QString(), this);
    browserDialogs().exec(dialog);
}
