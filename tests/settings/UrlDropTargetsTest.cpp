// The URL drop target: registration, what a drop hands its owner, link effect, and the timed
// scroll and toggle over a tree, against synthetic drag data and an injected clock.
#include "settings/UrlDropTargets.h"

#include "common/TestSupport.h"
#include "platform/PlatformError.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Dropped {
    QPoint pt;
    QString title;
    QString url;
    friend bool operator==(const Dropped &, const Dropped &) = default;
};

std::ostream &operator<<(std::ostream &os, const Dropped &d)
{
    return os << "(" << d.pt.x() << "," << d.pt.y() << " " << d.title.toStdString() << " " << d.url.toStdString()
              << ")";
}

QByteArray utf16le(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

std::unique_ptr<QMimeData> mozLink(const QString &url, const QString &title)
{
    auto data = std::make_unique<QMimeData>();
    data->setData("text/x-moz-url", utf16le(url + u'\n' + title));
    return data;
}

// A tree of 60 top-level nodes, each with two children, in a 200 x 200 window.
class TreeDropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.setObjectName(QStringLiteral("trvBookmarks"));
        tree.setHeaderHidden(true);
        for (int i = 0; i < 60; ++i) {
            auto *node = new QTreeWidgetItem(&tree, {QStringLiteral("Folder %1").arg(i)});
            new QTreeWidgetItem(node, {QStringLiteral("Child %1a").arg(i)});
            new QTreeWidgetItem(node, {QStringLiteral("Child %1b").arg(i)});
        }
        tree.resize(200, 200);
        tree.show();
        target.SetClock([this] { return now; });
        target.OnUrlDrop = [this](const QPoint &pt, const QString &title, const QString &url) {
            drops.push_back({pt, title, url});
        };
        target.RegisterDropTarget(&tree);
    }
    QPoint middleOf(int row) const { return tree.visualItemRect(tree.topLevelItem(row)).center() + QPoint(0, 0); }

    QTreeWidget tree;
    TCustomUrlDropTarget target;
    std::int64_t now = 1000;
    std::vector<Dropped> drops;
};

} // namespace

TEST(UrlDropTarget, RegistrationAndItsErrors)
{
    QWidget box;
    box.setObjectName(QStringLiteral("IEAddress"));
    TCustomUrlDropTarget first;
    TCustomUrlDropTarget second;
    EXPECT_FALSE(first.Registered());
    first.RevokeDropTarget(); // never registered: nothing happens
    EXPECT_FALSE(first.Registered());

    first.RegisterDropTarget(&box);
    EXPECT_TRUE(first.Registered());
    EXPECT_TRUE(box.acceptDrops());
    try {
        second.RegisterDropTarget(&box);
        ADD_FAILURE() << "registered twice";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), "IEAddress has already been registered as a drop target!");
    }
    try {
        first.RegisterDropTarget(&box);
        ADD_FAILURE() << "registered twice";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), "IEAddress has already been registered as a drop target!");
    }
    try {
        second.RegisterDropTarget(nullptr);
        ADD_FAILURE() << "registered nothing";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), "Invalid handle in !");
    }
    EXPECT_EQ(QString::fromLatin1(TCustomUrlDropTarget::NotRegisteredText).arg("IEAddress"),
              "IEAddress has not been registered!");
    EXPECT_STREQ(TCustomUrlDropTarget::OutOfMemoryText, "Indicates out of memory");

    first.RevokeDropTarget();
    EXPECT_FALSE(first.Registered());
    EXPECT_FALSE(box.acceptDrops());
    second.RegisterDropTarget(&box); // free again
    EXPECT_TRUE(second.Registered());
    second.RevokeDropTarget();
}

TEST(UrlDropTarget, AControlThatGoesEndsTheRegistration)
{
    TCustomUrlDropTarget target;
    {
        QWidget control;
        target.RegisterDropTarget(&control);
    }
    EXPECT_FALSE(target.Registered());
    target.RevokeDropTarget();
    auto target2 = std::make_unique<TCustomUrlDropTarget>();
    QWidget control;
    target2->RegisterDropTarget(&control);
    target2.reset(); // a target that goes lets go of its control
    TCustomUrlDropTarget target3;
    target3.RegisterDropTarget(&control);
    EXPECT_TRUE(target3.Registered());
}

TEST(UrlDropTarget, DraggedLinkGivesOneEventWithItsTitle)
{
    QWidget control;
    control.resize(300, 40);
    TCustomUrlDropTarget target;
    std::vector<Dropped> drops;
    target.OnUrlDrop = [&](const QPoint &pt, const QString &t, const QString &u) { drops.push_back({pt, t, u}); };
    target.RegisterDropTarget(&control);

    auto link = mozLink("https://example.org/page", "Example page");
    ASSERT_TRUE(target.DragEnter(link.get(), QPoint(5, 5)));
    EXPECT_EQ(target.DragOver(QPoint(100, 20)) & TCustomUrlDropTarget::DropEffectLink,
              TCustomUrlDropTarget::DropEffectLink);
    target.Drop(QPoint(100, 20));
    EXPECT_EQ(drops, std::vector<Dropped>({{QPoint(100, 20), "Example page", "https://example.org/page"}}));
    EXPECT_FALSE(target.Dragging());

    // without a title the link is its own title
    drops.clear();
    QMimeData netscape;
    netscape.setData("_NETSCAPE_URL", "http://example.org/n");
    ASSERT_TRUE(target.DragEnter(&netscape, QPoint()));
    target.Drop(QPoint(1, 2));
    EXPECT_EQ(drops, std::vector<Dropped>({{QPoint(1, 2), "http://example.org/n", "http://example.org/n"}}));

    // a drag that leaves drops nothing
    drops.clear();
    ASSERT_TRUE(target.DragEnter(link.get(), QPoint()));
    target.DragLeave();
    target.Drop(QPoint());
    EXPECT_TRUE(drops.empty());
}

TEST(UrlDropTarget, DataWithoutLinksIsRefusedForTheWholeDrag)
{
    QWidget control;
    TCustomUrlDropTarget target;
    int events = 0;
    target.OnUrlDrop = [&](const QPoint &, const QString &, const QString &) { ++events; };
    target.RegisterDropTarget(&control);
    QMimeData text;
    text.setText(QStringLiteral("https://example.org/"));
    EXPECT_FALSE(target.DragEnter(&text, QPoint()));
    EXPECT_EQ(target.DragOver(QPoint(10, 10)), TCustomUrlDropTarget::DropEffectNone);
    target.Drop(QPoint(10, 10));
    EXPECT_EQ(events, 0);
}

TEST(UrlDropTarget, DroppedFilesGiveOneEventEachInListOrder)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    testsupport::writeBytes(d + "/News.url", "[InternetShortcut]\r\nURL=https://news.example/\r\n");
    testsupport::writeBytes(d + "/Empty.url", "[InternetShortcut]\r\n");
    testsupport::writeBytes(d + "/notes.txt", "text");
    testsupport::writeBytes(d + "/Site.desktop", "[Desktop Entry]\nType=Link\nURL=https://site.example/\n");
    ASSERT_TRUE(QFile::link(d + "/notes.txt", d + "/notes link.txt"));

    QWidget control;
    TCustomUrlDropTarget target;
    std::vector<Dropped> drops;
    target.OnUrlDrop = [&](const QPoint &pt, const QString &t, const QString &u) { drops.push_back({pt, t, u}); };
    target.RegisterDropTarget(&control);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(d + "/News.url"), QUrl::fromLocalFile(d + "/notes.txt"),
                   QUrl::fromLocalFile(d + "/Empty.url"), QUrl::fromLocalFile(d + "/Site.desktop"),
                   QUrl::fromLocalFile(d + "/notes link.txt")});
    ASSERT_TRUE(target.DragEnter(&files, QPoint()));
    target.Drop(QPoint(3, 4));
    const QPoint p(3, 4);
    EXPECT_EQ(drops, std::vector<Dropped>({{p, "News", "https://news.example/"},
                                           {p, "notes.txt", d + "/notes.txt"},
                                           {p, "Empty.url", d + "/Empty.url"},
                                           {p, "Site", "https://site.example/"},
                                           {p, "notes link", d + "/notes.txt"}}));
}

TEST(UrlDropTarget, DragEventsOfferALinkNeverAMove)
{
    QWidget control;
    control.resize(100, 100);
    TCustomUrlDropTarget target;
    std::vector<Dropped> drops;
    target.OnUrlDrop = [&](const QPoint &pt, const QString &t, const QString &u) { drops.push_back({pt, t, u}); };
    target.RegisterDropTarget(&control);
    auto link = mozLink("https://example.org/", "Example");

    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, link.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&control, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    EXPECT_FALSE(target.Dragging());

    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, link.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&control, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::LinkAction);

    QDropEvent drop(QPointF(40, 50), Qt::CopyAction | Qt::MoveAction, link.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&control, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction); // the source allows no link: a copy, never a move
    EXPECT_EQ(drops, std::vector<Dropped>({{QPoint(40, 50), "Example", "https://example.org/"}}));
}

TEST_F(TreeDropTest, TheNodeUnderThePointerIsHighlightedAndTakesTheDropPoint)
{
    auto link = mozLink("https://example.org/", "Example");
    const QPoint pt = middleOf(2);
    // drag events reach the tree's viewport, in its coordinates
    QDragEnterEvent enter(pt, Qt::LinkAction, link.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(pt, Qt::LinkAction, link.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &move);
    EXPECT_EQ(target.DropHighlight(), tree.indexFromItem(tree.topLevelItem(2)));
    QDropEvent drop(pt, Qt::LinkAction, link.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &drop);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].pt, pt);
    EXPECT_EQ(tree.indexAt(drops[0].pt), tree.indexFromItem(tree.topLevelItem(2)));
    EXPECT_FALSE(target.DropHighlight().isValid());
}

TEST_F(TreeDropTest, ScrollsOneLineAtMostEveryScrollDelayInsideTheMargin)
{
    tree.verticalScrollBar()->setValue(20);
    auto link = mozLink("https://example.org/", "Example");
    ASSERT_TRUE(target.DragEnter(link.get(), QPoint(100, 100)));
    const QPoint nearTop(100, 5);
    EXPECT_EQ(target.DragOver(nearTop), TCustomUrlDropTarget::DropEffectScroll | TCustomUrlDropTarget::DropEffectLink);
    EXPECT_EQ(target.ScrollEffect(QPoint(100, 100)), TCustomUrlDropTarget::DropEffectLink);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 20);
    now += 120; // not yet more than the delay
    target.DragOver(nearTop);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 20);
    now += 1;
    target.DragOver(nearTop);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 19);
    now += 60;
    target.DragOver(nearTop);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 19);
    now += 61;
    target.DragOver(nearTop);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 18);

    // near the bottom it scrolls down; outside the band the wait starts over
    const int height = tree.viewport()->height();
    now += 121;
    target.DragOver(QPoint(100, height - 3));
    EXPECT_EQ(tree.verticalScrollBar()->value(), 19);
    target.DragOver(QPoint(100, 100));
    now += 100;
    target.DragOver(QPoint(100, height - 3));
    EXPECT_EQ(tree.verticalScrollBar()->value(), 19);
}

TEST_F(TreeDropTest, ANodeTheDragRestsOnTogglesEveryExpandDelay)
{
    auto link = mozLink("https://example.org/", "Example");
    QTreeWidgetItem *node = tree.topLevelItem(2);
    const QPoint pt = middleOf(2);
    ASSERT_TRUE(target.DragEnter(link.get(), pt));
    target.DragOver(pt);
    now += 2000;
    target.DragOver(pt);
    EXPECT_FALSE(node->isExpanded());
    now += 1;
    target.DragOver(pt);
    EXPECT_TRUE(node->isExpanded());
    now += 1000;
    target.DragOver(pt);
    EXPECT_TRUE(node->isExpanded());

    // the pointer rests: no drag event comes, the timer looks again
    now += 1001;
    QTest::qWait(150);
    EXPECT_FALSE(node->isExpanded());
    now += 2001;
    QTest::qWait(150);
    EXPECT_TRUE(node->isExpanded());
    target.DragLeave();
    now += 5000;
    QTest::qWait(150);
    EXPECT_TRUE(node->isExpanded());
}

TEST_F(TreeDropTest, MovingToAnotherNodeStartsItsWaitAfresh)
{
    auto link = mozLink("https://example.org/", "Example");
    ASSERT_TRUE(target.DragEnter(link.get(), middleOf(1)));
    target.DragOver(middleOf(1));
    now += 1900;
    target.DragOver(middleOf(1));
    target.DragOver(middleOf(3));
    now += 200;
    target.DragOver(middleOf(3));
    EXPECT_FALSE(tree.topLevelItem(1)->isExpanded());
    EXPECT_FALSE(tree.topLevelItem(3)->isExpanded());
    now += 1801;
    target.DragOver(middleOf(3));
    EXPECT_TRUE(tree.topLevelItem(3)->isExpanded());
}
