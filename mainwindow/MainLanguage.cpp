// The main window's texts from the current language table.
#include "explorerbar/HistoryTreeViews.h"
#include "mainwindow/CoolBarBands.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainCompact02.h"
#include "notes/MGRichEditFramePrev.h"
#include "platform/ApplicationTitle.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/LanguageFonts.h"
#include "settings/QtTranslations.h"

#include <QTabWidget>

void TfrmMain::ApplyLanguage(const TMemIni &table)
{
    const TTableFont tableFont = ReadTableFont(table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(FontForCharset(tableFont.font, tableFont.charset));
    // a language whose Qt translations are missing keeps Qt's own texts in English
    qttranslations::apply(BrivoIni->Language);

    applicationtitle::set(table.ReadString(QStringLiteral("Brivo"), QStringLiteral("CompactBrivo"), QString()));
    setWindowTitle(applicationtitle::get());
    UserAgentText = table.ReadString(QStringLiteral("Brivo"), QStringLiteral("CompactBrivoUserAgent"), QString());
    MailToAddressText = table.ReadString(QStringLiteral("Brivo"), QStringLiteral("BrivoMailToAddress"), QString());

    FCommands->ApplyLanguage(table);
    pnlMenu->ApplyLanguage(table);
    pnlSearchsBar->ApplyLanguage(table);
    pnlAddressBar->ApplyLanguage(table);
    pnlFullScreen->ApplyLanguage(table);
    // the explorer bar's tabs take a caption only
    for (QWidget *page : {tbsFavorites, tbsHistory, tbsBookmark})
        PageControl->setTabText(PageControl->indexOf(page), mainText(table, page->objectName()));
    PageControl->setTabText(PageControl->indexOf(tbsEdit),
                            table.ReadString(QStringLiteral("RichEditFrame"), QStringLiteral("Caption"), QString()));
    // a page not built yet takes the language when it is built
    if (HistoryTreeView)
        HistoryTreeView->ApplyLanguage(table);
    if (RichEditFrame)
        RichEditFrame->ApplyLanguage(table);
}
