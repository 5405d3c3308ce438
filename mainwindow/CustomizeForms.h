#pragma once
// What the three customise dialogs (links and search engines, tool buttons, mail-body lines) share:
// the OK, Cancel and Apply actions with their buttons, the apply pattern, the language table's font
// and button captions, and the rule for names the settings file can store.
//
// The apply pattern: Apply starts disabled and every change enables it; Apply hands the dialog to
// OnApply and disables itself; OK applies only when Apply is enabled and then closes with Accepted;
// Cancel only closes (what an earlier Apply stored stays stored). A dialog never writes settings.
#include <QDialog>
#include <QLineEdit>
#include <functional>

class ActionUpdater;
class QAction;
class QAbstractButton;
class QPushButton;
class QToolBar;
class TMemIni;

// Why a name cannot be a key of the settings file.
enum class TNameProblem {
    None,
    Empty,     // nothing but blanks
    LineBreak, // holds a line break
    Invalid,   // holds "=", or begins with "[" or ";"
    Nul,       // holds a NUL character, which no line of the file can hold
};
TNameProblem nameProblem(const QString &name);
// The refusal message for a name: text with its "%s" replaced by the name, a NUL shown as a visible sign.
QString refusalText(const QString &text, const QString &name);
// Blanks and tabs off both ends, as the settings file reads a name or a value back.
QString trimBlanks(const QString &s);
// Text up to its first line break (what a one-line field takes of pasted text).
QString firstLine(const QString &text);

// A one-line edit that takes of pasted or dropped text only what stands before its first line break
// (undo undoes the paste as usual); text that reaches it otherwise is cut the same way.
class TOneLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TOneLineEdit(QWidget *parent = nullptr);
    // Inserts the clipboard's first line at the cursor.
    void PasteLine();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString FLastText;
};

class TCustomizeForm : public QDialog {
    Q_OBJECT
public:
    // Called with the dialog whenever changes are applied.
    std::function<void(QDialog *sender)> OnApply;

    QAction *actOK = nullptr;
    QAction *actCancel = nullptr;
    QAction *actApply = nullptr;

    // Runs every action's update rule now (the event loop runs them whenever it goes idle).
    void UpdateActions();

protected:
    TCustomizeForm(QWidget *owner, Qt::WindowFlags flags);

    // A change the user made: Apply becomes enabled.
    void Changed();
    // Checked before OnApply runs: false refuses the apply (the dialog told the user why) and leaves
    // Apply enabled, so OK keeps the dialog open.
    virtual bool CanApply() { return true; }
    // [Font] to the form's font, [Const] OK, Cancel and Apply to the three actions.
    void ApplyFontAndButtons(const TMemIni &table);
    // A push button showing the action's caption and state and running it when clicked.
    static void BindButton(QAbstractButton *button, QAction *action);
    // A new action of this form, with its update rule (none when empty).
    QAction *NewAction(const char *name, std::function<void()> execute, std::function<bool()> enabled = {});
    // Tells the user why an apply was refused.
    void Refuse(const QString &text);
    // The tool bar ToolBar1 of the row commands, showing images only; null stands for a separator.
    QToolBar *NewToolBar(const QList<QAction *> &items);
    // Each action's image drawn from its glyph.
    static void SetGlyphs(const QList<std::pair<QAction *, const char *>> &glyphs);
    // The section's text under each action's name becomes its caption and hint.
    static void ApplyHints(const TMemIni &table, const QString &section, const QList<QAction *> &actions);
    // A push button bound to the action; Enter belongs to the dialog's list, so it is never the default.
    QPushButton *NewButton(const char *name, QAction *action);
    // The dialog's layout: the widgets from top to bottom (the one at stretchAt growing), then the line
    // Bevel1 and the buttons at the right.
    void LayOut(const QList<QWidget *> &widgets, int stretchAt, const QList<QPushButton *> &buttons);

    ActionUpdater *Updater = nullptr;

private:
    void actOKExecute();
    void actApplyExecute();
};

// A small tool-bar image drawn from a glyph, for the dialogs' row commands.
QIcon glyphIcon(const QString &glyph);
