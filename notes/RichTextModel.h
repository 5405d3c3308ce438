#pragma once
// The formatting model of the notes editor's rich-edit engine, kept in the units stored documents use:
// character heights and indents in twips (1/20 point), tab stops in twips, colours as RGB with an
// "automatic" flag, the character set and the pitch-and-family byte of every run. A record carries a
// mask that says which of its fields are meant (for a write) or uniform (for a read).
//
// The document lives in a QTextDocument. Every formatting value is stored on the Qt formats twice:
// once in its own unit under a property of ours (so nothing is rounded or lost) and once as the Qt
// property that draws it. Both are written by the Apply functions below and nowhere else.
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTextCursor>
#include <QTextFormat>
#include <array>
#include <cstdint>
#include <functional>

class QTextCharFormat;
class QTextImageFormat;
class QTextDocument;

namespace richedit {

// Character mask bits.
constexpr quint32 CFM_BOLD = 0x00000001;
constexpr quint32 CFM_ITALIC = 0x00000002;
constexpr quint32 CFM_UNDERLINE = 0x00000004;
constexpr quint32 CFM_STRIKEOUT = 0x00000008;
constexpr quint32 CFM_PROTECTED = 0x00000010;
constexpr quint32 CFM_HIDDEN = 0x00000100;
constexpr quint32 CFM_PITCH = 0x00001000;     // pitch and family of the run
constexpr quint32 CFM_SUBSCRIPT = 0x00030000; // subscript and superscript together
constexpr quint32 CFM_SUPERSCRIPT = CFM_SUBSCRIPT;
constexpr quint32 CFM_WEIGHT = 0x00400000;
constexpr quint32 CFM_UNDERLINETYPE = 0x00800000;
constexpr quint32 CFM_BACKCOLOR = 0x04000000;
constexpr quint32 CFM_CHARSET = 0x08000000;
constexpr quint32 CFM_OFFSET = 0x10000000;
constexpr quint32 CFM_FACE = 0x20000000;
constexpr quint32 CFM_COLOR = 0x40000000;
constexpr quint32 CFM_SIZE = 0x80000000;
constexpr quint32 CFM_STYLES = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
constexpr quint32 CFM_ALL = CFM_STYLES | CFM_PROTECTED | CFM_HIDDEN | CFM_PITCH | CFM_SUBSCRIPT | CFM_WEIGHT |
                            CFM_UNDERLINETYPE | CFM_BACKCOLOR | CFM_CHARSET | CFM_OFFSET | CFM_FACE | CFM_COLOR |
                            CFM_SIZE;

// Character effect bits.
constexpr quint32 CFE_BOLD = 0x00000001;
constexpr quint32 CFE_ITALIC = 0x00000002;
constexpr quint32 CFE_UNDERLINE = 0x00000004;
constexpr quint32 CFE_STRIKEOUT = 0x00000008;
constexpr quint32 CFE_PROTECTED = 0x00000010;
constexpr quint32 CFE_HIDDEN = 0x00000100;
constexpr quint32 CFE_SUBSCRIPT = 0x00010000;
constexpr quint32 CFE_SUPERSCRIPT = 0x00020000;
constexpr quint32 CFE_AUTOBACKCOLOR = 0x04000000;
constexpr quint32 CFE_AUTOCOLOR = 0x40000000;

// Underline kinds (the run's underline type when CFE_UNDERLINE is set).
constexpr quint8 CFU_UNDERLINE = 1;
constexpr quint8 CFU_UNDERLINEWORD = 2;
constexpr quint8 CFU_UNDERLINEDOUBLE = 3;
constexpr quint8 CFU_UNDERLINEDOTTED = 4;
constexpr quint8 CFU_UNDERLINEDASH = 5;
constexpr quint8 CFU_UNDERLINEDASHDOT = 6;
constexpr quint8 CFU_UNDERLINEDASHDOTDOT = 7;
constexpr quint8 CFU_UNDERLINEWAVE = 8;
constexpr quint8 CFU_UNDERLINETHICK = 9;

// Pitch (low two bits of the pitch-and-family byte).
constexpr quint8 DEFAULT_PITCH = 0;
constexpr quint8 FIXED_PITCH = 1;
constexpr quint8 VARIABLE_PITCH = 2;
constexpr quint8 DEFAULT_CHARSET = 1;

// Paragraph mask bits.
constexpr quint32 PFM_STARTINDENT = 0x00000001;
constexpr quint32 PFM_RIGHTINDENT = 0x00000002;
constexpr quint32 PFM_OFFSET = 0x00000004;
constexpr quint32 PFM_ALIGNMENT = 0x00000008;
constexpr quint32 PFM_TABSTOPS = 0x00000010;
constexpr quint32 PFM_NUMBERING = 0x00000020;
constexpr quint32 PFM_SPACEBEFORE = 0x00000040;
constexpr quint32 PFM_SPACEAFTER = 0x00000080;
constexpr quint32 PFM_LINESPACING = 0x00000100;
constexpr quint32 PFM_NUMBERINGSTYLE = 0x00002000; // the text around a paragraph's number
constexpr quint32 PFM_NUMBERINGSTART = 0x00008000;
constexpr quint32 PFM_LIST = 0x00010000; // the list a numbered paragraph belongs to, and its level there
constexpr quint32 PFM_ALL = 0x0001A1FF;

// Paragraph alignments and numbering.
constexpr int PFA_LEFT = 1;
constexpr int PFA_RIGHT = 2;
constexpr int PFA_CENTER = 3;
constexpr int PFA_JUSTIFY = 4;
constexpr int PFN_BULLET = 1;
constexpr int PFN_ARABIC = 2;
constexpr int PFN_LCLETTER = 3;
constexpr int PFN_UCLETTER = 4;
constexpr int PFN_LCROMAN = 5;
constexpr int PFN_UCROMAN = 6;
constexpr int MAX_TAB_STOPS = 32;
// Levels of a list: 0 the outermost.
constexpr int MAX_LIST_LEVELS = 9;
// The text before and after a number is at most this long.
constexpr int MAX_NUMBER_TEXT = 16;
// A label that shows the numbers of other levels, or a bullet's text, is at most this long.
constexpr int MAX_LABEL_TEXT = 192;

// Line-spacing rules: 0 single, 1 one and a half, 2 double, 3 at least LineSpacing twips,
// 4 exactly LineSpacing twips, 5 LineSpacing / 20 lines.
constexpr int LINESPACING_SINGLE = 0;
constexpr int LINESPACING_ATLEAST = 3;
constexpr int LINESPACING_EXACTLY = 4;
constexpr int LINESPACING_MULTIPLE = 5;

// Positions: one UTF-16 unit per character, one for a paragraph break, one for an inline object.
constexpr char16_t ObjectChar = 0xFFFC;

} // namespace richedit

struct TRichCharFormat {
    quint32 Mask = 0;
    quint32 Effects = 0;
    int Height = 0; // twips
    QRgb TextColor = 0;
    QRgb BackColor = 0;
    quint8 Charset = 0;
    quint8 PitchAndFamily = 0;
    quint8 UnderlineType = 0;
    QString FaceName;
    int Weight = 0;
    int Offset = 0; // baseline offset in twips, positive raises

    bool has(quint32 maskBits) const { return (Mask & maskBits) == maskBits; }
    bool effect(quint32 bit) const { return (Effects & bit) != 0; }
    bool operator==(const TRichCharFormat &) const = default;
};

// How a level of a list numbers: its numbering kind and the number it starts at.
struct TLevelNumbering {
    int Numbering = richedit::PFN_ARABIC;
    int Start = 1;
    bool operator==(const TLevelNumbering &) const = default;
};

struct TRichParaFormat {
    quint32 Mask = 0;
    int Numbering = 0;
    int StartIndent = 0; // twips: indent of the first line
    int RightIndent = 0;
    int Offset = 0; // twips: further lines, relative to the first line
    int Alignment = richedit::PFA_LEFT;
    QList<int> Tabs; // twips, at most 32
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    int LineSpacing = 0;
    int LineSpacingRule = richedit::LINESPACING_SINGLE;
    int NumberingStart = 1; // the number of the first paragraph of its list and level
    // The text shown before and after the number ("(" and ")" make "(3)").
    QString NumberPrefix;
    QString NumberSuffix = QStringLiteral(".");
    // The list of a numbered paragraph (0: none yet, see WriteParaFormat) and its level there. Paragraphs
    // of one list count on across anything between them; each level counts apart and starts again
    // after a paragraph of a higher level.
    int List = 0;
    int ListLevel = 0;
    // A label other than the number between NumberPrefix and NumberSuffix, or than a round bullet: for a
    // number, the whole label, where the characters U+0000 to U+0008 stand for the numbers of the list's
    // levels 0 to 8, the paragraph's own among them ("\0.\1." shows "2.1." at the second level); for a
    // bullet, its text (an en dash, U+2013). Written and read with PFM_NUMBERINGSTYLE.
    QString LabelText;
    // For a label that shows the numbers of levels above the paragraph's own: how those levels number,
    // from the outermost (empty when none of them counts). A level that has not counted since the list or
    // a higher level of it began shows its start number, and counts on from it, as though a paragraph of
    // its own stood there. Written and read with PFM_NUMBERINGSTYLE.
    QList<TLevelNumbering> OuterLevels;

    bool has(quint32 maskBits) const { return (Mask & maskBits) == maskBits; }
    bool operator==(const TRichParaFormat &) const = default;
};

// An inline object: a picture, a file embedded in the note or linked from it, or an object of another
// program kept as it was read so it can be written back.
struct TRichObject {
    enum Kind { Picture, Object, EmbeddedFile, LinkedFile };
    Kind ObjectKind = Picture;
    QImage Image;       // what is shown; a placeholder when the data cannot be drawn
    QByteArray Data;    // the original bytes, written back unchanged; an embedded file's bytes
    QString DataFormat; // what Data holds, named by its reader ("png", "jpeg", "wmf", "object", "file"...)
    int Width = 0;      // goal size in twips
    int Height = 0;
    int ScaleX = 100; // percent
    int ScaleY = 100;
    QString FileName;           // an embedded file's name; a linked file's full path
    QString FileType;           // the file's MIME type
    bool DisplayAsIcon = false; // a file shown as its icon and name rather than as its content
    bool ManualUpdate = false;  // a link updated only when asked to

    bool IsFile() const { return ObjectKind == EmbeddedFile || ObjectKind == LinkedFile; }
    bool operator==(const TRichObject &o) const;
};

namespace richedit {

// The default character format of a new control: the platform's usual font at 10 points.
TRichCharFormat StandardCharFormat();
// Twips to the device-independent pixels Qt lays out in (96 per inch).
qreal TwipsToPixels(int twips);
int PixelsToTwips(qreal pixels);

// The single projection of the model onto Qt: writes the masked fields of the record into the Qt
// format, both in their own units and as what Qt draws.
void ApplyCharFormat(const TRichCharFormat &format, QTextCharFormat &out);
void ApplyParaFormat(const TRichParaFormat &format, QTextBlockFormat &out);
// Reads a Qt format back into a full record (every mask bit set); a field the format does not carry
// comes from the defaults.
TRichCharFormat CharFormatOf(const QTextCharFormat &format, const TRichCharFormat &defaults);
TRichParaFormat ParaFormatOf(const QTextBlockFormat &format);

// Reads the format of the characters in [start, end) of the document: the values of the first one,
// with the mask bits of fields that differ somewhere in the range cleared. An empty range reads the
// character before it (the format new text there takes).
TRichCharFormat ReadCharFormat(QTextDocument *doc, int start, int end, const TRichCharFormat &defaults);
// Merges the masked fields into every character of the cursor's selection, or into the cursor's
// insertion format when nothing is selected.
void WriteCharFormat(QTextCursor &cursor, const TRichCharFormat &format);
// Paragraph format of the paragraphs touched by [start, end): the first one's values, mask bits of
// fields that differ cleared.
TRichParaFormat ReadParaFormat(QTextDocument *doc, int start, int end);
// Merges the masked fields into every paragraph the cursor touches (bullets included). A paragraph that
// loses its numbering leaves its list. One that is numbered anew, or whose kind, start number or text
// around the number changes, without a list named by the format, joins the list of the paragraph just
// before it (else just after it) when that one is numbered alike, and starts a list of its own
// otherwise.
void WriteParaFormat(QTextCursor &cursor, const TRichParaFormat &format);

// Numbered paragraphs. The numbers are no part of the text: each paragraph keeps its numbering kind,
// start number, list and level, and the numbers are counted from these wherever they are shown or
// written. A paragraph takes the next number of its list at its level, the level's start number when it
// is the level's first since the list began or since a paragraph of a higher level of the list; one
// whose kind or start number differs from the paragraph before it at that level starts again too. A
// level above a paragraph's own that has not counted since the list or a higher level began takes its
// start number then (see TRichParaFormat::OuterLevels). Numbered paragraphs without a list (content made
// before lists were kept) count in runs: any other paragraph ends a run.
class TParagraphCounter {
public:
    // The number of the next paragraph in document order; 0 for a bulleted or unnumbered one. outer: how
    // the levels above its own number (TRichParaFormat::OuterLevels).
    int Next(int numbering, int start, int list, int level, const QList<TLevelNumbering> &outer = {});
    int Next(const TRichParaFormat &format)
    {
        return Next(format.Numbering, format.NumberingStart, format.List, format.ListLevel, format.OuterLevels);
    }
    // What is shown before the paragraph just counted, which took the given number: its number with the
    // text around it, or its label with the numbers its levels have now ("2.1."); a bullet's text (empty
    // for a round bullet, which the list draws); empty for an unnumbered paragraph.
    QString Label(const TRichParaFormat &format, int number) const;
    // How many lists the counter keeps numbers of.
    qsizetype Lists() const { return m_lists.size(); }

private:
    struct Level {
        int Numbering = 0; // 0: not counted since the list began or a higher level came
        int Start = 0;
        int Number = 0;
    };
    using Levels = std::array<Level, MAX_LIST_LEVELS>;
    QHash<int, Levels> m_lists;
    bool m_inRun = false; // the paragraph before was numbered without a list
};
// A new list's identity: a number above 0 not given before in this process.
int NewListId();
// True for the numbering kinds that count (not none, not bullets).
bool IsCounted(int numbering);
// A number as its paragraph shows it: "3", "c", "iii" or "III" by the numbering kind, without the ".".
QString NumberText(int numbering, int number);
// What is shown before a paragraph of the given format that took the given number, its number alone
// with the text around it: "3.", "(c)", "iii)" (TParagraphCounter::Label shows the other levels too).
QString NumberLabel(const TRichParaFormat &format, int number);
// The numbering kind and start number a paragraph's format keeps.
int NumberingOf(const QTextBlockFormat &format);
int NumberingStartOf(const QTextBlockFormat &format);
int ListOf(const QTextBlockFormat &format);
int ListLevelOf(const QTextBlockFormat &format);
QString LabelTextOf(const QTextBlockFormat &format);
QList<TLevelNumbering> OuterLevelsOf(const QTextBlockFormat &format);

// Inline objects.
bool IsObjectFormat(const QTextCharFormat &format);
TRichObject ObjectOf(QTextDocument *doc, const QTextCharFormat &format);
// The identity of the object a format draws, shared by its copies (undo, clipboard); 0 for none.
quint64 ObjectIdOf(const QTextCharFormat &format);
void InsertObject(QTextCursor &cursor, const TRichObject &object, const QTextCharFormat &charFormat);
// The image format an object is drawn by (what InsertObject inserts); also what replaces an object's
// format when its view changes.
QTextImageFormat ObjectFormat(const TRichObject &object, const QTextCharFormat &charFormat);

// Plain text of [start, end): paragraph breaks as "\n", inline objects left out. Line breaks inside a
// paragraph (U+2028) become "\n" too, unless they are to stay as they are (a plain-text file keeps them).
QString PlainTextOf(QTextDocument *doc, int start, int end, bool lineBreaksAsNewLines = true);

// True when the character format marks protected text.
bool IsProtected(const QTextCharFormat &format);
// The format that text typed or pasted next to a character of this format takes: the character's own
// attributes without its object and without protection.
QTextCharFormat InsertionFormat(const QTextCharFormat &format);

} // namespace richedit

size_t qHash(const TRichCharFormat &format, size_t seed = 0);

// Builds document content at a cursor, run by run: what a reader of a stored document calls.
class TRichDocumentBuilder {
public:
    // The whole build is one edit of the document: its listeners hear of it once, when Finish is
    // called or the builder goes.
    TRichDocumentBuilder(QTextCursor cursor, const TRichCharFormat &defaults);
    ~TRichDocumentBuilder();
    TRichDocumentBuilder(const TRichDocumentBuilder &) = delete;
    TRichDocumentBuilder &operator=(const TRichDocumentBuilder &) = delete;
    // Format of the text added from now on (a full record, or masked fields over the defaults).
    void SetCharFormat(const TRichCharFormat &format);
    // Format of the paragraph being built (unmasked fields: the defaults); applied when it ends. Each new
    // paragraph starts from the default paragraph format.
    void SetParaFormat(const TRichParaFormat &format);
    // Text without paragraph breaks; "\n", "\r" and "\r\n" end the paragraph.
    void AddText(QStringView text);
    // A line break inside the paragraph.
    void AddLineBreak();
    void AddObject(const TRichObject &object);
    // Ends the paragraph with a break and starts the next one.
    void EndParagraph();
    // Applies the format of the last paragraph; call once at the end.
    void Finish();
    int Position() const { return m_cursor.position(); }
    // The character format unmasked fields come from (the control's default).
    const TRichCharFormat &Defaults() const { return m_defaults; }
    // The reader tells now and then how far it has read (done of total); false once the build is to
    // stop, when the reader returns at once and what it built is to be dropped.
    bool Progress(qint64 done, qint64 total);
    // Who hears of the progress and may stop the build (false).
    void SetProgressHandler(std::function<bool(qint64 done, qint64 total)> handler);
    bool Stopped() const { return m_stopped; }

private:
    void flush();
    void endEdit();
    void applyParaFormat();
    QTextCursor m_cursor;
    TRichCharFormat m_defaults;
    QTextCharFormat m_charFormat;
    static constexpr qsizetype MaxKnownCharFormats = 1024;
    QHash<TRichCharFormat, QTextCharFormat> m_charFormats; // the formats set so far, turned into Qt's
    TRichParaFormat m_paraFormat;
    // the paragraph being built was begun by this builder, with m_freshFormat; the next one is begun
    // with m_nextFormat
    bool m_fresh = false;
    QTextBlockFormat m_freshFormat;
    QTextBlockFormat m_nextFormat;
    // the last model format turned into Qt's, and what it gave
    bool m_blockFormatKnown = false;
    TRichParaFormat m_blockParaFormat;
    QTextBlockFormat m_blockFormat;
    QString m_pending;
    int m_paraStart;
    bool m_inEdit = true;
    std::function<bool(qint64, qint64)> m_progress;
    bool m_stopped = false;
};

// Walks document content paragraph by paragraph and run by run: what a writer of a stored document
// reads.
class TRichDocumentVisitor {
public:
    virtual ~TRichDocumentVisitor() = default;
    virtual void BeginParagraph(const TRichParaFormat &format) = 0;
    // A run of text in one format; a line break inside the paragraph is U+2028.
    virtual void Text(QStringView text, const TRichCharFormat &format) = 0;
    virtual void Object(const TRichObject &object, const TRichCharFormat &format) = 0;
    // last: the document's final paragraph, which has no break after it.
    virtual void EndParagraph(bool last) = 0;
};

class TRichDocumentSource {
public:
    // The content of [start, end) of the document (end -1: to the end); defaults: the control's
    // default character format.
    TRichDocumentSource(QTextDocument *doc, int start, int end, const TRichCharFormat &defaults);
    const TRichCharFormat &Defaults() const { return m_defaults; }
    void Visit(TRichDocumentVisitor &visitor) const;

private:
    QTextDocument *m_doc;
    int m_start;
    int m_end;
    TRichCharFormat m_defaults;
};
