// The mail component over a recording mail layer: what it hands over, its events and its result.
#include "mainwindow/MapiControls.h"

#include "common/TestSupport.h"
#include "platform/MailClient.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::writeBytes;

namespace {

class MapiControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        control.OnSuccess = [this](QObject *sender) {
            EXPECT_EQ(sender, &control);
            events.append("success");
        };
        control.OnUserAbort = [this](QObject *) { events.append("abort"); };
        control.OnMapiError = [this](QObject *sender, int code) {
            EXPECT_EQ(sender, &control);
            events.append(QStringLiteral("error %1").arg(code));
        };
    }
    QTemporaryDir dir;
    TMapiControl control;
    QStringList events;
    QStringList args;
    mailclient::RunOutcome outcome{true, true, 0};
    mailclient::ScopedRunner guard{[this](const QString &, const QStringList &a) {
        args = a;
        return outcome;
    }};
};

TEST_F(MapiControlTest, RecipientsInTheirClassesAndTheOutcomeAsOneEvent)
{
    control.Recipients = {"one@example.org", "two@example.org"};
    control.CopyTo = {"three@example.org"};
    control.Subject = "Hello";
    control.Body = "Line 1\r\nLine 2\r\n";
    EXPECT_TRUE(control.SendMail());
    EXPECT_EQ(events, QStringList({"success"}));
    ASSERT_FALSE(args.isEmpty());
    EXPECT_TRUE(args.last().startsWith("mailto:one@example.org,two@example.org?cc=three@example.org&subject=Hello"));

    {
        // the user's cancel: its own event, and the send counts as done
        mailclient::ScopedBackend cancel([](const mailclient::Message &) { return int(mailclient::UserAbort); });
        EXPECT_TRUE(control.SendMail());
        EXPECT_EQ(events.last(), u"abort");
        events.removeLast();
    }
    outcome = {true, true, 4};
    EXPECT_FALSE(control.SendMail());
    EXPECT_EQ(events.last(), u"error 2");
    outcome = {false, false, 0};
    EXPECT_FALSE(control.SendMail());
    EXPECT_EQ(events.last(), u"error 2");
    EXPECT_EQ(events.size(), 3);
}

TEST_F(MapiControlTest, AttachmentNamesStayUntilTheNextSendWithAttachments)
{
    writeBytes(dir.path() + "/Mail/Report.doc", "x");
    writeBytes(dir.path() + "/note:v1.txt", "y");
    control.AttachedFiles = {dir.path() + "/Mail/Report.doc", dir.path() + "/note:v1.txt"};
    EXPECT_TRUE(control.SendMail());
    EXPECT_EQ(control.DisplayFileName(), QStringList({"Report.doc", "note:v1.txt"}));
    control.AttachedFiles.clear();
    EXPECT_TRUE(control.SendMail());
    EXPECT_EQ(control.DisplayFileName(), QStringList({"Report.doc", "note:v1.txt"}));
    // a missing file is an error of its own, reported before anything runs
    control.AttachedFiles = {dir.path() + "/gone.doc"};
    args.clear();
    EXPECT_FALSE(control.SendMail());
    EXPECT_EQ(events.last(), QStringLiteral("error %1").arg(mailclient::AttachmentNotFound));
    EXPECT_TRUE(args.isEmpty());
}

TEST_F(MapiControlTest, ResetEmptiesTheMessageButKeepsTheSettingsAndEvents)
{
    control.Subject = "s";
    control.Body = "b";
    control.FromName = "n";
    control.FromAddress = "a";
    control.Recipients = {"r@example.org"};
    control.BlindCopyTo = {"b@example.org"};
    writeBytes(dir.path() + "/f.txt", "f");
    control.AttachedFiles = {dir.path() + "/f.txt"};
    control.ShowDialog = false;
    control.SendMail();
    control.Reset();
    EXPECT_TRUE(control.Subject.isEmpty() && control.Body.isEmpty() && control.FromName.isEmpty() &&
                control.FromAddress.isEmpty());
    EXPECT_TRUE(control.Recipients.isEmpty() && control.BlindCopyTo.isEmpty() && control.AttachedFiles.isEmpty());
    EXPECT_TRUE(control.DisplayFileName().isEmpty());
    EXPECT_FALSE(control.ShowDialog);
    events.clear();
    EXPECT_TRUE(control.SendMail());
    EXPECT_EQ(events, QStringList({"success"}));
    EXPECT_EQ(args.last(), u"mailto:");
}

} // namespace
