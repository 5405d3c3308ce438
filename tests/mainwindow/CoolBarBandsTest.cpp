// The search band's keyword box as a user meets it: the table's word is replaced by what is typed, and
// Enter searches.
#include "mainwindow/CoolBarBands.h"

#include "common/TestSupport.h"
#include "mainwindow/AlignComboBoxs.h"
#include "settings/MemInis.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using testsupport::waitUntil;

TEST(SearchBandTest, TypingReplacesTheTablesWordAndEnterSearches)
{
    TMemIni table(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
    QWidget window;
    auto *band = new SearchBand(&window);
    band->ApplyLanguage(table);
    ASSERT_EQ(band->cmbKeyWords->currentText(), "Keywords");
    QSignalSpy searches(band->tlbtnSearch, &QToolButton::clicked);
    window.show();
    QApplication::setActiveWindow(&window);

    QLineEdit *edit = band->cmbKeyWords->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return edit->hasFocus() && edit->hasSelectedText(); }))
        << "the click did not leave the word selected; focus " << edit->hasFocus();
    QTest::keyClicks(edit, "brivo");
    EXPECT_EQ(band->cmbKeyWords->currentText(), "brivo");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(searches.count(), 1) << "Enter in the keyword box did not search";
    QTest::keyClick(band->cmbKeyWords, Qt::Key_Enter);
    EXPECT_EQ(searches.count(), 2) << "one search per Enter";

    // a keyword of the user's own is kept as it is when the box takes the focus again
    band->tlbtnSearch->setFocus();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return edit->hasFocus(); })) << "the box never took the focus";
    QCoreApplication::processEvents(); // a selection would be made at the next turn of the loop
    EXPECT_FALSE(edit->hasSelectedText());
    QTest::keyClicks(edit, "2");
    EXPECT_EQ(band->cmbKeyWords->currentText(), "brivo2");
}
