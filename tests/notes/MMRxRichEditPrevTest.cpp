// Printing a notes document: page by page into a PDF, inside the margins, from a copy of the document,
// an empty document on one page, and margins that leave no room refused.
#include "notes/MMRxRichEditPrev.h"

#include "NotesTestSupport.h"
#include "platform/PlatformError.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <gtest/gtest.h>
#ifdef BRIVO_HAVE_QTPDF
#include <QPdfDocument>
#endif

namespace {

class Printing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(4, 4, 4, 14), QPageLayout::Millimeter);
    }
    // Pages of the PDF written, counted from its page objects.
    int pageCount() const
    {
        QFile file(pdf);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        return int(QString::fromLatin1(file.readAll()).count(page));
    }

    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    TMMRxRichEditPrev edit;
};

TEST_F(Printing, ALongNoteFillsPagesInOrderAndTheEditorIsUntouched)
{
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines.append(QStringLiteral("Line %1 of the note").arg(i));
    edit.SetLines(lines);
    edit.SelectAllText();
    edit.SelAttributes().SetSize(14);
    edit.SetSelection(3, 3, false);
    const QString before = edit.Text();
    const QSizeF pageSize = edit.document()->pageSize();
    const bool modified = edit.Modified();

    edit.PrintWithMargins(printer, QStringLiteral("note"), 1100, 1100, 1100, 100);
    const int pages = pageCount();
    EXPECT_GE(pages, 2);
    EXPECT_LE(pages, 4);
    EXPECT_EQ(edit.Text(), before);
    EXPECT_EQ(edit.Modified(), modified);
    EXPECT_EQ(edit.SelStart(), 3);
    EXPECT_EQ(edit.document()->pageSize(), pageSize); // the editor's own layout is not paginated
#ifdef BRIVO_HAVE_QTPDF
    QPdfDocument document;
    ASSERT_EQ(document.load(pdf), QPdfDocument::Error::None);
    ASSERT_EQ(document.pageCount(), pages);
    auto shown = [&](int page) { return document.getAllText(page).text(); };
    const QString first = shown(0);
    const QString last = shown(pages - 1);
    EXPECT_TRUE(first.contains(u"Line 1 of the note")) << first.toStdString();
    EXPECT_FALSE(first.contains(u"Line 80 ")) << first.toStdString();
    EXPECT_TRUE(last.contains(u"Line 80 of the note")) << last.toStdString();
    // no line is lost or printed twice at a page break
    QString all;
    for (int i = 0; i < pages; ++i)
        all += shown(i) + u'\n';
    for (int i = 1; i <= 80; ++i)
        EXPECT_EQ(all.count(QStringLiteral("Line %1 of").arg(i)), 1) << i;
#endif
}

TEST_F(Printing, WiderMarginsGiveMorePages)
{
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines.append(QStringLiteral("Some words on a line %1").arg(i));
    edit.SetLines(lines);
    edit.PrintWithMargins(printer, QString(), 0, 0, 0, 0);
    const int narrow = pageCount();
    edit.PrintWithMargins(printer, QString(), 1500, 1500, 8000, 8000);
    EXPECT_GT(pageCount(), narrow);
}

TEST_F(Printing, AnEmptyNotePrintsOnePageAndPicturesArePrinted)
{
    edit.Print(printer, QStringLiteral("empty"));
    EXPECT_EQ(pageCount(), 1);

    TRichObject picture;
    picture.Image = QImage(120, 60, QImage::Format_RGB32);
    picture.Image.fill(Qt::red);
    edit.InsertObject(picture);
    edit.Print(printer, QStringLiteral("picture"));
    EXPECT_EQ(pageCount(), 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/Subtype /Image"));
}

TEST_F(Printing, MarginsThatLeaveNoRoomAreRefused)
{
    edit.SetSelText(QStringLiteral("text"));
    EXPECT_THROW(edit.PrintWithMargins(printer, QString(), 15000, 15000, 0, 0), PlatformError);
    EXPECT_THROW(edit.PrintWithMargins(printer, QString(), 0, 0, 30000, 0), PlatformError);

    QPrinter nowhere;
    nowhere.setOutputFormat(QPrinter::PdfFormat);
    nowhere.setOutputFileName(QString());
    try {
        edit.Print(nowhere, QString());
        FAIL() << "printed without a printer";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), "No printer is set up.");
    }
}

#ifdef BRIVO_HAVE_QTPDF
// The advance of a character in points at a point size, from the face's own outline metrics (measured
// large, so no rounding to pixels shows).
qreal advanceInPoints(const QString &family, QChar c, qreal pointSize)
{
    QFont font(family);
    font.setPixelSize(2000);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(font).horizontalAdvance(c) * pointSize / 2000;
}
#endif

// Run also with another logical dpi of the screen (the suite's notes_print_dpi: QT_FONT_DPI=144).
TEST_F(Printing, TextPrintsAtItsPointSizeAndTabStopsAtTheirPlaceOnAnyScreen)
{
#ifdef BRIVO_HAVE_QTPDF
    if (const QByteArray forced = qgetenv("QT_FONT_DPI"); !forced.isEmpty()) {
        ASSERT_EQ(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()), forced.toInt())
            << "the screen does not have the logical dpi this run is for";
    }
    notestest::RtfCodecInstalled codec;
    // 12-point text with a tab stop 2 inches from the paragraph's left edge, then 24-point text
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Sans;}}\\pard\\tx2880\\f0\\fs24 "
                     "HHHHHH\\tab XY\\par\\fs48 WWWWWW\\par}";
    QBuffer in(&rtf);
    in.open(QIODevice::ReadOnly);
    edit.Lines().Format = sfRichText;
    edit.Lines().LoadFromStream(in);
    const QString family = edit.document()->firstBlock().begin().fragment().charFormat().font().family();
    edit.PrintWithMargins(printer, QStringLiteral("sizes"), 1000, 1000, 1000, 1000);

    QPdfDocument document;
    ASSERT_EQ(document.load(pdf), QPdfDocument::Error::None);
    const QString text = document.getAllText(0).text();
    const auto left = [&](qsizetype index) {
        return document.getSelectionAtIndex(0, int(index), 1).boundingRectangle().left();
    };
    const qsizetype small = text.indexOf(QStringLiteral("HHHHHH"));
    const qsizetype large = text.indexOf(QStringLiteral("WWWWWW"));
    const qsizetype tabbed = text.indexOf(QStringLiteral("XY"));
    ASSERT_GE(small, 0) << text.toStdString();
    ASSERT_GE(large, 0) << text.toStdString();
    ASSERT_GE(tabbed, 0) << text.toStdString();
    // five advances of a character, from its first copy's left edge to its sixth's, in points of the page
    const qreal smallRun = left(small + 5) - left(small);
    const qreal largeRun = left(large + 5) - left(large);
    EXPECT_NEAR(smallRun, 5 * advanceInPoints(family, u'H', 12), 0.04 * smallRun) << "12-point text";
    EXPECT_NEAR(largeRun, 5 * advanceInPoints(family, u'W', 24), 0.04 * largeRun) << "24-point text";
    // the text after the tab starts 2 inches (144 points) right of the paragraph's start (each edge
    // a glyph's, a side bearing of at most 2 points off the pen)
    EXPECT_NEAR(left(tabbed) - left(small), 144, 2.5);
#else
    GTEST_SKIP() << "QtPdf is not there to read the printed page back";
#endif
}

} // namespace
