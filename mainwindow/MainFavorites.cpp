// The main window's favorites commands and the favorites tree's navigation.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "explorerbar/FavoriteTreeViews.h"
#include "mainwindow/MainCompact02.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "settings/CommonUtils.h"

void TfrmMain::FavoriteTreeViewNavigateUrl(QObject *, const QString &url)
{
    NavigateUrl(url);
}

void TfrmMain::actFavoritesAddExecute()
{
    TfrmBrowser *page = ActiveBrowser();
    if (!page)
        return;
    try {
        // the tree lists the new shortcut through its folder watcher
        AddFavorite(page->WebBrowser()->LocationName(), page->WebBrowser()->LocationURL(), this);
    } catch (const PlatformError &e) {
        messageboxes::show(this, e.message(), applicationtitle::get(), messageboxes::OK | messageboxes::IconStop);
    }
}

void TfrmMain::actFavoritesOpenExecute(bool newWindow)
{
    if (const TFavoriteNode *node = favoriteTree()->GetSelected())
        OpenTreeUrl(node->Url, newWindow);
}
