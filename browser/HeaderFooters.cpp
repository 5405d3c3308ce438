#include "browser/HeaderFooters.h"

#include <QStringList>

THeaderFooterLine expandHeaderFooter(const QString &codes, const THeaderFooterContext &context)
{
    QStringList parts{QString()};
    const qsizetype n = codes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = codes.at(i);
        if (c != u'&' || i + 1 >= n) {
            parts.last() += c;
            continue;
        }
        const QChar code = codes.at(++i);
        QString &out = parts.last();
        switch (code.unicode()) {
        case u'w':
            out += context.title;
            break;
        case u'u':
            out += context.url;
            break;
        case u'd':
            out += context.locale.toString(context.now.date(), QLocale::ShortFormat);
            break;
        case u'D':
            out += context.locale.toString(context.now.date(), QLocale::LongFormat);
            break;
        case u't':
            out += context.locale.toString(context.now.time(), QLocale::ShortFormat);
            break;
        case u'T':
            out += context.now.time().toString(QStringLiteral("HH:mm"));
            break;
        case u'p':
            out += QString::number(context.page);
            break;
        case u'P':
            out += QString::number(context.pageCount);
            break;
        case u'&':
            out += u'&';
            break;
        case u'b':
            if (parts.size() < 3)
                parts.append(QString());
            break;
        default:
            out += c;
            out += code;
            break;
        }
    }
    THeaderFooterLine line;
    line.left = parts.at(0);
    if (parts.size() == 2)
        line.right = parts.at(1);
    else if (parts.size() == 3) {
        line.center = parts.at(1);
        line.right = parts.at(2);
    }
    return line;
}
