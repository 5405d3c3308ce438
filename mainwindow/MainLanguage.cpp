// The main window's texts from the current language table.
#include "mainwindow/AlignComboBoxs.h"
#include "mainwindow/Hints.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/ResizeLabels.h"
#include "notes/MGRichEditFramePrev.h"
#include "platform/ApplicationTitle.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/LanguageFonts.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

namespace mainlanguage {

// How one group of components takes its texts.
enum class Rule {
    CaptionAndHint, // caption from the name, hint from the name + "Hint"
    CaptionOnly,    // caption from the name
    HintOnly,       // hint from the name
    CaptionIsHint,  // one text, both caption and hint
    CustomizeMenu,  // caption and hint from the keys of "mniCustomize"
};

struct Group {
    Rule rule;
    QStringList names;
};

const QList<Group> &groups()
{
    static const QList<Group> list = {
        {Rule::CaptionAndHint, {"tlbtnFile", "tlbtnView", "tlbtnTools", "tlbtnLanguage", "tlbtnWindows", "tlbtnHelp"}},
        {Rule::CaptionOnly, {"lblLinks", "lblAddress", "cmbKeyWords", "tlbtnSearch", "tlbtnGo"}},
        {Rule::CaptionAndHint,
         {"actNewBrowser", "actOpen",    "actSave",     "actClose",       "actPageSetup", "actPrint",   "actPreview",
          "actProperty",   "actExit",    "mniToolbar",  "actExplorerBar", "actStatusBar", "mniGo",      "actBack",
          "actHomepage",   "actForward", "actStop",     "actRefresh",     "mniFont",      "mniEncode",  "actSource",
          "actFullScreen", "actFind",    "mniMore",     "actWindowsBar",  "actLinksBar",  "actToolbar", "actSearchsBar",
          "actAddressBar", "actSmaller", "actSmallest", "actMedium",      "actLarger",    "actLargest"}},
        {Rule::HintOnly, {"tlbtnMinimize", "tlbtnRestore", "tlbtnClose"}},
        {Rule::CaptionIsHint,
         {"actDefaultCharSet",
          "actAutoDetect",
          "actJapaneseAutoDetect",
          "actJapaneseShiftJIS",
          "actJapaneseEUCJP",
          "actUnicodeUTF8",
          "actUnicodeUTF7",
          "actArabiaWindows",
          "actBalticISO",
          "actBalticWindows",
          "actCentralEuropeISO",
          "actCentralEuropeWindows",
          "actSimplifiedChineseGB2312",
          "actSimplifiedChineseHZ",
          "actTraditionalChineseBig5",
          "actCyrillicISO",
          "actCyrillicKOI8R",
          "actCyrillicWindows",
          "actGreekISO",
          "actGreekWindows",
          "actHebrewWindows",
          "actKoreanAutoDetect",
          "actThaiWindows",
          "actTurkishISO",
          "actTurkishWindows",
          "actVietnameseWindows",
          "actWestEuropeISO",
          "actWestEuropeWindows",
          "actLatinISO"}},
        {Rule::CustomizeMenu, {"mniCustomize", "mniCustomize2"}},
        {Rule::CaptionAndHint,
         {"actCustomizeLinks",
          "actCustomizeToolButtons",
          "actCustomizeSearchs",
          "actAddToLinks",
          "actMail",
          "actMailTo",
          "actMailToOptions",
          "actResetSetting",
          "actInternetOptions",
          "actEnglish",
          "actJapaneseKanji",
          "actJapaneseHiragana",
          "actSimplifiedChinese",
          "actTraditionalChinese",
          "actKorean",
          "actGerman",
          "actFrench",
          "actItalian",
          "actSpanish",
          "actPortuguese",
          "actSaveBrowsers",
          "actTile",
          "actTileV",
          "actTileH",
          "actCascade",
          "actArrangeIcons",
          "actMinimizeAll",
          "actCloseAll",
          "actCloseAllOthers",
          "actRestoreAll",
          "actAbout",
          "actContents",
          "actTopicSearch",
          "actHowToUseHelp",
          "acttbNewBrowser",
          "acttbClose",
          "acttbBack",
          "acttbForward",
          "acttbStop",
          "acttbRefresh",
          "acttbHomepage",
          "acttbOpen",
          "acttbSave",
          "acttbPrint",
          "acttbExplorerBar",
          "acttbMail",
          "acttbMailTo",
          "acttbFullScreen",
          "acttbCascade",
          "acttbTileV",
          "acttbTileH",
          "actWindowMinimize",
          "actWindowMaximize",
          "actWindowRestore",
          "actWindowClose",
          "actLinkOpen",
          "actLinkOpenNewWindow",
          "actLinkDelete",
          "actLinkEdit"}},
        {Rule::CaptionOnly,
         {"mniFavorites",
          "tbsFavorites",
          "actFavoritesAdd",
          "actFavoritesOpen",
          "actFavoritesOpenNew",
          "actFavoritesDelete",
          "actFavoritesRename",
          "actFavoritesRefresh",
          "actFavoritesOrganize",
          "actFavoritesImport",
          "actFavoritesExport",
          "mniHistory",
          "tbsHistory",
          "actHistoryOpen",
          "actHistoryOpenNew",
          "actHistoryDelete",
          "actHistoryRefresh",
          "actHistoryAddToFavorites",
          "mniBookmark",
          "tbsBookmark",
          "actBookmarkOpen",
          "actBookmarkOpenNew",
          "actBookmarkDelete",
          "actBookmarkRename",
          "actBookmarkProperty",
          "actBookmarkLoad",
          "actBookmarkSave",
          "actBookmarkSaveAs",
          "actBookmarkAddUrl",
          "actBookmarkAddFolder",
          "actBookmarkAddToFavorites"}},
    };
    return list;
}

} // namespace mainlanguage

void TfrmMain::ApplyLanguage()
{
    const TMemIni *table = BrivoIni->LanguageTable.get();
    if (!table)
        return; // without a table every text stays as it is

    const TTableFont tableFont = ReadTableFont(*table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(FontForCharset(tableFont.font, tableFont.charset));

    applicationtitle::set(table->ReadString(QStringLiteral("Brivo"), QStringLiteral("CompactBrivo"), QString()));
    setWindowTitle(applicationtitle::get());
    UserAgentText = table->ReadString(QStringLiteral("Brivo"), QStringLiteral("CompactBrivoUserAgent"), QString());
    MailToAddressText = table->ReadString(QStringLiteral("Brivo"), QStringLiteral("BrivoMailToAddress"), QString());

    const QString main = QStringLiteral("Main");
    auto read = [&](const QString &key) { return table->ReadString(main, key, QString()); };
    for (const mainlanguage::Group &g : mainlanguage::groups()) {
        for (const QString &name : g.names) {
            QString caption;
            QString hint;
            bool setCaption = true;
            bool setHint = true;
            switch (g.rule) {
            case mainlanguage::Rule::CaptionAndHint:
                caption = read(name);
                hint = read(name + QStringLiteral("Hint"));
                break;
            case mainlanguage::Rule::CaptionOnly:
                caption = read(name);
                setHint = false;
                break;
            case mainlanguage::Rule::HintOnly:
                hint = read(name);
                setCaption = false;
                break;
            case mainlanguage::Rule::CaptionIsHint:
                caption = read(name);
                hint = caption;
                break;
            case mainlanguage::Rule::CustomizeMenu:
                caption = read(QStringLiteral("mniCustomize"));
                hint = read(QStringLiteral("mniCustomizeHint"));
                break;
            }
            if (QAction *a = FActions.value(name)) {
                if (setCaption)
                    a->setText(caption);
                if (setHint)
                    hints::setHint(a, hint);
            } else if (QMenu *m = FMenus.value(name)) {
                if (setCaption)
                    m->setTitle(caption);
                if (setHint)
                    hints::setHint(m->menuAction(), hint);
            } else if (QToolButton *b = findChild<QToolButton *>(name)) {
                if (setCaption)
                    b->setText(caption);
                if (setHint)
                    hints::setHint(b, hint);
            } else if (name == u"cmbKeyWords") {
                cmbKeyWords->setEditText(caption);
            } else if (QLabel *l = findChild<QLabel *>(name)) {
                l->setText(caption);
            } else if (QWidget *w = findChild<QWidget *>(name); w && PageControl->indexOf(w) >= 0) {
                PageControl->setTabText(PageControl->indexOf(w), caption);
            }
        }
    }
    PageControl->setTabText(PageControl->indexOf(tbsEdit),
                            table->ReadString(QStringLiteral("RichEditFrame"), QStringLiteral("Caption"), QString()));
    RichEditFrame->ApplyLanguage(*table);
}
