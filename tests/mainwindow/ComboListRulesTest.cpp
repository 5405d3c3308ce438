// The drop-down list's rules without a window: text to selection, selection to text, geometry.
#include "mainwindow/ComboLists.h"

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
