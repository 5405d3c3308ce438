#include "platform/BuiltinResources.h"

#include <QFile>

namespace builtinresources {

std::optional<QByteArray> find(const QString &name, const QString &type)
{
    if (name.isEmpty() || type.isEmpty() || name.contains(u'/') || type.contains(u'/'))
        return std::nullopt;
    QFile f(QStringLiteral(":/") + type.toUpper() + u'/' + name.toUpper());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

int iniCodePage(const QString &name)
{
    const QString n = name.toUpper();
    if (n == u"JAPANESEKANJI" || n == u"JAPANESEHIRAGANA" || n == u"BRIVOINI")
        return 932;
    if (n == u"SIMPLIFIEDCHINESE")
        return 936;
    if (n == u"TRADITIONALCHINESE")
        return 950;
    return 1252;
}

} // namespace builtinresources
