#include "notes/MMEditExActns.h"

#include "notes/MMRxRichEdit.h"
#include "notes/NumEdits.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeView>

namespace {

// The item view whose label editor the widget is (a view has one only while it edits a label), or null.
template <typename View> View *editedView(QWidget *w)
{
    QWidget *viewport = w->parentWidget();
    auto *view = viewport ? qobject_cast<View *>(viewport->parentWidget()) : nullptr;
    return view && view->viewport() == viewport ? view : nullptr;
}

} // namespace

TMMEditExAction::TMMEditExAction(QObject *parent)
    : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Execute(); });
}

bool TMMEditExAction::ClassifyTarget(QWidget *target)
{
    m_targetWindow = nullptr;
    if (QString::compare(QString::fromLatin1(target->metaObject()->className()), QLatin1String("TMMRxRichEditPrev"),
                         Qt::CaseInsensitive) == 0) {
        m_targetKind = etRichEdit;
        m_targetWindow = target;
        return true;
    }
    if (qobject_cast<QLineEdit *>(target)) {
        // an edit inside a combo box or a view's label editor counts as that
        if (qobject_cast<QComboBox *>(target->parentWidget()))
            m_targetKind = etComboEdit;
        else if (editedView<QTreeView>(target))
            m_targetKind = etTreeViewEditor;
        else if (editedView<QListView>(target))
            m_targetKind = etListViewEditor;
        else
            m_targetKind = etEdit;
        m_targetWindow = target;
        return true;
    }
    if (qobject_cast<QTextEdit *>(target) || qobject_cast<QPlainTextEdit *>(target)) {
        m_targetKind = etEdit;
        m_targetWindow = target;
        return true;
    }
    if (auto *combo = qobject_cast<QComboBox *>(target)) {
        // a drop-down list has no edit
        if (!combo->lineEdit())
            return false;
        m_targetKind = etComboEdit;
        m_targetWindow = combo->lineEdit();
        return true;
    }
    return false;
}

bool TMMEditExAction::HandlesTarget(QWidget *target)
{
    return target && target->hasFocus() && ClassifyTarget(target);
}

void TMMEditExAction::UpdateTarget(QWidget *)
{
    if (needsSelection())
        setEnabled(hasSelection());
}

void TMMEditExAction::Update()
{
    QWidget *focus = QApplication::focusWidget();
    if (HandlesTarget(focus))
        UpdateTarget(focus);
    else
        setEnabled(false);
}

void TMMEditExAction::Execute()
{
    QWidget *focus = QApplication::focusWidget();
    if (HandlesTarget(focus))
        ExecuteTarget(focus);
}

// ---- the remembered edit ----

namespace {

template <typename... F> struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

// Calls f with the edit as its kind (notes editor, line edit, text edit, plain text edit); answers
// fallback for anything else. A number edit is a line edit here; the commands it filters are its own.
template <typename R, typename F> R visitEdit(QWidget *w, R fallback, F &&f)
{
    if (auto *rich = qobject_cast<TMMRxCustomRichEdit *>(w))
        return f(rich);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return f(line);
    if (auto *text = qobject_cast<QTextEdit *>(w))
        return f(text);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return f(plain);
    return fallback;
}

template <typename F> void runOnEdit(QWidget *w, F &&f)
{
    visitEdit(w, true, [&](auto *e) {
        f(e);
        return true;
    });
}

template <typename E> bool isReadOnly(E *e)
{
    return e->isReadOnly();
}

} // namespace

bool TMMEditExAction::hasSelection() const
{
    return visitEdit(m_targetWindow, false,
                     Overloaded{[](TMMRxCustomRichEdit *r) { return r->SelLength() >= 1; },
                                [](QLineEdit *l) { return l->hasSelectedText(); },
                                [](auto *e) { return e->textCursor().hasSelection(); }});
}

int TMMEditExAction::textLength() const
{
    return visitEdit(m_targetWindow, 0,
                     Overloaded{[](TMMRxCustomRichEdit *r) { return r->TextLength(); },
                                [](QLineEdit *l) { return int(l->text().size()); },
                                [](auto *e) { return e->document()->characterCount() - 1; }});
}

bool TMMEditExAction::canUndo() const
{
    return visitEdit(m_targetWindow, false,
                     Overloaded{[](TMMRxCustomRichEdit *r) { return r->CanUndo(); },
                                [](QLineEdit *l) { return l->isUndoAvailable() && !l->isReadOnly(); },
                                [](auto *e) { return e->document()->isUndoAvailable() && !isReadOnly(e); }});
}

bool TMMEditExAction::canRedo() const
{
    auto *rich = qobject_cast<TMMRxCustomRichEdit *>(m_targetWindow.data());
    return rich && rich->CanRedo();
}

TMMEditPasteEx::TMMEditPasteEx(QObject *parent)
    : TMMEditExAction(parent)
{
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { m_clipboardChanged = true; });
}

void TMMEditPasteEx::UpdateTarget(QWidget *target)
{
    const bool readOnly = target->property("readOnly").toBool();
    if (m_clipboardChanged || m_asked != target || m_askedReadOnly != readOnly) {
        m_clipboardChanged = false;
        m_asked = target;
        m_askedReadOnly = readOnly;
        m_canPaste = canPaste();
    }
    setEnabled(m_canPaste);
}

bool TMMEditExAction::canPaste() const
{
    // the notes editor judges its clipboard itself; other edits take text
    if (auto *rich = qobject_cast<TMMRxCustomRichEdit *>(m_targetWindow.data()); rich && m_targetKind == etRichEdit)
        return rich->CanPaste();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

void TMMEditExAction::cut()
{
    if (auto *number = qobject_cast<TCustomNumEdit *>(m_targetWindow.data())) {
        number->CutToClipboard();
        return;
    }
    runOnEdit(m_targetWindow,
              Overloaded{[](TMMRxCustomRichEdit *r) { r->CutToClipboard(); }, [](auto *e) { e->cut(); }});
}

void TMMEditExAction::copy()
{
    runOnEdit(m_targetWindow,
              Overloaded{[](TMMRxCustomRichEdit *r) { r->CopyToClipboard(); }, [](auto *e) { e->copy(); }});
}

void TMMEditExAction::paste()
{
    if (auto *number = qobject_cast<TCustomNumEdit *>(m_targetWindow.data())) {
        number->PasteFromClipboard();
        return;
    }
    runOnEdit(m_targetWindow,
              Overloaded{[](TMMRxCustomRichEdit *r) { r->PasteFromClipboard(); }, [](auto *e) { e->paste(); }});
}

void TMMEditExAction::clearSelection()
{
    // a number edit that refuses typing refuses deleting too
    if (auto *number = qobject_cast<TCustomNumEdit *>(m_targetWindow.data()); number && !number->IsValidChar(QChar(8)))
        return;
    runOnEdit(m_targetWindow, Overloaded{[](TMMRxCustomRichEdit *r) { r->ClearSelection(); },
                                         [](QLineEdit *l) {
                                             if (!l->isReadOnly())
                                                 l->del();
                                         },
                                         [](auto *e) {
                                             if (!e->isReadOnly())
                                                 e->textCursor().removeSelectedText();
                                         }});
}

void TMMEditExAction::selectAll()
{
    runOnEdit(m_targetWindow,
              Overloaded{[](TMMRxCustomRichEdit *r) { r->SelectAllText(); }, [](auto *e) { e->selectAll(); }});
}

void TMMEditExAction::undo()
{
    runOnEdit(m_targetWindow, Overloaded{[](TMMRxCustomRichEdit *r) { r->Undo(); }, [](auto *e) { e->undo(); }});
}

void TMMEditExAction::redo()
{
    if (auto *rich = qobject_cast<TMMRxCustomRichEdit *>(m_targetWindow.data()))
        rich->Redo();
}
