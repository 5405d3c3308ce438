#include "browser/FindDialogs.h"

#include "browser/IEBrowsers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFindDialog::TFindDialog(TIEBrowser *browser)
    : QDialog(browser, Qt::Tool)
    , m_browser(browser)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(tr("Find"));
    setModal(false);
    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(tr("Fi&nd what:"), this);
    grid->addWidget(label, 0, 0);
    m_text = new QLineEdit(this);
    label->setBuddy(m_text);
    grid->addWidget(m_text, 0, 1);
    m_next = new QPushButton(tr("&Find Next"), this);
    // Enter in the text box presses this button: one search per Enter
    m_next->setDefault(true);
    grid->addWidget(m_next, 0, 2);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    grid->addWidget(m_matchCase, 1, 1);
    m_previous = new QPushButton(tr("Find &Previous"), this);
    grid->addWidget(m_previous, 1, 2);
    m_result = new QLabel(this);
    grid->addWidget(m_result, 2, 0, 1, 2);
    auto *close = new QPushButton(tr("Close"), this);
    grid->addWidget(close, 2, 2);

    connect(m_next, &QPushButton::clicked, this, &TFindDialog::findNext);
    connect(m_previous, &QPushButton::clicked, this, &TFindDialog::findPrevious);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &t) {
        m_next->setEnabled(!t.isEmpty());
        m_previous->setEnabled(!t.isEmpty());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser, &TIEBrowser::FindComplete, this, &TFindDialog::showResult);
    m_next->setEnabled(false);
    m_previous->setEnabled(false);
}

void TFindDialog::findNext()
{
    if (!m_text->text().isEmpty())
        m_browser->FindText(m_text->text(), false, m_matchCase->isChecked());
}

void TFindDialog::findPrevious()
{
    if (!m_text->text().isEmpty())
        m_browser->FindText(m_text->text(), true, m_matchCase->isChecked());
}

namespace {

bool isPlainEsc(const QEvent *event)
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

} // namespace

bool TFindDialog::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isPlainEsc(event)) {
        event->accept(); // the key press comes to the dialog instead of a shortcut
        return true;
    }
    return QDialog::event(event);
}

void TFindDialog::keyPressEvent(QKeyEvent *event)
{
    if (isPlainEsc(event)) {
        close(); // as the Close button: the page's highlight goes too
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFindDialog::closeEvent(QCloseEvent *event)
{
    // the page's highlight goes with the dialog
    m_browser->FindText(QString(), false, false);
    m_result->clear();
    QDialog::closeEvent(event);
}

void TFindDialog::showResult(int matches, int activeMatch)
{
    if (m_text->text().isEmpty())
        m_result->clear();
    else if (matches == 0)
        m_result->setText(tr("Cannot find \"%1\".").arg(m_text->text()));
    else
        m_result->setText(tr("Match %1 of %2").arg(activeMatch).arg(matches));
}
