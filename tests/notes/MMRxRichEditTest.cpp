// The rich-edit control: events, undo and modified state, positions, protected text on every edit
// path, links, selection behaviour, paste and plain-text mode.
#include "notes/MMRxRichEdit.h"

#include "notes/NotesTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

using namespace richedit;

namespace {

// Drops are delivered only during a real drag; the tests hand them to the control directly.
class DroppableRichEdit : public TMMRxRichEdit {
public:
    using TMMRxCustomRichEdit::dropEvent;
};

class RichEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit = std::make_unique<DroppableRichEdit>();
        edit->resize(420, 260);
        edit->show();
        edit->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        edit.reset();
        QApplication::clipboard()->clear();
    }
    // Marks [start, end) protected.
    void protect(int start, int end)
    {
        edit->SetSelection(start, end, false);
        TRichCharFormat f;
        f.Mask = CFM_PROTECTED;
        f.Effects = CFE_PROTECTED;
        edit->SelAttributes().SetAttributes(f);
    }
    QPoint pointOf(int position)
    {
        QTextCursor c(edit->document());
        c.setPosition(position);
        const QRect r = edit->cursorRect(c);
        return QPoint(r.left() + 1, r.center().y());
    }
    void type(const QString &text) { QTest::keyClicks(edit.get(), text); }

    std::unique_ptr<DroppableRichEdit> edit;
};

// The fixture's document for protected-text cases: "free LOCKED free" with LOCKED protected.
class ProtectedText : public RichEditTest {
protected:
    void SetUp() override
    {
        RichEditTest::SetUp();
        edit->SetSelText(QStringLiteral("free LOCKED free"));
        protect(5, 11);
        edit->OnProtectChange = [this](TMMRxCustomRichEdit *, int s, int e, bool &allow) {
            asked.append({s, e});
            allow = allowEdits;
        };
    }
    QList<std::pair<int, int>> asked;
    bool allowEdits = false;
    const QString original = QStringLiteral("free LOCKED free");
};

} // namespace

// ---- modified flag, its event, undo ----

TEST_F(RichEditTest, ModifiedEventFiresOnlyWhenTheFlagIsSet)
{
    int events = 0;
    edit->OnModifyChanged = [&](TMMRxCustomRichEdit *) { ++events; };
    type(QStringLiteral("abc"));
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(events, 0); // typing changes the flag without the event
    edit->SetModified(true);
    EXPECT_EQ(events, 1);
    edit->SetModified(false);
    EXPECT_EQ(events, 2);
    EXPECT_FALSE(edit->Modified());
    edit->FileName = QStringLiteral("/tmp/x.rtf");
    edit->Named = true;
    edit->Clear();
    EXPECT_EQ(events, 3);
    EXPECT_TRUE(edit->FileName.isEmpty());
    EXPECT_FALSE(edit->Named);
    EXPECT_EQ(edit->TextLength(), 0);
}

TEST_F(RichEditTest, UndoBackToTheSavedStateClearsModifiedAndUndoPastItSetsItAgain)
{
    int undos = 0, modifyEvents = 0;
    edit->OnUndo = [&](TMMRxCustomRichEdit *) { ++undos; };
    edit->OnModifyChanged = [&](TMMRxCustomRichEdit *) { ++modifyEvents; };
    edit->SetSelText(QStringLiteral("one"));
    edit->SetModified(false); // saved here
    edit->SetSelStart(3);
    edit->SetSelText(QStringLiteral(" two"));
    ASSERT_TRUE(edit->Modified());

    edit->Undo();
    EXPECT_EQ(edit->Text(), QStringLiteral("one"));
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(undos, 1);
    EXPECT_EQ(modifyEvents, 2); // the save, and the undo that reached it

    edit->Undo(); // past the save: the document differs from the file again
    EXPECT_EQ(edit->Text(), QString());
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(undos, 2);

    edit->Undo(); // nothing left: the event still fires
    EXPECT_EQ(undos, 3);
    edit->Redo();
    edit->Redo();
    EXPECT_EQ(edit->Text(), QStringLiteral("one two"));
}

TEST_F(RichEditTest, UndoLimitBoundsTheStepsThatCanBeUndone)
{
    EXPECT_EQ(edit->UndoLimit(), 100);
    edit->SetUndoLimit(3);
    for (int i = 0; i < 6; ++i) {
        edit->SetSelStart(edit->TextLength());
        edit->SetSelText(QString::number(i));
    }
    int steps = 0;
    while (edit->CanUndo()) {
        edit->Undo();
        ++steps;
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(edit->Text(), QStringLiteral("012"));
    // redo brings the steps back and they can be undone again
    while (edit->CanRedo())
        edit->Redo();
    EXPECT_EQ(edit->Text(), QStringLiteral("012345"));
    EXPECT_TRUE(edit->CanUndo());

    edit->SetUndoLimit(0);
    edit->SetSelText(QStringLiteral("x"));
    EXPECT_FALSE(edit->CanUndo());
    QTest::keyClick(edit.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(edit->Text().contains(u'x'));
}

TEST_F(RichEditTest, ChangeEventFollowsEditsAndCanBeSwitchedOff)
{
    int changes = 0;
    edit->OnChange = [&](TMMRxCustomRichEdit *) { ++changes; };
    type(QStringLiteral("ab"));
    EXPECT_EQ(changes, 2);
    edit->Lines().SetTextStr(QStringLiteral("x\ny"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Lines().Count(), 2);
    edit->Lines().EnableChange(false);
    type(QStringLiteral("c"));
    edit->Lines().EnableChange(true);
    EXPECT_EQ(changes, 2);
}

// ---- positions ----

TEST_F(RichEditTest, PositionsCountBreaksAndObjectsAsOneUnit)
{
    edit->SetSelText(QStringLiteral("ab\ncd"));
    edit->SetSelStart(4); // between c and d
    TRichObject picture;
    picture.Image = QImage(16, 16, QImage::Format_RGB32);
    picture.Image.fill(Qt::red);
    edit->InsertObject(picture);
    // a b <break> c <object> d
    EXPECT_EQ(edit->TextLength(), 6);
    EXPECT_EQ(edit->GetTextRange(0, 6), QString::fromUtf16(u"ab\rc\ufffcd"));
    EXPECT_EQ(edit->LineFromChar(2), 0);
    EXPECT_EQ(edit->LineFromChar(3), 1);
    EXPECT_EQ(edit->GetLineIndex(1), 3);
    EXPECT_EQ(edit->GetLineIndex(2), -1);
    EXPECT_EQ(edit->GetLineLength(5), 3);
    EXPECT_FALSE(edit->ObjectAt(4).Image.isNull());
    EXPECT_TRUE(edit->ObjectAt(3).Image.isNull());

    edit->SetSelection(3, 6, false);
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(edit->SelLength(), 3);
    EXPECT_EQ(edit->SelectionType(), TRichSelectionType(stText | stMultiChar | stObject));
    edit->SetSelection(4, 5, false);
    EXPECT_EQ(edit->SelectionType(), TRichSelectionType(stObject));
    EXPECT_EQ(edit->GetCaretPos(), QPoint(2, 1));

    QChar buffer[4];
    edit->SetSelection(0, 4, false);
    EXPECT_EQ(edit->GetSelTextBuf(buffer, 3), 3);
    EXPECT_EQ(QString(buffer, 3), QStringLiteral("ab\r"));
    EXPECT_EQ(buffer[3], QChar(0));

    edit->SetSelStart(1);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelText(), QStringLiteral("b\r"));
    // a text with a surrogate pair counts two units for it
    edit->Clear();
    edit->SetSelText(QString::fromUtf16(u"x\U0001F600y"));
    EXPECT_EQ(edit->TextLength(), 4);
    EXPECT_EQ(edit->GetTextRange(3, 4), QStringLiteral("y"));
}

TEST_F(RichEditTest, CaretPositionIsTheColumnAndLineOfTheSelectionEnd)
{
    edit->SetSelText(QStringLiteral("one\ntwo words\nthree"));
    edit->SetSelection(11, 2, false); // selected backwards: the caret sits on the first line
    EXPECT_EQ(edit->GetCaretPos(), QPoint(7, 1));
    edit->SetSelStart(edit->TextLength());
    EXPECT_EQ(edit->GetCaretPos(), QPoint(5, 2));
    EXPECT_EQ(edit->GetLineIndex(-1), 14);
    EXPECT_LT(edit->GetCharPos(0).y(), edit->GetCharPos(14).y());
}

namespace {

// The shown line of a position and the start of a shown line, counted over the layouts of all the
// paragraphs before it once the whole document is laid out.
int walkedLineOf(QTextDocument *doc, int position)
{
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
    const QTextBlock block = doc->findBlock(position).isValid() ? doc->findBlock(position) : doc->lastBlock();
    int line = 0;
    for (QTextBlock b = doc->begin(); b != block; b = b.next())
        line += std::max(1, b.layout()->lineCount());
    const QTextLine in =
        block.layout()->lineForTextPosition(std::clamp(position - block.position(), 0, block.length() - 1));
    return line + (in.isValid() ? in.lineNumber() : 0);
}

int walkedLineStart(QTextDocument *doc, int line)
{
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const int lines = std::max(1, b.layout()->lineCount());
        if (line < lines)
            return b.position() + (b.layout()->lineAt(line).isValid() ? b.layout()->lineAt(line).textStart() : 0);
        line -= lines;
    }
    return -1;
}

} // namespace

TEST_F(RichEditTest, LineQueriesFollowEveryChangeOfTheLayout)
{
    // empty paragraphs, paragraphs of one line and of several, enough text to be laid out in steps
    QStringList paragraphs;
    for (int i = 0; i < 400; ++i)
        paragraphs << (i % 7 == 3   ? QString()
                       : i % 5 == 0 ? QStringLiteral("wrapped words ").repeated(12) + QString::number(i)
                                    : QStringLiteral("line %1").arg(i));
    edit->SetSelText(paragraphs.join(u'\n'));
    QTextDocument *doc = edit->document();
    // the control's answers first, while the layout may still be catching up; the walk after
    const auto expectWalkedLines = [&](const char *after) {
        QList<int> positions;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            positions << b.position() << b.position() + b.length() / 2 << b.position() + b.length() - 1;
        positions << edit->TextLength() + 5;
        QList<int> lines, starts;
        for (const int p : std::as_const(positions))
            lines << edit->LineFromChar(p);
        const int last = lines.constLast();
        for (int l = 0; l <= last + 1; ++l)
            starts << edit->GetLineIndex(l);
        for (qsizetype i = 0; i < positions.size(); ++i)
            ASSERT_EQ(lines[i], walkedLineOf(doc, positions[i])) << after << ": the line of " << positions[i];
        for (int l = 0; l <= last + 1; ++l)
            ASSERT_EQ(starts[l], walkedLineStart(doc, l)) << after << ": the start of line " << l;
    };
    expectWalkedLines("filled");
    edit->resize(240, 260);
    expectWalkedLines("narrower");
    edit->SetSelection(doc->findBlockByNumber(201).position(), doc->findBlockByNumber(201).position(), false);
    edit->SetSelText(QStringLiteral("now long enough to wrap at this width, and more "));
    expectWalkedLines("a paragraph grown");
    edit->SetSelection(doc->findBlockByNumber(99).position() - 1, doc->findBlockByNumber(99).position(), false);
    edit->SetSelText(QString());
    expectWalkedLines("two paragraphs joined");
    edit->SetSelection(doc->findBlockByNumber(50).position(), doc->findBlockByNumber(50).position(), false);
    edit->Paragraph().SetLeftIndent(120);
    expectWalkedLines("a paragraph indented");
    QFont larger = edit->font();
    larger.setPointSize(larger.pointSize() + 6);
    edit->setFont(larger);
    expectWalkedLines("a larger font");
    edit->SetWordWrap(false);
    expectWalkedLines("without wrapping");
    edit->SetWordWrap(true);
    expectWalkedLines("wrapped again");
    edit->Undo();
    expectWalkedLines("undone");
    edit->resize(600, 260);
    expectWalkedLines("wider");
    edit->SetSelection(0, edit->TextLength(), false);
    edit->SetSelText(QStringLiteral("one"));
    expectWalkedLines("replaced");
}

TEST_F(RichEditTest, LinesOfTheCaretAreTheShownLinesOfWrappedParagraphs)
{
    const QString paragraph = QStringLiteral("word ").repeated(40).trimmed();
    edit->SetSelText(paragraph + QStringLiteral("\nend"));
    const QTextBlock first = edit->document()->firstBlock();
    const int shown = first.layout()->lineCount();
    ASSERT_GE(shown, 2) << "the paragraph does not wrap at this width";
    const int second = first.layout()->lineAt(1).textStart();
    const int end = first.next().position();
    EXPECT_EQ(edit->LineFromChar(second - 1), 0);
    EXPECT_EQ(edit->LineFromChar(second), 1);
    EXPECT_EQ(edit->LineFromChar(end), shown);
    EXPECT_EQ(edit->LineFromChar(end + 3), shown);
    EXPECT_EQ(edit->GetLineIndex(1), second);
    EXPECT_EQ(edit->GetLineIndex(shown), end);
    EXPECT_EQ(edit->GetLineIndex(shown + 1), -1);
    EXPECT_EQ(edit->GetLineLength(0), second);
    EXPECT_EQ(edit->GetLineLength(end), 3);
    edit->SetSelection(second + 2, second + 2, false);
    EXPECT_EQ(edit->GetCaretPos(), QPoint(2, 1));
    EXPECT_EQ(edit->GetLineIndex(-1), second);

    // Lines still counts paragraphs
    EXPECT_EQ(edit->Lines().Count(), 2);
    EXPECT_EQ(edit->Lines().Get(0), paragraph);
    edit->Lines().Insert(1, QStringLiteral("mid"));
    edit->Lines().Insert(3, QStringLiteral("last"));
    EXPECT_EQ(edit->Text(), paragraph + QStringLiteral("\nmid\nend\nlast"));

    // without word wrap a paragraph is one line
    edit->SetWordWrap(false);
    EXPECT_EQ(edit->LineFromChar(second), 0);
    EXPECT_EQ(edit->LineFromChar(end), 1);
    EXPECT_EQ(edit->GetLineLength(second), paragraph.size());
}

TEST_F(RichEditTest, ResizeRequestsFollowTheContentHeight)
{
    QList<int> heights;
    edit->OnResizeRequest = [&](TMMRxCustomRichEdit *, const QRect &r) { heights.append(r.height()); };
    const int before = int(edit->document()->size().height());
    edit->SetSelText(QStringLiteral("one\ntwo\nthree\nfour"));
    QApplication::processEvents();
    ASSERT_FALSE(heights.isEmpty());
    EXPECT_GT(heights.last(), before + 2 * edit->frameWidth());
}

TEST_F(RichEditTest, ReplacingTheSelectionSelectsTheNewText)
{
    edit->SetSelText(QStringLiteral("hello world"));
    edit->SetSelection(6, 11, false);
    edit->SetSelText(QStringLiteral("there\r\nfolks"));
    EXPECT_EQ(edit->Text(), QStringLiteral("hello there\nfolks"));
    EXPECT_EQ(edit->SelStart(), 6);
    EXPECT_EQ(edit->SelLength(), 11);
    edit->SetSelection(0, -1, false);
    EXPECT_EQ(edit->SelLength(), edit->TextLength());
}

// ---- protected text: every edit path asks first ----

TEST_F(ProtectedText, TypingDeletingAndCuttingInsideAreRefused)
{
    edit->SetSelStart(7);
    type(QStringLiteral("x"));
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    QTest::keyClick(edit.get(), Qt::Key_Delete);
    QTest::keyClick(edit.get(), Qt::Key_Return);
    edit->SetSelection(3, 8, false);
    QTest::keyClick(edit.get(), Qt::Key_X, Qt::ControlModifier);
    edit->CutToClipboard();
    edit->ClearSelection();
    edit->SetSelText(QStringLiteral("y"));
    EXPECT_EQ(edit->Text(), original);
    EXPECT_EQ(asked.size(), 8);
    EXPECT_EQ(asked[0], std::make_pair(7, 7));
    EXPECT_EQ(asked[1], std::make_pair(6, 7));
    EXPECT_EQ(asked[2], std::make_pair(7, 8));
    EXPECT_EQ(asked[4], std::make_pair(3, 8));
}

TEST_F(ProtectedText, PasteDropAndInputMethodAreRefused)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    edit->SetSelStart(8);
    QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
    edit->PasteFromClipboard();

    QInputMethodEvent ime(QString(), {});
    ime.setCommitString(QStringLiteral("ime"));
    QApplication::sendEvent(edit.get(), &ime);

    auto *mime = new QMimeData;
    mime->setText(QStringLiteral("dropped"));
    QDropEvent drop(pointOf(8), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    edit->dropEvent(&drop);
    EXPECT_FALSE(drop.isAccepted());

    EXPECT_EQ(edit->Text(), original);
    EXPECT_EQ(asked.size(), 4);

    // a drop outside protected text goes in
    QDropEvent elsewhere(pointOf(2), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    edit->dropEvent(&elsewhere);
    delete mime;
    EXPECT_EQ(edit->Text(), QStringLiteral("frdroppedee LOCKED free"));
    EXPECT_EQ(asked.size(), 4);
}

TEST_F(ProtectedText, LinesAndTheStandardMenuAreRefusedToo)
{
    edit->Lines().Put(0, QStringLiteral("gone"));
    edit->Lines().Delete(0);
    EXPECT_EQ(edit->Text(), original);

    edit->SetSelection(6, 9, false);
    edit->SetPopupMenu(nullptr);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit->viewport(), &menuKey);
    QMenu *menu = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *m = qobject_cast<QMenu *>(w); m && m->isVisible())
            menu = m;
    }
    ASSERT_NE(menu, nullptr);
    for (QAction *a : menu->actions()) {
        if (a->objectName() == u"edit-cut" || a->objectName() == u"edit-delete")
            a->trigger();
    }
    menu->close();
    EXPECT_EQ(edit->Text(), original);
    EXPECT_EQ(asked.size(), 4);
}

TEST_F(ProtectedText, AnAllowedChangeGoesThroughAndTheExtendedEventComesFirst)
{
    allowEdits = true;
    edit->SetSelStart(7);
    type(QStringLiteral("x"));
    EXPECT_EQ(edit->Text(), QStringLiteral("free LOxCKED free"));

    QList<TRichEditChangeKind> kinds;
    edit->OnProtectChangeEx = [&](TMMRxCustomRichEdit *, const TRichEditChangeRequest &r, int, int, bool &allow) {
        kinds.append(r.Kind);
        allow = false;
    };
    edit->SetSelection(6, 8, false);
    QTest::keyClick(edit.get(), Qt::Key_Delete);
    edit->PasteFromClipboard();
    EXPECT_EQ(kinds, (QList<TRichEditChangeKind>{TRichEditChangeKind::Delete}));
    EXPECT_EQ(asked.size(), 1); // the plain event is not asked while the extended one is assigned
}

TEST_F(ProtectedText, EditsBesideProtectedTextNeedNoPermission)
{
    edit->SetSelStart(11); // just after LOCKED
    type(QStringLiteral("!"));
    edit->SetSelStart(5); // just before it
    type(QStringLiteral("<"));
    EXPECT_EQ(edit->Text(), QStringLiteral("free <LOCKED! free"));
    EXPECT_TRUE(asked.isEmpty());
    // what was typed next to protected text is not protected itself
    edit->SetSelection(12, 13, false);
    QTest::keyClick(edit.get(), Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), QStringLiteral("free <LOCKED free"));
    EXPECT_TRUE(asked.isEmpty());
}

// ---- links ----

TEST_F(RichEditTest, LinkClickNeedsTheSameButtonOverTheSameLink)
{
    edit->SetSelText(QStringLiteral("see http://a.example/x, or www.b.example."));
    QList<std::pair<QString, Qt::MouseButton>> clicks;
    edit->OnURLClick = [&](TMMRxCustomRichEdit *, const QString &url, Qt::MouseButton b) { clicks.append({url, b}); };
    QMenu menu; // the right button's menu is the control's own: no standard menu pops up
    menu.addAction(QStringLiteral("item"));
    edit->SetPopupMenu(&menu);
    QWidget *vp = edit->viewport();

    QTest::mouseClick(vp, Qt::LeftButton, {}, pointOf(8));
    QTest::mouseClick(vp, Qt::RightButton, {}, pointOf(30));
    menu.close();
    QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(8));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(30)); // released over the other link
    QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(8));
    QTest::mouseRelease(vp, Qt::RightButton, {}, pointOf(8)); // another button
    menu.close();
    QTest::mouseClick(vp, Qt::LeftButton, {}, pointOf(1)); // no link there
    QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(8));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(1)); // released off the link
    QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(1));   // a new press away from any link
    QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(8)); // is no click on it

    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks[0], std::make_pair(QStringLiteral("http://a.example/x"), Qt::LeftButton));
    EXPECT_EQ(clicks[1], std::make_pair(QStringLiteral("www.b.example"), Qt::RightButton));

    edit->SetAutoURLDetect(false);
    QTest::mouseClick(vp, Qt::LeftButton, {}, pointOf(8));
    EXPECT_EQ(clicks.size(), 2);
}

TEST_F(RichEditTest, DetectedLinksAreOnlyDrawnNeverStored)
{
    edit->SetSelText(QStringLiteral("go to https://example.org now"));
    QApplication::processEvents();
    ASSERT_EQ(edit->extraSelections().size(), 1);
    EXPECT_EQ(edit->extraSelections()[0].cursor.selectedText(), QStringLiteral("https://example.org"));
    edit->SetSelection(8, 12, false);
    EXPECT_FALSE(edit->SelAttributes().Style().testFlag(fsUnderline));
    EXPECT_TRUE(edit->SelAttributes().Color().isValid() == false); // still the automatic colour
    edit->SetModified(false);
    EXPECT_FALSE(edit->Modified());
    edit->SetAutoURLDetect(false);
    EXPECT_TRUE(edit->extraSelections().isEmpty());
    EXPECT_FALSE(edit->Modified());
}

// ---- mouse selection ----

TEST_F(RichEditTest, DraggingPastAWordSelectsWholeWords)
{
    edit->SetSelText(QStringLiteral("alpha beta gamma delta"));
    QWidget *vp = edit->viewport();
    auto drag = [&](int from, int to) {
        edit->SetSelStart(0); // a press inside a selection would start dragging it
        QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(from));
        QMouseEvent move(QEvent::MouseMove, pointOf(to), vp->mapToGlobal(pointOf(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(to));
    };
    drag(2, 13); // inside "alpha" to inside "gamma"
    EXPECT_EQ(edit->SelText(), QStringLiteral("alpha beta gamma"));
    drag(1, 3); // inside one word: characters
    EXPECT_EQ(edit->SelText(), QStringLiteral("lp"));
    edit->SetWordSelection(false);
    drag(2, 13);
    EXPECT_EQ(edit->SelText(), QStringLiteral("pha beta ga"));
}

TEST_F(RichEditTest, SelectionBarSelectsLines)
{
    edit->SetSelText(QStringLiteral("first line\nsecond line\nthird"));
    QWidget *vp = edit->viewport();
    const int y = pointOf(14).y();
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(2, y));
    EXPECT_EQ(edit->SelText(), QStringLiteral("second line\r"));
    edit->SetSelectionBar(false);
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(2, y));
    EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(RichEditTest, HiddenSelectionOnlyWhenAsked)
{
    EXPECT_FALSE(edit->HideSelection());
    EXPECT_EQ(edit->palette().color(QPalette::Inactive, QPalette::Highlight),
              edit->palette().color(QPalette::Active, QPalette::Highlight));
    edit->SetHideSelection(true);
    EXPECT_EQ(edit->palette().color(QPalette::Inactive, QPalette::Highlight),
              edit->palette().color(QPalette::Inactive, QPalette::Base));
}

TEST_F(RichEditTest, ChangingScrollBarsKeepsTextFormattingAndModifiedState)
{
    edit->SetSelText(QStringLiteral("bold words"));
    edit->SetSelection(0, 4, false);
    edit->SelAttributes().SetStyle(fsBold);
    edit->SetModified(false);
    edit->SetHideScrollBars(false);
    edit->SetSelectionBar(false);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(edit->Text(), QStringLiteral("bold words"));
    edit->SetSelection(0, 4, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsBold));
    EXPECT_FALSE(edit->Modified());
}

// ---- paste, drop, plain-text mode, limits ----

TEST_F(RichEditTest, PasteBringsOnlyWhatTheDocumentCanKeep)
{
    // HTML comes in as the rich text it shows; HTML alone will do
    auto *html = new QMimeData;
    html->setHtml(QStringLiteral("<b>bold</b>"));
    EXPECT_TRUE(edit->canInsertFromMimeData(html));
    html->setText(QStringLiteral("plain"));
    QApplication::clipboard()->setMimeData(html);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), QStringLiteral("bold"));
    edit->SelectAllText();
    EXPECT_TRUE(edit->SelAttributes().Style().testFlag(fsBold));

    auto *picture = new QMimeData;
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    picture->setImageData(image);
    QApplication::clipboard()->setMimeData(picture);
    edit->SetSelStart(edit->TextLength());
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->TextLength(), 5);
    const TRichObject pasted = edit->ObjectAt(4);
    EXPECT_EQ(pasted.Image.size(), QSize(12, 8));
    EXPECT_EQ(pasted.DataFormat, QStringLiteral("png"));
    EXPECT_FALSE(pasted.Data.isEmpty());
}

TEST_F(RichEditTest, APageCopyPastedIntoANoteIsSavedWithItsFormatting)
{
    // what the engine put on the clipboard for a copied page: every block with its computed style, the
    // text beside it
    const QString style = QStringLiteral(
        "color: rgb(0, 0, 0); font-family: sans-serif; font-size: 16px; font-style: normal; "
        "font-variant-ligatures: normal; font-variant-caps: normal; font-weight: 400; letter-spacing: normal; "
        "orphans: 2; text-align: start; text-indent: 0px; text-transform: none; white-space: normal; widows: 2; "
        "word-spacing: 0px; -webkit-text-stroke-width: 0px; text-decoration-thickness: initial; "
        "text-decoration-style: initial; text-decoration-color: initial;");
    auto *copy = new QMimeData;
    copy->setHtml(QStringLiteral(
                      "<h1 style=\"color: rgb(0, 0, 0); font-family: sans-serif; font-style: normal;\">Heading "
                      "one</h1><p style=\"%1\">Plain,<span>\u00a0</span><b>bold</b>,<span>\u00a0</span><i>italic</i>,"
                      "<span>\u00a0</span><u>under</u>,<span>\u00a0</span><span class=\"big\" style=\"font-size: 24px; "
                      "color: rgb(192, 0, 0);\">big red</span>,<span>\u00a0</span><a href=\"https://example.org/x\">a "
                      "link</a>,<span>\u00a0</span><s>struck</s>, x<sup>2</sup>, H<sub>2</sub>O.</p><ol start=\"3\" "
                      "style=\"%1\"><li>three</li><li>four</li></ol><ul style=\"%1\"><li>bullet</li></ul>"
                      "<p style=\"%1 text-align: center;\">centred</p>")
                      .arg(style));
    copy->setText(QStringLiteral("Heading one\nPlain, bold, italic, under, big red, a link, struck, x2, H2O.\n\n"
                                 "three\nfour\nbullet\ncentred"));
    QApplication::clipboard()->setMimeData(copy);
    QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Lines().Count(), 6);
    EXPECT_EQ(edit->Lines().Get(1), QStringLiteral("Plain, bold, italic, under, big red, a link, struck, x2, H2O."));

    // saved as rich text
    const notestest::RtfCodecInstalled codec;
    edit->Lines().Format = sfRichText;
    QByteArray rtf;
    QBuffer out(&rtf);
    out.open(QIODevice::WriteOnly);
    edit->Lines().SaveToStream(out);
    for (const char *word :
         {"\\b ", "\\i ", "\\ul ", "\\strike ", "\\super ", "\\sub ", "\\fs48\\b", "\\fs36\\cf2 big red",
          "\\fs24\\b0 Plain", "\\qc", "\\red192\\green0\\blue0", "\\pnstart3", "\\pnlvlblt", "\\pndec", "Arial"})
        EXPECT_TRUE(rtf.contains(word)) << word << " is not in\n" << rtf.toStdString();

    // and read back as it was
    TMMRxRichEdit again;
    again.Lines().Format = sfRichText;
    out.close();
    out.open(QIODevice::ReadOnly);
    again.Lines().LoadFromStream(out);
    EXPECT_EQ(again.Text(), edit->Text());
    again.SetSelection(0, 7, false);
    EXPECT_EQ(again.SelAttributes().GetAttributes().Height, 480);
    EXPECT_TRUE(again.SelAttributes().Style().testFlag(fsBold));
    const int third = int(again.Text().indexOf(u"three"));
    EXPECT_EQ(again.Paragraph().Numbering(), nsNone);
    again.SetSelection(third, third, false);
    EXPECT_EQ(again.Paragraph().Numbering(), nsArabic);
}

TEST_F(RichEditTest, PlainTextAndWhatCannotBeReadStayPlain)
{
    const auto paste = [this](const QString &html, const QString &text) {
        auto *data = new QMimeData;
        if (!html.isEmpty())
            data->setHtml(html);
        data->setText(text);
        QApplication::clipboard()->setMimeData(data);
        edit->Clear();
        edit->PasteFromClipboard();
        edit->SelectAllText();
        return edit->SelAttributes().Style().testFlag(fsBold);
    };
    EXPECT_FALSE(paste(QString(), QStringLiteral("plain")));
    EXPECT_EQ(edit->Text(), QStringLiteral("plain"));
    // nested too deep to be read in good time: the text beside it
    EXPECT_FALSE(paste(QStringLiteral("<b>x").repeated(100000), QStringLiteral("the text")));
    EXPECT_EQ(edit->Text(), QStringLiteral("the text"));
    // a link dragged or copied with its HTML stays its address
    auto *link = new QMimeData;
    link->setUrls({QUrl(QStringLiteral("https://example.org/page"))});
    link->setHtml(QStringLiteral("<a href=\"https://example.org/page\"><b>Caption</b></a>"));
    link->setText(QStringLiteral("https://example.org/page"));
    QApplication::clipboard()->setMimeData(link);
    edit->Clear();
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), QStringLiteral("https://example.org/page"));
    // a plain-text note takes the text
    edit->SetPlainText(true);
    EXPECT_FALSE(paste(QStringLiteral("<b>bold</b>"), QStringLiteral("plain")));
    EXPECT_EQ(edit->Text(), QStringLiteral("plain"));
    auto *htmlOnly = new QMimeData;
    htmlOnly->setHtml(QStringLiteral("<b>bold</b>"));
    EXPECT_FALSE(edit->canInsertFromMimeData(htmlOnly));
    delete htmlOnly;
}

TEST_F(RichEditTest, CopyAndPasteInsideTheProgramKeepEveryFormat)
{
    edit->SetSelText(QStringLiteral("styled"));
    edit->SelectAllText();
    TRichCharFormat f;
    f.Mask = CFM_SIZE | CFM_CHARSET | CFM_COLOR | CFM_ITALIC;
    f.Height = 230;
    f.Charset = 128;
    f.TextColor = qRgb(200, 0, 0);
    f.Effects = CFE_ITALIC;
    edit->SelAttributes().SetAttributes(f);
    edit->CopyToClipboard();
    edit->SetSelStart(edit->TextLength());
    edit->PasteFromClipboard();
    edit->SetSelection(6, 12, false);
    const TRichCharFormat read = edit->SelAttributes().GetAttributes();
    EXPECT_EQ(read.Height, 230);
    EXPECT_EQ(read.Charset, 128);
    EXPECT_EQ(read.TextColor, qRgb(200, 0, 0));
    EXPECT_TRUE(read.effect(CFE_ITALIC));
}

TEST_F(RichEditTest, PlainTextModeHasOneFormatForAllText)
{
    edit->SetSelText(QStringLiteral("ab\ncd"));
    edit->SetSelection(0, 2, false);
    edit->SelAttributes().SetStyle(fsBold);
    edit->SetSelStart(1);
    TRichObject o;
    o.Image = QImage(4, 4, QImage::Format_RGB32);
    edit->InsertObject(o);
    edit->SetPlainText(true);
    EXPECT_EQ(edit->Text(), QStringLiteral("ab\ncd"));
    edit->SelectAllText();
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles());
    edit->SetSelection(0, 1, false);
    edit->SelAttributes().SetStyle(fsItalic); // applies to all of the text
    edit->SetSelection(3, 5, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsItalic));
    auto *picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_FALSE(edit->canInsertFromMimeData(picture));
    delete picture;
}

TEST_F(RichEditTest, MaxLengthLimitsWhatComesIn)
{
    edit->SetMaxLength(5);
    type(QStringLiteral("abcdefg"));
    EXPECT_EQ(edit->Text(), QStringLiteral("abcde"));
    edit->SetSelection(1, 3, false);
    edit->SetSelText(QStringLiteral("1234"));
    EXPECT_EQ(edit->Text(), QStringLiteral("a12de"));
}

TEST_F(RichEditTest, ReturnsAndTabsFollowTheirProperties)
{
    edit->SetWantReturns(false);
    QTest::keyClick(edit.get(), Qt::Key_Return);
    EXPECT_EQ(edit->TextLength(), 0);
    edit->SetWantReturns(true);
    edit->SetWantTabs(true);
    QTest::keyClick(edit.get(), Qt::Key_Tab);
    QTest::keyClick(edit.get(), Qt::Key_Return);
    EXPECT_EQ(edit->Text(), QStringLiteral("\t\n"));
}

TEST_F(RichEditTest, ClipboardDataCanBeDroppedWhenTheControlGoes)
{
    edit->SetSelText(QStringLiteral("keep me"));
    edit->SelectAllText();
    edit->CopyToClipboard();
    int objects = -1, chars = -1;
    edit->OnSaveClipboard = [&](TMMRxCustomRichEdit *, int o, int c, bool &save) {
        objects = o;
        chars = c;
        save = false;
    };
    edit.reset();
    EXPECT_EQ(objects, 0);
    EXPECT_EQ(chars, 7);
    const QMimeData *left = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(!left || !left->hasText());
}

TEST_F(RichEditTest, SelectionChangeFiresOncePerMove)
{
    int changes = 0;
    edit->OnSelectionChange = [&](TMMRxCustomRichEdit *) { ++changes; };
    edit->SetSelText(QStringLiteral("abc"));
    changes = 0;
    edit->SetSelection(1, 2, false);
    edit->SetSelection(1, 2, false);
    EXPECT_EQ(changes, 1);
    QTest::keyClick(edit.get(), Qt::Key_Right);
    EXPECT_EQ(changes, 2);
}

namespace {

class RichEditKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(420, 260);
        edit = new TMMRxRichEdit(&window);
        edit->resize(420, 260);
        // a window command on one of the control's keys and one on a key the control leaves alone
        for (auto [action, key] : {std::pair{&windowBold, QKeySequence(Qt::CTRL | Qt::Key_B)},
                                   std::pair{&windowSave, QKeySequence(Qt::CTRL | Qt::Key_S)}}) {
            action->setShortcut(key);
            action->setShortcutContext(Qt::WindowShortcut);
            window.addAction(action);
        }
        QObject::connect(&windowBold, &QAction::triggered, [this] { ++windowBolds; });
        QObject::connect(&windowSave, &QAction::triggered, [this] { ++windowSaves; });
        ASSERT_TRUE(notestest::showActive(window));
        ASSERT_TRUE(notestest::focus(edit));
        QTest::keyClicks(edit, "one two");
        edit->SetSelection(0, 3, false);
    }
    void key(QKeyCombination combination) { QTest::keyClick(edit, combination.key(), combination.keyboardModifiers()); }

    QWidget window;
    TMMRxRichEdit *edit = nullptr;
    QAction windowBold;
    QAction windowSave;
    int windowBolds = 0;
    int windowSaves = 0;
};

TEST_F(RichEditKeys, StyleKeysToggleTheSelectionEachAsOneUndoStep)
{
    key(Qt::CTRL | Qt::Key_B);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsBold));
    EXPECT_EQ(windowBolds, 0); // the control's key, not the window's
    key(Qt::CTRL | Qt::Key_I);
    key(Qt::CTRL | Qt::Key_U);
    EXPECT_EQ(edit->SelAttributes().Style(), fsBold | fsItalic | fsUnderline);
    edit->SetSelection(4, 7, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles());
    // over text that is partly bold the key makes all of it bold; again, none of it
    edit->SetSelection(0, 7, false);
    key(Qt::CTRL | Qt::Key_B);
    EXPECT_TRUE(edit->SelAttributes().Style().testFlag(fsBold));
    key(Qt::CTRL | Qt::Key_B);
    EXPECT_FALSE(edit->SelAttributes().Style().testFlag(fsBold));
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().Style(), fsItalic | fsUnderline); // the other styles stay

    // each key went as one step
    edit->Undo();
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().Style(), fsBold | fsItalic | fsUnderline);
    edit->Undo();
    edit->Undo();
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().Style(), fsBold | fsItalic);
    edit->Undo();
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsBold));
    edit->Undo();
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles());
    EXPECT_EQ(edit->Text(), "one two");

    // with nothing selected the key sets what typing takes
    edit->SetSelStart(edit->TextLength());
    key(Qt::CTRL | Qt::Key_B);
    QTest::keyClicks(edit, "X");
    edit->SetSelection(7, 8, false);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsBold));

    // a read-only control takes the key and changes nothing; the window's other keys stay the window's
    edit->setReadOnly(true);
    key(Qt::CTRL | Qt::Key_B);
    EXPECT_EQ(edit->SelAttributes().Style(), TFontStyles(fsBold));
    EXPECT_EQ(windowBolds, 0);
    key(Qt::CTRL | Qt::Key_S);
    EXPECT_EQ(windowSaves, 1);
}

TEST_F(RichEditKeys, AlignmentAndScriptKeysActOnTheSelection)
{
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "three");
    edit->SetSelection(2, 10, false); // both paragraphs
    key(Qt::CTRL | Qt::Key_E);
    EXPECT_EQ(edit->Paragraph().Alignment(), paCenter);
    key(Qt::CTRL | Qt::Key_R);
    EXPECT_EQ(edit->Paragraph().Alignment(), paRightJustify);
    key(Qt::CTRL | Qt::Key_J);
    EXPECT_EQ(edit->Paragraph().Alignment(), paJustify);
    key(Qt::CTRL | Qt::Key_L);
    EXPECT_EQ(edit->Paragraph().Alignment(), paLeftJustify);
    edit->Undo(); // one step brings both paragraphs back
    edit->SetSelection(0, 0, false);
    EXPECT_EQ(edit->Paragraph().Alignment(), paJustify);
    edit->SetSelection(10, 10, false);
    EXPECT_EQ(edit->Paragraph().Alignment(), paJustify);

    edit->SetSelection(0, 3, false);
    key(Qt::CTRL | Qt::Key_Equal);
    EXPECT_EQ(edit->SelAttributes().SubscriptStyle(), 1);
    key(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus);
    EXPECT_EQ(edit->SelAttributes().SubscriptStyle(), 2);
    key(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal);
    EXPECT_EQ(edit->SelAttributes().SubscriptStyle(), 0);
    key(Qt::CTRL | Qt::Key_Equal);
    key(Qt::CTRL | Qt::Key_Equal);
    EXPECT_EQ(edit->SelAttributes().SubscriptStyle(), 0);
    edit->Undo();
    edit->SetSelection(0, 3, false);
    EXPECT_EQ(edit->SelAttributes().SubscriptStyle(), 1);
    EXPECT_EQ(edit->Text(), "one two\nthree");
}

TEST_F(RichEditKeys, BackspaceAtTheStartOfANumberedOrBulletedParagraphTakesTheNumberOffFirst)
{
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "three");
    for (TNumberingStyle style : {nsArabic, nsBullet}) {
        edit->SetSelection(0, 10, false);
        edit->Paragraph().SetNumbering(style);
        edit->SetSelStart(8); // the start of "three"
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->Text(), "one two\nthree") << "the paragraphs stay apart";
        EXPECT_EQ(edit->Paragraph().Numbering(), nsNone);
        edit->SetSelStart(0);
        EXPECT_EQ(edit->Paragraph().Numbering(), style) << "the paragraph above keeps its number";
        edit->Undo();
        edit->SetSelStart(8);
        EXPECT_EQ(edit->Paragraph().Numbering(), style) << "one undo step brings the number back";
        // without a number the next Backspace joins the paragraphs as usual
        edit->Paragraph().SetNumbering(nsNone);
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->Text(), "one twothree");
        edit->Undo();
        EXPECT_EQ(edit->Text(), "one two\nthree");
    }
}

} // namespace
