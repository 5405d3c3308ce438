// Message boxes as the user sees them: a short text does not cut the caption in the title bar.
#include "platform/MessageBoxes.h"

#include "platform/DialogRunner.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <gtest/gtest.h>

TEST(MessageBoxesTest, AShortTextLeavesTheCaptionRoomInTheTitleBar)
{
    const QString caption = QStringLiteral("Brivo Compact - a caption of some length");
    int width = 0;
    int captionWidth = 0;
    int answer = 0;
    {
        const dialogrunner::ScopedRunner runner([&](QDialog &dialog) {
            dialog.show();
            width = dialog.width();
            QFont bold = dialog.font();
            bold.setBold(true);
            captionWidth = QFontMetrics(bold).horizontalAdvance(dialog.windowTitle());
            dialog.hide();
            return int(QMessageBox::Ok);
        });
        answer = messageboxes::show(nullptr, QStringLiteral("OK?"), caption,
                                    messageboxes::OK | messageboxes::IconExclamation);
    }
    EXPECT_EQ(answer, messageboxes::IdOK);
    ASSERT_GT(captionWidth, 0);
    // the title bar also holds the window's icon and its buttons
    EXPECT_GE(width, captionWidth + 100) << "box " << width << " px for a caption of " << captionWidth << " px";
}
