#include "browser/Charsets.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace charsets {
namespace {

const QHash<QString, QString> &aliases()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        auto add = [&t](const QString &name, std::initializer_list<const char *> labels) {
            t.insert(name, name);
            for (const char *l : labels)
                t.insert(QString::fromLatin1(l), name);
        };
        add(QStringLiteral("utf-8"),
            {"utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "x-unicode20utf8"});
        add(QStringLiteral("windows-1252"), {"iso-8859-1", "latin1", "l1", "us-ascii", "ascii", "ansi_x3.4-1968",
                                             "cp1252", "cp819", "ibm819", "iso-ir-100", "csisolatin1", "x-cp1252"});
        add(QStringLiteral("windows-1254"),
            {"iso-8859-9", "latin5", "l5", "iso-ir-148", "csisolatin5", "cp1254", "x-cp1254"});
        add(QStringLiteral("windows-874"), {"tis-620", "iso-8859-11", "dos-874"});
        add(QStringLiteral("gbk"),
            {"gb2312", "gb_2312", "gb_2312-80", "chinese", "csgb2312", "csiso58gb231280", "iso-ir-58", "x-gbk"});
        add(QStringLiteral("gb18030"), {});
        add(QStringLiteral("big5"), {"big5-hkscs", "cn-big5", "csbig5", "x-x-big5"});
        add(QStringLiteral("shift_jis"),
            {"shift-jis", "sjis", "x-sjis", "ms_kanji", "ms932", "windows-31j", "csshiftjis"});
        add(QStringLiteral("euc-jp"), {"x-euc-jp", "cseucpkdfmtjapanese"});
        add(QStringLiteral("iso-2022-jp"), {"csiso2022jp"});
        add(QStringLiteral("euc-kr"), {"ks_c_5601-1987", "ks_c_5601-1989", "korean", "windows-949", "ksc5601",
                                       "ksc_5601", "csksc56011987", "iso-ir-149", "cseuckr"});
        add(QStringLiteral("koi8-r"), {"koi8", "koi", "koi8_r", "cskoi8r"});
        add(QStringLiteral("koi8-u"), {"koi8-ru"});
        add(QStringLiteral("iso-8859-2"), {"latin2", "l2", "iso-ir-101", "csisolatin2"});
        add(QStringLiteral("iso-8859-4"), {"latin4", "l4", "iso-ir-110", "csisolatin4"});
        add(QStringLiteral("iso-8859-5"), {"cyrillic", "iso-ir-144", "csisolatincyrillic"});
        add(QStringLiteral("iso-8859-7"),
            {"greek", "greek8", "elot_928", "ecma-118", "iso-ir-126", "sun_eu_greek", "csisolatingreek"});
        add(QStringLiteral("iso-8859-15"), {"latin9", "l9", "csisolatin9"});
        add(QStringLiteral("utf-16le"), {"utf-16", "unicode", "unicodefeff", "ucs-2", "csunicode"});
        add(QStringLiteral("utf-16be"), {"unicodefffe"});
        return t;
    }();
    return table;
}

} // namespace

QString canonical(const QString &label)
{
    QString name = label.trimmed().toLower();
    static const QRegularExpression winCp(QStringLiteral("^(?:x-)?cp(125[0-8])$"));
    static const QRegularExpression iso(QStringLiteral("^iso[-_ ]?8859[-_ ]?(\\d{1,2})(?::\\d+)?$"));
    if (const auto m = winCp.match(name); m.hasMatch())
        name = QStringLiteral("windows-") + m.captured(1);
    else if (const auto m2 = iso.match(name); m2.hasMatch())
        name = QStringLiteral("iso-8859-") + m2.captured(1);
    return aliases().value(name, name);
}

bool same(const QString &a, const QString &b)
{
    return canonical(a) == canonical(b);
}

bool isAutoDetect(const QString &label)
{
    return label.trimmed().toLower().startsWith(QStringLiteral("_autodetect"));
}

bool isKnown(const QString &label)
{
    if (label.trimmed().isEmpty() || isAutoDetect(label))
        return false;
    const QByteArray name = canonical(label).toLatin1();
    if (name == "utf-7")
        return true;
    QStringDecoder decoder(name.constData());
    return decoder.isValid();
}

} // namespace charsets
