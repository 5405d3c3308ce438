// The notes frame's documents: numbering, new, open, save, save as, save all and close, with the save
// question answered each way, failed reads and writes, and the close of all documents.
#include "notes/MGRichEditFramePrev.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "notes/MMEditExActns.h"
#include "notes/MMFontNameBox.h"
#include "notes/MMRxRichEditActns.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/NotesTestSupport.h"
#include "notes/NumEdits.h"
#include "settings/MemInis.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef BRIVO_HAVE_QTPDF
#include <QPdfDocument>
#endif

using namespace notestest;
using messageboxes::IdCancel;
using messageboxes::IdNo;
using messageboxes::IdYes;

namespace {

class NotesFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TMemIni table;
        table.SetStrings({QStringLiteral("[RichEditFrame]"),
                          QStringLiteral("SaveChanges=%s have been modified. Do you want to save the changes?"),
                          QStringLiteral("Untitled=New Document"), QStringLiteral("Modified= Modified"),
                          QStringLiteral("DialogFilter=Rich Text Files (*.rtf)|*.rtf|All Files|*.*")});
        frame.ApplyLanguage(table);
    }

    QString path(const QString &name) const { return dir.filePath(name); }
    QString tab(int index) const { return frame.PageControl->tabText(index); }
    int tabs() const { return frame.PageControl->count(); }
    TMMRxRichEditPrev *type(const QString &text)
    {
        TMMRxRichEditPrev *editor = frame.ActiveEditor();
        editor->SetSelText(text);
        return editor;
    }

    // The file dialogs choose the next of these names (a dialog with none left is cancelled); the
    // page set-up is accepted as it stands when pageSetup is true.
    QStringList chosen;
    int fileDialogs = 0;
    bool pageSetup = false;
    int previewPages = -1;
    DialogAnswers dialogs{[this](QDialog &d) {
        if (qobject_cast<QPageSetupDialog *>(&d))
            return int(pageSetup ? QDialog::Accepted : QDialog::Rejected);
        if (qobject_cast<QPrintPreviewDialog *>(&d)) {
            auto *preview = d.findChild<QPrintPreviewWidget *>();
            if (!preview)
                return int(QDialog::Rejected);
            preview->updatePreview();
            previewPages = preview->pageCount();
            return int(QDialog::Accepted);
        }
        auto *files = qobject_cast<QFileDialog *>(&d);
        if (!files)
            return int(QDialog::Rejected);
        ++fileDialogs;
        if (chosen.isEmpty())
            return int(QDialog::Rejected);
        files->selectFile(chosen.takeFirst());
        return int(QDialog::Accepted);
    }};
    RtfCodecInstalled codec;
    QTemporaryDir dir;
    TMGRichEditFramePrev frame;
};

TEST_F(NotesFrame, DocumentsAreNumberedAndClosingTheLastStartsAgainAtOne)
{
    ASSERT_EQ(tabs(), 1);
    EXPECT_EQ(tab(0), "New Document 1");
    frame.actFileNew->trigger();
    frame.actFileNew->trigger();
    ASSERT_EQ(tabs(), 3);
    EXPECT_EQ(tab(2), "New Document 3");
    EXPECT_EQ(frame.PageControl->currentIndex(), 2);

    // the middle one closes and the one after it becomes active; closing the last tab activates the first
    frame.PageControl->setCurrentIndex(1);
    frame.actFileClose->trigger();
    EXPECT_EQ(frame.ActiveEditor()->Tag, 3);
    frame.actFileClose->trigger();
    ASSERT_EQ(tabs(), 1);
    EXPECT_EQ(frame.ActiveEditor()->Tag, 1);

    // the only document is emptied in place, numbered 1 again, and New goes on from there
    MessageBoxAnswers answers({IdNo});
    type(QStringLiteral("draft"));
    frame.actFileClose->trigger();
    EXPECT_EQ(answers.Texts,
              QStringList{QStringLiteral("New Document 1 have been modified. Do you want to save the changes?")});
    ASSERT_EQ(tabs(), 1);
    EXPECT_EQ(frame.ActiveEditor()->Text(), QString());
    EXPECT_FALSE(frame.ActiveEditor()->Modified());
    frame.actFileNew->trigger();
    EXPECT_EQ(tab(1), "New Document 2");
}

TEST_F(NotesFrame, SaveOfAnUntitledDocumentAsksForANameAndWritesTheFile)
{
    TMMRxRichEditPrev *editor = type(QStringLiteral("first line"));
    EXPECT_EQ(frame.StatusPanelText(0), " Modified");
    EXPECT_TRUE(frame.actFileSaveAll->isEnabled());

    // a cancelled dialog changes nothing
    frame.actFileSave->trigger();
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(frame.SaveDialog->selectedFiles().value(0).section(u'/', -1), "New Document 1.rtf");

    chosen = {path(QStringLiteral("note.txt"))};
    frame.actFileSave->trigger();
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("note.txt"))), QByteArray("first line"));
    EXPECT_FALSE(editor->Modified());
    EXPECT_TRUE(editor->Named);
    EXPECT_EQ(tab(0), "note.txt");
    EXPECT_EQ(frame.StatusPanelText(0), QString());
    EXPECT_EQ(frame.StatusPanelText(2), u' ' + path(QStringLiteral("note.txt")));
    EXPECT_FALSE(frame.actFileSaveAll->isEnabled());

    // a named document is saved again without a dialog, in the format it has (plain text here)
    editor->SetSelection(editor->TextLength(), editor->TextLength(), false);
    editor->SetSelText(QStringLiteral("\nsecond"));
    frame.actFileSave->trigger();
    EXPECT_EQ(fileDialogs, 2);
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("note.txt"))), QByteArray("first line\nsecond"));

    // Save As under ".rtf" writes rich text and renames the tab
    chosen = {path(QStringLiteral("note.rtf"))};
    frame.actFileSaveAs->trigger();
    EXPECT_TRUE(testsupport::readBytes(path(QStringLiteral("note.rtf"))).startsWith("{\\rtf1"));
    EXPECT_EQ(tab(0), "note.rtf");
    EXPECT_EQ(editor->FileName, path(QStringLiteral("note.rtf")));
}

TEST_F(NotesFrame, OpenAlwaysAddsATabAndAFailedReadLeavesNoTab)
{
    testsupport::writeBytes(path(QStringLiteral("a.rtf")), "{\\rtf1\\ansi Hello {\\b bold} world\\par}");
    testsupport::writeBytes(path(QStringLiteral("b.txt")), "plain\r\ntext\r\n");
    chosen = {path(QStringLiteral("a.rtf"))};
    frame.actFileOpen->trigger();
    ASSERT_EQ(tabs(), 2); // the empty untitled document stays
    EXPECT_EQ(tab(1), "a.rtf");
    EXPECT_EQ(frame.ActiveEditor()->Text(), "Hello bold world");
    EXPECT_FALSE(frame.ActiveEditor()->Modified());
    EXPECT_EQ(frame.StatusPanelText(0), QString());

    // a plain-text file comes back byte for byte, line ends included
    ASSERT_TRUE(frame.OpenFile(path(QStringLiteral("b.txt"))));
    frame.ActiveEditor()->SetModified(true);
    frame.actFileSave->trigger();
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("b.txt"))), QByteArray("plain\r\ntext\r\n"));

    MessageBoxAnswers answers({messageboxes::IdOK, messageboxes::IdOK});
    EXPECT_FALSE(frame.OpenFile(path(QStringLiteral("missing.rtf"))));
    testsupport::writeBytes(path(QStringLiteral("binary.txt")), QByteArray("\x01\x00\x02\x00\x00\x00", 6));
    EXPECT_FALSE(frame.OpenFile(path(QStringLiteral("binary.txt"))));
    EXPECT_EQ(tabs(), 3);
    EXPECT_EQ(tab(2), "b.txt");
    ASSERT_EQ(answers.Texts.size(), 2);
    EXPECT_TRUE(answers.Texts[0].contains(u"missing.rtf")) << answers.Texts[0].toStdString();
    EXPECT_TRUE(answers.Texts[1].contains(u"binary.txt")) << answers.Texts[1].toStdString();
}

TEST_F(NotesFrame, AnOpeningThatLastsShowsItsProgressAndCancelDropsTheFile)
{
    QByteArray note = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20000; ++i)
        note += "line\\par\n";
    testsupport::writeBytes(path(QStringLiteral("long.rtf")), note + '}');
    frame.LoadProgressDelay = 0; // the progress shows at once
    MessageBoxAnswers answers;

    // the user presses Cancel as soon as the progress shows
    QString label;
    QTimer::singleShot(0, &frame, [&] {
        auto *progress = frame.findChild<QProgressDialog *>(QStringLiteral("LoadProgress"));
        auto *cancel = progress ? progress->findChild<QPushButton *>() : nullptr;
        if (!cancel || !progress->isVisible())
            return;
        label = progress->labelText();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_FALSE(frame.OpenFile(path(QStringLiteral("long.rtf"))));
    EXPECT_TRUE(label.contains(u"long.rtf")) << "the progress never showed, or not the file's name";
    EXPECT_EQ(tabs(), 1);
    EXPECT_EQ(tab(0), "New Document 1");
    EXPECT_TRUE(answers.Texts.isEmpty()) << "a cancelled opening is no failure to tell";

    // left alone, the file opens whole and its progress goes
    ASSERT_TRUE(frame.OpenFile(path(QStringLiteral("long.rtf"))));
    EXPECT_EQ(frame.ActiveEditor()->Lines().Count(), 20000);
    const auto *progress = frame.findChild<QProgressDialog *>();
    EXPECT_TRUE(!progress || !progress->isVisible());
}

TEST_F(NotesFrame, AFileNameWithMarkupShowsAsItStands)
{
    const QString marked = path(QStringLiteral("<img src=x.png><i>memo.txt"));
    testsupport::writeBytes(marked, "text");
    ASSERT_TRUE(frame.OpenFile(marked));
    EXPECT_EQ(frame.StatusPanelText(2), u' ' + marked);
    QStringList rich;
    for (QLabel *panel : frame.StatusBar->findChildren<QLabel *>())
        if (panel->text().contains(u'<') && panel->textFormat() != Qt::PlainText)
            rich << panel->text();
    EXPECT_TRUE(rich.isEmpty()) << rich.join(u',').toStdString();
    QTextDocument tip;
    tip.setHtml(frame.PageControl->tabToolTip(frame.PageControl->currentIndex()));
    EXPECT_EQ(tip.toPlainText(), marked);
}

TEST_F(NotesFrame, TheSaveQuestionKeepsTheDocumentUnlessItWasSavedOrGivenUp)
{
    TMMRxRichEditPrev *first = type(QStringLiteral("one"));
    frame.actFileNew->trigger();
    type(QStringLiteral("two"));
    {
        MessageBoxAnswers answers({IdCancel});
        frame.actFileClose->trigger();
        EXPECT_EQ(tabs(), 2);
    }
    {
        // Yes and then no file name: the document stays, still modified
        MessageBoxAnswers answers({IdYes});
        frame.actFileClose->trigger();
        EXPECT_EQ(tabs(), 2);
        EXPECT_TRUE(frame.ActiveEditor()->Modified());
    }
    {
        MessageBoxAnswers answers({IdYes});
        chosen = {path(QStringLiteral("two.rtf"))};
        frame.actFileClose->trigger();
        EXPECT_EQ(tabs(), 1);
        EXPECT_TRUE(QFile::exists(path(QStringLiteral("two.rtf"))));
    }
    EXPECT_EQ(frame.ActiveEditor(), first);
    EXPECT_EQ(frame.StatusPanelText(0), " Modified");
}

TEST_F(NotesFrame, CloseQueryAllAsksEachModifiedDocumentOnItsOwnTab)
{
    type(QStringLiteral("one"));
    frame.actFileNew->trigger(); // unchanged: never asked about
    frame.actFileNew->trigger();
    type(QStringLiteral("three"));
    frame.actFileNew->trigger();
    type(QStringLiteral("four"));
    EXPECT_TRUE(frame.AnyModified());
    {
        MessageBoxAnswers answers({IdNo, IdCancel, IdYes});
        EXPECT_FALSE(frame.CloseQueryAll());
        EXPECT_EQ(answers.Texts.size(), 2); // Cancel stops before the fourth
        EXPECT_EQ(frame.ActiveEditor()->Tag, 3);
        EXPECT_EQ(frame.StatusPanelText(0), " Modified");
    }
    MessageBoxAnswers answers({IdNo, IdNo, IdNo});
    EXPECT_TRUE(frame.CloseQueryAll());
    EXPECT_EQ(answers.Texts.size(), 3);
    EXPECT_TRUE(frame.AnyModified()); // No leaves the text as it was
}

TEST_F(NotesFrame, SaveAllSavesOnlyModifiedDocumentsAndStopsAtTheFirstThatIsNotSaved)
{
    testsupport::writeBytes(path(QStringLiteral("a.txt")), "a");
    testsupport::writeBytes(path(QStringLiteral("b.txt")), "b");
    ASSERT_TRUE(frame.OpenFile(path(QStringLiteral("a.txt"))));
    ASSERT_TRUE(frame.OpenFile(path(QStringLiteral("b.txt"))));
    frame.PageControl->setCurrentIndex(1);
    type(QStringLiteral("x"));
    frame.PageControl->setCurrentIndex(0);
    type(QStringLiteral("untitled")); // asks for a name, which is refused
    EXPECT_FALSE(frame.SaveAll());
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("a.txt"))), QByteArray("a"));

    chosen = {path(QStringLiteral("u.txt"))};
    frame.PageControl->setCurrentIndex(2);
    EXPECT_TRUE(frame.SaveAll());
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("u.txt"))), QByteArray("untitled"));
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("a.txt"))), QByteArray("xa"));
    EXPECT_EQ(testsupport::readBytes(path(QStringLiteral("b.txt"))), QByteArray("b"));
    EXPECT_EQ(frame.PageControl->currentIndex(), 1); // the last one saved
    EXPECT_FALSE(frame.AnyModified());
    EXPECT_FALSE(frame.actFileSaveAll->isEnabled());
}

TEST_F(NotesFrame, AFailedWriteIsShownAndTheDocumentStaysModified)
{
    const QString folder = path(QStringLiteral("gone"));
    testsupport::writeBytes(folder + QStringLiteral("/n.txt"), "old");
    ASSERT_TRUE(frame.OpenFile(folder + QStringLiteral("/n.txt")));
    type(QStringLiteral("new "));
    // the folder is replaced by a file, so no one can write there
    ASSERT_TRUE(QDir(folder).removeRecursively());
    testsupport::writeBytes(folder, "a file");
    MessageBoxAnswers answers({messageboxes::IdOK, IdYes, messageboxes::IdOK});
    frame.actFileSave->trigger();
    ASSERT_EQ(answers.Texts.size(), 1);
    EXPECT_TRUE(answers.Texts[0].contains(u"n.txt")) << answers.Texts[0].toStdString();
    EXPECT_TRUE(frame.ActiveEditor()->Modified());
    EXPECT_EQ(frame.StatusPanelText(0), " Modified");
    // the save question after a failed save keeps the program open
    EXPECT_FALSE(frame.CloseQueryAll());
    EXPECT_EQ(answers.Texts.size(), 3);
}

TEST_F(NotesFrame, UndoingEveryChangeClearsTheModifiedState)
{
    TMMRxRichEditPrev *editor = type(QStringLiteral("x"));
    ASSERT_TRUE(frame.actFileSaveAll->isEnabled());
    editor->Undo();
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(frame.StatusPanelText(0), QString());
    EXPECT_FALSE(frame.actFileSaveAll->isEnabled());
}

TEST_F(NotesFrame, PreviewShowsThePagesAndRefusesMarginsWithoutRoom)
{
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    frame.ActiveEditor()->SetLines(lines);
    frame.actPrintPreview->trigger();
    EXPECT_GE(previewPages, 2);
    EXPECT_EQ(frame.Printer().pageLayout().margins(QPageLayout::Millimeter), QMarginsF(15, 15, 15, 15));

    MessageBoxAnswers answers({messageboxes::IdOK});
    frame.Printer().setPageMargins(QMarginsF(15, 150, 15, 150), QPageLayout::Millimeter);
    frame.actPrintPreview->trigger();
    ASSERT_EQ(answers.Texts.size(), 1);
    EXPECT_TRUE(answers.Texts[0].contains(u"margins")) << answers.Texts[0].toStdString();
}

TEST_F(NotesFrame, PrintUsesThePageSetUpMarginsOnTheWholeSheet)
{
    type(QStringLiteral("Printed words"));
    const QString pdf = path(QStringLiteral("out.pdf"));
    frame.Printer().setOutputFormat(QPrinter::PdfFormat);
    frame.Printer().setOutputFileName(pdf);
    frame.actFilePrint->trigger(); // the page set-up is cancelled: nothing printed
    EXPECT_FALSE(QFile::exists(pdf));

    pageSetup = true;
    frame.actFilePrint->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    // the page set-up keeps its margins for the next print
    EXPECT_EQ(frame.Printer().pageLayout().margins(QPageLayout::Millimeter), QMarginsF(15, 15, 15, 15));
    EXPECT_EQ(frame.StatusPanelText(0), " Modified"); // printing leaves the document as it was
#ifdef BRIVO_HAVE_QTPDF
    QPdfDocument document;
    ASSERT_EQ(document.load(pdf), QPdfDocument::Error::None);
    ASSERT_EQ(document.pageCount(), 1);
    const QPdfSelection text = document.getAllText(0);
    EXPECT_TRUE(text.text().contains(u"Printed words")) << text.text().toStdString();
    // the text starts 15 mm from the sheet's left and top edges
    const QRectF box = text.boundingRectangle();
    const qreal mm = 72 / 25.4;
    EXPECT_NEAR(box.left(), 15 * mm, 2.0);
    EXPECT_NEAR(box.top(), 15 * mm, 4.0);
#endif
}

// ---- commands, boxes, caret panel and language ----

class NotesFrameShown : public NotesFrame {
protected:
    void SetUp() override
    {
        NotesFrame::SetUp();
        window.setCentralWidget(&frame);
        window.resize(700, 400);
        ASSERT_TRUE(showActive(window));
        ASSERT_TRUE(focus(frame.ActiveEditor()));
    }
    void TearDown() override { window.takeCentralWidget(); }
    QMainWindow window;
};

TEST_F(NotesFrameShown, AClickRightAfterALongNoteOpensLandsOnTheLineUnderIt)
{
    QByteArray note = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20000; ++i)
        note += "line " + QByteArray::number(i) + "\\par\n";
    testsupport::writeBytes(path(QStringLiteral("long.rtf")), note + '}');
    ASSERT_TRUE(frame.OpenFile(path(QStringLiteral("long.rtf"))));
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    // what a click hits at once, before anything else runs: in the margin above the first line (while
    // Qt still lays the note out, that is the last line), then on the third line
    EXPECT_EQ(editor->cursorForPosition(QPoint(200, 2)).blockNumber(), 0);
    const QRect third = editor->cursorRect(QTextCursor(editor->document()->findBlockByNumber(2)));
    EXPECT_EQ(editor->cursorForPosition(QPoint(third.right() + 20, third.center().y())).blockNumber(), 2);
}

TEST_F(NotesFrameShown, TheCaretPanelShowsColumnAndLineFromOne)
{
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    EXPECT_EQ(frame.StatusPanelText(1), "1 : 1");
    QTest::keyClicks(editor, "first");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "abc");
    EXPECT_EQ(frame.StatusPanelText(1), "4 : 2");
    editor->SetSelection(2, 2, false);
    EXPECT_EQ(frame.StatusPanelText(1), "3 : 1");
    // another tab shows its own caret after the next move
    frame.actFileNew->trigger();
    EXPECT_EQ(frame.StatusPanelText(1), "1 : 1");
}

TEST_F(NotesFrameShown, TheCaretPanelCountsTheLinesAsShown)
{
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    editor->SetSelText(QStringLiteral("word ").repeated(60) + QStringLiteral("\nend"));
    const QTextBlock first = editor->document()->firstBlock();
    const int shown = first.layout()->lineCount();
    ASSERT_GE(shown, 2) << "the paragraph does not wrap at this width";
    editor->SetSelStart(editor->TextLength());
    EXPECT_EQ(frame.StatusPanelText(1), QStringLiteral("4 : %1").arg(shown + 1));
    const int second = first.layout()->lineAt(1).textStart();
    editor->SetSelStart(second + 2);
    EXPECT_EQ(frame.StatusPanelText(1), "3 : 2");
    // the panel follows word wrap at once
    frame.actWordWrap->trigger();
    EXPECT_EQ(frame.StatusPanelText(1), QStringLiteral("%1 : 1").arg(second + 3));
}

TEST_F(NotesFrameShown, TheBoxesShowTheSelectionAndWriteBackOnlyWhatTheUserChanges)
{
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    editor->SetSelText("big small");
    editor->SetSelection(0, 3, false);
    editor->SelAttributes().SetSize(120);
    editor->SetSelection(4, 4, false);
    editor->SetSelection(0, 3, false);
    EXPECT_EQ(frame.UpDownNumEdit->Number(), 100);  // shown within the box's range
    EXPECT_EQ(editor->SelAttributes().Size(), 120); // and not written back

    ASSERT_TRUE(focus(frame.UpDownNumEdit));
    frame.UpDownNumEdit->selectAll();
    QTest::keyClicks(frame.UpDownNumEdit, "12");
    EXPECT_EQ(editor->SelAttributes().Size(), 12);
    editor->SetSelection(4, 9, false);
    EXPECT_NE(editor->SelAttributes().Size(), 12);

    // a face picked in the box goes to the selection only
    ASSERT_GT(frame.fntcmbFont->count(), 1);
    editor->SetSelection(0, 3, false);
    const QString before = editor->SelAttributes().Name();
    ASSERT_TRUE(focus(frame.fntcmbFont));
    const int pick = frame.fntcmbFont->itemText(0) == before ? 1 : 0;
    const QString face = frame.fntcmbFont->itemText(pick);
    frame.fntcmbFont->setCurrentIndex(pick);
    emit frame.fntcmbFont->activated(pick);
    EXPECT_EQ(editor->SelAttributes().Name(), face);
    editor->SetSelection(4, 9, false);
    EXPECT_EQ(editor->SelAttributes().Name(), before);
    // a face the box does not list shows no item
    editor->SelAttributes().SetName("No Such Face At All");
    editor->SetSelection(5, 9, false);
    EXPECT_EQ(frame.fntcmbFont->FontName(), QString());
}

TEST_F(NotesFrameShown, TheBoxesWriteOnlyToTheDocumentTheyShowedWhenTheUserChangedThem)
{
    TMMRxRichEditPrev *first = frame.ActiveEditor();
    first->SetSelText("big small");
    first->SetSelection(0, 3, false);
    first->SelAttributes().SetSize(20);
    first->SetSelection(0, 9, false); // two sizes: the box shows none of them
    frame.MarkSaved(first);
    const QString face = first->SelAttributes().Name();

    frame.actFileNew->trigger();
    TMMRxRichEditPrev *second = frame.ActiveEditor();
    ASSERT_TRUE(focus(frame.UpDownNumEdit));
    QTest::mouseClick(frame.PageControl->tabBar(), Qt::LeftButton, {},
                      frame.PageControl->tabBar()->tabRect(0).center());
    ASSERT_EQ(frame.ActiveEditor(), first);
    EXPECT_EQ(QApplication::focusWidget(), frame.UpDownNumEdit); // the focus stayed in the box
    EXPECT_FALSE(first->Modified());
    EXPECT_EQ(frame.StatusPanelText(0), QString());
    first->SetSelection(0, 3, false);
    EXPECT_EQ(first->SelAttributes().Size(), 20);
    first->SetSelection(4, 9, false);
    EXPECT_NE(first->SelAttributes().Size(), 20);
    EXPECT_EQ(first->SelAttributes().Name(), face);

    // the same with the focus in the font box; then the user's own edits reach the shown document
    frame.PageControl->setCurrentWidget(second);
    ASSERT_TRUE(focus(frame.fntcmbFont));
    frame.PageControl->setCurrentWidget(first);
    EXPECT_FALSE(first->Modified());
    EXPECT_FALSE(second->Modified());
    ASSERT_TRUE(focus(frame.UpDownNumEdit));
    frame.UpDownNumEdit->selectAll();
    QTest::keyClicks(frame.UpDownNumEdit, "14");
    EXPECT_EQ(first->SelAttributes().Size(), 14);
    EXPECT_TRUE(first->Modified());
    EXPECT_FALSE(second->Modified());
}

TEST_F(NotesFrameShown, TheEditCommandsFollowTheFocusedEditAtOnce)
{
    // Undo, Redo, Cut, Copy, Delete, Select All as 0 and 1
    auto states = [this] {
        QApplication::processEvents(); // what the edits announced is handled; nothing waits for idle
        std::string s;
        for (QAction *a :
             std::initializer_list<QAction *>{frame.MMEditUndoEx, frame.MMEditRedoEx, frame.MMEditCutEx,
                                              frame.MMEditCopyEx, frame.MMEditDeleteEx, frame.MMEditSelectAllEx})
            s += a->isEnabled() ? '1' : '0';
        return s;
    };
    TMMRxRichEditPrev *first = frame.ActiveEditor();
    QTest::keyClicks(first, "typed");
    first->SetSelection(0, 2, false);
    EXPECT_EQ(states(), "101111");
    first->SetSelection(2, 2, false);
    EXPECT_EQ(states(), "100001"); // nothing selected: no cut, copy or delete
    first->Undo();
    EXPECT_EQ(states(), "010000");

    // right after a file opens: nothing to undo, nothing selected, text to select
    QTest::keyClicks(first, "again");
    first->SetSelection(0, 3, false);
    const QString file = path(QStringLiteral("opened.txt"));
    testsupport::writeBytes(file, "hello world\n");
    ASSERT_TRUE(frame.OpenFile(file));
    TMMRxRichEditPrev *opened = frame.ActiveEditor();
    ASSERT_EQ(QApplication::focusWidget(), opened);
    std::string now;
    for (QAction *a :
         std::initializer_list<QAction *>{frame.MMEditUndoEx, frame.MMEditRedoEx, frame.MMEditCutEx, frame.MMEditCopyEx,
                                          frame.MMEditDeleteEx, frame.MMEditSelectAllEx})
        now += a->isEnabled() ? '1' : '0';
    EXPECT_EQ(now, "000001");
    QTest::keyClick(opened, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(states(), "001111");
    QTest::keyClick(opened, Qt::Key_Delete);
    EXPECT_EQ(states(), "100001");

    // a single-line edit: its whole text is selected when the focus comes by the keyboard
    ASSERT_TRUE(focus(frame.UpDownNumEdit));
    EXPECT_EQ(states(), "001111");
    frame.UpDownNumEdit->setCursorPosition(frame.UpDownNumEdit->text().size());
    EXPECT_EQ(states(), "000001");
    frame.MMEditSelectAllEx->trigger();
    EXPECT_EQ(states(), "001111");
}

TEST_F(NotesFrameShown, FormattingCommandsActOnTheActiveDocumentFromTheBars)
{
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    editor->SetSelText("words");
    editor->SetSelection(0, 5, false);
    // a click on a formatting button leaves the focus in the document, so the edit commands stay
    QWidget *italic = frame.tlbText->widgetForAction(frame.MMRichEditItalicEx);
    ASSERT_NE(italic, nullptr);
    QTest::mouseClick(italic, Qt::LeftButton);
    EXPECT_TRUE(editor->SelAttributes().Style().testFlag(fsItalic));
    EXPECT_EQ(QApplication::focusWidget(), editor);
    frame.MMEditCutEx->Update();
    EXPECT_TRUE(frame.MMEditCutEx->isEnabled());

    ASSERT_TRUE(focus(frame.UpDownNumEdit)); // the focus is in the formatting bar
    frame.MMRichEditBoldEx->Update();
    ASSERT_TRUE(frame.MMRichEditBoldEx->isEnabled());
    frame.MMRichEditBoldEx->trigger();
    EXPECT_TRUE(editor->SelAttributes().Style().testFlag(fsBold));

    // a new document binds the commands to itself
    frame.actFileNew->trigger();
    TMMRxRichEditPrev *second = frame.ActiveEditor();
    second->SetSelText("other");
    second->SetSelection(0, 5, false);
    frame.MMRichEditBoldEx->Update();
    EXPECT_FALSE(frame.MMRichEditBoldEx->isChecked());
    frame.MMRichEditBoldEx->trigger();
    EXPECT_TRUE(second->SelAttributes().Style().testFlag(fsBold));
}

TEST_F(NotesFrameShown, WordWrapFollowsTheActiveDocument)
{
    frame.actWordWrap->trigger();
    EXPECT_FALSE(frame.ActiveEditor()->WordWrap());
    frame.actFileNew->trigger();
    EXPECT_TRUE(frame.actWordWrap->isChecked());
    frame.PageControl->setCurrentIndex(0);
    EXPECT_FALSE(frame.actWordWrap->isChecked());
}

TEST_F(NotesFrameShown, TheNotesKeysSaveAndFindInTheNoteNotInTheWindow)
{
    int windowSaves = 0;
    QAction windowSave(&window);
    windowSave.setShortcut(QKeySequence::Save);
    windowSave.setShortcutContext(Qt::WindowShortcut);
    window.addAction(&windowSave);
    QObject::connect(&windowSave, &QAction::triggered, [&] { ++windowSaves; });

    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    QTest::keyClicks(editor, "note");
    chosen = {path(QStringLiteral("keyed.rtf"))};
    QTest::keySequence(editor, QKeySequence::Save);
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("keyed.rtf"))));
    EXPECT_EQ(windowSaves, 0);

    // outside the frame the window's key is the window's
    QLineEdit other(&window);
    window.setMenuWidget(&other);
    ASSERT_TRUE(focus(&other));
    QTest::keySequence(&other, QKeySequence::Save);
    EXPECT_EQ(windowSaves, 1);
    EXPECT_EQ(fileDialogs, 1);
    window.setMenuWidget(nullptr);
    other.setParent(nullptr);
}

TEST_F(NotesFrameShown, PastingTheCurrentAddressKeepsTheClipboard)
{
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->setText("kept");
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    frame.SetMGUrlPrintButtonVisible(true);
    frame.actPrintCurrentUrlExecute(); // no host: nothing pasted
    EXPECT_EQ(editor->Text(), QString());
    EXPECT_EQ(clipboard->text(), "kept");

    frame.MGPreCiteStr = "<";
    frame.MGPostCiteStr = ">";
    frame.OnMGPrintCurrentUrlClick = [](TMGRichEditFramePrev *f) { f->MGCurrentUrl = "http://127.0.0.1/page"; };
    frame.actPrintCurrentUrl->trigger();
    EXPECT_EQ(editor->Text(), "<http://127.0.0.1/page>");
    EXPECT_EQ(clipboard->text(), "kept");
}

TEST_F(NotesFrameShown, EveryTableNamesEveryCommandAndRenamesTheUntitledDocuments)
{
    frame.actFileNew->trigger();
    frame.actFileNew->trigger();
    ASSERT_TRUE(frame.OpenFile(testsupport::ownFixture(QStringLiteral("rtf/japanese-cp932.rtf"))));
    const QString named = tab(3);
    QStringList captions;
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        const TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        frame.ApplyLanguage(table);
        const QString untitled = table.ReadString("RichEditFrame", "Untitled", QString());
        ASSERT_FALSE(untitled.isEmpty()) << name;
        EXPECT_EQ(tab(2), untitled + " 3") << name;
        EXPECT_EQ(tab(3), named) << name;
        for (QMenu *menu : {frame.mniFile, frame.mniEdit, frame.mniText}) {
            EXPECT_FALSE(menu->title().isEmpty()) << name;
            for (QAction *a : menu->actions()) {
                if (a->isSeparator())
                    continue;
                EXPECT_FALSE(a->text().isEmpty()) << name << " " << a->objectName().toStdString();
                EXPECT_FALSE(a->toolTip().isEmpty()) << name << " " << a->objectName().toStdString();
            }
        }
        const std::pair<QToolButton *, QMenu *> buttons[] = {
            {frame.tlbtnFile, frame.mniFile}, {frame.tlbtnEdit, frame.mniEdit}, {frame.tlbtnText, frame.mniText}};
        for (const auto &[button, menu] : buttons)
            EXPECT_EQ(button->text(), menu->title()) << name;
        captions.append(frame.mniEdit->title());
        EXPECT_EQ(frame.StatusPanelText(1), "1 : 1") << name;
    }
    EXPECT_EQ(QSet<QString>(captions.cbegin(), captions.cend()).size(), 5); // each table has its own words
}

TEST_F(NotesFrameShown, DocumentsKeepTheirFontWhenTheWindowsFontChanges)
{
    TMMRxRichEditPrev *editor = frame.ActiveEditor();
    const TRichCharFormat before = editor->DefAttributes().GetAttributes();
    // the face is an installed one, which the font box lists
    EXPECT_EQ(frame.fntcmbFont->FontName(), before.FaceName);
    window.setFont(QFont(QStringLiteral("DejaVu Serif"), 23));
    frame.actFileNew->trigger();
    QTest::keyClicks(editor, "typed");
    EXPECT_EQ(editor->DefAttributes().GetAttributes().Height, before.Height);
    EXPECT_EQ(editor->SelAttributes().GetAttributes().Height, before.Height);
    EXPECT_EQ(frame.ActiveEditor()->DefAttributes().GetAttributes().Height, before.Height);
}

// Watches that the program holds on a folder, counted from the kernel's view of its inotify descriptors.
int watchesOn(const QString &folder)
{
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return -1;
    const QString inode = QString::number(qulonglong(st.st_ino), 16);
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fdinfo"));
    for (const QString &fd : fds.entryList(QDir::Files)) {
        QFile info(fds.filePath(fd));
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("inotify") && line.contains(" ino:" + inode.toLatin1() + " "))
                ++count;
        }
    }
    return count;
}

// The frame's dialogs never start in the working folder: a fresh one for each test, the old one back after.
class NotesFrameDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    testsupport::SeamGuard back{[this] { QDir::setCurrent(previous); }};
};

TEST_F(NotesFrameDialogs, TheFileDialogsWatchTheirFolderOnlyWhileShown)
{

    TMGRichEditFramePrev frame;
    ASSERT_EQ(watchesOn(dir.path()), 0) << "a hidden dialog watches the folder it starts in";

    int shown = 0;
    DialogAnswers dialogs{[&](QDialog &d) {
        if (auto *file = qobject_cast<QFileDialog *>(&d)) {
            ++shown;
            file->setDirectory(dir.path());
            QCoreApplication::processEvents();
        }
        return int(QDialog::Rejected);
    }};
    frame.actFileOpen->trigger();
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(watchesOn(dir.path()), 0) << "the dialog still watches after it closed";
}

// Names the file dialog lists in the folder it shows.
QStringList listedIn(QFileDialog &dialog)
{
    QStringList names;
    for (auto *model : dialog.findChildren<QFileSystemModel *>()) {
        const QModelIndex folder = model->index(dialog.directory().absolutePath());
        for (int row = 0; row < model->rowCount(folder); ++row)
            names << model->index(row, 0, folder).data().toString();
    }
    return names;
}

TEST_F(NotesFrameDialogs, TheOpenDialogListsAFileSavedSinceItWasLastShown)
{
    testsupport::writeBytes(dir.filePath("before.rtf"), "{\\rtf1 a}");

    TMGRichEditFramePrev frame;
    QStringList seen;
    QString awaited = QStringLiteral("before.rtf");
    QString visitedBefore;
    bool found = false;
    DialogAnswers dialogs{[&](QDialog &d) {
        if (auto *file = qobject_cast<QFileDialog *>(&d)) {
            if (awaited == QStringLiteral("before.rtf")) {
                visitedBefore = file->directory().absolutePath();
                file->setDirectory(dir.path());
            }
            found = testsupport::waitUntil([&] {
                seen = listedIn(*file);
                return seen.contains(awaited);
            });
        }
        return int(QDialog::Rejected);
    }};
    frame.actFileOpen->trigger();
    ASSERT_TRUE(found) << "the first showing lists " << seen.join(u' ').toStdString();

    testsupport::writeBytes(dir.filePath("later.rtf"), "{\\rtf1 b}");
    awaited = QStringLiteral("later.rtf");
    found = false;
    frame.actFileOpen->trigger();
    EXPECT_TRUE(found) << "a file saved while the dialog was closed is missing; it lists "
                       << seen.join(u' ').toStdString();

    // listing the folder afresh is no visit: Back leads to the folder the user came from
    auto *backButton = frame.OpenDialog->findChild<QToolButton *>(QStringLiteral("backButton"));
    ASSERT_NE(backButton, nullptr);
    ASSERT_TRUE(backButton->isEnabled());
    backButton->click();
    EXPECT_EQ(frame.OpenDialog->directory().absolutePath(), visitedBefore);
}

} // namespace

namespace {

// The completer lists of the dialog that are on screen.
QList<QWidget *> shownCompleterLists(QFileDialog &dialog)
{
    QList<QWidget *> shown;
    for (auto *completer : dialog.findChildren<QCompleter *>()) {
        if (completer->popup() && completer->popup()->isVisible())
            shown.append(completer->popup());
    }
    return shown;
}

// The frame shown and active, two notes ("a" and "b") in the working folder, a documents folder, and
// the dialogs run for real: the runner drives them with keys.
class NotesFrameDialogsShown : public NotesFrameDialogs {
protected:
    void SetUp() override
    {
        NotesFrameDialogs::SetUp();
        testsupport::writeBytes(dir.filePath("note-a.rtf"), "{\\rtf1 a}");
        testsupport::writeBytes(dir.filePath("note-b.rtf"), "{\\rtf1 b}");
        ASSERT_TRUE(documentsMade);
        frame.resize(600, 400);
        ASSERT_TRUE(showActive(frame));
    }
    // Runs each file dialog for real; user acts in it once it shows, and a dialog left open is cancelled.
    void runDialogs(std::function<void(QFileDialog &, QLineEdit &nameBox)> user)
    {
        dialogs = std::make_unique<DialogAnswers>([user = std::move(user)](QDialog &d) {
            auto *files = qobject_cast<QFileDialog *>(&d);
            if (!files)
                return int(QDialog::Rejected);
            QTimer::singleShot(0, files, [files, user] {
                user(*files, *files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")));
                if (files->isVisible())
                    files->reject();
            });
            return files->exec();
        });
    }

    const QString documents = QDir::home().filePath(QStringLiteral("Documents"));
    const bool documentsMade = QDir().mkpath(documents); // before the frame, whose dialogs start there
    RtfCodecInstalled codec;
    TMGRichEditFramePrev frame;
    std::unique_ptr<DialogAnswers> dialogs;
};

TEST_F(NotesFrameDialogsShown, NothingOfTheOpenDialogStaysAfterATypedPathAndEnter)
{
    ASSERT_TRUE(focus(frame.ActiveEditor()));
    frame.ActiveEditor()->SetSelText(QStringLiteral("the whole note"));

    bool ready = false;
    bool listed = false;
    runDialogs([&](QFileDialog &files, QLineEdit &name) {
        ready = showActive(files) && focus(&name);
        // the folder first: the completer lists a name typed only once the folder's listing has come
        QTest::keyClicks(&name, dir.path() + u'/');
        const auto *model = files.findChild<QFileSystemModel *>();
        listed = model && testsupport::waitUntil([&] { return model->rowCount(model->index(dir.path())) >= 2; });
        QTest::keyClicks(&name, QStringLiteral("note-"));
        listed = listed && testsupport::waitUntil([&] { return !shownCompleterLists(files).isEmpty(); });
        QTest::keyClicks(&name, QStringLiteral("a.rtf"));
        QTest::keyClick(&name, Qt::Key_Return);
    });
    frame.actFileOpen->trigger();
    ASSERT_TRUE(ready) << "the dialog did not take the focus";
    ASSERT_TRUE(listed) << "the file-name completer never listed the two notes";
    ASSERT_EQ(frame.PageControl->count(), 2);
    EXPECT_EQ(frame.ActiveEditor()->Text(), "a");
    testsupport::processEventsFor(500); // a listing that comes late must show nothing either
    EXPECT_EQ(shownCompleterLists(*frame.OpenDialog).size(), 0) << "the completer's list stays on screen";
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(testsupport::waitUntil([&] { return QApplication::focusWidget() == frame.ActiveEditor(); }))
        << "the keys go to "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "nothing")
        << ", not to the opened note";

    // the next click goes where it lands: on the first note's tab, which it shows
    QTabBar *tabs = frame.PageControl->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(frame.PageControl->currentIndex(), 0) << "the click only closed what the dialog left";
}

TEST_F(NotesFrameDialogsShown, TheDialogsStartInTheNotesFolderOrTheDocumentsWithTheNameSelected)
{
    // what each dialog showed when it came up; then the user picks a file in it (as a click in its list
    // does), or types a name and presses Return, or cancels
    struct Shown {
        QString folder, name, selected;
    };
    QList<Shown> shown;
    QString picked, typed, nameTyped;
    runDialogs([&](QFileDialog &files, QLineEdit &box) {
        shown.append({files.directory().absolutePath(), box.text(), box.selectedText()});
        if (!picked.isEmpty()) {
            files.selectFile(std::exchange(picked, QString()));
            static_cast<QDialog &>(files).accept();
        } else if (!typed.isEmpty() && showActive(files) && focus(&box)) {
            const QString name = std::exchange(typed, QString());
            QTest::keyClicks(&box, name);
            nameTyped = box.text();
            if (nameTyped == name) // else the dialog would ask about a file that is not there
                QTest::keyClick(&box, Qt::Key_Return);
        }
    });

    // an untitled note: the documents folder, not the working folder
    picked = dir.filePath(QStringLiteral("note-a.rtf"));
    frame.actFileOpen->trigger();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].folder, documents);
    ASSERT_EQ(frame.PageControl->count(), 2);

    // a note with a file: the note's own folder; the dialog keeps the name last chosen, selected, so a
    // name typed replaces it
    typed = QStringLiteral("note-b.rtf");
    frame.actFileOpen->trigger();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].folder, dir.path());
    EXPECT_EQ(shown[1].name, QStringLiteral("note-a.rtf"));
    EXPECT_EQ(shown[1].selected, QStringLiteral("note-a.rtf"));
    ASSERT_EQ(frame.PageControl->count(), 3) << "the name typed went after the one kept: " << nameTyped.toStdString();
    EXPECT_EQ(frame.ActiveEditor()->Text(), "b");

    // Save As: the note's folder, its name selected
    frame.actFileSaveAs->trigger();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2].folder, dir.path());
    EXPECT_EQ(shown[2].name, QStringLiteral("note-b.rtf"));
    EXPECT_EQ(shown[2].selected, QStringLiteral("note-b.rtf"));
}

} // namespace
