#pragma once
// The shown lines of a document's paragraphs (a wrapped paragraph shows several), counted once per
// paragraph from its layout and kept in the document's own paragraph map, which sums them: the line of
// a position and the paragraph of a line are found without walking the paragraphs before them. A
// change of the document counts its paragraphs again from the changed one on; a change of what every
// paragraph's layout depends on (the width, the default font, the wrapping) counts them all again.
#include <QFont>
#include <QList>
#include <QSizeF>
#include <QTextOption>

class QAbstractTextDocumentLayout;
class QTextBlock;
class QTextDocument;

namespace richedit {

class TShownLines {
public:
    explicit TShownLines(QTextDocument *doc);
    // The document changed from position on (what its contentsChange tells).
    void Invalidate(int position);
    // The number of the paragraph's first shown line, counted from 0.
    int FirstLineOf(const QTextBlock &block);
    // The paragraph showing line lineNo, and lineNo within it; an invalid block past the last line.
    QTextBlock BlockOfLine(int lineNo, int *lineInBlock);
    // Lines a paragraph shows once laid out (at least one), laying the document out up to it first.
    static int LinesOf(const QTextBlock &block);

private:
    // What every paragraph's layout depends on besides its own text and formats.
    struct LayoutInputs {
        const QAbstractTextDocumentLayout *layout = nullptr;
        QSizeF pageSize;
        QFont font;
        QTextOption::WrapMode wrap = QTextOption::WordWrap;
        Qt::Alignment alignment;
        QTextOption::Flags flags;
        qreal tabStop = 0;
        QList<QTextOption::Tab> tabs;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
        qreal margin = 0;
        qreal indentWidth = 0;
        bool designMetrics = false;
        bool operator==(const LayoutInputs &) const = default;
    };
    LayoutInputs currentInputs() const;
    // Everything is counted again when the layout's inputs changed since they were last looked at.
    void checkInputs();
    // Counts the paragraphs up to and including paragraph number last that are not counted yet, after
    // counting all of them again when the layout's inputs changed.
    void countThrough(int last);

    QTextDocument *m_doc;
    int m_counted = 0; // the paragraphs 0 .. m_counted - 1 hold their shown lines
    LayoutInputs m_inputs;
};

} // namespace richedit
