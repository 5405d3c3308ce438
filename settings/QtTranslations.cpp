#include "settings/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace qttranslations {

QString localeOf(TLanguage language)
{
    switch (language) {
    case TLanguage::JapaneseKanji:
    case TLanguage::JapaneseHiragana:
        return QStringLiteral("ja");
    case TLanguage::SimplifiedChinese:
        return QStringLiteral("zh_CN");
    case TLanguage::TraditionalChinese:
        return QStringLiteral("zh_TW");
    default:
        return {};
    }
}

bool apply(TLanguage language)
{
    static std::unique_ptr<QTranslator> installed;
    static QString installedLocale;
    const QString locale = localeOf(language);
    if (installed && locale == installedLocale)
        return true;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
        installedLocale.clear();
    }
    if (locale.isEmpty())
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    installedLocale = locale;
    return true;
}

} // namespace qttranslations
