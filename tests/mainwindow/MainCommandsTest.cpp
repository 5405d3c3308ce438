// The menus, tool-bar actions and page keys the main window builds from its command rows.
#include "mainwindow/MainCommands.h"

#include "common/SeamGuards.h"
#include "mainwindow/MainCompact02.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MainCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BrivoIni = new TBrivoIni(dir.path() + "/brivo.ini");
        window = std::make_unique<TfrmMain>();
    }
    void TearDown() override
    {
        window.reset();
        delete BrivoIni;
        BrivoIni = nullptr;
    }
    // The menu's items by object name, "-" for a separator.
    QStringList items(const char *menu) const
    {
        auto *m = window->findChild<QMenu *>(QString::fromLatin1(menu));
        EXPECT_NE(m, nullptr) << menu;
        QStringList names;
        if (!m)
            return names;
        for (QAction *a : m->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
        return names;
    }
    QTemporaryDir dir;
    const testsupport::SeamGuard locale =
        testsupport::restoringDefault(systemlocale::setOverride, QStringLiteral("en_US.UTF-8"));
    const testsupport::SeamGuard store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + "/registry");
    std::unique_ptr<TfrmMain> window;
};

// An item placed in two menus has the separators each menu gives it; a menu collects items from rows
// anywhere in the table, in row order, and takes submenus where their rows stand.
TEST_F(MainCommandsTest, MenusAreFilledInRowOrderWithEachMenusSeparators)
{
    EXPECT_EQ(items("mniBookmark"),
              QStringList({"actBookmarkAddUrl", "-", "actBookmarkLoad", "-", "actBookmarkSave", "actBookmarkSaveAs"}));
    EXPECT_EQ(items("pmnBookmark"),
              QStringList({"actBookmarkOpen", "actBookmarkOpenNew", "-", "actBookmarkDelete", "actBookmarkRename", "-",
                           "actBookmarkProperty", "-", "actBookmarkAddToFavorites", "-", "actBookmarkAddFolder",
                           "actBookmarkAddUrl", "-", "actBookmarkLoad", "actBookmarkSave", "actBookmarkSaveAs"}));
    EXPECT_EQ(items("pmnCoolBar"), QStringList({"actLinksBar", "actToolbar", "actSearchsBar", "actAddressBar",
                                                "actWindowsBar", "-", "mniCustomize2"}));
    EXPECT_EQ(items("mniView"),
              QStringList({"mniToolbar", "actStatusBar", "actExplorerBar", "-", "mniGo", "actStop", "actRefresh", "-",
                           "mniFont", "mniEncode", "-", "actSource", "actFullScreen", "-", "actFind"}));
    EXPECT_EQ(items("mniFont"), QStringList({"actLargest", "actLarger", "actMedium", "actSmaller", "actSmallest"}));
    EXPECT_EQ(window->action("actLargest")->property("Tag").toInt(), 4);
    EXPECT_EQ(items("mniCustomize2"), items("mniCustomize"));
    // one menu-bar button per menu-bar menu, in row order
    QStringList buttons;
    for (QToolButton *b : window->findChild<QWidget *>("tlbMenu")->findChildren<QToolButton *>())
        if (b->menu() && b->objectName().startsWith(u"tlbtn"))
            buttons << b->objectName() + u'>' + b->menu()->objectName();
    EXPECT_EQ(buttons, QStringList({"tlbtnFile>mniFile", "tlbtnView>mniView", "tlbtnTools>mniTools",
                                    "tlbtnLanguage>mniLanguage", "tlbtnWindows>mniWindows", "tlbtnHelp>mniHelp"}));
}

// The template numbers are what the settings store for the tool bar: they stay where they are, with
// separators at the numbers no command claims.
TEST_F(MainCommandsTest, TheToolButtonTemplateKeepsItsNumbers)
{
    QStringList layout;
    for (int number = 0; number < MainCommands::toolButtonTemplateCount(); ++number) {
        const QString name = MainCommands::toolButtonTemplate(number);
        layout << (name.isEmpty() ? QStringLiteral("-") : name);
    }
    EXPECT_EQ(layout, QStringList({"acttbNewBrowser",
                                   "acttbClose",
                                   "-",
                                   "acttbBack",
                                   "acttbForward",
                                   "acttbStop",
                                   "acttbRefresh",
                                   "acttbHomepage",
                                   "-",
                                   "acttbOpen",
                                   "acttbSave",
                                   "acttbPrint",
                                   "-",
                                   "acttbExplorerBar",
                                   "-",
                                   "acttbMail",
                                   "acttbMailTo",
                                   "-",
                                   "acttbFullScreen",
                                   "-",
                                   "acttbCascade",
                                   "acttbTileV",
                                   "acttbTileH"}));
    EXPECT_TRUE(MainCommands::toolButtonTemplate(-1).isEmpty());
    EXPECT_TRUE(MainCommands::toolButtonTemplate(23).isEmpty());
}

// A tool-bar action runs its menu action's command, and its mark follows the command's.
TEST_F(MainCommandsTest, AToolBarActionRunsItsCommand)
{
    QAction *menu = window->action("actExplorerBar");
    QAction *toolBar = window->action("acttbExplorerBar");
    ASSERT_TRUE(menu && toolBar);
    EXPECT_TRUE(toolBar->property("Toolbar").toBool());
    EXPECT_TRUE(toolBar->shortcut().isEmpty()) << "the shortcut is the menu action's alone";
    int runs = 0;
    QObject::connect(menu, &QAction::triggered, [&] { ++runs; });
    for (int run = 1; run <= 2; ++run) {
        toolBar->trigger();
        EXPECT_EQ(runs, run);
        EXPECT_EQ(toolBar->isChecked(), menu->isChecked()) << "run " << run;
    }
}

} // namespace
