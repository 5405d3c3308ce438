#include "platform/SystemLocale.h"

#include <QRegularExpression>
#include <cstdlib>

namespace systemlocale {

namespace {
std::optional<QString> g_override;

struct Entry {
    const char *locale; // language, or language_REGION
    const char *abbreviation;
};

// Language and region to the abbreviated language names the system reports.
constexpr Entry kTable[] = {
    {"en", "ENU"},    {"en_US", "ENU"}, {"en_GB", "ENG"}, {"en_AU", "ENA"}, {"en_CA", "ENC"}, {"en_NZ", "ENZ"},
    {"en_IE", "ENI"}, {"en_ZA", "ENS"}, {"en_IN", "ENN"}, {"ja", "JPN"},    {"ja_JP", "JPN"}, {"zh", "CHS"},
    {"zh_CN", "CHS"}, {"zh_SG", "ZHI"}, {"zh_TW", "CHT"}, {"zh_HK", "ZHH"}, {"zh_MO", "ZHM"}, {"ko", "KOR"},
    {"ko_KR", "KOR"}, {"fr", "FRA"},    {"fr_FR", "FRA"}, {"fr_BE", "FRB"}, {"fr_CA", "FRC"}, {"fr_CH", "FRS"},
    {"fr_LU", "FRL"}, {"de", "DEU"},    {"de_DE", "DEU"}, {"de_AT", "DEA"}, {"de_CH", "DES"}, {"de_LU", "DEL"},
    {"it", "ITA"},    {"it_IT", "ITA"}, {"it_CH", "ITS"}, {"es", "ESN"},    {"es_ES", "ESN"}, {"es_MX", "ESM"},
    {"es_AR", "ESS"}, {"pt", "PTG"},    {"pt_PT", "PTG"}, {"pt_BR", "PTB"}, {"nl", "NLD"},    {"nl_NL", "NLD"},
    {"nl_BE", "NLB"}, {"sv", "SVE"},    {"da", "DAN"},    {"nb", "NOR"},    {"fi", "FIN"},    {"ru", "RUS"},
    {"pl", "PLK"},    {"cs", "CSY"},    {"hu", "HUN"},    {"el", "ELL"},    {"tr", "TRK"},    {"he", "HEB"},
    {"ar", "ARA"},    {"th", "THA"},    {"vi", "VIT"},
};
} // namespace

QString abbreviationOf(const QString &posixLocale)
{
    QString name = posixLocale;
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        name.truncate(cut);
    if (name.isEmpty() || name == u"C" || name == u"POSIX")
        return QStringLiteral("ENU");
    name.replace(u'-', u'_');
    const QString language = name.section(u'_', 0, 0).toLower();
    const QString region = name.section(u'_', 1, 1).toUpper();
    const QString full = region.isEmpty() ? language : language + u'_' + region;
    for (const Entry &e : kTable)
        if (full == QLatin1String(e.locale))
            return QLatin1String(e.abbreviation);
    for (const Entry &e : kTable)
        if (language == QLatin1String(e.locale))
            return QLatin1String(e.abbreviation);
    return (language.left(2) + u'X').toUpper();
}

QString abbreviation()
{
    if (g_override)
        return abbreviationOf(*g_override);
    for (const char *var : {"LC_ALL", "LANG"}) {
        const char *v = std::getenv(var);
        if (v && *v)
            return abbreviationOf(QString::fromLocal8Bit(v));
    }
    return QStringLiteral("ENU");
}

void setOverride(const std::optional<QString> &posixLocale)
{
    g_override = posixLocale;
}

} // namespace systemlocale
