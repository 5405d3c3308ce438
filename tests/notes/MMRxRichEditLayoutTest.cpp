// Numbered paragraphs and wrapping: numbers counted from each paragraph's numbering and start number,
// kept through RTF, copy and paste, drawn on screen and in print (never part of the text); and a run
// of text without a place to break wrapped at any character, its text left as it was.
#include "NotesTestSupport.h"
#include "common/TestSupport.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/ParagraphNumbers.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QPaintEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>
#ifdef BRIVO_HAVE_QTPDF
#include <QPdfDocument>
#endif

using namespace richedit;

namespace {

TRichParaFormat numbering(int kind, int start = 1)
{
    TRichParaFormat f;
    f.Mask = PFM_NUMBERING | PFM_NUMBERINGSTART;
    f.Numbering = kind;
    f.NumberingStart = start;
    return f;
}

void setNumbering(QTextDocument &doc, int paragraph, const TRichParaFormat &f)
{
    QTextCursor c(doc.findBlockByNumber(paragraph));
    WriteParaFormat(c, f);
}

QStringList labels(QTextDocument &doc, TParagraphNumbers &numbers)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out.append(numbers.LabelOf(b));
    return out;
}

TEST(ParagraphNumbers, RunsCountFromTheirStartAndAnyOtherParagraphEndsThem)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni"));
    const TRichParaFormat kinds[] = {
        numbering(PFN_ARABIC, 7),    numbering(PFN_ARABIC, 7),    numbering(0),
        numbering(PFN_ARABIC, 7),    numbering(PFN_LCROMAN, 1),   numbering(PFN_BULLET),
        numbering(PFN_UCLETTER, 26), numbering(PFN_UCLETTER, 26), numbering(PFN_ARABIC, 3)};
    for (int i = 0; i < 9; ++i)
        setNumbering(doc, i, kinds[i]);
    TParagraphNumbers numbers(&doc);
    EXPECT_EQ(labels(doc, numbers), (QStringList{"7.", "8.", "", "7.", "i.", "", "Z.", "AA.", "3."}));
    // kind and start number read back as they were written
    const TRichParaFormat second = ParaFormatOf(doc.findBlockByNumber(1).blockFormat());
    EXPECT_EQ(second.Numbering, PFN_ARABIC);
    EXPECT_EQ(second.NumberingStart, 7);
    // a run that changes its start number in the middle starts again there
    setNumbering(doc, 1, numbering(PFN_ARABIC, 1));
    numbers.Invalidate(doc.findBlockByNumber(1).position());
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(1)), "1.");

    // counted once, then counted afresh from a change on: a paragraph added at the top of a run, one
    // taken away, and the last of the document counted before the first
    setNumbering(doc, 1, numbering(PFN_ARABIC, 7));
    numbers.Invalidate(0);
    EXPECT_EQ(numbers.LabelOf(doc.lastBlock()), "3.");
    QTextCursor c(doc.findBlockByNumber(1));
    c.insertText(QStringLiteral("new\n"));
    numbers.Invalidate(c.block().previous().position());
    EXPECT_EQ(labels(doc, numbers), (QStringList{"7.", "8.", "9.", "", "7.", "i.", "", "Z.", "AA.", "3."}));
    c.setPosition(doc.findBlockByNumber(1).position());
    c.setPosition(doc.findBlockByNumber(2).position(), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    numbers.Invalidate(c.position());
    EXPECT_EQ(labels(doc, numbers), (QStringList{"7.", "8.", "", "7.", "i.", "", "Z.", "AA.", "3."}));
}

TEST(ParagraphNumbers, NumbersAsTheirKindWritesThem)
{
    EXPECT_EQ(NumberText(PFN_ARABIC, 1024), "1024");
    EXPECT_EQ(NumberText(PFN_LCLETTER, 1), "a");
    EXPECT_EQ(NumberText(PFN_LCLETTER, 27), "aa");
    EXPECT_EQ(NumberText(PFN_UCLETTER, 702), "ZZ");
    EXPECT_EQ(NumberText(PFN_LCROMAN, 1994), "mcmxciv");
    EXPECT_EQ(NumberText(PFN_UCROMAN, 4), "IV");
    // past what the kind can write, and below 1, in figures
    EXPECT_EQ(NumberText(PFN_UCROMAN, 5000), "5000");
    EXPECT_EQ(NumberText(PFN_LCROMAN, 0), "0");
    EXPECT_EQ(NumberText(PFN_LCLETTER, 0), "0");
}

// A numbered list that starts at 7, as a word processor writes it in the older form.
const QByteArray PnList =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "\\pard{\\pntext\\f0 7.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart7\\pndec{\\pntxta.}}"
    "\\fi-360\\li720 seven\\par"
    "{\\listtext\\f0 8.\\tab}eight\\par}";
// The same in the list-table form, counting from 3.
const QByteArray ListTable = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                             "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat3"
                             "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid5}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid5\\listoverridecount0\\ls1}}"
                             "\\pard{\\listtext 3.\\tab}\\ls1\\ilvl0\\fi-360\\li720 three\\par"
                             "{\\listtext 4.\\tab}\\ls1\\ilvl0\\fi-360\\li720 four\\par}";

class Numbers : public ::testing::Test {
protected:
    static void load(TMMRxCustomRichEdit &edit, const QByteArray &rtf)
    {
        QByteArray data = rtf;
        QBuffer in(&data);
        in.open(QIODevice::ReadOnly);
        edit.Lines().Format = sfRichText;
        edit.Lines().LoadFromStream(in);
    }
    static QByteArray save(TMMRxCustomRichEdit &edit)
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        edit.Lines().Format = sfRichText;
        edit.Lines().SaveToStream(out);
        return out.data();
    }

    notestest::RtfCodecInstalled codec;
};

TEST_F(Numbers, StartNumbersAreReadInBothFormsAndWrittenBack)
{
    for (const auto &[rtf, first, second] : {std::tuple{PnList, "7.", "8."}, std::tuple{ListTable, "3.", "4."}}) {
        TMMRxRichEdit edit;
        load(edit, rtf);
        const QByteArray saved = save(edit);
        EXPECT_TRUE(saved.contains("{\\listtext\\f0 " + QByteArray(first) + "\\tab}")) << saved.constData();
        EXPECT_TRUE(saved.contains("{\\listtext\\f0 " + QByteArray(second) + "\\tab}")) << saved.constData();
        // the numbers are no part of the text
        EXPECT_EQ(edit.Text().left(5), rtf == PnList ? "seven" : "three");

        // and the file written reads back with the same numbers, and writes the same again
        TMMRxRichEdit other;
        load(other, saved);
        TParagraphNumbers numbers(other.document());
        EXPECT_EQ(numbers.LabelOf(other.document()->firstBlock()), first);
        EXPECT_EQ(numbers.LabelOf(other.document()->firstBlock().next()), second);
        EXPECT_EQ(save(other), saved);
    }
}

TEST_F(Numbers, CopyAndPasteKeepTheNumbers)
{
    TMMRxRichEdit edit;
    load(edit, PnList);
    edit.SelectAllText();
    edit.CopyToClipboard();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    // other programs get the numbers in the rich text, and the plain text as before: without them
    const QByteArray rtf = data->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 7.\\tab}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 8.\\tab}")) << rtf.constData();
    EXPECT_EQ(data->text(), QStringLiteral("seven\neight"));

    TMMRxRichEdit other;
    other.PasteFromClipboard();
    EXPECT_EQ(other.Text(), QStringLiteral("seven\neight"));
    other.SetSelection(7, 7, false);
    EXPECT_EQ(other.Paragraph().Numbering(), nsArabic);
    const QByteArray saved = save(other);
    EXPECT_TRUE(saved.contains("{\\listtext\\f0 7.\\tab}")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\listtext\\f0 8.\\tab}")) << saved.constData();
}

TEST_F(Numbers, TakingTheNumberOffOneParagraphLetsTheNextOnesCountOn)
{
    // in both forms: the list table's and the older one
    const QByteArray lists[] = {
        "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat7{\\leveltext\\'02\\'00.;}}"
        "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard\\ls1 seven\\par eight\\par nine\\par ten\\par}",
        "{\\rtf1\\ansi\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart7{\\pntxta .}} seven\\par eight\\par nine\\par "
        "ten\\par}"};
    for (const QByteArray &rtf : lists) {
        TMMRxRichEdit edit;
        load(edit, rtf);
        edit.SetSelStart(int(edit.document()->findBlockByNumber(1).position()));
        edit.Paragraph().SetNumbering(nsNone);
        TParagraphNumbers numbers(edit.document());
        EXPECT_EQ(labels(*edit.document(), numbers), (QStringList{"7.", "", "8.", "9."})) << rtf.constData();
        // and what is saved reads back so
        TMMRxRichEdit other;
        load(other, save(edit));
        TParagraphNumbers saved(other.document());
        EXPECT_EQ(labels(*other.document(), saved), (QStringList{"7.", "", "8.", "9."}));
    }
}

#ifdef BRIVO_HAVE_QTPDF
// The first page of a note as printed, drawn at 600 pixels across.
QImage printed(TMMRxRichEditPrev &edit, QString *text)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    edit.PrintWithMargins(printer, QStringLiteral("numbers"), 1000, 1000, 1000, 1000);
    QPdfDocument document;
    if (document.load(pdf) != QPdfDocument::Error::None)
        return {};
    *text = document.getAllText(0).text();
    return document.render(0, QSize(600, 849));
}

// The leftmost column with ink on it; -1 for a blank image.
int leftmostInk(const QImage &image)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 128)
                return x;
    return -1;
}
#endif

TEST_F(Numbers, PrintingShowsTheNumbersBeforeTheIndentedText)
{
#ifdef BRIVO_HAVE_QTPDF
    TMMRxRichEditPrev edit;
    load(edit, PnList);
    // a third paragraph in roman numbers: it keeps the start number of the list it was added to
    edit.SetSelStart(edit.TextLength());
    edit.SetSelText(QStringLiteral("\nnine"));
    edit.SetSelStart(edit.TextLength());
    edit.Paragraph().SetNumbering(nsUcRoman);
    QString text;
    const QImage numbered = printed(edit, &text);
    ASSERT_FALSE(numbered.isNull());
    for (const char *number : {"7.", "8.", "VII."})
        EXPECT_TRUE(text.contains(QLatin1String(number))) << number << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("1."))) << text.toStdString();

    // the same text indented as far without numbers, and not indented: the indent is printed half an
    // inch wide (36 of the 72.5 pixels to the inch of the page drawn), and the numbers are printed in it
    const QByteArray plain = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard%1 seven\\par eight\\par nine\\par}";
    TMMRxRichEditPrev indented, flat;
    load(indented, QByteArray(plain).replace("%1", "\\li720"));
    load(flat, QByteArray(plain).replace("%1", ""));
    const int textLeft = leftmostInk(printed(indented, &text));
    const int pageLeft = leftmostInk(printed(flat, &text));
    ASSERT_GE(pageLeft, 0);
    EXPECT_NEAR(textLeft - pageLeft, 36, 3);
    EXPECT_GE(leftmostInk(numbered), pageLeft);
    EXPECT_LT(leftmostInk(numbered), textLeft - 5);
#else
    GTEST_SKIP() << "QtPdf is not there to read the printed page back";
#endif
}

// What the editor shows of its document.
QImage shown(TMMRxCustomRichEdit &edit)
{
    edit.SetSelection(0, 0, false);
    return edit.viewport()->grab().toImage();
}

// The smallest rectangle holding every pixel in which two images of one size differ.
QRect differingPixels(const QImage &a, const QImage &b)
{
    QRect differing;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                differing |= QRect(x, y, 1, 1);
    return differing;
}

TEST_F(Numbers, TheEditorDrawsTheNumbersAndRenumbersAfterEachChange)
{
    auto editor = [](const QStringList &lines, const QList<TNumberingStyle> &kinds) {
        auto edit = std::make_unique<TMMRxRichEdit>();
        edit->resize(320, 240);
        edit->SetLines(lines);
        for (int i = 0; i < kinds.size(); ++i) {
            edit->SetSelStart(int(edit->document()->findBlockByNumber(i).position()));
            edit->Paragraph().SetNumbering(kinds[i]);
        }
        edit->show();
        return edit;
    };
    auto edited = editor({"one", "two", "three"}, {nsArabic, nsArabic, nsArabic});
    auto unnumbered = editor({"one", "two", "three"}, {nsNone, nsNone, nsNone});
    // the same lines without numbers: only the numbers differ, each in the indent before its line
    for (int i = 0; i < 3; ++i) {
        unnumbered->SetSelStart(int(unnumbered->document()->findBlockByNumber(i).position()));
        unnumbered->Paragraph().SetFirstIndent(10);
    }
    const QImage numbered = shown(*edited);
    const QImage plain = shown(*unnumbered);
    ASSERT_EQ(numbered.size(), plain.size());
    const int textLeft = edited->cursorRect(QTextCursor(edited->document()->firstBlock())).left();
    EXPECT_EQ(textLeft, unnumbered->cursorRect(QTextCursor(unnumbered->document()->firstBlock())).left());
    const QRect differing = differingPixels(numbered, plain);
    EXPECT_FALSE(differing.isEmpty());
    EXPECT_LT(differing.right(), textLeft);
    // three numbers, one on each line
    const int lineHeight = edited->cursorRect(QTextCursor(edited->document()->firstBlock())).height();
    EXPECT_GT(differing.height(), 2 * lineHeight);

    // a paragraph added at the top renumbers all below it
    edited->SetSelStart(0);
    edited->SetSelText(QStringLiteral("zero\n"));
    EXPECT_TRUE(shown(*edited) ==
                shown(*editor({"zero", "one", "two", "three"}, {nsArabic, nsArabic, nsArabic, nsArabic})));
    // one taken out of the list: the ones below it count on from the one above, though no line moves
    const QImage before = shown(*edited);
    edited->SetSelStart(6);
    edited->Paragraph().SetNumbering(nsNone);
    EXPECT_FALSE(shown(*edited) == before);
    TParagraphNumbers numbers(edited->document());
    EXPECT_EQ(labels(*edited->document(), numbers), (QStringList{"1.", "", "2.", "3.", ""}));
    // the whole text replaced
    edited->SetLines({"alpha", "beta"});
    EXPECT_TRUE(shown(*edited) == shown(*editor({"alpha", "beta"}, {})));
}

TEST_F(Numbers, TheEditorDrawsTheBulletsAndLabelsTheFileNames)
{
    // the same three lines as dashes, as round bullets, and without bullets at the same indent; then as
    // numbers whose labels show the level above ("1.1.")
    const QByteArray list =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list"
        "{\\listlevel\\levelnfc%1{\\leveltext%2;}}{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}}"
        "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard\\ls1\\ilvl%3\\fi-360\\li720 one\\par two\\par three\\par}";
    auto editor = [&](const QByteArray &rtf) {
        auto edit = std::make_unique<TMMRxRichEdit>();
        edit->resize(320, 240);
        load(*edit, rtf);
        edit->show();
        return edit;
    };
    auto dashes = editor(QByteArray(list).replace("%1", "23").replace("%2", "\\'01\\u8211 ?").replace("%3", "0"));
    auto round = editor(QByteArray(list).replace("%1", "23").replace("%2", "\\'01\\u8226 ?").replace("%3", "0"));
    auto numbered = editor(QByteArray(list).replace("%1", "0").replace("%2", "\\'02\\'00.").replace("%3", "1"));
    auto plain = editor("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\li720 one\\par two\\par three\\par}");
    TParagraphNumbers numbers(dashes->document());
    EXPECT_EQ(labels(*dashes->document(), numbers), (QStringList{"\u2013", "\u2013", "\u2013"}));
    TParagraphNumbers levels(numbered->document());
    EXPECT_EQ(labels(*numbered->document(), levels), (QStringList{"1.1.", "1.2.", "1.3."}));

    const int textLeft = plain->cursorRect(QTextCursor(plain->document()->firstBlock())).left();
    const QImage without = shown(*plain);
    for (auto *edit : {dashes.get(), round.get(), numbered.get()}) {
        EXPECT_EQ(edit->cursorRect(QTextCursor(edit->document()->firstBlock())).left(), textLeft);
        const QImage image = shown(*edit);
        ASSERT_EQ(image.size(), without.size());
        const QRect differing = differingPixels(image, without);
        // a mark before each line, in the indent
        EXPECT_FALSE(differing.isEmpty());
        EXPECT_LT(differing.right(), textLeft);
        EXPECT_GT(differing.height(), 2 * edit->cursorRect(QTextCursor(edit->document()->firstBlock())).height());
    }
    // a dash is no round bullet
    EXPECT_FALSE(shown(*dashes) == shown(*round));
}

// Collects the regions a widget is asked to paint.
class PaintedRegions : public QObject {
public:
    explicit PaintedRegions(QWidget *w) { w->installEventFilter(this); }
    QRegion Painted;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};

TEST_F(Numbers, AChangeAboveNumbersDrawsThemAgain)
{
    TMMRxRichEdit edit;
    edit.resize(320, 240);
    edit.SetLines({"one", "two", "three"});
    edit.SelectAllText();
    edit.Paragraph().SetNumbering(nsArabic);
    edit.SetSelection(0, 0, false);
    PaintedRegions paints(edit.viewport());
    ASSERT_TRUE(notestest::showActive(edit));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !paints.Painted.isEmpty(); })) << "the editor was never drawn";
    // the first paragraph's numbering goes: the numbers of the third, whose line does not move, change
    const QRect third = edit.cursorRect(QTextCursor(edit.document()->lastBlock()));
    paints.Painted = QRegion();
    edit.Paragraph().SetNumbering(nsNone);
    EXPECT_TRUE(testsupport::waitUntil([&] { return paints.Painted.contains(QPoint(2, third.center().y())); }))
        << "drawn again: " << paints.Painted.boundingRect().top() << " to " << paints.Painted.boundingRect().bottom();
}

// ---- wrapping ----

class Wrapping : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.resize(400, 300);
        edit.show();
    }
    // The paragraph's lines, none wider than the page they are laid out on.
    bool fitsThePage(const QTextBlock &b) const
    {
        const qreal page = edit.document()->textWidth();
        edit.document()->documentLayout()->blockBoundingRect(b); // laid out now
        QTextLayout *layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            if (layout->lineAt(i).naturalTextWidth() > page)
                return false;
        }
        return layout->lineCount() > 0;
    }

    notestest::RtfCodecInstalled codec;
    TMMRxRichEdit edit;
};

TEST_F(Wrapping, ARunWithoutBreaksIsWrappedAnywhereAndKeptAsItWas)
{
    QByteArray run(20000, 'x');
    for (int i = 0; i < run.size(); ++i)
        run[i] = char('a' + i % 26);
    const QByteArray bytes = "words before\r\n" + run + "\r\nwords after";
    QByteArray data = bytes;
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    edit.Lines().Format = sfPlainText;
    edit.Lines().LoadFromStream(in);
    EXPECT_EQ(edit.wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_TRUE(fitsThePage(edit.document()->findBlockByNumber(1)));
    // printing lays out a copy with the same wrapping
    EXPECT_EQ(std::unique_ptr<QTextDocument>(edit.document()->clone())->defaultTextOption().wrapMode(),
              QTextOption::WrapAnywhere);

    // saved as it was read, as plain text and as rich text
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    edit.Lines().SaveToStream(out);
    EXPECT_EQ(out.data(), bytes);
    QBuffer rich;
    rich.open(QIODevice::WriteOnly);
    edit.Lines().Format = sfRichText;
    edit.Lines().SaveToStream(rich);
    TMMRxRichEdit other;
    rich.seek(0);
    QByteArray richBytes = rich.data();
    QBuffer richIn(&richBytes);
    richIn.open(QIODevice::ReadOnly);
    other.Lines().LoadFromStream(richIn);
    EXPECT_EQ(other.Text(), edit.Text());
    EXPECT_EQ(other.wordWrapMode(), QTextOption::WrapAnywhere);

    // without the run, words wrap at their boundaries again
    edit.SetSelection(13, 13 + run.size() + 1, false);
    edit.ClearSelection();
    EXPECT_EQ(edit.Text(), QStringLiteral("words before\nwords after"));
    EXPECT_TRUE(testsupport::waitUntil([&] {
        return edit.wordWrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;
    })) << "wrap mode "
        << int(edit.wordWrapMode());
}

TEST_F(Wrapping, TextWithBreaksKeepsWordsWhole)
{
    // long prose, and a long paragraph of Japanese, which breaks between its characters
    QStringList words;
    for (int i = 0; i < 3000; ++i)
        words.append(QStringLiteral("word%1").arg(i));
    edit.SetLines({words.join(u' '), QString(8000, QChar(0x65e5))});
    EXPECT_EQ(edit.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    // no line of the prose ends inside a word
    const QTextBlock prose = edit.document()->firstBlock();
    ASSERT_TRUE(fitsThePage(prose));
    QTextLayout *layout = prose.layout();
    for (int i = 0; i + 1 < layout->lineCount(); ++i) {
        const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
        EXPECT_TRUE(prose.text().at(end - 1).isSpace()) << i;
    }

    // a run pasted in switches before it is laid out, and clearing the document switches back
    auto *data = new QMimeData;
    data->setText(QString(10000, u'z'));
    QApplication::clipboard()->setMimeData(data);
    edit.SetSelStart(edit.TextLength());
    edit.PasteFromClipboard();
    EXPECT_EQ(edit.wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_TRUE(fitsThePage(edit.document()->lastBlock()));
    edit.Clear();
    EXPECT_EQ(edit.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

} // namespace
