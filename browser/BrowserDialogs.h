#pragma once
// The modal dialogs and message boxes the browser control shows. Each is built here and run through
// the program's dialog runner (platform/DialogRunner.h), so a test's runner answers them all.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

class TBrowserDialogs {
public:
    // A message box; returns the pressed button.
    QMessageBox::StandardButton messageBox(QWidget *parent, const QString &caption, const QString &text,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton);
    // A one-line text question; false when cancelled.
    bool prompt(QWidget *parent, const QString &caption, const QString &text, QString &value);
    // A save-file dialog; returns the chosen path (empty when cancelled) and the chosen filter. The
    // dialog runs modal, or through run when given (a page's own question, runForPage).
    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                         const QStringList &filters, QString *selectedFilter,
                         const std::function<int(QDialog &)> &run = {});
    // User name and password for a site or proxy; false when cancelled.
    bool credentials(QWidget *parent, const QString &caption, const QString &text, QString &user, QString &password);
    bool printDialog(QWidget *parent, QPrinter &printer);
    // Paper, orientation and margins in the printer; header and footer (page-setup codes) edited in place.
    bool pageSetupDialog(QWidget *parent, QPrinter &printer, QString &header, QString &footer);
    // Runs a modal dialog the control built (print preview, properties, internet options).
    int exec(QDialog &dialog);
    // Runs a dialog of the page's scripts (alert, confirm, prompt), which waits for the user without
    // blocking the program: the page takes no input until the dialog is answered, while every other
    // window (its own caption and close box too) keeps working; a dialog made for the page itself is
    // moved to the page's window, so it is not held with the page. Returns the dialog's result.
    int runForPage(QWidget *page, QDialog &dialog);
};

TBrowserDialogs &browserDialogs();

class QInputDialog;
// Sets a one-line text question's caption, question and first answer; the question shows as plain
// text, so markup in it (a page's prompt) never loads images or draws links.
void setUpTextQuestion(QInputDialog &dialog, const QString &caption, const QString &text, const QString &value);
