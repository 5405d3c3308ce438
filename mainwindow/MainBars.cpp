// The customisable tool bar, the links bar and the search bar of the main window.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "mainwindow/AlignComboBoxs.h"
#include "mainwindow/BarTexts.h"
#include "mainwindow/ComboLists.h"
#include "mainwindow/Hints.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCompact02.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

// The template tool bar's buttons by number; null stands for a template separator.
const char *const kTemplate[] = {
    "acttbNewBrowser", "acttbClose", nullptr,       "acttbBack", "acttbForward",    "acttbStop", "acttbRefresh",
    "acttbHomepage",   nullptr,      "acttbOpen",   "acttbSave", "acttbPrint",      nullptr,     "acttbExplorerBar",
    nullptr,           "acttbMail",  "acttbMailTo", nullptr,     "acttbFullScreen", nullptr,     "acttbCascade",
    "acttbTileV",      "acttbTileH",
};
constexpr int kTemplateLast = int(std::size(kTemplate)) - 1;

} // namespace

const char *toolButtonTemplate(int number)
{
    return number >= 0 && number <= kTemplateLast ? kTemplate[number] : nullptr;
}

QComboBox *TfrmMain::keywordBox() const
{
    return cmbKeyWords;
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
        if (number > kTemplateLast)
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
        const char *name = number >= 0 ? kTemplate[number] : nullptr;
        if (name) {
            QAction *act = action(QString::fromLatin1(name));
            button->setDefaultAction(act);
            button->setProperty("TemplateNumber", number);
            if (!act->isVisible())
                button->hide();
        }
        // without captions every button is 23 x 22; with them it sizes itself to its caption
        if (style == Qt::ToolButtonIconOnly)
            button->setFixedSize(23, 22);
        QAction *holder = tlbToolButtons->addWidget(button);
        holder->setVisible(!name || action(QString::fromLatin1(name))->isVisible());
    }
    setUpdatesEnabled(true);
}

void TfrmMain::UpdateLinkButtons()
{
    setUpdatesEnabled(false);
    const QStringList &links = BrivoIni->Links;
    for (int i = 0; i < FLinkButtons.size(); ++i) {
        QToolButton *button = FLinkButtons.at(i);
        QAction *holder = button->property("Holder").value<QAction *>();
        if (i < links.size()) {
            QString caption = ShortCaption(textrules::lineName(links.at(i)));
            caption.replace(u'&', QStringLiteral("&&"));
            button->setText(caption);
            hints::setHint(button, textrules::valueOf(links, textrules::lineName(links.at(i))));
            holder->setVisible(true);
        } else {
            holder->setVisible(false);
        }
    }
    setUpdatesEnabled(true);
}

void TfrmMain::UpdateSearchList()
{
    QStringList names;
    for (const QString &line : std::as_const(BrivoIni->Searchs))
        names.append(textrules::lineName(line));
    cmblstSearchs->setItems(names);
    // the shown engines stay selected when they are still in the list
    cmblstSearchs->SyncSelectionFromText();
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
    FMenus.value(QStringLiteral("pmnLinks"))->popup(button->mapToGlobal(pos));
}

void TfrmMain::actLinkDeleteExecute()
{
    const int tag = action("actLinkDelete")->property("Tag").toInt();
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

void TfrmMain::tlbtnSearchClick()
{
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
        if (cmbKeyWords->findText(keyword, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            cmbKeyWords->addItem(keyword);
    }
}
