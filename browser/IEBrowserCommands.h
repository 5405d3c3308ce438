#pragma once
// The document commands of the browser control and what they take: print header and footer, save formats.
#include <QString>
#include <QStringList>

// Header, footer and HTML header for printing.
class TPrintOptions {
public:
    TPrintOptions();
    QStringList HTMLHeader;
    QString Header;
    QString Footer;
};

// The document commands of ExecCommand.
enum class TBrowserCommand { SaveAs, Print, PrintPreview, PageSetup, Properties, Find, ViewSource, InternetOptions };

// Save-as formats, in the order of the save dialog's filters.
enum class TSaveFormat { Complete, WebArchive, HtmlOnly, Text };
