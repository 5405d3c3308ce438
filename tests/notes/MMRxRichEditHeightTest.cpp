// Notes near the height the control can show: whatever would make one taller is refused before it
// changes anything (pastes and drops of every kind, files read into the selection, typing, replacing),
// and narrowing the window or turning wrapping on wraps it no narrower than keeps it short enough. Qt
// loops for ever laying out a document whose tall lines pass 2^23 pixels: each risky step runs under a
// watch that ends the test program when it does not end.
#include "common/TestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/NotesTestSupport.h"
#include "platform/PlatformError.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

// Ends the test program when the step it watches has not ended in two minutes: a layout that loops for
// ever fails the tests instead of holding them.
class HangWatch {
public:
    explicit HangWatch(const char *step)
    {
        m_thread = std::thread([this, step] {
            std::unique_lock lock(m_mutex);
            if (!m_ended.wait_for(lock, std::chrono::minutes(2), [this] { return m_done; })) {
                std::fprintf(stderr, "FAILED: %s did not end in two minutes: the layout hangs\n", step);
                std::fflush(stderr);
                std::_Exit(1);
            }
        });
    }
    ~HangWatch()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_one();
        m_thread.join();
    }
    HangWatch(const HangWatch &) = delete;
    HangWatch &operator=(const HangWatch &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    std::thread m_thread;
};

// Drops are delivered only during a real drag; the tests hand them to the control directly.
class DroppableRichEdit : public TMMRxRichEdit {
public:
    using TMMRxCustomRichEdit::dropEvent;
};

// Paragraphs of 750-point text (lines about 1,170 pixels high, so a few thousand make a tall note).
QByteArray bigParagraphs(int count, const QByteArray &text = "x")
{
    QByteArray rtf = "{\\rtf1\\ansi\\fs1500 ";
    for (int i = 0; i < count; ++i)
        rtf += text + "\\par\n";
    return rtf + '}';
}

QString lines(int count, const QString &text = QStringLiteral("x"))
{
    return QString(text + u'\n').repeated(count);
}

class TallNote : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.resize(600, 400);
        edit.show();
        QApplication::processEvents();
    }
    void TearDown() override { QApplication::clipboard()->clear(); }

    // Reads the RTF as the whole note.
    void load(const QByteArray &rtf)
    {
        QByteArray bytes = rtf;
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        edit.Lines().Format = sfRichText;
        edit.Lines().LoadFromStream(in);
    }
    qreal height() const { return edit.document()->documentLayout()->documentSize().height(); }
    // A note of 750-point paragraphs about as tall as allowed less room: a typed letter at its start
    // is the step to undo.
    void loadTall(qreal room = 500000, const QByteArray &text = "x")
    {
        load(bigParagraphs(10, text));
        const qreal paragraph = height() / 10;
        load(bigParagraphs(int((TMMRxCustomRichEdit::MaxDocumentHeight - room) / paragraph), text));
        ASSERT_GT(height(), (TMMRxCustomRichEdit::MaxDocumentHeight - room) * 0.99);
        ASSERT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);
        edit.SetSelection(0, 0, false);
        edit.SetSelText(QStringLiteral("y"));
        before = edit.Text();
        edit.SetSelection(edit.TextLength(), edit.TextLength(), false);
    }
    // The note, its modified flag and its undo history are as they were, and the user was told why.
    void expectRefused(const char *what)
    {
        SCOPED_TRACE(what);
        EXPECT_EQ(edit.Text(), before);
        EXPECT_TRUE(edit.Modified());
        ASSERT_FALSE(answers.Texts.isEmpty()) << "nobody was told";
        EXPECT_TRUE(answers.Texts.last().contains(u"too long to show")) << answers.Texts.last().toStdString();
        answers.Texts.clear();
        ASSERT_TRUE(edit.CanUndo());
    }
    void expectUndoIntact()
    {
        edit.Undo();
        EXPECT_FALSE(edit.Text().startsWith(u'y')) << "the typed letter is no longer the step to undo";
    }
    void clipboard(QMimeData *data) { QApplication::clipboard()->setMimeData(data); }

    notestest::RtfCodecInstalled codec;
    notestest::MessageBoxAnswers answers;
    DroppableRichEdit edit;
    QString before;
};

} // namespace

TEST_F(TallNote, PastesAndDropsThatWouldPassTheHeightAreRefusedAndChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(loadTall());
    const QTextCharFormat big = edit.textCursor().charFormat();
    ASSERT_GT(big.font().pointSizeF(), 700);
    {
        HangWatch watch("pasting and dropping past the height");
        // plain text of a thousand lines in the note's 750-point text: about 1.2 million pixels more
        auto *plain = new QMimeData;
        plain->setText(lines(1000));
        clipboard(plain);
        edit.PasteFromClipboard();
        expectRefused("plain text");

        // rich text
        auto *rich = new QMimeData;
        rich->setData(QStringLiteral("text/rtf"), bigParagraphs(1000));
        rich->setText(lines(1000));
        clipboard(rich);
        edit.PasteFromClipboard();
        expectRefused("rich text");

        // a page's copy
        auto *page = new QMimeData;
        page->setHtml(QStringLiteral("<p style=\"font-size: 1000px\">x</p>").repeated(1000));
        clipboard(page);
        edit.PasteFromClipboard();
        expectRefused("a page's copy");

        // the same dropped from another program
        auto *dropped = new QMimeData;
        dropped->setText(lines(1000));
        const QPoint at = edit.cursorRect().center();
        QDropEvent drop(at, Qt::CopyAction, dropped, Qt::LeftButton, Qt::NoModifier);
        edit.dropEvent(&drop);
        delete dropped;
        expectRefused("a drop");

        // a copy of the note's own lines pasted back into it
        edit.SetSelection(2, 2 + 2000, false);
        edit.CopyToClipboard();
        edit.SetSelection(edit.TextLength(), edit.TextLength(), false);
        edit.PasteFromClipboard();
        expectRefused("a copy of the note's own lines");
        QApplication::processEvents();
    }
    EXPECT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);

    // what fits comes in; replacing a selection counts what it replaces: a thousand lines of the note
    // selected can be replaced by a thousand lines
    auto *fits = new QMimeData;
    fits->setText(lines(100));
    clipboard(fits);
    edit.PasteFromClipboard();
    EXPECT_TRUE(edit.Text().startsWith(before));
    EXPECT_EQ(edit.Text().size(), before.size() + 200);
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    edit.Undo();
    edit.SetSelection(2, 2 + 2000, false);
    auto *replacing = new QMimeData;
    replacing->setText(lines(1000, QStringLiteral("z")));
    clipboard(replacing);
    edit.PasteFromClipboard();
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    EXPECT_TRUE(edit.Text().contains(u"z\nz"));
    EXPECT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);
    edit.Undo();
    expectUndoIntact();
}

TEST_F(TallNote, AFileReadIntoTheSelectionIsRefusedWithItsReason)
{
    ASSERT_NO_FATAL_FAILURE(loadTall());
    HangWatch watch("reading a file into the selection past the height");
    edit.Lines().Mode = smSelection;
    for (const bool plain : {true, false}) {
        QByteArray bytes = plain ? lines(1000).toUtf8() : bigParagraphs(1000);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        edit.Lines().Format = plain ? sfPlainText : sfRichText;
        try {
            edit.Lines().LoadFromStream(in);
            ADD_FAILURE() << (plain ? "plain text" : "rich text") << " went in";
        } catch (const PlatformError &e) {
            answers.Texts.append(e.message()); // the frame shows it
        }
        expectRefused(plain ? "plain text" : "rich text");
    }
    expectUndoIntact();
}

TEST_F(TallNote, TypingStopsAtTheHeightWithAMessage)
{
    ASSERT_NO_FATAL_FAILURE(loadTall(100000));
    ASSERT_TRUE(notestest::showActive(edit));
    ASSERT_TRUE(notestest::focus(&edit));
    // after the last line of 750-point text
    edit.SetSelection(int(before.lastIndexOf(u'x')) + 1, int(before.lastIndexOf(u'x')) + 1, false);
    {
        HangWatch watch("typing lines past the height");
        // more than enough lines to pass the height Qt lays out
        for (int i = 0; i < 1200; ++i) {
            QTest::keyClick(&edit, Qt::Key_Return);
            QTest::keyClick(&edit, Qt::Key_X);
        }
        QApplication::processEvents();
    }
    EXPECT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);
    ASSERT_FALSE(answers.Texts.isEmpty()) << "the lines typed past the height were not refused";
    EXPECT_TRUE(answers.Texts.first().contains(u"too long to show")) << answers.Texts.first().toStdString();
    const qsizetype typed = edit.Text().size() - before.size();
    EXPECT_GT(typed, 20) << "lines that fit were refused";
    EXPECT_EQ(answers.Texts.size(), 2400 - typed) << "each key past the height is refused";
}

TEST_F(TallNote, ReplacingIsRefusedWhenItWouldPassTheHeight)
{
    ASSERT_NO_FATAL_FAILURE(loadTall());
    {
        HangWatch watch("replacing past the height");
        edit.SetSelText(lines(1000));
        expectRefused("the selection's text");
        EXPECT_EQ(edit.SelLength(), 0);

        // every "x" replaced by a word five times as wide: each line of the note wraps into several
        edit.SetSelection(0, 0, false);
        TRichEditReplaceDialog *dialog = edit.ReplaceDialog(QStringLiteral("x"), QStringLiteral("xxxxx"));
        dialog->SetOptions(frDown | frReplaceAll);
        dialog->ClickReplaceAll();
        expectRefused("replacing all");
        dialog->close();
        QApplication::processEvents();
    }
    // a replacement that fits goes through
    edit.SetSelection(2, 3, false);
    edit.SetSelText(QStringLiteral("xx"));
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    EXPECT_EQ(edit.Text().mid(2, 2), QStringLiteral("xx"));
    edit.Undo();
    expectUndoIntact();
}

namespace {

// A note of paragraphs of two words each at 750 points: "ab ab" wraps into two lines in a wide
// window, and into four when each word is wider than the window.
class NarrowedNote : public TallNote {
protected:
    void SetUp() override
    {
        edit.resize(wide, 400);
        edit.show();
        QApplication::processEvents();
    }
    // The document is laid out whole no taller than the height Qt can place lines at, and the page it
    // wraps at is no narrower than the window.
    void expectShortEnough()
    {
        QApplication::processEvents();
        EXPECT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);
        EXPECT_GE(edit.document()->textWidth(), edit.viewport()->width());
    }
    static constexpr int wide = 1500;
};

} // namespace

TEST_F(NarrowedNote, NarrowingTheWindowWrapsTheNoteNoNarrowerThanKeepsItShortEnough)
{
    ASSERT_NO_FATAL_FAILURE(loadTall(1000000, "ab ab"));
    ASSERT_EQ(edit.document()->findBlockByNumber(1).layout()->lineCount(), 2);
    {
        HangWatch watch("narrowing the window");
        edit.resize(300, 400);
        QApplication::processEvents();
        expectShortEnough();
    }
    // the note keeps its wider lines, which scroll sideways
    EXPECT_GT(edit.document()->textWidth(), edit.viewport()->width());
    EXPECT_NE(edit.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // and wraps at the window again once the window is wide enough
    edit.resize(wide, 400);
    QApplication::processEvents();
    EXPECT_EQ(edit.lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(edit.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(edit.document()->findBlockByNumber(1).layout()->lineCount(), 2);

    // a short note wraps at a narrow window as ever
    edit.Clear();
    edit.SetSelText(QStringLiteral("word ").repeated(50));
    edit.resize(300, 400);
    QApplication::processEvents();
    EXPECT_EQ(edit.lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(edit.document()->textWidth(), edit.viewport()->width());
}

TEST_F(NarrowedNote, WrappingANoteTurnedOnWrapsItNoNarrowerThanKeepsItShortEnough)
{
    edit.SetWordWrap(false);
    // one line a paragraph unwrapped, two in a wide window, four in a narrow one
    ASSERT_NO_FATAL_FAILURE(loadTall(TMMRxCustomRichEdit::MaxDocumentHeight / 2 + 300000, "ab ab"));
    edit.resize(300, 400);
    QApplication::processEvents();
    {
        HangWatch watch("turning wrapping on");
        edit.SetWordWrap(true);
        expectShortEnough();
    }
    EXPECT_TRUE(edit.WordWrap());
    EXPECT_EQ(edit.document()->findBlockByNumber(1).layout()->lineCount(), 2) << "not wrapped as narrow as it can be";
    edit.SetWordWrap(false);
    EXPECT_EQ(edit.lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(edit.document()->findBlockByNumber(1).layout()->lineCount(), 1);
}

TEST_F(NarrowedNote, UndoingADeletionInANarrowedWindowWrapsTheNoteNoNarrowerThanKeepsItShortEnough)
{
    ASSERT_NO_FATAL_FAILURE(loadTall(1000000, "ab ab"));
    const QString text = edit.Text();
    edit.SelectAllText();
    edit.ClearSelection();
    edit.resize(300, 400);
    QApplication::processEvents();
    {
        HangWatch watch("undoing a deletion in a narrowed window");
        edit.Undo();
        expectShortEnough();
        edit.Redo();
        edit.Undo();
        expectShortEnough();
    }
    EXPECT_EQ(edit.Text(), text);
    EXPECT_GT(edit.document()->textWidth(), edit.viewport()->width());
}

TEST_F(TallNote, FormatsThatWouldMakeItTooTallAreRefused)
{
    ASSERT_NO_FATAL_FAILURE(loadTall());
    edit.SelectAllText();
    {
        HangWatch watch("setting formats past the height");
        // twice the size: twice as tall
        edit.SelAttributes().SetSize(1500);
        expectRefused("a larger size");
        EXPECT_EQ(edit.SelAttributes().Size(), 750);
        QApplication::processEvents();
    }
    // what leaves the height alone goes through
    edit.SelAttributes().SetColor(Qt::red);
    edit.SelAttributes().SetSize(700);
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    EXPECT_EQ(edit.SelAttributes().Size(), 700);
    EXPECT_LE(height(), TMMRxCustomRichEdit::MaxDocumentHeight);
}

TEST_F(NarrowedNote, IndentsThatWouldMakeItTooTallAreRefused)
{
    ASSERT_NO_FATAL_FAILURE(loadTall(1000000, "ab ab"));
    edit.SelectAllText();
    {
        HangWatch watch("indenting past the height");
        // lines narrower than a word: each word on lines of its own
        edit.Paragraph().SetLeftIndent(600);
        expectRefused("an indent");
        QApplication::processEvents();
    }
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 0);
    edit.Paragraph().SetLeftIndent(20);
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 20);
}

TEST_F(NarrowedNote, ALargerDefaultFontWrapsTheNoteNoNarrowerThanKeepsItShortEnough)
{
    // "ab ab" in the default font at 375 points: two lines a paragraph in a window narrower than it; four
    // at 750 points, where each word is wider than the window
    edit.resize(1000, 400);
    QApplication::processEvents();
    edit.DefAttributes().SetSize(375);
    edit.SetSelText(lines(2500, QStringLiteral("ab ab")));
    ASSERT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join(u'\n').toStdString();
    ASSERT_EQ(edit.document()->findBlockByNumber(1).layout()->lineCount(), 2);
    {
        HangWatch watch("making the default font larger");
        edit.DefAttributes().SetSize(750);
        expectShortEnough();
    }
    EXPECT_EQ(edit.DefAttributes().Size(), 750);
    EXPECT_GT(edit.document()->textWidth(), edit.viewport()->width());
}
