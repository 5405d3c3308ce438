#include "notes/MMRxRichEditActns.h"

#include "notes/MMRxRichEdit.h"
#include "notes/RichEditFontDialog.h"

#include <QApplication>

namespace {

constexpr int SubscriptNone = 0;
constexpr int Subscript = 1;
constexpr int Superscript = 2;

void setStyle(TMMRxCustomRichEdit *edit, TFontStyle style, bool on)
{
    TFontStyles styles = edit->SelAttributes().Style();
    styles.setFlag(style, on);
    edit->SelAttributes().SetStyle(styles);
}

} // namespace

TMMRichEditActionEx::TMMRichEditActionEx(QObject *parent)
    : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Execute(); });
}

TMMRxCustomRichEdit *TMMRichEditActionEx::GetControl(QWidget *target) const
{
    if (auto *edit = qobject_cast<TMMRxCustomRichEdit *>(target))
        return edit;
    return m_richEdit;
}

bool TMMRichEditActionEx::HandlesTarget(QWidget *target) const
{
    if (m_richEdit)
        return true;
    return qobject_cast<TMMRxCustomRichEdit *>(target) && target->hasFocus();
}

void TMMRichEditActionEx::UpdateTarget(QWidget *target)
{
    setEnabled(qobject_cast<TMMRxCustomRichEdit *>(target) || m_richEdit);
}

void TMMRichEditActionEx::Update()
{
    QWidget *focus = QApplication::focusWidget();
    if (HandlesTarget(focus))
        UpdateTarget(focus);
    else
        setEnabled(false);
}

void TMMRichEditActionEx::Execute()
{
    QWidget *focus = QApplication::focusWidget();
    if (!HandlesTarget(focus))
        return;
    if (GetControl(focus))
        ExecuteTarget(focus);
}

TMMRichEditCheckActionEx::TMMRichEditCheckActionEx(QObject *parent)
    : TMMRichEditActionEx(parent)
{
    setCheckable(true);
}

void TMMRichEditCheckActionEx::UpdateTarget(QWidget *target)
{
    TMMRichEditActionEx::UpdateTarget(target);
    if (!isEnabled())
        return;
    if (TMMRxCustomRichEdit *edit = GetControl(target))
        setChecked(selectionChecked(edit));
}

// ---- character styles ----

void TMMRichEditBoldEx::ExecuteTarget(QWidget *target)
{
    setStyle(GetControl(target), fsBold, isChecked());
}
bool TMMRichEditBoldEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().Style().testFlag(fsBold);
}

void TMMRichEditItalicEx::ExecuteTarget(QWidget *target)
{
    setStyle(GetControl(target), fsItalic, isChecked());
}
bool TMMRichEditItalicEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().Style().testFlag(fsItalic);
}

void TMMRichEditUnderlineEx::ExecuteTarget(QWidget *target)
{
    setStyle(GetControl(target), fsUnderline, isChecked());
}
bool TMMRichEditUnderlineEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().Style().testFlag(fsUnderline);
}

void TMMRichEditStrikeOutEx::ExecuteTarget(QWidget *target)
{
    setStyle(GetControl(target), fsStrikeOut, isChecked());
}
bool TMMRichEditStrikeOutEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().Style().testFlag(fsStrikeOut);
}

// ---- bullets: by what the paragraph has, not by the check mark ----

void TMMRichEditBulletsEx::ExecuteTarget(QWidget *target)
{
    TRxParaAttributes &paragraph = GetControl(target)->Paragraph();
    paragraph.SetNumbering(paragraph.Numbering() == nsBullet ? nsNone : nsBullet);
}
bool TMMRichEditBulletsEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->Paragraph().Numbering() == nsBullet;
}

// ---- subscript and superscript ----

void TMMRichEditSubscriptEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->SelAttributes().SetSubscriptStyle(isChecked() ? Subscript : SubscriptNone);
}
bool TMMRichEditSubscriptEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().SubscriptStyle() == Subscript;
}

void TMMRichEditSubscriptNoneEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->SelAttributes().SetSubscriptStyle(SubscriptNone);
}
bool TMMRichEditSubscriptNoneEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().SubscriptStyle() == SubscriptNone;
}

void TMMRichEditSuperscriptEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->SelAttributes().SetSubscriptStyle(isChecked() ? Superscript : SubscriptNone);
}
bool TMMRichEditSuperscriptEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->SelAttributes().SubscriptStyle() == Superscript;
}

// ---- alignment ----

void TMMRichEditAlignLeftEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->Paragraph().SetAlignment(paLeftJustify);
}
bool TMMRichEditAlignLeftEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->Paragraph().Alignment() == paLeftJustify;
}

void TMMRichEditAlignRightEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->Paragraph().SetAlignment(paRightJustify);
}
bool TMMRichEditAlignRightEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->Paragraph().Alignment() == paRightJustify;
}

void TMMRichEditAlignCenterEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->Paragraph().SetAlignment(paCenter);
}
bool TMMRichEditAlignCenterEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->Paragraph().Alignment() == paCenter;
}

void TMMRichEditAlignJustifyEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->Paragraph().SetAlignment(paJustify);
}
bool TMMRichEditAlignJustifyEx::selectionChecked(TMMRxCustomRichEdit *edit) const
{
    return edit->Paragraph().Alignment() == paJustify;
}

// ---- dialogs ----

TMMRichEditFontEx::TMMRichEditFontEx(QObject *parent)
    : TMMRichEditActionEx(parent)
{}

TMMRichEditFontEx::~TMMRichEditFontEx() = default;

TRichEditFontDialog &TMMRichEditFontEx::Dialog()
{
    if (!m_dialog)
        m_dialog = std::make_unique<TRichEditFontDialog>();
    return *m_dialog;
}

void TMMRichEditFontEx::ExecuteTarget(QWidget *target)
{
    Dialog().Edit(GetControl(target)->SelAttributes());
}

void TMMRichEditFindEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->FindDialog(QString());
}

void TMMRichEditFindNextEx::UpdateTarget(QWidget *target)
{
    TMMRxCustomRichEdit *edit = GetControl(target);
    setEnabled(qobject_cast<TMMRxCustomRichEdit *>(target) && edit && edit->CanFindNext());
}

void TMMRichEditFindNextEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->FindNext();
}

void TMMRichEditReplaceEx::ExecuteTarget(QWidget *target)
{
    GetControl(target)->ReplaceDialog(QString(), QString());
}
