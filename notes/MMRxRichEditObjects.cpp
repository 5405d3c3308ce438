// The control's side of its inline objects: messages, the object context menu, verbs, properties and
// the closing of every object.
#include "notes/MMRxRichEdit.h"
#include "notes/OleUIObjInfo.h"
#include "notes/RichEditObjects.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>

using namespace richedit;

void TMMRxCustomRichEdit::ShowObjectMessage(const QString &text)
{
    messageboxes::show(this, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconStop);
}

int TMMRxCustomRichEdit::SelectedObject() const
{
    const QTextCursor c = textCursor();
    if (c.selectionEnd() - c.selectionStart() != 1 || SelectionType() != TRichSelectionType(stObject))
        return -1;
    return c.selectionStart();
}

bool TMMRxCustomRichEdit::ReplaceObject(int position, const TRichObject &object)
{
    QTextCursor c(document());
    c.setPosition(position);
    c.setPosition(position + 1, QTextCursor::KeepAnchor);
    if (c.selectedText() != QString(QChar(ObjectChar)) || isReadOnly())
        return false;
    if (EditRefused(position, position + 1, {TRichEditChangeKind::Replace, {}}))
        return false;
    // the format of the character after the object's start: the object's own
    QTextCursor at(document());
    at.setPosition(position + 1);
    c.setCharFormat(ObjectFormat(object, InsertionFormat(at.charFormat())));
    return true;
}

bool TMMRxCustomRichEdit::DoObjectVerb(int position, int verb)
{
    TRichObject o = ObjectAt(position);
    const QList<TObjectVerb> verbs = ObjectVerbs(o);
    const bool known =
        std::any_of(verbs.cbegin(), verbs.cend(), [verb](const TObjectVerb &v) { return v.Number == verb; });
    if (!known)
        return false;
    if (o.ObjectKind == TRichObject::LinkedFile && verb == VerbUpdateNow) {
        if (!QFileInfo(o.FileName).isFile()) {
            ShowObjectMessage(LinkSourceMissingText(o.FileName));
            return false;
        }
        RefreshFileObject(o);
        return ReplaceObject(position, o);
    }
    QString path;
    // a stored name is shown and looked up only as a clean file name
    const QString shownName = CleanFileName(o.FileName);
    if (o.ObjectKind == TRichObject::LinkedFile) {
        path = o.FileName; // a linked file opens where it is
        if (!QFileInfo(path).isFile()) {
            ShowObjectMessage(LinkSourceMissingText(path));
            return false;
        }
    }
    const bool runs = o.ObjectKind == TRichObject::LinkedFile ? WouldExecute(path, o.FileType)
                                                              : WouldExecuteContent(o.FileName, o.FileType, o.Data);
    if (runs) {
        const int answer = messageboxes::show(this, ExecuteQuestionText(shownName), applicationtitle::get(),
                                              messageboxes::YesNo | messageboxes::IconExclamation);
        if (answer != messageboxes::IdYes)
            return false;
    }
    if (o.ObjectKind == TRichObject::EmbeddedFile) {
        if (!m_objectCopies)
            m_objectCopies = std::make_unique<TOpenedObjectCopies>();
        QString error;
        QTextCursor at(document());
        at.setPosition(position + 1);
        path = m_objectCopies->Write(ObjectIdOf(at.charFormat()), o.FileName, o.Data, &error);
        if (path.isEmpty()) {
            ShowObjectMessage(OpenFailedText(shownName) + u'\n' + error);
            return false;
        }
    }
    if (!OpenObjectFile(path)) {
        ShowObjectMessage(OpenFailedText(shownName));
        return false;
    }
    return true;
}

QMenu *TMMRxCustomRichEdit::objectMenu(QMenu *result)
{
    delete m_verbMenu; // its entries leave the menu they were added to
    const int position = SelectedObject();
    if (!m_autoVerbMenu || position < 0)
        return result;
    const TRichObject object = ObjectAt(position);
    m_verbMenu = new QMenu(this);
    for (const TObjectVerb &verb : ObjectVerbs(object)) {
        QAction *a = m_verbMenu->addAction(verb.Name);
        a->setData(verb.Number);
        if (verb.Number == VerbOpen)
            m_verbMenu->setDefaultAction(a);
        connect(a, &QAction::triggered, this, [this, n = verb.Number] {
            const int at = SelectedObject();
            if (at >= 0)
                DoObjectVerb(at, n);
        });
    }
    auto *properties = new QAction(PropertiesCaption(object), m_verbMenu);
    properties->setObjectName(QStringLiteral("object-properties"));
    connect(properties, &QAction::triggered, this, [this] { ObjectPropertiesDialog(); });
    if (result && !result->actions().isEmpty()) {
        auto *separator = new QAction(m_verbMenu);
        separator->setSeparator(true);
        result->addAction(separator);
        result->addAction(properties);
        if (!m_verbMenu->actions().isEmpty()) {
            m_verbMenu->setTitle(ObjectTypeName(object));
            result->addMenu(m_verbMenu);
        }
        return result;
    }
    if (!m_verbMenu->actions().isEmpty()) {
        m_verbMenu->insertAction(m_verbMenu->actions().constFirst(), properties);
        return m_verbMenu;
    }
    return result;
}

bool TMMRxCustomRichEdit::selectObjectAt(const QPoint &viewportPoint)
{
    const QPointF docPoint(viewportPoint.x() + horizontalScrollBar()->value(),
                           viewportPoint.y() + verticalScrollBar()->value());
    const int hit = document()->documentLayout()->hitTest(docPoint, Qt::FuzzyHit);
    for (const int candidate : {hit, hit - 1}) {
        if (candidate < 0 || candidate >= TextLength() || document()->characterAt(candidate) != QChar(ObjectChar))
            continue;
        QTextCursor c(document());
        c.setPosition(candidate);
        const QRect before = cursorRect(c);
        c.setPosition(candidate + 1);
        const QRect after = cursorRect(c);
        if (after.top() == before.top() && viewportPoint.x() >= before.left() && viewportPoint.x() <= after.left() &&
            viewportPoint.y() >= before.top() && viewportPoint.y() <= before.bottom()) {
            SetSelection(candidate, candidate + 1, false);
            return true;
        }
    }
    return false;
}

bool TMMRxCustomRichEdit::ObjectPropertiesDialog()
{
    const int position = SelectedObject();
    if (position < 0)
        return false;
    TOleUIObjInfo objectInfo(this, position);
    std::unique_ptr<TOleUILinkInfo> linkInfo = TOleUILinkInfo::Create(this, position);
    TObjectPropertiesDialog dialog(this, objectInfo, linkInfo.get());
    return dialog.Run();
}

void TMMRxCustomRichEdit::closeRemovedObjects()
{
    if (!m_objectCopies || m_objectCopies->Objects().isEmpty())
        return;
    QSet<quint64> present;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (IsObjectFormat(f))
                present.insert(ObjectIdOf(f));
        }
    }
    for (const quint64 id : m_objectCopies->Objects()) {
        if (!present.contains(id))
            m_objectCopies->Close(id); // a deleted object is closed
    }
}

void TMMRxCustomRichEdit::CloseObjects()
{
    if (m_objectCopies)
        m_objectCopies->CloseAll();
}

QString TMMRxCustomRichEdit::ObjectCopiesFolder() const
{
    return m_objectCopies ? m_objectCopies->Folder() : QString();
}
