#include "settings/LanguageFonts.h"

#include "settings/MemInis.h"

#include <QFontDatabase>
#include <QGuiApplication>

TTableFont ReadTableFont(const TMemIni &table, const QFont &current, int currentCharset)
{
    const QString section = QStringLiteral("Font");
    TTableFont result{current, currentCharset & 0xFF};
    const QString name = table.ReadString(section, QStringLiteral("Name"), current.family());
    if (!name.isEmpty())
        result.font.setFamily(name);
    result.charset = table.ReadInteger(section, QStringLiteral("Charset"), currentCharset) & 0xFF;
    const int size = table.ReadInteger(section, QStringLiteral("Size"), current.pointSize());
    if (size > 0)
        result.font.setPointSize(size);
    return result;
}

QFont FontForCharset(QFont font, int charset)
{
    if (QFontDatabase::families().contains(font.family()))
        return font;
    QString family;
    switch (charset) {
    case 128:
        family = QStringLiteral("Noto Sans CJK JP");
        break;
    case 134:
        family = QStringLiteral("Noto Sans CJK SC");
        break;
    case 136:
        family = QStringLiteral("Noto Sans CJK TC");
        break;
    case 129:
        family = QStringLiteral("Noto Sans CJK KR");
        break;
    default:
        family = QGuiApplication::font().family();
        break;
    }
    font.setFamily(family);
    return font;
}
