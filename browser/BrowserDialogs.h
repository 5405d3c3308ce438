#pragma once
// The modal dialogs and message boxes the browser control shows, behind one replaceable object so
// that tests can answer them. The default object shows the real dialogs.
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

class TBrowserDialogs {
public:
    virtual ~TBrowserDialogs();

    // A message box; returns the pressed button.
    virtual QMessageBox::StandardButton messageBox(QWidget *parent, const QString &caption, const QString &text,
                                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton);
    // A one-line text question; false when cancelled.
    virtual bool prompt(QWidget *parent, const QString &caption, const QString &text, QString &value);
    // A save-file dialog; returns the chosen path (empty when cancelled) and the chosen filter.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                                 const QStringList &filters, QString *selectedFilter);
    // User name and password for a site or proxy; false when cancelled.
    virtual bool credentials(QWidget *parent, const QString &caption, const QString &text, QString &user,
                             QString &password);
    virtual bool printDialog(QWidget *parent, QPrinter &printer);
    // Paper, orientation and margins in the printer; header and footer (page-setup codes) edited in place.
    virtual bool pageSetupDialog(QWidget *parent, QPrinter &printer, QString &header, QString &footer);
    // Runs a modal dialog the control built (print preview, properties, internet options).
    virtual int exec(QDialog &dialog);
    // Runs a dialog of the page's scripts (alert, confirm, prompt), which waits for the user without
    // blocking the program: the page takes no input until the dialog is answered, while every other
    // window (its own caption and close box too) keeps working. Returns the dialog's result.
    virtual int runForPage(QWidget *page, QDialog &dialog);
};

// The object in use; never null.
TBrowserDialogs &browserDialogs();
// Replaces it (null gives back the default); the caller keeps ownership.
void setBrowserDialogs(TBrowserDialogs *dialogs);
