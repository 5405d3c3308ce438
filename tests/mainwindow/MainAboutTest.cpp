// The main window's About command with a runner that answers for the user.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/WebEngineProfiles.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "mainwindow/AboutBrivo01.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/MainWindowTestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QAction>
#include <QLabel>
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Blocks every request that would leave the machine and notes what was asked for.
class Blocker : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        if (url.isLocalFile() || url.scheme() == u"data" || url.scheme() == u"about")
            return;
        info.block(true);
        QMutexLocker lock(&mutex);
        blocked << url.toString();
    }
    QStringList seen()
    {
        QMutexLocker lock(&mutex);
        return blocked;
    }

private:
    QMutex mutex;
    QStringList blocked;
};

// Sends the profile's requests through blocker until the guard goes.
testsupport::SeamGuard blockRequests(Blocker *blocker)
{
    webengine::profile()->setUrlRequestInterceptor(blocker);
    return testsupport::SeamGuard([] { webengine::profile()->setUrlRequestInterceptor(nullptr); });
}

class AboutCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        BrivoIni = new TBrivoIni(dir.path() + "/brivo.ini");
        BrivoIni->SetLanguage(TLanguage::SimplifiedChinese);
        frmMain = new TfrmMain();
        frmMain->show();
    }
    void TearDown() override { mainwindowtest::closeMainWindow(); }
    // Runs the About command; the runner ends the box with end and notes what the box was.
    void runAbout(const std::function<void(TfrmAbout &)> &end)
    {
        const auto runner = testsupport::restoringPrevious(dialogrunner::setRunner, [&](QDialog &d) {
            auto *box = dynamic_cast<TfrmAbout *>(&d);
            EXPECT_NE(box, nullptr);
            if (!box)
                return int(QDialog::Rejected);
            shown = box;
            owner = box->parentWidget();
            title = box->windowTitle();
            box->show();
            end(*box);
            return box->result();
        });
        QAction *about = frmMain->action("actAbout");
        EXPECT_TRUE(about->isEnabled());
        about->trigger();
    }
    QTemporaryDir dir;
    Blocker blocker;
    const testsupport::SeamGuard locale =
        testsupport::restoringDefault(systemlocale::setOverride, QStringLiteral("en_US.UTF-8"));
    const testsupport::SeamGuard store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + "/registry");
    const testsupport::SeamGuard interceptor = blockRequests(&blocker);
    QPointer<TfrmAbout> shown;
    QWidget *owner = nullptr;
    QString title;
};

TEST_F(AboutCommand, TheHomePageLineOpensOneNewPageWithTheProgramsHomePage)
{
    const qsizetype before = frmMain->Browsers().size();
    runAbout([](TfrmAbout &box) { QTest::mouseClick(box.lblHomepage, Qt::LeftButton); });
    EXPECT_EQ(owner, frmMain);
    EXPECT_EQ(title, QString::fromUtf8("版本信息"));
    EXPECT_TRUE(shown.isNull()); // destroyed when the command ends
    ASSERT_EQ(frmMain->Browsers().size(), before + 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return blocker.seen().contains(SHomePageUrl); }, 20000))
        << "requests blocked: " << blocker.seen().join(", ").toStdString();
}

TEST_F(AboutCommand, OkAndEscOpenNothing)
{
    const qsizetype before = frmMain->Browsers().size();
    runAbout([](TfrmAbout &box) { QTest::mouseClick(box.btbtnOK, Qt::LeftButton); });
    EXPECT_TRUE(shown.isNull());
    runAbout([](TfrmAbout &box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(frmMain->Browsers().size(), before);
}

} // namespace
