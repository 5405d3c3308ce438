// Internet Options' "Clear History" empties the history store and every typed-address list, so the
// address box offers none of the old addresses again.
#include "browser/InternetOptions.h"

#include "browser/UrlComboBoxes.h"
#include "browser/WebEngineProfiles.h"
#include "common/TestSupport.h"
#include "platform/HistoryStore.h"
#include "platform/PlatformStore.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The shared history store and the platform store in a folder of the test's own, put back after.
struct TPrivateStores {
    explicit TPrivateStores(const QString &folder)
    {
        platformstore::setFolder(folder + QStringLiteral("/registry"));
        HistoryStore::setSharedPath(folder + QStringLiteral("/History.sqlite"));
    }
    ~TPrivateStores()
    {
        HistoryStore::setSharedPath(QString());
        platformstore::setFolder(QString());
    }
};

TEST(InternetOptionsTest, ClearHistoryEmptiesTheStoreAndTheTypedAddresses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TPrivateStores stores(dir.path());
    const QLatin1String typedKey(TUrlComboBox::TypedUrlsKey);
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, typedKey, QStringLiteral("Url1"),
                                           QStringLiteral("https://typed.example/")));
    HistoryStore &history = HistoryStore::shared();
    ASSERT_TRUE(history.recordVisit(QStringLiteral("https://visited.example/a"), QStringLiteral("A")));
    ASSERT_TRUE(history.recordVisit(QStringLiteral("https://visited.example/b"), QStringLiteral("B")));
    TUrlComboBox box;
    box.SaveUrl = true; // the box writes its list when it goes: nothing may come back from it
    ASSERT_EQ(box.count(), 1);
    ASSERT_FALSE(box.CompletionsFor(QStringLiteral("visited")).isEmpty());

    TInternetOptionsDialog dialog(webengine::profile(), QString());
    QPushButton *clear = nullptr;
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->text() == QStringLiteral("Clear &History"))
            clear = b;
    ASSERT_NE(clear, nullptr);
    clear->click();

    EXPECT_EQ(history.visitCount(), 0);
    EXPECT_EQ(history.pageCount(), 0);
    EXPECT_EQ(box.count(), 0);
    EXPECT_TRUE(box.CompletionsFor(QStringLiteral("visited")).isEmpty());
    EXPECT_TRUE(box.CompletionsFor(QStringLiteral("typed")).isEmpty());
    EXPECT_TRUE(platformstore::valueNames(Hive::CurrentUser, typedKey).isEmpty());
    bool told = false;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        told = told || label->text() == QStringLiteral("History cleared.");
    EXPECT_TRUE(told);
}

} // namespace
