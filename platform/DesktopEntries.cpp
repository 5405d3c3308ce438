#include "platform/DesktopEntries.h"

#include "platform/RegularFiles.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace desktopentries {

namespace {

constexpr qint64 MaxEntrySize = 256 * 1024;

// The key file's own escapes: \s \n \t \r \\.
QString unescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar n = value.at(++i);
        switch (n.unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        default:
            out += n;
            break;
        }
    }
    return out;
}

} // namespace

QString find(const QString &id)
{
    QString name = id.trimmed();
    if (name.isEmpty() || name.contains(u'/'))
        return {};
    if (!name.endsWith(QStringLiteral(".desktop")))
        name += QStringLiteral(".desktop");
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name);
}

namespace {

// The value of a key of the file's [Desktop Entry] group, its escapes resolved.
QString entryValue(const QString &path, QStringView key)
{
    // a regular file only: an entry named by the desktop's folders may be a pipe or a device
    QFile file;
    if (path.isEmpty() || !regularfiles::open(path, file) || file.size() > MaxEntrySize)
        return {};
    const QStringList lines = QString::fromUtf8(file.read(MaxEntrySize)).split(u'\n');
    bool inEntry = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return unescapeValue(line.mid(eq + 1).trimmed());
    }
    return {};
}

} // namespace

QString defaultApplication(const QString &mimeType)
{
    QProcess p;
    p.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    // one line naming an entry; anything else is no answer
    const QString answer = QString::fromLocal8Bit(p.readAllStandardOutput().left(1024)).trimmed();
    return answer.contains(u'\n') ? QString() : answer;
}

QString execLine(const QString &path)
{
    return entryValue(path, u"Exec");
}

QString name(const QString &path)
{
    return entryValue(path, u"Name");
}

QStringList splitCommand(const QString &line)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            current += line.at(++i);
            inArgument = true;
        } else if (c == u'"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

QStringList removeFieldCodes(const QStringList &arguments)
{
    QStringList out;
    for (const QString &argument : arguments) {
        QString kept;
        bool hadCode = false;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            const QChar c = argument.at(i);
            if (c == u'%' && i + 1 < argument.size()) {
                const QChar code = argument.at(++i);
                if (code == u'%')
                    kept += u'%';
                else
                    hadCode = true;
                continue;
            }
            kept += c;
        }
        if (!kept.isEmpty() || !hadCode)
            out.append(kept);
    }
    return out;
}

} // namespace desktopentries
