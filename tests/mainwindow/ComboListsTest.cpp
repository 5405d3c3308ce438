// The drop-down list: its rules without a window (text to selection, selection to text, geometry), then
// the widget: opening, every way of closing, the two synchronisations, keys and mouse, painting.
#include "mainwindow/ComboLists.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace combolist;

namespace {

const QStringList abg{"Alpha", "Beta", "Gamma"};

QList<bool> sel(std::initializer_list<bool> b)
{
    return QList<bool>(b);
}

} // namespace

TEST(ComboListRules, MultiSelectNamesSelectItemsIgnoringCase)
{
    EXPECT_EQ(selectionFromText(abg, "gamma, alpha"), sel({true, false, true}));
    EXPECT_EQ(selectionFromText(abg, "  Beta,Gamma \t"), sel({false, true, true}));
    // Names that match nothing are simply left over.
    EXPECT_EQ(selectionFromText(abg, "Beta,Nothing"), sel({false, true, false}));
    EXPECT_EQ(selectionFromText(abg, ""), sel({false, false, false}));
    EXPECT_EQ(selectionFromText({}, "Alpha"), QList<bool>());
}

TEST(ComboListRules, MultiSelectOneNameSelectsOneItemTakingTheLaterOfEqualItems)
{
    EXPECT_EQ(selectionFromText({"X", "X"}, "X"), sel({false, true}));
    EXPECT_EQ(selectionFromText({"X", "X"}, "x,X"), sel({true, true}));
    EXPECT_EQ(selectionFromText({"X", "Y", "X"}, "X"), sel({false, false, true}));
}

TEST(ComboListRules, MultiSelectPrefixFallbackUsesTheWholeUntrimmedTextCaseSensitively)
{
    const QStringList items{"Alpha", "My Engine", "Gamma", "Gammaray"};
    // Unquoted, "My Engine" is the two names My and Engine; the item beginning with the text is taken.
    EXPECT_EQ(selectionFromText(items, "My Engine"), sel({false, true, false, false}));
    EXPECT_EQ(selectionFromText(items, "\"My Engine\""), sel({false, true, false, false}));
    EXPECT_EQ(selectionFromText(items, "Gam"), sel({false, false, true, false}));
    EXPECT_EQ(selectionFromText(items, "gam"), sel({false, false, false, false}));
    // The fallback compares the untrimmed text: a trailing blank stops the match.
    EXPECT_EQ(selectionFromText(items, "Gam "), sel({false, false, false, false}));
    // An exact match anywhere suppresses the fallback.
    EXPECT_EQ(selectionFromText(items, "Gam,alpha"), sel({true, false, false, false}));
}

TEST(ComboListRules, SingleSelectExactThenTextBeginsWithItem)
{
    EXPECT_EQ(indexFromText({"abc", "ab"}, "abcd"), 0);
    EXPECT_EQ(indexFromText({"abc", "ab"}, "a"), -1);
    EXPECT_EQ(indexFromText({"abc", "ab"}, "  AB  "), 1);
    EXPECT_EQ(indexFromText({"abc", "ab"}, "ABcd"), -1);
    // An empty item is found only by an empty (trimmed) text, never as a prefix.
    EXPECT_EQ(indexFromText({"", "x"}, "xyz"), 1);
    EXPECT_EQ(indexFromText({"x", ""}, "   "), 1);
    EXPECT_EQ(indexFromText({}, "x"), -1);
    // Only characters up to U+0020 are trimmed: an ideographic space is part of the text.
    EXPECT_EQ(indexFromText({"ab"}, QString::fromUtf16(u"ab\u3000")), 0);  // by the prefix rule
    EXPECT_EQ(indexFromText({"ab\u3000"}, QString::fromUtf16(u"ab")), -1); // not equal after trimming
}

TEST(ComboListRules, SelectionToText)
{
    EXPECT_EQ(textFromSelection(abg, sel({false, true, true})), "Beta,Gamma");
    EXPECT_EQ(textFromSelection(abg, sel({false, false, false})), "");
    EXPECT_EQ(textFromSelection({"My Engine", "x"}, sel({true, true})), "\"My Engine\",x");
    // The text reads back as the same selection.
    const QStringList items{"My Engine", "a,b", "q\"q", "plain"};
    const QList<bool> chosen = sel({true, true, true, false});
    EXPECT_EQ(selectionFromText(items, textFromSelection(items, chosen)), chosen);
}

TEST(ComboListRules, ControlGeometry)
{
    EXPECT_EQ(buttonRect(QSize(145, 21), 16), QRect(127, 2, 16, 17));
    EXPECT_EQ(textRect(QSize(145, 21), 16), QRect(2, 2, 125, 17));
    EXPECT_EQ(minimumHeight(13, 16, 1, true), 13 + 3 + 4 + 1);
    EXPECT_EQ(minimumHeight(20, 16, 1, false), 20 + 4 + 4);
}

TEST(ComboListRules, DropDownRowsAndSize)
{
    const QRect control(100, 100, 145, 21);
    const QRect screen(0, 0, 1920, 1080);
    DropDownGeometry g = dropDownGeometry(20, 8, 13, 1, control, screen);
    EXPECT_EQ(g.rows, 8);
    EXPECT_EQ(g.list, QRect(1, 1, 143, 8 * 13));
    EXPECT_EQ(g.popup, QRect(100, 121, 145, 8 * 13 + 2));

    EXPECT_EQ(dropDownGeometry(3, 8, 13, 1, control, screen).rows, 3);
    EXPECT_EQ(dropDownGeometry(3, 0, 13, 1, control, screen).rows, 1);
    EXPECT_EQ(dropDownGeometry(3, -5, 13, 1, control, screen).rows, 1);
    g = dropDownGeometry(0, 8, 13, 1, control, screen);
    EXPECT_EQ(g.rows, 0);
    EXPECT_EQ(g.popup.height(), 2);
}

TEST(ComboListRules, DropDownOpensAboveNearTheBottomOfItsOwnScreen)
{
    const QRect primary(0, 0, 1920, 1080);
    const int h = 8 * 13 + 2;
    // Exactly fitting stays below; one pixel short goes above.
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(10, 1080 - h - 21, 145, 21), primary).popup.top(), 1080 - h);
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(10, 1080 - h - 20, 145, 21), primary).popup.top(), 1080 - h - 20 - h);

    // A second screen to the right: its own bottom edge counts.
    const QRect right(1920, 0, 1280, 1024);
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(2000, 1000, 145, 21), right).popup, QRect(2000, 1000 - h, 145, h));
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(2000, 500, 145, 21), right).popup, QRect(2000, 521, 145, h));

    // A second screen below the first: a control near the top of it opens below, near its bottom above.
    const QRect below(0, 1080, 1920, 1080);
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(50, 1100, 145, 21), below).popup.top(), 1121);
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(50, 2140, 145, 21), below).popup.top(), 2140 - h);

    // Past the right edge the pop-up, as wide as the control, stays under it.
    EXPECT_EQ(dropDownGeometry(8, 8, 13, 1, QRect(3150, 500, 145, 21), right).popup.left(), 3150);
}

namespace {

class ComboListWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        auto *layout = new QVBoxLayout(&window);
        combo = new TComboList(&window);
        other = new QLineEdit(&window);
        layout->addWidget(combo);
        layout->addWidget(other);
        layout->addStretch();
        combo->setItems({"Alpha", "Beta", "Gamma"});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void multi() { combo->setMultiSelect(true); }

    QPoint itemCenter(int row) const
    {
        QListWidget *list = combo->ListBox();
        return list->visualItemRect(list->item(row)).center();
    }

    QStringList selectedTexts() const
    {
        QStringList out;
        for (int i = 0; i < combo->Items().size(); ++i)
            if (combo->Selected(i))
                out << combo->Items().at(i);
        return out;
    }

    QWidget window;
    TComboList *combo = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

TEST_F(ComboListWidget, ItemsDoNotTouchTheText)
{
    combo->setText("Beta");
    combo->setItems({"One", "Two"});
    EXPECT_EQ(combo->text(), "Beta");
    EXPECT_EQ(combo->Items(), QStringList({"One", "Two"}));
}

TEST_F(ComboListWidget, MultiSelectClicksRewriteTheTextAtOnceAndCloseKeepsIt)
{
    multi();
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->setDroppedDown(true);
    ASSERT_TRUE(combo->DroppedDown());
    EXPECT_FALSE(combo->ListFollowsText());
    QWidget *vp = combo->ListBox()->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemCenter(1));
    EXPECT_EQ(combo->text(), "Beta");
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, itemCenter(2));
    EXPECT_EQ(combo->text(), "Beta,Gamma");
    // Single clicks do not close a multi-select list.
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 0);

    // Closing rewrites the text from the selection.
    combo->setText("whatever was typed");
    combo->setDroppedDown(false);
    EXPECT_EQ(combo->text(), "Beta,Gamma");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(combo->SelCount(), 2);
    EXPECT_TRUE(combo->Selected(1));
    EXPECT_TRUE(combo->Selected(2));
}

TEST_F(ComboListWidget, OpeningDerivesTheSelectionFromTheText)
{
    multi();
    combo->setText("gamma, alpha");
    combo->DropDown();
    EXPECT_EQ(selectedTexts(), QStringList({"Alpha", "Gamma"}));
    combo->CloseUp();
    EXPECT_EQ(combo->text(), "Alpha,Gamma");

    combo->setItems({"Alpha", "My Engine"});
    combo->setText("My Engine");
    combo->DropDown();
    EXPECT_EQ(selectedTexts(), QStringList({"My Engine"}));
    combo->CloseUp();
    EXPECT_EQ(combo->text(), "\"My Engine\"");
}

TEST_F(ComboListWidget, SingleSelectCloseDerivesTheListFromTheText)
{
    combo->setItems({"abc", "ab"});
    combo->setText("abcd");
    combo->DropDown();
    EXPECT_TRUE(combo->ListFollowsText());
    EXPECT_EQ(combo->ItemIndex(), 0);
    // In single-select mode the text wins at close: the list follows it, the text stays as typed.
    combo->setText("AB");
    combo->CloseUp();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->text(), "AB");
    combo->setText("a");
    combo->DropDown();
    combo->CloseUp();
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->SelCount(), 0);
}

TEST_F(ComboListWidget, SingleSelectClickPicksAndClosesOnce)
{
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->DropDown();
    QTest::mouseClick(combo->ListBox()->viewport(), Qt::LeftButton, {}, itemCenter(2));
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->text(), "Gamma");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(ComboListWidget, MultiSelectDoubleClickClosesOnce)
{
    multi();
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->DropDown();
    QTest::mouseDClick(combo->ListBox()->viewport(), Qt::LeftButton, {}, itemCenter(0));
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(combo->text(), "Alpha");
}

TEST_F(ComboListWidget, EnterAndEscCloseOnce)
{
    multi();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QSignalSpy closed(combo, &TComboList::OnDropUp);
        combo->DropDown();
        ASSERT_TRUE(combo->DroppedDown());
        QTest::keyClick(combo->ListBox(), key);
        EXPECT_FALSE(combo->DroppedDown()) << key;
        EXPECT_FALSE(combo->DropDownForm()->isVisible());
        EXPECT_EQ(closed.count(), 1) << key;
    }
}

TEST_F(ComboListWidget, PopupClosedFromOutsideClosesOnce)
{
    multi();
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->DropDown();
    QTest::mouseClick(combo->ListBox()->viewport(), Qt::LeftButton, {}, itemCenter(1));
    // What the toolkit does when the user presses elsewhere or the program loses activation.
    combo->DropDownForm()->close();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(combo->text(), "Beta");

    // A real press on another part of the window, away from the pop-up.
    combo->DropDown();
    ASSERT_TRUE(combo->DroppedDown());
    const QPoint elsewhere(window.width() - 5, window.height() - 5);
    ASSERT_FALSE(combo->DropDownForm()->geometry().contains(window.mapToGlobal(elsewhere)));
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, elsewhere);
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, elsewhere);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 2);
}

TEST_F(ComboListWidget, DisablingClosesOnceAndDisablingAClosedListRaisesNothing)
{
    multi();
    combo->setText("Beta");
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->DropDown();
    combo->setEnabled(false);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 1);
    combo->setEnabled(true);

    // Text typed into the closed control survives being disabled.
    combo->setText("typed, not yet synced");
    combo->setEnabled(false);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(combo->text(), "typed, not yet synced");
}

TEST_F(ComboListWidget, CloseUpTwiceAndDroppedDownFalseRaiseTheEventOnce)
{
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    combo->setDroppedDown(false);
    EXPECT_EQ(closed.count(), 0);
    combo->setDroppedDown(true);
    combo->setDroppedDown(true);
    combo->setDroppedDown(false);
    combo->CloseUp();
    combo->setDroppedDown(false);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(ComboListWidget, VetoKeepsTheListClosedAndTheTextUntouched)
{
    other->setFocus();
    combo->setText("Beta,Gamma");
    combo->setSelection(0, 4);
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    int asked = 0;
    QObject::connect(combo, &TComboList::OnDropDown, combo, [&](bool *enabled) {
        ++asked;
        *enabled = false;
    });
    combo->setDroppedDown(true);
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->ButtonRect().center());
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->GetClientRect().center());
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(combo->DropDownForm()->isVisible());
    EXPECT_EQ(combo->text(), "Beta,Gamma");
    EXPECT_EQ(combo->selectedText(), "Beta");
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(combo->Pressed());
}

TEST_F(ComboListWidget, OpeningFocusesAndPutsTheCaretAtTheEnd)
{
    combo->setText("Alpha");
    combo->setSelection(0, 2);
    other->setFocus();
    combo->DropDown();
    EXPECT_EQ(combo->cursorPosition(), 5);
    EXPECT_FALSE(combo->hasSelectedText());
    combo->CloseUp();
}

TEST_F(ComboListWidget, ArrowPressIsTrackedUntilReleaseAndTheReleaseReachesNoItem)
{
    const QPoint button = combo->ButtonRect().center();
    QTest::mousePress(combo, Qt::LeftButton, {}, button);
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_TRUE(combo->Pressed());
    EXPECT_TRUE(combo->MouseInButton());

    QTest::mouseMove(combo, combo->GetClientRect().center());
    EXPECT_TRUE(combo->Pressed());
    EXPECT_FALSE(combo->MouseInButton());
    QTest::mouseMove(combo, button);
    EXPECT_TRUE(combo->MouseInButton());

    // Released over an item of the open single-select list: the press ends, nothing is picked.
    QListWidget *list = combo->ListBox();
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, itemCenter(1));
    EXPECT_FALSE(combo->Pressed());
    EXPECT_FALSE(combo->MouseInButton());
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), -1);

    // After the press ends the list takes clicks again.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, itemCenter(1));
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->text(), "Beta");
}

TEST_F(ComboListWidget, PressingTheControlWhileTheListIsOpenKeepsItOpen)
{
    multi();
    QSignalSpy closed(combo, &TComboList::OnDropUp);
    for (const QPoint at : {combo->ButtonRect().center(), combo->GetClientRect().center()}) {
        SCOPED_TRACE(at.x());
        combo->DropDown();
        ASSERT_TRUE(combo->DroppedDown());
        // a real press, which the open pop-up sees first
        const QPoint inWindow = combo->mapTo(&window, at);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, inWindow);
        EXPECT_TRUE(combo->DroppedDown());
        EXPECT_EQ(combo->Pressed(), at == combo->ButtonRect().center()) << "only the arrow is held";
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, inWindow);
        EXPECT_TRUE(combo->DroppedDown());
        EXPECT_FALSE(combo->Pressed());
        EXPECT_EQ(closed.count(), 0);
    }
    // the list still takes its clicks, and a press elsewhere still closes it
    QTest::mouseClick(combo->ListBox()->viewport(), Qt::LeftButton, {}, itemCenter(2));
    EXPECT_EQ(combo->text(), "Gamma");
    const QPoint elsewhere(window.width() - 5, window.height() - 5);
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, elsewhere);
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, elsewhere);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(ComboListWidget, PressOnTheTextAreaOpensWithoutTracking)
{
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->GetClientRect().center());
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_FALSE(combo->Pressed());
    combo->CloseUp();
}

TEST_F(ComboListWidget, CharactersTypedIntoTheOpenListGoToTheTextAndThenToTheList)
{
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(0); // each key is a fresh type-ahead search
    multi();
    combo->DropDown();
    QListWidget *list = combo->ListBox();
    // Each character is typed at the end of the text, the selection follows the text, and the text is
    // rewritten from the selection; then the list sees the key. The prefix rule is case-sensitive, so
    // "g" names nothing and the text empties, while the list's type-ahead picks Gamma.
    QTest::keyClicks(list, "g");
    EXPECT_EQ(combo->text(), "");
    EXPECT_TRUE(combo->Selected(2));
    // Backspace leaves the empty text as it is; the text is rewritten from the selection.
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(combo->text(), "Gamma");
    QTest::keyClicks(list, ",");
    EXPECT_EQ(combo->text(), "Gamma");
    // A tab is no character for the text.
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_EQ(combo->text(), "Gamma");
    EXPECT_TRUE(combo->DroppedDown());
    QTest::qWait(5);
    QTest::keyClicks(list, "B");
    EXPECT_EQ(combo->text(), "");
    EXPECT_TRUE(combo->Selected(1));
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->text(), "Beta");
    QApplication::setKeyboardInputInterval(interval);

    // Typed "G" with nothing before it names Gamma by the prefix rule.
    combo->setText(QString());
    combo->DropDown();
    QTest::keyClicks(list, "G");
    EXPECT_EQ(combo->text(), "Gamma");
    combo->CloseUp();
}

TEST_F(ComboListWidget, ItemIndexWritesTheTextThenSyncs)
{
    combo->setItemIndex(1);
    EXPECT_EQ(combo->text(), "Beta");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_TRUE(combo->Selected(1));
    // Out of range: the text stays and the synchronisation keeps the selection it names.
    combo->setItemIndex(9);
    EXPECT_EQ(combo->text(), "Beta");
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->setItemIndex(-1);
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(ComboListWidget, SwitchingToMultiSelectReselectsAndRewritesTheText)
{
    combo->setText("gamma, alpha");
    combo->setMultiSelect(true);
    EXPECT_TRUE(combo->MultiSelect());
    EXPECT_FALSE(combo->ListFollowsText());
    EXPECT_EQ(combo->text(), "Alpha,Gamma");
    EXPECT_EQ(combo->SelCount(), 2);

    combo->setMultiSelect(false);
    EXPECT_TRUE(combo->ListFollowsText());
    // "Alpha,Gamma" equals no item; Alpha is the first item the text begins with.
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->text(), "Alpha");
    EXPECT_EQ(combo->SelCount(), 1);
}

TEST_F(ComboListWidget, EmptyListOpensAFrameOnlyAndCloseEmptiesTheMultiSelectText)
{
    combo->setItems({});
    multi();
    combo->setText("Alpha");
    combo->DropDown();
    EXPECT_EQ(combo->DropDownForm()->height(), 2);
    EXPECT_EQ(combo->DropDownForm()->width(), combo->width());
    combo->CloseUp();
    EXPECT_TRUE(combo->text().isEmpty());
}

TEST_F(ComboListWidget, PopupSizeFollowsRowsAndFont)
{
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << QString("Engine %1").arg(i);
    combo->setItems(many);
    combo->DropDownCount = 5;
    combo->DropDown();
    EXPECT_EQ(combo->ItemHeight(), combo->MinimumHeight() - 8);
    EXPECT_EQ(combo->DropDownForm()->height(), 5 * combo->ItemHeight() + 2);
    EXPECT_EQ(combo->DropDownForm()->pos(), combo->mapToGlobal(QPoint(0, combo->height())));
    combo->setTopIndex(10);
    EXPECT_EQ(combo->TopIndex(), 10);
    combo->CloseUp();

    QFont big = combo->font();
    big.setPointSize(28);
    combo->setFont(big);
    EXPECT_GE(combo->height(), combo->MinimumHeight());
    EXPECT_EQ(combo->ItemHeight(), combo->MinimumHeight() - 6);
}

TEST_F(ComboListWidget, PaintsTextOnHighlightOnlyWithTheFocus)
{
    combo->setText("Beta");
    other->setFocus();
    QApplication::processEvents();
    const QPoint probe = combo->GetClientRect().bottomRight() - QPoint(3, 3);
    QImage unfocused = combo->grab().toImage();
    EXPECT_EQ(unfocused.pixelColor(probe), combo->palette().color(QPalette::Base));

    combo->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(combo->hasFocus());
    QImage focused = combo->grab().toImage();
    EXPECT_EQ(focused.pixelColor(probe), combo->palette().color(QPalette::Highlight));
    // The sunken frame's outer top-left line is darker than the face.
    EXPECT_NE(focused.pixelColor(0, 5), combo->palette().color(QPalette::Base));
}
