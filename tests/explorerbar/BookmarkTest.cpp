// The bookmark dialog: its address rule, its keys and its language texts in every table.
#include "explorerbar/Bookmark.h"

#include "settings/BrivoInisCompact.h"
#include "settings/MemInis.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(BookmarkDialog, AnEmptyAddressReadsAsAboutBlank)
{
    TfrmBookmark dialog;
    EXPECT_EQ(dialog.Url(), u"about:blank");
    dialog.SetUrl(QStringLiteral("http://example.org/"));
    dialog.SetTitle(QStringLiteral("Example"));
    EXPECT_EQ(dialog.Url(), u"http://example.org/");
    EXPECT_EQ(dialog.EditAddress->text(), u"http://example.org/");
    EXPECT_EQ(dialog.Title(), u"Example");
    dialog.EditAddress->clear();
    EXPECT_EQ(dialog.Url(), u"about:blank");
}

TEST(BookmarkDialog, EnterDoesNotCloseEscCancelsOkAccepts)
{
    TfrmBookmark dialog;
    EXPECT_EQ(dialog.EditTitle->nextInFocusChain(), dialog.EditAddress);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(dialog.EditTitle, Qt::Key_Return);
    QTest::keyClick(dialog.EditAddress, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.EditTitle, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    TfrmBookmark second;
    QTimer::singleShot(0, &second, [&second] { QTest::mouseClick(second.btbtnOK, Qt::LeftButton); });
    EXPECT_EQ(second.exec(), QDialog::Accepted);
    TfrmBookmark third;
    QTimer::singleShot(0, &third, [&third] { QTest::mouseClick(third.btbtnCancel, Qt::LeftButton); });
    EXPECT_EQ(third.exec(), QDialog::Rejected);
}

TEST(BookmarkDialog, AppliesItsSectionOfEveryTable)
{
    TMemIni english(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
    TfrmBookmark dialog;
    dialog.ApplyLanguage(english);
    EXPECT_EQ(dialog.windowTitle(), u"BRIVO Propertys");
    EXPECT_EQ(dialog.lblTitle->text(), u"Title:");
    EXPECT_EQ(dialog.lblAddress->text(), u"Address:");
    EXPECT_EQ(dialog.btbtnOK->text(), u"OK");
    EXPECT_EQ(dialog.btbtnCancel->text(), u"Cancel");
    // the table names a Windows face in 8 points; where that face is missing, the application's own
    // face stands in
    EXPECT_EQ(dialog.font().pointSize(), 8);
    const QString windowsFace = QStringLiteral("MS Sans Serif");
    EXPECT_EQ(dialog.font().family(),
              QFontDatabase::families().contains(windowsFace) ? windowsFace : QApplication::font().family());
    EXPECT_FALSE(QFontInfo(dialog.font()).family().contains("CJK"));

    for (const char *table : {"JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        TMemIni ini(QString::fromLatin1(table), QStringLiteral("INI"));
        TfrmBookmark d;
        d.ApplyLanguage(ini);
        EXPECT_TRUE(ini.SectionExists(QStringLiteral("Bookmark"))) << table;
        EXPECT_FALSE(d.windowTitle().isEmpty()) << table;
        EXPECT_FALSE(d.lblTitle->text().isEmpty()) << table;
        EXPECT_FALSE(d.lblAddress->text().isEmpty()) << table;
        EXPECT_NE(d.lblTitle->text(), u"Title:") << table;
        // the table names a face this system lacks: the face for the table's character set takes its place
        EXPECT_TRUE(QFontInfo(d.font()).family().startsWith("Noto Sans CJK"))
            << table << ": " << QFontInfo(d.font()).family().toStdString();
    }
}

TEST(BookmarkDialog, ATableWithoutTheSectionEmptiesCaptionsButKeepsTheFont)
{
    TMemIni table;
    table.SetStrings({"[Font]", "Name=Test Sans", "Size=13"});
    TfrmBookmark dialog;
    dialog.ApplyLanguage(table);
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_TRUE(dialog.lblTitle->text().isEmpty());
    EXPECT_TRUE(dialog.lblAddress->text().isEmpty());
    EXPECT_TRUE(dialog.btbtnOK->text().isEmpty());
    // no face of that name: the application's stands in, in the table's size
    EXPECT_EQ(dialog.font().family(), QApplication::font().family());
    EXPECT_EQ(dialog.font().pointSize(), 13);

    TMemIni empty;
    const QFont before = dialog.font();
    dialog.ApplyLanguage(empty);
    EXPECT_EQ(dialog.font(), before);
}

TEST(BookmarkDialog, AnInstalledFaceIsKeptAndAMissingOneTakesTheFaceOfItsCharacterSet)
{
    QString installed;
    for (const QString &family : QFontDatabase::families()) {
        if (family != QApplication::font().family() && !family.contains(u'['))
            installed = family;
    }
    ASSERT_FALSE(installed.isEmpty()) << "no face beside the application's is installed";
    const struct {
        QString name;
        int charset;
        QString family;
    } cases[] = {
        {installed, 0, installed},
        {installed, 128, installed},
        {QStringLiteral("No Such Face"), 128, QStringLiteral("Noto Sans CJK JP")},
        {QStringLiteral("No Such Face"), 134, QStringLiteral("Noto Sans CJK SC")},
        {QStringLiteral("No Such Face"), 136, QStringLiteral("Noto Sans CJK TC")},
        {QStringLiteral("No Such Face"), 129, QStringLiteral("Noto Sans CJK KR")},
        {QStringLiteral("No Such Face"), 0, QApplication::font().family()},
    };
    for (const auto &c : cases) {
        TMemIni table;
        table.SetStrings({"[Font]", "Name=" + c.name, "Charset=" + QString::number(c.charset), "Size=11"});
        TfrmBookmark dialog;
        dialog.ApplyLanguage(table);
        EXPECT_EQ(dialog.font().family(), c.family) << c.name.toStdString() << " " << c.charset;
        EXPECT_EQ(dialog.font().pointSize(), 11);
    }
}

TEST(BookmarkDialog, AnchorsFollowTheRightEdge)
{
    TfrmBookmark dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(dialog.width() + 100, dialog.height());
    QTest::qWait(10);
    EXPECT_EQ(dialog.EditTitle->width(), 413);
    EXPECT_EQ(dialog.btbtnCancel->x(), 428);
    EXPECT_EQ(dialog.lblTitle->x(), 0);
    if (const char *shots = getenv("BRIVO_SCREENSHOTS")) {
        TMemIni english(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
        dialog.ApplyLanguage(english);
        dialog.SetTitle(QStringLiteral("Example Domain"));
        dialog.SetUrl(QStringLiteral("https://example.org/"));
        dialog.resize(426, 143);
        dialog.grab().save(QDir(QString::fromLocal8Bit(shots)).filePath(QStringLiteral("bookmark-dialog.png")));
    }
}
