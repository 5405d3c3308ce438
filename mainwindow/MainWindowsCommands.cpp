// The Windows and Help commands of the main window.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/WindowArrangement.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>
#include <QUrl>

namespace {

// Restores the cursor and the drawing of a window when it goes out of scope.
class BusyAndLocked {
public:
    explicit BusyAndLocked(QWidget *w)
        : m_w(w)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_w->setUpdatesEnabled(false);
    }
    ~BusyAndLocked()
    {
        m_w->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }

private:
    QWidget *m_w;
};

} // namespace

QList<TfrmBrowser *> TfrmMain::BrowsersFrontFirst() const
{
    QList<TfrmBrowser *> pages;
    const QList<QMdiSubWindow *> history = MdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.crbegin(); it != history.crend(); ++it)
        if (auto *page = qobject_cast<TfrmBrowser *>(*it))
            pages.append(page);
    return pages;
}

void TfrmMain::actSaveBrowsersExecute()
{
    TOpenedBrowsers &list = BrivoIni->OpenedBrowsers;
    list.clear();
    for (TfrmBrowser *page : BrowsersFrontFirst()) {
        // a minimised or maximised window is stored with its normal rectangle
        const QRect r =
            page->WindowStateValue() == TWindowState::wsNormal ? page->geometry() : page->normalGeometryForSave();
        list.AddBrowser(page->WebBrowser()->LocationURL(), r.left(), r.top(), r.width(), r.height(),
                        page->WindowStateValue());
    }
    BrivoIni->SaveOpenedBrowsers();
}

void TfrmMain::RestoreMinimizedBrowsers()
{
    BusyAndLocked busy(this);
    for (TfrmBrowser *page : Browsers())
        if (page->WindowStateValue() == TWindowState::wsMinimized)
            page->SetWindowStateValue(TWindowState::wsNormal);
}

void TfrmMain::Arrange(Arrangement how)
{
    if (how != Arrangement::Icons)
        RestoreMinimizedBrowsers();
    if (how == Arrangement::TileVertical)
        FTileVertical = true;
    else if (how == Arrangement::TileHorizontal)
        FTileVertical = false;
    QList<TfrmBrowser *> pages;
    for (TfrmBrowser *page : BrowsersFrontFirst()) {
        const bool minimized = page->WindowStateValue() == TWindowState::wsMinimized;
        if ((how == Arrangement::Icons) == minimized)
            pages.append(page);
    }
    if (pages.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    QList<QRect> places;
    switch (how) {
    case Arrangement::Tile:
    case Arrangement::TileVertical:
    case Arrangement::TileHorizontal:
        places = FTileVertical ? arrangement::tileVertical(int(pages.size()), area)
                               : arrangement::tileHorizontal(int(pages.size()), area);
        break;
    case Arrangement::Cascade:
        places = arrangement::cascade(int(pages.size()), area,
                                      style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pages.first()) + 4);
        // the front window ends on top, at the last place
        std::reverse(pages.begin(), pages.end());
        break;
    case Arrangement::Icons:
        places =
            arrangement::arrangeIcons(int(pages.size()), area, pages.first()->minimumSizeHint().expandedTo({160, 0}));
        break;
    }
    for (int i = 0; i < pages.size(); ++i) {
        if (how != Arrangement::Icons && pages.at(i)->WindowStateValue() == TWindowState::wsMaximized)
            pages.at(i)->SetWindowStateValue(TWindowState::wsNormal);
        pages.at(i)->setGeometry(places.at(i));
        if (how == Arrangement::Cascade)
            pages.at(i)->raise();
    }
}

void TfrmMain::PlaceNewBrowser(TfrmBrowser *page)
{
    if (page->WindowStateValue() != TWindowState::wsNormal)
        return;
    // before the main window is first shown the area has not been laid out, and its size is no
    // measure: the window is placed when the area is shown
    if (!MdiArea->isVisible()) {
        FBrowsersToPlace.append(page);
        return;
    }
    // the area's own placement may put a window wider than the area partly left of it
    const QRect area = MdiArea->viewport()->rect();
    if (area.isEmpty())
        return;
    const int before = int(Browsers().indexOf(page));
    page->setGeometry(arrangement::newWindowPlace(before, page->size(), area,
                                                  style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, page) + 4));
}

void TfrmMain::PlacePendingBrowsers()
{
    const QList<QPointer<TfrmBrowser>> pages = std::exchange(FBrowsersToPlace, {});
    for (TfrmBrowser *page : pages)
        if (page)
            PlaceNewBrowser(page);
}

void TfrmMain::actMinimizeAllExecute()
{
    BusyAndLocked busy(this);
    const QList<TfrmBrowser *> pages = Browsers();
    for (auto it = pages.crbegin(); it != pages.crend(); ++it)
        (*it)->SetWindowStateValue(TWindowState::wsMinimized);
}

void TfrmMain::actCloseAllExecute(bool keepActive)
{
    const QList<TfrmBrowser *> pages = Browsers();
    TfrmBrowser *active = ActiveBrowser();
    for (auto it = pages.crbegin(); it != pages.crend(); ++it) {
        QPointer<TfrmBrowser> page = *it;
        if (keepActive && page == active)
            continue;
        page->close();
    }
}

void TfrmMain::ShowHelp(HelpTopic topic)
{
    // the help pages live in the "help" folder beside the program
    const QString folder = QFileInfo(qApp->property("HelpFile").toString()).absolutePath();
    const char *page = topic == HelpTopic::Contents ? "index.html"
                       : topic == HelpTopic::Search ? "search.html"
                                                    : "howto.html";
    const QString path = folder + u'/' + QLatin1String(page);
    const bool installed = !qApp->property("HelpFile").toString().isEmpty() &&
                           QFileInfo::exists(qApp->property("HelpFile").toString()) && QFileInfo::exists(path);
    TfrmBrowser *window = NewBrowser();
    window->WebBrowser()->Navigate(installed ? QUrl::fromLocalFile(path).toString() : SOnlineHelpUrl);
}
