#include "platform/ProfileIni.h"

#include "platform/AtomicFiles.h"
#include "platform/RegularFiles.h"
#include "platform/TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray &b)
{
    qsizetype s = 0;
    qsizetype e = b.size();
    while (s < e && isBlank(b.at(s)))
        ++s;
    while (e > s && isBlank(b.at(e - 1)))
        --e;
    return b.mid(s, e - s);
}

// A key, value or section name as text. A U+FEFF in it is a character like any other, even first:
// only the file's own byte-order mark is not text, and it never reaches here.
QString utf8Text(const QByteArray &b)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(b);
}

QString unquote(const QString &v)
{
    if (v.size() >= 2) {
        const QChar f = v.front();
        if ((f == u'"' || f == u'\'') && v.back() == f)
            return v.mid(1, v.size() - 2);
    }
    return v;
}

int g_lockWaitMs = ProfileIni::DefaultLockWaitMs;

QString cut(const QString &v, bool wholeValues)
{
    if (wholeValues || v.size() <= ProfileIni::MaxValueLength)
        return v;
    qsizetype n = ProfileIni::MaxValueLength;
    if (v.at(n - 1).isHighSurrogate())
        --n; // never split a character
    return v.left(n);
}

bool storable(const QString &s)
{
    return !s.contains(u'\n') && !s.contains(u'\r') && !s.contains(QChar(0));
}

} // namespace

struct ProfileIni::Document {
    struct Line {
        QByteArray raw; // bytes as in the file, without the line end
        QString key;    // key as written (trimmed); empty for comments and blank lines
        bool isKey = false;
        qsizetype count = 1; // an empty line stands for this many empty lines in a row
    };
    struct Section {
        bool hasHeader = false; // false only for the lines before the first header
        QByteArray headerRaw;
        QString name;
        QList<Line> lines;
        QHash<QString, int> firstKey; // folded key -> index of its first line
    };

    atomicfile::FileStamp stamp;
    QString refused; // why the file was not read; no write replaces it then
    QByteArray eol = "\n";
    bool endsWithEol = true;
    QList<Section> sections;          // sections[0] holds the lines before the first header
    QHash<QString, int> firstSection; // folded name -> index of its first section

    void clear()
    {
        sections.clear();
        firstSection.clear();
        sections.append(Section{});
        eol = "\n";
        endsWithEol = true;
    }

    void reindexSections()
    {
        // walk backwards so the first of two equal names is the one kept
        firstSection.clear();
        for (int i = sections.size() - 1; i >= 1; --i)
            firstSection.insert(textrules::foldAscii(sections.at(i).name), i);
    }

    static void reindexKeys(Section &s)
    {
        s.firstKey.clear();
        for (int i = s.lines.size() - 1; i >= 0; --i)
            if (s.lines.at(i).isKey)
                s.firstKey.insert(textrules::foldAscii(s.lines.at(i).key), i);
    }

    // raw is the line as the file has it, body the same without the file's byte-order mark
    static Line parseLine(const QByteArray &raw, const QByteArray &body)
    {
        Line line;
        line.raw = raw;
        const QByteArray t = trimBlanks(body);
        if (t.isEmpty() || t.startsWith(';'))
            return line;
        const qsizetype eq = t.indexOf('=');
        line.key = utf8Text(trimBlanks(eq < 0 ? t : t.left(eq)));
        line.isKey = !line.key.isEmpty();
        return line;
    }

    static QString valueOf(const Line &line, bool wholeValues = false)
    {
        const qsizetype eq = line.raw.indexOf('=');
        if (eq < 0)
            return {};
        return cut(unquote(utf8Text(trimBlanks(line.raw.mid(eq + 1)))), wholeValues);
    }

    void parse(const QByteArray &bytes)
    {
        clear();
        qsizetype pos = 0;
        const qsizetype n = bytes.size();
        bool eolChosen = false;
        qsizetype start = 0;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            start = 3; // a byte-order mark is not part of the first line's text
        pos = start;
        endsWithEol = n == 0;
        while (pos < n) {
            qsizetype end = pos;
            while (end < n && bytes.at(end) != '\n' && bytes.at(end) != '\r')
                ++end;
            QByteArray raw = bytes.mid(pos, end - pos);
            const bool fileMark = pos == start && start > 0;
            if (fileMark)
                raw.prepend("\xEF\xBB\xBF");
            qsizetype next = end;
            if (end < n) {
                if (bytes.at(end) == '\r' && end + 1 < n && bytes.at(end + 1) == '\n') {
                    if (!eolChosen)
                        eol = "\r\n";
                    next = end + 2;
                } else {
                    if (!eolChosen)
                        eol = bytes.mid(end, 1);
                    next = end + 1;
                }
                eolChosen = true;
                endsWithEol = next >= n;
            } else {
                endsWithEol = false;
            }
            addRawLine(raw, fileMark);
            pos = next;
        }
        reindexSections();
        for (Section &s : sections)
            reindexKeys(s);
    }

    // fileMark: the line begins with the file's byte-order mark, which is not part of its text
    void addRawLine(const QByteArray &raw, bool fileMark = false)
    {
        const QByteArray body = fileMark ? raw.mid(3) : raw;
        const QByteArray t = trimBlanks(body);
        if (t.startsWith('[')) {
            Section s;
            s.hasHeader = true;
            s.headerRaw = raw;
            const qsizetype close = t.lastIndexOf(']');
            const QByteArray inner = close > 0 ? t.mid(1, close - 1) : t.mid(1);
            s.name = utf8Text(trimBlanks(inner));
            sections.append(s);
            return;
        }
        QList<Line> &lines = sections.last().lines;
        if (raw.isEmpty() && !lines.isEmpty() && lines.last().raw.isEmpty() && !lines.last().isKey) {
            ++lines.last().count; // empty lines cost nothing each
            return;
        }
        lines.append(parseLine(raw, body));
    }

    QByteArray serialize() const
    {
        QByteArray out;
        bool first = true;
        auto put = [&](const QByteArray &line) {
            if (!first)
                out += eol;
            out += line;
            first = false;
        };
        for (const Section &s : sections) {
            if (s.hasHeader)
                put(s.headerRaw);
            for (const Line &l : s.lines)
                for (qsizetype k = 0; k < l.count; ++k)
                    put(l.raw);
        }
        if (!first && endsWithEol)
            out += eol;
        return out;
    }

    const Section *find(const QString &section) const
    {
        const auto it = firstSection.constFind(textrules::foldAscii(section));
        return it == firstSection.cend() ? nullptr : &sections.at(*it);
    }

    Section *find(const QString &section)
    {
        const auto it = firstSection.constFind(textrules::foldAscii(section));
        return it == firstSection.cend() ? nullptr : &sections[*it];
    }

    const Line *findKey(const QString &section, const QString &key) const
    {
        const Section *s = find(section);
        if (!s)
            return nullptr;
        const auto it = s->firstKey.constFind(textrules::foldAscii(textrules::trim(key)));
        return it == s->firstKey.cend() ? nullptr : &s->lines.at(*it);
    }

    Section &findOrAdd(const QString &section)
    {
        if (Section *s = find(section))
            return *s;
        Section s;
        s.hasHeader = true;
        s.name = section;
        s.headerRaw = "[" + section.toUtf8() + "]";
        sections.append(s);
        firstSection.insert(textrules::foldAscii(section), sections.size() - 1);
        return sections.last();
    }

    void setKey(const QString &section, const QString &key, const QString &value)
    {
        Section &s = findOrAdd(section);
        const QString folded = textrules::foldAscii(key);
        const auto it = s.firstKey.constFind(folded);
        if (it != s.firstKey.cend()) {
            Line &l = s.lines[*it];
            l.raw = l.key.toUtf8() + "=" + value.toUtf8();
            return;
        }
        Line l;
        l.key = key;
        l.isKey = true;
        l.raw = key.toUtf8() + "=" + value.toUtf8();
        appendKeyLine(s, l);
    }

    // Appends a key's line to the section, after its last non-blank line.
    static void appendKeyLine(Section &s, const Line &l)
    {
        const QString folded = textrules::foldAscii(l.key);
        // after the section's last non-blank line, so blank lines between sections stay between them
        qsizetype at = s.lines.size();
        while (at > 0 && trimBlanks(s.lines.at(at - 1).raw).isEmpty())
            --at;
        s.lines.insert(at, l);
        // only blank lines follow the new one, so no other key's index moves
        s.firstKey.insert(folded, int(at));
    }

    // The first line of each key of the section, in file order.
    QList<Line> firstLines(const QString &section) const
    {
        QList<Line> lines;
        if (const Section *s = find(section))
            for (int i = 0; i < s->lines.size(); ++i)
                if (s->lines.at(i).isKey && s->firstKey.value(textrules::foldAscii(s->lines.at(i).key)) == i)
                    lines.append(s->lines.at(i));
        return lines;
    }

    bool eraseSection(const QString &section)
    {
        const QString folded = textrules::foldAscii(section);
        const qsizetype before = sections.size();
        for (qsizetype i = sections.size() - 1; i >= 1; --i)
            if (textrules::foldAscii(sections.at(i).name) == folded)
                sections.removeAt(i);
        if (sections.size() == before)
            return false;
        reindexSections();
        return true;
    }
};

ProfileIni::ProfileIni(const QString &fileName, ValueLength valueLength, qint64 maxFileSize)
    : m_fileName(fileName)
    , m_wholeValues(valueLength == ValueLength::Whole)
    , m_maxFileSize(maxFileSize)
{}

int ProfileIni::setLockWait(int milliseconds)
{
    const int previous = g_lockWaitMs;
    g_lockWaitMs = milliseconds > 0 ? milliseconds : DefaultLockWaitMs;
    return previous;
}

QString ProfileIni::errorString() const
{
    return m_error.isEmpty() ? doc().refused : m_error;
}

ProfileIni::~ProfileIni() = default;

ProfileIni::Document &ProfileIni::doc(bool reread) const
{
    const atomicfile::FileStamp now = atomicfile::stampOf(m_fileName);
    if (!m_doc || reread || !(m_doc->stamp == now)) {
        if (!m_doc)
            m_doc = std::make_unique<Document>();
        QByteArray bytes;
        QString refused;
        if (now.exists) {
            // never more than the limit, even from a file that grows while it is read; never a pipe or
            // a device, which could hold the program or never end
            const regularfiles::Outcome read = regularfiles::read(m_fileName, m_maxFileSize, bytes);
            if (read.kind == regularfiles::Outcome::NotAFile || read.kind == regularfiles::Outcome::Unreadable) {
                // what cannot be read must not be replaced by a file holding only the next change
                refused = read.reason;
            } else if (bytes.size() > m_maxFileSize) {
                bytes.clear();
                refused = QStringLiteral("it is larger than %1 bytes, the most the program reads").arg(m_maxFileSize);
            }
        }
        m_doc->parse(bytes);
        m_doc->refused = refused;
        m_doc->stamp = now;
    }
    return *m_doc;
}

bool ProfileIni::save(Document &d)
{
    if (!d.refused.isEmpty()) {
        m_error = d.refused; // what was not read must not be overwritten
        return false;
    }
    const QByteArray bytes = d.serialize();
    if (bytes.size() > m_maxFileSize) {
        // a file over the limit would be refused at its next read, and every write after it
        m_error = QStringLiteral("the change would make the file larger than %1 bytes, the most it may hold; the "
                                 "file was left as it was")
                      .arg(m_maxFileSize);
        return false;
    }
    if (!atomicfile::write(m_fileName, bytes, &m_error))
        return false;
    d.stamp = atomicfile::stampOf(m_fileName);
    return true;
}

bool ProfileIni::update(const std::function<bool(Document &)> &change)
{
    m_error.clear(); // a reason stays only as long as its failure is the last write
    const QString folder = QFileInfo(m_fileName).absolutePath();
    QDir().mkpath(folder);
    // what another program wrote is re-read under the lock; one that keeps the lock too long fails the write
    const atomicfile::FolderLock lock(folder, g_lockWaitMs);
    if (!lock.held()) {
        m_error = lock.reason();
        return false;
    }
    // what another program wrote since the last read is the base of this change
    Document &d = doc(true);
    if (!change(d))
        return true; // nothing to write
    if (save(d))
        return true;
    m_doc.reset(); // the next read sees the file as it is
    return false;
}

QString ProfileIni::readString(const QString &section, const QString &key, const QString &def) const
{
    const Document::Line *l = doc().findKey(section, key);
    return l ? Document::valueOf(*l, m_wholeValues) : def;
}

int ProfileIni::readInteger(const QString &section, const QString &key, int def) const
{
    return textrules::strToIntDef(readString(section, key, QString()), def);
}

bool ProfileIni::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool ProfileIni::sectionExists(const QString &section) const
{
    return doc().find(section) != nullptr;
}

bool ProfileIni::valueExists(const QString &section, const QString &key) const
{
    return doc().findKey(section, key) != nullptr;
}

QStringList ProfileIni::readSection(const QString &section) const
{
    QStringList keys;
    if (const Document::Section *s = doc().find(section))
        for (const Document::Line &l : s->lines)
            if (l.isKey)
                keys.append(l.key);
    return keys;
}

QStringList ProfileIni::readSectionValues(const QString &section) const
{
    QStringList lines;
    Document &d = doc();
    if (const Document::Section *s = d.find(section))
        for (const Document::Line &l : s->lines)
            if (l.isKey)
                lines.append(
                    l.key + u'=' +
                    Document::valueOf(s->lines.at(s->firstKey.value(textrules::foldAscii(l.key))), m_wholeValues));
    return lines;
}

QStringList ProfileIni::readSections() const
{
    QStringList names;
    const Document &d = doc();
    for (qsizetype i = 1; i < d.sections.size(); ++i)
        names.append(d.sections.at(i).name);
    return names;
}

static bool validName(const QString &key)
{
    const QString t = textrules::trim(key);
    return !t.isEmpty() && storable(key) && !key.contains(u'=') && !t.startsWith(u'[') && !t.startsWith(u';');
}

static bool validSection(const QString &section)
{
    return storable(section) && !section.contains(u']');
}

const QString UnstorableText = QStringLiteral("The name or value cannot be stored in the file.");

bool ProfileIni::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!validSection(section) || !validName(key) || !storable(value)) {
        m_error = UnstorableText;
        return false;
    }
    return update([&](Document &d) {
        d.setKey(section, textrules::trim(key), value);
        return true;
    });
}

bool ProfileIni::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool ProfileIni::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ProfileIni::eraseSection(const QString &section)
{
    return update([&](Document &d) { return d.eraseSection(section); });
}

bool ProfileIni::deleteKey(const QString &section, const QString &key)
{
    return update([&](Document &d) {
        Document::Section *s = d.find(section);
        const QString folded = textrules::foldAscii(textrules::trim(key));
        if (!s || !s->firstKey.contains(folded))
            return false;
        s->lines.removeIf([&](const Document::Line &l) { return l.isKey && textrules::foldAscii(l.key) == folded; });
        Document::reindexKeys(*s);
        return true;
    });
}

// The outcome of a change: a result the file cannot hold fails with its reason; what was written goes to written.
template <typename T> static bool finishChange(bool ok, bool unstorable, const T &result, T *written, QString &error)
{
    if (unstorable) {
        error = UnstorableText;
        return false;
    }
    if (ok && written)
        *written = result;
    return ok;
}

bool ProfileIni::changeSection(const QString &section,
                               const std::function<QStringList(const QStringList &current)> &change,
                               QStringList *written)
{
    if (!validSection(section)) {
        m_error = UnstorableText;
        return false;
    }
    bool unstorable = false;
    QStringList result;
    const bool ok = update([&](Document &d) {
        const QList<Document::Line> before = d.firstLines(section);
        QStringList current;
        QHash<QString, qsizetype> beforeAt; // folded name -> its line in before
        current.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            current.append(before.at(i).key + u'=' + Document::valueOf(before.at(i), m_wholeValues));
            beforeAt.insert(textrules::foldAscii(before.at(i).key), i);
        }
        const QStringList changed = change(current);
        // the lines the section can hold: named ones, the first of two equal names
        result.clear();
        QSet<QString> seen;
        for (const QString &line : changed) {
            const QString name = textrules::trim(textrules::lineName(line));
            if (name.isEmpty())
                continue;
            if (!validName(name) || !storable(textrules::lineValue(line))) {
                unstorable = true;
                return false;
            }
            const QString folded = textrules::foldAscii(name);
            if (seen.contains(folded))
                continue;
            seen.insert(folded);
            result.append(line);
        }
        if (result == current && d.find(section))
            return false; // nothing to write
        // the section's header keeps its bytes too
        const Document::Section *was = d.find(section);
        const QByteArray header = was ? was->headerRaw : QByteArray();
        d.eraseSection(section);
        Document::Section &s = d.findOrAdd(section);
        if (!header.isEmpty())
            s.headerRaw = header;
        for (const QString &line : std::as_const(result)) {
            const QString name = textrules::trim(textrules::lineName(line));
            const QString value = textrules::lineValue(line);
            // a line that did not change keeps its bytes
            const qsizetype was = beforeAt.value(textrules::foldAscii(name), -1);
            if (was >= 0 && before.at(was).key == name && Document::valueOf(before.at(was), m_wholeValues) == value)
                Document::appendKeyLine(s, before.at(was));
            else
                d.setKey(section, name, value);
        }
        return true;
    });
    return finishChange(ok, unstorable, result, written, m_error);
}

bool ProfileIni::changeString(const QString &section, const QString &key,
                              const std::function<QString(const QString &current)> &change, QString *written)
{
    if (!validSection(section) || !validName(key)) {
        m_error = UnstorableText;
        return false;
    }
    bool unstorable = false;
    QString result;
    const bool ok = update([&](Document &d) {
        const Document::Line *line = d.findKey(section, key);
        const QString current = line ? Document::valueOf(*line, m_wholeValues) : QString();
        result = change(current);
        if (line && result == current)
            return false;
        if (!storable(result)) {
            unstorable = true;
            return false;
        }
        d.setKey(section, textrules::trim(key), result);
        return true;
    });
    return finishChange(ok, unstorable, result, written, m_error);
}

bool ProfileIni::replaceSection(const QString &section, const QList<QPair<QString, QString>> &pairs)
{
    if (!validSection(section)) {
        m_error = UnstorableText;
        return false;
    }
    for (const auto &p : pairs)
        if (!validName(p.first) || !storable(p.second)) {
            m_error = UnstorableText;
            return false;
        }
    return update([&](Document &d) {
        d.eraseSection(section);
        d.findOrAdd(section);
        for (const auto &p : pairs) {
            const Document::Section *s = d.find(section);
            if (s->firstKey.contains(textrules::foldAscii(textrules::trim(p.first))))
                continue;
            d.setKey(section, textrules::trim(p.first), p.second);
        }
        return true;
    });
}

QString ProfileIni::storableName(const QString &name)
{
    QString n = storableValue(name);
    n.replace(u'=', u'-');
    n = textrules::trim(n);
    if (n.startsWith(u'[')) {
        n[0] = u'(';
        const qsizetype close = n.indexOf(u']');
        if (close > 0)
            n[close] = u')';
    } else if (n.startsWith(u';')) {
        n[0] = u'_';
    }
    return n;
}

QString ProfileIni::storableValue(const QString &value)
{
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    v.remove(QChar(0));
    return v;
}

QStringList ProfileIni::parseSectionsForTest(const QByteArray &bytes)
{
    Document d;
    d.parse(bytes);
    QStringList out;
    for (qsizetype i = 1; i < d.sections.size(); ++i) {
        out.append(d.sections.at(i).name);
        for (const Document::Line &l : d.sections.at(i).lines)
            if (l.isKey)
                out.append(l.key + u'=' + Document::valueOf(l));
    }
    return out;
}

QByteArray ProfileIni::roundTripForTest(const QByteArray &bytes)
{
    Document d;
    d.parse(bytes);
    return d.serialize();
}
