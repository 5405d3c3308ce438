// Qt's own texts follow the interface language through the translations Qt ships.
#include "settings/QtTranslations.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

QString cancelText()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

TEST(QtTranslations, QtsButtonsFollowTheLanguageAndEnglishTakesThemAway)
{
    struct Case {
        TLanguage language;
        const char *cancel;
    } cases[] = {
        {TLanguage::JapaneseKanji, "キャンセル"},
        {TLanguage::SimplifiedChinese, "取消"},
        {TLanguage::TraditionalChinese, "取消"},
        {TLanguage::JapaneseHiragana, "キャンセル"},
        {TLanguage::English, "Cancel"},
        {TLanguage::Korean, "Cancel"},
        {TLanguage::JapaneseHiragana, "キャンセル"},
        {TLanguage::German, "Cancel"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.language));
        EXPECT_TRUE(qttranslations::apply(c.language));
        EXPECT_EQ(cancelText(), QString::fromUtf8(c.cancel));
    }
    // the file dialogs' own texts come along
    ASSERT_TRUE(qttranslations::apply(TLanguage::JapaneseKanji));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    ASSERT_TRUE(qttranslations::apply(TLanguage::English));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

} // namespace
