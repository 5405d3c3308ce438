#include "notes/RichEditFindDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TRichEditFindDialog::TRichEditFindDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(tr("Find"));
    setModal(false);
    auto *outer = new QHBoxLayout(this);
    m_form = new QGridLayout;
    outer->addLayout(m_form, 1);
    m_buttonColumn = new QVBoxLayout;
    outer->addLayout(m_buttonColumn);

    m_findText = new QLineEdit(this);
    m_findText->setObjectName(QStringLiteral("edtFindText"));
    auto *label = new QLabel(tr("Fi&nd what:"), this);
    label->setBuddy(m_findText);
    m_form->addWidget(label, 0, 0);
    m_form->addWidget(m_findText, 0, 1);

    auto *options = new QVBoxLayout;
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    auto *direction = new QGroupBox(tr("Direction"), this);
    m_direction = direction;
    auto *directionRow = new QHBoxLayout(direction);
    m_up = new QRadioButton(tr("&Up"), direction);
    m_down = new QRadioButton(tr("&Down"), direction);
    m_down->setChecked(true);
    directionRow->addWidget(m_up);
    directionRow->addWidget(m_down);
    auto *optionRow = new QHBoxLayout;
    optionRow->addLayout(options);
    optionRow->addWidget(direction);
    m_form->addLayout(optionRow, 2, 0, 1, 2);
    m_form->setRowStretch(3, 1);

    m_findNext = new QPushButton(tr("&Find Next"), this);
    m_findNext->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    m_buttonColumn->addWidget(m_findNext);
    m_buttonColumn->addWidget(cancel);
    m_buttonColumn->addStretch();

    connect(m_findNext, &QPushButton::clicked, this, &TRichEditFindDialog::ClickFindNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_findText, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    updateButtons();
}

QString TRichEditFindDialog::FindText() const
{
    return m_findText->text();
}

void TRichEditFindDialog::SetFindText(const QString &text)
{
    m_findText->setText(text);
}

TFindOptions TRichEditFindDialog::Options() const
{
    TFindOptions o = m_flags;
    if (m_down->isChecked() || m_flags.testFlag(frHideUpDown))
        o |= frDown;
    if (m_matchCase->isChecked())
        o |= frMatchCase;
    if (m_wholeWord->isChecked())
        o |= frWholeWord;
    return o;
}

void TRichEditFindDialog::SetOptions(TFindOptions options)
{
    m_flags = options & (frHideUpDown | frReplace | frReplaceAll);
    m_down->setChecked(options.testFlag(frDown));
    m_up->setChecked(!options.testFlag(frDown));
    m_matchCase->setChecked(options.testFlag(frMatchCase));
    m_wholeWord->setChecked(options.testFlag(frWholeWord));
    m_direction->setVisible(!options.testFlag(frHideUpDown));
}

void TRichEditFindDialog::Execute()
{
    show();
    raise();
    activateWindow();
    m_findText->setFocus();
    m_findText->selectAll();
}

void TRichEditFindDialog::ClickFindNext()
{
    if (FindText().isEmpty())
        return; // an empty text is never searched for
    m_flags &= ~TFindOptions(frReplace | frReplaceAll);
    if (OnFind)
        OnFind(this);
}

void TRichEditFindDialog::done(int result)
{
    QDialog::done(result);
    if (OnClose)
        OnClose(this);
}

void TRichEditFindDialog::updateButtons()
{
    m_findNext->setEnabled(!FindText().isEmpty());
}

TRichEditReplaceDialog::TRichEditReplaceDialog(QWidget *parent)
    : TRichEditFindDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(tr("Replace"));
    m_replaceText = new QLineEdit(this);
    m_replaceText->setObjectName(QStringLiteral("edtReplaceText"));
    auto *label = new QLabel(tr("Re&place with:"), this);
    label->setBuddy(m_replaceText);
    m_form->addWidget(label, 1, 0);
    m_form->addWidget(m_replaceText, 1, 1);
    setTabOrder(m_findText, m_replaceText);

    m_replace = new QPushButton(tr("&Replace"), this);
    m_replaceAll = new QPushButton(tr("Replace &All"), this);
    m_buttonColumn->insertWidget(1, m_replace);
    m_buttonColumn->insertWidget(2, m_replaceAll);
    connect(m_replace, &QPushButton::clicked, this, &TRichEditReplaceDialog::ClickReplace);
    connect(m_replaceAll, &QPushButton::clicked, this, &TRichEditReplaceDialog::ClickReplaceAll);
    updateButtons();
}

QString TRichEditReplaceDialog::ReplaceText() const
{
    return m_replaceText->text();
}

void TRichEditReplaceDialog::SetReplaceText(const QString &text)
{
    m_replaceText->setText(text);
}

void TRichEditReplaceDialog::ClickReplace()
{
    fireReplace(frReplace);
}

void TRichEditReplaceDialog::ClickReplaceAll()
{
    fireReplace(frReplaceAll);
}

void TRichEditReplaceDialog::fireReplace(TFindOption which)
{
    if (FindText().isEmpty())
        return;
    SetOptions((Options() & ~TFindOptions(frReplace | frReplaceAll)) | which);
    if (OnReplace)
        OnReplace(this);
}

void TRichEditReplaceDialog::updateButtons()
{
    TRichEditFindDialog::updateButtons();
    if (m_replace) {
        m_replace->setEnabled(!FindText().isEmpty());
        m_replaceAll->setEnabled(!FindText().isEmpty());
    }
}
