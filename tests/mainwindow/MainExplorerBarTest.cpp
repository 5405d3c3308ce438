// The explorer bar's commands in the main window: when each of the 25 is offered, the bookmark list
// loaded, edited and saved through the commands alone (the file's bytes checked), the questions and
// reports around loading and saving, a list made when there is none, the history page's commands, a
// corrupt history store at start-up, the repair of bookmarks to moved local files, and a page copied by
// the engine and pasted into a note.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/UrlComboBoxes.h"
#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "explorerbar/Bookmark.h"
#include "explorerbar/BookmarkFiles.h"
#include "explorerbar/BookmarkTreeViews.h"
#include "explorerbar/FavoriteTreeViews.h"
#include "explorerbar/FileSystemPages.h"
#include "explorerbar/HistoryTreeViews.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/MainWindowTestSupport.h"
#include "notes/MGRichEditFramePrev.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/RtfCodec.h"
#include "platform/HistoryStore.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/CommonUtils.h"

#include <QAction>
#include <QCalendarWidget>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <optional>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const QString Folders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

class MainExplorerBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        systemlocale::setOverride(QStringLiteral("en_US.UTF-8"));
        platformstore::setFolder(dir.path() + "/registry");
        platformstore::writeString(Hive::CurrentUser, Folders, "Favorites", dir.path() + "/Favorites");
        QDir().mkpath(dir.path() + "/Favorites/Links");
        HistoryStore::setSharedPath(dir.path() + "/History/History.sqlite");
        runner.emplace(testsupport::answeringMessageBoxes(
            [this](const QString &text, const QString &, unsigned) {
                told << text;
                return answer;
            },
            [this](QDialog &d) {
                dialogs << d.metaObject()->className();
                return fillIn ? fillIn(d) : int(QDialog::Rejected);
            }));
    }
    void TearDown() override
    {
        mainwindowtest::closeMainWindow();
        runner.reset();
        HistoryStore::setSharedPath(QString());
        systemlocale::setOverride(std::nullopt);
        platformstore::setFolder(QString());
    }
    void openWindow(const QString &bookmarkFile = QString())
    {
        writeBytes(dir.path() + "/brivo.ini",
                   bookmarkFile.isEmpty() ? QByteArray() : "[Main]\r\nBookmarkFile=" + bookmarkFile.toUtf8() + "\r\n");
        mainwindowtest::openMainWindow(dir.path() + "/brivo.ini");
        answer = messageboxes::IdOK;
    }
    QString list(const QString &name = QStringLiteral("list.htm"))
    {
        bookmarkfile::Document doc;
        doc.caption = "List";
        bookmarkfile::Item folder;
        folder.level = 0;
        folder.kind = bookmarkfile::KindFolder;
        folder.title = "Folder";
        bookmarkfile::Item bookmark;
        bookmark.level = 0;
        bookmark.kind = bookmarkfile::KindBookmark;
        bookmark.title = "Bee";
        bookmark.url = "http://bee.example/";
        doc.items = {folder, bookmark};
        const QString path = dir.path() + u'/' + name;
        EXPECT_TRUE(bookmarkfile::save(path, doc));
        return path;
    }
    static QTreeWidgetItem *find(QTreeWidget *tree, const QString &text)
    {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    bool enabled(const char *name)
    {
        frmMain->UpdateActions();
        return frmMain->action(name)->isEnabled();
    }
    bool visible(const char *name)
    {
        frmMain->UpdateActions();
        return frmMain->action(name)->isVisible();
    }
    // The file dialog's answer: the file chosen.
    void chooseFile(const QString &file)
    {
        fillIn = [file](QDialog &d) {
            auto *fd = qobject_cast<QFileDialog *>(&d);
            if (!fd)
                return int(QDialog::Rejected);
            fd->selectFile(file);
            return int(QDialog::Accepted);
        };
    }
    void trigger(const char *name)
    {
        frmMain->UpdateActions();
        QAction *a = frmMain->action(name);
        ASSERT_TRUE(a->isEnabled()) << name << " is not offered";
        a->trigger();
    }

    QTemporaryDir dir;
    QStringList told;
    QStringList dialogs;
    int answer = messageboxes::IdOK;
    std::function<int(QDialog &)> fillIn;
    std::optional<dialogrunner::ScopedRunner> runner;
};

// The working folder for one test.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString &path)
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
    QString m_previous;
};

} // namespace

TEST_F(MainExplorerBar, EachCommandIsOfferedAsTheSelectionAllows)
{
    ASSERT_TRUE(WriteInternetShortcut(dir.path() + "/Favorites/Fav.url", "http://fav.example/"));
    ASSERT_TRUE(HistoryStore::shared().recordVisit("http://seen.example/a", "Seen", QDateTime::currentDateTimeUtc()));
    const QString file = list();
    openWindow();
    TFavoriteTreeView *favorites = frmMain->favoriteTree();
    THistoryTreeView *history = frmMain->historyTree();
    TBookmarkTreeView *bookmarks = frmMain->bookmarkTree();
    ASSERT_EQ(history->topLevelItemCount(), 1);
    EXPECT_TRUE(history->HideSelection()) << "the window's history tree shows its selection only with the focus";

    // three states: nothing at all; folders selected and a list open; entries with URLs selected,
    // the list changed and a page open
    enum State { Nothing, FoldersSelected, UrlsSelected };
    auto enter = [&](State s) {
        if (s == FoldersSelected) {
            ASSERT_TRUE(bookmarks->LoadFromFile(file));
            favorites->setCurrentItem(find(favorites, "Links"));
            history->setCurrentItem(history->topLevelItem(0));
            bookmarks->setCurrentItem(find(bookmarks, "Folder"));
        } else if (s == UrlsSelected) {
            favorites->setCurrentItem(find(favorites, "Fav"));
            THistoryNode *period = static_cast<THistoryNode *>(history->topLevelItem(0));
            ASSERT_TRUE(history->RequestExpand(period));
            ASSERT_TRUE(history->RequestExpand(static_cast<THistoryNode *>(period->child(0))));
            history->setCurrentItem(period->child(0)->child(0));
            bookmarks->setCurrentItem(find(bookmarks, "Bee"));
            bookmarks->SetModified(true);
            frmMain->NewBrowser();
        }
    };
    struct Rule {
        const char *action;
        bool offered[3];
        bool byVisibility = false;
    };
    const Rule rules[] = {
        {"actFavoritesAdd", {false, false, true}},
        {"actFavoritesOpen", {false, false, true}},
        {"actFavoritesOpenNew", {false, false, true}},
        {"actFavoritesDelete", {false, false, true}}, // the Links folder may not be deleted
        {"actFavoritesRename", {false, false, true}},
        {"actFavoritesRefresh", {true, true, true}},
        {"actFavoritesOrganize", {true, true, true}},
        {"actFavoritesImport", {true, true, true}, true},
        {"actFavoritesExport", {true, true, true}, true},
        {"actHistoryOpen", {false, false, true}},
        {"actHistoryOpenNew", {false, false, true}},
        {"actHistoryDelete", {false, true, true}},
        {"actHistoryRefresh", {true, true, true}},
        {"actHistoryAddToFavorites", {false, false, true}, true},
        {"actBookmarkOpen", {false, false, true}},
        {"actBookmarkOpenNew", {false, false, true}},
        {"actBookmarkDelete", {false, true, true}},
        {"actBookmarkRename", {false, true, true}},
        {"actBookmarkProperty", {false, false, true}},
        {"actBookmarkLoad", {true, true, true}},
        {"actBookmarkSave", {false, false, true}},
        {"actBookmarkSaveAs", {false, true, true}},
        {"actBookmarkAddUrl", {true, true, true}}, // also without a list: one is made
        {"actBookmarkAddFolder", {true, true, true}},
        {"actBookmarkAddToFavorites", {false, false, true}},
    };
    ASSERT_EQ(std::size(rules), 25u);
    for (State s : {Nothing, FoldersSelected, UrlsSelected}) {
        enter(s);
        for (const Rule &r : rules) {
            const bool offered = r.byVisibility ? visible(r.action) : enabled(r.action);
            EXPECT_EQ(offered, r.offered[s]) << r.action << " in state " << s;
        }
    }
}

TEST_F(MainExplorerBar, ABookmarkListIsLoadedEditedAndSavedThroughTheCommands)
{
    const QString file = list();
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    EXPECT_TRUE(tree->FileName().isEmpty());

    chooseFile(file);
    trigger("actBookmarkLoad");
    ASSERT_EQ(tree->FileName(), file);
    EXPECT_NE(find(tree, "Bee"), nullptr);

    // a new bookmark: the dialog opens empty without a page, in the current language
    fillIn = [](QDialog &d) {
        auto *b = qobject_cast<TfrmBookmark *>(&d);
        if (!b)
            return int(QDialog::Rejected);
        EXPECT_TRUE(b->Title().isEmpty());
        EXPECT_EQ(b->lblTitle->text(), "Title:");
        b->SetTitle("New");
        b->SetUrl("http://new.example/");
        return int(QDialog::Accepted);
    };
    trigger("actBookmarkAddUrl");
    ASSERT_NE(find(tree, "New"), nullptr);
    EXPECT_TRUE(tree->Modified());

    // properties change the selected bookmark
    tree->setCurrentItem(find(tree, "Bee"));
    fillIn = [](QDialog &d) {
        auto *b = qobject_cast<TfrmBookmark *>(&d);
        if (!b)
            return int(QDialog::Rejected);
        EXPECT_EQ(b->Title(), "Bee");
        EXPECT_EQ(b->Url(), "http://bee.example/");
        b->SetTitle("Bumblebee");
        b->SetUrl("http://bumble.example/");
        return int(QDialog::Accepted);
    };
    trigger("actBookmarkProperty");
    ASSERT_NE(find(tree, "Bumblebee"), nullptr);

    // rename in place
    tree->setCurrentItem(find(tree, "Folder"));
    trigger("actBookmarkRename");
    auto *editor = tree->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr) << "no label editor";
    editor->setText("Renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_NE(find(tree, "Renamed"), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // a new folder starts its rename at once
    tree->setCurrentItem(nullptr);
    trigger("actBookmarkAddFolder");
    editor = tree->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr) << "the new folder's label is not being edited";
    editor->setText("Fresh");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_NE(find(tree, "Fresh"), nullptr);

    tree->setCurrentItem(find(tree, "New"));
    trigger("actBookmarkDelete");
    EXPECT_EQ(find(tree, "New"), nullptr);

    trigger("actBookmarkSave");
    EXPECT_FALSE(tree->Modified());
    const QByteArray saved = readBytes(file);
    EXPECT_TRUE(saved.contains("<DT><H3 FOLDED ADD_DATE=\"0\">Renamed</H3>\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains(">Fresh</H3>\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("<DT><A HREF=\"http://bumble.example/\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("\">Bumblebee</A>\r\n")) << saved.constData();
    EXPECT_FALSE(saved.contains("new.example"));

    // save as: a new file with the same bytes, and the list follows it
    const QString other = dir.path() + "/copy.htm";
    chooseFile(other);
    trigger("actBookmarkSaveAs");
    EXPECT_EQ(tree->FileName(), other);
    EXPECT_EQ(readBytes(other), saved);
    EXPECT_TRUE(told.isEmpty()) << qPrintable(told.join('\n'));
}

TEST_F(MainExplorerBar, TheBookmarkFileDialogsShowEachFilterOnceWithUsablePatterns)
{
    openWindow();
    QStringList shown;
    fillIn = [&shown](QDialog &d) {
        if (auto *fd = qobject_cast<QFileDialog *>(&d))
            shown = fd->nameFilters();
        return int(QDialog::Rejected);
    };
    trigger("actBookmarkLoad");
    EXPECT_EQ(shown, QStringList({"HTML Files (*.htm *.html)", "All Files (*)"}));
}

TEST_F(MainExplorerBar, ABookmarkFileLoadsWithOrWithoutAnEnding)
{
    const QString bare = list("bookmarks");
    const QString htm = list("first.htm");
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    chooseFile(bare);
    trigger("actBookmarkLoad");
    EXPECT_EQ(tree->FileName(), bare) << "a file without an ending is no \"bookmarks.htm\"";
    // a name typed without its ".htm" still finds the file
    chooseFile(dir.path() + "/first");
    trigger("actBookmarkLoad");
    EXPECT_EQ(tree->FileName(), htm);
    EXPECT_TRUE(told.isEmpty()) << qPrintable(told.join('\n'));
}

TEST_F(MainExplorerBar, LoadingAsksBeforeAChangedListIsDropped)
{
    const QString first = list("first.htm");
    const QString second = list("second.htm");
    openWindow(first);
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    ASSERT_EQ(tree->FileName(), first);
    const QByteArray before = readBytes(first);
    tree->setCurrentItem(find(tree, "Bee"));
    trigger("actBookmarkDelete");
    ASSERT_TRUE(tree->Modified());
    chooseFile(second);

    answer = messageboxes::IdCancel; // the list stays, nothing is asked for
    trigger("actBookmarkLoad");
    EXPECT_EQ(told, QStringList{SaveBookmarkText});
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(tree->FileName(), first);
    EXPECT_TRUE(tree->Modified());

    answer = messageboxes::IdNo; // the changes go, the other list comes
    trigger("actBookmarkLoad");
    EXPECT_EQ(tree->FileName(), second);
    EXPECT_EQ(readBytes(first), before);

    tree->setCurrentItem(find(tree, "Bee"));
    trigger("actBookmarkDelete");
    answer = messageboxes::IdYes; // saved first
    chooseFile(first);
    trigger("actBookmarkLoad");
    EXPECT_EQ(tree->FileName(), first);
    EXPECT_FALSE(readBytes(second).contains("Bee"));
}

TEST_F(MainExplorerBar, AFailedSaveIsReportedAndTheListStaysChanged)
{
    QDir().mkpath(dir.path() + "/sub");
    const QString file = list("sub/list.htm");
    openWindow(file);
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    ASSERT_EQ(tree->FileName(), file);
    tree->setCurrentItem(find(tree, "Bee"));
    trigger("actBookmarkDelete");
    // the folder is replaced by a plain file: nothing can be written there
    ASSERT_TRUE(QDir(dir.path() + "/sub").removeRecursively());
    writeBytes(dir.path() + "/sub", "x");

    trigger("actBookmarkSave");
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.at(0).contains(file)) << qPrintable(told.at(0));
    EXPECT_TRUE(told.at(0).contains(tree->LastError())) << qPrintable(told.at(0));
    EXPECT_FALSE(tree->LastError().isEmpty());
    EXPECT_TRUE(tree->Modified());

    chooseFile(dir.path() + "/sub/other.htm");
    trigger("actBookmarkSaveAs");
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told.at(1).contains(dir.path() + "/sub/other.htm")) << qPrintable(told.at(1));
    EXPECT_TRUE(tree->Modified());
    EXPECT_EQ(tree->FileName(), file);
}

TEST_F(MainExplorerBar, WithoutAListAddingMakesOneInTheDataFolder)
{
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    ASSERT_TRUE(tree->FileName().isEmpty());
    trigger("actBookmarkAddFolder");
    const QString made = platformpaths::dataDir() + "/Bookmark.htm";
    EXPECT_EQ(tree->FileName(), made);
    EXPECT_TRUE(QFileInfo::exists(made));
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_NE(tree->findChild<QLineEdit *>(), nullptr) << "the new folder's rename did not start";
    EXPECT_TRUE(tree->Modified());
    EXPECT_TRUE(told.isEmpty()) << qPrintable(told.join('\n'));
    QFile::remove(made);
}

TEST_F(MainExplorerBar, HistoryCommandsOpenDeleteAndOfferToFavorites)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    HistoryStore &store = HistoryStore::shared();
    ASSERT_TRUE(store.recordVisit("http://one.example/", "One", now));
    ASSERT_TRUE(store.recordVisit("http://two.example/", "Two", now));
    openWindow();
    THistoryTreeView *tree = frmMain->historyTree();
    EXPECT_EQ(tree->parentWidget()->objectName(), "tbsHistory");
    EXPECT_EQ(tree->contextMenuPolicy(), Qt::CustomContextMenu);
    auto *today = static_cast<THistoryNode *>(tree->topLevelItem(0));
    ASSERT_TRUE(today);
    ASSERT_TRUE(tree->RequestExpand(today));
    auto *site = static_cast<THistoryNode *>(find(tree, "one.example"));
    ASSERT_TRUE(site);
    ASSERT_TRUE(tree->RequestExpand(site));
    tree->setCurrentItem(find(tree, "One"));

    trigger("actHistoryOpen");
    EXPECT_EQ(frmMain->addressBox()->Url(), "http://one.example/");
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    trigger("actHistoryOpenNew");
    EXPECT_EQ(frmMain->Browsers().size(), 2);

    fillIn = [](QDialog &) { return int(QDialog::Rejected); };
    trigger("actHistoryAddToFavorites");
    EXPECT_EQ(dialogs.last(), "TAddFavoriteDialog");

    trigger("actHistoryDelete");
    EXPECT_EQ(store.page("http://one.example/").url, QString());
    EXPECT_EQ(store.page("http://two.example/").visitCount, 1);
    EXPECT_EQ(find(tree, "one.example"), nullptr);

    // a clear of the store empties the tree
    ASSERT_TRUE(store.recordVisit("http://three.example/", "Three", now));
    trigger("actHistoryRefresh");
    ASSERT_TRUE(tree->RequestExpand(static_cast<THistoryNode *>(tree->topLevelItem(0))));
    EXPECT_NE(find(tree, "three.example"), nullptr);
    ASSERT_TRUE(store.clear());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

TEST_F(MainExplorerBar, ACorruptHistoryStoreIsSetAsideWithOneMessage)
{
    const QString path = dir.path() + "/History/History.sqlite";
    writeBytes(path, QByteArray(8192, '\x7f'));
    HistoryStore::setSharedPath(path);
    openWindow();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.at(0).contains(path)) << qPrintable(told.at(0));
    EXPECT_TRUE(told.at(0).contains(path + ".corrupt")) << qPrintable(told.at(0));
    EXPECT_EQ(readBytes(path + ".corrupt"), QByteArray(8192, '\x7f'));
    EXPECT_EQ(frmMain->historyTree()->topLevelItemCount(), 0);
    EXPECT_TRUE(HistoryStore::shared().isOpen());
}

TEST_F(MainExplorerBar, ABookmarkToAMovedFileOpensTheFileOfThatNameInTheWorkingFolder)
{
    writeBytes(dir.path() + "/here/page.html", "<html>here</html>");
    const CurrentFolder here(dir.path() + "/here");
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    emit tree->OnNavigateUrl(tree, "file:///gone/away/page.html");
    EXPECT_EQ(frmMain->addressBox()->Url(), QUrl::fromLocalFile(dir.path() + "/here/page.html").toString());
    // neither there nor here: opened as it was
    emit tree->OnNavigateUrl(tree, "file:///gone/away/other.html");
    EXPECT_EQ(frmMain->addressBox()->Url(), "file:///gone/away/other.html");
    // a file that is there is opened where it is
    const QString there = QUrl::fromLocalFile(dir.path() + "/here/page.html").toString();
    emit tree->OnNavigateUrl(tree, there);
    EXPECT_EQ(frmMain->addressBox()->Url(), there);
}

TEST_F(MainExplorerBar, TheFileSystemPageGoesUpByItsButton)
{
    QDir().mkpath(dir.path() + "/a/b");
    const QString root = QDir(dir.path()).canonicalPath();
    openWindow();
    TFileSystemPage *page = frmMain->fileSystemPage();
    EXPECT_EQ(page->parentWidget()->objectName(), "TabSheet1");
    ASSERT_TRUE(page->SetFolder(root + "/a/b"));
    QTest::mouseClick(page->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(page->Folder(), root + "/a");
    EXPECT_EQ(page->FolderModel->filePath(page->ShellTreeView1->currentIndex()), root + "/a");
}

TEST_F(MainExplorerBar, APageIsBuiltWhenFirstShownAndATreeCommandBuildsItsPageWhenNeverShown)
{
    ASSERT_TRUE(WriteInternetShortcut(dir.path() + "/Favorites/Fav.url", "http://fav.example/"));
    ASSERT_TRUE(HistoryStore::shared().recordVisit("http://one.example/", "One", QDateTime::currentDateTimeUtc()));
    openWindow(list());
    // the explorer bar is hidden: of its pages only the bookmark list, with its file loaded, is there
    EXPECT_EQ(frmMain->findChild<TFavoriteTreeView *>(), nullptr);
    EXPECT_EQ(frmMain->findChild<THistoryTreeView *>(), nullptr);
    EXPECT_EQ(frmMain->findChild<TMGRichEditFramePrev *>(), nullptr);
    EXPECT_EQ(frmMain->findChild<TFileSystemPage *>(), nullptr);
    EXPECT_EQ(frmMain->findChild<QCalendarWidget *>(), nullptr);
    EXPECT_NE(find(frmMain->bookmarkTree(), "Bee"), nullptr);
    // the commands' rules answer without building a page: nothing is selected in a page never shown
    EXPECT_FALSE(enabled("actFavoritesOpen"));
    EXPECT_FALSE(enabled("actHistoryDelete"));
    EXPECT_TRUE(visible("actFavoritesImport"));
    EXPECT_EQ(frmMain->findChild<TFavoriteTreeView *>(), nullptr);
    EXPECT_EQ(frmMain->findChild<THistoryTreeView *>(), nullptr);

    // a command on a tree never shown builds the tree, which then lists what is there
    trigger("actFavoritesRefresh");
    auto *favorites = frmMain->findChild<TFavoriteTreeView *>();
    ASSERT_NE(favorites, nullptr);
    EXPECT_TRUE(testsupport::waitUntil([&] { return find(favorites, "Fav") != nullptr; }));
    EXPECT_EQ(favorites->contextMenuPolicy(), Qt::CustomContextMenu);
    trigger("actHistoryRefresh");
    auto *history = frmMain->findChild<THistoryTreeView *>();
    ASSERT_NE(history, nullptr);
    ASSERT_GT(history->topLevelItemCount(), 0);
    ASSERT_TRUE(history->RequestExpand(static_cast<THistoryNode *>(history->topLevelItem(0))));
    EXPECT_NE(find(history, "one.example"), nullptr);
    EXPECT_EQ(frmMain->historyTree(), history) << "built once";

    // showing the bar on a page builds that page, shown at once; the others wait
    auto *bar = frmMain->findChild<QTabWidget *>("PageControl");
    bar->setCurrentWidget(bar->findChild<QWidget *>("tbsEdit"));
    bar->show();
    auto *notes = frmMain->findChild<TMGRichEditFramePrev *>();
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isVisible());
    EXPECT_EQ(notes->parentWidget()->objectName(), "tbsEdit");
    EXPECT_EQ(frmMain->findChild<TFileSystemPage *>(), nullptr);
    bar->setCurrentWidget(bar->findChild<QWidget *>("TabSheet2"));
    auto *calendar = frmMain->findChild<QCalendarWidget *>();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(frmMain->findChild<TFileSystemPage *>(), nullptr);
}

TEST_F(MainExplorerBar, ClosingWithTheNotesAndTreesNeverShownAsksOnlyAboutAChangedBookmarkList)
{
    const QString file = list();
    const QByteArray saved = readBytes(file);
    openWindow(file);
    // a change made through a command while the bookmark page was never shown is asked about
    frmMain->bookmarkTree()->AddBookmark(nullptr, "Added", "http://added/");
    answer = messageboxes::IdCancel;
    EXPECT_FALSE(frmMain->close());
    EXPECT_EQ(told, QStringList{SaveBookmarkText});
    EXPECT_TRUE(frmMain->isVisible()) << "Cancel keeps the program open";
    EXPECT_EQ(frmMain->findChild<TMGRichEditFramePrev *>(), nullptr) << "closing builds no notes";
    // Cancel saved nothing: the list is still changed, so the next close asks again; No closes
    // without saving it
    answer = messageboxes::IdNo;
    EXPECT_TRUE(frmMain->close());
    EXPECT_EQ(told, QStringList({SaveBookmarkText, SaveBookmarkText}));
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_EQ(readBytes(file), saved);
    // a window that has closed asks nothing more when it is asked to close again
    EXPECT_TRUE(frmMain->close());
    EXPECT_EQ(told.size(), 2);
    EXPECT_TRUE(dialogs.filter("QFileDialog").isEmpty());
}

TEST_F(MainExplorerBar, ClosingWithNothingChangedAsksNothingAndLeavesTheBookmarkFileAsItWas)
{
    const QString file = list();
    const QByteArray saved = readBytes(file);
    openWindow(file);
    // the notes shown but not changed hold nothing to save either
    auto *bar = frmMain->findChild<QTabWidget *>("PageControl");
    bar->setCurrentWidget(bar->findChild<QWidget *>("tbsEdit"));
    bar->show();
    ASSERT_NE(frmMain->findChild<TMGRichEditFramePrev *>(), nullptr);
    answer = messageboxes::IdCancel; // a question asked would keep the window open
    EXPECT_TRUE(frmMain->close());
    EXPECT_TRUE(told.isEmpty()) << told.join(u'|').toStdString();
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(u'|').toStdString();
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_EQ(readBytes(file), saved);
    // the window's settings are written at the close, the bookmark file kept
    const QByteArray settings = readBytes(dir.path() + "/brivo.ini");
    EXPECT_TRUE(settings.contains("BookmarkFile=" + file.toUtf8())) << settings.constData();
    EXPECT_TRUE(settings.contains("ExplorerBar=1")) << settings.constData();
}

TEST_F(MainExplorerBar, APageCopiedByTheEngineAndPastedIntoANoteIsSavedWithItsFormatting)
{
    const std::shared_ptr<TRichTextCodec> previousCodec = RichTextCodec();
    InstallRtfCodec(); // as the program starts
    const auto restoreCodec = qScopeGuard([&] { SetRichTextCodec(previousCodec); });
    const QString page = dir.path() + "/page.html";
    writeBytes(page, "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>body { font-family: sans-serif; "
                     "font-size: 16px } .big { font-size: 24px; color: #c00000 }</style></head><body>"
                     "<h1>Heading one</h1><p>Plain, <b>bold</b>, <i>italic</i>, <u>under</u> and <span "
                     "class=\"big\">big red</span>.</p><ol start=\"3\"><li>three</li><li>four</li></ol>"
                     "<p style=\"text-align: center\">centred</p><img src=\"https://example.invalid/p.png\">"
                     "</body></html>");
    openWindow();
    TfrmBrowser *browser = frmMain->NewBrowser();
    TIEBrowser *view = browser->WebBrowser();
    // loaded: the page itself, not the one the window opened with
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, view, [&loaded, view, page](bool ok) {
        loaded = loaded || (ok && view->url() == QUrl::fromLocalFile(page));
    });
    view->Navigate(QUrl::fromLocalFile(page).toString());
    ASSERT_TRUE(testsupport::waitUntil([&] { return loaded; }, 30000)) << "the page never loaded";

    // the engine's own select-all and copy, as the keys in the page run them (again until the page takes
    // them)
    QApplication::clipboard()->clear();
    QElapsedTimer sinceCopy;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            const QMimeData *data = QApplication::clipboard()->mimeData();
            if (data && data->hasHtml() && data->html().contains("centred"))
                return true;
            if (!sinceCopy.isValid() || sinceCopy.elapsed() > 1000) {
                // the page's frame takes the keys once its view gains the focus
                view->clearFocus();
                view->setFocus(Qt::OtherFocusReason);
                view->page()->triggerAction(QWebEnginePage::SelectAll);
                view->page()->triggerAction(QWebEnginePage::Copy);
                sinceCopy.start();
            }
            return false;
        },
        30000))
        << "the engine put no HTML on the clipboard";

    // pasted into a note with the paste key, saved as rich text through the notes' own command
    auto *bar = frmMain->findChild<QTabWidget *>("PageControl");
    bar->setCurrentWidget(bar->findChild<QWidget *>("tbsEdit"));
    bar->show();
    auto *notes = frmMain->findChild<TMGRichEditFramePrev *>();
    ASSERT_NE(notes, nullptr);
    TMMRxRichEditPrev *editor = notes->ActiveEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(editor->Text().startsWith("Heading one\nPlain, bold, italic, under and big red.\nthree\nfour\n"))
        << editor->Text().toStdString();
    const QString saved = dir.path() + "/note.rtf";
    chooseFile(saved);
    notes->actFileSaveAs->trigger();
    const QByteArray rtf = readBytes(saved);
    ASSERT_FALSE(rtf.isEmpty()) << "nothing was saved";
    for (const char *word : {"\\fs48\\b", "\\b bold", "\\i italic", "\\ul under", "\\fs36\\cf",
                             "\\red192\\green0\\blue0", "\\pnstart3", "\\pndec", "\\qc"})
        EXPECT_TRUE(rtf.contains(word)) << word << " is not in\n" << rtf.toStdString();
    EXPECT_FALSE(rtf.contains("\\pict")) << "a picture of the page came along";
}
