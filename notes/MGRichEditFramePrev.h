#pragma once
// The notes frame: any number of rich-text documents, one tab each, with the commands that create,
// open, save, close, search, format and print them: menu buttons, tool bars, a formatting bar with
// the font and size boxes, and a status bar with the modified mark, the caret's column and line and
// the file's path. The main window embeds one on the explorer bar's notes page and asks it, before it
// closes, to offer saving what was modified.
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class ActionUpdater;
class QAction;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QMenu;
class QPrinter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class TMMFontNameBox;
class TMMRxRichEditPrev;
class TMemIni;
class TPageScroller;
class TRichEditFontDialog;
class TUpDownNumEdit;
class TMMEditExAction;
class TMMRichEditActionEx;

class TMGRichEditFramePrev : public QWidget {
    Q_OBJECT
public:
    explicit TMGRichEditFramePrev(QWidget *parent = nullptr);
    ~TMGRichEditFramePrev() override;

    // ---- components ----
    QWidget *CoolBar1 = nullptr; // the bars above the documents
    QToolBar *tlbMenu = nullptr; // the three menu buttons
    QToolButton *tlbtnFile = nullptr;
    QToolButton *tlbtnEdit = nullptr;
    QToolButton *tlbtnText = nullptr;
    QToolBar *tlbToolbar = nullptr; // file commands
    QToolBar *ToolBar2 = nullptr;   // paste current address, edit commands
    QToolBar *ToolBar3 = nullptr;   // find, find next, replace
    TPageScroller *pgsText = nullptr;
    QToolBar *tlbText = nullptr; // the formatting bar
    TMMFontNameBox *fntcmbFont = nullptr;
    TUpDownNumEdit *UpDownNumEdit = nullptr;
    QTabWidget *PageControl = nullptr;
    QStatusBar *StatusBar = nullptr;
    QFileDialog *OpenDialog = nullptr;
    QFileDialog *SaveDialog = nullptr;
    TRichEditFontDialog *FontDialog = nullptr;
    QMenu *mniFile = nullptr;
    QMenu *mniEdit = nullptr;
    QMenu *mniText = nullptr;
    QMenu *mniFind = nullptr;
    QMenu *pmnRichEdit = nullptr;
    QAction *actFileNew = nullptr;
    QAction *actFileOpen = nullptr;
    QAction *actFileSave = nullptr;
    QAction *actFileSaveAs = nullptr;
    QAction *actFileSaveAll = nullptr;
    QAction *actFilePrint = nullptr;
    QAction *actFont = nullptr;
    QAction *actFilePrinterSetup = nullptr;
    QAction *actFilePrintDialog = nullptr;
    QAction *actFileClose = nullptr;
    QAction *actWordWrap = nullptr;
    QAction *actPrintPreview = nullptr;
    QAction *actPrintCurrentUrl = nullptr;
    TMMRichEditActionEx *MMRichEditBoldEx = nullptr;
    TMMRichEditActionEx *MMRichEditItalicEx = nullptr;
    TMMRichEditActionEx *MMRichEditUnderlineEx = nullptr;
    TMMRichEditActionEx *MMRichEditStrikeOutEx = nullptr;
    TMMRichEditActionEx *MMRichEditBulletsEx = nullptr;
    TMMRichEditActionEx *MMRichEditAlignLeftEx = nullptr;
    TMMRichEditActionEx *MMRichEditAlignRightEx = nullptr;
    TMMRichEditActionEx *MMRichEditAlignCenterEx = nullptr;
    TMMRichEditActionEx *MMRichEditAlignJustifyEx = nullptr;
    TMMRichEditActionEx *MMRichEditFontEx = nullptr;
    TMMRichEditActionEx *MMRichEditFindEx = nullptr;
    TMMRichEditActionEx *MMRichEditFindNextEx = nullptr;
    TMMRichEditActionEx *MMRichEditReplaceEx = nullptr;
    TMMRichEditActionEx *MMRichEditSubscriptEx = nullptr;
    TMMRichEditActionEx *MMRichEditSubscriptNoneEx = nullptr;
    TMMRichEditActionEx *MMRichEditSuperscriptEx = nullptr;
    TMMEditExAction *MMEditCutEx = nullptr;
    TMMEditExAction *MMEditCopyEx = nullptr;
    TMMEditExAction *MMEditPasteEx = nullptr;
    TMMEditExAction *MMEditSelectAllEx = nullptr;
    TMMEditExAction *MMEditUndoEx = nullptr;
    TMMEditExAction *MMEditDeleteEx = nullptr;
    TMMEditExAction *MMEditRedoEx = nullptr;

    // ---- published ----
    // The address the paste-current-address command pastes; the host fills it in
    // OnMGPrintCurrentUrlClick. The cite texts go before and after it.
    QString MGCurrentUrl;
    QString MGPostCiteStr;
    QString MGPreCiteStr;
    bool MGUrlPrintButtonVisible() const;
    void SetMGUrlPrintButtonVisible(bool value);
    std::function<void(TMGRichEditFramePrev *)> OnCreated;
    std::function<void(TMGRichEditFramePrev *)> OnMGPrintCurrentUrlClick;
    // A link in a document was clicked.
    std::function<void(QObject *sender, const QString &url, Qt::MouseButton button)> OnUrlClick;
    // The printer that prints and previews; it keeps the page set-up's margins while the program runs.
    QPrinter &Printer();

    // ---- documents ----
    // Adds an empty document in a tab of its own and makes it the active one.
    TMMRxRichEditPrev *NewDocument();
    // The document of the active tab.
    TMMRxRichEditPrev *ActiveEditor() const;
    // The documents in tab order.
    QList<TMMRxRichEditPrev *> Editors() const;
    // Removes the document of that tab without asking; the tab after it (or the first) becomes active.
    void CloseDocument(int index);
    // Opens the file in a new tab; false (with the reason shown) when it cannot be read, and the tab
    // is gone again. A read that lasts shows its progress, with a Cancel that drops the file (quietly).
    bool OpenFile(const QString &fileName);
    // How long (ms) a file is read before its progress shows.
    int LoadProgressDelay = 500;

    // ---- saving ----
    // False when the document was not written (no file name chosen, or the write failed and was shown).
    bool Save(TMMRxRichEditPrev *editor);
    bool SaveAs(TMMRxRichEditPrev *editor);
    // Saves every modified document in tab order; false at the first that is not saved.
    bool SaveAll();
    // Asks whether to save the document's changes; false means Cancel (or Yes and the save failed).
    bool QuerySave(TMMRxRichEditPrev *editor);
    bool AnyModified() const;
    // Offers to save each modified document, its tab shown; false when the user keeps the program open.
    bool CloseQueryAll();

    // ---- shown state ----
    void UpdateFileCaption(TMMRxRichEditPrev *editor);
    void MarkModified(TMMRxRichEditPrev *editor);
    void MarkSaved(TMMRxRichEditPrev *editor);
    // Binds the commands and the status panels to the active document.
    void PageControlChange();
    QString StatusPanelText(int index) const;

    // ---- printing ----
    // The page set-up, then the active document printed inside its margins.
    void PrintActive();
    void PreviewActive();
    // The print dialog, then PrintActive when it is confirmed.
    void PrintDialogExecute();
    void PrinterSetupExecute();

    // ---- formatting and caret ----
    // The font dialog for the active document's selection (face, colour, style and size); the
    // document gets the focus back either way.
    void actFontExecute();
    // The font and size boxes show the selection's face and size; the caret panel follows.
    void RichEditSelectionChange(TMMRxRichEditPrev *editor);
    // The face picked in the font box goes to the active document's selection.
    void fntcmbFontChange();
    // The size typed into the size box goes to the selection (only while the box has the focus).
    void UpDownNumEditChange();
    // Status panel 1: "column : line" of the selection start, both counted from 1.
    void UpdateCaretStatus(TMMRxRichEditPrev *editor);
    // Pastes the current address (from the host) between its cite texts, keeping the clipboard's text.
    void actPrintCurrentUrlExecute();
    void DoPrintCurrentUrlClick();

    // Applies the texts of section [RichEditFrame].
    virtual void ApplyLanguage(const TMemIni &table);

    // The language texts the frame uses itself (empty until the language is first applied).
    QString SaveChanges;
    QString Untitled;
    QString Modified;
    QString TextNotFound;
    QString DialogFilter;
    QString Opening; // the progress of a file being opened ("%s": its name)

protected:
    // A note's own keys (save, open, print, find) go to the frame's commands, not to the window's.
    bool event(QEvent *e) override;

private:
    void createActions();
    void createMenus();
    void createBars();
    void bindActions(TMMRxRichEditPrev *editor);
    QAction *frameCommandFor(const QKeyEvent *e) const;
    void applyTableFont(const TMemIni &table);
    void createDialogs();
    void setStatusPanel(int index, const QString &text);
    void updateSaveCommands();
    void showError(const QString &text);
    bool writeDocument(TMMRxRichEditPrev *editor, const QString &fileName);
    void openExecute();
    void closeExecute();
    void richEditChange(TMMRxRichEditPrev *editor);
    void richEditUndo(TMMRxRichEditPrev *editor);
    void textNotFound(const QString &findText);
    // Runs the print with the page set-up's margins (left, right, top, bottom, in hundredths of a
    // millimetre inside the minimum ones); a failure is shown.
    void printWithPageMargins(const std::function<void(int, int, int, int)> &print);

    // The edit commands follow the focused edit's selection, text and history as they change (once
    // the events of the change are handled), not only when the program goes idle.
    void followFocusedEdit(QWidget *now);
    void scheduleEditCommands();
    QList<QMetaObject::Connection> m_focusedEdit;
    bool m_editCommandsPending = false;
    // The document the font and size boxes show; a change the frame makes to show it is not written.
    TMMRxRichEditPrev *boxesTarget() const;
    QPointer<TMMRxRichEditPrev> m_boxesEditor;
    bool m_showingSelection = false;
    int m_documentCounter = 0;
    bool m_loading = false;
    QList<QLabel *> m_statusPanels;
    std::unique_ptr<QPrinter> m_printer;
    ActionUpdater *m_updater = nullptr;
    int m_charset = 0;
};
