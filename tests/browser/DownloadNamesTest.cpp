// Downloads stay inside the download folder whatever name the server suggests, and never replace a
// file without the user saying so: names alone, then real downloads from a loopback server.
#include "browser/DownloadNames.h"

#include "browser/BrowserDialogs.h"
#include "browser/BrowserTestSupport.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/WebEngineProfiles.h"
#include "common/TestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/PlatformStore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <optional>

using browsertest::httpReply;
using browsertest::TLoopbackServer;
using downloadname::pathInFolder;
using downloadname::plainName;

namespace {

TEST(DownloadNamesTest, ServerNamesBecomePlainNames)
{
    EXPECT_EQ(plainName("report.pdf"), "report.pdf");
    EXPECT_EQ(plainName("../escape.bin"), "escape.bin");
    EXPECT_EQ(plainName(".."), "download");
    EXPECT_EQ(plainName("..."), "download");
    EXPECT_EQ(plainName(""), "download");
    EXPECT_EQ(plainName("/home/user/.config/autostart/evil.desktop"), "evil.desktop");
    EXPECT_EQ(plainName("..\\..\\win.ini"), "win.ini");
    EXPECT_EQ(plainName("dir/"), "download");
    EXPECT_EQ(plainName(".bashrc"), "bashrc");
    EXPECT_EQ(plainName(QStringLiteral("a\nb\x01\x7f.txt")), "ab.txt");
    const QString longName = plainName(QString(300, QChar(0x65e5)) + QStringLiteral(".pdf"));
    EXPECT_TRUE(longName.endsWith(".pdf"));
    EXPECT_LE(longName.toUtf8().size(), 200);
}

TEST(DownloadNamesTest, AFileAlreadyThereIsNeverOfferedAgain)
{
    QTemporaryDir dir;
    testsupport::writeBytes(dir.filePath("data.bin"), "mine");
    testsupport::writeBytes(dir.filePath("data (2).bin"), "mine too");
    testsupport::writeBytes(dir.filePath("a.tar.gz"), "archive");
    EXPECT_EQ(pathInFolder(dir.path(), "data.bin"), dir.filePath("data (3).bin"));
    EXPECT_EQ(pathInFolder(dir.path(), "a.tar.gz"), dir.filePath("a (2).tar.gz"));
    EXPECT_EQ(pathInFolder(dir.path(), "../data.bin"), dir.filePath("data (3).bin"));
    EXPECT_EQ(pathInFolder(dir.path(), "new.txt"), dir.filePath("new.txt"));
}

// Accepts every suggested path, as a user pressing Enter in the save dialog does.
struct TAcceptingDialogs {
    QStringList suggestions;
    QStringList messages;
    int run(QDialog &dialog)
    {
        if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            suggestions << files->selectedFiles().value(0);
            return QDialog::Accepted;
        }
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        return QDialog::Rejected;
    }
};

class DownloadFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(folder()));
        platformstore::setFolder(root.filePath("registry"));
        runner.emplace([this](QDialog &dialog) { return dialogs.run(dialog); });
        previousFolder = webengine::profile()->downloadPath();
        webengine::profile()->setDownloadPath(folder());
        browser.resize(400, 300);
        browser.show();
    }
    void TearDown() override
    {
        QTest::qWait(browser.DownloadSettleMs());
        webengine::profile()->setDownloadPath(previousFolder);
        runner.reset();
        platformstore::setFolder(QString());
    }
    QString folder() const { return root.filePath("downloads"); }

    // Downloads from a server that names the file as given; the path it was written to.
    QString download(const QByteArray &dispositionName, const QByteArray &body)
    {
        server.reply = [&](const QByteArray &) {
            return httpReply("200 OK",
                             "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" +
                                 dispositionName + "\"\r\n",
                             body);
        };
        QSignalSpy done(&browser, &TIEBrowser::FileDownloadComplete);
        browser.Navigate(server.url(QStringLiteral("/file")));
        if (!done.wait(20000) || !done.last().at(1).toBool())
            return {};
        return done.last().at(0).toString();
    }

    QTemporaryDir root;
    QString previousFolder;
    TAcceptingDialogs dialogs;
    std::optional<dialogrunner::ScopedRunner> runner;
    TLoopbackServer server;
    TIEBrowser browser;
};

TEST_F(DownloadFolderTest, NamesFromTheServerNeverLeaveTheFolderNorReplaceAFile)
{
    const QString inFolder = QDir(folder()).canonicalPath();
    for (const QByteArray &name : {QByteArray("../escape.bin"), QByteArray(".."),
                                   QFile::encodeName(root.filePath("absolute.bin")), QByteArray("../../x/.hidden")}) {
        const QString path = download(name, "payload of " + name);
        ASSERT_FALSE(path.isEmpty()) << name.constData();
        EXPECT_EQ(QFileInfo(path).canonicalPath(), inFolder) << name.constData();
        EXPECT_FALSE(QFileInfo(path).fileName().startsWith(u'.')) << name.constData();
        EXPECT_EQ(testsupport::readBytes(path), "payload of " + name);
    }
    EXPECT_FALSE(QFileInfo::exists(root.filePath("escape.bin")));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("absolute.bin")));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList()) << "nothing beside the folder";

    // the same name again is offered under a new name: the first file stays as it was
    const QString first = QDir(folder()).filePath("escape.bin");
    ASSERT_EQ(testsupport::readBytes(first), "payload of ../escape.bin");
    const QString second = download("escape.bin", "second");
    EXPECT_NE(second, first);
    EXPECT_EQ(QFileInfo(second).canonicalPath(), inFolder);
    EXPECT_EQ(testsupport::readBytes(second), "second");
    EXPECT_EQ(testsupport::readBytes(first), "payload of ../escape.bin");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
