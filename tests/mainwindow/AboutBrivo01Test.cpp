// The About box over version blocks written into a temporary folder and the real language tables.
#include "mainwindow/AboutBrivo01.h"

#include "common/TestSupport.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/FileVersions.h"
#include "settings/MemInis.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using testsupport::writeBytes;

namespace {

void u16(QByteArray &b, qsizetype v)
{
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
}

// A program file carrying a version block with these string values in block "041103A4".
QByteArray programWith(const QList<std::pair<QByteArray, QByteArray>> &strings)
{
    QByteArray b("\x7F"
                 "BRIVO-VERSION"
                 "\x01\x1A",
                 16);
    u16(b, strings.size() + 1);
    const QByteArray translation = "\\VarFileInfo\\Translation";
    u16(b, translation.size());
    b += translation;
    u16(b, 4);
    b += QByteArray("\x11\x04\xA4\x03", 4);
    for (const auto &[key, value] : strings) {
        const QByteArray path = "\\StringFileInfo\\041103A4\\" + key;
        u16(b, path.size());
        b += path;
        u16(b, value.size());
        b += value;
    }
    return QByteArray(64, '\x90') + b +
           "\x1A"
           "END" +
           QByteArray(64, '\0');
}

class AboutBox : public ::testing::Test {
protected:
    QString program()
    {
        const QString path = dir.path() + "/brivo";
        writeBytes(path, programWith({{"CompanyName", "Example Maker"},
                                      {"FileVersion", "2.1.6.2"},
                                      {"LegalCopyright", "Copyright (C) Example Maker"},
                                      {"Homepage", "https://maker.example/"}}));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(AboutBox, ShowsTheVersionBlockOfTheProgramButNeverItsCompany)
{
    TfrmAbout box(nullptr, program());
    EXPECT_TRUE(box.FileVersion->Valid());
    EXPECT_EQ(box.lblVersion->text(), u" Version 2.1.6.2");
    EXPECT_EQ(box.lblCopyright->text(), u"Copyright (C) Example Maker");
    EXPECT_EQ(box.lblHomepage->text(), u"https://maker.example/");
    EXPECT_EQ(box.lblCompany->text(), QString());
    EXPECT_EQ(box.lblProduct->text(), u"Brivo Compact");
}

TEST_F(AboutBox, AProgramWithoutVersionBlockShowsTheBareVersionWord)
{
    TfrmAbout box(nullptr, dir.path() + "/missing");
    EXPECT_FALSE(box.FileVersion->Valid());
    EXPECT_EQ(box.lblVersion->text(), u" Version ");
    EXPECT_EQ(box.lblCopyright->text(), QString());
    EXPECT_EQ(box.lblHomepage->text(), QString());
    // the test program has no block of its own, and the box reads the running program by default
    TfrmAbout own(nullptr);
    EXPECT_EQ(own.FileVersion->FileName(), QCoreApplication::applicationFilePath());
    EXPECT_EQ(own.lblVersion->text(), u" Version ");
}

TEST(AboutProgram, TheBuiltProgramCarriesItsVersionBlock)
{
    const QString brivo = QCoreApplication::applicationDirPath() + "/../bin/brivo";
    if (!QFileInfo::exists(brivo))
        GTEST_SKIP() << "the program is not built beside the tests";
    TfrmAbout box(nullptr, brivo);
    ASSERT_TRUE(box.FileVersion->Valid());
    EXPECT_EQ(box.FileVersion->Translation(), u"041103A4");
    EXPECT_EQ(box.FileVersion->ProductName(), u"Brivo Compact");
    EXPECT_EQ(box.lblVersion->text(), u" Version 2.1.6.2");
    EXPECT_EQ(box.FileVersion->FileVersion(), u"2.1.6.2");
    EXPECT_EQ(box.FileVersion->ProductVersion(), u"2.1.6.2");
    EXPECT_EQ(box.lblHomepage->text(), SHomePageUrl);
    EXPECT_FALSE(box.lblCopyright->text().isEmpty());
    // the user-agent token of every language names the version the program carries
    for (const TLanguage language : {TLanguage::English, TLanguage::JapaneseKanji, TLanguage::JapaneseHiragana,
                                     TLanguage::SimplifiedChinese, TLanguage::TraditionalChinese}) {
        const TMemIni table(LanguageNames.at(int(language)), "INI");
        EXPECT_TRUE(
            table.ReadString("Brivo", "CompactBrivoUserAgent", "").endsWith(u'/' + box.FileVersion->FileVersion()))
            << LanguageNames.at(int(language)).toStdString();
    }
}

TEST_F(AboutBox, LanguageTablesSetTitleButtonAndTheFormFontOnly)
{
    const QList<std::pair<const char *, QString>> tables = {{"ENGLISH", "OK"},
                                                            {"JAPANESEKANJI", "OK"},
                                                            {"JAPANESEHIRAGANA", "OK"},
                                                            {"SIMPLIFIEDCHINESE", QString::fromUtf8("确定")},
                                                            {"TRADITIONALCHINESE", QString::fromUtf8("確定")}};
    for (const auto &[name, ok] : tables) {
        TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        TfrmAbout box(nullptr, program());
        box.ApplyLanguage(table);
        EXPECT_FALSE(box.windowTitle().isEmpty()) << name;
        EXPECT_EQ(box.btbtnOK->text(), ok) << name;
    }
    // both Japanese tables title the box alike
    TfrmAbout box(nullptr, program());
    for (const char *japanese : {"JAPANESEKANJI", "JAPANESEHIRAGANA"}) {
        TMemIni table(QString::fromLatin1(japanese), QStringLiteral("INI"));
        box.ApplyLanguage(table);
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8("バージョン情報")) << japanese;
    }

    TMemIni big;
    big.SetStrings({"[Font]", "Size=20"});
    const QFont versionFont = box.lblVersion->font();
    box.ApplyLanguage(big);
    EXPECT_EQ(box.btbtnOK->font().pointSize(), 20);
    EXPECT_EQ(box.lblVersion->font(), versionFont);
    EXPECT_EQ(box.lblProduct->font().pixelSize(), 27);
    // a table without the texts empties them
    EXPECT_EQ(box.windowTitle(), QString());
    EXPECT_EQ(box.btbtnOK->text(), QString());
}

TEST_F(AboutBox, OnlyTheHomePageLineEndsWithYes)
{
    {
        TfrmAbout box(nullptr, program());
        box.show();
        QTest::mouseClick(box.lblHomepage, Qt::LeftButton);
        EXPECT_EQ(box.result(), TfrmAbout::mrYes);
        EXPECT_FALSE(box.isVisible());
        box.show();
        QTest::mouseClick(box.lblHomepage, Qt::RightButton);
        EXPECT_TRUE(box.isVisible());
    }
    const QList<std::pair<const char *, std::function<void(TfrmAbout &)>>> endings = {
        {"OK", [](TfrmAbout &b) { QTest::mouseClick(b.btbtnOK, Qt::LeftButton); }},
        {"Enter", [](TfrmAbout &b) { QTest::keyClick(&b, Qt::Key_Return); }},
        {"Esc", [](TfrmAbout &b) { QTest::keyClick(&b, Qt::Key_Escape); }},
        {"close box", [](TfrmAbout &b) { b.close(); }},
    };
    for (const auto &[name, end] : endings) {
        auto *box = new TfrmAbout(nullptr, program());
        QPointer<TfrmAbout> alive(box);
        box->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
        end(*box);
        EXPECT_EQ(box->result(), TfrmAbout::mrCancel) << name;
        EXPECT_FALSE(box->isVisible()) << name;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(alive.isNull()) << name; // the caller destroys it
        delete box;
    }
}

} // namespace
