#include "platform/CommaText.h"

namespace commatext {

namespace {

// A character that makes write() quote the text; outside quotes the reader ends an item at it.
bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

bool needsQuotes(const QString &text)
{
    for (QChar c : text)
        if (isBlank(c) || c == u'"' || c == u',')
            return true;
    return false;
}

} // namespace

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

QString write(const QStringList &texts)
{
    if (texts.size() == 1 && texts.front().isEmpty())
        return QStringLiteral("\"\"");
    QString out;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            out += u',';
        out += needsQuotes(texts.at(i)) ? quoted(texts.at(i)) : texts.at(i);
    }
    return out;
}

QStringList read(const QString &line)
{
    // The old reader stopped at a NUL character (its strings ended there), which made every text after
    // it vanish; here NUL counts as one more blank between items and as an ordinary character in quotes,
    // so any list write() makes reads back whole.
    QStringList out;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line.at(i)))
        ++i;
    while (i < n) {
        QString item;
        if (line.at(i) == u'"') {
            ++i;
            while (i < n) {
                if (line.at(i) == u'"') {
                    if (i + 1 < n && line.at(i + 1) == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += line.at(i++);
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(line.at(i)) && line.at(i) != u',')
                ++i;
            item = line.mid(start, i - start);
        }
        out << item;
        while (i < n && isBlank(line.at(i)))
            ++i;
        if (i < n && line.at(i) == u',') {
            if (i + 1 == n)
                out << QString();
            ++i;
            while (i < n && isBlank(line.at(i)))
                ++i;
        }
    }
    return out;
}

} // namespace commatext
