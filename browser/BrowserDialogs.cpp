#include "browser/BrowserDialogs.h"

#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

QMessageBox::StandardButton TBrowserDialogs::messageBox(QWidget *parent, const QString &caption, const QString &text,
                                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton)
{
    // the program's message boxes, where their button sets and default fit
    using namespace messageboxes;
    unsigned flags = OK;
    if (buttons == (QMessageBox::Ok | QMessageBox::Cancel))
        flags = OKCancel;
    else if (buttons == (QMessageBox::Yes | QMessageBox::No))
        flags = YesNo;
    else if (buttons == (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel))
        flags = YesNoCancel;
    const bool fits = (flags != OK || buttons == QMessageBox::Ok) &&
                      (defaultButton == QMessageBox::NoButton || defaultButton == QMessageBox::Ok ||
                       defaultButton == QMessageBox::Yes);
    if (fits) {
        switch (icon) {
        case QMessageBox::Critical:
            flags |= IconStop;
            break;
        case QMessageBox::Question:
            flags |= IconQuestion;
            break;
        case QMessageBox::Warning:
            flags |= IconExclamation;
            break;
        case QMessageBox::Information:
            flags |= IconInformation;
            break;
        default:
            break;
        }
        return QMessageBox::StandardButton(buttonOf(show(parent, text, caption, flags)));
    }
    // a box whose safe answer is the default (a permission question defaults to No)
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setTextFormat(Qt::PlainText);
    messageboxes::fitCaption(box);
    return static_cast<QMessageBox::StandardButton>(dialogrunner::exec(box));
}

void setUpTextQuestion(QInputDialog &dialog, const QString &caption, const QString &text, const QString &value)
{
    dialog.setWindowTitle(caption);
    dialog.setLabelText(text); // makes the dialog's one label
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(value);
}

bool TBrowserDialogs::prompt(QWidget *parent, const QString &caption, const QString &text, QString &value)
{
    QInputDialog dialog(parent);
    setUpTextQuestion(dialog, caption, text, value);
    if (dialogrunner::exec(dialog) != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

QString TBrowserDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                                      const QStringList &filters, QString *selectedFilter,
                                      const std::function<int(QDialog &)> &run)
{
    QFileDialog dialog(parent, caption, suggestedPath, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    const int result = run ? run(dialog) : dialogrunner::exec(dialog);
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

bool TBrowserDialogs::credentials(QWidget *parent, const QString &caption, const QString &text, QString &user,
                                  QString &password)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("credentials"));
    dialog.setWindowTitle(caption);
    auto *form = new QFormLayout(&dialog);
    auto *label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    form->addRow(label);
    auto *userEdit = new QLineEdit(user, &dialog);
    userEdit->setObjectName(QStringLiteral("user"));
    auto *passwordEdit = new QLineEdit(&dialog);
    passwordEdit->setObjectName(QStringLiteral("password"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    form->addRow(QObject::tr("User name:"), userEdit);
    form->addRow(QObject::tr("Password:"), passwordEdit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialogrunner::exec(dialog) != QDialog::Accepted)
        return false;
    user = userEdit->text();
    password = passwordEdit->text();
    return true;
}

bool TBrowserDialogs::printDialog(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialogrunner::exec(dialog) == QDialog::Accepted;
}

bool TBrowserDialogs::pageSetupDialog(QWidget *parent, QPrinter &printer, QString &header, QString &footer)
{
    QPageSetupDialog dialog(&printer, parent);
    // the header and footer join the paper settings, above the dialog's buttons
    auto *group = new QGroupBox(QObject::tr("Header and footer"), &dialog);
    auto *form = new QFormLayout(group);
    auto *headerEdit = new QLineEdit(header, group);
    headerEdit->setObjectName(QStringLiteral("HeaderEdit"));
    auto *footerEdit = new QLineEdit(footer, group);
    footerEdit->setObjectName(QStringLiteral("FooterEdit"));
    form->addRow(QObject::tr("&Header:"), headerEdit);
    form->addRow(QObject::tr("&Footer:"), footerEdit);
    if (auto *column = qobject_cast<QBoxLayout *>(dialog.layout()))
        column->insertWidget(std::max(0, column->count() - 1), group);
    else
        group->hide();
    if (exec(dialog) != QDialog::Accepted)
        return false;
    if (!group->isHidden()) {
        header = headerEdit->text();
        footer = footerEdit->text();
    }
    return true;
}

int TBrowserDialogs::exec(QDialog &dialog)
{
    return dialogrunner::exec(dialog);
}

int TBrowserDialogs::runForPage(QWidget *page, QDialog &dialog)
{
    return dialogrunner::run(dialog, [page](QDialog &shown) {
        QPointer<QWidget> guard(page);
        shown.setWindowModality(Qt::NonModal);
        // the page is held while its question is open: a question made for the page itself (a
        // download's save dialog) would be held with it, shown but taking no input, so it is moved to
        // the page's window
        for (QWidget *up = shown.parentWidget(); page && up; up = up->parentWidget()) {
            if (up == page) {
                shown.setParent(page->window(), shown.windowFlags());
                break;
            }
        }
        QEventLoop loop;
        QObject::connect(&shown, &QDialog::finished, &loop, &QEventLoop::quit);
        if (page)
            page->setEnabled(false);
        shown.show();
        shown.raise();
        shown.activateWindow();
        // a dialog ended while it was being shown has finished already
        if (shown.isVisible())
            loop.exec(QEventLoop::DialogExec);
        if (guard)
            guard->setEnabled(true);
        return shown.result();
    });
}

TBrowserDialogs &browserDialogs()
{
    static TBrowserDialogs dialogs;
    return dialogs;
}
