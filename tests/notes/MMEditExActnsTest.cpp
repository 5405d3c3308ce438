// The edit commands against the focused widget: which widgets they act on, each command's enabled
// state from the selection, the text, the undo history and the clipboard, and what each does.
#include "notes/MMEditExActns.h"

#include "common/TestSupport.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/NotesTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace notestest;

namespace {

class EditActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        keptClipboard = QApplication::clipboard()->text();
        auto *layout = new QVBoxLayout(&window);
        line = new QLineEdit(&window);
        combo = new QComboBox(&window);
        combo->setEditable(true);
        list = new QComboBox(&window);
        list->addItems({"one", "two"});
        tree = new QTreeView(&window);
        model.appendRow(new QStandardItem("label"));
        tree->setModel(&model);
        rich = new TMMRxRichEditPrev(&window);
        for (QWidget *w : std::initializer_list<QWidget *>{line, combo, list, tree, rich})
            layout->addWidget(w);
        ASSERT_TRUE(showActive(window));
        for (TMMEditExAction *a : actions())
            a->setParent(&window);
    }
    void TearDown() override { QApplication::clipboard()->setText(keptClipboard); }

    QList<TMMEditExAction *> actions() { return {&cut, &copy, &paste, &selectAll, &undo, &del, &redo}; }
    // The enabled state of every command, in the order cut, copy, paste, select all, undo, delete, redo.
    std::string states()
    {
        std::string s;
        for (TMMEditExAction *a : actions()) {
            a->Update();
            s += a->isEnabled() ? '1' : '0';
        }
        return s;
    }

    // What a click does: the state is brought up to date first (a disabled command does nothing).
    static void run(TMMEditExAction &a)
    {
        a.Update();
        a.trigger();
    }

    QString keptClipboard;
    QWidget window;
    QLineEdit *line = nullptr;
    QComboBox *combo = nullptr;
    QComboBox *list = nullptr;
    QTreeView *tree = nullptr;
    TMMRxRichEditPrev *rich = nullptr;
    QStandardItemModel model;
    TMMEditCutEx cut;
    TMMEditCopyEx copy;
    TMMEditPasteEx paste;
    TMMEditSelectAllEx selectAll;
    TMMEditUndoEx undo;
    TMMEditDeleteEx del;
    TMMEditRedoEx redo;
};

TEST_F(EditActions, TheFocusedWidgetDecidesWhatIsHandled)
{
    const struct {
        QWidget *widget;
        bool handled;
        TEditTargetKind kind;
    } cases[] = {
        {line, true, etEdit},  {combo, true, etComboEdit}, {list, false, etEdit},
        {tree, false, etEdit}, {rich, true, etRichEdit},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(focus(c.widget));
        QWidget *target = QApplication::focusWidget();
        EXPECT_EQ(cut.HandlesTarget(target), c.handled) << c.widget->metaObject()->className();
        if (c.handled) {
            EXPECT_EQ(cut.TargetKind(), c.kind) << c.widget->metaObject()->className();
        } else {
            EXPECT_EQ(states(), "0000000") << c.widget->metaObject()->className();
        }
    }
    // a widget without the focus is never handled
    ASSERT_TRUE(focus(line));
    EXPECT_FALSE(cut.HandlesTarget(rich));
}

TEST_F(EditActions, StatesFollowTheSelectionTextAndHistory)
{
    QApplication::clipboard()->clear();
    ASSERT_TRUE(focus(line));
    line->setText("abc");
    line->setCursorPosition(3);
    line->setModified(false);
    EXPECT_EQ(states().substr(0, 4), "0001"); // select all only: nothing selected, nothing to paste
    cut.trigger();                            // a disabled command does nothing
    EXPECT_EQ(line->text(), "abc");
    run(selectAll);
    EXPECT_EQ(line->selectedText(), "abc");
    EXPECT_EQ(states(), std::string("1101") + (line->isUndoAvailable() ? '1' : '0') + "10");
    run(cut);
    EXPECT_EQ(line->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    EXPECT_EQ(states(), "0010100"); // paste and undo; nothing to select, redo never in a line edit
    run(paste);
    run(paste);
    EXPECT_EQ(line->text(), "abcabc");
    line->setSelection(1, 2);
    run(del);
    EXPECT_EQ(line->text(), "aabc");
    run(undo);
    EXPECT_EQ(line->text(), "abcabc");
    line->setReadOnly(true);
    EXPECT_EQ(states().substr(4, 1), "0"); // a read-only edit offers no undo
}

TEST_F(EditActions, RedoOnlyInTheNotesEditorAndPasteByItsOwnJudgement)
{
    ASSERT_TRUE(focus(rich));
    rich->SetSelText("hello");
    rich->SetSelection(5, 5, false);
    rich->Undo();
    EXPECT_TRUE(rich->CanRedo());
    redo.Update();
    EXPECT_TRUE(redo.isEnabled());
    run(redo);
    EXPECT_EQ(rich->Text(), "hello");

    // a clipboard without plain text that the notes editor can take: a picture
    auto *picture = new QMimeData;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    picture->setImageData(image);
    QApplication::clipboard()->setMimeData(picture);
    paste.Update();
    EXPECT_TRUE(paste.isEnabled());
    ASSERT_TRUE(focus(line));
    paste.Update();
    EXPECT_FALSE(paste.isEnabled());
    redo.Update();
    EXPECT_FALSE(redo.isEnabled());
}

TEST_F(EditActions, ALabelEditorIsHandledOnlyWhileALabelIsEdited)
{
    ASSERT_TRUE(focus(tree));
    EXPECT_FALSE(cut.HandlesTarget(tree));
    tree->edit(model.index(0, 0));
    ASSERT_TRUE(testsupport::waitUntil([] { return qobject_cast<QLineEdit *>(QApplication::focusWidget()); }))
        << "no label editor";
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    editor->selectAll();
    EXPECT_TRUE(cut.HandlesTarget(editor));
    EXPECT_EQ(cut.TargetKind(), etTreeViewEditor);
    run(cut);
    EXPECT_EQ(editor->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "label");
}

TEST_F(EditActions, TheComboEditIsTheTarget)
{
    ASSERT_TRUE(focus(combo));
    combo->setEditText("word");
    combo->lineEdit()->selectAll();
    copy.Update();
    EXPECT_TRUE(copy.isEnabled());
    run(copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "word");
}

// Counts the questions asked of it: on a desktop each is a round trip to the display server.
class CountingMimeData : public QMimeData {
public:
    mutable int asked = 0;
    bool hasFormat(const QString &mime) const override
    {
        ++asked;
        return QMimeData::hasFormat(mime);
    }
    QStringList formats() const override
    {
        ++asked;
        return QMimeData::formats();
    }
};

TEST_F(EditActions, PasteAsksTheClipboardAgainOnlyAfterItTheEditOrItsReadOnlyStateChanged)
{
    auto *data = new CountingMimeData;
    data->setText("words");
    QApplication::clipboard()->setMimeData(data);
    ASSERT_TRUE(focus(rich));
    paste.Update();
    EXPECT_TRUE(paste.isEnabled());
    const int asked = data->asked;
    EXPECT_GT(asked, 0);
    for (int i = 0; i < 5; ++i)
        paste.Update();
    EXPECT_EQ(data->asked, asked) << "the updates of an idle editor ask nothing";
    EXPECT_TRUE(paste.isEnabled());

    rich->setReadOnly(true);
    paste.Update();
    EXPECT_FALSE(paste.isEnabled());
    rich->setReadOnly(false);
    paste.Update();
    EXPECT_TRUE(paste.isEnabled());
    // away to a widget that is no edit and back: the state is the editor's again
    ASSERT_TRUE(focus(list));
    paste.Update();
    EXPECT_FALSE(paste.isEnabled());
    ASSERT_TRUE(focus(rich));
    paste.Update();
    EXPECT_TRUE(paste.isEnabled());
    ASSERT_TRUE(focus(line));
    paste.Update();
    EXPECT_TRUE(paste.isEnabled()) << "a line edit takes the text";

    // a clipboard that changed is asked again: nothing to paste now
    QApplication::clipboard()->setMimeData(new QMimeData);
    paste.Update();
    EXPECT_FALSE(paste.isEnabled());
    ASSERT_TRUE(focus(rich));
    paste.Update();
    EXPECT_FALSE(paste.isEnabled());
}

} // namespace
