// The in-memory ini of the language tables, and every built-in table read through the real loader.
#include "settings/MemInis.h"

#include "common/TestSupport.h"
#include "platform/BuiltinResources.h"
#include "platform/CodePage.h"
#include "platform/PlatformError.h"
#include "settings/BrivoInisCompact.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(MemIni, ParsesTheTableFormat)
{
    TMemIni ini;
    using namespace std::string_literals;
    ini.LoadFromBytes(QByteArray::fromStdString("before=dropped\r\n"
                                                "[Main]\r\n"
                                                "lblLinks= Links:  \r\n"
                                                "; comment=no\r\n"
                                                "\r\n"
                                                "dup=first\n"
                                                "DUP=second\r"
                                                "key =blank before equals\r\n"
                                                "noequals\r\n"
                                                "hex=0x10\r\n"
                                                " [Browser]\r\n"
                                                "Caption=still main\r\n"
                                                "[ spaced ]\r\n"
                                                "x=1\r\n"
                                                "[main]\r\n"
                                                "dup=from second main\r\n"
                                                "[Cut]\r\n"
                                                "a=1\0b=2"s),
                      1252);
    EXPECT_EQ(ini.ReadString("main", "LBLLINKS", "-"), " Links:  ");
    EXPECT_EQ(ini.ReadString("Main", "dup", "-"), "first");
    EXPECT_EQ(ini.ReadString("Main", "key", "-"), "-");
    EXPECT_EQ(ini.ReadString("Main", "key ", "-"), "blank before equals");
    EXPECT_EQ(ini.ReadString("Main", "comment", "-"), "-");
    EXPECT_EQ(ini.ReadInteger("Main", "hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Main", "lblLinks", 9), 9);
    EXPECT_TRUE(ini.ReadBool("Main", "missing", true));
    EXPECT_FALSE(ini.SectionExists("Browser")) << "an indented header is an ordinary line";
    EXPECT_EQ(ini.ReadString("Main", "Caption", "-"), "still main");
    EXPECT_EQ(ini.ReadString(" spaced ", "x", "-"), "1");
    EXPECT_EQ(ini.ReadString("spaced", "x", "-"), "-");
    EXPECT_EQ(ini.ReadString("Cut", "a", "-"), "1");
    EXPECT_EQ(ini.ReadString("Cut", "b", "-"), "-") << "the text ends at a NUL byte";
    QStringList names;
    ini.ReadSections(names);
    EXPECT_EQ(names, QStringList({"Main", " spaced ", "main", "Cut"}));
    QStringList keys;
    ini.ReadSection("Main", keys);
    EXPECT_EQ(keys, QStringList({"lblLinks", "dup", "DUP", "key ", "", "hex", "", "Caption"}));
    QStringList lines;
    ini.ReadSectionValues("Cut", lines);
    EXPECT_EQ(lines, QStringList({"a=1"}));
}

TEST(MemIni, IsReadOnlyAndRaisesForMissingResources)
{
    TMemIni ini;
    ini.SetStrings({"[S]", "k=v"});
    ini.WriteString("S", "k", "changed");
    ini.EraseSection("S");
    ini.DeleteKey("S", "k");
    ini.UpdateFile();
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "v");
    ini.AddSection("Added").append("late=yes");
    EXPECT_EQ(ini.ReadString("added", "LATE", "-"), "yes");
    EXPECT_THROW(TMemIni("NoSuchTable", "INI"), PlatformError);
    EXPECT_NO_THROW(TMemIni("english", "ini"));
}

// Every built-in table: decodes cleanly in its own code page and holds the shared sections.
TEST(LanguageTables, EachDecodesCleanlyAndHoldsTheSharedSections)
{
    struct Table {
        TLanguage language;
        int charset;
        const char *font;
        int size;
    } tables[] = {
        {TLanguage::English, 0, "MS Sans Serif", 8},
        {TLanguage::JapaneseKanji, 128, "ＭＳ Ｐゴシック", 9},
        {TLanguage::JapaneseHiragana, 128, "ＭＳ Ｐゴシック", 9},
        {TLanguage::SimplifiedChinese, 134, "宋体", 9},
        {TLanguage::TraditionalChinese, 136, "細明體", 9},
    };
    for (const Table &t : tables) {
        const QString name = LanguageNames.at(int(t.language));
        SCOPED_TRACE(name.toStdString());
        const auto bytes = builtinresources::find(name, "INI");
        ASSERT_TRUE(bytes.has_value());
        bool ok = false;
        const QString text = codepage::decode(*bytes, builtinresources::iniCodePage(name), &ok);
        EXPECT_TRUE(ok);
        if (t.language == TLanguage::English) {
            for (char c : *bytes)
                EXPECT_GE(static_cast<signed char>(c), 0) << "the English table is ASCII only";
        }
        if (t.language == TLanguage::JapaneseHiragana) {
            // the About box's title is the one text both Japanese tables write alike
            const QString withoutAbout = QString(text).remove(QString::fromUtf8("Caption=バージョン情報"));
            for (QChar c : withoutAbout)
                EXPECT_FALSE(c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) << "kanji in the hiragana table";
        }
        EXPECT_TRUE(bytes->contains("\r\n"));

        TMemIni table(name, "INI");
        EXPECT_EQ(table.ReadInteger("Font", "Charset", -1), t.charset);
        EXPECT_EQ(table.ReadString("Font", "Name", ""), QString::fromUtf8(t.font));
        EXPECT_EQ(table.ReadInteger("Font", "Size", -1), t.size);
        for (const char *key : {"StartPage", "AdvertPage", "Browser", "HtmlFilter", "MailSubject", "SaveBookmark",
                                "BookmarkChanged", "BookmarkUnreadable", "SettingsUnreadable", "OK", "Cancel", "Apply"})
            EXPECT_FALSE(table.ReadString("Const", key, "").isEmpty()) << key;
        // the limit texts name the limit and what is needed
        for (const char *key : {"LimitOpenFiles", "LimitAddressSpace"}) {
            const QString limit = table.ReadString("Const", key, "");
            EXPECT_TRUE(limit.contains(QLatin1String("%1")) && limit.contains(QLatin1String("%2"))) << key;
        }
        EXPECT_EQ(table.ReadString("Const", "HtmlFilter", "").count(u'|'), 3);
        for (const char *key : {"CompactBrivo", "CompactBrivoUserAgent", "BrivoMailToAddress"})
            EXPECT_FALSE(table.ReadString("Brivo", key, "").isEmpty()) << key;
        const QString agent = table.ReadString("Brivo", "CompactBrivoUserAgent", "");
        EXPECT_FALSE(agent.contains(u' '));
    }
}

TEST(DefaultSettings, AreACompleteSettingsFileInCodePage932)
{
    const auto bytes = builtinresources::find("BRIVOINI", "INI");
    ASSERT_TRUE(bytes.has_value());
    bool ok = false;
    codepage::decode(*bytes, 932, &ok);
    EXPECT_TRUE(ok);
    TMemIni defaults("BRIVOINI", "INI");
    QStringList searchs;
    defaults.ReadSectionValues("Searchs", searchs);
    ASSERT_EQ(searchs.size(), 12);
    int latin = 0;
    for (const QString &line : searchs) {
        const QString name = line.section(u'=', 0, 0);
        EXPECT_FALSE(name.contains(u' '));
        bool ascii = true;
        for (QChar c : name)
            ascii = ascii && c.unicode() < 0x80;
        latin += ascii;
    }
    EXPECT_EQ(latin, 10);
}

} // namespace
