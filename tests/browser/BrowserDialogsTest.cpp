// The browser control's dialogs reach the program's own message boxes.
#include "browser/BrowserDialogs.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/MessageBoxes.h"

#include <gtest/gtest.h>

TEST(BrowserDialogs, MessageBoxesGoThroughTheProgramsBoxes)
{
    QStringList asked;
    unsigned flagsSeen = 0;
    const auto responder = testsupport::restoringPrevious(
        messageboxes::setResponder, [&](const QString &text, const QString &caption, unsigned flags) {
            asked << caption << text;
            flagsSeen = flags;
            return int(messageboxes::IdCancel);
        });
    const auto answer =
        browserDialogs().messageBox(nullptr, QStringLiteral("Brivo"), QStringLiteral("sure?"), QMessageBox::Question,
                                    QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    EXPECT_EQ(answer, QMessageBox::Cancel);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Brivo"), QStringLiteral("sure?")}));
    EXPECT_EQ(flagsSeen, unsigned(messageboxes::OKCancel | messageboxes::IconQuestion));
}
