#include "notes/RtfReader.h"

#include "notes/RtfPicture.h"
#include "platform/CodePage.h"

#include <QBuffer>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

using namespace richedit;

namespace rtf {

namespace {

enum class Dest : quint8 {
    Body,       // document text
    FontTable,  // font entries
    ColorTable, // colour entries
    ListTable,  // \list groups
    List,       // one \list
    ListLevel,  // one \listlevel
    OverrideTable,
    Override,  // one \listoverride
    Numbering, // {\*\pn ...}
    ListText,  // \pntext and \listtext: the number or bullet as text
    Picture,   // \pict
    Object,    // \object
    ObjectResult,
    UprAnsi, // the ANSI half of \upr (its \ud half is read instead)
    Ignore,  // a group whose text means nothing here (but whose subgroups may)
};

// Character properties as the file states them; turned into a model record when text is added.
struct CharState {
    int Font = -1;
    int HalfPoints = 24;
    quint32 Effects = 0; // CFE_ bits of bold, italic, underline, strikeout, protected, hidden, sub, super
    quint8 UnderlineType = 0;
    int Color = 0;
    int Back = 0;
    int Offset = 0; // twips
    bool operator==(const CharState &) const = default;
};

struct ParaState {
    int Alignment = PFA_LEFT;
    int Left = 0, First = 0, Right = 0; // \li, \fi, \ri
    int SpaceBefore = 0, SpaceAfter = 0;
    int LineSpacing = 0;
    bool LineMultiple = false;
    QList<int> Tabs;
    bool InTable = false;
    int List = 0, Level = 0; // \ls, \ilvl
    int PnNumbering = 0;     // from {\*\pn}
};

struct State {
    Dest Destination = Dest::Body;
    bool Owner = false; // the destination began in this group
    Dest UprOuter = Dest::Body;
    CharState Char;
    ParaState Para;
    // which of the associated fonts text takes: 0 the \f font, 1 \loch, 2 \hich, 3 \dbch
    quint8 FontClass = 0;
    int ClassFonts[4] = {-1, -1, -1, -1};
    int Uc = 1;
};

struct FontEntry {
    QString Name;
    int Charset = -1;
    int CodePage = 0;
    quint8 Family = 0;
    quint8 Pitch = 0;
};

struct ColorEntry {
    bool Auto = true;
    QRgb Rgb = 0;
};

// PFN_ values of the numbering kinds.
enum : int {
    PfnNone = 0,
    PfnBullet = 1,
    PfnArabic = 2,
    PfnLcLetter = 3,
    PfnUcLetter = 4,
    PfnLcRoman = 5,
    PfnUcRoman = 6
};

int numberingOfLevelFormat(int nfc)
{
    switch (nfc) {
    case 23:
        return PfnBullet;
    case 255:
        return PfnNone;
    case 1:
        return PfnUcRoman;
    case 2:
        return PfnLcRoman;
    case 3:
        return PfnUcLetter;
    case 4:
        return PfnLcLetter;
    default:
        return PfnArabic;
    }
}

// Text as the document may hold it: no paragraph breaks or control characters but tabs, lone
// surrogates as U+FFFD. A high surrogate at the very end goes to stash when one is given.
QString cleanText(QStringView input, QChar *stash = nullptr)
{
    QString clean;
    clean.reserve(input.size());
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t')
            continue;
        if (c.isHighSurrogate()) {
            if (i + 1 < input.size() && input[i + 1].isLowSurrogate()) {
                clean += c;
                clean += input[++i];
            } else if (i + 1 == input.size() && stash) {
                *stash = c;
            } else {
                clean += QChar(QChar::ReplacementCharacter);
            }
            continue;
        }
        if (c.isLowSurrogate()) {
            clean += QChar(QChar::ReplacementCharacter);
            continue;
        }
        clean += (u == 0x2028 || u == 0x2029) ? QChar(QChar::Space) : c;
    }
    return clean;
}

// A group as the file wrote it, from its destination word to the end, to be written back unchanged.
// A group the file left open is closed; one that cannot be made whole is no group (empty).
QByteArray keptGroup(QByteArrayView all, qsizetype from, qsizetype end)
{
    end = std::min(end, all.size());
    if (from < 0 || from >= end)
        return {};
    QByteArray group = "{" + all.sliced(from, end - from).toByteArray();
    auto depthAfter = [](const QByteArray &bytes, qsizetype *closedAt) {
        Tokenizer t(bytes);
        int depth = 0;
        for (;;) {
            const Token k = t.Next();
            if (k.Type == TokenType::End)
                return depth;
            if (k.Type == TokenType::GroupStart)
                ++depth;
            else if (k.Type == TokenType::GroupEnd && --depth == 0) {
                *closedAt = t.Position();
                return 0;
            }
        }
    };
    qsizetype closedAt = -1;
    const int open = depthAfter(group, &closedAt);
    if (open == 0)
        return closedAt == group.size() ? group : QByteArray();
    group.append(QByteArray(open, '}'));
    closedAt = -1;
    return depthAfter(group, &closedAt) == 0 && closedAt == group.size() ? group : QByteArray();
}

class Reader;
using Handler = void (Reader::*)(const Token &, int);
struct WordEntry {
    Handler Fn;
    int Arg;
};

class Reader {
public:
    Reader(QByteArrayView input, TRichDocumentBuilder &builder);
    bool Run();

    // ---- handlers (one per kind of control word) ----
    void charToggle(const Token &t, int bit);
    void underline(const Token &t, int type);
    void underlineNone(const Token &, int);
    void vertical(const Token &t, int which);
    void raise(const Token &t, int sign);
    void fontSize(const Token &t, int);
    void font(const Token &t, int);
    void associatedFont(const Token &t, int);
    void fontClass(const Token &, int cls);
    void foreColor(const Token &t, int);
    void backColor(const Token &t, int);
    void plain(const Token &, int);
    void pard(const Token &, int);
    void align(const Token &, int a);
    void indent(const Token &t, int which);
    void spacing(const Token &t, int which);
    void lineSpacing(const Token &t, int);
    void lineMultiple(const Token &t, int);
    void tabStop(const Token &t, int);
    void inTable(const Token &, int);
    void listOverride(const Token &t, int);
    void listLevel(const Token &t, int);
    void special(const Token &, int ch);
    void paragraph(const Token &, int);
    void lineBreak(const Token &, int);
    void cell(const Token &, int);
    void row(const Token &, int);
    void rowDefaults(const Token &, int);
    void cellEdge(const Token &t, int);
    void rowLeft(const Token &t, int);
    void unicode(const Token &t, int);
    void unicodeSkip(const Token &t, int);
    void docCodePage(const Token &t, int cp);
    void ansiCodePage(const Token &t, int);
    void defaultFont(const Token &t, int);
    void destination(const Token &, int dest);
    void skipDestination(const Token &, int);
    void fontCharset(const Token &t, int);
    void fontPitch(const Token &t, int);
    void fontFamily(const Token &, int family);
    void fontCodePage(const Token &t, int);
    void colorPart(const Token &t, int shift);
    void listBegin(const Token &, int);
    void listId(const Token &t, int);
    void levelFormat(const Token &t, int);
    void overrideBegin(const Token &, int);
    void numberingBegin(const Token &, int);
    void numberingKind(const Token &, int kind);
    void listText(const Token &, int);
    void picture(const Token &t, int);
    void pictureKind(const Token &, int kind);
    void pictureSize(const Token &t, int which);
    void object(const Token &t, int);
    void objectSize(const Token &t, int which);
    void result(const Token &, int);
    void upr(const Token &, int);
    void ud(const Token &, int);
    void nonShapePicture(const Token &, int);
    void shapePicture(const Token &, int);

private:
    State &st() { return m_states.back(); }
    void groupStart(const Token &);
    void groupEnd();
    void endDestination(const State &closed);
    void controlWord(const Token &t);
    void controlSymbol(const Token &t);
    void textBytes(QByteArrayView data);
    void addByte(char byte);
    void flushBytes();
    void addDecoded(QStringView text);
    int codePageNow() const;
    int codePageOfFont(int font) const;
    QString decode(const QByteArray &bytes, int codePage);
    void finishDocument();

    // document content
    void bodyText(QStringView text);
    void beginContent();
    void applyCharFormat();
    void endParagraph();
    TRichParaFormat paraFormat(const ParaState &p) const;
    int numberingOf(const ParaState &p) const;
    void emitObject(const TRichObject &object);
    void contentAdded()
    {
        m_lastPara = st().Para;
        m_contentSinceBreak = true;
    }

    void finishFont();
    void finishColor();
    TRichObject pictureObject(qsizetype end);

    Tokenizer m_tok;
    TRichDocumentBuilder &m_builder;
    std::vector<State> m_states;
    bool m_star = false;
    int m_skip = 0; // characters still to skip after \uN
    bool m_done = false;

    // bytes of text waiting to be decoded in one code page
    QByteArray m_bytes;
    int m_bytesCodePage = 0;
    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;

    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    bool m_fontOpen = false;
    std::vector<ColorEntry> m_colors;
    ColorEntry m_color;
    bool m_colorTouched = false;

    // lists
    QHash<int, QList<int>> m_lists; // list id -> numbering of each level
    QList<int> m_listLevels;
    int m_listLevelFormat = 0;
    int m_listId = 0;
    QHash<int, int> m_overrides; // \ls -> list id
    int m_overrideId = 0, m_overrideLs = 0;
    int m_pnKind = PfnBullet;

    // document output
    TRichCharFormat m_base;
    bool m_charValid = false;
    CharState m_lastChar;
    bool m_pendingPar = false;
    TRichParaFormat m_pendingParaFormat;
    int m_pendingCells = 0;
    QString m_listPrefix;
    bool m_hasListPrefix = false;
    QChar m_highSurrogate;
    QList<int> m_cellEdges;
    int m_rowLeft = 0;
    bool m_sawShapePicture = false;
    ParaState m_lastPara;
    bool m_contentSinceBreak = false;

    // picture and object being read
    QByteArray m_pict;
    qsizetype m_pictStart = 0;
    int m_nibble = -1;
    PictureInfo m_pictInfo;
    int m_goalW = 0, m_goalH = 0, m_scaleX = 100, m_scaleY = 100;
    bool m_inObject = false;
    qsizetype m_objectStart = 0;
    bool m_objectHasImage = false;
    TRichObject m_objectImage;
    int m_objW = 0, m_objH = 0, m_objScaleX = 100, m_objScaleY = 100;
};

// ---- the control-word table ----

const QHash<QByteArray, WordEntry> &wordTable()
{
    static const QHash<QByteArray, WordEntry> table = [] {
        QHash<QByteArray, WordEntry> t;
        auto add = [&t](const char *w, Handler fn, int arg = 0) { t.insert(QByteArray(w), WordEntry{fn, arg}); };
        // character formats
        add("b", &Reader::charToggle, CFE_BOLD);
        add("i", &Reader::charToggle, CFE_ITALIC);
        add("strike", &Reader::charToggle, CFE_STRIKEOUT);
        add("striked", &Reader::charToggle, CFE_STRIKEOUT);
        add("v", &Reader::charToggle, CFE_HIDDEN);
        add("protect", &Reader::charToggle, CFE_PROTECTED);
        add("ul", &Reader::underline, CFU_UNDERLINE);
        add("ulw", &Reader::underline, CFU_UNDERLINEWORD);
        add("uldb", &Reader::underline, CFU_UNDERLINEDOUBLE);
        add("uld", &Reader::underline, CFU_UNDERLINEDOTTED);
        add("ulthd", &Reader::underline, CFU_UNDERLINEDOTTED);
        add("uldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulthdash", &Reader::underline, CFU_UNDERLINEDASH);
        add("ulthldash", &Reader::underline, CFU_UNDERLINEDASH);
        add("uldashd", &Reader::underline, CFU_UNDERLINEDASHDOT);
        add("ulthdashd", &Reader::underline, CFU_UNDERLINEDASHDOT);
        add("uldashdd", &Reader::underline, CFU_UNDERLINEDASHDOTDOT);
        add("ulthdashdd", &Reader::underline, CFU_UNDERLINEDASHDOTDOT);
        add("ulwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ulhwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ululdbwave", &Reader::underline, CFU_UNDERLINEWAVE);
        add("ulth", &Reader::underline, CFU_UNDERLINETHICK);
        add("ulnone", &Reader::underlineNone);
        add("sub", &Reader::vertical, 1);
        add("super", &Reader::vertical, 2);
        add("nosupersub", &Reader::vertical, 0);
        add("up", &Reader::raise, 1);
        add("dn", &Reader::raise, -1);
        add("fs", &Reader::fontSize);
        add("f", &Reader::font);
        add("af", &Reader::associatedFont);
        add("loch", &Reader::fontClass, 1);
        add("hich", &Reader::fontClass, 2);
        add("dbch", &Reader::fontClass, 3);
        add("cf", &Reader::foreColor);
        add("cb", &Reader::backColor);
        add("highlight", &Reader::backColor);
        add("plain", &Reader::plain);
        // paragraph formats
        add("pard", &Reader::pard);
        add("ql", &Reader::align, PFA_LEFT);
        add("qr", &Reader::align, PFA_RIGHT);
        add("qc", &Reader::align, PFA_CENTER);
        add("qj", &Reader::align, PFA_JUSTIFY);
        add("qd", &Reader::align, PFA_JUSTIFY);
        add("li", &Reader::indent, 0);
        add("lin", &Reader::indent, 0);
        add("fi", &Reader::indent, 1);
        add("ri", &Reader::indent, 2);
        add("rin", &Reader::indent, 2);
        add("sb", &Reader::spacing, 0);
        add("sa", &Reader::spacing, 1);
        add("sl", &Reader::lineSpacing);
        add("slmult", &Reader::lineMultiple);
        add("tx", &Reader::tabStop);
        add("tb", &Reader::tabStop);
        add("intbl", &Reader::inTable);
        add("ls", &Reader::listOverride);
        add("ilvl", &Reader::listLevel);
        // text
        add("par", &Reader::paragraph);
        add("sect", &Reader::paragraph);
        add("page", &Reader::paragraph);
        add("line", &Reader::lineBreak);
        add("tab", &Reader::special, '\t');
        add("emdash", &Reader::special, 0x2014);
        add("endash", &Reader::special, 0x2013);
        add("emspace", &Reader::special, 0x2003);
        add("enspace", &Reader::special, 0x2002);
        add("qmspace", &Reader::special, 0x2005);
        add("bullet", &Reader::special, 0x2022);
        add("lquote", &Reader::special, 0x2018);
        add("rquote", &Reader::special, 0x2019);
        add("ldblquote", &Reader::special, 0x201C);
        add("rdblquote", &Reader::special, 0x201D);
        add("zwj", &Reader::special, 0x200D);
        add("zwnj", &Reader::special, 0x200C);
        add("zwbo", &Reader::special, 0x200B);
        add("ltrmark", &Reader::special, 0x200E);
        add("rtlmark", &Reader::special, 0x200F);
        add("cell", &Reader::cell);
        add("nestcell", &Reader::cell);
        add("nestrow", &Reader::cell);
        add("row", &Reader::row);
        add("trowd", &Reader::rowDefaults);
        add("cellx", &Reader::cellEdge);
        add("trleft", &Reader::rowLeft);
        add("u", &Reader::unicode);
        add("uc", &Reader::unicodeSkip);
        // document
        add("ansi", &Reader::docCodePage, 1252);
        add("mac", &Reader::docCodePage, 10000);
        add("pc", &Reader::docCodePage, 437);
        add("pca", &Reader::docCodePage, 850);
        add("ansicpg", &Reader::ansiCodePage);
        add("deff", &Reader::defaultFont);
        // destinations read
        add("fonttbl", &Reader::destination, int(Dest::FontTable));
        add("colortbl", &Reader::destination, int(Dest::ColorTable));
        add("listtable", &Reader::destination, int(Dest::ListTable));
        add("listoverridetable", &Reader::destination, int(Dest::OverrideTable));
        add("list", &Reader::listBegin);
        add("listlevel", &Reader::destination, int(Dest::ListLevel));
        add("listid", &Reader::listId);
        add("levelnfc", &Reader::levelFormat);
        add("levelnfcn", &Reader::levelFormat);
        add("listoverride", &Reader::overrideBegin);
        add("pn", &Reader::numberingBegin);
        add("pnlvlblt", &Reader::numberingKind, PfnBullet);
        add("pnlvlbody", &Reader::numberingKind, PfnArabic);
        add("pnlvl", &Reader::numberingKind, PfnArabic);
        add("pnlvlcont", &Reader::numberingKind, PfnNone);
        add("pndec", &Reader::numberingKind, PfnArabic);
        add("pnlcltr", &Reader::numberingKind, PfnLcLetter);
        add("pnucltr", &Reader::numberingKind, PfnUcLetter);
        add("pnlcrm", &Reader::numberingKind, PfnLcRoman);
        add("pnucrm", &Reader::numberingKind, PfnUcRoman);
        add("pntext", &Reader::listText);
        add("listtext", &Reader::listText);
        add("pict", &Reader::picture);
        add("pngblip", &Reader::pictureKind, int(PictureKind::Png));
        add("jpegblip", &Reader::pictureKind, int(PictureKind::Jpeg));
        add("dibitmap", &Reader::pictureKind, int(PictureKind::Dib));
        add("wbitmap", &Reader::pictureKind, int(PictureKind::DeviceBitmap));
        add("wmetafile", &Reader::pictureKind, int(PictureKind::Wmf));
        add("emfblip", &Reader::pictureKind, int(PictureKind::Emf));
        add("macpict", &Reader::pictureKind, int(PictureKind::Mac));
        add("pmmetafile", &Reader::pictureKind, int(PictureKind::Unknown));
        add("picw", &Reader::pictureSize, 0);
        add("pich", &Reader::pictureSize, 1);
        add("picwgoal", &Reader::pictureSize, 2);
        add("pichgoal", &Reader::pictureSize, 3);
        add("picscalex", &Reader::pictureSize, 4);
        add("picscaley", &Reader::pictureSize, 5);
        add("wbmbitspixel", &Reader::pictureSize, 6);
        add("wbmwidthbytes", &Reader::pictureSize, 7);
        add("object", &Reader::object);
        add("objw", &Reader::objectSize, 0);
        add("objh", &Reader::objectSize, 1);
        add("objscalex", &Reader::objectSize, 2);
        add("objscaley", &Reader::objectSize, 3);
        add("result", &Reader::result);
        add("shppict", &Reader::shapePicture);
        add("nonshppict", &Reader::nonShapePicture);
        add("field", &Reader::destination, int(Dest::Body));
        add("fldrslt", &Reader::destination, int(Dest::Body));
        add("upr", &Reader::upr);
        add("ud", &Reader::ud);
        // font table
        add("fcharset", &Reader::fontCharset);
        add("fprq", &Reader::fontPitch);
        add("cpg", &Reader::fontCodePage);
        add("fnil", &Reader::fontFamily, 0x00);
        add("froman", &Reader::fontFamily, 0x10);
        add("fswiss", &Reader::fontFamily, 0x20);
        add("fmodern", &Reader::fontFamily, 0x30);
        add("fscript", &Reader::fontFamily, 0x40);
        add("fdecor", &Reader::fontFamily, 0x50);
        add("ftech", &Reader::fontFamily, 0x00);
        add("fbidi", &Reader::fontFamily, 0x00);
        // colour table
        add("red", &Reader::colorPart, 16);
        add("green", &Reader::colorPart, 8);
        add("blue", &Reader::colorPart, 0);
        // destinations skipped whole
        for (const char *w : {"stylesheet",
                              "info",
                              "fldinst",
                              "header",
                              "headerl",
                              "headerr",
                              "headerf",
                              "footer",
                              "footerl",
                              "footerr",
                              "footerf",
                              "footnote",
                              "annotation",
                              "atnid",
                              "atnauthor",
                              "atntime",
                              "atnref",
                              "atndate",
                              "atnicn",
                              "comment",
                              "doccomm",
                              "author",
                              "operator",
                              "title",
                              "subject",
                              "keywords",
                              "company",
                              "manager",
                              "category",
                              "creatim",
                              "revtim",
                              "printim",
                              "buptim",
                              "hlinkbase",
                              "template",
                              "objdata",
                              "objclass",
                              "objname",
                              "objalias",
                              "objsect",
                              "objtime",
                              "objitem",
                              "objtopic",
                              "revtbl",
                              "rsidtbl",
                              "xe",
                              "tc",
                              "txe",
                              "rxe",
                              "pntxta",
                              "pntxtb",
                              "leveltext",
                              "levelnumbers",
                              "listname",
                              "listpicture",
                              "ftnsep",
                              "ftnsepc",
                              "ftncn",
                              "aftnsep",
                              "aftnsepc",
                              "aftncn",
                              "pgdsctbl",
                              "fname",
                              "falt",
                              "panose",
                              "bkmkstart",
                              "bkmkend",
                              "nesttableprops",
                              "nonesttables",
                              "themedata",
                              "colorschememapping",
                              "latentstyles",
                              "datastore",
                              "xmlnstbl",
                              "mmathPr",
                              "generator",
                              "userprops",
                              "docvar",
                              "shpinst",
                              "sp",
                              "fchars",
                              "lchars",
                              "ts",
                              "tsrowd",
                              "wgrffmtfilter",
                              "pnseclvl",
                              "fldtype",
                              "formfield",
                              "datafield",
                              "dptxbxtext",
                              "do",
                              "blipuid",
                              "picprop"})
            add(w, &Reader::skipDestination);
        return t;
    }();
    return table;
}

Reader::Reader(QByteArrayView input, TRichDocumentBuilder &builder)
    : m_tok(input)
    , m_builder(builder)
{
    m_states.reserve(64);
    m_base = DocumentStartFormat(builder.Defaults());
}

bool Reader::Run()
{
    // the document's own group
    Token t = m_tok.Next();
    if (t.Type != TokenType::GroupStart)
        return false;
    State root;
    m_states.push_back(root);
    while (!m_done) {
        t = m_tok.Next();
        if (t.Type == TokenType::End)
            break;
        if (m_skip > 0) {
            // the fallback characters of \uN: a text byte, a \'hh or a control word or symbol each
            if (t.Type == TokenType::Text) {
                const qsizetype n = std::min<qsizetype>(m_skip, t.Data.size());
                m_skip -= int(n);
                if (n < t.Data.size())
                    textBytes(t.Data.sliced(n));
                continue;
            }
            if (t.Type != TokenType::GroupStart && t.Type != TokenType::GroupEnd) {
                --m_skip;
                continue;
            }
        }
        switch (t.Type) {
        case TokenType::GroupStart:
            m_skip = 0;
            groupStart(t);
            break;
        case TokenType::GroupEnd:
            m_skip = 0;
            groupEnd();
            break;
        case TokenType::ControlWord:
            controlWord(t);
            break;
        case TokenType::ControlSymbol:
            controlSymbol(t);
            break;
        case TokenType::Text:
            m_star = false;
            textBytes(t.Data);
            break;
        case TokenType::HexByte:
            m_star = false;
            if (st().Destination == Dest::Picture) {
                // a hex escape inside picture data stands for its value's two digits
                flushBytes();
                m_pict.append(char(t.Byte));
            } else {
                addByte(char(t.Byte));
            }
            break;
        case TokenType::Binary:
            m_star = false;
            flushBytes();
            if (st().Destination == Dest::Picture) {
                m_pict.append(t.Data.data(), t.Data.size());
                m_nibble = -1;
            }
            break;
        case TokenType::End:
            break;
        }
    }
    // a document cut short: close what is open
    while (!m_states.empty() && !m_done)
        groupEnd();
    return true;
}

// The document's group closes: the last paragraph takes its format.
void Reader::finishDocument()
{
    flushBytes();
    if (m_hasListPrefix || !m_highSurrogate.isNull())
        beginContent();
    if (m_pendingPar) {
        // the final paragraph mark: the paragraph it ends is the document's last
        m_builder.SetParaFormat(m_pendingParaFormat);
    } else {
        m_builder.SetParaFormat(paraFormat(m_contentSinceBreak ? m_lastPara : st().Para));
    }
}

void Reader::groupStart(const Token &)
{
    flushBytes();
    m_star = false;
    if (int(m_states.size()) >= MaxGroupDepth) {
        m_tok.SkipGroup();
        return;
    }
    State s = m_states.back();
    s.Owner = false;
    m_states.push_back(std::move(s));
}

void Reader::groupEnd()
{
    flushBytes();
    m_star = false;
    if (m_states.empty())
        return;
    if (m_states.size() == 1)
        finishDocument();
    State closed = std::move(m_states.back());
    m_states.pop_back();
    if (closed.Owner)
        endDestination(closed);
    else if (closed.Destination == Dest::FontTable)
        finishFont(); // an entry in braces
    if (m_states.empty())
        m_done = true; // the document's group is closed: what follows is no part of it
}

void Reader::endDestination(const State &closed)
{
    switch (closed.Destination) {
    case Dest::FontTable:
        finishFont();
        break;
    case Dest::ColorTable:
        if (m_colorTouched)
            finishColor();
        break;
    case Dest::ListLevel:
        m_listLevels.append(numberingOfLevelFormat(m_listLevelFormat));
        break;
    case Dest::List:
        m_lists.insert(m_listId, m_listLevels);
        break;
    case Dest::Override:
        if (m_overrideLs > 0)
            m_overrides.insert(m_overrideLs, m_overrideId);
        break;
    case Dest::Numbering:
        if (!m_states.empty())
            m_states.back().Para.PnNumbering = m_pnKind;
        break;
    case Dest::Picture: {
        const TRichObject o = pictureObject(m_tok.Position());
        const Dest outer = m_states.empty() ? Dest::Ignore : m_states.back().Destination;
        if (o.Data.isEmpty()) {
            m_pict.clear(); // nothing to show and nothing to keep
            break;
        }
        if (outer == Dest::ObjectResult) {
            if (!m_objectHasImage) {
                m_objectImage = o;
                m_objectHasImage = true;
            }
        } else if (outer == Dest::Body) {
            emitObject(o);
        }
        m_pict.clear();
        break;
    }
    case Dest::Object: {
        TRichObject o;
        if (m_objectHasImage)
            o = m_objectImage;
        o.ObjectKind = TRichObject::Object;
        o.Data = keptGroup(m_tok.Input(), m_objectStart, m_tok.Position());
        o.DataFormat = QStringLiteral("rtf-object");
        if (m_objW > 0 && m_objH > 0) {
            o.Width = m_objW;
            o.Height = m_objH;
            o.ScaleX = m_objScaleX;
            o.ScaleY = m_objScaleY;
        }
        m_inObject = false;
        if (o.Data.isEmpty()) {
            // a group that cannot be kept: its picture alone, when it has one
            if (!m_objectHasImage)
                break;
            o = m_objectImage;
        }
        if (!m_states.empty() && m_states.back().Destination == Dest::Body)
            emitObject(o);
        break;
    }
    default:
        break;
    }
}

void Reader::controlWord(const Token &t)
{
    flushBytes();
    const bool star = m_star;
    m_star = false;
    const auto &table = wordTable();
    const auto it = table.constFind(QByteArray::fromRawData(t.Word.data(), t.Word.size()));
    if (it == table.cend()) {
        if (star)
            skipDestination(t, 0); // an optional destination this reader does not know
        return;
    }
    if (star && it->Fn != &Reader::destination && it->Fn != &Reader::numberingBegin && it->Fn != &Reader::ud &&
        it->Fn != &Reader::listText && it->Fn != &Reader::upr && it->Fn != &Reader::listBegin &&
        it->Fn != &Reader::overrideBegin && it->Fn != &Reader::shapePicture) {
        skipDestination(t, 0);
        return;
    }
    (this->*(it->Fn))(t, it->Arg);
}

void Reader::controlSymbol(const Token &t)
{
    switch (t.Symbol) {
    case '*':
        flushBytes();
        m_star = true;
        return;
    case '\\':
    case '{':
    case '}':
        m_star = false;
        if (st().Destination == Dest::Picture)
            return;
        addByte(t.Symbol);
        return;
    default:
        break;
    }
    flushBytes();
    m_star = false;
    switch (t.Symbol) {
    case '~':
        special(t, 0x00A0);
        break;
    case '-':
        special(t, 0x00AD);
        break;
    case '_':
        special(t, 0x2011);
        break;
    case '\n':
        paragraph(t, 0);
        break;
    case '\t':
        special(t, '\t');
        break;
    default:
        break; // \: \| and the rest have no text
    }
}

// ---- text bytes and decoding ----

void Reader::textBytes(QByteArrayView data)
{
    switch (st().Destination) {
    case Dest::Picture:
        for (char c : data) {
            const int v = HexValue(c);
            if (v < 0)
                continue;
            if (m_nibble < 0) {
                m_nibble = v;
            } else {
                m_pict.append(char((m_nibble << 4) | v));
                m_nibble = -1;
            }
        }
        return;
    case Dest::FontTable:
        for (char c : data) {
            if (c == ';') {
                flushBytes();
                finishFont();
            } else {
                addByte(c);
            }
        }
        return;
    case Dest::ColorTable:
        for (char c : data) {
            if (c == ';')
                finishColor();
        }
        return;
    case Dest::Body:
    case Dest::ListText:
        for (char c : data)
            addByte(c);
        return;
    default:
        return;
    }
}

void Reader::addByte(char byte)
{
    const Dest d = st().Destination;
    if (d != Dest::Body && d != Dest::ListText && d != Dest::FontTable)
        return;
    const int cp = codePageNow();
    if (!m_bytes.isEmpty() && cp != m_bytesCodePage)
        flushBytes();
    m_bytesCodePage = cp;
    m_bytes.append(byte);
}

int Reader::codePageOfFont(int font) const
{
    const auto it = m_fonts.constFind(font);
    if (it != m_fonts.cend()) {
        const int cp = it->Charset >= 0 ? codepage::fromCharset(it->Charset) : 0;
        if (cp && it->Charset != 2)
            return cp;
        if (it->CodePage && codepage::isSupported(it->CodePage))
            return it->CodePage;
    }
    return m_docCodePage;
}

int Reader::codePageNow() const
{
    const State &s = m_states.back();
    if (s.Destination == Dest::FontTable)
        return m_fontEntry >= 0 ? codePageOfFont(m_fontEntry) : m_docCodePage;
    int font = s.Char.Font >= 0 ? s.Char.Font : m_defaultFont;
    if (s.FontClass > 0 && s.ClassFonts[s.FontClass] >= 0)
        font = s.ClassFonts[s.FontClass];
    return codePageOfFont(font);
}

QString Reader::decode(const QByteArray &bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    auto attempt = [this, &bytes](int cp, bool &ok) -> QString {
        auto &slot = m_decoders[cp];
        if (!slot) {
            const QByteArray name = codepage::converterName(cp);
            slot = std::make_unique<QStringDecoder>(name.isEmpty() ? "windows-1252" : name.constData(),
                                                    QStringConverter::Flag::Stateless);
        }
        if (!slot->isValid()) {
            ok = false;
            return QString::fromLatin1(bytes);
        }
        slot->resetState();
        QString s = slot->decode(bytes);
        ok = !slot->hasError() && !s.contains(QChar::ReplacementCharacter);
        return s;
    };
    bool ok = false;
    QString s = attempt(codePage, ok);
    if (!ok && codePage != m_docCodePage) {
        // a font that claims a character set its bytes are not in: the document's code page
        bool ok2 = false;
        QString t = attempt(m_docCodePage, ok2);
        if (ok2)
            return t;
    }
    return s;
}

void Reader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QString text = decode(m_bytes, m_bytesCodePage);
    m_bytes.clear();
    addDecoded(text);
}

void Reader::addDecoded(QStringView text)
{
    if (m_states.empty())
        return;
    switch (st().Destination) {
    case Dest::Body:
        bodyText(text);
        break;
    case Dest::FontTable:
        m_fontName += text;
        break;
    case Dest::ListText:
        m_listPrefix += text;
        m_hasListPrefix = true;
        break;
    default:
        break;
    }
}

// ---- document output ----

void Reader::bodyText(QStringView input)
{
    // a high surrogate waits for the \uN that may bring its low half
    QString text;
    if (!m_highSurrogate.isNull()) {
        text += std::exchange(m_highSurrogate, QChar());
        text += input;
        input = text;
    }
    QChar stash;
    const QString clean = cleanText(input, &stash);
    if (!clean.isEmpty()) {
        beginContent();
        applyCharFormat();
        m_builder.AddText(clean);
        contentAdded();
    }
    m_highSurrogate = stash;
}

// What must come before new content: the break of the paragraph before, the separator of the table
// cell before, and the list prefix of a paragraph without numbering of its own.
void Reader::beginContent()
{
    if (!m_highSurrogate.isNull()) {
        m_highSurrogate = QChar();
        applyCharFormat();
        m_builder.AddText(QString(QChar(QChar::ReplacementCharacter)));
    }
    if (m_pendingPar) {
        m_pendingPar = false;
        m_builder.SetParaFormat(m_pendingParaFormat);
        m_builder.EndParagraph();
    }
    if (m_pendingCells > 0) {
        applyCharFormat();
        m_builder.AddText(QString(std::exchange(m_pendingCells, 0), u'\t'));
    }
    if (m_hasListPrefix) {
        m_hasListPrefix = false;
        const QString prefix = cleanText(std::exchange(m_listPrefix, QString()));
        if (numberingOf(st().Para) == 0 && !prefix.isEmpty()) {
            applyCharFormat();
            m_builder.AddText(prefix);
        }
    }
}

void Reader::applyCharFormat()
{
    const CharState &c = st().Char;
    if (m_charValid && c == m_lastChar)
        return;
    m_charValid = true;
    m_lastChar = c;
    TRichCharFormat f = m_base;
    int font = c.Font >= 0 ? c.Font : m_defaultFont;
    auto it = m_fonts.constFind(font);
    if (it == m_fonts.cend())
        it = m_fonts.constFind(m_defaultFont);
    if (it != m_fonts.cend()) {
        if (!it->Name.isEmpty())
            f.FaceName = it->Name;
        f.Charset = quint8(it->Charset >= 0 ? it->Charset : DEFAULT_CHARSET);
        f.PitchAndFamily = quint8(it->Family | it->Pitch);
    }
    f.Height = std::clamp(c.HalfPoints, 2, 3276) * 10;
    f.Effects = c.Effects;
    f.Weight = (c.Effects & CFE_BOLD) ? 700 : 400;
    f.UnderlineType = (c.Effects & CFE_UNDERLINE) ? c.UnderlineType : 0;
    f.Offset = c.Offset;
    if (c.Color > 0 && c.Color < int(m_colors.size()) && !m_colors[size_t(c.Color)].Auto)
        f.TextColor = m_colors[size_t(c.Color)].Rgb;
    else
        f.Effects |= CFE_AUTOCOLOR;
    if (c.Back > 0 && c.Back < int(m_colors.size()) && !m_colors[size_t(c.Back)].Auto)
        f.BackColor = m_colors[size_t(c.Back)].Rgb;
    else
        f.Effects |= CFE_AUTOBACKCOLOR;
    m_builder.SetCharFormat(f);
}

int Reader::numberingOf(const ParaState &p) const
{
    if (p.PnNumbering)
        return p.PnNumbering;
    if (p.List <= 0)
        return 0;
    const auto ov = m_overrides.constFind(p.List);
    if (ov == m_overrides.cend())
        return PfnBullet;
    const auto list = m_lists.constFind(*ov);
    if (list == m_lists.cend() || list->isEmpty())
        return PfnBullet;
    return list->value(std::clamp(p.Level, 0, int(list->size()) - 1));
}

TRichParaFormat Reader::paraFormat(const ParaState &p) const
{
    TRichParaFormat f;
    f.Mask = PFM_ALL;
    f.Alignment = p.Alignment;
    f.StartIndent = p.Left + p.First;
    f.Offset = -p.First;
    f.RightIndent = p.Right;
    f.SpaceBefore = p.SpaceBefore;
    f.SpaceAfter = p.SpaceAfter;
    f.Numbering = numberingOf(p);
    f.Tabs = p.Tabs;
    if (p.InTable && f.Tabs.isEmpty()) {
        // a row of a table: its cells line up on tab stops at their right edges
        for (qsizetype i = 0; i + 1 < m_cellEdges.size() && f.Tabs.size() < MAX_TAB_STOPS; ++i) {
            const int x = std::min(m_cellEdges[i] - m_rowLeft, 31680);
            if (x > 0 && (f.Tabs.isEmpty() || x > f.Tabs.last()))
                f.Tabs.append(x);
        }
    }
    if (p.LineSpacing == 0) {
        f.LineSpacingRule = LINESPACING_SINGLE;
    } else if (p.LineMultiple) {
        // in 240ths of a line; the model keeps 20ths, with single, one and a half and double apart
        const int l = std::max(1, std::abs(p.LineSpacing) / 12);
        f.LineSpacingRule = l == 20 ? LINESPACING_SINGLE : l == 30 ? 1 : l == 40 ? 2 : LINESPACING_MULTIPLE;
        f.LineSpacing = f.LineSpacingRule == LINESPACING_MULTIPLE ? l : 0;
    } else if (p.LineSpacing > 0) {
        f.LineSpacingRule = LINESPACING_ATLEAST;
        f.LineSpacing = p.LineSpacing;
    } else {
        f.LineSpacingRule = LINESPACING_EXACTLY;
        f.LineSpacing = -p.LineSpacing;
    }
    return f;
}

void Reader::endParagraph()
{
    if (m_hasListPrefix || m_pendingPar || m_pendingCells || !m_highSurrogate.isNull())
        beginContent(); // a paragraph without text still ends the one before
    m_pendingPar = true;
    m_pendingParaFormat = paraFormat(st().Para);
    m_pendingCells = 0;
    m_contentSinceBreak = false;
}

void Reader::emitObject(const TRichObject &object)
{
    beginContent();
    applyCharFormat();
    m_builder.AddObject(object);
    contentAdded();
}

// ---- font and colour tables ----

void Reader::finishFont()
{
    if (!m_fontOpen)
        return;
    flushBytes();
    m_fontOpen = false;
    FontEntry &f = m_fonts[m_fontEntry];
    QString name = cleanText(m_fontName).remove(u'\t').trimmed();
    if (name.endsWith(u';'))
        name.chop(1);
    f.Name = name.left(64).trimmed();
    m_fontName.clear();
}

void Reader::finishColor()
{
    m_colors.push_back(m_colorTouched ? m_color : ColorEntry{});
    m_color = ColorEntry{};
    m_colorTouched = false;
}

// ---- handlers ----

void Reader::charToggle(const Token &t, int bit)
{
    auto &e = st().Char.Effects;
    const bool on = !t.HasParam || t.Param != 0;
    e = on ? (e | quint32(bit)) : (e & ~quint32(bit));
}

void Reader::underline(const Token &t, int type)
{
    auto &c = st().Char;
    if (t.HasParam && t.Param == 0) {
        c.Effects &= ~CFE_UNDERLINE;
        c.UnderlineType = 0;
        return;
    }
    c.Effects |= CFE_UNDERLINE;
    c.UnderlineType = quint8(type);
}

void Reader::underlineNone(const Token &, int)
{
    st().Char.Effects &= ~CFE_UNDERLINE;
    st().Char.UnderlineType = 0;
}

void Reader::vertical(const Token &t, int which)
{
    auto &e = st().Char.Effects;
    e &= ~(CFE_SUBSCRIPT | CFE_SUPERSCRIPT);
    if (t.HasParam && t.Param == 0)
        return;
    if (which == 1)
        e |= CFE_SUBSCRIPT;
    else if (which == 2)
        e |= CFE_SUPERSCRIPT;
}

void Reader::raise(const Token &t, int sign)
{
    const int halfPoints = t.HasParam ? std::clamp(t.Param, 0, 3276) : 6;
    st().Char.Offset = sign * halfPoints * 10;
}

void Reader::fontSize(const Token &t, int)
{
    st().Char.HalfPoints = t.HasParam ? std::clamp(t.Param, 2, 3276) : 24;
}

void Reader::font(const Token &t, int)
{
    const int n = t.HasParam ? t.Param : 0;
    State &s = st();
    if (s.Destination == Dest::FontTable) {
        // the next entry begins
        finishFont();
        if (m_fonts.size() > 100000)
            return;
        m_fontEntry = n;
        m_fontOpen = true;
        m_fonts[n] = FontEntry{};
        m_fontName.clear();
        return;
    }
    s.Char.Font = n;
    s.ClassFonts[s.FontClass] = n;
}

void Reader::associatedFont(const Token &t, int)
{
    State &s = st();
    if (s.Destination == Dest::FontTable)
        return;
    if (s.FontClass > 0)
        s.ClassFonts[s.FontClass] = t.HasParam ? t.Param : 0;
}

void Reader::fontClass(const Token &, int cls)
{
    st().FontClass = quint8(cls);
}

void Reader::foreColor(const Token &t, int)
{
    st().Char.Color = t.HasParam ? std::max(0, t.Param) : 0;
}

void Reader::backColor(const Token &t, int)
{
    st().Char.Back = t.HasParam ? std::max(0, t.Param) : 0;
}

void Reader::plain(const Token &, int)
{
    State &s = st();
    s.Char = CharState{};
    s.FontClass = 0;
    std::fill(std::begin(s.ClassFonts), std::end(s.ClassFonts), -1);
}

void Reader::pard(const Token &, int)
{
    st().Para = ParaState{};
}

void Reader::align(const Token &, int a)
{
    st().Para.Alignment = a;
}

void Reader::indent(const Token &t, int which)
{
    const int v = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
    ParaState &p = st().Para;
    (which == 0 ? p.Left : which == 1 ? p.First : p.Right) = v;
}

void Reader::spacing(const Token &t, int which)
{
    const int v = t.HasParam ? std::clamp(t.Param, 0, 31680) : 0;
    (which == 0 ? st().Para.SpaceBefore : st().Para.SpaceAfter) = v;
}

void Reader::lineSpacing(const Token &t, int)
{
    st().Para.LineSpacing = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
}

void Reader::lineMultiple(const Token &t, int)
{
    st().Para.LineMultiple = t.HasParam && t.Param != 0;
}

void Reader::tabStop(const Token &t, int)
{
    QList<int> &tabs = st().Para.Tabs;
    if (t.HasParam && t.Param >= 0 && tabs.size() < MAX_TAB_STOPS)
        tabs.append(std::min(t.Param, 31680));
}

void Reader::inTable(const Token &, int)
{
    st().Para.InTable = true;
}

void Reader::listOverride(const Token &t, int)
{
    if (st().Destination == Dest::Override)
        m_overrideLs = t.HasParam ? t.Param : 0;
    else
        st().Para.List = t.HasParam ? t.Param : 0;
}

void Reader::listLevel(const Token &t, int)
{
    st().Para.Level = t.HasParam ? std::clamp(t.Param, 0, 8) : 0;
}

void Reader::special(const Token &, int ch)
{
    const QChar c{char16_t(ch)};
    addDecoded(QStringView(&c, 1));
}

void Reader::paragraph(const Token &, int)
{
    if (st().Destination == Dest::Body)
        endParagraph();
}

void Reader::lineBreak(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    beginContent();
    applyCharFormat();
    m_builder.AddLineBreak();
    contentAdded();
}

void Reader::cell(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    if (m_pendingPar || m_hasListPrefix)
        beginContent();
    if (m_pendingCells < 64)
        ++m_pendingCells;
}

void Reader::row(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    m_pendingCells = 0;
    ParaState p = st().Para;
    p.InTable = true;
    if (m_hasListPrefix || m_pendingPar)
        beginContent();
    m_pendingPar = true;
    m_pendingParaFormat = paraFormat(p);
    m_contentSinceBreak = false;
}

void Reader::rowDefaults(const Token &, int)
{
    m_cellEdges.clear();
    m_rowLeft = 0;
}

void Reader::cellEdge(const Token &t, int)
{
    if (m_cellEdges.size() < 64 && t.HasParam)
        m_cellEdges.append(std::clamp(t.Param, -31680, 31680));
}

void Reader::rowLeft(const Token &t, int)
{
    m_rowLeft = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
}

void Reader::unicode(const Token &t, int)
{
    if (!t.HasParam)
        return;
    const char16_t u = char16_t(t.Param & 0xFFFF); // negative values are the upper half
    const QChar c(u);
    addDecoded(QStringView(&c, 1));
    m_skip = st().Uc;
}

void Reader::unicodeSkip(const Token &t, int)
{
    st().Uc = t.HasParam ? std::clamp(t.Param, 0, 16) : 1;
}

void Reader::docCodePage(const Token &, int cp)
{
    m_docCodePage = cp;
}

void Reader::ansiCodePage(const Token &t, int)
{
    if (t.HasParam && codepage::isSupported(t.Param))
        m_docCodePage = t.Param;
}

void Reader::defaultFont(const Token &t, int)
{
    m_defaultFont = t.HasParam ? t.Param : 0;
}

void Reader::destination(const Token &, int dest)
{
    State &s = st();
    const Dest d = Dest(dest);
    // the tables and lists are read only where they belong; document text only from text
    const bool fromBody = s.Destination == Dest::Body;
    if (d == Dest::Body) {
        if (!fromBody && s.Destination != Dest::ObjectResult)
            skipDestination(Token(), 0);
        return; // \field, \fldrslt and \shppict: their text is the document's
    }
    if ((d == Dest::FontTable || d == Dest::ColorTable || d == Dest::ListTable || d == Dest::OverrideTable) &&
        !fromBody) {
        skipDestination(Token(), 0);
        return;
    }
    if (d == Dest::ListLevel) {
        if (s.Destination != Dest::List) {
            skipDestination(Token(), 0);
            return;
        }
        m_listLevelFormat = 0;
    }
    if (d == Dest::FontTable) {
        m_fontOpen = false;
        m_fontName.clear();
    }
    if (d == Dest::ColorTable) {
        m_colors.clear();
        m_color = ColorEntry{};
        m_colorTouched = false;
    }
    s.Destination = d;
    s.Owner = true;
}

void Reader::skipDestination(const Token &, int)
{
    if (m_states.size() <= 1) {
        return; // never the document's own group
    }
    m_tok.SkipGroup();
    m_states.pop_back();
}

void Reader::fontCharset(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        m_fonts[m_fontEntry].Charset = t.HasParam ? std::clamp(t.Param, 0, 255) : 0;
}

void Reader::fontPitch(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        m_fonts[m_fontEntry].Pitch = quint8(t.HasParam ? std::clamp(t.Param, 0, 2) : 0);
}

void Reader::fontFamily(const Token &, int family)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        m_fonts[m_fontEntry].Family = quint8(family);
}

void Reader::fontCodePage(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen && t.HasParam)
        m_fonts[m_fontEntry].CodePage = t.Param;
}

void Reader::colorPart(const Token &t, int shift)
{
    if (st().Destination != Dest::ColorTable)
        return;
    const int v = t.HasParam ? std::clamp(t.Param, 0, 255) : 0;
    m_color.Auto = false;
    m_color.Rgb = qRgb(0, 0, 0) | (m_color.Rgb & ~(0xFFu << shift)) | (quint32(v) << shift);
    m_colorTouched = true;
}

void Reader::listBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::ListTable) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::List;
    s.Owner = true;
    m_listLevels.clear();
    m_listId = 0;
}

void Reader::listId(const Token &t, int)
{
    const Dest d = st().Destination;
    if (d == Dest::List)
        m_listId = t.HasParam ? t.Param : 0;
    else if (d == Dest::Override)
        m_overrideId = t.HasParam ? t.Param : 0;
}

void Reader::levelFormat(const Token &t, int)
{
    if (st().Destination == Dest::ListLevel)
        m_listLevelFormat = t.HasParam ? t.Param : 0;
}

void Reader::overrideBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::OverrideTable) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Override;
    s.Owner = true;
    m_overrideId = 0;
    m_overrideLs = 0;
}

void Reader::numberingBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Body) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Numbering;
    s.Owner = true;
    m_pnKind = PfnBullet;
}

void Reader::numberingKind(const Token &, int kind)
{
    if (st().Destination == Dest::Numbering)
        m_pnKind = kind;
}

void Reader::listText(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Body) {
        skipDestination(Token(), 0);
        return;
    }
    if (m_pendingPar)
        beginContent();
    s.Destination = Dest::ListText;
    s.Owner = true;
    m_listPrefix.clear();
    m_hasListPrefix = false;
}

void Reader::picture(const Token &t, int)
{
    State &s = st();
    if ((s.Destination != Dest::Body && s.Destination != Dest::ObjectResult) || m_states.size() < 2) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Picture;
    s.Owner = true;
    m_pict.clear();
    m_pictStart = t.Offset;
    m_nibble = -1;
    m_pictInfo = PictureInfo{};
    m_goalW = m_goalH = 0;
    m_scaleX = m_scaleY = 100;
}

void Reader::pictureKind(const Token &, int kind)
{
    if (st().Destination != Dest::Picture)
        return;
    m_pictInfo.Kind = PictureKind(kind);
}

void Reader::pictureSize(const Token &t, int which)
{
    if (st().Destination != Dest::Picture || !t.HasParam)
        return;
    const int v = t.Param;
    switch (which) {
    case 0:
        m_pictInfo.Width = std::clamp(v, 0, 1 << 20);
        break;
    case 1:
        m_pictInfo.Height = std::clamp(v, 0, 1 << 20);
        break;
    case 2:
        m_goalW = std::clamp(v, 0, 100000);
        break;
    case 3:
        m_goalH = std::clamp(v, 0, 100000);
        break;
    case 4:
        m_scaleX = std::clamp(v, 1, 5000);
        break;
    case 5:
        m_scaleY = std::clamp(v, 1, 5000);
        break;
    case 6:
        m_pictInfo.BitsPerPixel = std::clamp(v, 1, 32);
        break;
    case 7:
        m_pictInfo.WidthBytes = std::clamp(v, 0, 1 << 20);
        break;
    default:
        break;
    }
}

TRichObject Reader::pictureObject(qsizetype end)
{
    TRichObject o;
    o.ObjectKind = TRichObject::Picture;
    o.Image = DecodePicture(m_pict, m_pictInfo);
    if (m_pictInfo.Kind == PictureKind::Png || m_pictInfo.Kind == PictureKind::Jpeg) {
        o.Data = m_pict;
        o.DataFormat = m_pictInfo.Kind == PictureKind::Png ? QStringLiteral("png") : QStringLiteral("jpeg");
    } else {
        // kept as the file wrote it, to be written back unchanged
        o.Data = keptGroup(m_tok.Input(), m_pictStart, end);
        o.DataFormat = QStringLiteral("rtf-pict");
        if (o.Data.isEmpty() && !o.Image.isNull()) {
            // a group that cannot be kept: the picture it shows
            o.Data = PngBytes(o.Image);
            o.DataFormat = QStringLiteral("png");
        }
    }
    const bool metafile = m_pictInfo.Kind == PictureKind::Wmf || m_pictInfo.Kind == PictureKind::Emf ||
                          m_pictInfo.Kind == PictureKind::Mac || m_pictInfo.Kind == PictureKind::Unknown;
    auto fromStated = [metafile](int v) { return metafile ? int(qint64(v) * 1440 / 2540) : v * 15; };
    o.Width = m_goalW > 0                        ? m_goalW
              : (!o.Image.isNull() && !metafile) ? o.Image.width() * 15
                                                 : fromStated(m_pictInfo.Width);
    o.Height = m_goalH > 0                        ? m_goalH
               : (!o.Image.isNull() && !metafile) ? o.Image.height() * 15
                                                  : fromStated(m_pictInfo.Height);
    o.Width = std::clamp(o.Width, 0, 100000);
    o.Height = std::clamp(o.Height, 0, 100000);
    o.ScaleX = m_scaleX;
    o.ScaleY = m_scaleY;
    return o;
}

void Reader::object(const Token &t, int)
{
    State &s = st();
    if (s.Destination != Dest::Body || m_inObject || m_states.size() < 2) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Object;
    s.Owner = true;
    m_inObject = true;
    m_objectStart = t.Offset;
    m_objectHasImage = false;
    m_objectImage = TRichObject{};
    m_objW = m_objH = 0;
    m_objScaleX = m_objScaleY = 100;
}

void Reader::objectSize(const Token &t, int which)
{
    if (st().Destination != Dest::Object || !t.HasParam)
        return;
    switch (which) {
    case 0:
        m_objW = std::clamp(t.Param, 0, 100000);
        break;
    case 1:
        m_objH = std::clamp(t.Param, 0, 100000);
        break;
    case 2:
        m_objScaleX = std::clamp(t.Param, 1, 5000);
        break;
    default:
        m_objScaleY = std::clamp(t.Param, 1, 5000);
        break;
    }
}

void Reader::result(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Object) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::ObjectResult;
    s.Owner = true;
}

void Reader::upr(const Token &, int)
{
    State &s = st();
    s.UprOuter = s.Destination;
    s.Destination = Dest::UprAnsi;
    s.Owner = true;
}

void Reader::ud(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::UprAnsi) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = s.UprOuter;
}

void Reader::shapePicture(const Token &t, int)
{
    m_sawShapePicture = true;
    destination(t, int(Dest::Body));
}

void Reader::nonShapePicture(const Token &t, int)
{
    // the same picture for readers that do not know \shppict: read only when there was none
    if (m_sawShapePicture)
        skipDestination(t, 0);
    else
        destination(t, int(Dest::Body));
}

} // namespace

TRichCharFormat DocumentStartFormat(const TRichCharFormat &defaults)
{
    TRichCharFormat f = defaults;
    f.Mask = CFM_ALL;
    f.Effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    f.Height = 240;
    f.Weight = 400;
    f.UnderlineType = 0;
    f.Offset = 0;
    return f;
}

bool LooksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

bool ReadDocument(QByteArrayView bytes, TRichDocumentBuilder &builder)
{
    if (!LooksLikeRtf(bytes))
        return false;
    qsizetype i = 0;
    while (bytes[i] != '{')
        ++i;
    Reader reader(bytes.sliced(i), builder);
    return reader.Run();
}

} // namespace rtf
