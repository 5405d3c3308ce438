// The favorites tree over a real favorites folder in a private store: listing, kinds and order, the
// watcher's refreshes, renaming, the Trash, new folders and moves, organising, import and export.
#include "explorerbar/FavoriteTreeViews.h"

#include "TreeTestSupport.h"
#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "explorerbar/FavoritesTransfers.h"
#include "explorerbar/OrganizeFavorites.h"
#include "platform/DialogRunner.h"
#include "platform/FileChangeNotifiers.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformStore.h"
#include "settings/CommonUtils.h"

#include <QDirIterator>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using testsupport::processEventsFor;
using testsupport::waitUntil;
using testsupport::writeBytes;
using treetest::texts;

namespace {

constexpr int Quiet = 4 * TFileChangeNotifier::BatchDelayMs;

// The store, the message boxes and the dialogs of one test, put back as they were at its end.
struct Seams {
    explicit Seams(const QString &storeFolder)
        : runner(testsupport::answeringMessageBoxes(
              [this](const QString &text, const QString &, unsigned flags) {
                  const bool question = (flags & 0x0F) == messageboxes::YesNo;
                  (question ? questions : messages) << text;
                  return int(question ? (answerYes ? messageboxes::IdYes : messageboxes::IdNo) : messageboxes::IdOK);
              },
              [this](QDialog &dialog) { return forms ? forms(dialog) : int(QDialog::Rejected); }))
    {
        platformstore::setFolder(storeFolder);
    }
    ~Seams()
    {
        SetFavoritesTransfer({});
        platformstore::setFolder(QString());
    }
    Seams(const Seams &) = delete;
    Seams &operator=(const Seams &) = delete;
    // answers the dialogs other than message boxes
    void runDialogs(dialogrunner::Runner runner) { forms = std::move(runner); }

    bool answerYes = true;
    QStringList questions;
    QStringList messages;

private:
    dialogrunner::Runner forms;
    dialogrunner::ScopedRunner runner;
};

QString shortcut(const QString &url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

class FavoriteTree : public ::testing::Test {
protected:
    FavoriteTree()
        : seams(dir.path() + "/registry")
    {
        favorites = dir.path() + "/Favorites";
        platformstore::writeString(Hive::CurrentUser,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites",
                                   favorites);
    }
    QString path(const QString &relative) const { return favorites + '/' + relative; }
    void url(const QString &relative, const QString &address)
    {
        writeBytes(path(relative), shortcut(address).toUtf8());
    }
    std::unique_ptr<TFavoriteTreeView> makeTree(bool autoRefresh = false)
    {
        auto tree = std::make_unique<TFavoriteTreeView>();
        tree->resize(300, 500);
        tree->SetAutoRefresh(autoRefresh);
        tree->Loaded();
        return tree;
    }
    static TFavoriteNode *node(TFavoriteTreeView &tree, const QString &text)
    {
        const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : static_cast<TFavoriteNode *>(found.first());
    }
    // Counts the tree's whole refills (each empties the tree first).
    static std::unique_ptr<QSignalSpy> refills(TFavoriteTreeView &tree)
    {
        return std::make_unique<QSignalSpy>(tree.model(), &QAbstractItemModel::modelReset);
    }

    QTemporaryDir dir;
    Seams seams;
    QString favorites;
};

} // namespace

TEST_F(FavoriteTree, ListsFoldersFirstThenEntriesByNameWithTheirKinds)
{
    QDir().mkpath(path("links"));
    QDir().mkpath(path("Zeta/Inner"));
    url("Zeta/z.url", "http://z/");
    QDir().mkpath(path("Empty"));
    QDir().mkpath(path(".hiddendir"));
    url("b.url", "http://b/");
    writeBytes(path("A.url"), "[InternetShortcut]\nno address here\n");
    writeBytes(path("c.desktop"), "[Desktop Entry]\nType=Link\nURL=http://c/\n");
    writeBytes(path("notes.txt"), "text");
    url(".hidden.url", "http://hidden/");
    ASSERT_TRUE(QFile::link(path("notes.txt"), path("lnk")));

    auto tree = makeTree();
    EXPECT_EQ(texts(*tree), QStringList({"Empty", "links", "Zeta", "A.url", "b", "c", "lnk", "notes.txt"}));
    EXPECT_EQ(node(*tree, "b")->Kind, TFavoriteNode::Shortcut);
    EXPECT_EQ(node(*tree, "b")->Url, "http://b/");
    EXPECT_EQ(node(*tree, "c")->Url, "http://c/");
    EXPECT_EQ(node(*tree, "lnk")->Kind, TFavoriteNode::Shortcut);
    EXPECT_EQ(node(*tree, "lnk")->Url, path("notes.txt"));
    EXPECT_EQ(node(*tree, "A.url")->Kind, TFavoriteNode::File) << "a shortcut without an address";
    EXPECT_EQ(node(*tree, "A.url")->Url, path("A.url"));
    EXPECT_EQ(node(*tree, "notes.txt")->Url, path("notes.txt"));
    EXPECT_EQ(node(*tree, "notes.txt")->ImageIndex, tree->UrlImage());
    EXPECT_EQ(node(*tree, "Zeta")->SelectedIndex, tree->OpenFolderImage());

    // the Links folder in another letter case is still the Links folder
    EXPECT_FALSE(node(*tree, "links")->CanRename);
    EXPECT_FALSE(node(*tree, "links")->CanDelete);
    EXPECT_TRUE(node(*tree, "Zeta")->CanDelete);

    // folders are listed when first opened, and only then
    TFavoriteNode *zeta = node(*tree, "Zeta");
    EXPECT_EQ(zeta->childCount(), 0);
    EXPECT_TRUE(zeta->HasSubEntries());
    EXPECT_FALSE(node(*tree, "Empty")->HasSubEntries());
    ASSERT_TRUE(tree->RequestExpand(zeta));
    EXPECT_EQ(texts(*tree, zeta), QStringList({"Inner", "z"}));
    EXPECT_EQ(node(*tree, "z")->GetPath(), path("Zeta/z.url"));
    QTreeWidgetItem *first = zeta->child(0);
    tree->RequestCollapse(zeta);
    tree->RequestExpand(zeta);
    EXPECT_EQ(zeta->child(0), first) << "a listed folder is not listed again";
    tree->RefreshIfIdle();
    EXPECT_EQ(node(*tree, "Zeta")->childCount(), 0) << "a refresh lists everything again";
}

TEST_F(FavoriteTree, FoldersLookLikeFoldersBeforeTheLinksFolderExists)
{
    QDir().mkpath(path("Work"));
    const auto folderImage = [this] {
        auto tree = makeTree();
        const TFavoriteNode *work = node(*tree, "Work");
        EXPECT_NE(work, nullptr);
        return work ? work->icon(0).pixmap(tree->iconSize()).toImage() : QImage();
    };
    const QImage fresh = folderImage(); // a fresh profile: no links folder yet
    QDir().mkpath(path("Links"));
    const QImage withLinks = folderImage();
    ASSERT_FALSE(withLinks.isNull());
    EXPECT_EQ(fresh, withLinks) << "the folder's icon does not depend on the links folder being there";
}

TEST_F(FavoriteTree, SpecialFilesNamedLikeShortcutsNeitherHangNorBreakTheFill)
{
    url("good.url", "http://good/");
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.url")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("fifo.url"), path("to-fifo.url")));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("dangling.url")));
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(path("socket.url"));
    ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
    memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    // a huge file is not read as a shortcut
    writeBytes(path("huge.url"), shortcut("http://huge/").toUtf8() + QByteArray(200 * 1024, ';'));
    writeBytes(path("dir.url/x"), "x");

    auto tree = makeTree();
    ::close(sock);
    EXPECT_EQ(texts(*tree), QStringList({"dir.url", "good", "huge.url"})) << "only plain files and folders";
    EXPECT_EQ(node(*tree, "huge.url")->Kind, TFavoriteNode::File);
    EXPECT_TRUE(node(*tree, "dir.url")->IsFolder());
}

TEST_F(FavoriteTree, AnEmptyFavoritesPathIsAnEmptyTreeWithoutWatcher)
{
    platformstore::writeString(Hive::CurrentUser,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites",
                               QString());
    auto tree = makeTree(true);
    EXPECT_TRUE(tree->FavoritesFolder().isEmpty());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_FALSE(tree->Notifier()->Active());
    EXPECT_EQ(tree->AddFolder(nullptr), nullptr);
}

TEST_F(FavoriteTree, AnOutsideChangeRefreshesOnceAndTheTreesOwnWorkNever)
{
    url("one.url", "http://one/");
    QDir().mkpath(path("Folder"));
    auto tree = makeTree(true);
    ASSERT_TRUE(tree->Notifier()->Active());
    const auto spy = refills(*tree);

    // another program adds a shortcut
    ASSERT_TRUE(WriteInternetShortcut(path("two.url"), "http://two/"));
    ASSERT_TRUE(waitUntil([&] { return node(*tree, "two") != nullptr; })) << "the new shortcut never appeared";
    processEventsFor(Quiet);
    EXPECT_EQ(spy->count(), 1);
    EXPECT_EQ(node(*tree, "two")->Url, "http://two/");
    EXPECT_TRUE(tree->Notifier()->Active()) << "watching again after the refresh";

    // the tree's own rename, new folder and expansion do not refresh it
    spy->clear();
    ASSERT_TRUE(node(*tree, "one")->Rename("uno"));
    ASSERT_NE(tree->AddFolder(nullptr), nullptr);
    tree->RequestExpand(node(*tree, "Folder"));
    processEventsFor(Quiet);
    EXPECT_EQ(spy->count(), 0);
    EXPECT_TRUE(QFileInfo::exists(path("uno.url")));
    EXPECT_TRUE(tree->Notifier()->Active());

    // a change deep inside a subfolder made after the start is seen too
    QDir().mkpath(path("Folder/Sub"));
    ASSERT_TRUE(waitUntil([&] { return spy->count() == 1; }));
    ASSERT_TRUE(WriteInternetShortcut(path("Folder/Sub/deep.url"), "http://deep/"));
    ASSERT_TRUE(waitUntil([&] { return spy->count() == 2; })) << "no refresh for a change two folders down";
}

TEST_F(FavoriteTree, ADeletedFavoritesFolderEmptiesTheTree)
{
    url("one.url", "http://one/");
    auto tree = makeTree(true);
    QSignalSpy errors(tree->Notifier(), &TFileChangeNotifier::OnFindError);
    ASSERT_TRUE(QDir(favorites).removeRecursively());
    ASSERT_TRUE(waitUntil([&] { return errors.count() == 1; })) << "OnFindError never came";
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

TEST_F(FavoriteTree, RenamingKeepsShortcutsShortcutsAndNeverOverwrites)
{
    url("page.url", "http://page/");
    url("other.url", "http://other/");
    writeBytes(path("plain.txt"), "x");
    QDir().mkpath(path("Folder"));
    writeBytes(path("Folder/inside.txt"), "x");
    QDir().mkpath(path("Links"));
    auto tree = makeTree();

    TFavoriteNode *page = node(*tree, "page");
    ASSERT_TRUE(page->Rename("Renamed"));
    EXPECT_TRUE(QFileInfo::exists(path("Renamed.url"))) << "typed without its ending";
    EXPECT_EQ(page->FileName, "Renamed.url");
    EXPECT_EQ(page->text(0), "Renamed");
    EXPECT_EQ(page->Url, "http://page/");
    ASSERT_TRUE(page->Rename("a.txt"));
    EXPECT_TRUE(QFileInfo::exists(path("a.txt.url"))) << "another ending is not the shortcut's";
    TFavoriteNode *other = node(*tree, "other");
    ASSERT_TRUE(other->Rename("Cased.URL"));
    EXPECT_TRUE(QFileInfo::exists(path("Cased.URL"))) << "the same ending in other letters is used as typed";
    EXPECT_EQ(other->text(0), "Cased");

    TFavoriteNode *plain = node(*tree, "plain.txt");
    ASSERT_TRUE(plain->Rename("plain"));
    EXPECT_EQ(plain->Url, path("plain")) << "a plain file opens at its new path";
    tree->RequestExpand(node(*tree, "Folder"));
    ASSERT_TRUE(node(*tree, "Folder")->Rename("Box"));
    EXPECT_TRUE(QFileInfo(path("Box")).isDir());
    EXPECT_EQ(node(*tree, "inside.txt")->Url, path("Box/inside.txt"));
    EXPECT_EQ(texts(*tree), QStringList({"Box", "Links", "a.txt", "Cased", "plain"})) << "sorted again";
    EXPECT_TRUE(seams.messages.isEmpty());

    // refused names: told why, nothing changed on disk, the label back as it was
    for (const QString &bad : {QString("a/b"), QString(".."), QString("."), QString("Box"), QString("x") + QChar(0),
                               QString(), QString(".hidden")}) {
        seams.messages.clear();
        plain->setText(0, bad);
        EXPECT_FALSE(plain->Rename(bad)) << bad.toStdString();
        EXPECT_EQ(seams.messages.size(), 1) << bad.toStdString();
        EXPECT_EQ(plain->text(0), "plain");
    }
    seams.messages.clear();
    EXPECT_FALSE(other->Rename("a.txt.url")) << "taken by the first shortcut";
    EXPECT_EQ(seams.messages.size(), 1);
    other->setText(0, QString()); // as an edit that cleared the label leaves it
    EXPECT_FALSE(other->Rename(QString())) << "an empty name is no name, even with the ending added";
    EXPECT_EQ(other->text(0), "Cased");
    EXPECT_EQ(testsupport::readBytes(path("a.txt.url")), shortcut("http://page/").toUtf8()) << "never overwritten";
    EXPECT_TRUE(QFileInfo::exists(path("Cased.URL")));
    EXPECT_TRUE(QFileInfo(path("Box")).isDir());

    // the Links folder keeps its name, silently
    seams.messages.clear();
    EXPECT_FALSE(node(*tree, "Links")->Rename("Elsewhere"));
    EXPECT_FALSE(node(*tree, "Links")->BeginRename());
    EXPECT_TRUE(QFileInfo(path("Links")).isDir());
    EXPECT_TRUE(seams.messages.isEmpty());
}

TEST_F(FavoriteTree, RenamingInPlaceRenamesTheFileWhenTheEditEnds)
{
    url("page.url", "http://page/");
    auto tree = makeTree();
    tree->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tree.get()));
    TFavoriteNode *page = node(*tree, "page");
    ASSERT_TRUE(page->BeginRename());
    auto *editor = tree->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Edited");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(path("Edited.url")));
    EXPECT_EQ(page->Caption, "Edited");

    // a cancelled edit leaves the file alone
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(page->BeginRename());
    editor = tree->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Dropped");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(path("Edited.url")));
    EXPECT_EQ(page->text(0), "Edited");
}

TEST_F(FavoriteTree, AnOutsideChangeWaitsForTheEditInProgress)
{
    url("page.url", "http://page/");
    auto tree = makeTree(true);
    tree->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tree.get()));
    const auto spy = refills(*tree);
    ASSERT_TRUE(node(*tree, "page")->BeginRename());
    auto *editor = tree->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Typed");
    ASSERT_TRUE(WriteInternetShortcut(path("outside.url"), "http://outside/"));
    processEventsFor(Quiet);
    EXPECT_EQ(spy->count(), 0) << "the label being edited was taken away";
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(path("Typed.url")));
    EXPECT_EQ(spy->count(), 1);
    EXPECT_EQ(texts(*tree), QStringList({"outside", "Typed"}));
}

TEST_F(FavoriteTree, DeletingMovesToTheTrashAfterTheUsersYes)
{
    url("page.url", "http://page/");
    url("Folder/inside.url", "http://inside/");
    QDir().mkpath(path("Links"));
    url("gone.url", "http://gone/");
    auto tree = makeTree();
    tree->RequestExpand(node(*tree, "Folder"));
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";

    seams.answerYes = false;
    EXPECT_FALSE(tree->DeleteNode(node(*tree, "page")));
    EXPECT_EQ(seams.questions.size(), 1);
    EXPECT_NE(node(*tree, "page"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(path("page.url")));

    seams.answerYes = true;
    EXPECT_TRUE(tree->DeleteNode(node(*tree, "Folder")));
    EXPECT_FALSE(QFileInfo::exists(path("Folder")));
    EXPECT_TRUE(QFileInfo::exists(trash + "/Folder/inside.url")) << "the whole folder is in the Trash";
    EXPECT_EQ(node(*tree, "inside"), nullptr);

    seams.questions.clear();
    EXPECT_FALSE(tree->DeleteNode(node(*tree, "Links")));
    EXPECT_TRUE(seams.questions.isEmpty()) << "the Links folder stays without a word";
    EXPECT_TRUE(QFileInfo(path("Links")).isDir());

    ASSERT_TRUE(QFile::remove(path("gone.url")));
    EXPECT_TRUE(tree->DeleteNode(node(*tree, "gone")));
    EXPECT_TRUE(seams.questions.isEmpty()) << "an entry already gone just leaves the tree";
    EXPECT_TRUE(seams.messages.isEmpty());
    EXPECT_EQ(texts(*tree), QStringList({"Links", "page"}));
}

TEST_F(FavoriteTree, NewFoldersAndMovesNeverOverwrite)
{
    url("page.url", "http://page/");
    url("Target/page.url", "http://taken/");
    QDir().mkpath(path("Other/Deep"));
    auto tree = makeTree();

    TFavoriteNode *made = tree->AddFolder(nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->FileName, "New Folder");
    EXPECT_EQ(tree->GetSelected(), made);
    EXPECT_EQ(tree->AddFolder(made)->GetPath(), path("New Folder/New Folder")) << "inside a selected folder";
    EXPECT_EQ(tree->AddFolder(node(*tree, "page"))->FileName, "New Folder (2)") << "beside a selected entry";

    // into a folder not listed yet: listed with the rest when it opens
    TFavoriteNode *page = node(*tree, "page");
    EXPECT_FALSE(tree->MoveNode(page, node(*tree, "Target"))) << "the name is taken there";
    EXPECT_EQ(seams.messages.size(), 1);
    EXPECT_EQ(testsupport::readBytes(path("Target/page.url")), shortcut("http://taken/").toUtf8());
    ASSERT_TRUE(tree->MoveNode(page, node(*tree, "Other")));
    EXPECT_TRUE(QFileInfo::exists(path("Other/page.url")));
    EXPECT_EQ(node(*tree, "page"), nullptr);
    tree->RequestExpand(node(*tree, "Other"));
    EXPECT_EQ(texts(*tree, node(*tree, "Other")), QStringList({"Deep", "page"}));

    // a folder into itself or below itself
    seams.messages.clear();
    TFavoriteNode *other = node(*tree, "Other");
    EXPECT_FALSE(tree->MoveNode(other, node(*tree, "Deep")));
    EXPECT_FALSE(tree->MoveNode(other, other));
    EXPECT_EQ(seams.messages.size(), 2);
    // back to the top, the node kept
    TFavoriteNode *moved = node(*tree, "page");
    ASSERT_TRUE(tree->MoveNode(moved, nullptr));
    EXPECT_EQ(node(*tree, "page"), moved);
    EXPECT_EQ(moved->GetPath(), path("page.url"));
}

TEST_F(FavoriteTree, AFailedNewFolderOrMoveNamesTheSystemsReason)
{
    url("page.url", "http://page/");
    QDir().mkpath(path("Gone"));
    auto tree = makeTree();
    const QString missing = systemErrorText(ENOENT);
    // the folder vanished behind the tree's back
    ASSERT_TRUE(QDir(path("Gone")).removeRecursively());

    EXPECT_EQ(tree->AddFolder(node(*tree, "Gone")), nullptr);
    EXPECT_FALSE(tree->MoveNode(node(*tree, "page"), node(*tree, "Gone")));
    ASSERT_EQ(seams.messages.size(), 2);
    for (const QString &message : std::as_const(seams.messages))
        EXPECT_TRUE(message.endsWith(": " + missing)) << message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path("page.url")));
}

TEST_F(FavoriteTree, OrganizeWorksOnDiskAndTheTreeShowsTheResult)
{
    url("page.url", "http://page/");
    QDir().mkpath(path("News/Daily"));
    auto tree = makeTree(true);
    bool asked = false;
    seams.runDialogs([&](QDialog &dialog) {
        if (auto *ask = qobject_cast<QInputDialog *>(&dialog)) {
            asked = true;
            EXPECT_EQ(ask->comboBoxItems(), QStringList({"Favorites/News", "Favorites/News/Daily"}));
            ask->setTextValue("Favorites/News/Daily");
            return int(QDialog::Accepted);
        }
        auto *organize = qobject_cast<TOrganizeFavoritesDialog *>(&dialog);
        EXPECT_NE(organize, nullptr);
        if (!organize)
            return int(QDialog::Rejected);
        TFavoriteTreeView *inner = organize->trvFavorites;
        inner->setCurrentItem(node(*inner, "page"));
        EXPECT_TRUE(organize->btnMove->isEnabled());
        organize->MoveSelected();
        inner->setCurrentItem(nullptr);
        organize->CreateFolder();
        return int(QDialog::Accepted);
    });
    const auto spy = refills(*tree);
    tree->OrganizeFavorites();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(QFileInfo::exists(path("News/Daily/page.url")));
    EXPECT_TRUE(QFileInfo(path("New Folder")).isDir());
    EXPECT_EQ(texts(*tree), QStringList({"New Folder", "News"}));
    processEventsFor(Quiet);
    EXPECT_EQ(spy->count(), 1) << "one refresh after the dialog, none from the watcher";
}

TEST_F(FavoriteTree, ExportThenImportReproducesFoldersAndAddresses)
{
    url("Links/Home.url", "http://home/");
    url("News/Daily/Paper.url", "http://paper/?a=1&b=2");
    url("Top.url", "http://top/");
    const QString file = dir.path() + "/exported.htm";
    SetFavoritesTransfer([&](bool import, const QString &) {
        QString error;
        const bool ok = import ? favoritestransfer::importFile(file, favorites, &error)
                               : favoritestransfer::exportFile(favorites, file, &error);
        if (!ok)
            throw PlatformError(error);
    });
    auto tree = makeTree();
    ASSERT_TRUE(tree->ImportExportAvailable());
    tree->ExportFavorites();
    ASSERT_TRUE(QFileInfo::exists(file));

    ASSERT_TRUE(QDir(favorites).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(favorites));
    tree->RefreshIfIdle();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    tree->ImportFavorites();
    EXPECT_EQ(texts(*tree), QStringList({"Links", "News", "Top"}));
    TFavoriteNode *paper = tree->ListPath(path("News/Daily/Paper.url"));
    ASSERT_NE(paper, nullptr);
    EXPECT_EQ(paper->Url, "http://paper/?a=1&b=2");
    EXPECT_EQ(tree->ListPath(path("Links/Home.url"))->Url, "http://home/");

    // a failed import is reported, not dropped
    ASSERT_TRUE(QFile::remove(file));
    tree->ImportFavorites();
    EXPECT_EQ(seams.messages.size(), 1);
}

TEST_F(FavoriteTree, AClickOpensShortcutsAndFilesButNotFolders)
{
    url("page.url", "http://page/");
    writeBytes(path("doc.txt"), "x");
    QDir().mkpath(path("Folder/x"));
    auto tree = makeTree();
    tree->show();
    QStringList opened;
    QObject::connect(tree.get(), &TExplorerTreeView::OnNavigateUrl,
                     [&](TExplorerTreeView *, const QString &u) { opened << u; });
    treetest::click(*tree, node(*tree, "Folder"));
    treetest::click(*tree, node(*tree, "page"));
    treetest::click(*tree, node(*tree, "doc.txt"));
    EXPECT_EQ(opened, QStringList({"http://page/", path("doc.txt")}));
}
