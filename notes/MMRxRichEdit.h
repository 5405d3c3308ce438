#pragma once
// The rich-text edit control of the notes editor. The engine is a QTextEdit over a QTextDocument;
// positions count UTF-16 units, one for a paragraph break and one for an inline object. A "line" is a
// paragraph for Lines, and a line as the control shows it (wrapped) for the line and caret queries.
#include "notes/MMRxRichEditAttributes.h"
#include "notes/MMRxRichEditStrings.h"
#include "notes/RichEditFindDialogs.h"

#include <QColor>
#include <QFlags>
#include <QMargins>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTextEdit>
#include <functional>
#include <memory>

class QPrinter;
class QTextBlock;
namespace richedit {
class TOpenedObjectCopies;
class TParagraphNumbers;
class TShownHeight;
class TShownLines;
} // namespace richedit

enum TRichLangOption { rlAutoKeyboard = 1, rlAutoFont = 2, rlImeCancelComplete = 4, rlImeAlwaysSendNotify = 8 };
Q_DECLARE_FLAGS(TRichLangOptions, TRichLangOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRichLangOptions)

enum TRichSelectionTypeFlag { stText = 1, stObject = 2, stMultiChar = 4, stMultiObject = 8 };
Q_DECLARE_FLAGS(TRichSelectionType, TRichSelectionTypeFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRichSelectionType)

enum TRichSearchType { stWholeWord = 1, stMatchCase = 2, stBackward = 4, stSetSelection = 8 };
Q_DECLARE_FLAGS(TRichSearchTypes, TRichSearchType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRichSearchTypes)

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// What kind of edit asked to change protected text; handed to OnProtectChangeEx.
enum class TRichEditChangeKind { Typing, Delete, Cut, Paste, Drop, InputMethod, Replace };
struct TRichEditChangeRequest {
    TRichEditChangeKind Kind = TRichEditChangeKind::Replace;
    QString NewText; // the text that would be inserted, as far as it is known
};

class TMMRxCustomRichEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TMMRxCustomRichEdit(QWidget *parent = nullptr);
    ~TMMRxCustomRichEdit() override;

    // ---- events (each called only when assigned) ----
    std::function<void(TMMRxCustomRichEdit *)> OnChange;
    std::function<void(TMMRxCustomRichEdit *)> OnSelectionChange;
    std::function<void(TMMRxCustomRichEdit *, const QRect &)> OnResizeRequest;
    std::function<void(TMMRxCustomRichEdit *, int startPos, int endPos, bool &allowChange)> OnProtectChange;
    std::function<void(TMMRxCustomRichEdit *, const TRichEditChangeRequest &, int startPos, int endPos,
                       bool &allowChange)>
        OnProtectChangeEx;
    std::function<void(TMMRxCustomRichEdit *, int numObjects, int numChars, bool &saveClipboard)> OnSaveClipboard;
    std::function<void(TMMRxCustomRichEdit *, const QString &urlText, Qt::MouseButton button)> OnURLClick;
    std::function<void(TMMRxCustomRichEdit *)> OnUndo;
    std::function<void(TMMRxCustomRichEdit *)> OnModifyChanged;
    // A search found nothing; when assigned, it replaces the built-in message.
    std::function<void(TMMRxCustomRichEdit *, const QString &findText)> OnTextNotFound;
    std::function<void(TMMRxCustomRichEdit *, TRichEditFindDialog *)> OnCloseFindDialog;

    // ---- document ----
    QString FileName;
    bool Named = false;
    TRxTextAttributes &SelAttributes() { return *m_selAttributes; }
    TRxTextAttributes &DefAttributes() { return *m_defAttributes; }
    TRxTextAttributes &WordAttributes() { return *m_wordAttributes; }
    TRxParaAttributes &Paragraph() { return *m_paragraph; }
    TRichEditStrings &Lines() { return *m_lines; }
    void SetLines(const QStringList &lines) { m_lines->Assign(lines); }

    // Text length without the document's final paragraph end.
    int TextLength() const;
    // The whole text, paragraphs separated by "\n".
    QString Text() const;

    bool Modified() const;
    // Sets the flag and fires OnModifyChanged (typing changes the flag without the event).
    void SetModified(bool value);
    // Empties the document, resets Modified (with its event), FileName and Named.
    virtual void Clear();
    // Empties the document and nothing else.
    void ResetDocument();
    // An empty document with this control's settings (default font, margins, text options), shown
    // nowhere: a whole-document read builds into it aside, so a read that fails or is stopped leaves the
    // control as it was.
    std::unique_ptr<QTextDocument> CreateDocument() const;
    // Shows the document in place of the current one, which goes with its undo history (and the opened
    // copies of its objects). It is laid out from the top as far as it is shown, the rest while the
    // program is idle; the caret goes to its start. Change events are not fired.
    void AdoptDocument(std::unique_ptr<QTextDocument> doc);
    // Lays the whole document out now, in slices, telling progress how far it is (characters laid out
    // of all); false when progress stopped it (the rest is then laid out while the program is idle).
    bool LayOutDocument(const std::function<bool(qint64 done, qint64 total)> &progress);
    // Qt lays a document out on pages 2^23 - 1 pixels high and may loop for ever moving a line that
    // crosses the first page's end onto the next: a document this control shows stays well short of that
    // height. Whatever would make it taller is refused with its reason (an opened note, a paste or drop,
    // a file read into the selection, typing, a replacement), and narrowing the window or turning
    // wrapping on never wraps it narrower than the width at which it stays short enough.
    static constexpr qreal MaxDocumentHeight = 7500000;
    // About how tall the document would be shown at this control's window width, and in how many lines
    // (richedit::TShownHeight). Linear in the document's text; nothing is laid out.
    qreal ShownHeight(const QTextDocument &doc, qint64 *lines = nullptr) const;
    // A measure of text that would come into the document: the width and wrapping of its lines now.
    std::unique_ptr<richedit::TShownHeight> MeasureIncoming() const;
    // How tall the document would be with [start, end) replaced by what incoming measured: the layout's
    // height without the lines of the text replaced, and what comes; lines: about how many lines.
    qreal HeightWith(int start, int end, const richedit::TShownHeight &incoming, qint64 *lines = nullptr) const;
    // The reason a document (change: a change that would make the document) about that high in that many
    // lines, taller than MaxDocumentHeight, is refused.
    static QString TooLongText(qreal height, qint64 lines, bool change);

    // ---- selection and text ----
    void GetSelection(int &cpMin, int &cpMax) const;
    void SetSelection(int startPos, int endPos, bool scrollCaret);
    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    QString SelText() const;
    // Replaces the selection (protected text is asked about first) and leaves the new text selected.
    void SetSelText(const QString &value);
    // Copies min(bufSize, length of SelText) characters and a terminating zero; returns the count.
    int GetSelTextBuf(QChar *buffer, int bufSize) const;
    QString GetTextRange(int startPos, int endPos) const;
    // The shown line (a wrapped paragraph has several) holding the character, counted from 0.
    int LineFromChar(int charIndex) const;
    // Start of shown line lineNo (-1: the caret's line), or -1 when there is no such line.
    int GetLineIndex(int lineNo) const;
    // Length of the shown line holding the character, without a paragraph break.
    int GetLineLength(int charIndex) const;
    // X = column, Y = line of the selection's end.
    QPoint GetCaretPos() const;
    // Top-left of the character's place in the viewport.
    QPoint GetCharPos(int charIndex) const;
    TRichSelectionType SelectionType() const;
    // Inserts an inline object in place of the selection.
    void InsertObject(const TRichObject &object);
    TRichObject ObjectAt(int position) const;
    // A message of the object commands: a stop box with the program's title.
    void ShowObjectMessage(const QString &text);
    // The position of the selected object, or -1 when the selection is not exactly one object.
    int SelectedObject() const;
    // Puts the object in place of the one at position (undoable; the document becomes modified).
    bool ReplaceObject(int position, const TRichObject &object);
    // Performs a verb (richedit::ObjectVerbs) of the object at position; false when it could not.
    bool DoObjectVerb(int position, int verb);
    // The menu a right click shows: the pop-up menu (or the standard one when given) with the
    // selected object's verbs and its properties entry.
    QMenu *GetPopupMenu() { return objectMenu(m_popupMenu); }
    // The selected object's properties; true when the dialog ended with OK.
    bool ObjectPropertiesDialog();
    // Closes every object, the last one first: the private copies of opened files go.
    void CloseObjects();
    // Where the private copies of opened embedded files are (empty before the first).
    QString ObjectCopiesFolder() const;

    // ---- editing commands (every one that changes text checks protected text) ----
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    bool CanPaste() const;
    // True for data the document can keep: its own copies, rich text through the codec, pictures,
    // files and plain text; never HTML.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    // Deletes the selection.
    void ClearSelection();
    void SelectAllText();

    // ---- find and replace ----
    // Position of the first match of searchStr within the range, or -1; an empty text is never found.
    // Forward the range runs from startPos over |length| characters; with stBackward it runs from
    // startPos back toward the start over |length| characters, and the match nearest startPos counts.
    int FindText(const QString &searchStr, int startPos, int length, TRichSearchTypes options);
    // Shows the control's own find (replace) dialog, created on first use; a non-empty text presets it.
    TRichEditFindDialog *FindDialog(const QString &searchStr);
    TRichEditReplaceDialog *ReplaceDialog(const QString &searchStr, const QString &replaceStr);
    // A dialog was used and its find text is not empty.
    bool CanFindNext() const;
    // Searches once more with the last used dialog's text and options.
    bool FindNext();
    // One search from the selection with the dialog's text and options; the match is selected.
    bool FindEditText(TRichEditFindDialog *dialog, bool adjustPos, bool events);
    // Moves the dialog off the selected text.
    void AdjustFindDialogPosition(TRichEditFindDialog *dialog);
    virtual void TextNotFound(TRichEditFindDialog *dialog);
    virtual void CloseFindDialog(TRichEditFindDialog *dialog);
    // The built-in not-found message.
    static const QString STextNotFound;

    // ---- printing ----
    // Prints the whole document page by page on the printer, with no margins inside its printable
    // page. Raises PlatformError when nothing fits on a page.
    virtual void Print(QPrinter &printer, const QString &caption);

    // ---- properties ----
    bool AutoURLDetect() const { return m_autoUrlDetect; }
    void SetAutoURLDetect(bool value);
    bool AutoVerbMenu() const { return m_autoVerbMenu; }
    void SetAutoVerbMenu(bool value) { m_autoVerbMenu = value; }
    bool AllowObjects() const { return m_allowObjects; }
    void SetAllowObjects(bool value) { m_allowObjects = value; }
    bool AllowInPlace() const { return m_allowInPlace; }
    void SetAllowInPlace(bool value) { m_allowInPlace = value; }
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value);
    bool HideScrollBars() const { return m_hideScrollBars; }
    void SetHideScrollBars(bool value);
    QString Title() const { return m_title; }
    void SetTitle(const QString &value) { m_title = value; }
    TRichLangOptions LangOptions() const { return m_langOptions; }
    void SetLangOptions(TRichLangOptions value) { m_langOptions = value; }
    bool PlainText() const { return m_plainText; }
    virtual void SetPlainText(bool value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool SelectionBar() const { return m_selectionBar; }
    void SetSelectionBar(bool value);
    TRichStreamFormat StreamFormat() const { return m_lines->Format; }
    void SetStreamFormat(TRichStreamFormat value) { m_lines->Format = value; }
    TRichStreamModes StreamMode() const { return m_lines->Mode; }
    void SetStreamMode(TRichStreamModes value) { m_lines->Mode = value; }
    int UndoLimit() const { return m_undoLimit; }
    void SetUndoLimit(int value);
    bool WordSelection() const { return m_wordSelection; }
    void SetWordSelection(bool value) { m_wordSelection = value; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);
    // 0 means 16,777,215 characters.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value) { m_maxLength = std::max(0, value); }
    bool WantTabs() const { return !tabChangesFocus(); }
    void SetWantTabs(bool value) { setTabChangesFocus(!value); }
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool value) { m_wantReturns = value; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value) { m_alignment = value; }
    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode value);
    // Right-to-left reading with mirrored alignment.
    bool UseRightToLeftAlignment() const { return m_biDiMode == bdRightToLeft; }
    QColor Color() const;
    void SetColor(const QColor &value);
    // The pop-up menu shown on a right click; none: the standard edit menu.
    QMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // ---- overridable notifications ----
    virtual void RequestSize(const QRect &rect);
    virtual void SelectionChange();
    virtual bool ProtectChange(const TRichEditChangeRequest &request, int startPos, int endPos);
    virtual bool SaveClipboard(int numObjects, int numChars);
    virtual void URLClick(const QString &urlText, Qt::MouseButton button);

    // ---- engine access for the attribute objects, the streams and the codecs ----
    const TRichCharFormat &DefaultCharFormat() const { return m_defaultFormat; }
    void SetDefaultCharFormat(const TRichCharFormat &format);
    // Detected link covering the position: [start, end); false when there is none.
    bool LinkAt(int position, int &start, int &end) const;
    // Replaces [start, end) by text; lines: the Lines object's form (not undoable, caret after the text).
    bool ReplaceRange(int start, int end, const QString &text, bool lines, TRichEditChangeKind kind);
    // Runs an edit that cannot be undone: the document's undo history goes with it.
    void RunWithoutUndo(const std::function<void()> &body);
    // True when an edit of [start, end) touches protected text and the protect notification refuses it.
    bool EditRefused(int start, int end, const TRichEditChangeRequest &request);
    bool ChangeEventsEnabled() const { return m_changeEvents; }
    void SetChangeEventsEnabled(bool value) { m_changeEvents = value; }

protected:
    // Prints a copy of the document inside the margins (twips) of the printer's printable page.
    void printInside(QPrinter &printer, const QString &title, const QMargins &marginTwips);

    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void changeEvent(QEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    friend class TRxTextAttributes;
    friend class TRxParaAttributes;
    friend class TRichEditStrings;

    // Connects the control to its document and its layout (at start and after AdoptDocument).
    void bindDocument();
    // Picks the wrapping a document is shown with, before it is laid out.
    void chooseWrapFor(QTextDocument *doc);
    void onContentsChanged();
    void onCursorMoved();
    void onUndoCommandAdded();
    void resetUndo();
    void updateScrollBars();
    void updateSelectionPalette();
    void applySelectionBar();
    void applyDefaultFormat();
    void updateUrlOverlay();
    void scheduleUrlOverlay();
    void showContextMenu(const QPoint &globalPos);
    int positionAt(const QPoint &viewportPos, bool exact) const;
    // The paragraph of a position; the last one past the end.
    QTextBlock blockOfChar(int charIndex) const;
    bool inSelectionBar(const QPoint &viewportPos) const;
    QTextCursor lineAt(int y) const;
    int maxLengthRoom(int replacedLength) const;
    bool rangeProtected(int start, int end) const;
    bool insertGuarded(const QMimeData *source, TRichEditChangeKind kind);
    // Reads pasted rich text at the cursor, which goes after it, beginning in the format around; false
    // when the codec refuses it.
    bool insertRtf(QTextCursor &cursor, const QByteArray &rtf, const QTextCharFormat &around) const;
    // Inserts text whose line breaks are "\n" (plainInsertion) at the cursor in the format there.
    void insertPlain(QTextCursor &cursor, const QString &text);
    static QString plainInsertion(const QString &text);
    // True when the document stays short enough to show with [start, end) replaced by what incoming
    // measured; otherwise the user is told why and false.
    bool roomFor(int start, int end, const richedit::TShownHeight &incoming);
    bool roomForText(int start, int end, const QString &text);
    bool roomForDocument(int start, int end, const QTextDocument &incoming);
    // The same for [start, end) once apply has changed the formats of a copy of it.
    bool roomForFormat(int start, int end, const std::function<void(QTextCursor &)> &apply);
    // What is changed while one lives was measured before: the document need not be measured after.
    struct MeasuredEdit {
        explicit MeasuredEdit(TMMRxCustomRichEdit &edit)
            : Edit(edit)
            , Was(edit.m_measuredEdit)
        {
            edit.m_measuredEdit = true;
        }
        ~MeasuredEdit() { Edit.m_measuredEdit = Was; }
        MeasuredEdit(const MeasuredEdit &) = delete;
        MeasuredEdit &operator=(const MeasuredEdit &) = delete;
        TMMRxCustomRichEdit &Edit;
        bool Was;
    };
    // The width lines wrap at (0: not wrapped): the window's, or wider (m_wrapFloor) while the document
    // would be too tall at the window's.
    qreal windowWrapWidth() const;
    qreal wrapWidth() const;
    // Wraps the document at the window's width, or at the narrowest width wider than that at which it
    // stays short enough to show.
    void fitWrapWidth();
    void setWrapFloor(qreal width);
    void stripProtectedInsertFormat();
    void setupFindDialog(TRichEditFindDialog *dialog, const QString &searchStr, const QString &replaceStr);
    void replaceDialogReplace(TRichEditFindDialog *dialog);
    void replaceAll(TRichEditReplaceDialog *dialog);
    bool roomForReplaceAll(TRichEditReplaceDialog *dialog);

    std::unique_ptr<TRxTextAttributes> m_selAttributes;
    std::unique_ptr<TRxTextAttributes> m_defAttributes;
    std::unique_ptr<TRxTextAttributes> m_wordAttributes;
    std::unique_ptr<TRxParaAttributes> m_paragraph;
    std::unique_ptr<TRichEditStrings> m_lines;

    TRichCharFormat m_defaultFormat;
    bool m_autoUrlDetect = true;
    bool m_autoVerbMenu = true;
    bool m_allowObjects = true;
    bool m_allowInPlace = true;
    bool m_hideSelection = false;
    bool m_hideScrollBars = true;
    QString m_title;
    TRichLangOptions m_langOptions = rlAutoFont;
    bool m_plainText = false;
    TScrollStyle m_scrollBars = ssBoth;
    bool m_selectionBar = true;
    int m_undoLimit = 100;
    int m_undoDepth = 0;
    bool m_inUndoRedo = false;
    bool m_wordSelection = true;
    bool m_wordWrap = true;
    int m_maxLength = 0;
    bool m_wantReturns = true;
    TAlignment m_alignment = taLeftJustify;
    TBiDiMode m_biDiMode = bdLeftToRight;
    QPointer<QMenu> m_popupMenu;
    QPointer<QMenu> m_verbMenu;
    std::unique_ptr<richedit::TOpenedObjectCopies> m_objectCopies;
    // numbered paragraphs and wrapping: MMRxRichEditLayout.cpp
    std::unique_ptr<richedit::TParagraphNumbers> m_numbers;
    // the shown lines of the paragraphs, for the line queries
    std::unique_ptr<richedit::TShownLines> m_shownLines;
    bool m_wrapCheckPending = false;
    qreal m_wrapFloor = 0; // the width lines wrap at while wider than the window's; 0: the window's
    // the document's paragraphs measured for fitWrapWidth, at m_heightsWidth; none after a change
    std::unique_ptr<richedit::TShownHeight> m_heights;
    qreal m_heightsWidth = 0;
    bool m_fittingWrap = false;
    // the change being made was measured before it was made
    bool m_measuredEdit = false;
    // the height the changes not measured before brought since the document was last measured whole
    qreal m_unmeasured = 0;
    void fitChange(int position, int added);
    void onContentsChange(int position, int removed, int added);
    void checkLongRuns();
    QMenu *objectMenu(QMenu *result);
    void closeRemovedObjects();
    bool selectObjectAt(const QPoint &viewportPoint);
    bool m_changeEvents = true;
    int m_linkStart = -1;
    int m_linkEnd = -1;
    Qt::MouseButton m_linkButton = Qt::NoButton;
    int m_lastAnchor = -1;
    int m_lastPosition = -1;
    bool m_barDrag = false;
    int m_barAnchor = 0;
    bool m_wordDrag = false;
    bool m_inDrop = false;
    bool m_dropLinks = false; // the drop being inserted asked for links
    bool m_dropMoves = false; // the drop being inserted moves the selection
    bool m_overlayPending = false;
    QPointer<TRichEditFindDialog> m_findDialog;
    QPointer<TRichEditReplaceDialog> m_replaceDialog;
    QPointer<TRichEditFindDialog> m_lastFindDialog;
};

// The control with its properties published.
class TMMRxRichEdit : public TMMRxCustomRichEdit {
    Q_OBJECT
    Q_PROPERTY(bool AutoURLDetect READ AutoURLDetect WRITE SetAutoURLDetect)
    Q_PROPERTY(bool AutoVerbMenu READ AutoVerbMenu WRITE SetAutoVerbMenu)
    Q_PROPERTY(bool AllowObjects READ AllowObjects WRITE SetAllowObjects)
    Q_PROPERTY(bool AllowInPlace READ AllowInPlace WRITE SetAllowInPlace)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool HideScrollBars READ HideScrollBars WRITE SetHideScrollBars)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(bool PlainText READ PlainText WRITE SetPlainText)
    Q_PROPERTY(bool SelectionBar READ SelectionBar WRITE SetSelectionBar)
    Q_PROPERTY(int UndoLimit READ UndoLimit WRITE SetUndoLimit)
    Q_PROPERTY(bool WordSelection READ WordSelection WRITE SetWordSelection)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_PROPERTY(bool Modified READ Modified WRITE SetModified)
public:
    explicit TMMRxRichEdit(QWidget *parent = nullptr)
        : TMMRxCustomRichEdit(parent)
    {}
};
