#pragma once
// The RTF reader's own parts, shared by its source files and by nothing else: the state of each group,
// the entries of the font and colour tables, and the reader with one handler per kind of control word.
// RtfControlWords.cpp holds the table that dispatches the words, RtfTextDecoding.cpp turns text bytes
// into characters, and the handlers of each destination live in RtfBodyHandlers.cpp (document text),
// RtfTableHandlers.cpp (font, colour and list tables) and RtfPictureHandlers.cpp (pictures and objects).
#include "notes/RichTextModel.h"
#include "notes/RtfPicture.h"
#include "notes/RtfTokenizer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace rtf::reader {

using namespace richedit;

enum class Dest : quint8 {
    Body,       // document text
    FontTable,  // font entries
    ColorTable, // colour entries
    ListTable,  // \list groups
    List,       // one \list
    ListLevel,  // one \listlevel
    LevelText,  // its \leveltext
    OverrideTable,
    Override,      // one \listoverride
    OverrideLevel, // one \lfolevel of it
    Numbering,     // {\*\pn ...}
    NumberBefore,  // its \pntxtb
    NumberAfter,   // its \pntxta
    ListText,      // \pntext and \listtext: the number or bullet as text
    Picture,       // \pict
    Object,        // \object
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
    int List = -1, Level = 0; // \ls (-1: none), \ilvl
    // from {\*\pn}: its kind (0 for a paragraph that goes on with the numbered ones around it without a
    // number), start, level and the texts before and after the number
    bool Pn = false;
    int PnNumbering = 0;
    int PnStart = 1;
    int PnLevel = 0;
    QString PnPrefix;
    QString PnSuffix = QStringLiteral(".");
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

// A list level's \leveltext keeps this many bytes and characters; the rest is dropped.
constexpr qsizetype MaxLevelText = 256;

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

// A level of a list table's list, or a {\*\pn} paragraph's numbering: its numbering kind, the number
// it starts at, the texts around its number and its label (TRichParaFormat::LabelText).
struct ListLevel {
    int Numbering = PfnArabic;
    int Start = 1;
    QString Prefix;
    QString Suffix = QStringLiteral(".");
    QString Label;
    bool operator==(const ListLevel &) const = default;
    // The same label on numbers of the same kind, whatever they start at.
    bool labelsLike(const ListLevel &o) const
    {
        return Numbering == o.Numbering && Prefix == o.Prefix && Suffix == o.Suffix && Label == o.Label;
    }
};

// An entry of the list override table: the list it stands for, and the start numbers it gives some of
// its levels instead of the list's own (-1: the list's). Such a start is where its first paragraph at
// that level starts again; the paragraphs after it count on.
struct ListOverride {
    int ListId = 0;
    std::array<int, MAX_LIST_LEVELS> Starts;
    std::array<bool, MAX_LIST_LEVELS> Used{}; // a paragraph of the override stood at the level
    ListOverride() { Starts.fill(-1); }
};

// What a list level at the given index shows, from its \leveltext as read (a length, then text where the
// characters 0 to 8 stand for the numbers of those levels), symbols already made characters: for a level
// that counts, the texts before and after its number and, when it shows more than its own number, its
// whole label; for a bullet, its text unless it is a round bullet. False when a level that counts shows
// no number.
bool levelTextParts(QStringView text, int index, ListLevel &level);

// The numbering kind of a list level's \levelnfc.
int numberingOfLevelFormat(int nfc);

// Text as the document may hold it: no paragraph breaks or control characters but tabs, lone
// surrogates as U+FFFD. A high surrogate at the very end goes to stash when one is given.
QString cleanText(QStringView input, QChar *stash = nullptr);

// A group as the file wrote it, from its destination word to the end, to be written back unchanged.
// A group the file left open is closed; one that cannot be made whole is no group (empty). uc: the
// number of fallback characters after \uN where the group began; other than 1 (what a document written
// by this program starts with), the group states it after its destination word, so it reads the same
// wherever it is written.
QByteArray keptGroup(QByteArrayView all, qsizetype from, qsizetype end, int uc);

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
    void footnoteMark(const Token &, int);
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
    void levelStart(const Token &t, int);
    void levelText(const Token &, int);
    void overrideBegin(const Token &, int);
    void overrideLevel(const Token &, int);
    void overrideStartAt(const Token &, int);
    void numberingBegin(const Token &, int);
    void numberingKind(const Token &, int kind);
    void numberingLevel(const Token &t, int kind);
    void numberingStart(const Token &t, int);
    void numberingText(const Token &, int dest);
    void listText(const Token &, int);
    void styleReference(const Token &, int);
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
    // After a group is gone: the object being read ends with its group, however the group ended.
    void leaveObjectGroup()
    {
        if (m_inObject && m_states.size() < m_objectDepth)
            m_inObject = false;
    }
    void endDestination(const State &closed);
    void controlWord(const Token &t);
    void controlSymbol(const Token &t);
    void textBytes(QByteArrayView data);
    void addByte(char byte);
    void addBytes(QByteArrayView bytes); // bytes of text, all in the code page of the moment
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
    // The format of the next paragraph, which has the properties p; called once per paragraph in order.
    TRichParaFormat paraFormat(const ParaState &p);
    // The numbering of a paragraph with the properties p; fromList: whether it comes from the list table
    // (else from {\*\pn}).
    ListLevel numberingOf(const ParaState &p, bool *fromList = nullptr) const;
    // The list a paragraph of a list table entry goes in, and how the levels above its own number there;
    // numbering: its level's, which may start elsewhere.
    int listOf(const ParaState &p, ListLevel &numbering, QList<TLevelNumbering> &outer);
    // The text of a list level read from its \leveltext (without its length and its closing mark), the
    // codes of a symbol font as the characters they show; font: the level's.
    QString levelTextShown(int font);
    void emitObject(const TRichObject &object);
    void contentAdded()
    {
        m_lastPara = st().Para;
        m_contentSinceBreak = true;
    }

    void finishFont();
    void finishColor();
    // The picture just read; a PNG or JPEG picture stays encoded (only its size is read) unless decoded.
    TRichObject pictureObject(qsizetype end, bool decoded);

    Tokenizer m_tok;
    TRichDocumentBuilder &m_builder;
    std::vector<State> m_states;
    // \* marks the control word right after it: when that word is unknown, it starts a destination
    // to skip (the rest of its group); a known word does what it always does
    bool m_star = false;
    int m_flatDepth = 0; // groups open past the depth limit, read as part of the group around them
    int m_skip = 0;      // characters still to skip after \uN
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
    QHash<int, QList<ListLevel>> m_lists; // list id -> its levels
    QList<ListLevel> m_listLevels;
    int m_listLevelFormat = 0;
    int m_listLevelStart = 1;
    // the \leveltext being read, its bytes apart from its characters: the bytes are in the level's font,
    // which the level names after its text
    struct LevelTextPart {
        bool Bytes = false;
        QByteArray Data;
        QString Text;
    };
    std::vector<LevelTextPart> m_levelText;
    qsizetype m_levelTextSize = 0;
    bool m_hasLevelText = false;
    int m_listId = 0;
    QHash<int, ListOverride> m_overrides; // \ls -> its entry
    ListOverride m_override;
    int m_overrideLs = -1;
    int m_overrideLevel = -1; // the \lfolevel being read
    bool m_overrideStartAt = false;
    ListLevel m_pn; // the {\*\pn} group being read
    int m_pnLevel = 0;
    bool m_pnHasText = false;
    // A list of the document and how its levels number: the paragraphs of the overrides of one list
    // table entry (\listid) are in one, and so are consecutive {\*\pn} paragraphs, as long as each
    // level keeps its numbering.
    struct DocumentList {
        int Id = 0; // 0: none yet
        std::array<std::optional<ListLevel>, MAX_LIST_LEVELS> Levels;
        // The list of a paragraph numbered so at the level: this one, or a new one when the level
        // numbers otherwise here. sameStart: a level of the list keeps the start number it began with
        // (a paragraph that would start elsewhere counts on), else another start number starts a new list.
        int For(int level, ListLevel &numbering, bool sameStart);
    };
    QHash<int, DocumentList> m_documentLists; // by \listid
    DocumentList m_unlistedList;              // the overrides the override table lacks
    DocumentList m_pnList;

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
    int m_footnotes = 0; // footnote marks in the text so far

    // picture and object being read
    QByteArray m_pict;
    qsizetype m_pictStart = 0;
    int m_pictUc = 1;
    int m_nibble = -1;
    PictureInfo m_pictInfo;
    int m_goalW = 0, m_goalH = 0, m_scaleX = 100, m_scaleY = 100;
    bool m_inObject = false;
    std::size_t m_objectDepth = 0; // groups open when the object's group began, its own included
    qsizetype m_objectStart = 0;
    int m_objectUc = 1;
    bool m_objectHasImage = false;
    TRichObject m_objectImage;
    int m_objW = 0, m_objH = 0, m_objScaleX = 100, m_objScaleY = 100;
};

// The control words the reader knows, each with its handler and the handler's argument.
const QHash<QByteArray, WordEntry> &wordTable();

} // namespace rtf::reader
