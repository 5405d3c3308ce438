#pragma once
// The numbers of a document's numbered paragraphs, drawn by whoever shows the document (the editor on
// screen, printing and its preview) rather than kept in the text. Each paragraph keeps its numbering
// kind, start number, list and level in its format; the numbers are counted from these in one pass in
// document order and kept until the document changes.
#include "notes/RichTextModel.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <map>
#include <vector>

class QPainter;
class QTextBlock;
class QTextDocument;

namespace richedit {

class TParagraphNumbers {
public:
    explicit TParagraphNumbers(const QTextDocument *doc);
    // The document changed from position on: the numbers from that paragraph on are counted afresh.
    void Invalidate(int position);
    // The number of the paragraph; 0 for a bulleted or unnumbered one.
    int NumberOf(const QTextBlock &block);
    // What is drawn before the paragraph: its number with the text around it ("3.", "(c)", "iii)"), or
    // its label with the numbers of the levels it shows ("2.1.3"); a bullet's own text; empty for a round
    // bullet (its list draws it) and for an unnumbered paragraph.
    QString LabelOf(const QTextBlock &block);
    // Whether a numbered paragraph was counted since the numbers were last counted from the start.
    bool SawNumbers() const { return m_sawNumbers; }

private:
    // A change counts afresh from the last of these before it, not from the start.
    static constexpr size_t CheckpointEvery = 256;
    // The counter keeps one entry per list: past this many, no further copies of it are kept.
    static constexpr qsizetype MaxCheckpointLists = 256;
    const QTextDocument *m_doc;
    std::vector<int> m_numbers; // by paragraph number, for the paragraphs counted so far
    // the labels of those that show other levels' numbers, which only the count at the time can tell
    std::map<int, QString> m_labels;
    TParagraphCounter m_counter; // where the count stands after them
    // [i]: where the count stood before paragraph i * CheckpointEvery; the first is always there
    std::vector<TParagraphCounter> m_checkpoints;
    bool m_sawNumbers = false;
};

// Draws the label of each numbered paragraph (and of each bullet of a text of its own) whose first line
// lies in clip (document coordinates; the painter draws in them), as a list draws its marker: "3." in
// the font and colour the paragraph's text starts with (text when it has none), before its first line's
// text, in the indent.
void DrawParagraphNumbers(QPainter &painter, const QTextDocument *doc, TParagraphNumbers &numbers, const QRectF &clip,
                          const QColor &text);

} // namespace richedit
