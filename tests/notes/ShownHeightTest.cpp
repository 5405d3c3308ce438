// How tall a document is estimated to be shown, against what Qt lays out: never short of it (a note
// counted short could pass the height Qt lays out), and not far above it (a note counted far too tall
// would be refused for nothing).
#include "notes/MMRxRichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <gtest/gtest.h>

namespace {

class Estimate : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.resize(500, 300);
        edit.show();
        QApplication::processEvents();
        doc = edit.CreateDocument();
        // laid out at the page the control wraps at
        doc->setTextWidth(edit.viewport()->width());
    }
    qreal laidOut() const { return doc->documentLayout()->documentSize().height(); }
    // The estimate is no less than what Qt lays out, and at most a fifth more.
    void expectClose(const char *what)
    {
        const qreal actual = laidOut();
        const qreal estimate = edit.ShownHeight(*doc);
        EXPECT_GE(estimate, actual * 0.99) << what << ": counted short";
        EXPECT_LE(estimate, actual * 1.2) << what << ": counted far too tall";
    }
    void text(const QString &s, const QTextCharFormat &format = {})
    {
        QTextCursor c(doc.get());
        c.movePosition(QTextCursor::End);
        c.insertText(s, format);
    }

    TMMRxRichEdit edit;
    std::unique_ptr<QTextDocument> doc;
};

QTextCharFormat pixels(int size)
{
    QTextCharFormat f;
    QFont font;
    font.setPixelSize(size);
    f.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    return f;
}

} // namespace

TEST_F(Estimate, ProseAndWordsOfEveryWidthAreCountedAsQtWrapsThem)
{
    // prose
    QString prose;
    for (int i = 0; i < 200; ++i)
        prose += QStringLiteral("The quick brown fox %1 jumps over the lazy dog, again and again.\n").arg(i);
    text(prose.repeated(3));
    expectClose("prose");

    // words a little wider than half a line: one to a line, each line half empty
    doc->clear();
    const QFontMetricsF metrics(doc->defaultFont());
    const int letters = int(doc->textWidth() * 0.55 / metrics.horizontalAdvance(u'n'));
    text((QString(letters, u'n') + u' ').repeated(400));
    expectClose("words over half a line wide");

    // wide letters: far wider than the font's mean
    doc->clear();
    text((QStringLiteral("WMWMW ").repeated(40) + u'\n').repeated(100));
    expectClose("wide letters");

    // a word longer than a line, broken where each line ends
    doc->clear();
    text(QString(5000, u'm'));
    expectClose("a word longer than a line");
}

TEST_F(Estimate, TabsBreaksIndentsScriptsSizesAndPicturesAreCounted)
{
    // tabs reach the next tab stop, far wider than a letter
    text((QString(60, u'\t') + u'x' + u'\n').repeated(200));
    expectClose("tabs");

    // line separators inside a paragraph
    doc->clear();
    text(QString(QStringLiteral("a") + QChar::LineSeparator).repeated(500));
    expectClose("line separators");

    // paragraphs indented to a third of the page
    doc->clear();
    text(QStringLiteral("some words to wrap in a narrow column of text ").repeated(200));
    QTextBlockFormat indented;
    indented.setLeftMargin(doc->textWidth() / 3);
    indented.setRightMargin(doc->textWidth() / 3);
    QTextCursor all(doc.get());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(indented);
    expectClose("indented paragraphs");

    // Japanese in a Latin font: the font it falls back on has taller lines
    doc->clear();
    text((QString(30, QChar(0x65e5)) + u'\n').repeated(300));
    expectClose("Japanese");

    // a large word on each line of small text, and small text on its own lines
    doc->clear();
    for (int i = 0; i < 200; ++i) {
        text(QStringLiteral("small text "), pixels(12));
        text(QStringLiteral("BIG"), pixels(90));
        text(QStringLiteral(" small text\nsmall\n"), pixels(12));
    }
    expectClose("sizes mixed");

    // pictures as high as a screen
    doc->clear();
    QTextImageFormat picture;
    picture.setName(QStringLiteral("nothing"));
    picture.setWidth(40);
    picture.setHeight(900);
    QTextCursor c(doc.get());
    for (int i = 0; i < 50; ++i) {
        c.insertImage(picture);
        c.insertText(QStringLiteral(" caption\n"));
    }
    expectClose("pictures");
}
