// The editable check list: its strings adapter, in-place editing through the editor widget, and the
// two events as a user's keys and clicks raise them.
#include "mainwindow/EditCheckListViews.h"

#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class EditCheckList : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(300, 200);
        view.show();
        view.OnCheckedChange = [this](TCustomCheckListView *, QListWidgetItem *item) { checked.append(item->text()); };
        view.OnStringsChange = [this](TEditCheckListView *, QListWidgetItem *item) { captions.append(item->text()); };
        view.OnEditRefused = [this](TEditCheckListView *, int index, const QString &text, TEditRefusal why) {
            refused.append(QStringLiteral("%1:%2:%3").arg(index).arg(text).arg(int(why)));
        };
    }
    // The open editor (a closed one stays hidden until it is deleted).
    QLineEdit *editor() const
    {
        for (QLineEdit *e : view.viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Ends the open editor with the key, then lets deferred removals run.
    void finishEdit(Qt::Key key)
    {
        QLineEdit *e = editor();
        ASSERT_NE(e, nullptr) << "no editor open";
        QTest::keyClick(e, key);
        // the editor commits through a posted call, and the removal of an emptied line follows it
        for (int round = 0; round < 2; ++round)
            QCoreApplication::sendPostedEvents();
    }
    void rename(int index, const QString &text)
    {
        view.EditLine(index);
        QLineEdit *e = editor();
        ASSERT_NE(e, nullptr) << "no editor open";
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
        finishEdit(Qt::Key_Return);
    }
    TEditCheckListStrings &lines() { return *view.Strings(); }

    TEditCheckListView view;
    QStringList checked;
    QStringList captions;
    QStringList refused;
};

TEST_F(EditCheckList, InsertionDropsLinesAlreadyThereWithoutRegardToCase)
{
    view.SetStrings({"NAME", "Other", "name", "other", "Third"});
    EXPECT_EQ(lines().Lines(), QStringList({"NAME", "Other", "Third"}));
    EXPECT_EQ(lines().IndexOf("name"), 0);
    EXPECT_EQ(lines().IndexOf("third"), 2);
    EXPECT_EQ(lines().IndexOf("Nam"), -1);
    EXPECT_EQ(lines().Insert(0, "Name"), -1);
    EXPECT_EQ(lines().Insert(1, "Fourth"), 1);
    EXPECT_EQ(lines().Insert(99, "Last"), 4);
    EXPECT_EQ(lines().Lines(), QStringList({"NAME", "Fourth", "Other", "Third", "Last"}));
    // every new line's caption is reported; a new line's box is no check change
    EXPECT_EQ(captions, QStringList({"NAME", "Other", "Third", "Fourth", "Last"}));
    EXPECT_TRUE(checked.isEmpty());
}

TEST_F(EditCheckList, AnEmptyLineIsEditedAndGoesAgainWhenLeftEmpty)
{
    view.SetStrings({"One"});
    ASSERT_EQ(lines().Add(QString()), 1);
    EXPECT_EQ(view.SelectedIndex(), 1);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), QString());
    // a second empty line is not added while the first is there
    EXPECT_EQ(lines().Insert(0, QString()), -1);
    EXPECT_EQ(lines().GetCount(), 2);

    view.EditLine(1);
    QTest::keyClicks(editor(), "Two");
    finishEdit(Qt::Key_Return);
    EXPECT_EQ(lines().Lines(), QStringList({"One", "Two"}));

    lines().Add(QString());
    finishEdit(Qt::Key_Escape);
    EXPECT_EQ(lines().Lines(), QStringList({"One", "Two"}));

    rename(0, QString());
    EXPECT_EQ(lines().Lines(), QStringList({"Two"}));
}

TEST_F(EditCheckList, RenamingOntoAnotherLinesTextIsRefused)
{
    view.SetStrings({"Greeting", "Signature"});
    captions.clear();
    rename(1, "GREETING");
    EXPECT_EQ(lines().Lines(), QStringList({"Greeting", "Signature"}));
    EXPECT_EQ(refused, QStringList({"1:GREETING:0"}));
    EXPECT_TRUE(captions.isEmpty());
    // a text the owner does not allow is refused the same way
    view.TextAllowed = [](const QString &text) { return !text.contains(u'='); };
    rename(1, "a=b");
    EXPECT_EQ(refused.last(), u"1:a=b:1");
    // a change of letter case of the line itself, with blanks around it, is taken trimmed
    rename(1, "  SIGNATURE ");
    EXPECT_EQ(lines().Lines(), QStringList({"Greeting", "SIGNATURE"}));
    EXPECT_EQ(captions, QStringList({"SIGNATURE"}));
}

TEST_F(EditCheckList, DeleteKeepsTheSelectionInPlace)
{
    view.SetStrings({"A", "B", "C"});
    view.SetSelectedIndex(2);
    lines().Delete(2);
    EXPECT_EQ(view.SelectedIndex(), 1);
    view.SetSelectedIndex(0);
    lines().Delete(0);
    EXPECT_EQ(view.SelectedIndex(), 0);
    EXPECT_EQ(lines().Get(0), u"B");
    lines().Delete(0);
    EXPECT_EQ(view.SelectedIndex(), -1);
    EXPECT_EQ(lines().GetCount(), 0);
}

TEST_F(EditCheckList, MoveExchangesTextsAndMarksAndTheSelectionFollows)
{
    view.SetStrings({"First", "Second", "Third"});
    lines().SetChecked(0, true);
    view.SetSelectedIndex(0);
    checked.clear();
    captions.clear();
    lines().MoveItem(0, 1);
    EXPECT_EQ(lines().Lines(), QStringList({"Second", "First", "Third"}));
    EXPECT_FALSE(lines().GetChecked(0));
    EXPECT_TRUE(lines().GetChecked(1));
    EXPECT_EQ(view.SelectedIndex(), 1);
    EXPECT_EQ(captions.size(), 2);
    EXPECT_EQ(checked.size(), 2);
    // equal marks travel without a check event; invalid positions do nothing
    checked.clear();
    lines().MoveItem(0, 2);
    EXPECT_TRUE(checked.isEmpty());
    lines().MoveItem(2, 3);
    lines().MoveItem(-1, 0);
    EXPECT_EQ(lines().Lines(), QStringList({"Third", "First", "Second"}));
}

TEST_F(EditCheckList, OnlyAChangedMarkRaisesTheCheckEvent)
{
    view.SetStrings({"A", "B"});
    view.setFocus();
    view.SetSelectedIndex(0);
    checked.clear();
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_TRUE(lines().GetChecked(0));
    EXPECT_EQ(checked, QStringList({"A"}));
    // moving the selection with the keys or the mouse changes no mark
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.SelectedIndex(), 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualItemRect(view.item(0)).center());
    EXPECT_EQ(view.SelectedIndex(), 0);
    EXPECT_EQ(checked, QStringList({"A"}));
    lines().SetChecked(1, true);
    lines().SetChecked(1, true);
    EXPECT_EQ(checked, QStringList({"A", "B"}));
}

} // namespace
