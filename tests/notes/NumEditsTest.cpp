// The number edit: reading and normalising the text, the range, the key and paste filter with its
// beep, the step keys and buttons, the grey colour of a disabled edit and the smallest height.
#include "notes/NumEdits.h"

#include "common/SeamGuards.h"
#include "platform/Beep.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NumEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.SetMin(1);
        edit.SetMax(100);
        edit.SetNumber(1);
        edit.resize(60, 24);
    }
    int beeps = 0;
    const testsupport::SeamGuard beepGuard = testsupport::restoringPrevious(beep::setHook, [this] { ++beeps; });
    TUpDownNumEdit edit;
};

TEST_F(NumEdit, ReadingBringsTheTextIntoRangeAndWritesItBack)
{
    const struct {
        QString text;
        int number;
        QString after;
    } cases[] = {
        {"500", 100, "100"}, {"0", 1, "1"},    {"+7", 7, "7"},          {"abc", 1, "1"},
        {"", 0, ""},         {"42", 42, "42"}, {"99999999999", 1, "1"}, {"1.5", 1, "1"},
    };
    for (const auto &c : cases) {
        edit.setText(c.text);
        EXPECT_EQ(edit.Number(), c.number) << c.text.toStdString();
        EXPECT_EQ(edit.text(), c.after) << c.text.toStdString();
    }
}

TEST_F(NumEdit, EqualBoundsMeanNoRangeAndNewBoundsMoveTheText)
{
    TUpDownNumEdit free;
    free.SetNumber(-12345);
    EXPECT_EQ(free.Number(), -12345);
    free.SetNumber(7);
    free.SetMax(5);
    EXPECT_EQ(free.text(), "5");
    free.SetMin(3); // 5 is above 3: kept
    EXPECT_EQ(free.text(), "5");
    free.SetMin(6);
    EXPECT_EQ(free.text(), "6");
}

TEST_F(NumEdit, EveryChangeOfTheTextIsReportedAndAFailingHandlerDoesNotFailTheWrite)
{
    int changes = 0;
    edit.OnChange = [&](TCustomNumEdit *) {
        ++changes;
        throw std::runtime_error("handler");
    };
    edit.SetNumber(50);
    EXPECT_EQ(edit.text(), "50");
    edit.setText("500");
    EXPECT_EQ(edit.Number(), 100); // the normalisation is a change too
    EXPECT_EQ(changes, 3);
}

TEST_F(NumEdit, KeysThatCannotBePartOfANumberBeepAndAreNotTyped)
{
    edit.setFocus();
    edit.clear();
    QTest::keyClicks(&edit, "1a2");
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(beeps, 1);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(beeps, 2);
    QTest::keyClicks(&edit, "-+");
    EXPECT_EQ(edit.text(), "12-+");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12-");
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "2-");
    EXPECT_EQ(beeps, 2);

    // the decimal separator may be typed; the text then reads as the minimum
    edit.setText("3");
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, QLocale().decimalPoint());
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(edit.Number(), 1);

    edit.SetBeepOnError(false);
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(beeps, 2);
}

TEST_F(NumEdit, OnlyAWholeNumberIsPastedOnEveryPath)
{
    QClipboard *clipboard = QApplication::clipboard();
    const QString kept = clipboard->text();
    edit.setFocus();

    clipboard->setText("42");
    edit.selectAll();
    QTest::keySequence(&edit, QKeySequence::Paste);
    EXPECT_EQ(edit.text(), "42");

    clipboard->setText("4 2");
    edit.selectAll();
    QTest::keySequence(&edit, QKeySequence::Paste);
    EXPECT_EQ(edit.text(), "42");
    EXPECT_EQ(beeps, 1);
    edit.PasteFromClipboard();
    EXPECT_EQ(beeps, 2);

    // a drop of words is refused
    QMimeData words;
    words.setText("twelve");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &drop);
    EXPECT_EQ(edit.text(), "42");

    clipboard->setText(kept);
}

TEST_F(NumEdit, WithTheEditorOffOnlyStepsChangeTheNumber)
{
    edit.SetEditorEnabled(false);
    edit.SetNumber(10);
    edit.setFocus();
    edit.setCursorPosition(2);
    QTest::keyClicks(&edit, "5");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "10");
    EXPECT_EQ(beeps, 3);

    QClipboard *clipboard = QApplication::clipboard();
    const QString kept = clipboard->text();
    clipboard->setText("77");
    edit.selectAll();
    QTest::keySequence(&edit, QKeySequence::Paste);
    edit.CutToClipboard();
    EXPECT_EQ(edit.text(), "10");
    clipboard->setText(kept);

    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Number(), 11);
}

TEST_F(NumEdit, StepsStopAtTheBoundsWithoutWrapping)
{
    edit.SetNumber(99);
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Number(), 100);

    edit.SetNumber(2);
    const QRect buttons = edit.UpDown()->geometry();
    ASSERT_GT(buttons.width(), 0);
    QTest::mouseClick(edit.UpDown(), Qt::LeftButton, {}, QPoint(buttons.width() / 2, buttons.height() - 2));
    QTest::mouseClick(edit.UpDown(), Qt::LeftButton, {}, QPoint(buttons.width() / 2, buttons.height() - 2));
    EXPECT_EQ(edit.Number(), 1);
    QTest::mouseClick(edit.UpDown(), Qt::LeftButton, {}, QPoint(buttons.width() / 2, 1));
    EXPECT_EQ(edit.Number(), 2);

    edit.setReadOnly(true);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Number(), 2);
    EXPECT_EQ(beeps, 1);
}

TEST_F(NumEdit, ADisabledEditShowsTheButtonFaceAndTheWindowColourWhenEnabledAgain)
{
    const QPalette standard = QApplication::palette(&edit);
    QPalette odd = edit.palette();
    odd.setColor(QPalette::Base, Qt::magenta);
    edit.setPalette(odd);
    edit.SetEnabled(false);
    EXPECT_EQ(edit.palette().color(QPalette::Disabled, QPalette::Base), standard.color(QPalette::Button));
    EXPECT_FALSE(edit.UpDown()->isEnabled());
    edit.SetEnabled(true);
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Base), standard.color(QPalette::Base));
    EXPECT_TRUE(edit.UpDown()->isEnabled());

    edit.SetEnabled(false);
    edit.SetGrayOnDisable(false);
    EXPECT_EQ(edit.palette().color(QPalette::Disabled, QPalette::Base), standard.color(QPalette::Base));
}

TEST_F(NumEdit, TooLowAnEditGetsItsSmallestHeightBack)
{
    edit.show();
    edit.resize(60, 4);
    EXPECT_EQ(edit.height(), edit.GetMinHeight());
    EXPECT_GT(edit.GetMinHeight(), edit.fontMetrics().height());
}

} // namespace
