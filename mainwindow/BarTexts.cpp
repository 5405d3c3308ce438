#include "mainwindow/BarTexts.h"

#include "platform/TextRules.h"

#include <QRegularExpression>

namespace bartexts {

QList<int> parseToolButtons(const QString &layout)
{
    QString text = textrules::trim(layout);
    text.remove(u' ');
    QList<int> numbers;
    static const QRegularExpression separators(QStringLiteral("[;\\r\\n]"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (const auto n = textrules::strToInt(part))
            numbers.append(*n);
    }
    if (parts.isEmpty())
        numbers.append(0);
    return numbers;
}

QString encodeKeyword(const QString &keyword)
{
    static const QByteArray kept = "@*._-$!'()";
    QString out;
    const QByteArray bytes = keyword.toUtf8();
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || kept.contains(char(c)))
            out += QLatin1Char(char(c));
        else if (c == ' ')
            out += u'+';
        else
            out += u'%' + QString::number(c, 16).toUpper().rightJustified(2, u'0');
    }
    return out;
}

QString fillSearchTemplate(const QString &templ, const QString &encoded)
{
    QString out;
    bool used = false;
    for (qsizetype i = 0; i < templ.size(); ++i) {
        if (templ.at(i) == u'%' && i + 1 < templ.size()) {
            const QChar next = templ.at(i + 1);
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (next == u's' && !used) {
                out += encoded;
                used = true;
                ++i;
                continue;
            }
        }
        out += templ.at(i);
    }
    return out;
}

} // namespace bartexts
