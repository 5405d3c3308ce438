// The conventions every explorer-bar tree shares, exercised on the bookmark tree with real mouse input.
#include "TreeTestSupport.h"
#include "explorerbar/BookmarkTreeViews.h"

#include <QProxyStyle>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace treetest;

namespace {

class StatusCatcher : public QWidget {
public:
    QStringList tips;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::StatusTip) {
            tips << static_cast<QStatusTipEvent *>(e)->tip();
            return true;
        }
        return QWidget::event(e);
    }
};

// Counts the expand buttons a view asks its style to draw.
class ButtonCounter : public QProxyStyle {
public:
    mutable int buttons = 0;
    mutable int rows = 0;
    void drawPrimitive(PrimitiveElement pe, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (pe == PE_IndicatorBranch && (option->state & State_Children))
            ++buttons;
        if (pe == PE_PanelItemViewRow)
            ++rows;
        QProxyStyle::drawPrimitive(pe, option, painter, widget);
    }
};

class ExplorerTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = writeList(dir, {item(0, "Alpha"), item(1, "Inner", "http://inner/"), item(0, "Beta"), item(1, "Gamma"),
                               item(2, "Deep", "http://deep/"), item(0, "One", "http://one/", 1000),
                               item(0, "Two", "http://two/")});
        tree = new TBookmarkTreeView(&host);
        tree->resize(300, 400);
        host.resize(300, 400);
        tree->SetFileName(path);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    TCustomBookmarkNode *top(const QString &text)
    {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : static_cast<TCustomBookmarkNode *>(found.first());
    }

    QTemporaryDir dir;
    QString path;
    StatusCatcher host;
    TBookmarkTreeView *tree = nullptr;
};

} // namespace

TEST_F(ExplorerTree, RightClickSelectsWithoutExpandingAndLeftClickExpandsAFolder)
{
    QSignalSpy navigate(tree, &TExplorerTreeView::OnNavigateUrl);
    auto *alpha = top("Alpha");
    ASSERT_FALSE(alpha->isExpanded());
    click(*tree, alpha, Qt::RightButton);
    EXPECT_EQ(tree->GetSelected(), alpha);
    EXPECT_FALSE(alpha->isExpanded());
    EXPECT_FALSE(tree->RightClickSelecting());
    click(*tree, top("One"), Qt::RightButton);
    EXPECT_EQ(navigate.count(), 0);

    click(*tree, alpha);
    EXPECT_TRUE(alpha->isExpanded());
    EXPECT_EQ(navigate.count(), 0); // a folder never navigates
}

TEST_F(ExplorerTree, ClickOpensTheSelectedBookmark)
{
    QSignalSpy navigate(tree, &TExplorerTreeView::OnNavigateUrl);
    click(*tree, top("One"));
    ASSERT_EQ(navigate.count(), 1);
    EXPECT_EQ(navigate[0][0].value<TExplorerTreeView *>(), tree);
    EXPECT_EQ(navigate[0][1].toString(), u"http://one/");
    // a double click opens once, on its first click
    doubleClick(*tree, top("Two"));
    ASSERT_EQ(navigate.count(), 2);
    EXPECT_EQ(navigate.last()[1].toString(), u"http://two/");
}

TEST_F(ExplorerTree, WithoutAutoExpandOnlyADoubleClickOpens)
{
    tree->SetAutoExpand(false);
    QSignalSpy navigate(tree, &TExplorerTreeView::OnNavigateUrl);
    click(*tree, top("One"));
    EXPECT_EQ(tree->GetSelected(), top("One"));
    EXPECT_EQ(navigate.count(), 0);
    doubleClick(*tree, top("Two"));
    ASSERT_EQ(navigate.count(), 1);
    EXPECT_EQ(navigate[0][1].toString(), u"http://two/");
    click(*tree, top("Alpha"));
    EXPECT_FALSE(top("Alpha")->isExpanded());
    doubleClick(*tree, top("Alpha"));
    EXPECT_TRUE(top("Alpha")->isExpanded());
    EXPECT_EQ(navigate.count(), 1);
}

TEST_F(ExplorerTree, SelectingAFolderClosesThePreviousBranch)
{
    click(*tree, top("Beta"));
    click(*tree, top("Gamma"));
    EXPECT_TRUE(top("Beta")->isExpanded());
    EXPECT_TRUE(top("Gamma")->isExpanded());
    click(*tree, top("Alpha"));
    EXPECT_TRUE(top("Alpha")->isExpanded());
    EXPECT_FALSE(top("Beta")->isExpanded());
    EXPECT_FALSE(top("Gamma")->isExpanded());
    if (const char *shots = getenv("BRIVO_SCREENSHOTS"))
        host.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/bookmark-tree.png"));
    // a click on the selected folder closes it again
    click(*tree, top("Alpha"));
    EXPECT_FALSE(top("Alpha")->isExpanded());
}

TEST_F(ExplorerTree, TheUpdateCounterNestsAndRefusesExpansion)
{
    tree->BeginUpdate();
    tree->BeginUpdate();
    EXPECT_FALSE(tree->RequestExpand(top("Alpha")));
    tree->EndUpdate();
    EXPECT_TRUE(tree->Updating());
    EXPECT_FALSE(tree->CanChange(top("Alpha")));
    tree->EndUpdate();
    EXPECT_FALSE(tree->Updating());
    EXPECT_TRUE(tree->RequestExpand(top("Alpha")));
    EXPECT_TRUE(top("Alpha")->isExpanded());
}

TEST_F(ExplorerTree, ImagesHaveFloorsAndSitAtTheRightEdge)
{
    tree->SetImageHeight(5);
    EXPECT_EQ(tree->ImageHeight(), 16);
    tree->SetImageWidth(30);
    EXPECT_EQ(tree->ImageWidth(), 30);
    ASSERT_EQ(tree->ImageCount(), 3);
    const QImage bookmark = tree->Image(2).toImage();
    EXPECT_EQ(bookmark.size(), QSize(30, 16));
    bool leftClear = true;
    bool rightInk = false;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 14; ++x)
            leftClear = leftClear && qAlpha(bookmark.pixel(x, y)) == 0;
        for (int x = 14; x < 30; ++x)
            rightInk = rightInk || qAlpha(bookmark.pixel(x, y)) == 255;
    }
    EXPECT_TRUE(leftClear);
    EXPECT_TRUE(rightInk);
    EXPECT_EQ(tree->iconSize(), QSize(30, 16));
}

TEST_F(ExplorerTree, TheUrlUnderTheMouseIsTooltipAndStatusTip)
{
    tree->SetHint(QStringLiteral("My bookmarks"));
    hover(*tree, centerOf(*tree, top("One")));
    EXPECT_EQ(tree->toolTip(), u"http://one/");
    EXPECT_EQ(host.tips.value(host.tips.size() - 1), u"http://one/");
    hover(*tree, centerOf(*tree, top("Alpha")));
    EXPECT_EQ(tree->toolTip(), u""); // a folder has no address
    hover(*tree, QPoint(5, tree->viewport()->height() - 3));
    EXPECT_EQ(tree->toolTip(), u"My bookmarks");

    tree->SetShowUrlHint(false);
    tree->SetHint(QStringLiteral("Plain"));
    hover(*tree, centerOf(*tree, top("Two")));
    EXPECT_EQ(tree->toolTip(), u"Plain");

    // a hint (an address from a file, a page's title) is shown as it stands, never as markup
    const QString marked = QStringLiteral("<img src=\"x.png\"><b>Marked</b>");
    tree->SetHint(marked);
    QTextDocument shown;
    shown.setHtml(tree->toolTip());
    EXPECT_EQ(shown.toPlainText(), marked);
}

TEST_F(ExplorerTree, SortingFoldsOnlyAsciiLettersAndIsStable)
{
    const QString p = writeList(dir,
                                {item(0, "b", "u"), item(0, "a", "u"), item(0, "_x", "u"), item(0, "A", "u"),
                                 item(0, "\u00e9", "u"), item(0, "Z", "u"), item(0, "f")},
                                QStringLiteral("sort.htm"));
    tree->SetFileName(p);
    EXPECT_EQ(texts(*tree), QStringList({"f", "a", "A", "b", "Z", "_x", "\u00e9"}));
}

TEST_F(ExplorerTree, NoLevelShowsAnExpandButtonAndTheIndentBeforeANestedFolderBelongsToItsRow)
{
    ButtonCounter style;
    tree->setStyle(&style);
    tree->expandAll();
    ASSERT_TRUE(top("Deep")) << "a folder inside a folder";
    (void)tree->grab();
    EXPECT_GT(style.rows, 0) << "the rows were painted";
    EXPECT_EQ(style.buttons, 0);

    // a press where a button would sit selects the folder, as a press anywhere on its row does
    auto *gamma = top("Gamma");
    tree->collapseAll();
    tree->expandItem(top("Beta"));
    const QRect r = tree->visualItemRect(gamma);
    ASSERT_GT(r.left(), 4);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(r.left() - 4, r.center().y()));
    EXPECT_TRUE(gamma->isSelected());
    tree->setStyle(nullptr);
}
