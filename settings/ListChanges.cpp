#include "settings/ListChanges.h"

#include "platform/TextRules.h"

#include <QHash>
#include <QSet>

namespace listchanges {

namespace {

// Each text with how often it came before, so no key repeats.
QStringList counted(const QStringList &texts)
{
    QHash<QString, int> seen;
    QStringList keys;
    keys.reserve(texts.size());
    for (const QString &t : texts)
        keys.append(t + u'\x01' + QString::number(seen[t]++));
    return keys;
}

} // namespace

QStringList byName(const QStringList &lines)
{
    QStringList names;
    names.reserve(lines.size());
    for (const QString &line : lines)
        names.append(textrules::foldAscii(textrules::trim(textrules::lineName(line))));
    return counted(names);
}

QStringList byText(const QStringList &lines)
{
    return counted(lines);
}

QStringList merge(const QStringList &base, const QStringList &mine, const QStringList &theirs, const Keys &keys)
{
    const QStringList kb = keys(base);
    const QStringList km = keys(mine);
    const QStringList kt = keys(theirs);
    QHash<QString, QString> b;
    QHash<QString, QString> m;
    QHash<QString, QString> t;
    for (qsizetype i = 0; i < base.size(); ++i)
        b.insert(kb.at(i), base.at(i));
    for (qsizetype i = 0; i < mine.size(); ++i)
        m.insert(km.at(i), mine.at(i));
    for (qsizetype i = 0; i < theirs.size(); ++i)
        t.insert(kt.at(i), theirs.at(i));
    // what the user changed: a line added, or one whose text differs from the one it had
    const auto changedByMine = [&](const QString &k) { return m.contains(k) && (!b.contains(k) || b[k] != m[k]); };

    // theirs without what the user removed
    QStringList result;
    for (const QString &k : kt)
        if (!b.contains(k) || m.contains(k))
            result.append(k);

    // a new order of the user's lines puts them in that order, in the places they hold among theirs
    QStringList mineOrder;
    QStringList baseOrder;
    for (const QString &k : km)
        if (b.contains(k))
            mineOrder.append(k);
    for (const QString &k : kb)
        if (m.contains(k))
            baseOrder.append(k);
    if (mineOrder != baseOrder) {
        const QSet<QString> present(result.cbegin(), result.cend());
        QStringList ordered;
        for (const QString &k : km)
            if (present.contains(k))
                ordered.append(k);
        qsizetype next = 0;
        for (QString &k : result)
            if (m.contains(k))
                k = ordered.at(next++);
    }

    // the user's new lines: those after every line the lists share go to the end in their order, the
    // others before the line that follows them
    QSet<QString> present(result.cbegin(), result.cend());
    qsizetype lastShared = -1;
    for (qsizetype i = 0; i < km.size(); ++i)
        if (present.contains(km.at(i)))
            lastShared = i;
    for (qsizetype i = lastShared - 1; i >= 0; --i) {
        const QString &k = km.at(i);
        if (present.contains(k) || !changedByMine(k))
            continue;
        qsizetype j = i + 1;
        while (!present.contains(km.at(j)))
            ++j;
        result.insert(result.indexOf(km.at(j)), k);
        present.insert(k);
    }
    for (qsizetype i = lastShared + 1; i < km.size(); ++i) {
        const QString &k = km.at(i);
        if (!present.contains(k) && changedByMine(k)) {
            result.append(k);
            present.insert(k);
        }
    }

    QStringList lines;
    lines.reserve(result.size());
    for (const QString &k : std::as_const(result))
        lines.append(changedByMine(k) || !t.contains(k) ? m.value(k) : t.value(k));
    return lines;
}

} // namespace listchanges
