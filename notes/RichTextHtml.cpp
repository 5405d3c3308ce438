#include "notes/RichTextHtml.h"

#include "notes/RichTextModel.h"

#include <QFontDatabase>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <limits>

namespace richedit {

namespace {

constexpr int MaxListNumber = 32767;
constexpr int MaxListLevel = 255;
// What a browser indents each level of a list and each step of an indent: 40 pixels.
constexpr int LevelIndent = 600; // twips
constexpr int MaxIndent = 31680; // twips: 22 inches
constexpr int MaxHeight = 32760; // twips: 1638 points

// A scratch document that loads nothing a text names: no picture, no style sheet, no file, local or
// remote, whatever resource provider the program has.
class TUnloadingDocument : public QTextDocument {
public:
    TUnloadingDocument()
    {
        setUndoRedoEnabled(false);
        setResourceProvider([](const QUrl &) { return QVariant(); });
    }

protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

bool isAsciiNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// Elements that hold nothing and have no end tag.
bool isVoidElement(const QString &name)
{
    static const QStringList names = {"area",  "base",   "basefont", "br",   "col",   "embed",  "frame", "hr", "img",
                                      "input", "keygen", "link",     "meta", "param", "source", "track", "wbr"};
    return names.contains(name);
}

// Elements whose content is no markup: it is passed over to their end tag.
bool isRawTextElement(const QString &name)
{
    return name == u"script" || name == u"style" || name == u"title" || name == u"textarea" || name == u"xmp";
}

// One start or end tag as far as the preparation reads it.
struct TTag {
    QString name; // in lower case
    bool end = false;
    bool selfClosed = false;
    qsizetype close = -1; // the ">" (or the "/" of "/>")
    int start = 0;        // the value of a start attribute; 0 for none
    int value = 0;        // the value of a value attribute; 0 for none
    QString type;         // the value of a type attribute, as written
    QString size;         // of a font element
    QString fontSize;     // the last font-size its style attribute declares, in lower case
    QString listStyle;    // the last list-style-type it declares, in lower case
};

// The value a style attribute declares last for the property, in lower case; empty for none.
QString declared(QStringView style, QStringView property)
{
    QString value;
    for (const QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon > 0 && declaration.first(colon).trimmed().compare(property, Qt::CaseInsensitive) == 0)
            value = declaration.sliced(colon + 1).trimmed().toString().toLower();
    }
    value.remove(QStringLiteral("!important"));
    return value.trimmed();
}

// Reads the tag whose "<" is at lt; false when the text there is no tag (close -1: cut off by the end).
bool readTag(const QString &html, qsizetype lt, TTag &tag)
{
    const qsizetype n = html.size();
    tag = TTag();
    qsizetype p = lt + 1;
    if (p < n && html[p] == u'/') {
        tag.end = true;
        ++p;
    }
    const qsizetype nameStart = p;
    while (p < n && isAsciiNameChar(html[p]))
        ++p;
    if (p == nameStart)
        return false;
    tag.name = html.sliced(nameStart, p - nameStart).toLower();
    while (p < n) {
        const QChar c = html[p];
        if (c == u'>') {
            tag.close = p;
            return true;
        }
        if (c == u'/' && p + 1 < n && html[p + 1] == u'>') {
            tag.selfClosed = true;
            tag.close = p;
            return true;
        }
        if (c.isSpace() || c == u'/' || c == u'=') {
            ++p;
            continue;
        }
        const qsizetype attrStart = p;
        while (p < n && !html[p].isSpace() && html[p] != u'=' && html[p] != u'>' && html[p] != u'/')
            ++p;
        const QStringView attr = QStringView(html).sliced(attrStart, p - attrStart);
        while (p < n && html[p].isSpace())
            ++p;
        if (p >= n || html[p] != u'=')
            continue;
        ++p;
        while (p < n && html[p].isSpace())
            ++p;
        qsizetype valueStart = p;
        qsizetype valueEnd = p;
        if (p < n && (html[p] == u'"' || html[p] == u'\'')) {
            const qsizetype quote = html.indexOf(html[p], p + 1);
            if (quote < 0)
                return true; // a quote the text never closes: cut off
            valueStart = p + 1;
            valueEnd = quote;
            p = quote + 1;
        } else {
            while (p < n && !html[p].isSpace() && html[p] != u'>')
                ++p;
            valueEnd = p;
        }
        const QStringView value = QStringView(html).sliced(valueStart, valueEnd - valueStart).trimmed();
        const auto number = [&value] {
            bool ok = false;
            const qint64 n = value.toLongLong(&ok);
            return ok ? int(std::clamp<qint64>(n, 1, MaxListNumber)) : 0;
        };
        if (attr.compare(u"start", Qt::CaseInsensitive) == 0) {
            tag.start = number();
        } else if (attr.compare(u"value", Qt::CaseInsensitive) == 0) {
            tag.value = number();
        } else if (attr.compare(u"type", Qt::CaseInsensitive) == 0) {
            tag.type = value.toString();
        } else if (attr.compare(u"size", Qt::CaseInsensitive) == 0) {
            tag.size = value.toString();
        } else if (attr.compare(u"style", Qt::CaseInsensitive) == 0) {
            if (QString size = declared(value, u"font-size"); !size.isEmpty())
                tag.fontSize = std::move(size);
            if (QString list = declared(value, u"list-style-type"); !list.isEmpty())
                tag.listStyle = std::move(list);
        }
    }
    return true;
}

// Pixels at the font size a browser calls medium.
constexpr double MediumPixels = 16;

// The pixels of a CSS font size (NaN when it is none this reads) in an element whose parent's font
// size is parent pixels.
double cssPixels(const QString &size, double parent)
{
    static const QHash<QString, double> keywords = {{"xx-small", 9},  {"x-small", 10},  {"small", 13},
                                                    {"medium", 16},   {"large", 18},    {"x-large", 24},
                                                    {"xx-large", 32}, {"xxx-large", 48}};
    if (const auto k = keywords.constFind(size); k != keywords.cend())
        return *k;
    if (size == u"larger")
        return parent * 1.2;
    if (size == u"smaller")
        return parent / 1.2;
    static const std::pair<const char16_t *, double> absolute[] = {{u"px", 1},  {u"pt", 4.0 / 3},   {u"pc", 16},
                                                                   {u"in", 96}, {u"cm", 96 / 2.54}, {u"mm", 96 / 25.4}};
    const auto number = [&](qsizetype unit) {
        bool ok = false;
        const double value = QStringView(size).first(size.size() - unit).trimmed().toDouble(&ok);
        return ok && value >= 0 ? value : std::numeric_limits<double>::quiet_NaN();
    };
    for (const auto &[unit, factor] : absolute) {
        if (size.endsWith(unit))
            return number(2) * factor;
    }
    if (size.endsWith(u"rem"))
        return number(3) * MediumPixels;
    if (size.endsWith(u"em"))
        return number(2) * parent;
    if (size.endsWith(u"%"))
        return number(1) * parent / 100;
    return std::numeric_limits<double>::quiet_NaN();
}

// The pixels a browser gives an element's text by the element alone (headings, <big>, <small>,
// <font size>); NaN for one that keeps its parent's size.
double elementPixels(const TTag &tag, double parent)
{
    static const QHash<QString, double> headings = {{"h1", 2}, {"h2", 1.5},  {"h3", 1.17},
                                                    {"h4", 1}, {"h5", 0.83}, {"h6", 0.67}};
    if (const auto h = headings.constFind(tag.name); h != headings.cend())
        return *h * parent;
    if (tag.name == u"big")
        return parent * 1.2;
    if (tag.name == u"small")
        return parent / 1.2;
    if (tag.name == u"font" && !tag.size.isEmpty()) {
        static constexpr double steps[] = {10, 13, 16, 18, 24, 32, 48}; // sizes 1 to 7
        bool ok = false;
        int step = tag.size.toInt(&ok);
        if (!ok)
            return std::numeric_limits<double>::quiet_NaN();
        if (tag.size.startsWith(u'+') || tag.size.startsWith(u'-'))
            step += 3;
        return steps[std::clamp(step, 1, 7) - 1];
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// The numbering a list's type attribute or list-style-type names; -1 for none of them.
int listKindOf(const QString &type, const QString &listStyle)
{
    static const QHash<QString, int> types = {{"1", PFN_ARABIC},      {"a", PFN_LCLETTER},   {"A", PFN_UCLETTER},
                                              {"i", PFN_LCROMAN},     {"I", PFN_UCROMAN},    {"disc", PFN_BULLET},
                                              {"circle", PFN_BULLET}, {"square", PFN_BULLET}};
    static const QHash<QString, int> styles = {{"decimal", PFN_ARABIC},       {"decimal-leading-zero", PFN_ARABIC},
                                               {"lower-alpha", PFN_LCLETTER}, {"lower-latin", PFN_LCLETTER},
                                               {"upper-alpha", PFN_UCLETTER}, {"upper-latin", PFN_UCLETTER},
                                               {"lower-roman", PFN_LCROMAN},  {"upper-roman", PFN_UCROMAN},
                                               {"disc", PFN_BULLET},          {"circle", PFN_BULLET},
                                               {"square", PFN_BULLET},        {"none", 0}};
    if (const auto k = styles.constFind(listStyle); k != styles.cend())
        return *k;
    if (const auto k = types.constFind(type); k != types.cend())
        return *k;
    return -1;
}

// A list item's numbering, level and number ride to the conversion in its paragraph's user state (Qt's
// reader makes each list's items cost time in proportion to the list's length, so no list reaches it).
constexpr int ListItemMark = 1 << 27;

int listItemState(int kind, int level, int number)
{
    return ListItemMark | (kind + 1) | (std::clamp(level, 1, MaxListLevel) << 4) |
           (std::clamp(number, 1, MaxListNumber) << 12);
}

struct TListItem {
    int kind = 0;
    int level = 0;
    int number = 0;
};

bool listItemOf(int state, TListItem &item)
{
    if (state < 0 || (state & ~((ListItemMark << 1) - 1)) != 0 || !(state & ListItemMark))
        return false;
    item.kind = (state & 15) - 1;
    item.level = (state >> 4) & 0xFF;
    item.number = (state >> 12) & 0x7FFF;
    return item.kind >= 0 && item.kind <= PFN_UCROMAN && item.level > 0 && item.number > 0;
}

// The HTML made ready for Qt's reader, or null when it is not to be read.
//
// Qt's reader keeps every size a run inherits (pixels, points and the HTML size steps) without telling
// which one its innermost element set, so a heading inside a block of a given pixel size would read as
// that size: the font sizes are worked out here as a browser does and each element states its own in
// points. Lists become blocks that carry each item's numbering, level and number; pictures and style
// sheet links go.
//
// Null when the HTML is too long, or its elements are nested deeper than MaxHtmlDepth as a reader that
// matches tags by name counts them (an end tag closes the nearest open element of its name and is
// ignored when there is none; elements a reader closes by themselves, as an unclosed paragraph, count
// on).
class TPreparation {
public:
    explicit TPreparation(const QString &html)
        : m_html(html)
    {}
    QString Run();

private:
    enum : int { Plain = -1, Item = -2, AnyList = -3 };
    struct Open {
        QString name;     // as Qt's reader sees it: a list or a list item is a div
        double pixels;    // NaN: no size is known here
        int kind = Plain; // a list's numbering, Item for a list item, Plain for any other element
        int next = 1;     // a list's next number
    };
    // Copies the text up to pos, unless it is left out from there to resume.
    void copyTo(qsizetype pos) { m_out += QStringView(m_html).sliced(m_copied, pos - m_copied); }
    void leaveOut(qsizetype pos, qsizetype resume)
    {
        copyTo(pos);
        m_copied = resume;
    }
    // Closes the open elements from the last down to index, each by its own end tag.
    void closeTo(qsizetype index);
    bool startTag(qsizetype lt);
    void endTag(qsizetype lt);
    QString listItemStyle();

    const QString &m_html;
    QString m_out;
    qsizetype m_copied = 0;
    qsizetype m_at = 0;
    TTag m_tag;
    QVarLengthArray<Open, 64> m_open;
};

QString TPreparation::Run()
{
    if (m_html.size() > MaxHtmlLength)
        return {};
    m_out.reserve(m_html.size() + m_html.size() / 4);
    const qsizetype n = m_html.size();
    while (m_at < n) {
        const qsizetype lt = m_html.indexOf(u'<', m_at);
        if (lt < 0 || lt + 1 >= n)
            break;
        const QChar next = m_html[lt + 1];
        if (next == u'!' || next == u'?') {
            const bool comment = QStringView(m_html).sliced(lt).startsWith(u"<!--");
            const qsizetype end = comment ? m_html.indexOf(u"-->", lt + 4) : m_html.indexOf(u'>', lt + 2);
            m_at = end < 0 ? n : end + (comment ? 3 : 1);
            continue;
        }
        if (!readTag(m_html, lt, m_tag)) {
            m_at = lt + 1;
            continue;
        }
        if (m_tag.close < 0)
            break;
        m_at = m_tag.close + 1;
        if (m_tag.end)
            endTag(lt);
        else if (!startTag(lt))
            return {};
    }
    copyTo(n);
    return m_out;
}

void TPreparation::closeTo(qsizetype index)
{
    while (m_open.size() > index) {
        m_out += QStringLiteral("</") + m_open.last().name + u'>';
        m_open.removeLast();
    }
}

// An end tag closes the nearest open element of its name and all inside it, each by its end tag as Qt's
// reader names it; one of no open element is left out. So Qt's reader never holds an element open that
// is closed here.
void TPreparation::endTag(qsizetype lt)
{
    const QString name =
        m_tag.name == u"ol" || m_tag.name == u"ul" || m_tag.name == u"li" ? QStringLiteral("div") : m_tag.name;
    const int kind = m_tag.name == u"li" ? Item : m_tag.name == u"ol" || m_tag.name == u"ul" ? AnyList : Plain;
    leaveOut(lt, m_at);
    for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
        const Open &o = m_open[i];
        if (o.name == name && (kind == AnyList ? o.kind >= 0 : o.kind == kind)) {
            closeTo(i);
            return;
        }
    }
}

bool TPreparation::startTag(qsizetype lt)
{
    const TTag &tag = m_tag;
    if (isRawTextElement(tag.name)) {
        // its content, and its end tag, pass as they are
        if (!tag.selfClosed) {
            const qsizetype end = m_html.indexOf(QStringLiteral("</") + tag.name, m_at, Qt::CaseInsensitive);
            const qsizetype gt = end < 0 ? -1 : m_html.indexOf(u'>', end);
            m_at = gt < 0 ? m_html.size() : gt + 1;
        }
        return true;
    }
    if (tag.name == u"link" || tag.name == u"img") {
        // a link only names something to load (Qt's reader takes an unclosed one for a container of all
        // that follows); pictures are left out (Qt's reader takes time that grows with the square of
        // their number)
        leaveOut(lt, m_at);
        return true;
    }
    if (tag.selfClosed || isVoidElement(tag.name))
        return true;
    const bool list = tag.name == u"ol" || tag.name == u"ul";
    const bool item = tag.name == u"li";
    if (item) {
        // an item ends the item open in the same list
        for (qsizetype i = m_open.size() - 1; i >= 0 && m_open[i].kind < 0; --i) {
            if (m_open[i].kind == Item) {
                leaveOut(lt, lt);
                closeTo(i);
                break;
            }
        }
    }
    if (m_open.size() >= MaxHtmlDepth)
        return false;

    const double parent = m_open.isEmpty() ? std::numeric_limits<double>::quiet_NaN() : m_open.last().pixels;
    const double base = std::isnan(parent) ? MediumPixels : parent;
    double pixels = tag.fontSize.isEmpty() ? std::numeric_limits<double>::quiet_NaN() : cssPixels(tag.fontSize, base);
    if (std::isnan(pixels))
        pixels = elementPixels(tag, base);
    pixels = std::isnan(pixels) ? parent : std::clamp(pixels, 1.0, MaxHeight / 15.0);
    Open element{list || item ? QStringLiteral("div") : tag.name, pixels};

    QString style;
    if (!std::isnan(pixels))
        style += QStringLiteral("font-size:") + QString::number(pixels * 0.75, 'f', 2) + QStringLiteral("pt;");
    if (list) {
        const int kind = listKindOf(tag.type, tag.listStyle);
        element.kind = kind >= 0 ? kind : tag.name == u"ol" ? PFN_ARABIC : PFN_BULLET;
        element.next = tag.start > 0 ? tag.start : 1;
    } else if (item) {
        element.kind = Item;
        style += listItemStyle();
    }
    if (list || item) {
        // a block of Qt's own: no list of Qt's
        leaveOut(lt, lt + 1 + tag.name.size());
        m_out += QStringLiteral("<div");
    }
    if (!style.isEmpty()) {
        // a second style attribute: Qt's reader reads both, this one last
        leaveOut(tag.close, tag.close);
        m_out += QStringLiteral(" style=\"") + style + u'"';
    }
    m_open.append(element);
    if (tag.name == u"span") {
        // a space the engine kept from collapsing at the edge of a copied element: one no-break space
        // alone in a span, where the page showed a plain space
        for (const QStringView nbsp : {QStringView(u"\u00a0"), QStringView(u"&nbsp;"), QStringView(u"&#160;")}) {
            if (QStringView(m_html).sliced(m_at).startsWith(nbsp, Qt::CaseInsensitive) &&
                QStringView(m_html).sliced(m_at + nbsp.size()).startsWith(u"</span", Qt::CaseInsensitive)) {
                leaveOut(m_at, m_at + nbsp.size());
                m_out += u' ';
                break;
            }
        }
    }
    return true;
}

// The user state that carries a list item's numbering, level and number; an item outside any list is a
// bullet.
QString TPreparation::listItemStyle()
{
    int level = 0;
    Open *list = nullptr;
    for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
        if (m_open[i].kind >= 0) {
            list = list ? list : &m_open[i];
            ++level;
        }
    }
    const int own = listKindOf(m_tag.type, m_tag.listStyle);
    const int kind = own >= 0 ? own : list ? list->kind : PFN_BULLET;
    const int number = m_tag.value > 0 ? m_tag.value : list ? list->next : 1;
    if (list)
        list->next = std::min(number + 1, MaxListNumber);
    return QStringLiteral("-qt-user-state:") + QString::number(listItemState(kind, level, number)) + u';';
}

QString prepared(const QString &html)
{
    return TPreparation(html).Run();
}

// The font sizes of the HTML size steps from xx-small to xxx-large (headings, <font size>, <big>,
// <small>), as a browser shows them at its usual 16 pixels: for runs whose size no element states.
int adjustedHeight(int adjustment)
{
    static constexpr int pixels[] = {9, 10, 13, 16, 18, 24, 32, 48};
    return pixels[std::clamp(adjustment, -3, 4) + 3] * 15;
}

// The face of a CSS font list: the first installed one, or the usual face of a generic family; the
// first one named when none is either.
class TFaces {
public:
    QString FaceOf(const QStringList &families)
    {
        const QString key = families.join(u',');
        if (const auto known = m_faces.constFind(key); known != m_faces.cend())
            return *known;
        QString face;
        for (const QString &family : families) {
            const QString name = unquoted(family);
            const QString lower = name.toLower();
            if (lower == u"sans-serif" || lower == u"system-ui" || lower == u"ui-sans-serif")
                face = QStringLiteral("Arial");
            else if (lower == u"serif" || lower == u"ui-serif")
                face = QStringLiteral("Times New Roman");
            else if (lower == u"monospace" || lower == u"ui-monospace")
                face = QStringLiteral("Courier New");
            else if (!name.isEmpty() && QFontDatabase::hasFamily(name))
                face = name;
            if (!face.isEmpty())
                break;
        }
        if (face.isEmpty() && !families.isEmpty())
            face = unquoted(families.first());
        if (m_faces.size() < 256)
            m_faces.insert(key, face);
        return face;
    }

private:
    static QString unquoted(const QString &family)
    {
        QString name = family.trimmed();
        if (name.size() >= 2 && (name.front() == u'"' || name.front() == u'\'') && name.back() == name.front())
            name = name.sliced(1, name.size() - 2).trimmed();
        return name;
    }
    QHash<QString, QString> m_faces;
};

// A run's format in the notes' terms; what the HTML does not say comes from defaults.
TRichCharFormat charFormatOf(const QTextCharFormat &html, const TRichCharFormat &defaults, TFaces &faces)
{
    QTextCharFormat f = html;
    // the size in points each element states (see prepared); else pixels or a size step as points
    if (!html.hasProperty(QTextFormat::FontPointSize)) {
        if (html.hasProperty(QTextFormat::FontPixelSize))
            f.setFontPointSize(html.intProperty(QTextFormat::FontPixelSize) * 0.75);
        else if (html.hasProperty(QTextFormat::FontSizeAdjustment))
            f.setFontPointSize(adjustedHeight(html.intProperty(QTextFormat::FontSizeAdjustment)) / 20.0);
    }
    // a transparent colour is no colour
    for (const int brush : {int(QTextFormat::ForegroundBrush), int(QTextFormat::BackgroundBrush)}) {
        if (html.hasProperty(brush) && html.brushProperty(brush).style() != Qt::NoBrush &&
            html.brushProperty(brush).color().alpha() == 0)
            f.clearProperty(brush);
    }
    f.clearProperty(QTextFormat::FontFamilies);
    TRichCharFormat r = CharFormatOf(f, defaults);
    if (html.hasProperty(QTextFormat::FontFamilies)) {
        const QString face = faces.FaceOf(html.fontFamilies().toStringList());
        if (!face.isEmpty())
            r.FaceName = face;
    }
    r.Height = std::clamp(r.Height, 20, MaxHeight);
    return r;
}

int alignmentOf(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return PFA_CENTER;
    if (a & Qt::AlignJustify)
        return PFA_JUSTIFY;
    if ((a & Qt::AlignRight) && !(a & Qt::AlignLeft))
        return PFA_RIGHT;
    return PFA_LEFT;
}

// The table a paragraph stands in, counting the outermost one of nested tables.
const QTextTable *outermostTable(const QTextDocument &doc, const QTextBlock &block)
{
    const QTextTable *table = nullptr;
    for (const QTextFrame *f = doc.frameAt(block.position()); f && f != doc.rootFrame(); f = f->parentFrame()) {
        if (const auto *t = qobject_cast<const QTextTable *>(f))
            table = t;
    }
    return table;
}

// Walks Qt's reading of the HTML into the builder.
class TConversion {
public:
    TConversion(const QTextDocument &html, TRichDocumentBuilder &builder)
        : m_html(html)
        , m_builder(builder)
    {}
    void Run();

private:
    TRichParaFormat paraFormatOf(const QTextBlock &block);
    void addText(const QTextBlock &block);

    const QTextDocument &m_html;
    TRichDocumentBuilder &m_builder;
    TFaces m_faces;
    // The list the items read last belong to, and the item read last at each of its levels: an item
    // counts on from that one when numbered alike with the next number; an outermost item that does
    // not begins a list of its own, and an item ends what deeper levels had.
    struct TLevelItem {
        bool seen = false;
        TListItem item;
        int start = 0;
    };
    int m_list = 0;
    std::array<TLevelItem, MAX_LIST_LEVELS> m_levels{};
};

void TConversion::Run()
{
    const QTextTable *previousTable = nullptr;
    int previousRow = -1;
    int previousColumn = -1;
    bool started = false;
    for (QTextBlock b = m_html.begin(); b.isValid(); b = b.next()) {
        const QTextTable *table = outermostTable(m_html, b);
        const QTextTableCell cell = table ? table->cellAt(b.position()) : QTextTableCell();
        if (started) {
            if (table && table == previousTable && cell.row() == previousRow) {
                // the cells of a row on one line
                m_builder.AddText(cell.column() == previousColumn ? u" " : u"\t");
                previousColumn = cell.column();
                addText(b);
                continue;
            }
            if (!table && previousTable && b.length() <= 1) {
                previousTable = nullptr; // the empty paragraph Qt puts after a table
                continue;
            }
            m_builder.EndParagraph();
        }
        started = true;
        m_builder.SetParaFormat(paraFormatOf(b));
        previousTable = table;
        previousRow = table ? cell.row() : -1;
        previousColumn = table ? cell.column() : -1;
        addText(b);
    }
    m_builder.Finish();
}

TRichParaFormat TConversion::paraFormatOf(const QTextBlock &block)
{
    const QTextBlockFormat bf = block.blockFormat();
    TRichParaFormat f;
    f.Alignment = alignmentOf(bf.alignment());
    if (f.Alignment != PFA_LEFT)
        f.Mask |= PFM_ALIGNMENT;
    TListItem item;
    if (!listItemOf(block.userState(), item)) {
        const int indent = PixelsToTwips(bf.leftMargin()) + bf.indent() * LevelIndent;
        if (indent > 0) {
            f.Mask |= PFM_STARTINDENT | PFM_OFFSET;
            f.StartIndent = std::min(indent, MaxIndent);
        }
        return f;
    }
    f.Mask |= PFM_NUMBERING | PFM_NUMBERINGSTART | PFM_STARTINDENT | PFM_OFFSET | PFM_LIST;
    f.Numbering = item.kind;
    f.StartIndent = std::min(LevelIndent * (item.level - 1), MaxIndent - LevelIndent);
    f.Offset = LevelIndent;
    const int level = std::min(item.level, MAX_LIST_LEVELS) - 1;
    TLevelItem &before = m_levels[level];
    const bool counted = IsCounted(item.kind);
    const bool countsOn =
        before.seen && before.item.kind == item.kind && (!counted || before.item.number == item.number - 1);
    if (m_list == 0 || (level == 0 && !countsOn)) {
        m_list = NewListId();
        m_levels = {};
    }
    for (int deeper = level + 1; deeper < MAX_LIST_LEVELS; ++deeper)
        m_levels[deeper].seen = false;
    f.List = m_list;
    f.ListLevel = level;
    f.NumberingStart = counted ? (countsOn ? before.start : item.number) : 1;
    before = {true, item, f.NumberingStart};
    return f;
}

void TConversion::addText(const QTextBlock &block)
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat())
            continue; // pictures are left out
        m_builder.SetCharFormat(charFormatOf(format, m_builder.Defaults(), m_faces));
        const QString text = fragment.text();
        QString run;
        run.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == QChar::LineSeparator || u == u'\n' || u == u'\r') {
                m_builder.AddText(run);
                run.clear();
                m_builder.AddLineBreak();
            } else if (u == u'\t' || (u >= 0x20 && u != ObjectChar && u != 0xFDD0 && u != 0xFDD1 &&
                                      u != QChar::ParagraphSeparator && (u < 0x7F || u > 0x9F))) {
                run += c;
            }
        }
        m_builder.AddText(run);
    }
}

} // namespace

QTextDocumentFragment FragmentFromHtml(const QString &html, const TRichCharFormat &defaults)
{
    const QString text = prepared(html);
    if (text.isEmpty())
        return {};
    TUnloadingDocument read;
    read.setHtml(text);
    QTextDocument out;
    out.setUndoRedoEnabled(false);
    TRichDocumentBuilder builder(QTextCursor(&out), defaults);
    TConversion(read, builder).Run();
    if (out.characterCount() <= 1)
        return {};
    return QTextDocumentFragment(&out);
}

} // namespace richedit
