// The main window's history and bookmark commands, the trees' navigation and the file-system page's
// parent-folder button.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "explorerbar/Bookmark.h"
#include "explorerbar/BookmarkFiles.h"
#include "explorerbar/BookmarkTreeViews.h"
#include "explorerbar/FileSystemPages.h"
#include "explorerbar/HistoryTreeViews.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainCompact02.h"
#include "platform/ApplicationTitle.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/CommonUtils.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

void tell(QWidget *owner, const QString &text)
{
    messageboxes::show(owner, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
}

// "description|pattern|..." pairs as file-dialog filters; "*.*" is every file.
QStringList htmlFilters()
{
    const QStringList parts = HtmlFilterText.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(u';', u' ');
        if (pattern.trimmed() == u"*.*")
            pattern = QStringLiteral("*");
        // a description that shows its patterns already ("HTML Files (*.htm; *.html)") would show
        // them twice, and the dialog would read its "*.htm;" as a pattern
        static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        QString description = parts.at(i);
        description.remove(shownPatterns);
        filters << description + QStringLiteral(" (") + pattern.simplified() + u')';
    }
    return filters;
}

// Runs an add-favorite command; a platform failure is shown, not thrown.
template <typename Add> void addToFavorites(QWidget *owner, Add add)
{
    try {
        add();
    } catch (const PlatformError &e) {
        messageboxes::show(owner, e.message(), applicationtitle::get(), messageboxes::OK | messageboxes::IconStop);
    }
}

} // namespace

QString TfrmMain::RunHtmlFileDialog(QFileDialog &dialog)
{
    dialog.setNameFilters(htmlFilters());
    // an open dialog with a default suffix would look for "name.htm" even when "name" is there
    if (dialog.acceptMode() == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(QStringLiteral("htm"));
    if (dialogrunner::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void TfrmMain::OpenTreeUrl(const QString &url, bool newWindow)
{
    if (url.isEmpty())
        return;
    if (newWindow)
        NewBrowser()->WebBrowser()->Navigate(url);
    else
        NavigateUrl(url);
}

void TfrmMain::HistoryTreeViewNavigateUrl(QObject *, const QString &url)
{
    NavigateUrl(url);
}

void TfrmMain::actHistoryAddToFavoritesExecute()
{
    if (THistoryNode *node = historyTree()->GetSelected())
        addToFavorites(this, [node] { node->AddToFavorites(); });
}

void TfrmMain::actBookmarkAddToFavoritesExecute()
{
    if (TBookmarkNode *node = BookmarkTreeView->GetSelected())
        addToFavorites(this, [node] { node->AddToFavorites(); });
}

void TfrmMain::actBookmarkPropertyExecute()
{
    TBookmarkNode *node = BookmarkTreeView->GetSelected();
    if (!node || node->Url.isEmpty())
        return;
    TfrmBookmark dialog(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        dialog.ApplyLanguage(*table);
    dialog.SetTitle(node->Text());
    dialog.SetUrl(node->Url);
    if (dialogrunner::exec(dialog) == QDialog::Accepted && node->treeWidget() == BookmarkTreeView)
        BookmarkTreeView->UpdateBookmark(node, dialog.Title(), dialog.Url());
}

bool TfrmMain::EnsureBookmarkList()
{
    if (BookmarkTreeView->CanAdd())
        return true;
    const QString path = platformpaths::dataDir() + QStringLiteral("/Bookmark.htm");
    QString error;
    if (!QFileInfo::exists(path)) {
        bookmarkfile::Document empty;
        empty.caption = PageControl->tabText(PageControl->indexOf(tbsBookmark)).remove(u'&');
        if (!bookmarkfile::save(path, empty, &error)) {
            tell(this, QStringLiteral("The bookmark list %1 could not be made: %2")
                           .arg(QDir::toNativeSeparators(path), error));
            return false;
        }
    }
    if (!BookmarkTreeView->LoadFromFile(path)) {
        tell(this, QStringLiteral("The bookmark list %1 could not be read: %2")
                       .arg(QDir::toNativeSeparators(path), BookmarkTreeView->LastError()));
        return false;
    }
    return true;
}

void TfrmMain::actBookmarkAddUrlExecute()
{
    TfrmBookmark dialog(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        dialog.ApplyLanguage(*table);
    if (TfrmBrowser *page = ActiveBrowser()) {
        dialog.SetTitle(page->WebBrowser()->LocationName());
        dialog.SetUrl(page->WebBrowser()->LocationURL());
    }
    if (dialogrunner::exec(dialog) != QDialog::Accepted || !EnsureBookmarkList())
        return;
    BookmarkTreeView->AddBookmark(BookmarkTreeView->GetSelected(), dialog.Title(), dialog.Url());
}

void TfrmMain::actBookmarkAddFolderExecute()
{
    if (!EnsureBookmarkList())
        return;
    auto *folder = static_cast<TBookmarkNode *>(
        BookmarkTreeView->AddBookmark(BookmarkTreeView->GetSelected(), QString(), QString()));
    if (folder)
        folder->BeginRename();
}

void TfrmMain::ReportBookmarkSaveFailure(const QString &file)
{
    tell(this, QStringLiteral("The bookmark list could not be saved to %1: %2")
                   .arg(QDir::toNativeSeparators(file), BookmarkTreeView->LastError()));
}

void TfrmMain::actBookmarkLoadExecute()
{
    if (BookmarkTreeView->Modified()) {
        // the changes are never dropped without the user's word
        const int answer = messageboxes::show(this, SaveBookmarkText, applicationtitle::get(),
                                              messageboxes::YesNoCancel | messageboxes::IconExclamation);
        if (answer == messageboxes::IdCancel)
            return;
        if (answer == messageboxes::IdYes && !BookmarkTreeView->Save()) {
            ReportBookmarkSaveFailure(BookmarkTreeView->FileName());
            return;
        }
    }
    QFileDialog dialog(this);
    // the name is checked here: a file without an ending opens as it is, a name typed without
    // ".htm" finds the file with it
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!BookmarkTreeView->FileName().isEmpty())
        dialog.setDirectory(QFileInfo(BookmarkTreeView->FileName()).absolutePath());
    QString file = RunHtmlFileDialog(dialog);
    if (file.isEmpty())
        return;
    if (!QFileInfo::exists(file) && QFileInfo(file).suffix().isEmpty() &&
        QFileInfo::exists(file + QStringLiteral(".htm")))
        file += QStringLiteral(".htm");
    if (!BookmarkTreeView->LoadFromFile(file))
        tell(this, QStringLiteral("The bookmark list %1 could not be read: %2")
                       .arg(QDir::toNativeSeparators(file), BookmarkTreeView->LastError()));
}

void TfrmMain::actBookmarkSaveExecute()
{
    if (!BookmarkTreeView->Save())
        ReportBookmarkSaveFailure(BookmarkTreeView->FileName());
}

void TfrmMain::actBookmarkSaveAsExecute()
{
    if (!BookmarkTreeView->CanAdd())
        return;
    const QFileInfo current(BookmarkTreeView->FileName());
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(current.absolutePath());
    dialog.selectFile(current.fileName());
    const QString file = RunHtmlFileDialog(dialog);
    if (!file.isEmpty() && !BookmarkTreeView->SaveToFile(file))
        ReportBookmarkSaveFailure(file);
}

void TfrmMain::SpeedButton1Click()
{
    FileSystemPage->GoUp();
}
