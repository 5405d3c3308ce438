#pragma once
// The text and paragraph attribute objects of the rich-edit control: views of the character format of
// the selection, the word or the default text, and of the paragraph format of the selected paragraphs.
#include "notes/RichTextModel.h"

#include <QColor>
#include <QFlags>
#include <QFont>

class TMMRxCustomRichEdit;

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)
enum TFontPitch { fpDefault, fpVariable, fpFixed };

enum TAttributeType { atDefaultText, atSelected, atWord };
// The numbering kind of a paragraph: none, bullets, or numbers counted 1, 2, 3, a, b, c, A, B, C,
// i, ii, iii or I, II, III.
enum TNumberingStyle : int {
    nsNone = 0,
    nsBullet = 1,
    nsArabic = 2,
    nsLcLetter = 3,
    nsUcLetter = 4,
    nsLcRoman = 5,
    nsUcRoman = 6
};
// Paragraph alignment as the attributes show it: the stored alignment minus one.
enum TParaAlignment { paLeftJustify = 0, paRightJustify = 1, paCenter = 2, paJustify = 3 };

// Character formatting of the selection, the word at the selection or the control's default format.
// No value is cached: every read asks the document and every write changes it.
class TRxTextAttributes {
public:
    TRxTextAttributes(TMMRxCustomRichEdit *richEdit, TAttributeType type);

    TRichCharFormat GetAttributes() const;
    void SetAttributes(const TRichCharFormat &format);

    int Charset() const;
    void SetCharset(int value);
    // An invalid colour stands for the automatic colour (the window text colour).
    QColor Color() const;
    void SetColor(const QColor &value);
    QString Name() const;
    void SetName(const QString &value);
    // A style reads as set only when all of the text has it. A write changes only the styles whose
    // value differs from what was read, so adding bold to mixed italic text keeps the italic mix.
    TFontStyles Style() const;
    void SetStyle(TFontStyles value);
    // Points (height in twips divided by 20, truncated).
    int Size() const;
    void SetSize(int value);
    TFontPitch Pitch() const;
    void SetPitch(TFontPitch value);
    // 0 none, 1 subscript, 2 superscript.
    int SubscriptStyle() const;
    void SetSubscriptStyle(int value);

    // Takes the font's name, size, styles, weight and pitch, the colour (invalid = automatic) and the
    // character set.
    void AssignFont(const QFont &font, const QColor &color = QColor(), int charset = richedit::DEFAULT_CHARSET);
    void Assign(const TRxTextAttributes &source);
    // Gives a font the name, style, size and pitch; the colour is Color().
    void AssignTo(QFont &font) const;

private:
    TMMRxCustomRichEdit *m_richEdit;
    TAttributeType m_type;
};

// Paragraph formatting of the paragraphs of the selection. Indents in points.
class TRxParaAttributes {
public:
    explicit TRxParaAttributes(TMMRxCustomRichEdit *richEdit);

    TRichParaFormat GetAttributes() const;
    void SetAttributes(const TRichParaFormat &format);

    TParaAlignment Alignment() const;
    // Mirrors left and right while the control reads right to left with mirrored alignment.
    void SetAlignment(TParaAlignment value);
    int FirstIndent() const;
    void SetFirstIndent(int value);
    int LeftIndent() const;
    void SetLeftIndent(int value);
    int RightIndent() const;
    void SetRightIndent(int value);
    // The numbering kind of the first selected paragraph.
    TNumberingStyle Numbering() const;
    // Bullets move the left indent to at least 10 points; no bullets set it to 0.
    void SetNumbering(TNumberingStyle value);
    // Tab stop Index (0 to 31) in points.
    int Tab(int index) const;
    void SetTab(int index, int value);
    int TabCount() const;

    void Assign(const TRxParaAttributes &source);

private:
    void setIndent(quint32 mask, int TRichParaFormat::*field, int points);
    TMMRxCustomRichEdit *m_richEdit;
};
