// The customisable tool bar, the links bar and the search bar of the main window.
#include "browser/Browser.h"
#include "browser/BrowserDialogs.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/InternetOptions.h"
#include "browser/WebEngineProfiles.h"
#include "mainwindow/AlignComboBoxs.h"
#include "mainwindow/BarTexts.h"
#include "mainwindow/ComboLists.h"
#include "mainwindow/CoolBarBands.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainCompact02.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

QComboBox *TfrmMain::keywordBox() const
{
    return pnlSearchsBar->cmbKeyWords;
}

void TfrmMain::UpdateToolButtons()
{
    setUpdatesEnabled(false);
    const QList<int> numbers = bartexts::parseToolButtons(BrivoIni->ToolButtons);
    // the bar's own buttons (such as its overflow button) stay; only the ones built here go
    for (QAction *old : tlbToolButtons->actions()) {
        QWidget *button = tlbToolButtons->widgetForAction(old);
        tlbToolButtons->removeAction(old);
        if (button && button->property("BuiltButton").toBool())
            delete button;
        delete old;
    }
    const int iconSize = BrivoIni->ToolbarIcon == 1 ? 20 : 16;
    if (BrivoIni->ToolbarIcon == 0 || BrivoIni->ToolbarIcon == 1)
        tlbToolButtons->setIconSize(QSize(iconSize, iconSize));
    Qt::ToolButtonStyle style = Qt::ToolButtonIconOnly;
    if (BrivoIni->ToolbarText == 0)
        style = Qt::ToolButtonTextUnderIcon;
    else if (BrivoIni->ToolbarText == 1)
        style = Qt::ToolButtonTextBesideIcon;
    for (const int number : numbers) {
        if (number >= MainCommands::toolButtonTemplateCount())
            continue;
        if (number == -1) {
            QAction *sep = tlbToolButtons->addSeparator();
            sep->setObjectName(QStringLiteral("ToolButtonSeparator"));
            continue;
        }
        auto *button = new QToolButton(tlbToolButtons);
        button->setProperty("BuiltButton", true);
        button->setAutoRaise(true);
        button->setToolButtonStyle(style);
        button->setIconSize(tlbToolButtons->iconSize());
        const QString name = MainCommands::toolButtonTemplate(number);
        if (!name.isEmpty()) {
            QAction *act = action(name);
            button->setDefaultAction(act);
            button->setProperty("TemplateNumber", number);
            if (!act->isVisible())
                button->hide();
        }
        // without captions every button is 23 x 22; with them it sizes itself to its caption
        if (style == Qt::ToolButtonIconOnly)
            button->setFixedSize(23, 22);
        QAction *holder = tlbToolButtons->addWidget(button);
        holder->setVisible(name.isEmpty() || action(name)->isVisible());
    }
    setUpdatesEnabled(true);
}

void TfrmMain::UpdateLinkButtons()
{
    setUpdatesEnabled(false);
    pnlLinks->setLinks(BrivoIni->Links);
    setUpdatesEnabled(true);
}

void TfrmMain::UpdateSearchList()
{
    QStringList names;
    for (const QString &line : std::as_const(BrivoIni->Searchs))
        names.append(textrules::lineName(line));
    searchEngines()->setItems(names);
    // the shown engines stay selected when they are still in the list
    searchEngines()->SyncSelectionFromText();
}

void TfrmMain::LinkButtonClick(QToolButton *button)
{
    if (!button->isHidden())
        NavigateUrl(button->property("Hint").toString());
}

void TfrmMain::LinkButtonContextPopup(QToolButton *button, const QPoint &pos)
{
    const int tag = button->property("Tag").toInt();
    for (const char *name : {"actLinkOpen", "actLinkOpenNewWindow", "actLinkDelete"})
        action(QString::fromLatin1(name))->setProperty("Tag", tag);
    FCommands->menu(QStringLiteral("pmnLinks"))->popup(button->mapToGlobal(pos));
}

void TfrmMain::actLinkOpenExecute(QAction *act, bool newWindow)
{
    const int tag = act->property("Tag").toInt();
    const QList<QToolButton *> &buttons = pnlLinks->buttons();
    if (tag < 0 || tag >= buttons.size())
        return;
    if (!newWindow)
        LinkButtonClick(buttons.at(tag));
    else if (!buttons.at(tag)->isHidden())
        NewBrowser()->WebBrowser()->Navigate(buttons.at(tag)->property("Hint").toString());
}

void TfrmMain::actLinkDeleteExecute(QAction *act)
{
    const int tag = act->property("Tag").toInt();
    QStringList links = BrivoIni->Links;
    if (tag < 0 || tag >= links.size())
        return;
    links.removeAt(tag);
    BrivoIni->SetLinks(links);
    UpdateLinkButtons();
}

void TfrmMain::actAddToLinksExecute()
{
    TfrmBrowser *page = ActiveBrowser();
    if (!page)
        return; // nothing to add without a page
    const QString name = ShortCaption(page->WebBrowser()->LocationName());
    const QString url = page->WebBrowser()->LocationURL();
    if (name.isEmpty() && url.isEmpty())
        return;
    QStringList links = BrivoIni->Links;
    const int existing = textrules::indexOfName(links, name);
    if (existing >= 0)
        links.removeAt(existing);
    links.append(name + u'=' + url);
    BrivoIni->SetLinks(links);
    UpdateLinkButtons();
}

void TfrmMain::actInternetOptionsExecute()
{
    if (TfrmBrowser *p = ActiveBrowser()) {
        p->WebBrowser()->InternetOptions();
        return;
    }
    // without a page the options act on the program's profile
    TInternetOptionsDialog dialog(webengine::profile(), QString(), this);
    browserDialogs().exec(dialog);
}

void TfrmMain::tlbtnSearchClick()
{
    TAlignComboBox *cmbKeyWords = pnlSearchsBar->cmbKeyWords;
    TComboList *cmblstSearchs = pnlSearchsBar->cmblstSearchs;
    const QString keyword = cmbKeyWords->currentText();
    // engines typed into the closed list count
    if (!cmblstSearchs->DroppedDown())
        cmblstSearchs->SyncSelectionFromText();
    if (cmblstSearchs->SelCount() == 0 || keyword.isEmpty())
        return;
    const QString encoded = bartexts::encodeKeyword(keyword);
    const QStringList items = cmblstSearchs->Items();
    for (int i = 0; i < items.size(); ++i) {
        if (!cmblstSearchs->Selected(i))
            continue;
        const QString templ = textrules::valueOf(BrivoIni->Searchs, items.at(i));
        NewBrowser()->WebBrowser()->Navigate(bartexts::fillSearchTemplate(templ, encoded));
        // the box finds its items without regard to case, so "Foo" and "foo" are one keyword
        if (cmbKeyWords->findText(keyword, Qt::MatchFixedString) < 0)
            cmbKeyWords->addItem(keyword);
    }
}
