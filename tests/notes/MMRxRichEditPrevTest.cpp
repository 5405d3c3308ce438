// Printing a notes document: page by page into a PDF, inside the margins, from a copy of the document,
// an empty document on one page, and margins that leave no room refused.
#include "notes/MMRxRichEditPrev.h"

#include "platform/PlatformError.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
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

} // namespace
