// The bookmark tree over its file: loading, the modified flag and auto-save, adding with placement and
// time stamps, re-sorting, renaming, moving by drag, URL drops, save-as names and the twin class.
#include "explorerbar/BookmarkTreeViews.h"

#include "TreeTestSupport.h"
#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "explorerbar/O2BookmarkTreeViews.h"
#include "platform/CodePage.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "settings/CommonUtils.h"
#include "settings/UrlDropTargets.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace treetest;

namespace {

qint64 nowUnix()
{
    return DateTimeToUnix(QDateTime::currentDateTime());
}

class BookmarkTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = writeList(dir, {item(0, "Folder"), item(1, "Inside", "http://inside/"), item(0, "Empty"),
                               item(0, "Nest"), item(1, "Child"), item(2, "Leaf", "http://leaf/"),
                               item(0, "Mango", "http://mango/", 5), item(0, "apple", "http://apple/", 6)});
        tree.resize(300, 400);
        tree.SetFileName(path);
        ASSERT_EQ(tree.FileName(), path);
    }
    TCustomBookmarkNode *node(const QString &text)
    {
        const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : static_cast<TCustomBookmarkNode *>(found.first());
    }
    QByteArray fileBytes() { return testsupport::readBytes(tree.FileName()); }
    // Each file of the folder loads into the tree with one node per item read, unmodified.
    void expectLoads(const QString &folder, std::initializer_list<const char *> names)
    {
        for (const char *name : names) {
            const QString file = folder + u'/' + QLatin1String(name);
            bookmarkfile::Document doc;
            ASSERT_TRUE(bookmarkfile::load(file, 1252, &doc)) << name;
            ASSERT_TRUE(tree.LoadFromFile(file)) << name;
            EXPECT_EQ(tree.NodeCount(), doc.items.size()) << name;
            EXPECT_FALSE(tree.Modified()) << name;
        }
    }

    QTemporaryDir dir;
    QString path;
    TBookmarkTreeView tree;
};

} // namespace

TEST_F(BookmarkTree, LoadsSortedAndUnmodified)
{
    EXPECT_EQ(tree.Caption(), u"List");
    EXPECT_FALSE(tree.Modified());
    EXPECT_TRUE(tree.CanAdd());
    EXPECT_EQ(texts(tree), QStringList({"Empty", "Folder", "Nest", "apple", "Mango"}));
    EXPECT_EQ(node("Leaf")->Url, u"http://leaf/");
    EXPECT_EQ(node("Mango")->AddDate, 5);
    EXPECT_EQ(node("Folder")->ImageIndex, 0);
    EXPECT_EQ(node("Folder")->SelectedIndex, 1);
    EXPECT_EQ(node("Mango")->ImageIndex, 2);
    // setting the same name again does not reload
    tree.SetModified(true);
    tree.SetFileName(path);
    EXPECT_TRUE(tree.Modified());
}

TEST_F(BookmarkTree, AFailedLoadLeavesNoListAndNothingModified)
{
    tree.SetModified(true);
    QSignalSpy changed(&tree, &TCustomBookmarkTreeView::OnModifyChanged);
    const QString bad = dir.filePath(QStringLiteral("bad.htm"));
    testsupport::writeBytes(bad, "<TITLE>t</TITLE><DL><p><DT><A>no address</A></DL>");
    EXPECT_FALSE(tree.LoadFromFile(bad));
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_TRUE(tree.FileName().isEmpty());
    EXPECT_TRUE(tree.Caption().isEmpty());
    EXPECT_FALSE(tree.Modified());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(tree.LastError().isEmpty());
    // with no list, nothing can be added, dropped or saved, and the caption stays empty
    EXPECT_FALSE(tree.CanAdd());
    EXPECT_EQ(tree.AddBookmark(nullptr, QStringLiteral("x"), QStringLiteral("http://x/")), nullptr);
    tree.UrlDropped(QPoint(), QStringLiteral("x"), QStringLiteral("http://x/"));
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_FALSE(tree.Save());
    tree.SetCaption(QStringLiteral("ignored"));
    EXPECT_TRUE(tree.Caption().isEmpty());
    EXPECT_FALSE(tree.Modified());
    // the previous file is untouched
    EXPECT_FALSE(testsupport::readBytes(path).isEmpty());

    tree.SetFileName(dir.filePath(QStringLiteral("missing.htm")));
    EXPECT_TRUE(tree.FileName().isEmpty());
}

TEST_F(BookmarkTree, AddingPlacesSortsAndStamps)
{
    const qint64 before = nowUnix();
    // nothing selected: top level, then sorted among the top-level folders
    auto *folder = tree.AddBookmark(nullptr, QStringLiteral("Bravo"), QString());
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Kind, TCustomBookmarkNode::Folder);
    EXPECT_EQ(texts(tree), QStringList({"Bravo", "Empty", "Folder", "Nest", "apple", "Mango"}));
    EXPECT_EQ(tree.GetSelected(), folder);
    // a bookmark selected: beside it
    auto *beside = tree.AddBookmark(node("Leaf"), QStringLiteral("Kiwi"), QStringLiteral("http://kiwi/"));
    EXPECT_EQ(beside->parent(), node("Child"));
    EXPECT_EQ(texts(tree, node("Child")), QStringList({"Kiwi", "Leaf"}));
    // a folder selected: inside it, folders first
    auto *inside = tree.AddBookmark(node("Folder"), QStringLiteral("Sub"), QString());
    EXPECT_EQ(inside->parent(), node("Folder"));
    auto *top = tree.AddBookmark(nullptr, QStringLiteral("banana"), QStringLiteral("http://banana/"));
    EXPECT_EQ(texts(tree, node("Folder")), QStringList({"Sub", "Inside"}));
    EXPECT_EQ(texts(tree), QStringList({"Bravo", "Empty", "Folder", "Nest", "apple", "banana", "Mango"}));
    const qint64 after = nowUnix();

    for (auto *n : {beside, top}) {
        EXPECT_GE(n->AddDate, before);
        EXPECT_LE(n->AddDate, after);
        EXPECT_EQ(n->LastVisit, n->AddDate);
        EXPECT_EQ(n->LastModified, n->AddDate);
        EXPECT_EQ(n->ImageIndex, 2);
    }
    EXPECT_GE(folder->AddDate, before);
    EXPECT_EQ(folder->LastModified, folder->AddDate);
    EXPECT_EQ(folder->LastVisit, 0);
    EXPECT_TRUE(folder->Url.isEmpty());
    EXPECT_TRUE(tree.Modified());

    // what was added is what gets saved
    ASSERT_TRUE(tree.Save());
    EXPECT_FALSE(tree.Modified());
    bookmarkfile::Document doc;
    ASSERT_TRUE(bookmarkfile::load(path, 1252, &doc));
    EXPECT_EQ(doc.items.size(), tree.NodeCount());
    EXPECT_EQ(doc.items.first().title, u"Bravo");
}

TEST_F(BookmarkTree, ModifiedFlagEventAndAutoSave)
{
    QSignalSpy changed(&tree, &TCustomBookmarkTreeView::OnModifyChanged);
    tree.SetCaption(QStringLiteral("Renamed list"));
    EXPECT_TRUE(tree.Modified());
    EXPECT_EQ(changed.count(), 1);
    // turning auto-save on saves a modified list at once
    tree.SetAutoSave(true);
    EXPECT_FALSE(tree.Modified());
    EXPECT_TRUE(fileBytes().contains("<TITLE>Renamed list</TITLE>"));

    // with auto-save, deleting a node writes the file at once, without the node
    tree.DeleteNode(node("Nest"));
    EXPECT_EQ(node("Leaf"), nullptr);
    EXPECT_FALSE(tree.Modified());
    EXPECT_FALSE(fileBytes().contains("Nest"));
    EXPECT_FALSE(fileBytes().contains("Leaf"));
    EXPECT_TRUE(fileBytes().contains("Mango"));

    // the properties dialog's change is saved too
    tree.UpdateBookmark(node("Mango"), QStringLiteral("Papaya"), QStringLiteral("http://papaya/"));
    EXPECT_TRUE(fileBytes().contains("<A HREF=\"http://papaya/\" ADD_DATE=\"5\""));
    EXPECT_TRUE(fileBytes().contains(">Papaya</A>"));
}

TEST_F(BookmarkTree, UpdateBookmarkMarksTheListModified)
{
    tree.UpdateBookmark(node("Folder"), QStringLiteral("Renamed"), QStringLiteral("http://ignored/"));
    EXPECT_TRUE(tree.Modified());
    EXPECT_TRUE(node("Renamed")->Url.isEmpty());
}

TEST_F(BookmarkTree, DeletingWithoutAutoSaveOnlyMarks)
{
    const QByteArray before = fileBytes();
    tree.DeleteNode(node("Folder"));
    EXPECT_TRUE(tree.Modified());
    EXPECT_EQ(node("Inside"), nullptr);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(BookmarkTree, InsertionSortsEvenWithSortOff)
{
    const QString p = writeList(dir, {item(0, "b", "u"), item(0, "a", "u")}, QStringLiteral("unsorted.htm"));
    tree.SetSort(false);
    tree.SetFileName(p);
    EXPECT_EQ(texts(tree), QStringList({"b", "a"}));
    tree.AddBookmark(nullptr, QStringLiteral("c"), QStringLiteral("u"));
    EXPECT_EQ(texts(tree), QStringList({"a", "b", "c"}));
    tree.SetSort(true);
    EXPECT_EQ(texts(tree), QStringList({"a", "b", "c"}));
}

TEST_F(BookmarkTree, SortTurnedOnSortsTheWholeTree)
{
    const QString p = writeList(dir, {item(0, "z", "u"), item(0, "F"), item(1, "y", "u"), item(1, "x", "u")},
                                QStringLiteral("unsorted.htm"));
    tree.SetSort(false);
    tree.SetFileName(p);
    EXPECT_EQ(texts(tree), QStringList({"z", "F"}));
    tree.SetSort(true);
    EXPECT_EQ(texts(tree), QStringList({"F", "z"}));
    EXPECT_EQ(texts(tree, node("F")), QStringList({"x", "y"}));
}

TEST_F(BookmarkTree, RenamingCommitsOrCancelsAndAlwaysStamps)
{
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    auto *mango = static_cast<TBookmarkNode *>(node("Mango"));
    ASSERT_TRUE(mango->BeginRename());
    auto *editor = tree.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Aardvark"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(mango->text(0), u"Aardvark");
    EXPECT_EQ(texts(tree), QStringList({"Empty", "Folder", "Nest", "Aardvark", "apple"}));
    EXPECT_GE(mango->LastModified, nowUnix() - 5);
    EXPECT_TRUE(tree.Modified());
    EXPECT_FALSE(mango->flags() & Qt::ItemIsEditable);

    ASSERT_TRUE(tree.Save());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the first editor goes
    auto *apple = static_cast<TBookmarkNode *>(node("apple"));
    ASSERT_TRUE(apple->BeginRename());
    editor = tree.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("changed"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(apple->text(0), u"apple");
    EXPECT_GE(apple->LastModified, nowUnix() - 5);
    EXPECT_TRUE(tree.Modified());

    // the tree's own ReadOnly forbids renaming
    tree.SetReadOnly(true);
    EXPECT_FALSE(apple->BeginRename());
}

TEST_F(BookmarkTree, DraggingMovesOntoFoldersAndBeforeBookmarks)
{
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    // a bookmark dropped on a collapsed folder goes in as its first child and the folder opens
    tree.setCurrentItem(node("Mango"));
    ASSERT_TRUE(tree.DragDropSelf(centerOf(tree, node("Empty"))));
    EXPECT_EQ(node("Mango")->parent(), node("Empty"));
    EXPECT_TRUE(node("Empty")->isExpanded());
    EXPECT_EQ(tree.GetSelected(), node("Mango"));
    EXPECT_TRUE(tree.Modified());

    // a folder dropped on a bookmark goes beside it, then into order
    tree.setCurrentItem(node("Nest"));
    node("Folder")->setExpanded(true);
    ASSERT_TRUE(tree.DragDropSelf(centerOf(tree, node("Inside"))));
    EXPECT_EQ(node("Nest")->parent(), node("Folder"));
    EXPECT_EQ(texts(tree, node("Folder")), QStringList({"Nest", "Inside"}));
    EXPECT_EQ(node("Leaf")->parent(), node("Child")); // the subtree moves with it
}

TEST_F(BookmarkTree, DraggingAFolderIntoItsOwnSubtreeOnlyCollapsesIt)
{
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    auto *nest = node("Nest");
    nest->setExpanded(true);
    node("Child")->setExpanded(true);
    tree.setCurrentItem(nest);
    const QPoint onChild = centerOf(tree, node("Child"));
    tree.SetModified(false);
    tree.MoveNode(node("Child"), nest);
    EXPECT_FALSE(nest->isExpanded());
    EXPECT_FALSE(node("Child")->isExpanded());
    EXPECT_EQ(nest->parent(), nullptr);
    EXPECT_EQ(node("Child")->parent(), nest);
    EXPECT_FALSE(tree.Modified());
    // onto empty space nothing happens; a drag from elsewhere is not the tree's own
    EXPECT_FALSE(tree.DragDropSelf(QPoint(5, tree.viewport()->height() - 2)));
    EXPECT_TRUE(tree.AcceptsDrag(&tree));
    EXPECT_FALSE(tree.AcceptsDrag(nullptr));
    tree.SetAutoDragSelf(false);
    EXPECT_FALSE(tree.AcceptsDrag(&tree));
    EXPECT_FALSE(tree.DragDropSelf(onChild));
}

TEST_F(BookmarkTree, DroppedUrlsGoWhereTheHighlightIs)
{
    auto *empty = node("Empty");
    ASSERT_FALSE(empty->isExpanded());
    tree.SetDropTarget(empty);
    tree.UrlDropped(QPoint(1, 1), QStringLiteral("Dropped"), QStringLiteral("http://dropped/"));
    EXPECT_EQ(node("Dropped")->parent(), empty);
    EXPECT_EQ(node("Dropped")->Url, u"http://dropped/");
    EXPECT_EQ(tree.DropTarget(), empty); // the drop target clears it, not the tree

    tree.SetDropTarget(node("Leaf"));
    tree.UrlDropped(QPoint(), QStringLiteral("Near leaf"), QStringLiteral("http://near/"));
    EXPECT_EQ(node("Near leaf")->parent(), node("Child"));

    tree.SetDropTarget(nullptr);
    tree.UrlDropped(QPoint(), QStringLiteral("Loose"), QStringLiteral("http://loose/"));
    EXPECT_EQ(node("Loose")->parent(), nullptr);

    // the highlight never outlives its node
    tree.SetDropTarget(node("Leaf"));
    tree.DeleteNode(node("Nest"));
    EXPECT_EQ(tree.DropTarget(), nullptr);
}

TEST_F(BookmarkTree, LinksDraggedFromOtherProgramsLandOnTheNodeUnderThePointer)
{
    auto *target = tree.findChild<TCustomUrlDropTarget *>();
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->Registered());
    tree.show();
    auto *folder = node("Empty");
    const QPoint pt = centerOf(tree, folder);
    QMimeData data;
    // a browser's dragged link: URL and title in UTF-16, one per line
    const QString link = QStringLiteral("http://d/\nDragged");
    data.setData("text/x-moz-url", QByteArray(reinterpret_cast<const char *>(link.utf16()), link.size() * 2));
    ASSERT_TRUE(target->DragEnter(&data, pt));
    EXPECT_NE(target->DragOver(pt), TCustomUrlDropTarget::DropEffectNone);
    target->Drop(pt);
    ASSERT_NE(node("Dragged"), nullptr);
    EXPECT_EQ(node("Dragged")->parent(), folder);
    EXPECT_EQ(node("Dragged")->Url, u"http://d/");
    EXPECT_TRUE(tree.Modified());
    // turning drops off lets go of the registration
    tree.SetAutoOleDrop(false);
    EXPECT_FALSE(target->Registered());
}

TEST_F(BookmarkTree, ALinkFromAPageIsTitledWithItsTextAndLeavesNoHighlight)
{
    auto *target = tree.findChild<TCustomUrlDropTarget *>();
    ASSERT_NE(target, nullptr);
    tree.show();
    auto *folder = node("Empty");
    const QPoint pt = centerOf(tree, folder);
    // what a web view's link carries: its address and its markup
    QMimeData data;
    data.setUrls({QUrl("http://page/")});
    data.setHtml(QStringLiteral("<a href=\"http://page/\">The page's link</a>"));
    ASSERT_TRUE(target->DragEnter(&data, pt));
    target->DragOver(pt);
    target->Drop(pt);
    auto *added = node(QStringLiteral("The page's link"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Url, u"http://page/");
    EXPECT_EQ(added->parent(), folder);
    // the drop is over: no node keeps the highlight
    EXPECT_EQ(tree.DropTarget(), nullptr);
    EXPECT_FALSE(folder->data(0, Qt::BackgroundRole).isValid());
}

TEST_F(BookmarkTree, TheContextMenuOpensOnTheRightButtonsRelease)
{
    tree.setContextMenuPolicy(Qt::CustomContextMenu);
    tree.show();
    QSignalSpy menu(&tree, &QWidget::customContextMenuRequested);
    const QPoint pos = centerOf(tree, node("Mango"));
    const QPoint global = tree.viewport()->mapToGlobal(pos);
    // the press opens nothing, so a right-button drag can still start; the platform asks for the menu
    // right after the press, as X11 does
    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, pos);
    QContextMenuEvent onPress(QContextMenuEvent::Mouse, pos, global);
    QCoreApplication::sendEvent(tree.viewport(), &onPress);
    EXPECT_EQ(menu.count(), 0);
    QTest::mouseRelease(tree.viewport(), Qt::RightButton, {}, pos);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.first().first().toPoint(), pos);
    // the menu key still opens it at once
    QContextMenuEvent key(QContextMenuEvent::Keyboard, pos, global);
    QCoreApplication::sendEvent(tree.viewport(), &key);
    EXPECT_EQ(menu.count(), 2);
}

TEST_F(BookmarkTree, LoadingSetsEveryNodeBeforeTheViewHoldsIt)
{
    // no node is changed one by one once shown: each change would look the node up among its siblings
    QSignalSpy changed(tree.model(), &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(tree.LoadFromFile(path));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(node("Mango")->icon(0).isNull());
    EXPECT_FALSE(node("Folder")->icon(0).isNull());
    EXPECT_EQ(texts(tree), QStringList({"Empty", "Folder", "Nest", "apple", "Mango"}));
}

TEST_F(BookmarkTree, WhatTheTreeDoesNotShowIsSavedBack)
{
    const QString other = dir.filePath(QStringLiteral("other.htm"));
    testsupport::writeBytes(other, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>T</TITLE>\n<DL><p>\n"
                                   "<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bar</H3>\n<DD>Folder notes\n<DL><p>\n"
                                   "<DT><A HREF=\"http://s/\" ICON=\"data:x\" SHORTCUTURL=\"kw\" TAGS=\"t\">S</A>\n"
                                   "<DD>Search notes\n<HR>\n</DL><p>\n<HR>\n</DL><p>\n");
    ASSERT_TRUE(tree.LoadFromFile(other));
    tree.AddBookmark(nullptr, QStringLiteral("Added"), QStringLiteral("http://added/"));
    ASSERT_TRUE(tree.SaveToFile(other));
    const QByteArray saved = testsupport::readBytes(other);
    EXPECT_TRUE(saved.contains("ADD_DATE=\"0\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bar</H3>\r\n    <DD>Folder notes\r\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains("ICON=\"data:x\" SHORTCUTURL=\"kw\" TAGS=\"t\">S</A>\r\n        <DD>Search notes\r\n"
                               "        <HR>\r\n    </DL><p>\r\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.endsWith("    <HR>\r\n</DL><p>\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains(">Added</A>"));
}

TEST_F(BookmarkTree, SaveAsNamesAndFailures)
{
    tree.SetModified(true);
    const QString html = dir.filePath(QStringLiteral("Copy.HTML"));
    ASSERT_TRUE(tree.SaveToFile(html));
    EXPECT_EQ(tree.FileName(), html);
    EXPECT_FALSE(tree.Modified());
    ASSERT_TRUE(tree.SaveToFile(dir.filePath(QStringLiteral("copy.txt"))));
    EXPECT_EQ(tree.FileName(), dir.filePath(QStringLiteral("copy.txt.htm")));
    ASSERT_TRUE(tree.SaveToFile(dir.filePath(QStringLiteral("plain"))));
    EXPECT_EQ(tree.FileName(), dir.filePath(QStringLiteral("plain.htm")));
    // the current name is never extended
    const QString current = dir.filePath(QStringLiteral("noext"));
    testsupport::writeBytes(current, fileBytes());
    tree.SetFileName(current);
    ASSERT_TRUE(tree.SaveToFile(current));
    EXPECT_EQ(tree.FileName(), current);

    // a failed save keeps the list modified and its name
    tree.SetModified(true);
    EXPECT_FALSE(tree.SaveToFile(dir.filePath(QStringLiteral("no/such/folder.htm"))));
    EXPECT_TRUE(tree.Modified());
    EXPECT_EQ(tree.FileName(), current);
    EXPECT_FALSE(tree.LastError().isEmpty());
}

TEST_F(BookmarkTree, ASaveOverAFileAnotherProgramChangedAsksFirst)
{
    QStringList questions;
    int answer = messageboxes::IdCancel;
    const dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned flags) {
            EXPECT_EQ(flags & 0x0F, unsigned(messageboxes::YesNoCancel));
            questions << text;
            return answer;
        }));
    // a second program loaded the same file earlier
    TBookmarkTreeView other;
    other.SetFileName(path);
    ASSERT_EQ(other.FileName(), path);

    tree.AddBookmark(nullptr, "first", "http://first/");
    ASSERT_TRUE(tree.Save());
    tree.AddBookmark(nullptr, "again", "http://again/");
    ASSERT_TRUE(tree.Save()) << "its own earlier save is no change by another";
    other.AddBookmark(nullptr, "second", "http://second/");
    EXPECT_TRUE(questions.isEmpty());

    // Cancel: nothing written, the list kept and still modified
    EXPECT_FALSE(other.Save());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions.first().contains(path)) << questions.first().toStdString();
    EXPECT_TRUE(fileBytes().contains("http://first/"));
    EXPECT_FALSE(fileBytes().contains("http://second/"));
    EXPECT_TRUE(other.Modified());
    EXPECT_FALSE(other.LastError().isEmpty());

    // Yes: the file as it is now replaces the list
    answer = messageboxes::IdYes;
    EXPECT_TRUE(other.Save());
    EXPECT_EQ(questions.size(), 2);
    EXPECT_TRUE(texts(other).contains("first"));
    EXPECT_FALSE(texts(other).contains("second"));
    EXPECT_FALSE(other.Modified());

    // No: the list replaces the file
    tree.AddBookmark(nullptr, "third", "http://third/");
    ASSERT_TRUE(tree.Save());
    other.AddBookmark(nullptr, "fourth", "http://fourth/");
    answer = messageboxes::IdNo;
    EXPECT_TRUE(other.Save());
    EXPECT_EQ(questions.size(), 3);
    EXPECT_TRUE(fileBytes().contains("http://fourth/"));
    EXPECT_FALSE(fileBytes().contains("http://third/"));

    // a file touched without a change of its bytes is no change
    testsupport::writeBytes(path, fileBytes());
    other.AddBookmark(nullptr, "fifth", "http://fifth/");
    EXPECT_TRUE(other.Save());
    EXPECT_EQ(questions.size(), 3);
}

TEST_F(BookmarkTree, FilesOfTheOldProgramReadInTheInterfaceCodePage)
{
    const QByteArray old =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r<!-- x -->\r\n<TITLE>" +
        codepage::encode(QStringLiteral("お気に入り"), 932) +
        "</TITLE>\r\n<DL><p>\r\n    <DT><A HREF=\"http://a/?x=1&y=2\" ADD_DATE=\"1\" LAST_VISIT=\"2\" "
        "LAST_MODIFIED=\"3\">" +
        codepage::encode(QStringLiteral("日本 & 中国"), 932) + "</A>\r\n</DL><p>\r\n";
    const QString p = dir.filePath(QStringLiteral("old.htm"));
    testsupport::writeBytes(p, old);
    tree.SetLegacyCodePage(932);
    ASSERT_TRUE(tree.LoadFromFile(p));
    EXPECT_EQ(tree.Caption(), u"お気に入り");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), u"日本 & 中国");
    EXPECT_EQ(static_cast<TCustomBookmarkNode *>(tree.topLevelItem(0))->Url, u"http://a/?x=1&y=2");
}

TEST_F(BookmarkTree, EveryOwnFileLoadsIntoTheTree)
{
    expectLoads(testsupport::ownFixture(QStringLiteral("bookmarks")),
                {"nested-folders.html", "flat-dialects.htm", "same-date.htm"});
    // identical dates and names keep the file's order
    ASSERT_TRUE(tree.LoadFromFile(testsupport::ownFixture(QStringLiteral("bookmarks/same-date.htm"))));
    QStringList urls;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        urls << static_cast<TCustomBookmarkNode *>(tree.topLevelItem(i))->Url;
    EXPECT_EQ(urls, QStringList({"https://same.example/1", "https://same.example/2", "https://same.example/3"}));
}

TEST_F(BookmarkTree, EverySharedFileLoadsIntoTheTree)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    expectLoads(testsupport::fixture(QStringLiteral("bookmarks")),
                {"chromium-testdata_epiphany.html", "chromium-testdata_firefox2.html",
                 "firefox_bookmarks.exported.html", "kafene_chromium_flat.htm", "kafene_delicious.htm",
                 "kafene_firefox_flat.htm", "kafene_internet_explorer_11_flat.htm", "kafene_netscape_basic.htm",
                 "qutebrowser_firefox_keywords.html", "shaarli_same_date.htm"});
    // identical dates and names keep the file's order
    ASSERT_TRUE(tree.LoadFromFile(testsupport::fixture(QStringLiteral("bookmarks/shaarli_same_date.htm"))));
    EXPECT_EQ(texts(tree), QStringList({"Today's first link", "Today's second link", "Today's third link"}));
}

TEST(O2BookmarkTree, BehavesAsTheBookmarkTreeWithoutItsExtras)
{
    QTemporaryDir dir;
    const QString path = writeList(dir, {item(0, "b", "http://b/"), item(0, "F")});
    TO2BookmarkTreeView twin;
    EXPECT_FALSE(twin.CanAdd());
    EXPECT_EQ(twin.AddBookmark(nullptr, QStringLiteral("x"), QStringLiteral("u")), nullptr);
    twin.SetFileName(path);
    EXPECT_EQ(texts(twin), QStringList({"F", "b"}));
    auto *added = twin.AddBookmark(static_cast<TCustomBookmarkNode *>(twin.topLevelItem(0)), QStringLiteral("a"),
                                   QStringLiteral("http://a/"));
    ASSERT_NE(added, nullptr);
    EXPECT_NE(dynamic_cast<TO2BookmarkNode *>(added), nullptr);
    EXPECT_EQ(added->parent(), twin.topLevelItem(0));
    EXPECT_TRUE(twin.Modified());
    twin.SetAutoSave(true);
    EXPECT_FALSE(twin.Modified());
    bookmarkfile::Document doc;
    ASSERT_TRUE(bookmarkfile::load(path, 1252, &doc));
    EXPECT_EQ(doc.items.size(), 3);
    EXPECT_EQ(twin.ImageCount(), 3);
}

TEST_F(BookmarkTree, ABookmarkGoesToTheFavoritesAFolderDoesNot)
{
    const auto runner =
        testsupport::restoringPrevious(dialogrunner::setRunner, [](QDialog &) { return int(QDialog::Accepted); });
    auto *mango = static_cast<TBookmarkNode *>(node("Mango"));
    EXPECT_TRUE(mango->AddToFavorites());
    QString url;
    EXPECT_TRUE(GetInternetShortcutUrl(FavoritesFolder() + QStringLiteral("/Mango.url"), url));
    EXPECT_EQ(url, u"http://mango/");
    EXPECT_FALSE(static_cast<TBookmarkNode *>(node("Folder"))->AddToFavorites());
    EXPECT_FALSE(tree.Modified());
}
