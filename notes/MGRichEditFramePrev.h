#pragma once
// The notes frame: any number of rich-text documents, one tab each, with the commands that create,
// open, save, close, search and print them. The main window embeds one on the explorer bar's notes
// page and asks it, before it closes, to offer saving what was modified.
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class ActionUpdater;
class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QPrinter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class TMMRxRichEditPrev;
class TMemIni;

class TMGRichEditFramePrev : public QWidget {
    Q_OBJECT
public:
    explicit TMGRichEditFramePrev(QWidget *parent = nullptr);
    ~TMGRichEditFramePrev() override;

    // ---- components ----
    QWidget *CoolBar1 = nullptr; // the bars above the documents
    QToolBar *tlbToolbar = nullptr;
    QToolBar *ToolBar3 = nullptr; // find, find next, replace
    QTabWidget *PageControl = nullptr;
    QStatusBar *StatusBar = nullptr;
    QFileDialog *OpenDialog = nullptr;
    QFileDialog *SaveDialog = nullptr;
    QMenu *pmnRichEdit = nullptr;
    QAction *actFileNew = nullptr;
    QAction *actFileOpen = nullptr;
    QAction *actFileSave = nullptr;
    QAction *actFileSaveAs = nullptr;
    QAction *actFileSaveAll = nullptr;
    QAction *actFileClose = nullptr;
    QAction *actFilePrint = nullptr;
    QAction *actPrintPreview = nullptr;
    QAction *MMRichEditFindEx = nullptr;
    QAction *MMRichEditFindNextEx = nullptr;
    QAction *MMRichEditReplaceEx = nullptr;
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
    // is gone again.
    bool OpenFile(const QString &fileName);

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

    // Applies the texts of section [RichEditFrame].
    virtual void ApplyLanguage(const TMemIni &table);

    // The language texts the frame uses itself (empty until the language is first applied).
    QString SaveChanges;
    QString Untitled;
    QString Modified;
    QString TextNotFound;
    QString DialogFilter;

private:
    void createActions();
    void createBars();
    void createDialogs();
    void setStatusPanel(int index, const QString &text);
    void updateSaveAll();
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

    int m_documentCounter = 0;
    bool m_loading = false;
    QList<QLabel *> m_statusPanels;
    std::unique_ptr<QPrinter> m_printer;
    ActionUpdater *m_updater = nullptr;
};
