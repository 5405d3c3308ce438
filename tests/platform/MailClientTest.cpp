// The mail hand-over: the argument list xdg-email gets, the result codes, and a real run of a program
// in xdg-email's place that records the arguments it received.
#include "platform/MailClient.h"

#include "common/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// Points PATH at one folder for one test.
struct PathGuard {
    QByteArray previous = qgetenv("PATH");
    explicit PathGuard(const QString &folder) { qputenv("PATH", QFile::encodeName(folder)); }
    ~PathGuard() { qputenv("PATH", previous); }
};

class MailClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBytes(dir.path() + "/My Report.txt", "report");
        writeBytes(dir.path() + "/a b/notes; v2.txt", "notes");
        message.to = {"alice@example.org", "bob.smith@example.org"};
        message.cc = {"carol@example.org"};
        message.bcc = {"dave+list@example.org"};
        message.subject = QString::fromUtf8("ご意見 反馈 & more");
        message.body = "He said \"hi\" $(rm -rf ~); echo x | cat\r\nsecond line\r\n`id` 'q'\r\n";
        message.attachments = {dir.path() + "/My Report.txt", dir.path() + "/a b/notes; v2.txt"};
    }
    QTemporaryDir dir;
    mailclient::Message message;
};

TEST_F(MailClientTest, EveryFieldTravelsAsItsOwnArgumentOrInsideOneEncodedUri)
{
    const QStringList args = mailclient::xdgEmailArguments(message);
    ASSERT_EQ(args.size(), 6);
    EXPECT_EQ(args.mid(0, 5), QStringList({"--utf8", "--attach", dir.path() + "/My Report.txt", "--attach",
                                           dir.path() + "/a b/notes; v2.txt"}));
    const QString uri = args.at(5);
    // only characters no program reading the URI could take for syntax
    for (const QChar c : uri)
        EXPECT_TRUE(c.isLetterOrNumber() || QStringLiteral("%-._~@,:?&=").contains(c)) << int(c.unicode());
    EXPECT_TRUE(uri.startsWith("mailto:alice@example.org,bob.smith@example.org?"));
    const QUrl url(uri);
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("cc", QUrl::FullyDecoded), u"carol@example.org");
    EXPECT_EQ(query.queryItemValue("bcc", QUrl::FullyDecoded), u"dave+list@example.org");
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), message.subject);
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), message.body);
    EXPECT_TRUE(uri.contains("%0D%0Asecond"));

    // empty parts are left out; a relative attachment becomes absolute
    mailclient::Message bare;
    bare.attachments = {"relative.txt", ""};
    const QStringList few = mailclient::xdgEmailArguments(bare);
    EXPECT_EQ(few.last(), u"mailto:");
    EXPECT_TRUE(few.at(2).startsWith(u'/'));
    EXPECT_EQ(few.size(), 4);
}

TEST_F(MailClientTest, ExitCodesBecomeMailResults)
{
    QStringList seenArgs;
    mailclient::RunOutcome outcome;
    mailclient::ScopedRunner guard([&](const QString &program, const QStringList &args) {
        EXPECT_EQ(program, u"xdg-email");
        seenArgs = args;
        return outcome;
    });
    const QList<std::pair<mailclient::RunOutcome, int>> cases = {
        {{true, true, 0}, mailclient::Success},
        {{true, true, 1}, mailclient::Failure},
        {{true, true, 2}, mailclient::AttachmentNotFound},
        {{true, true, 3}, mailclient::Failure}, // no mail program for the desktop
        {{true, true, 4}, mailclient::Failure},
        {{true, true, 5}, mailclient::AttachmentOpenFailure},
        {{true, true, -1}, mailclient::Failure},  // crashed
        {{false, false, 0}, mailclient::Failure}, // xdg-email missing
        {{true, false, 0}, mailclient::Success},  // the mail program is still coming up
    };
    for (const auto &[o, expected] : cases) {
        outcome = o;
        EXPECT_EQ(mailclient::send(message), expected) << o.started << o.finished << o.exitCode;
    }
    EXPECT_EQ(seenArgs, mailclient::xdgEmailArguments(message));

    // checked before anything runs
    seenArgs.clear();
    mailclient::Message missing = message;
    missing.attachments.append(dir.path() + "/gone.txt");
    EXPECT_EQ(mailclient::send(missing), mailclient::AttachmentNotFound);
    mailclient::Message huge = message;
    huge.body = QString(mailclient::MaxUriLength, u'x');
    EXPECT_EQ(mailclient::send(huge), mailclient::TextTooLarge);
    EXPECT_TRUE(seenArgs.isEmpty());
}

TEST_F(MailClientTest, AProgramInPlaceOfXdgEmailGetsTheArgumentsByteForByte)
{
    const QString bin = dir.path() + "/bin";
    const QString record = dir.path() + "/args.bin";
    writeBytes(bin + "/xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" +
                                       QFile::encodeName(record) + "'\nexit 4\n");
    QFile::setPermissions(bin + "/xdg-email", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PathGuard path(bin);
    EXPECT_EQ(mailclient::send(message), mailclient::Failure); // it exits with 4: the action failed
    QList<QByteArray> received = readBytes(record).split('\0');
    ASSERT_FALSE(received.isEmpty());
    received.removeLast();
    QStringList expected = mailclient::xdgEmailArguments(message);
    QStringList got;
    for (const QByteArray &a : received)
        got.append(QString::fromUtf8(a));
    EXPECT_EQ(got, expected);
}

TEST_F(MailClientTest, WithoutXdgEmailTheResultIsAnErrorNotACancel)
{
    PathGuard path(dir.path() + "/nowhere");
    EXPECT_EQ(mailclient::send(message), mailclient::Failure);
}

} // namespace
