// The tool-button dialog driven through its buttons over a template like the main window's: the two
// lists, the layout string and the apply pattern on the settings file.
#include "mainwindow/CustomizeToolButtons.h"

#include "common/TestSupport.h"
#include "settings/BrivoInisCompact.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::readBytes;

namespace {

// 23 template buttons; positions 2, 8, 12, 14, 17 and 19 are separators; image index = 100 + id.
QList<TToolButtonData> templates()
{
    QList<TToolButtonData> list;
    for (int id = 0; id < 23; ++id) {
        TToolButtonData b;
        if (QList<int>{2, 8, 12, 14, 17, 19}.contains(id)) {
            b.Separator = true;
        } else {
            b.Caption = QStringLiteral("Button %1").arg(id);
            b.ImageIndex = 100 + id;
        }
        list.append(b);
    }
    return list;
}

// The buttons a bar built from the layout shows.
QList<TToolButtonData> bar(const QList<int> &layout)
{
    const QList<TToolButtonData> t = templates();
    QList<TToolButtonData> list;
    for (int id : layout) {
        TToolButtonData b;
        b.Separator = id < 0;
        if (id >= 0)
            b = t.at(id);
        list.append(b);
    }
    return list;
}

QList<int> ids(const QListWidget *list)
{
    QList<int> out;
    for (int i = 0; i < list->count(); ++i)
        out.append(TfrmCustomizeToolButtons::ItemId(list->item(i)));
    return out;
}

class CustomizeToolButtonsTest : public ::testing::Test {
protected:
    void open(const QList<int> &layout, const QList<TToolButtonData> &backup = templates())
    {
        dialog = std::make_unique<TfrmCustomizeToolButtons>(nullptr);
        TMemIni english(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
        dialog->ApplyLanguage(english);
        dialog->FBackupToolBar = backup;
        dialog->FToolBar = bar(layout);
        dialog->SetToolBarIcon(0);
        dialog->SetToolBarText(2);
        dialog->OnApply = [this](QDialog *) {
            ++applies;
            ini->SetToolButtons(dialog->ToolButtons());
            ini->SetToolbarIcon(dialog->ToolBarIcon());
            ini->SetToolbarText(dialog->ToolBarText());
        };
        dialog->show();
        dialog->UpdateActions();
    }
    void selectShown(int row)
    {
        dialog->lstShow->setCurrentRow(row);
        dialog->UpdateActions();
    }
    void selectHidden(int row)
    {
        dialog->lstHide->setCurrentRow(row);
        dialog->UpdateActions();
    }
    void click(QPushButton *b)
    {
        QTest::mouseClick(b, Qt::LeftButton);
        dialog->UpdateActions();
    }

    QTemporaryDir dir;
    std::unique_ptr<TBrivoIni> ini = std::make_unique<TBrivoIni>(dir.path() + "/brivo.ini");
    std::unique_ptr<TfrmCustomizeToolButtons> dialog;
    int applies = 0;
};

TEST_F(CustomizeToolButtonsTest, ShowingSplitsTheButtonsBetweenTheLists)
{
    open({0, 1, -1, 9, 3});
    EXPECT_EQ(ids(dialog->lstShow), QList<int>({0, 1, -1, 9, 3, -1}));
    EXPECT_EQ(ids(dialog->lstHide), QList<int>({-1, 4, 5, 6, 7, 10, 11, 13, 15, 16, 18, 20, 21, 22}));
    EXPECT_EQ(dialog->lstHide->item(0)->text(), TfrmCustomizeToolButtons::SeparatorText());
    EXPECT_FALSE(dialog->SeparatorText().isEmpty());
    EXPECT_EQ(dialog->lstShow->item(3)->text(), u"Button 9");
    EXPECT_EQ(dialog->ToolButtons(), u"0;1;-1;9;3");
    EXPECT_EQ(dialog->lstShow->currentRow(), 0);
    EXPECT_EQ(dialog->lstHide->currentRow(), 0);

    // OK right away applies nothing
    const QByteArray before = readBytes(ini->FileName);
    click(dialog->bbOk);
    EXPECT_EQ(applies, 0);
    EXPECT_EQ(readBytes(ini->FileName), before);
}

TEST_F(CustomizeToolButtonsTest, ResetShowsTheWholeTemplateAndOkStoresIt)
{
    open({5});
    click(dialog->bbReset);
    EXPECT_EQ(ids(dialog->lstHide), QList<int>({-1}));
    EXPECT_EQ(dialog->ToolButtons(), u"0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;16;-1;18;-1;20;21;22");
    EXPECT_TRUE(dialog->actApply->isEnabled());
    click(dialog->bbOk);
    EXPECT_EQ(applies, 1);
    EXPECT_EQ(ini->ToolButtons, u"0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;16;-1;18;-1;20;21;22");
    EXPECT_TRUE(readBytes(ini->FileName).contains("ToolButtons=0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;16;-1;18;"));
    EXPECT_TRUE(readBytes(ini->FileName).contains("ToolbarText=2"));
}

TEST_F(CustomizeToolButtonsTest, ARemovedButtonGoesBackInIdOrder)
{
    open({7, 3, 5, 0});
    for (int id : {3, 7, 5}) {
        const int row = ids(dialog->lstShow).indexOf(id);
        selectShown(row);
        ASSERT_TRUE(dialog->actDelete->isEnabled()) << id;
        click(dialog->bbDelete);
        EXPECT_EQ(TfrmCustomizeToolButtons::ItemId(dialog->lstHide->currentItem()), id);
        EXPECT_EQ(dialog->lstShow->currentRow(), std::min(row, dialog->lstShow->count() - 1));
    }
    const QList<int> hidden = ids(dialog->lstHide);
    EXPECT_EQ(hidden.mid(0, 6), QList<int>({-1, 1, 3, 4, 5, 6}));
    EXPECT_EQ(hidden.at(6), 7);
    // the last button goes too: only the end marker is left and the layout is empty
    selectShown(0);
    click(dialog->bbDelete);
    EXPECT_EQ(dialog->lstShow->count(), 1);
    EXPECT_EQ(dialog->ToolButtons(), QString());
    EXPECT_FALSE(dialog->actDelete->isEnabled());
}

TEST_F(CustomizeToolButtonsTest, InsertingPlacesBeforeTheSelectionAndSeparatorsRepeat)
{
    open({0});
    selectHidden(0);
    selectShown(0);
    click(dialog->bbAdd);
    click(dialog->bbAdd);
    EXPECT_EQ(dialog->ToolButtons(), u"-1;-1;0");
    EXPECT_EQ(ids(dialog->lstHide).first(), -1);
    // a button moves out of the hidden list; the end marker appends at the end
    selectHidden(2);
    const int id = TfrmCustomizeToolButtons::ItemId(dialog->lstHide->item(2));
    selectShown(dialog->lstShow->count() - 1);
    click(dialog->bbAdd);
    EXPECT_EQ(dialog->ToolButtons(), QStringLiteral("-1;-1;0;%1").arg(id));
    EXPECT_FALSE(ids(dialog->lstHide).contains(id));
    EXPECT_EQ(dialog->lstHide->currentRow(), 2);
    EXPECT_EQ(dialog->lstShow->currentRow(), 3);
    // with the last hidden item chosen, the one before it is selected afterwards
    const int last = dialog->lstHide->count() - 1;
    selectHidden(last);
    click(dialog->bbAdd);
    EXPECT_EQ(dialog->lstHide->currentRow(), last - 1);
}

TEST_F(CustomizeToolButtonsTest, UpAndDownStopAtTheEndsAndAtTheEndMarker)
{
    open({0, 1, 3});
    selectShown(0);
    EXPECT_FALSE(dialog->actUp->isEnabled());
    EXPECT_TRUE(dialog->actDown->isEnabled());
    click(dialog->bbDown);
    EXPECT_EQ(dialog->ToolButtons(), u"1;0;3");
    EXPECT_EQ(dialog->lstShow->currentRow(), 1);
    click(dialog->bbDown);
    EXPECT_EQ(dialog->ToolButtons(), u"1;3;0");
    EXPECT_FALSE(dialog->actDown->isEnabled());
    EXPECT_TRUE(dialog->actUp->isEnabled());
    selectShown(3); // the end marker
    EXPECT_FALSE(dialog->actUp->isEnabled());
    EXPECT_FALSE(dialog->actDown->isEnabled());
    EXPECT_FALSE(dialog->actDelete->isEnabled());
    selectShown(2);
    click(dialog->bbUp);
    click(dialog->bbUp);
    EXPECT_EQ(dialog->ToolButtons(), u"0;1;3");
    EXPECT_EQ(dialog->lstShow->currentRow(), 0);
}

TEST_F(CustomizeToolButtonsTest, HiddenActionsRepeatedButtonsAndOutOfRangeChoices)
{
    QList<TToolButtonData> backup = templates();
    backup[4].ActionVisible = false;
    backup[5].HasAction = false;
    open({0, 4, 0, 1}, backup);
    // an invisible button shows nowhere; a second copy of a button is left out, not made a separator
    EXPECT_EQ(dialog->ToolButtons(), u"0;1");
    EXPECT_FALSE(ids(dialog->lstHide).contains(4));
    EXPECT_FALSE(ids(dialog->lstHide).contains(5));
    click(dialog->bbReset);
    EXPECT_FALSE(dialog->ToolButtons().split(u';').contains(u"4"));

    dialog->SetToolBarIcon(2);
    dialog->SetToolBarText(-3);
    EXPECT_EQ(dialog->ToolBarIcon(), -1);
    EXPECT_EQ(dialog->ToolBarText(), -1);
    // a user's choice in a drop-down list is a change
    open({0});
    ASSERT_FALSE(dialog->actApply->isEnabled());
    dialog->cmbIcon->setCurrentIndex(1);
    emit dialog->cmbIcon->activated(1);
    EXPECT_TRUE(dialog->actApply->isEnabled());
    click(dialog->Button1);
    EXPECT_EQ(ini->ToolbarIcon, 1);
    EXPECT_EQ(ini->ToolbarText, 2);
}

TEST(CustomizeToolButtonsLanguage, EveryTableFillsTheChoices)
{
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        TfrmCustomizeToolButtons dialog(nullptr);
        dialog.ApplyLanguage(table);
        EXPECT_FALSE(dialog.windowTitle().isEmpty()) << name;
        EXPECT_FALSE(TfrmCustomizeToolButtons::SeparatorText().isEmpty()) << name;
        EXPECT_EQ(dialog.cmbIcon->count(), 2) << name;
        EXPECT_EQ(dialog.cmbText->count(), 3) << name;
        EXPECT_EQ(dialog.ToolBarText(), -1) << name;
        EXPECT_FALSE(dialog.bbReset->text().isEmpty()) << name;
        EXPECT_FALSE(dialog.lblButtonShow->text().isEmpty()) << name;
    }
}

} // namespace
