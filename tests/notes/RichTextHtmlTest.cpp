// HTML as a page's copy offers it, read into the notes' formats: runs, sizes and faces, lists with
// their numbers and levels, paragraphs and tables, nothing loaded or run, and the bounds on length
// and nesting.
#include "notes/RichTextHtml.h"

#include "common/TestSupport.h"
#include "notes/ParagraphNumbers.h"
#include "notes/RichTextModel.h"

#include <QBuffer>
#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

using namespace richedit;

namespace {

// The HTML's content alone in a document of the notes' formats.
std::unique_ptr<QTextDocument> read(const QString &html)
{
    auto doc = std::make_unique<QTextDocument>();
    QTextCursor(doc.get()).insertFragment(FragmentFromHtml(html, StandardCharFormat()));
    return doc;
}

// The format of the first occurrence of text.
TRichCharFormat formatOf(QTextDocument *doc, const QString &text)
{
    const int at = int(doc->toRawText().indexOf(text));
    EXPECT_GE(at, 0) << text.toStdString();
    return ReadCharFormat(doc, at, at + int(text.size()), StandardCharFormat());
}

TRichParaFormat paragraphOf(QTextDocument *doc, int paragraph)
{
    const QTextBlock b = doc->findBlockByNumber(paragraph);
    return ReadParaFormat(doc, b.position(), b.position());
}

QStringList paragraphs(QTextDocument *doc)
{
    QStringList out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}

// As the engine writes a copied selection: every block with the page's computed style.
const QString PageStyle = QStringLiteral("color: rgb(0, 0, 0); font-family: sans-serif; font-size: 16px; font-style: "
                                         "normal; font-weight: 400; text-align: start; text-indent: 0px; "
                                         "-webkit-text-stroke-width: 0px; text-decoration-thickness: initial;");

} // namespace

TEST(HtmlToRichText, RunsKeepTheLookThePageGaveThem)
{
    const auto doc =
        read(QStringLiteral(
                 "<h1 style=\"color: rgb(0, 0, 0); font-family: sans-serif;\">Title</h1>"
                 "<h2>Sub</h2><p style=\"%1\">Plain,<span>\u00a0</span><b>bold</b>,<span>&nbsp;</span><i>slanted</i>, "
                 "<u>under</u>, "
                 "<s>struck</s>, x<sup>2</sup>, H<sub>2</sub>O, <span style=\"font-size: 24px; color: "
                 "rgb(192, 0, 0);\">big red</span>, <span style=\"font-size: 7pt; background-color: "
                 "rgba(0, 0, 0, 0); font-family: 'No Such Face', monospace\">small code</span>, "
                 "<span style=\"background-color: rgb(255, 255, 0)\">marked</span>, "
                 "<a href=\"https://example.org/x\">a link</a>, <font size=\"1\">tiny</font></p>")
                 .arg(PageStyle));
    EXPECT_EQ(paragraphs(doc.get()), QStringList({"Title", "Sub",
                                                  "Plain, bold, slanted, under, struck, x2, H2O, big red, small "
                                                  "code, marked, a link, tiny"}));

    // headings: bold, at a browser's sizes (32 and 24 pixels)
    const TRichCharFormat title = formatOf(doc.get(), "Title");
    EXPECT_TRUE(title.effect(CFE_BOLD));
    EXPECT_EQ(title.Height, 480);
    EXPECT_EQ(title.FaceName, "Arial");
    EXPECT_EQ(formatOf(doc.get(), "Sub").Height, 360);

    const TRichCharFormat plain = formatOf(doc.get(), "Plain");
    EXPECT_FALSE(plain.effect(CFE_BOLD) || plain.effect(CFE_ITALIC) || plain.effect(CFE_UNDERLINE));
    EXPECT_EQ(plain.Height, 240); // 16 pixels
    EXPECT_EQ(plain.TextColor, qRgb(0, 0, 0));
    EXPECT_FALSE(plain.effect(CFE_AUTOCOLOR));
    EXPECT_TRUE(formatOf(doc.get(), "bold").effect(CFE_BOLD));
    EXPECT_TRUE(formatOf(doc.get(), "slanted").effect(CFE_ITALIC));
    EXPECT_TRUE(formatOf(doc.get(), "under").effect(CFE_UNDERLINE));
    EXPECT_TRUE(formatOf(doc.get(), "struck").effect(CFE_STRIKEOUT));
    const int x2 = int(doc->toRawText().indexOf(u"x2"));
    EXPECT_TRUE(ReadCharFormat(doc.get(), x2 + 1, x2 + 2, StandardCharFormat()).effect(CFE_SUPERSCRIPT));
    const int h2o = int(doc->toRawText().indexOf(u"H2O"));
    EXPECT_TRUE(ReadCharFormat(doc.get(), h2o + 1, h2o + 2, StandardCharFormat()).effect(CFE_SUBSCRIPT));

    const TRichCharFormat big = formatOf(doc.get(), "big red");
    EXPECT_EQ(big.Height, 360);
    EXPECT_EQ(big.TextColor, qRgb(192, 0, 0));
    // a face not installed gives way to the next one named; a transparent background is none
    const TRichCharFormat code = formatOf(doc.get(), "small code");
    EXPECT_EQ(code.Height, 140);
    EXPECT_EQ(code.FaceName, "Courier New");
    EXPECT_TRUE(code.effect(CFE_AUTOBACKCOLOR));
    const TRichCharFormat marked = formatOf(doc.get(), "marked");
    EXPECT_FALSE(marked.effect(CFE_AUTOBACKCOLOR));
    EXPECT_EQ(marked.BackColor, qRgb(255, 255, 0));
    // a link looks as a browser shows it
    // the sizes a browser gives elements inside a block of a stated size
    const auto inBlock = read(QStringLiteral(
        "<div style=\"font-size: 15px; font-family: Georgia, serif; color: rgb(0, 0, 0);\"><h2>Heading</h2><p>Para "
        "<font size=\"1\">tiny</font> <big>big</big> <small>small</small> <span style=\"font-size: 2em\">twice "
        "<span style=\"font-size: 50%\">half</span></span> <span style=\"font-size: medium\">medium</span></p>"
        "<h3 style=\"font-size: 20px;\">Stated</h3></div>"));
    EXPECT_EQ(formatOf(inBlock.get(), "Heading").Height, 338); // 1.5 times 15 pixels
    EXPECT_TRUE(formatOf(inBlock.get(), "Heading").effect(CFE_BOLD));
    EXPECT_EQ(formatOf(inBlock.get(), "Para").Height, 225);
    EXPECT_EQ(formatOf(inBlock.get(), "tiny").Height, 150);
    EXPECT_EQ(formatOf(inBlock.get(), "big").Height, 270);
    EXPECT_EQ(formatOf(inBlock.get(), "small").Height, 188);
    EXPECT_EQ(formatOf(inBlock.get(), "twice").Height, 450);
    EXPECT_EQ(formatOf(inBlock.get(), "half").Height, 225);
    EXPECT_EQ(formatOf(inBlock.get(), "medium").Height, 240);
    EXPECT_EQ(formatOf(inBlock.get(), "Stated").Height, 300);

    const TRichCharFormat link = formatOf(doc.get(), "a link");
    EXPECT_TRUE(link.effect(CFE_UNDERLINE));
    EXPECT_EQ(link.TextColor, qRgb(0, 0, 255));
    EXPECT_EQ(formatOf(doc.get(), "tiny").Height, 150); // the smallest of the seven sizes: 10 pixels

    // what the HTML does not say comes from the defaults given
    TRichCharFormat around = StandardCharFormat();
    around.Height = 300;
    around.FaceName = "Georgia";
    QTextDocument plainDoc;
    QTextCursor(&plainDoc).insertFragment(FragmentFromHtml("<b>word</b>", around));
    const TRichCharFormat word = ReadCharFormat(&plainDoc, 0, 4, StandardCharFormat());
    EXPECT_TRUE(word.effect(CFE_BOLD));
    EXPECT_EQ(word.Height, 300);
    EXPECT_EQ(word.FaceName, "Georgia");
}

TEST(HtmlToRichText, ListsKeepTheirNumbersKindsAndLevels)
{
    const auto doc = read(QStringLiteral("<ol start=\"3\" style=\"%1\"><li>three</li><li>four<ol type=\"a\"><li>nested "
                                         "a</li><li>nested b</li></ol></li><li>five</li></ol>"
                                         "<ul><li>dot</li></ul><p>between</p><ol START='7'><li>seven</li></ol>"
                                         "<ol><li>one</li><li>two</li></ol><ol type=\"I\"><li>roman</li></ol>")
                              .arg(PageStyle));
    ASSERT_EQ(paragraphs(doc.get()), QStringList({"three", "four", "nested a", "nested b", "five", "dot", "between",
                                                  "seven", "one", "two", "roman"}));
    TParagraphNumbers numbers(doc.get());
    QList<int> shown;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        shown << numbers.NumberOf(b);
    EXPECT_EQ(shown, QList<int>({3, 4, 1, 2, 5, 0, 0, 7, 1, 2, 1}));
    EXPECT_EQ(paragraphOf(doc.get(), 0).Numbering, PFN_ARABIC);
    EXPECT_EQ(paragraphOf(doc.get(), 2).Numbering, PFN_LCLETTER);
    EXPECT_EQ(paragraphOf(doc.get(), 5).Numbering, PFN_BULLET);
    EXPECT_EQ(paragraphOf(doc.get(), 6).Numbering, 0);
    EXPECT_EQ(paragraphOf(doc.get(), 10).Numbering, PFN_UCROMAN);
    // each level indented as a browser does: 40 pixels
    EXPECT_EQ(paragraphOf(doc.get(), 0).StartIndent, 0);
    EXPECT_EQ(paragraphOf(doc.get(), 0).Offset, 600);
    EXPECT_EQ(paragraphOf(doc.get(), 2).StartIndent, 600);
    EXPECT_EQ(paragraphOf(doc.get(), 4).StartIndent, 0);
    EXPECT_EQ(paragraphOf(doc.get(), 6).StartIndent, 0);
    EXPECT_EQ(numbers.LabelOf(doc->findBlockByNumber(3)), "b.");
    // a nested list is a level of the list around it; a list that does not count on is a list of its own
    EXPECT_EQ(paragraphOf(doc.get(), 2).List, paragraphOf(doc.get(), 0).List);
    EXPECT_EQ(paragraphOf(doc.get(), 2).ListLevel, 1);
    EXPECT_EQ(paragraphOf(doc.get(), 4).ListLevel, 0);
    EXPECT_NE(paragraphOf(doc.get(), 8).List, paragraphOf(doc.get(), 7).List);

    // lists one after the other each count from their own start; one resumed after a paragraph with
    // the next number counts on
    const auto two = read(QStringLiteral("<ol><li>a</li><li>b</li></ol><ol><li>c</li><li>d</li></ol><p>e</p>"
                                         "<ol start=\"3\"><li>f</li></ol><ol><li>g<ol><li>h</li></ol></li>"
                                         "<li>i<ol><li>j</li></ol></li></ol>"));
    TParagraphNumbers twoNumbers(two.get());
    QList<int> twoShown;
    for (QTextBlock b = two->begin(); b.isValid(); b = b.next())
        twoShown << twoNumbers.NumberOf(b);
    EXPECT_EQ(twoShown, QList<int>({1, 2, 1, 2, 0, 3, 1, 1, 2, 1}));
    EXPECT_EQ(paragraphOf(two.get(), 5).List, paragraphOf(two.get(), 2).List);

    // items left open end at the next item or with their list; values, types and list styles
    const auto loose = read(
        QStringLiteral("<ul><li>a<li>b</ul><ol style=\"list-style-type: upper-roman\"><li>c<li value=\"10\">d<li>e</ol>"
                       "<ol><li type=\"a\">f</ol>") +
        QStringLiteral("<ol><li>again</ol>").repeated(MaxHtmlDepth));
    ASSERT_EQ(loose->blockCount(), 6 + MaxHtmlDepth);
    TParagraphNumbers looseNumbers(loose.get());
    QStringList labels;
    for (QTextBlock b = loose->begin(); b.isValid() && labels.size() < 7; b = b.next())
        labels << looseNumbers.LabelOf(b);
    EXPECT_EQ(labels, QStringList({"", "", "I.", "X.", "XI.", "a.", "1."}));
    EXPECT_EQ(paragraphOf(loose.get(), 1).Numbering, PFN_BULLET);
    EXPECT_EQ(paragraphOf(loose.get(), 1).StartIndent, 0);
    EXPECT_EQ(paragraphOf(loose.get(), 5 + MaxHtmlDepth).StartIndent, 0) << "lists closed with their items open nest";
}

TEST(HtmlToRichText, ParagraphsBreaksAndTableRows)
{
    const auto doc = read(
        QStringLiteral("<p style=\"text-align: center\">centred</p><p style=\"text-align: right\">right</p>"
                       "<blockquote>quoted</blockquote><p>one<br>two</p>"
                       "<table><tbody><tr><td>a1</td><td>b1</td></tr><tr><td><p>a2</p><p>more</p></td><td>b2</td></tr>"
                       "</tbody></table><pre>line 1\nline 2</pre><p>10&nbsp;km</p>"));
    EXPECT_EQ(paragraphs(doc.get()),
              QStringList({"centred", "right", "quoted", QString::fromUtf16(u"one\u2028two"), "a1\tb1", "a2 more\tb2",
                           "line 1", "line 2", QString::fromUtf16(u"10\u00a0km")}));
    EXPECT_EQ(paragraphOf(doc.get(), 0).Alignment, PFA_CENTER);
    EXPECT_EQ(paragraphOf(doc.get(), 1).Alignment, PFA_RIGHT);
    EXPECT_EQ(paragraphOf(doc.get(), 2).StartIndent, 600);
    EXPECT_EQ(paragraphOf(doc.get(), 3).Alignment, PFA_LEFT);
    EXPECT_EQ(paragraphOf(doc.get(), 3).StartIndent, 0);
}

TEST(HtmlToRichText, NothingNamedIsLoadedAndNothingRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // a style sheet and a picture on this machine, and addresses elsewhere
    testsupport::writeBytes(dir.path() + "/bold.css", "p { font-weight: bold; color: red }");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(dir.path() + "/green.png"));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const QString remote = QStringLiteral("http://127.0.0.1:9/");
    const QString css = QUrl::fromLocalFile(dir.path() + "/bold.css").toString();
    const QString png1 = QUrl::fromLocalFile(dir.path() + "/green.png").toString();

    // the program's own resource provider is not asked either
    int asked = 0;
    const auto previous = QTextDocument::defaultResourceProvider();
    QTextDocument::setDefaultResourceProvider([&asked](const QUrl &) {
        ++asked;
        return QVariant();
    });
    const auto restore = qScopeGuard([&] { QTextDocument::setDefaultResourceProvider(previous); });

    const auto doc = read("<link rel=\"stylesheet\" href=\"" + css + "\"><style>@import url(" + css + ");</style>" +
                          "<link rel=\"stylesheet\" href=\"" + remote + "x.css\">" +
                          "<p style=\"background-image: url(" + png1 + ")\">text<img src=\"" + png1 + "\"><img src=\"" +
                          remote + "p.png\"><img src=\"data:image/png;base64," + QString::fromLatin1(png.toBase64()) +
                          "\"></p><script>document.write('written')</script>" + "<p onclick=\"alert(1)\">after</p>");
    EXPECT_EQ(paragraphs(doc.get()), QStringList({"text", "after"}));
    EXPECT_FALSE(doc->toRawText().contains(QChar(ObjectChar))) << "pictures are left out";
    EXPECT_FALSE(formatOf(doc.get(), "text").effect(CFE_BOLD)) << "the style sheet was read";
    EXPECT_EQ(asked, 0);
}

TEST(HtmlToRichText, TooLongOrTooDeepIsNotRead)
{
    // nested beyond the bound: refused at once (Qt's reader takes minutes over 100 000 levels)
    const QString deep = QStringLiteral("<b>x").repeated(100000);
    EXPECT_TRUE(FragmentFromHtml(deep, StandardCharFormat()).isEmpty());
    EXPECT_TRUE(
        FragmentFromHtml(QStringLiteral("<span>").repeated(MaxHtmlDepth + 1) + "x", StandardCharFormat()).isEmpty());
    EXPECT_FALSE(
        FragmentFromHtml(QStringLiteral("<span>").repeated(MaxHtmlDepth) + "x", StandardCharFormat()).isEmpty());
    // end tags of elements that are not open close nothing
    EXPECT_TRUE(
        FragmentFromHtml(QStringLiteral("<b></i>").repeated(MaxHtmlDepth + 1) + "x", StandardCharFormat()).isEmpty());
    // elements closed as they go, and void ones, are no nesting; nor is markup in comments and scripts
    const QString flat =
        QStringLiteral("<span>a</span><br><img src=x><hr/><!-- <b><b> -->") + QStringLiteral("<script>'<b>'</script>");
    EXPECT_FALSE(FragmentFromHtml(flat.repeated(MaxHtmlDepth * 2), StandardCharFormat()).isEmpty());
    // longer than the bound
    const QString longText = QStringLiteral("<p>") + QString(MaxHtmlLength, u'x') + QStringLiteral("</p>");
    EXPECT_TRUE(FragmentFromHtml(longText, StandardCharFormat()).isEmpty());
    // HTML without text
    EXPECT_TRUE(FragmentFromHtml("<img src=\"x.png\">", StandardCharFormat()).isEmpty());
}
