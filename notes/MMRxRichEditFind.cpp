// Searching the rich-edit control's text, its own find and replace dialogs, and replacing.
#include "notes/MMRxRichEdit.h"
#include "notes/ShownHeight.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>

const QString TMMRxCustomRichEdit::STextNotFound = QStringLiteral("テキストファイル \"%s\" が見つかりません。");

namespace {

constexpr int DialogClearance = 20;

QTextDocument::FindFlags findFlags(TRichSearchTypes options)
{
    QTextDocument::FindFlags f;
    if (options.testFlag(stWholeWord))
        f |= QTextDocument::FindWholeWords;
    if (options.testFlag(stMatchCase))
        f |= QTextDocument::FindCaseSensitively;
    if (options.testFlag(stBackward))
        f |= QTextDocument::FindBackward;
    return f;
}

TRichSearchTypes searchTypesOf(TFindOptions options)
{
    TRichSearchTypes t = stSetSelection;
    if (!options.testFlag(frDown))
        t |= stBackward;
    if (options.testFlag(frMatchCase))
        t |= stMatchCase;
    if (options.testFlag(frWholeWord))
        t |= stWholeWord;
    return t;
}

} // namespace

int TMMRxCustomRichEdit::FindText(const QString &searchStr, int startPos, int length, TRichSearchTypes options)
{
    if (searchStr.isEmpty())
        return -1;
    const int textLength = TextLength();
    const bool backward = options.testFlag(stBackward);
    const qint64 span = std::abs(qint64(length));
    const int from = int(std::clamp<qint64>(startPos, 0, textLength));
    const int limit = int(backward ? std::max<qint64>(0, from - span) : std::min<qint64>(textLength, from + span));
    const QTextDocument::FindFlags flags = findFlags(options);
    QTextCursor found = document()->find(searchStr, from, flags);
    // backward, a match counts only when it ends before the start point
    while (backward && !found.isNull() && found.selectionEnd() > from)
        found =
            found.selectionStart() > 0 ? document()->find(searchStr, found.selectionStart() - 1, flags) : QTextCursor();
    if (found.isNull())
        return -1;
    const int matchStart = found.selectionStart();
    const int matchEnd = found.selectionEnd();
    if (backward ? matchStart < limit : matchEnd > limit)
        return -1;
    if (options.testFlag(stSetSelection))
        SetSelection(matchStart, matchEnd, true);
    return matchStart;
}

bool TMMRxCustomRichEdit::FindEditText(TRichEditFindDialog *dialog, bool adjustPos, bool events)
{
    if (!dialog)
        return false;
    const QString text = dialog->FindText();
    if (text.isEmpty())
        return false; // nothing to look for, and nothing to report
    const TRichSearchTypes options = searchTypesOf(dialog->Options());
    int start = 0, end = 0;
    GetSelection(start, end);
    int length = 0;
    int from = 0;
    if (!options.testFlag(stBackward)) {
        from = end;
        length = TextLength() - from + 1;
    } else {
        from = start;
        length = from + 1;
    }
    const bool found = FindText(text, from, length, options) >= 0;
    m_lastFindDialog = dialog;
    if (!found) {
        if (events)
            TextNotFound(dialog);
    } else if (adjustPos) {
        AdjustFindDialogPosition(dialog);
    }
    return found;
}

void TMMRxCustomRichEdit::AdjustFindDialogPosition(TRichEditFindDialog *dialog)
{
    if (!dialog || !dialog->isVisible())
        return;
    const QPoint topLeft = viewport()->mapToGlobal(GetCharPos(SelStart()));
    QPoint bottomRight = viewport()->mapToGlobal(GetCharPos(SelStart() + SelLength()));
    bottomRight.ry() += DialogClearance;
    const QRect frame = dialog->frameGeometry();
    if (!frame.contains(topLeft) && !frame.contains(bottomRight))
        return;
    const QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    int dy = 0;
    if (frame.height() + DialogClearance < topLeft.y())
        dy = topLeft.y() - frame.bottom() - DialogClearance; // above the text
    else if (screenHeight > topLeft.y() + frame.height())
        dy = topLeft.y() + 2 * DialogClearance - frame.top(); // below the text
    dialog->move(frame.topLeft() + QPoint(0, dy));
}

void TMMRxCustomRichEdit::TextNotFound(TRichEditFindDialog *dialog)
{
    const QString text = dialog ? dialog->FindText() : QString();
    if (OnTextNotFound) {
        OnTextNotFound(this, text);
        return;
    }
    QString message = STextNotFound;
    message.replace(QStringLiteral("%s"), text);
    messageboxes::show(dialog && dialog->isVisible() ? static_cast<QWidget *>(dialog) : this, message,
                       applicationtitle::get(), messageboxes::OK);
}

void TMMRxCustomRichEdit::CloseFindDialog(TRichEditFindDialog *dialog)
{
    if (OnCloseFindDialog)
        OnCloseFindDialog(this, dialog);
}

bool TMMRxCustomRichEdit::CanFindNext() const
{
    return m_lastFindDialog && !m_lastFindDialog->FindText().isEmpty();
}

bool TMMRxCustomRichEdit::FindNext()
{
    return CanFindNext() && FindEditText(m_lastFindDialog, false, true);
}

void TMMRxCustomRichEdit::setupFindDialog(TRichEditFindDialog *dialog, const QString &searchStr,
                                          const QString &replaceStr)
{
    if (!searchStr.isEmpty())
        dialog->SetFindText(searchStr);
    dialog->OnFind = [this](TRichEditFindDialog *d) { FindEditText(d, true, true); };
    dialog->OnClose = [this](TRichEditFindDialog *d) { CloseFindDialog(d); };
    if (auto *replace = qobject_cast<TRichEditReplaceDialog *>(dialog)) {
        if (!replaceStr.isEmpty())
            replace->SetReplaceText(replaceStr);
        replace->OnReplace = [this](TRichEditFindDialog *d) { replaceDialogReplace(d); };
    }
}

TRichEditFindDialog *TMMRxCustomRichEdit::FindDialog(const QString &searchStr)
{
    if (!m_findDialog) {
        m_findDialog = new TRichEditFindDialog(this);
        if (m_replaceDialog)
            m_findDialog->SetFindText(m_replaceDialog->FindText());
    }
    setupFindDialog(m_findDialog, searchStr, QString());
    m_findDialog->Execute();
    return m_findDialog;
}

TRichEditReplaceDialog *TMMRxCustomRichEdit::ReplaceDialog(const QString &searchStr, const QString &replaceStr)
{
    if (!m_replaceDialog) {
        m_replaceDialog = new TRichEditReplaceDialog(this);
        if (m_findDialog)
            m_replaceDialog->SetFindText(m_findDialog->FindText());
    }
    setupFindDialog(m_replaceDialog, searchStr, replaceStr);
    m_replaceDialog->Execute();
    return m_replaceDialog;
}

void TMMRxCustomRichEdit::replaceDialogReplace(TRichEditFindDialog *dialog)
{
    auto *replace = qobject_cast<TRichEditReplaceDialog *>(dialog);
    if (!replace || replace->FindText().isEmpty())
        return;
    if (replace->Options().testFlag(frReplaceAll)) {
        replaceAll(replace);
        return;
    }
    // the match on show is replaced first; a search follows to show the next one
    int start = 0, end = 0;
    GetSelection(start, end);
    const TRichSearchTypes options = searchTypesOf(replace->Options()) & ~TRichSearchTypes(stBackward | stSetSelection);
    if (end - start == int(replace->FindText().size()) &&
        FindText(replace->FindText(), start, end - start, options) == start) {
        SetSelText(replace->ReplaceText());
        FindEditText(replace, true, true);
        return;
    }
    if (FindEditText(replace, true, true))
        SetSelText(replace->ReplaceText());
}

bool TMMRxCustomRichEdit::roomForReplaceAll(TRichEditReplaceDialog *dialog)
{
    // the paragraphs with matches, as they are and as they would be, measured in the format of their first
    // match: what they would add to the layout's height
    const QString find = dialog->FindText();
    const QString replacement = plainInsertion(dialog->ReplaceText());
    const TRichSearchTypes options = searchTypesOf(dialog->Options()) & ~TRichSearchTypes(stSetSelection);
    const bool backward = options.testFlag(stBackward);
    const std::unique_ptr<richedit::TShownHeight> before = MeasureIncoming(), after = MeasureIncoming();
    QTextBlock block;
    QString text;
    QTextCharFormat format;
    int shift = 0;
    auto measure = [&] {
        if (!block.isValid())
            return;
        before->AddText(block.text(), format, block.blockFormat());
        after->AddText(text, format, block.blockFormat());
    };
    int start = 0, end = 0;
    GetSelection(start, end);
    // as replaceAll goes: on from each match (which the replacement takes the place of), never into it
    for (int from = backward ? start : end;;) {
        const int match = FindText(find, from, backward ? from + 1 : TextLength() - from + 1, options);
        if (match < 0)
            break;
        if (const QTextBlock b = document()->findBlock(match); b != block) {
            measure();
            block = b;
            text = b.text();
            shift = 0;
            QTextCursor at(document());
            at.setPosition(match + 1);
            format = richedit::InsertionFormat(at.charFormat());
        }
        // forward, the matches of a paragraph come from its start on; backward, from its end on
        text.replace(match - block.position() + shift, find.size(), replacement);
        if (!backward)
            shift += int(replacement.size() - find.size());
        from = backward ? match : match + int(find.size());
    }
    measure();
    const qreal now = document()->documentLayout()->documentSize().height();
    const qreal height = now + after->Height() - before->Height();
    if (height <= MaxDocumentHeight)
        return true;
    const qint64 lines = LineFromChar(TextLength()) + 1 + after->Lines() - before->Lines();
    ShowObjectMessage(TooLongText(height, lines, true));
    return false;
}

void TMMRxCustomRichEdit::replaceAll(TRichEditReplaceDialog *dialog)
{
    if (!roomForReplaceAll(dialog))
        return;
    int count = 0;
    {
        // one undo step, one layout and no notifications while the replacements run
        auto selectionHandler = std::move(OnSelectionChange);
        OnSelectionChange = nullptr;
        const bool events = m_changeEvents;
        m_changeEvents = false;
        const MeasuredEdit measured(*this); // as a whole, above
        QTextCursor block(document());
        block.beginEditBlock();
        struct Restore {
            std::function<void()> body;
            ~Restore() { body(); }
        } restore{[&] {
            block.endEditBlock();
            m_changeEvents = events;
            OnSelectionChange = std::move(selectionHandler);
        }};
        while (FindEditText(dialog, false, false)) {
            int start = 0, end = 0;
            GetSelection(start, end);
            if (!ReplaceRange(start, end, dialog->ReplaceText(), false, TRichEditChangeKind::Replace))
                break; // protected text refused it: searching on would find the same match again
            ++count;
        }
    }
    if (count == 0) {
        TextNotFound(dialog);
        return;
    }
    AdjustFindDialogPosition(dialog);
    if (m_changeEvents && OnChange)
        OnChange(this);
    SelectionChange();
}
