#include "platform/PlatformStore.h"

#include "platform/DesktopEntries.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"
#include "platform/ProfileIni.h"
#include "platform/TextRules.h"

#include <QHash>
#include <map>
#include <memory>

namespace platformstore {

namespace {

QString g_folder;
std::unique_ptr<ProfileIni> g_hives[2];
std::function<QString()> g_mailQuery;

struct WellKnown {
    Hive hive;
    QString key;
    QString name;
    std::function<QString()> answer;
};

QString normalizeKey(const QString &key)
{
    QString k = key;
    k.replace(u'/', u'\\');
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    return k;
}

QString storedName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("@") : name;
}

QString queryMailHandler()
{
    if (g_mailQuery)
        return g_mailQuery();
    return desktopentries::defaultApplication(QStringLiteral("x-scheme-handler/mailto"));
}

std::vector<WellKnown> &wellKnown()
{
    static std::vector<WellKnown> list = [] {
        std::vector<WellKnown> l;
        const QString shellFolders =
            QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
        l.push_back({Hive::LocalMachine, QStringLiteral("Software\\Microsoft\\Internet Explorer"),
                     QStringLiteral("Version"), [] { return QStringLiteral("6.0"); }});
        l.push_back({Hive::CurrentUser, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"),
                     QStringLiteral("Start Page"), [] { return QStringLiteral("about:blank"); }});
        l.push_back({Hive::CurrentUser, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Toolbar"),
                     QStringLiteral("LinksFolderName"), [] { return QStringLiteral("Links"); }});
        l.push_back({Hive::CurrentUser, shellFolders, QStringLiteral("Favorites"),
                     [] { return platformpaths::dataDir() + QStringLiteral("/Favorites"); }});
        l.push_back({Hive::CurrentUser, shellFolders, QStringLiteral("History"),
                     [] { return platformpaths::dataDir() + QStringLiteral("/History"); }});
        l.push_back({Hive::LocalMachine, QStringLiteral("SOFTWARE\\Clients\\Mail"), QString(), [] {
                         QString handler = queryMailHandler();
                         if (handler.endsWith(QStringLiteral(".desktop")))
                             handler.chop(8);
                         return handler;
                     }});
        return l;
    }();
    return list;
}

const WellKnown *findWellKnown(Hive hive, const QString &key, const QString &name)
{
    for (const WellKnown &w : wellKnown())
        if (w.hive == hive && textrules::sameText(w.key, key) && textrules::sameText(w.name, name))
            return &w;
    return nullptr;
}

// A stored value of a type other than a string.
bool typed(const QString &stored)
{
    for (const char *other : {"dword:", "qword:", "binary:", "multi_sz:", "expand_sz:"})
        if (stored.startsWith(QLatin1String(other)))
            return true;
    return false;
}

ProfileIni &hiveIni(Hive hive)
{
    auto &slot = g_hives[hive == Hive::CurrentUser ? 0 : 1];
    if (!slot)
        slot = std::make_unique<ProfileIni>(hiveFile(hive), ProfileIni::ValueLength::Whole);
    return *slot;
}

} // namespace

void setFolder(const QString &f)
{
    g_folder = f;
    g_hives[0].reset();
    g_hives[1].reset();
}

QString folder()
{
    return g_folder.isEmpty() ? platformpaths::configDir() + QStringLiteral("/registry") : g_folder;
}

QString hiveFile(Hive hive)
{
    return folder() + (hive == Hive::CurrentUser ? QStringLiteral("/HKEY_CURRENT_USER.ini")
                                                 : QStringLiteral("/HKEY_LOCAL_MACHINE.ini"));
}

bool keyExists(Hive hive, const QString &key)
{
    const QString k = normalizeKey(key);
    if (hiveIni(hive).sectionExists(k))
        return true;
    const QString prefix = textrules::foldAscii(k) + u'\\';
    for (const QString &s : hiveIni(hive).readSections())
        if (textrules::foldAscii(s).startsWith(prefix))
            return true;
    for (const WellKnown &w : wellKnown())
        if (w.hive == hive && (textrules::sameText(w.key, k) || textrules::foldAscii(w.key).startsWith(prefix)))
            return true;
    return false;
}

std::optional<QString> readString(Hive hive, const QString &key, const QString &name)
{
    const QString k = normalizeKey(key);
    ProfileIni &ini = hiveIni(hive);
    if (!ini.valueExists(k, storedName(name))) {
        if (const WellKnown *w = findWellKnown(hive, k, name))
            return w->answer();
        return std::nullopt;
    }
    const QString stored = ini.readString(k, storedName(name), QString());
    if (stored.startsWith(QStringLiteral("sz:")))
        return stored.mid(3);
    if (stored.startsWith(QStringLiteral("expand_sz:")))
        return expandEnvironmentStrings(stored.mid(10));
    if (typed(stored))
        throw PlatformError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return stored; // a hand-written value without a type is a string
}

bool writeString(Hive hive, const QString &key, const QString &name, const QString &value)
{
    return hiveIni(hive).writeString(normalizeKey(key), storedName(name), QStringLiteral("sz:") + value);
}

bool writeInteger(Hive hive, const QString &key, const QString &name, int value)
{
    return hiveIni(hive).writeString(normalizeKey(key), storedName(name),
                                     QStringLiteral("dword:") + QString::number(value));
}

bool deleteValue(Hive hive, const QString &key, const QString &name)
{
    return hiveIni(hive).deleteKey(normalizeKey(key), storedName(name));
}

bool deleteKey(Hive hive, const QString &key)
{
    return hiveIni(hive).eraseSection(normalizeKey(key));
}

bool changeStrings(Hive hive, const QString &key,
                   const std::function<StringValues(const StringValues &current)> &change)
{
    return hiveIni(hive).changeSection(normalizeKey(key), [&](const QStringList &lines) {
        StringValues strings;
        QStringList kept; // values of other types
        for (const QString &line : lines) {
            const QString name = textrules::lineName(line);
            const QString stored = textrules::lineValue(line);
            const QString shownName = name == u"@" ? QString() : name;
            if (stored.startsWith(QStringLiteral("sz:")))
                strings.append({shownName, stored.mid(3)});
            else if (typed(stored))
                kept.append(line);
            else
                strings.append({shownName, stored}); // a hand-written value without a type is a string
        }
        QStringList changed = kept;
        for (const auto &[name, value] : change(strings))
            changed.append(storedName(name) + QStringLiteral("=sz:") + value);
        return changed;
    });
}

QString errorString(Hive hive)
{
    return hiveIni(hive).errorString();
}

QStringList valueNames(Hive hive, const QString &key)
{
    QStringList names = hiveIni(hive).readSection(normalizeKey(key));
    for (QString &n : names)
        if (n == u"@")
            n.clear();
    return names;
}

void registerWellKnown(Hive hive, const QString &key, const QString &name, std::function<QString()> answer)
{
    const QString k = normalizeKey(key);
    for (WellKnown &w : wellKnown())
        if (w.hive == hive && textrules::sameText(w.key, k) && textrules::sameText(w.name, name)) {
            w.answer = std::move(answer);
            return;
        }
    wellKnown().push_back({hive, k, name, std::move(answer)});
}

void setMailHandlerQuery(std::function<QString()> query)
{
    g_mailQuery = std::move(query);
}

QString expandEnvironmentStrings(const QString &text)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'%', i);
        if (open < 0) {
            out += text.mid(i);
            break;
        }
        const qsizetype close = text.indexOf(u'%', open + 1);
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const QString var = text.mid(open + 1, close - open - 1);
        const QByteArray value = var.isEmpty() ? QByteArray() : qgetenv(var.toLocal8Bit().constData());
        if (!var.isEmpty() && qEnvironmentVariableIsSet(var.toLocal8Bit().constData())) {
            out += QString::fromLocal8Bit(value);
            i = close + 1;
        } else {
            out += text.mid(open, close - open);
            i = close; // the closing % may open the next name
        }
    }
    return out;
}

} // namespace platformstore
