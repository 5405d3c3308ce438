// The address box: typed URLs to and from the store, the Url setter and the focus, Enter and drops,
// icons and completion, the open list and the open suggestions.
#include "browser/UrlComboBoxes.h"

#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"
#include "settings/UrlDropTargets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QLatin1String Key(TUrlComboBox::TypedUrlsKey);

QString typed(int n)
{
    return platformstore::readString(Hive::CurrentUser, Key, QStringLiteral("Url%1").arg(n))
        .value_or(QStringLiteral("<none>"));
}

void setTyped(int n, const QString &url)
{
    platformstore::writeString(Hive::CurrentUser, Key, QStringLiteral("Url%1").arg(n), url);
}

QStringList items(const QComboBox &box)
{
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

class UrlComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::unique_ptr<TUrlComboBox> makeBox()
    {
        auto box = std::make_unique<TUrlComboBox>();
        box->setObjectName(QStringLiteral("IEAddress"));
        box->SetHistorySource([this](const QString &, int) { return history; });
        box->OnNavigateUrl = [this](QObject *sender, const QString &url) {
            EXPECT_NE(sender, nullptr);
            navigated << url;
        };
        return box;
    }

    QTemporaryDir dir;
    QStringList navigated;
    QStringList history;
    const testsupport::SeamGuard store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + QStringLiteral("/registry"));
};

} // namespace

TEST_F(UrlComboBoxTest, TypedUrlsAreLoadedFromOneToTwentyFive)
{
    setTyped(1, "https://one.example/");
    setTyped(2, "https://two.example/");
    setTyped(4, "https://four.example/"); // 3 is missing
    setTyped(5, "HTTPS://ONE.EXAMPLE/");  // already listed in another case
    setTyped(25, "https://last.example/");
    setTyped(26, "https://beyond.example/");
    platformstore::writeInteger(Hive::CurrentUser, Key, QStringLiteral("Url6"), 6);
    auto box = makeBox();
    EXPECT_EQ(items(*box), QStringList({"https://one.example/", "https://two.example/", "https://four.example/",
                                        "https://last.example/"}));
    EXPECT_EQ(box->Url(), "");
    box->SaveUrl = false;
}

TEST_F(UrlComboBoxTest, LongTypedUrlsComeBackWhole)
{
    const QString longUrl = QStringLiteral("https://long.example/?q=") + QString(3000, u'a') + QStringLiteral("&end=1");
    {
        auto box = makeBox();
        box->AddUrl(longUrl);
    }
    auto box = makeBox();
    ASSERT_EQ(box->count(), 1);
    EXPECT_EQ(box->itemText(0), longUrl);
}

TEST_F(UrlComboBoxTest, SavingKeepsTheNewestTwentyFiveAndDropsHigherNumbers)
{
    setTyped(40, "https://stale.example/");
    {
        auto box = makeBox();
        for (int i = 1; i <= 30; ++i)
            box->AddUrl(QStringLiteral("https://site%1.example/").arg(i));
    } // the box writes its list when it goes
    for (int n = 1; n <= 25; ++n)
        EXPECT_EQ(typed(n), QStringLiteral("https://site%1.example/").arg(n + 5));
    for (int n : {26, 30, 40})
        EXPECT_EQ(typed(n), "<none>") << n;

    // the list goes on rolling: what was added last comes back
    {
        auto box = makeBox();
        EXPECT_EQ(box->count(), 25);
        box->AddUrl(QStringLiteral("https://newest.example/"));
    }
    EXPECT_EQ(typed(1), "https://site7.example/");
    EXPECT_EQ(typed(25), "https://newest.example/");

    // a shorter list leaves no stale numbers
    platformstore::deleteKey(Hive::CurrentUser, Key);
    setTyped(3, "https://three.example/");
    setTyped(9, "https://nine.example/");
    {
        auto box = makeBox();
        box->AddUrl(QStringLiteral("https://added.example/"));
    }
    EXPECT_EQ(typed(1), "https://three.example/");
    EXPECT_EQ(typed(2), "https://nine.example/");
    EXPECT_EQ(typed(3), "https://added.example/");
    EXPECT_EQ(typed(9), "<none>");
}

TEST_F(UrlComboBoxTest, BoxesThatReadTheListAtOnceKeepEachOthersAddresses)
{
    // two boxes stand for two programs: both read the list before either saves
    setTyped(1, "https://old.example/");
    platformstore::writeString(Hive::CurrentUser, Key, QStringLiteral("Other"), QStringLiteral("kept"));
    auto first = makeBox();
    auto second = makeBox();
    first->AddUrl(QStringLiteral("https://first.example/"));
    second->AddUrl(QStringLiteral("https://second.example/"));
    EXPECT_TRUE(first->SaveTypedUrls());
    EXPECT_TRUE(second->SaveTypedUrls());
    EXPECT_EQ(typed(1), "https://old.example/");
    EXPECT_EQ(typed(2), "https://first.example/");
    EXPECT_EQ(typed(3), "https://second.example/");
    EXPECT_EQ(typed(4), "<none>");
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, Key, QStringLiteral("Other")), QStringLiteral("kept"));
    first->SaveUrl = false;
    second->SaveUrl = false;
}

TEST_F(UrlComboBoxTest, ClearingTypedUrlsEmptiesEveryListButKeepsTheAddressShown)
{
    setTyped(1, "https://typed.example/");
    auto shown = makeBox();
    auto other = makeBox();
    shown->SetUrl(QStringLiteral("https://open.example/page"));
    ASSERT_EQ(shown->count(), 2);
    ASSERT_EQ(other->count(), 1);
    EXPECT_TRUE(TUrlComboBox::ClearTypedUrls());
    EXPECT_EQ(shown->count(), 0);
    EXPECT_EQ(other->count(), 0);
    EXPECT_EQ(shown->Url(), "https://open.example/page") << "the open page's address stays in its box";
    EXPECT_EQ(other->Url(), "");
    EXPECT_EQ(typed(1), "<none>");
    shown->SaveUrl = false;
    other->SaveUrl = false;
}

TEST_F(UrlComboBoxTest, ASaveTheStoreCannotTakeIsToldOnceWithTheFileAndTheReasonAndTheListIsKept)
{
    QStringList told;
    const dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&told](const QString &text, const QString &, unsigned) {
            told << text;
            return int(messageboxes::IdOK);
        }));
    // a file where the store's folder should be: no write can succeed, whoever runs the test
    testsupport::writeBytes(dir.path() + QStringLiteral("/blocked"), "not a folder");
    platformstore::setFolder(dir.path() + QStringLiteral("/blocked/registry"));
    const QString hive = platformstore::hiveFile(Hive::CurrentUser);
    {
        auto first = makeBox();
        auto second = makeBox();
        first->AddUrl(QStringLiteral("https://one.example/"));
        first->AddUrl(QStringLiteral("https://two.example/"));
        second->AddUrl(QStringLiteral("https://three.example/"));
        EXPECT_FALSE(first->SaveTypedUrls());
        EXPECT_EQ(items(*first), QStringList({"https://one.example/", "https://two.example/"}));
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told.first().contains(QDir::toNativeSeparators(hive))) << told.first().toStdString();
        EXPECT_TRUE(told.first().contains(QStringLiteral(": "))) << "with the reason";
        EXPECT_FALSE(told.first().endsWith(QStringLiteral(": "))) << "the reason is not empty";
    } // both boxes save when they go
    EXPECT_EQ(told.size(), 1) << "told once, not at every write nor by every box";

    // once the store can be written again, a later failure is told again
    QFile::remove(dir.path() + QStringLiteral("/blocked"));
    {
        auto box = makeBox();
        box->AddUrl(QStringLiteral("https://kept.example/"));
        EXPECT_TRUE(box->SaveTypedUrls());
        testsupport::writeBytes(dir.path() + QStringLiteral("/other"), "not a folder");
        platformstore::setFolder(dir.path() + QStringLiteral("/other/registry"));
        EXPECT_FALSE(box->SaveTypedUrls());
        box->SaveUrl = false;
    }
    EXPECT_EQ(told.size(), 2);
    platformstore::setFolder(dir.path() + QStringLiteral("/blocked/registry"));
    EXPECT_EQ(typed(1), "https://kept.example/");
}

TEST_F(UrlComboBoxTest, NothingIsWrittenWhenSaveUrlIsOff)
{
    {
        auto box = makeBox();
        box->SaveUrl = false;
        box->AddUrl(QStringLiteral("https://a.example/"));
    }
    EXPECT_EQ(typed(1), "<none>");
}

TEST_F(UrlComboBoxTest, UrlSetterShowsAddressesButNeverOverwritesTyping)
{
    auto box = makeBox();
    box->SaveUrl = false;
    box->SetUrl(QStringLiteral("https://shown.example/"));
    EXPECT_EQ(box->Url(), "https://shown.example/");
    EXPECT_EQ(items(*box), QStringList({"https://shown.example/"}));
    box->SetUrl(QStringLiteral("HTTPS://SHOWN.EXAMPLE/"));
    EXPECT_EQ(box->count(), 1);
    box->SetUrl(QString());
    EXPECT_EQ(box->Url(), "");
    EXPECT_EQ(box->count(), 1);

    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    QTest::keyClicks(box->lineEdit(), "typ");
    box->SetUrl(QStringLiteral("https://other.example/"));
    EXPECT_EQ(box->Url(), "typ");
    EXPECT_EQ(box->count(), 1);
}

TEST_F(UrlComboBoxTest, OnceTheTypedAddressIsOpenedTheBoxShowsAddressesAgainWhileItKeepsTheFocus)
{
    auto box = makeBox();
    box->SaveUrl = false;
    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    // a box that only has the focus holds nothing typed; what is typed replaces the address shown
    box->SetUrl(QStringLiteral("https://start.example/"));
    EXPECT_EQ(box->Url(), "https://start.example/");
    QTest::keyClicks(box->lineEdit(), "127.0.0.1/page2.html");
    EXPECT_EQ(box->Url(), "127.0.0.1/page2.html");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(navigated, QStringList({"127.0.0.1/page2.html"}));
    ASSERT_TRUE(box->lineEdit()->hasFocus());
    // the page reports where it really is, then the user goes back
    box->SetUrl(QStringLiteral("http://127.0.0.1/page2.html"));
    EXPECT_EQ(box->Url(), "http://127.0.0.1/page2.html");
    box->SetUrl(QStringLiteral("https://start.example/"));
    EXPECT_EQ(box->Url(), "https://start.example/");

    // the typed text and the address it opened are one item, which holds the address
    EXPECT_EQ(items(*box), QStringList({"https://start.example/", "http://127.0.0.1/page2.html"}));

    // an address stepped to in the list is kept as well
    QTest::keyClick(box.get(), Qt::Key_Down);
    const QString picked = box->Url();
    ASSERT_NE(picked, "https://start.example/");
    box->SetUrl(QStringLiteral("https://start.example/"));
    EXPECT_EQ(box->Url(), picked);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    box->SetUrl(QStringLiteral("https://start.example/"));
    ASSERT_EQ(box->Url(), "https://start.example/");

    // typing again is kept until it is opened
    QTest::keyClick(box->lineEdit(), Qt::Key_End);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    box->SetUrl(QStringLiteral("https://late.example/"));
    EXPECT_EQ(box->Url(), "https://start.example");
}

TEST_F(UrlComboBoxTest, EnterAddsTheTextAndAsksForNavigation)
{
    auto box = makeBox();
    box->SaveUrl = false;
    box->setEditText(QStringLiteral("example.org"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(navigated, QStringList({"example.org"}));
    EXPECT_EQ(items(*box), QStringList({"example.org"}));
    EXPECT_EQ(box->currentIndex(), 0);

    box->setEditText(QStringLiteral("EXAMPLE.ORG"));
    QTest::keyClick(box.get(), Qt::Key_Enter);
    EXPECT_EQ(navigated, QStringList({"example.org", "EXAMPLE.ORG"}));
    EXPECT_EQ(box->count(), 1);

    box->setEditText(QString());
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(navigated, QStringList({"example.org", "EXAMPLE.ORG", ""}));
    EXPECT_EQ(box->count(), 1);
}

TEST_F(UrlComboBoxTest, ADroppedLinkIsOpenedAlsoWhileTheUserTypes)
{
    auto box = makeBox();
    box->SaveUrl = false;
    ASSERT_TRUE(box->UrlDropTarget()->Registered());
    EXPECT_FALSE(box->lineEdit()->acceptDrops());
    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    QTest::keyClicks(box->lineEdit(), "old text");

    QMimeData link;
    link.setData("_NETSCAPE_URL", "https://dropped.example/\nDropped");
    ASSERT_TRUE(box->UrlDropTarget()->DragEnter(&link, QPoint(5, 5)));
    box->UrlDropTarget()->Drop(QPoint(5, 5));
    EXPECT_EQ(navigated, QStringList({"https://dropped.example/"}));
    EXPECT_EQ(box->Url(), "https://dropped.example/");
    EXPECT_TRUE(items(*box).contains("https://dropped.example/"));

    box->SetAutoOleDrop(false);
    EXPECT_FALSE(box->UrlDropTarget()->Registered());
    EXPECT_TRUE(box->lineEdit()->acceptDrops());
    box->SetAutoOleDrop(true);
    EXPECT_TRUE(box->UrlDropTarget()->Registered());
}

TEST_F(UrlComboBoxTest, EachAddressShowsTheIconOfWhatItNames)
{
    testsupport::writeBytes(dir.path() + "/page.txt", "x");
    const QImage folder = iconImage(GetFolderIcon());
    const QImage html = iconImage(GetHtmlIcon());
    ASSERT_NE(folder, html);
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon(QUrl::fromLocalFile(dir.path()).toString())), folder);
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon("FILE://" + dir.path())), folder);
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon(dir.path())), folder);
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon(dir.path() + "/page.txt")),
              iconImage(GetFileIcon(dir.path() + "/page.txt")));
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon("https://example.org/")), html);
    EXPECT_EQ(iconImage(TUrlComboBox::GetUrlIcon(dir.path() + "/missing")), html);

    auto box = makeBox();
    box->SaveUrl = false;
    box->AddUrl(dir.path());
    box->AddUrl("https://example.org/");
    EXPECT_EQ(iconImage(box->itemIcon(0)), folder);
    EXPECT_EQ(iconImage(box->itemIcon(1)), html);
}

TEST_F(UrlComboBoxTest, CompletionFromTypedUrlsHistoryAndFiles)
{
    testsupport::writeBytes(dir.path() + "/files/alpha.html", "a");
    testsupport::writeBytes(dir.path() + "/files/alps/x", "b");
    testsupport::writeBytes(dir.path() + "/files/beta.html", "c");
    auto box = makeBox();
    box->SaveUrl = false;
    box->AddUrl("https://www.example.org/");
    box->AddUrl("http://unrelated.test/");
    box->AddUrl("https://example.net/");
    history = {"https://example.net/", "https://example.com/history", "https://nomatch.test/"};

    EXPECT_EQ(box->CompletionsFor("exa"),
              QStringList({"https://example.net/", "https://www.example.org/", "https://example.com/history"}));
    EXPECT_EQ(box->CompletionsFor(dir.path() + "/files/al"),
              QStringList({dir.path() + "/files/alps/", dir.path() + "/files/alpha.html"}));
    EXPECT_EQ(box->CompletionsFor("file://" + dir.path() + "/files/b"),
              QStringList({"file://" + dir.path() + "/files/beta.html"}));
    EXPECT_TRUE(box->CompletionsFor("").isEmpty());

    box->SetFileOptions(TUrlComboBox::UrlHistory);
    EXPECT_EQ(box->CompletionsFor("exa"), QStringList({"https://example.net/", "https://example.com/history"}));
    EXPECT_TRUE(box->CompletionsFor(dir.path() + "/files/al").isEmpty());

    // inline completion appends the rest of the first match, selected
    box->SetFileOptions(TUrlComboBox::UrlMRU);
    box->SetUrlAutoComplete(TUrlComboBox::TUrlAutoComplete::acForceOn);
    box->SetUrlAutoSuggest(TUrlComboBox::TUrlAutoSuggest::asForceOff);
    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    box->setEditText(QString());
    QTest::keyClicks(box->lineEdit(), "http://unr");
    EXPECT_EQ(box->lineEdit()->text(), "http://unrelated.test/");
    EXPECT_EQ(box->lineEdit()->selectedText(), "elated.test/");
}

TEST_F(UrlComboBoxTest, EnterInTheSuggestionsOpensTheTypedTextUnlessOneIsPicked)
{
    auto box = makeBox();
    box->SaveUrl = false;
    box->AddUrl("https://www.example.org/");
    history = {"https://example.com/history"};
    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    box->setEditText(QString());
    QTest::keyClicks(box->lineEdit(), "exa");
    QAbstractItemView *popup = box->UrlCompleter()->popup();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->model()->rowCount(), 2);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(navigated, QStringList({"exa"}));
    EXPECT_FALSE(popup->isVisible());

    box->setEditText(QString());
    QTest::keyClicks(box->lineEdit(), "exa");
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    ASSERT_TRUE(popup->selectionModel()->hasSelection());
    const QString picked = popup->currentIndex().data().toString();
    // "exa" itself is a typed address now, and a suggestion
    EXPECT_EQ(box->CompletionsFor("exa"),
              QStringList({"exa", "https://www.example.org/", "https://example.com/history"}));
    EXPECT_FALSE(picked.isEmpty());
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(navigated, QStringList({"exa", picked}));
    EXPECT_EQ(box->Url(), picked);
}

TEST_F(UrlComboBoxTest, OneAddressIsListedOnceWhetherTypedOrOpened)
{
    testsupport::writeBytes(dir.path() + "/local.html", "x");
    auto box = makeBox();
    box->SaveUrl = false;
    // what was typed, then where the page is
    EXPECT_TRUE(box->AddUrl("127.0.0.1:8765/long.html"));
    EXPECT_TRUE(box->AddUrl("http://127.0.0.1:8765/long.html"));
    EXPECT_EQ(items(*box), QStringList({"http://127.0.0.1:8765/long.html"}));
    EXPECT_EQ(box->currentIndex(), 0);
    // typed again for a listed address: nothing changes
    EXPECT_FALSE(box->AddUrl("127.0.0.1:8765/long.html"));
    // a host alone, and the page it opened
    EXPECT_TRUE(box->AddUrl("example.org"));
    EXPECT_TRUE(box->AddUrl("http://example.org/"));
    EXPECT_FALSE(box->AddUrl("http://example.org"));
    // a local path and its file URL
    EXPECT_TRUE(box->AddUrl(dir.path() + "/local.html"));
    EXPECT_TRUE(box->AddUrl(QUrl::fromLocalFile(dir.path() + "/local.html").toString()));
    // other addresses stay apart
    EXPECT_TRUE(box->AddUrl("127.0.0.1:8765/other.html"));
    EXPECT_TRUE(box->AddUrl("https://127.0.0.1:8765/long.html"));
    EXPECT_EQ(items(*box), QStringList({"http://127.0.0.1:8765/long.html", "http://example.org/",
                                        QUrl::fromLocalFile(dir.path() + "/local.html").toString(),
                                        "127.0.0.1:8765/other.html", "https://127.0.0.1:8765/long.html"}));
}

TEST_F(UrlComboBoxTest, AnAddressOfMegabytesIsShownButNeitherListedNorSuggested)
{
    const QString huge = QStringLiteral("http://127.0.0.1:8765/long.html?") + QString(qsizetype(1900) * 1024, u'a');
    setTyped(1, huge);
    setTyped(2, "http://127.0.0.1:8765/short.html");
    auto box = makeBox();
    box->SaveUrl = false;
    EXPECT_EQ(items(*box), QStringList({"http://127.0.0.1:8765/short.html"}));
    history = {huge, "http://127.0.0.1:8765/history.html"};

    box->SetUrl(huge);
    EXPECT_TRUE(box->Url().startsWith("http://127.0.0.1:8765/long.html?aaa"));
    EXPECT_EQ(box->count(), 1);
    EXPECT_EQ(box->CompletionsFor("127.0.0.1"),
              QStringList({"http://127.0.0.1:8765/short.html", "http://127.0.0.1:8765/history.html"}));
    // typing on from the long address shown offers nothing, without asking the sources
    bool asked = false;
    box->SetHistorySource([&](const QString &, int) {
        asked = true;
        return QStringList{huge};
    });
    EXPECT_TRUE(box->CompletionsFor(box->Url() + u'a').isEmpty());
    EXPECT_FALSE(asked);

    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    box->setEditText(QString());
    QTest::keyClicks(box->lineEdit(), "127");
    EXPECT_TRUE(asked);
    const auto *shown = qobject_cast<QStringListModel *>(box->UrlCompleter()->model());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->stringList(), QStringList({"http://127.0.0.1:8765/short.html"}));
}

TEST_F(UrlComboBoxTest, TheOpenListStepsWithTheArrowsAndTypingGoesOnInTheText)
{
    auto box = makeBox();
    box->SaveUrl = false;
    for (const char *url : {"http://a.example/", "http://b.example/", "http://b.example/x"})
        box->AddUrl(url);
    box->show();
    QApplication::setActiveWindow(box.get());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus() || box->lineEdit()->hasFocus(); }))
        << "the box never took the focus";
    box->SetUrl("http://a.example/");
    ASSERT_EQ(box->lineEdit()->selectedText(), "http://a.example/");

    // opened, the text is no longer selected: what is typed goes on from it
    box->showPopup();
    QAbstractItemView *list = box->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); })) << "the list did not open";
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());

    // an arrow shows the item reached, unselected, and the list stays open
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(box->Url(), "http://b.example/");
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());
    EXPECT_TRUE(list->isVisible());

    // typing goes to the text; the list stays while it holds the text
    QTest::keyClick(list, Qt::Key_X);
    EXPECT_EQ(box->Url(), "http://b.example/x");
    EXPECT_TRUE(list->isVisible());
    QTest::keyClick(list, Qt::Key_Y);
    EXPECT_EQ(box->Url(), "http://b.example/xy");
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(navigated.isEmpty());
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(navigated, QStringList({"http://b.example/xy"}));
}

TEST_F(UrlComboBoxTest, AClickOutsideTheOpenSuggestionsAlsoReachesWhereItWasAimed)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *box = new TUrlComboBox(&window);
    box->SaveUrl = false;
    box->SetFileOptions(TUrlComboBox::UrlMRU);
    box->AddUrl("https://www.example.org/");
    auto *button = new QPushButton(QStringLiteral("Elsewhere"), &window);
    int presses = 0;
    QObject::connect(button, &QPushButton::pressed, [&] { ++presses; });
    layout->addWidget(box);
    layout->addWidget(button);
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->lineEdit()->hasFocus(); })) << "the box never took the focus";
    box->setEditText(QString());
    QTest::keyClicks(box->lineEdit(), "exa");
    QAbstractItemView *popup = box->UrlCompleter()->popup();
    ASSERT_TRUE(popup->isVisible());

    // the open suggestions take every press; this one is aimed at the button
    const QPoint aimed = button->mapToGlobal(button->rect().center());
    QTest::mousePress(popup, Qt::LeftButton, {}, popup->mapFromGlobal(aimed));
    EXPECT_FALSE(popup->isVisible());
    ASSERT_TRUE(testsupport::waitUntil([&] { return presses == 1; })) << "the press never reached the button";
    QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
}
