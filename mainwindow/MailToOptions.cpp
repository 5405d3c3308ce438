#include "mainwindow/MailToOptions.h"

#include "mainwindow/EditCheckListViews.h"
#include "platform/TextRules.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

TfrmMailToOptions::TfrmMailToOptions(QWidget *owner)
    : TCustomizeForm(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                Qt::WindowMaximizeButtonHint)
{
    setObjectName(QStringLiteral("frmMailToOptions"));
    resize(465, 346);
    FNameInvalidText = QStringLiteral("The line \"%s\" cannot be stored: it must not contain \"=\" nor begin with "
                                      "\"[\" or \";\".");
    FNameRepeatedText = QStringLiteral("The line \"%s\" is already in the list.");
    FNameNulText = QStringLiteral("The line \"%s\" cannot be stored: it holds a NUL character (code 0), which the "
                                  "settings file cannot hold.");

    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    EditCheckListView = new TEditCheckListView(this);
    EditCheckListView->setObjectName(QStringLiteral("EditCheckListView"));
    auto changed = [this](auto &&...) { Changed(); };
    EditCheckListView->OnStringsChange = changed;
    EditCheckListView->OnCheckedChange = changed;
    EditCheckListView->OnDeletion = changed;
    EditCheckListView->TextAllowed = [](const QString &text) { return nameProblem(text) == TNameProblem::None; };
    EditCheckListView->OnEditRefused = [this](TEditCheckListView *, int, const QString &text, TEditRefusal why) {
        const QString &message = why == TEditRefusal::Repeated            ? FNameRepeatedText
                                 : nameProblem(text) == TNameProblem::Nul ? FNameNulText
                                                                          : FNameInvalidText;
        Refuse(refusalText(message, text));
    };

    auto selected = [this] { return EditCheckListView->SelectedIndex(); };
    actInsert = NewAction("actInsert", [this] { actInsertExecute(); });
    actAppend = NewAction("actAppend", [this] { actAppendExecute(); });
    actDelete = NewAction(
        "actDelete", [this] { actDeleteExecute(); }, [selected] { return selected() >= 0; });
    actUp = NewAction(
        "actUp", [this] { Move(-1); }, [selected] { return selected() > 0; });
    actDown = NewAction(
        "actDown", [this] { Move(1); },
        [this, selected] { return selected() >= 0 && selected() < EditCheckListView->count() - 1; });
    SetGlyphs({{actInsert, "+"}, {actAppend, "\u21A7"}, {actDelete, "\u2212"}, {actUp, "\u25B2"}, {actDown, "\u25BC"}});
    ToolBar1 = NewToolBar({actInsert, actAppend, actDelete, nullptr, actUp, actDown});
    btbtnOK = NewButton("btbtnOK", actOK);
    btbtnCancel = NewButton("btbtnCancel", actCancel);
    btbtnApply = NewButton("btbtnApply", actApply);
    LayOut({lblNote, ToolBar1, EditCheckListView}, 2, {btbtnOK, btbtnCancel, btbtnApply});
    Bevel1 = findChild<QFrame *>(QStringLiteral("Bevel1"));
}

TfrmMailToOptions::~TfrmMailToOptions()
{
    // the list's events reach this form: none may run while the form's members go
    EditCheckListView->OnStringsChange = nullptr;
    EditCheckListView->OnCheckedChange = nullptr;
    EditCheckListView->OnDeletion = nullptr;
    EditCheckListView->OnEditRefused = nullptr;
}

void TfrmMailToOptions::ApplyLanguage(const TMemIni &table)
{
    const QString section = QStringLiteral("MailToOptions");
    ApplyFontAndButtons(table);
    setWindowTitle(table.ReadString(section, QStringLiteral("Caption"), QString()));
    lblNote->setText(table.ReadString(section, QStringLiteral("lblNote"), QString()));
    ApplyHints(table, section, {actInsert, actAppend, actDelete, actUp, actDown});
    FNameInvalidText = table.ReadString(section, QStringLiteral("NameInvalid"), FNameInvalidText);
    FNameRepeatedText = table.ReadString(section, QStringLiteral("NameRepeated"), FNameRepeatedText);
    FNameNulText = table.ReadString(section, QStringLiteral("NameNul"), FNameNulText);
}

void TfrmMailToOptions::SetStrings(const QStringList &entries)
{
    TEditCheckListStrings *lines = EditCheckListView->Strings();
    lines->Clear();
    for (const QString &entry : entries) {
        const QString name = textrules::lineName(entry);
        if (name.isEmpty())
            continue; // an empty line would open an editor; the file has none
        if (lines->Add(name) < 0)
            continue; // the first entry of a name decides its tick
        lines->SetChecked(lines->GetCount() - 1, textrules::lineValue(entry) == u"1");
    }
    actApply->setEnabled(false);
}

QStringList TfrmMailToOptions::GetStrings() const
{
    const TEditCheckListStrings *lines = EditCheckListView->Strings();
    QStringList result;
    for (int i = 0; i < lines->GetCount(); ++i)
        result.append(lines->Get(i) + (lines->GetChecked(i) ? QStringLiteral("=1") : QStringLiteral("=0")));
    return result;
}

void TfrmMailToOptions::actInsertExecute()
{
    EditCheckListView->Strings()->Insert(EditCheckListView->SelectedIndex(), QString());
}

void TfrmMailToOptions::actAppendExecute()
{
    EditCheckListView->Strings()->Add(QString());
}

void TfrmMailToOptions::actDeleteExecute()
{
    const int index = EditCheckListView->SelectedIndex();
    if (index >= 0)
        EditCheckListView->Strings()->Delete(index);
}

void TfrmMailToOptions::Move(int delta)
{
    const int index = EditCheckListView->SelectedIndex();
    if (index >= 0)
        EditCheckListView->Strings()->MoveItem(index, index + delta);
}
