// The explorer bar's favorites page in the main window: the tree over the favorites folder, opening a
// shortcut, and the favorites commands following the selected node.
#include "browser/Browser.h"
#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "explorerbar/FavoriteTreeViews.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/MainWindowTestSupport.h"
#include "platform/FileChangeNotifiers.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "settings/AddFavoriteDialog.h"
#include "settings/BrivoInisCompact.h"
#include "settings/CommonUtils.h"

#include <QAction>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

using testsupport::waitUntil;
using testsupport::writeBytes;

namespace {

class MainFavorites : public ::testing::Test {
protected:
    void SetUp() override
    {
        systemlocale::setOverride(QStringLiteral("en_US.UTF-8"));
        platformstore::setFolder(dir.path() + "/registry");
        favorites = dir.path() + "/Favorites";
        platformstore::writeString(Hive::CurrentUser,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites",
                                   favorites);
        runner.emplace(testsupport::answeringMessageBoxes(
            [this](const QString &text, const QString &, unsigned) {
                asked << text;
                return int(messageboxes::IdYes);
            },
            [this](QDialog &dialog) { return forms ? forms(dialog) : int(QDialog::Rejected); }));
    }
    void TearDown() override
    {
        mainwindowtest::closeMainWindow();
        runner.reset();
        systemlocale::setOverride(std::nullopt);
        platformstore::setFolder(QString());
    }
    TFavoriteTreeView *openWindow()
    {
        mainwindowtest::openMainWindow(dir.path() + "/brivo.ini");
        return frmMain->favoriteTree();
    }
    QString page(const QString &name, const QString &title)
    {
        const QString path = dir.path() + u'/' + name;
        writeBytes(path, "<html><head><title>" + title.toUtf8() + "</title></head><body>x</body></html>");
        return QUrl::fromLocalFile(path).toString();
    }
    static TFavoriteNode *node(TFavoriteTreeView *tree, const QString &text)
    {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : static_cast<TFavoriteNode *>(found.first());
    }
    bool enabled(const char *name)
    {
        frmMain->UpdateActions();
        return frmMain->action(name)->isEnabled();
    }

    QTemporaryDir dir;
    QString favorites;
    QStringList asked;
    // answers the dialogs other than message boxes
    dialogrunner::Runner forms;
    std::optional<dialogrunner::ScopedRunner> runner;
};

} // namespace

TEST_F(MainFavorites, ThePageShowsTheFavoritesAndAShortcutOpensItsPage)
{
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/Fav.url", page("fav.html", "Favorite page")));
    QDir().mkpath(favorites + "/Links");
    TFavoriteTreeView *tree = openWindow();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->parentWidget()->objectName(), "tbsFavorites");
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_TRUE(tree->AutoRefresh());
    EXPECT_TRUE(tree->Notifier()->Active());

    tree->setCurrentItem(node(tree, "Fav"));
    tree->NavigateSelected();
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    ASSERT_TRUE(waitUntil([] { return frmMain->windowsTabs()->tabText(0) == "Favorite page"; }, 20000))
        << "the favorite's page never showed its title";
}

TEST_F(MainFavorites, CommandsFollowTheSelectedNode)
{
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/Fav.url", "http://fav/"));
    QDir().mkpath(favorites + "/Links");
    QDir().mkpath(favorites + "/Folder");
    TFavoriteTreeView *tree = openWindow();
    EXPECT_FALSE(enabled("actFavoritesAdd")) << "no page to add";
    EXPECT_FALSE(enabled("actFavoritesOpen")) << "nothing selected";
    EXPECT_TRUE(enabled("actFavoritesRefresh"));
    EXPECT_TRUE(enabled("actFavoritesOrganize"));
    EXPECT_TRUE(frmMain->action("actFavoritesImport")->isVisible());

    tree->setCurrentItem(node(tree, "Links"));
    EXPECT_FALSE(enabled("actFavoritesDelete"));
    EXPECT_FALSE(enabled("actFavoritesRename"));
    EXPECT_FALSE(enabled("actFavoritesOpenNew")) << "a folder opens nothing";
    tree->setCurrentItem(node(tree, "Folder"));
    EXPECT_TRUE(enabled("actFavoritesDelete"));
    EXPECT_FALSE(enabled("actFavoritesOpen"));
    tree->setCurrentItem(node(tree, "Fav"));
    EXPECT_TRUE(enabled("actFavoritesOpen"));

    frmMain->action("actFavoritesDelete")->trigger();
    EXPECT_EQ(asked.size(), 1) << "the user is asked first";
    EXPECT_FALSE(QFileInfo::exists(favorites + "/Fav.url"));
    EXPECT_EQ(node(tree, "Fav"), nullptr);

    // the refresh command lists what is on disk now
    tree->SetAutoRefresh(false);
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/Later.url", "http://later/"));
    frmMain->action("actFavoritesRefresh")->trigger();
    EXPECT_NE(node(tree, "Later"), nullptr);
    // the tree's pop-up menu is the favorites one
    EXPECT_EQ(tree->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(MainFavorites, AddingTheActivePageShowsItInTheTree)
{
    TFavoriteTreeView *tree = openWindow();
    frmMain->NavigateUrl(page("added.html", "Added page"));
    ASSERT_TRUE(waitUntil([] { return frmMain->windowsTabs()->tabText(0) == "Added page"; }, 20000));
    ASSERT_TRUE(enabled("actFavoritesAdd"));
    forms = [](QDialog &dialog) {
        auto *add = qobject_cast<TAddFavoriteDialog *>(&dialog);
        EXPECT_NE(add, nullptr);
        EXPECT_EQ(add ? add->Name() : QString(), "Added page");
        return int(QDialog::Accepted);
    };
    frmMain->action("actFavoritesAdd")->trigger();
    EXPECT_TRUE(QFileInfo::exists(favorites + "/Added page.url"));
    ASSERT_TRUE(waitUntil([&] { return node(tree, "Added page") != nullptr; })) << "the watcher never showed it";
}
