#include "notes/MGRichEditFramePrev.h"

#include "notes/MMEditExActns.h"
#include "notes/MMFontNameBox.h"
#include "notes/MMRxRichEditActns.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/NumEdits.h"
#include "notes/RichEditFontDialog.h"
#include "notes/ToolbarImages.h"
#include "platform/ActionUpdater.h"
#include "platform/ApplicationTitle.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PageScrollers.h"
#include "platform/PlatformError.h"
#include "platform/TextRules.h"
#include "settings/LanguageFonts.h"
#include "settings/MemInis.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Section = QStringLiteral("RichEditFrame");

// The page set-up's margins at start and the smallest it offers, in hundredths of a millimetre
// (left, top, right, bottom).
constexpr int InitialMargin = 1500;
constexpr int MinMarginLeft = 400;
constexpr int MinMarginTop = 400;
constexpr int MinMarginRight = 400;
constexpr int MinMarginBottom = 1400;

// "Rich Text Files (*.rtf)|*.rtf|Text Files (*.txt)|*.txt|All Files|*.*" as file-dialog filters.
QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            if (p.trimmed() == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        out.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(u' ')));
    }
    return out;
}

} // namespace

TMGRichEditFramePrev::TMGRichEditFramePrev(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RichEditFrame"));
    m_updater = new ActionUpdater(this);
    createActions();
    createMenus();
    createBars();
    createDialogs();
    NewDocument();
}

TMGRichEditFramePrev::~TMGRichEditFramePrev()
{
    // the documents go before the frame's own parts they report to; a focus that leaves a part going
    // (a file dialog's box) is no news to a frame half gone
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    PageControl->disconnect(this);
    for (TMMRxRichEditPrev *editor : Editors()) {
        editor->OnChange = nullptr;
        editor->OnUndo = nullptr;
        editor->OnSelectionChange = nullptr;
    }
}

void TMGRichEditFramePrev::createActions()
{
    auto named = [this](auto *a, const char *name, int image) {
        a->setObjectName(QString::fromLatin1(name));
        if (image >= 0)
            a->setIcon(toolbarimages::image(image));
        addAction(a);
        return a;
    };
    auto action = [&](const char *name, int image, auto handler) {
        auto *a = named(new QAction(this), name, image);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    using namespace toolbarimages;
    actFileNew = action("actFileNew", FileNew, [this] { NewDocument(); });
    actFileOpen = action("actFileOpen", FileOpen, [this] { openExecute(); });
    actFileSave = action("actFileSave", FileSave, [this] { Save(ActiveEditor()); });
    actFileSaveAs = action("actFileSaveAs", FileSaveAs, [this] { SaveAs(ActiveEditor()); });
    actFileSaveAll = action("actFileSaveAll", FileSaveAll, [this] { SaveAll(); });
    actFilePrint = action("actFilePrint", FilePrint, [this] { PrintActive(); });
    actFont = action("actFont", Font, [this] { actFontExecute(); });
    actFilePrinterSetup = action("actFilePrinterSetup", -1, [this] { PrinterSetupExecute(); });
    actFilePrintDialog = action("actFilePrintDialog", FilePrint, [this] { PrintDialogExecute(); });
    actFileClose = action("actFileClose", FileClose, [this] { closeExecute(); });
    actWordWrap = action("actWordWrap", -1, [this] {
        if (TMMRxRichEditPrev *editor = ActiveEditor()) {
            editor->SetWordWrap(actWordWrap->isChecked());
            UpdateCaretStatus(editor); // the caret's line as shown
        }
    });
    actWordWrap->setCheckable(true);
    actWordWrap->setChecked(true);
    actPrintPreview = action("actPrintPreview", PrintPreview, [this] { PreviewActive(); });
    actPrintPreview->setVisible(false);
    actPrintCurrentUrl = action("actPrintCurrentUrl", PasteUrl, [this] { actPrintCurrentUrlExecute(); });
    actPrintCurrentUrl->setVisible(false);
    actFileSaveAll->setEnabled(false);

    MMRichEditBoldEx = named(new TMMRichEditBoldEx(this), "MMRichEditBoldEx", Bold);
    MMRichEditItalicEx = named(new TMMRichEditItalicEx(this), "MMRichEditItalicEx", Italic);
    MMRichEditUnderlineEx = named(new TMMRichEditUnderlineEx(this), "MMRichEditUnderlineEx", Underline);
    MMRichEditStrikeOutEx = named(new TMMRichEditStrikeOutEx(this), "MMRichEditStrikeOutEx", StrikeOut);
    // the bullets button has a picture; the menu item shows its check mark instead
    MMRichEditBulletsEx = named(new TMMRichEditBulletsEx(this), "MMRichEditBulletsEx", Bullets);
    MMRichEditBulletsEx->setIconVisibleInMenu(false);
    MMRichEditAlignLeftEx = named(new TMMRichEditAlignLeftEx(this), "MMRichEditAlignLeftEx", AlignLeft);
    MMRichEditAlignRightEx = named(new TMMRichEditAlignRightEx(this), "MMRichEditAlignRightEx", AlignRight);
    MMRichEditAlignCenterEx = named(new TMMRichEditAlignCenterEx(this), "MMRichEditAlignCenterEx", AlignCenter);
    MMRichEditAlignJustifyEx = named(new TMMRichEditAlignJustifyEx(this), "MMRichEditAlignJustifyEx", -1);
    MMRichEditFontEx = named(new TMMRichEditFontEx(this), "MMRichEditFontEx", FontEx);
    MMRichEditFindEx = named(new TMMRichEditFindEx(this), "MMRichEditFindEx", Find);
    MMRichEditFindNextEx = named(new TMMRichEditFindNextEx(this), "MMRichEditFindNextEx", FindNext);
    MMRichEditReplaceEx = named(new TMMRichEditReplaceEx(this), "MMRichEditReplaceEx", Replace);
    MMRichEditSubscriptEx = named(new TMMRichEditSubscriptEx(this), "MMRichEditSubscriptEx", -1);
    MMRichEditSubscriptNoneEx = named(new TMMRichEditSubscriptNoneEx(this), "MMRichEditSubscriptNoneEx", -1);
    MMRichEditSuperscriptEx = named(new TMMRichEditSuperscriptEx(this), "MMRichEditSuperscriptEx", -1);
    MMEditCutEx = named(new TMMEditCutEx(this), "MMEditCutEx", Cut);
    MMEditCopyEx = named(new TMMEditCopyEx(this), "MMEditCopyEx", Copy);
    MMEditPasteEx = named(new TMMEditPasteEx(this), "MMEditPasteEx", Paste);
    MMEditSelectAllEx = named(new TMMEditSelectAllEx(this), "MMEditSelectAllEx", -1);
    MMEditUndoEx = named(new TMMEditUndoEx(this), "MMEditUndoEx", Undo);
    MMEditDeleteEx = named(new TMMEditDeleteEx(this), "MMEditDeleteEx", Delete);
    MMEditRedoEx = named(new TMMEditRedoEx(this), "MMEditRedoEx", Redo);
    // the frame's own keys: a note's save, open, print and find, ahead of the window's
    actFileOpen->setShortcut(QKeySequence::Open);
    actFileSave->setShortcut(QKeySequence::Save);
    actFilePrint->setShortcut(QKeySequence::Print);
    MMRichEditFindEx->setShortcut(QKeySequence::Find);
    MMRichEditFindNextEx->setShortcut(QKeySequence::FindNext);
    for (QAction *a : actions())
        a->setShortcutContext(Qt::WidgetShortcut); // shown in the menus; the frame runs them itself

    m_updater->add(actFileSave, [this](QAction *) { updateSaveCommands(); });
    m_updater->add(actWordWrap, [this](QAction *a) {
        if (const TMMRxRichEditPrev *editor = ActiveEditor())
            a->setChecked(editor->WordWrap());
    });
    for (QAction *a : actions()) {
        if (auto *format = qobject_cast<TMMRichEditActionEx *>(a)) {
            m_updater->add(a, [this, format](QAction *) {
                // find next follows the active document first; its own rule then has the last word
                if (format == MMRichEditFindNextEx) {
                    const TMMRxRichEditPrev *editor = ActiveEditor();
                    format->setEnabled(editor && editor->CanFindNext());
                }
                format->Update();
            });
        } else if (auto *edit = qobject_cast<TMMEditExAction *>(a)) {
            m_updater->add(a, [edit](QAction *) { edit->Update(); });
        }
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { followFocusedEdit(now); });
}

void TMGRichEditFramePrev::followFocusedEdit(QWidget *now)
{
    for (const QMetaObject::Connection &c : std::as_const(m_focusedEdit))
        disconnect(c);
    m_focusedEdit.clear();
    auto follow = [this](auto *edit, auto... signal) {
        (m_focusedEdit.append(connect(edit, signal, this, &TMGRichEditFramePrev::scheduleEditCommands)), ...);
    };
    if (auto *combo = qobject_cast<QComboBox *>(now); combo && combo->lineEdit())
        now = combo->lineEdit();
    if (auto *line = qobject_cast<QLineEdit *>(now))
        follow(line, &QLineEdit::selectionChanged, &QLineEdit::textChanged);
    else if (auto *text = qobject_cast<QTextEdit *>(now))
        follow(text, &QTextEdit::selectionChanged, &QTextEdit::textChanged, &QTextEdit::undoAvailable,
               &QTextEdit::redoAvailable);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(now))
        follow(plain, &QPlainTextEdit::selectionChanged, &QPlainTextEdit::textChanged, &QPlainTextEdit::undoAvailable,
               &QPlainTextEdit::redoAvailable);
    scheduleEditCommands();
}

void TMGRichEditFramePrev::scheduleEditCommands()
{
    // one update for all the signals of one change, after the edit has finished it
    if (m_editCommandsPending)
        return;
    m_editCommandsPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_editCommandsPending = false;
            for (TMMEditExAction *a : {MMEditUndoEx, MMEditRedoEx, MMEditCutEx, MMEditCopyEx, MMEditPasteEx,
                                       MMEditDeleteEx, MMEditSelectAllEx})
                a->Update();
        },
        Qt::QueuedConnection);
}

void TMGRichEditFramePrev::createMenus()
{
    auto menu = [this](const char *name, const QList<QAction *> &items) {
        auto *m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(name));
        for (QAction *a : items) {
            if (a)
                m->addAction(a);
            else
                m->addSeparator();
        }
        return m;
    };
    mniFile = menu("mniFile", {actFileNew, actFileOpen, nullptr, actFileSave, actFileSaveAs, actFileSaveAll, nullptr,
                               actFileClose, nullptr, actFilePrinterSetup, actPrintPreview, actFilePrint});
    mniEdit = menu("mniEdit",
                   {MMEditUndoEx, MMEditRedoEx, nullptr, MMEditCutEx, MMEditCopyEx, MMEditPasteEx, MMEditDeleteEx,
                    nullptr, MMEditSelectAllEx, nullptr, MMRichEditFindEx, MMRichEditFindNextEx, MMRichEditReplaceEx});
    mniText = menu("mniText", {actFont, nullptr, MMRichEditBoldEx, MMRichEditItalicEx, MMRichEditUnderlineEx,
                               MMRichEditStrikeOutEx, nullptr, MMRichEditBulletsEx, nullptr, MMRichEditAlignLeftEx,
                               MMRichEditAlignCenterEx, MMRichEditAlignRightEx, nullptr, actWordWrap});
    mniFind = menu("mniFind", {nullptr});
    pmnRichEdit = menu("pmnRichEdit", {MMEditUndoEx, MMEditRedoEx, nullptr, MMEditCutEx, MMEditCopyEx, MMEditPasteEx,
                                       MMEditDeleteEx, nullptr, MMEditSelectAllEx, nullptr, actPrintCurrentUrl});
    // a menu runs its updates as it opens, so what it shows is current
    for (QMenu *m : {mniFile, mniEdit, mniText, pmnRichEdit})
        connect(m, &QMenu::aboutToShow, m_updater, &ActionUpdater::updateAll);
}

void TMGRichEditFramePrev::createBars()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    CoolBar1 = new QWidget(this);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    auto *rows = new QVBoxLayout(CoolBar1);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto bar = [this](const char *name) {
        auto *b = new QToolBar(CoolBar1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIconSize(QSize(16, 16));
        b->setMinimumHeight(22);
        return b;
    };

    // first row: the menu buttons
    tlbMenu = bar("tlbMenu");
    tlbMenu->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto menuButton = [this](const char *name, QMenu *menu) {
        auto *b = new QToolButton(tlbMenu);
        b->setObjectName(QString::fromLatin1(name));
        b->setMenu(menu);
        b->setPopupMode(QToolButton::InstantPopup);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        b->setMinimumWidth(68);
        b->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
        tlbMenu->addWidget(b);
        return b;
    };
    tlbtnFile = menuButton("tlbtnFile", mniFile);
    tlbtnEdit = menuButton("tlbtnEdit", mniEdit);
    tlbtnText = menuButton("tlbtnText", mniText);
    rows->addWidget(tlbMenu);

    // second row: file commands, the edit buttons, find and replace
    tlbToolbar = bar("tlbToolbar");
    tlbToolbar->addActions({actFileNew, actFileOpen});
    tlbToolbar->addSeparator();
    tlbToolbar->addActions({actFileSave, actFileSaveAs, actFileSaveAll});
    tlbToolbar->addSeparator();
    tlbToolbar->addAction(actFileClose);
    tlbToolbar->addSeparator();
    tlbToolbar->addActions({actFilePrint, actPrintPreview});
    ToolBar2 = bar("ToolBar2");
    ToolBar2->addAction(actPrintCurrentUrl);
    ToolBar2->addActions({MMEditUndoEx, MMEditRedoEx});
    ToolBar2->addSeparator();
    ToolBar2->addActions({MMEditCutEx, MMEditCopyEx, MMEditPasteEx, MMEditDeleteEx});
    ToolBar3 = bar("ToolBar3");
    ToolBar3->addActions({MMRichEditFindEx, MMRichEditFindNextEx});
    ToolBar3->addSeparator();
    ToolBar3->addAction(MMRichEditReplaceEx);
    auto *second = new QHBoxLayout;
    second->setSpacing(0);
    second->addWidget(tlbToolbar);
    second->addWidget(ToolBar2);
    second->addWidget(ToolBar3);
    second->addStretch();
    rows->addLayout(second);

    // third row: the formatting bar in a page scroller
    pgsText = new TPageScroller(CoolBar1);
    pgsText->setObjectName(QStringLiteral("pgsText"));
    pgsText->Increment = 22;
    tlbText = new QToolBar;
    tlbText->setObjectName(QStringLiteral("tlbText"));
    tlbText->setIconSize(QSize(16, 16));
    fntcmbFont = new TMMFontNameBox(tlbText);
    fntcmbFont->setObjectName(QStringLiteral("fntcmbFont"));
    fntcmbFont->setFixedWidth(145);
    fntcmbFont->setMaxVisibleItems(8);
    fntcmbFont->OnChange = [this](TCustomMMFontNameBox *) { fntcmbFontChange(); };
    tlbText->addWidget(fntcmbFont);
    auto *spacer = new QWidget(tlbText);
    spacer->setObjectName(QStringLiteral("Label3"));
    spacer->setFixedWidth(2);
    tlbText->addWidget(spacer);
    UpDownNumEdit = new TUpDownNumEdit(tlbText);
    UpDownNumEdit->setObjectName(QStringLiteral("UpDownNumEdit"));
    UpDownNumEdit->setFixedWidth(46);
    UpDownNumEdit->SetMin(1);
    UpDownNumEdit->SetMax(100);
    UpDownNumEdit->SetNumber(1);
    UpDownNumEdit->OnChange = [this](TCustomNumEdit *) { UpDownNumEditChange(); };
    tlbText->addWidget(UpDownNumEdit);
    tlbText->addSeparator();
    tlbText->addAction(actFont);
    tlbText->addSeparator();
    tlbText->addActions({MMRichEditBoldEx, MMRichEditItalicEx, MMRichEditUnderlineEx, MMRichEditStrikeOutEx});
    tlbText->addSeparator();
    tlbText->addAction(MMRichEditBulletsEx);
    tlbText->addSeparator();
    tlbText->addActions({MMRichEditAlignLeftEx, MMRichEditAlignCenterEx, MMRichEditAlignRightEx});
    pgsText->setControl(tlbText);
    rows->addWidget(pgsText);
    layout->addWidget(CoolBar1);

    auto *line = new QWidget(this);
    line->setObjectName(QStringLiteral("Label1"));
    line->setFixedHeight(2);
    layout->addWidget(line);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setDocumentMode(true);
    PageControl->setUsesScrollButtons(true);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
    layout->addWidget(PageControl, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    for (int width : {80, 60, 50}) {
        auto *panel = new QLabel(StatusBar);
        panel->setTextFormat(Qt::PlainText); // a file's name may hold markup
        panel->setMinimumWidth(width);
        m_statusPanels.append(panel);
        StatusBar->addWidget(panel, width == 50 ? 1 : 0);
    }
    m_statusPanels[1]->setAlignment(Qt::AlignCenter);
    layout->addWidget(StatusBar);
}

namespace {

// The open and save dialogs live as long as the frame. A file dialog's folder model watches the folder
// it shows, so a hidden one would wake the program on every change there (a busy home or temporary
// folder kept an idle program at 17% of a CPU): they watch only while they are open, and stop when
// they close.
void watchFolder(QFileDialog &dialog, bool on)
{
    for (auto *model : dialog.findChildren<QFileSystemModel *>())
        model->setOption(QFileSystemModel::DontWatchForChanges, !on);
}

// A folder model lists a folder once and then learns of changes only while it watches: a file saved
// while the dialog was closed would be missing from it. Moving the model's root away and back marks
// the folder as not yet listed, and the view lists it afresh.
void relistFolder(QFileDialog &dialog)
{
    const QString folder = dialog.directory().absolutePath();
    for (auto *model : dialog.findChildren<QFileSystemModel *>()) {
        if (model->rootPath() != folder)
            continue;
        // the dialog would take the two moves for visits and offer the root folder under Back
        const bool quiet =
            QObject::disconnect(model, SIGNAL(rootPathChanged(QString)), &dialog, SLOT(_q_pathChanged(QString)));
        model->setRootPath(QDir::rootPath());
        model->setRootPath(folder);
        if (quiet)
            QObject::connect(model, SIGNAL(rootPathChanged(QString)), &dialog, SLOT(_q_pathChanged(QString)));
        const QModelIndex index = model->index(folder);
        if (model->canFetchMore(index))
            model->fetchMore(index);
    }
}

// Where a note's file dialog starts when the note has no folder of its own: the user's documents.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Runs a file dialog for one choice, in the folder given (none: where it was last). Its name box starts
// selected, so what is typed replaces the name it keeps; and nothing of it stays once it closes: the
// file-name completer's list goes with it, and cannot come back when a folder listing ends late (it
// would hold the next click and leave the keys going to the note).
int runFileDialog(QFileDialog &dialog, const QString &folder)
{
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    watchFolder(dialog, true);
    relistFolder(dialog);
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QCompleter *completer = name ? name->completer() : nullptr;
    if (completer)
        completer->setWidget(name);
    if (name)
        name->selectAll();
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const int result = dialogrunner::exec(dialog);
    if (completer) {
        completer->popup()->hide();
        completer->setWidget(nullptr);
    }
    watchFolder(dialog, false);
    // the keys go back where they went before, not to the closed dialog's box
    const QWidget *now = QApplication::focusWidget();
    if (focused && !dialog.isAncestorOf(focused) && (!now || dialog.isAncestorOf(now))) {
        focused->activateWindow();
        focused->setFocus(Qt::OtherFocusReason);
    }
    return result;
}

// The folder of a note that has a file of its own; none for an untitled one.
QString folderOf(const TMMRxRichEditPrev *editor)
{
    return editor && editor->Named ? QFileInfo(editor->FileName).absolutePath() : QString();
}

} // namespace

void TMGRichEditFramePrev::createDialogs()
{
    auto dialog = [this](const char *name, QFileDialog::AcceptMode mode) {
        auto *d = new QFileDialog(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setAcceptMode(mode);
        d->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        d->setDefaultSuffix(QStringLiteral("rtf"));
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setDirectory(documentsFolder()); // never the program's working folder
        watchFolder(*d, false);
        return d;
    };
    OpenDialog = dialog("OpenDialog", QFileDialog::AcceptOpen);
    SaveDialog = dialog("SaveDialog", QFileDialog::AcceptSave);
    FontDialog = new TRichEditFontDialog(this);
}

// ---- documents ----

TMMRxRichEditPrev *TMGRichEditFramePrev::NewDocument()
{
    auto *editor = new TMMRxRichEditPrev(PageControl);
    // a document keeps a font of its own (the window's language font does not reach into the notes), in
    // the installed face that draws the program's font, so the font box can show it
    QFont font = QApplication::font();
    font.setFamily(QFontInfo(font).family());
    font.setPointSizeF(font.pointSizeF());
    editor->setFont(font);
    editor->OnChange = [this, editor](TMMRxCustomRichEdit *) { richEditChange(editor); };
    editor->OnUndo = [this, editor](TMMRxCustomRichEdit *) { richEditUndo(editor); };
    editor->OnTextNotFound = [this](TMMRxCustomRichEdit *, const QString &text) { textNotFound(text); };
    editor->OnSelectionChange = [this, editor](TMMRxCustomRichEdit *) { RichEditSelectionChange(editor); };
    editor->OnURLClick = [this](TMMRxCustomRichEdit *, const QString &url, Qt::MouseButton button) {
        if (OnUrlClick)
            OnUrlClick(this, url, button);
    };
    editor->SetPopupMenu(pmnRichEdit);
    editor->Tag = ++m_documentCounter;
    editor->FileName = QStringLiteral("%1 %2").arg(Untitled).arg(editor->Tag);
    editor->Named = false;
    const int index = PageControl->addTab(editor, editor->FileName);
    // the new tab's change notification binds the commands to it
    PageControl->setCurrentIndex(index);
    return editor;
}

TMMRxRichEditPrev *TMGRichEditFramePrev::ActiveEditor() const
{
    return qobject_cast<TMMRxRichEditPrev *>(PageControl->currentWidget());
}

QList<TMMRxRichEditPrev *> TMGRichEditFramePrev::Editors() const
{
    QList<TMMRxRichEditPrev *> editors;
    for (int i = 0; i < PageControl->count(); ++i)
        editors.append(qobject_cast<TMMRxRichEditPrev *>(PageControl->widget(i)));
    return editors;
}

void TMGRichEditFramePrev::CloseDocument(int index)
{
    QWidget *page = PageControl->widget(index);
    if (!page)
        return;
    {
        const QSignalBlocker quiet(PageControl);
        PageControl->removeTab(index);
        // the tab that followed takes the place; after the last tab, the first one
        PageControl->setCurrentIndex(index < PageControl->count() ? index : 0);
    }
    delete page;
    updateSaveCommands();
    PageControlChange();
}

namespace {

// The progress of a file being opened: nothing at first; once the opening has lasted the delay, a
// dialog that shows how far it is, keeps the window painted and offers Cancel. The dialog is
// window-modal: nothing else of the window can be used (or closed) while the file is read. The reading
// fills the bar to ReadShare, the layout the rest.
class LoadProgress {
public:
    static constexpr int ReadShare = 700;

    LoadProgress(QWidget *parent, int delay, QString text)
        : m_parent(parent)
        , m_delay(delay)
        , m_text(std::move(text))
    {
        m_clock.start();
    }
    // The step (done of total) of the part [from, to) of the bar; false when the user cancelled.
    bool step(qint64 done, qint64 total, int from, int to)
    {
        if (!m_dialog) {
            if (m_clock.elapsed() < m_delay)
                return true;
            m_dialog = std::make_unique<QProgressDialog>(m_parent);
            m_dialog->setObjectName(QStringLiteral("LoadProgress"));
            m_dialog->setWindowTitle(applicationtitle::get());
            m_dialog->setLabelText(m_text);
            m_dialog->setRange(0, 1000);
            m_dialog->setAutoReset(false);
            m_dialog->setAutoClose(false);
            m_dialog->setMinimumDuration(0);
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->show();
        }
        const qint64 share = total > 0 ? std::clamp<qint64>(done, 0, total) * (to - from) / total : 0;
        m_dialog->setValue(from + int(share));
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }

private:
    QWidget *m_parent;
    int m_delay;
    QString m_text;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

bool TMGRichEditFramePrev::OpenFile(const QString &fileName)
{
    // an opened file always gets a tab of its own
    TMMRxRichEditPrev *editor = NewDocument();
    m_loading = true;
    const QString name = QFileInfo(fileName).fileName();
    LoadProgress progress(this, LoadProgressDelay,
                          Opening.isEmpty() ? name : QString(Opening).replace(QStringLiteral("%s"), name));
    // the new tab takes its size first: the file is laid out at the width it is shown at
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    editor->Lines().OnProgress = [&](qint64 done, qint64 total) {
        return progress.step(done, total, 0, LoadProgress::ReadShare);
    };
    bool read = false;
    try {
        editor->Lines().LoadFromFile(fileName);
        read = true;
    } catch (const PlatformError &e) {
        if (!dynamic_cast<const LoadCancelled *>(&e))
            showError(e.message());
    }
    editor->Lines().OnProgress = nullptr;
    // laid out whole before it is used: while Qt lays out a long document in the background, a click
    // may land on the wrong line
    if (read && !editor->LayOutDocument([&](qint64 done, qint64 total) {
            return progress.step(done, total, LoadProgress::ReadShare, 1000);
        }))
        read = false;
    m_loading = false;
    if (!read) {
        CloseDocument(PageControl->indexOf(editor));
        return false;
    }
    editor->FileName = QFileInfo(fileName).absoluteFilePath();
    editor->Named = true;
    editor->SetModified(false);
    UpdateFileCaption(editor);
    setStatusPanel(0, QString());
    m_updater->updateAll(); // the commands show the opened document at once
    return true;
}

void TMGRichEditFramePrev::openExecute()
{
    if (runFileDialog(*OpenDialog, folderOf(ActiveEditor())) != QDialog::Accepted ||
        OpenDialog->selectedFiles().isEmpty())
        return;
    if (OpenFile(OpenDialog->selectedFiles().constFirst()))
        ActiveEditor()->setFocus(Qt::OtherFocusReason); // the opened note takes the keys
}

void TMGRichEditFramePrev::closeExecute()
{
    TMMRxRichEditPrev *editor = ActiveEditor();
    if (editor->Modified() && !QuerySave(editor))
        return;
    if (PageControl->count() > 1) {
        CloseDocument(PageControl->currentIndex());
        return;
    }
    // the last document stays as a fresh untitled one
    editor->Clear();
    m_documentCounter = 1;
    editor->Tag = 1;
    editor->FileName = QStringLiteral("%1 %2").arg(Untitled).arg(editor->Tag);
    PageControl->setTabText(PageControl->currentIndex(), editor->FileName);
    PageControlChange();
}

// ---- saving ----

bool TMGRichEditFramePrev::writeDocument(TMMRxRichEditPrev *editor, const QString &fileName)
{
    try {
        editor->Lines().SaveToFile(fileName);
    } catch (const PlatformError &e) {
        showError(e.message());
        return false;
    }
    return true;
}

bool TMGRichEditFramePrev::Save(TMMRxRichEditPrev *editor)
{
    if (!editor)
        return false;
    if (!editor->Named)
        return SaveAs(editor);
    if (!writeDocument(editor, editor->FileName))
        return false;
    MarkSaved(editor);
    return true;
}

bool TMGRichEditFramePrev::SaveAs(TMMRxRichEditPrev *editor)
{
    if (!editor)
        return false;
    if (const QString folder = folderOf(editor); !folder.isEmpty())
        SaveDialog->setDirectory(folder);
    SaveDialog->selectFile(PageControl->tabText(PageControl->indexOf(editor)));
    if (runFileDialog(*SaveDialog, QString()) != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return false;
    const QString fileName = QFileInfo(SaveDialog->selectedFiles().constFirst()).absoluteFilePath();
    if (!writeDocument(editor, fileName))
        return false;
    editor->FileName = fileName;
    editor->Named = true;
    UpdateFileCaption(editor);
    MarkSaved(editor);
    return true;
}

bool TMGRichEditFramePrev::SaveAll()
{
    const QList<TMMRxRichEditPrev *> editors = Editors();
    for (TMMRxRichEditPrev *editor : editors) {
        if (!editor->Modified())
            continue;
        PageControl->setCurrentWidget(editor);
        if (!Save(editor))
            return false;
    }
    return true;
}

bool TMGRichEditFramePrev::QuerySave(TMMRxRichEditPrev *editor)
{
    QString text = SaveChanges;
    text.replace(QStringLiteral("%s"), PageControl->tabText(PageControl->indexOf(editor)));
    const int answer = messageboxes::show(window(), text, applicationtitle::get(),
                                          messageboxes::YesNoCancel | messageboxes::IconExclamation);
    if (answer == messageboxes::IdYes)
        return Save(editor); // a document that was not saved is never given up after Yes
    return answer == messageboxes::IdNo;
}

bool TMGRichEditFramePrev::AnyModified() const
{
    const QList<TMMRxRichEditPrev *> editors = Editors();
    return std::any_of(editors.cbegin(), editors.cend(), [](const TMMRxRichEditPrev *e) { return e->Modified(); });
}

bool TMGRichEditFramePrev::CloseQueryAll()
{
    const QList<TMMRxRichEditPrev *> editors = Editors();
    for (TMMRxRichEditPrev *editor : editors) {
        if (!editor->Modified())
            continue;
        PageControl->setCurrentWidget(editor);
        if (!QuerySave(editor))
            return false;
    }
    return true;
}

// ---- shown state ----

void TMGRichEditFramePrev::setStatusPanel(int index, const QString &text)
{
    m_statusPanels[index]->setText(text);
}

QString TMGRichEditFramePrev::StatusPanelText(int index) const
{
    return m_statusPanels.value(index) ? m_statusPanels[index]->text() : QString();
}

void TMGRichEditFramePrev::updateSaveCommands()
{
    // Save stays available for an untitled document, even an empty one
    const TMMRxRichEditPrev *editor = ActiveEditor();
    actFileSave->setEnabled(editor && (editor->Modified() || !editor->Named));
    actFileSaveAll->setEnabled(AnyModified());
}

void TMGRichEditFramePrev::UpdateFileCaption(TMMRxRichEditPrev *editor)
{
    if (editor != ActiveEditor())
        return;
    if (editor->Named) {
        setStatusPanel(2, u' ' + QDir::toNativeSeparators(editor->FileName));
        PageControl->setTabText(PageControl->indexOf(editor), QFileInfo(editor->FileName).fileName());
        PageControl->setTabToolTip(PageControl->indexOf(editor),
                                   textrules::plainToolTip(QDir::toNativeSeparators(editor->FileName)));
    } else {
        setStatusPanel(2, QString());
    }
}

void TMGRichEditFramePrev::MarkModified(TMMRxRichEditPrev *editor)
{
    if (editor == ActiveEditor())
        setStatusPanel(0, Modified);
    updateSaveCommands();
}

void TMGRichEditFramePrev::MarkSaved(TMMRxRichEditPrev *editor)
{
    editor->SetModified(false);
    if (editor == ActiveEditor())
        setStatusPanel(0, QString());
    updateSaveCommands();
}

void TMGRichEditFramePrev::PageControlChange()
{
    TMMRxRichEditPrev *editor = ActiveEditor();
    if (!editor)
        return;
    UpdateFileCaption(editor);
    setStatusPanel(0, editor->Modified() ? Modified : QString());
    bindActions(editor);
    RichEditSelectionChange(editor);
    m_updater->updateAll();
}

void TMGRichEditFramePrev::bindActions(TMMRxRichEditPrev *editor)
{
    // these act on the active document also while the focus is in a box or on a bar
    for (TMMRichEditActionEx *a : {MMRichEditBoldEx, MMRichEditItalicEx, MMRichEditUnderlineEx, MMRichEditStrikeOutEx,
                                   MMRichEditBulletsEx, MMRichEditAlignLeftEx, MMRichEditAlignCenterEx,
                                   MMRichEditAlignRightEx, MMRichEditFindEx, MMRichEditFindNextEx, MMRichEditReplaceEx})
        a->SetRichEdit(editor);
}

void TMGRichEditFramePrev::richEditChange(TMMRxRichEditPrev *editor)
{
    if (m_loading)
        return;
    MarkModified(editor);
    UpdateCaretStatus(editor);
}

// ---- formatting and caret ----

void TMGRichEditFramePrev::RichEditSelectionChange(TMMRxRichEditPrev *editor)
{
    if (editor == ActiveEditor()) {
        // the boxes show the selection, which is not a change of theirs to write back
        m_boxesEditor = editor;
        const bool showing = std::exchange(m_showingSelection, true);
        fntcmbFont->SetFontName(editor->SelAttributes().Name());
        UpDownNumEdit->SetNumber(editor->SelAttributes().Size());
        m_showingSelection = showing;
    }
    UpdateCaretStatus(editor);
}

TMMRxRichEditPrev *TMGRichEditFramePrev::boxesTarget() const
{
    // a box writes only to the document it shows, and only what the user changed in it
    TMMRxRichEditPrev *editor = ActiveEditor();
    return !m_showingSelection && editor && editor == m_boxesEditor ? editor : nullptr;
}

void TMGRichEditFramePrev::fntcmbFontChange()
{
    TMMRxRichEditPrev *editor = boxesTarget();
    const QString face = fntcmbFont->FontName();
    if (editor && !face.isEmpty())
        editor->SelAttributes().SetName(face);
}

void TMGRichEditFramePrev::UpDownNumEditChange()
{
    TMMRxRichEditPrev *editor = boxesTarget();
    if (!editor || !UpDownNumEdit->hasFocus())
        return;
    editor->SelAttributes().SetSize(UpDownNumEdit->Number());
}

void TMGRichEditFramePrev::actFontExecute()
{
    TMMRxRichEditPrev *editor = ActiveEditor();
    if (!editor)
        return;
    FontDialog->Edit(editor->SelAttributes());
    editor->setFocus();
}

void TMGRichEditFramePrev::UpdateCaretStatus(TMMRxRichEditPrev *editor)
{
    if (!editor || editor != ActiveEditor())
        return;
    const int start = editor->SelStart();
    const int line = editor->LineFromChar(start);
    const int column = start - editor->GetLineIndex(line);
    setStatusPanel(1, QStringLiteral("%1 : %2").arg(column + 1).arg(line + 1));
}

bool TMGRichEditFramePrev::MGUrlPrintButtonVisible() const
{
    return actPrintCurrentUrl->isVisible();
}

void TMGRichEditFramePrev::SetMGUrlPrintButtonVisible(bool value)
{
    actPrintCurrentUrl->setVisible(value);
}

void TMGRichEditFramePrev::DoPrintCurrentUrlClick()
{
    if (OnMGPrintCurrentUrlClick)
        OnMGPrintCurrentUrlClick(this);
}

void TMGRichEditFramePrev::actPrintCurrentUrlExecute()
{
    MGCurrentUrl.clear();
    DoPrintCurrentUrlClick();
    TMMRxRichEditPrev *editor = ActiveEditor();
    if (MGCurrentUrl.isEmpty() || !editor)
        return;
    // each part goes in through the clipboard, as a paste; the clipboard's text comes back after
    QClipboard *clipboard = QApplication::clipboard();
    const QString kept = clipboard->text();
    for (const QString &part : {MGPreCiteStr, MGCurrentUrl, MGPostCiteStr}) {
        clipboard->setText(part);
        editor->PasteFromClipboard();
    }
    clipboard->setText(kept);
}

// ---- the frame's keys ----

QAction *TMGRichEditFramePrev::frameCommandFor(const QKeyEvent *e) const
{
    const QKeySequence pressed(e->keyCombination());
    for (QAction *a : {actFileOpen, actFileSave, actFilePrint, static_cast<QAction *>(MMRichEditFindEx),
                       static_cast<QAction *>(MMRichEditFindNextEx)}) {
        if (!a->shortcut().isEmpty() && a->shortcut().matches(pressed) == QKeySequence::ExactMatch)
            return a;
    }
    return nullptr;
}

bool TMGRichEditFramePrev::event(QEvent *e)
{
    // a key that reaches the frame from a focused child: the frame's command takes it before the
    // window's shortcut of the same key
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(e);
        if (QAction *a = frameCommandFor(key)) {
            key->accept();
            if (e->type() == QEvent::KeyPress) {
                m_updater->updateAll();
                if (a->isEnabled())
                    a->trigger();
            }
            return true;
        }
    }
    return QWidget::event(e);
}

void TMGRichEditFramePrev::richEditUndo(TMMRxRichEditPrev *editor)
{
    if (!editor->Modified())
        MarkSaved(editor);
}

void TMGRichEditFramePrev::showError(const QString &text)
{
    messageboxes::show(window(), text, applicationtitle::get(), messageboxes::OK | messageboxes::IconStop);
}

void TMGRichEditFramePrev::textNotFound(const QString &findText)
{
    QString text = TextNotFound.isEmpty() ? TMMRxCustomRichEdit::STextNotFound : TextNotFound;
    text.replace(QStringLiteral("%s"), findText);
    messageboxes::show(window(), text, applicationtitle::get(), messageboxes::OK);
}

// ---- printing ----

QPrinter &TMGRichEditFramePrev::Printer()
{
    // made on first use: looking up the system's printers waits for the print service
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
        m_printer->setPageMargins(QMarginsF(InitialMargin, InitialMargin, InitialMargin, InitialMargin) / 100.0,
                                  QPageLayout::Millimeter);
    }
    return *m_printer;
}

void TMGRichEditFramePrev::printWithPageMargins(const std::function<void(int, int, int, int)> &print)
{
    // the page set-up's margins, less the minimum ones, in hundredths of a millimetre
    QPrinter &printer = Printer();
    const QPageLayout chosen = printer.pageLayout();
    const QMarginsF m = chosen.margins(QPageLayout::Millimeter) * 100.0;
    const int left = std::max(0, qRound(m.left()) - MinMarginLeft);
    const int right = std::max(0, qRound(m.right()) - MinMarginRight);
    const int top = std::max(0, qRound(m.top()) - MinMarginTop);
    const int bottom = std::max(0, qRound(m.bottom()) - MinMarginBottom);
    // the minimum margins stand for the part of the sheet a printer cannot reach
    printer.setPageMargins(QMarginsF(MinMarginLeft, MinMarginTop, MinMarginRight, MinMarginBottom) / 100.0,
                           QPageLayout::Millimeter);
    QString error;
    try {
        print(left, right, top, bottom);
    } catch (const PlatformError &e) {
        error = e.message();
    }
    printer.setPageLayout(chosen);
    if (!error.isEmpty())
        showError(error);
}

void TMGRichEditFramePrev::PrintDialogExecute()
{
    QPrintDialog dialog(&Printer(), this);
    if (dialogrunner::exec(dialog) == QDialog::Accepted)
        actFilePrint->trigger();
}

void TMGRichEditFramePrev::PrinterSetupExecute()
{
    QPrintDialog dialog(&Printer(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialogrunner::exec(dialog);
}

void TMGRichEditFramePrev::PrintActive()
{
    QPageSetupDialog setup(&Printer(), this);
    if (dialogrunner::exec(setup) != QDialog::Accepted)
        return;
    TMMRxRichEditPrev *editor = ActiveEditor();
    printWithPageMargins([&](int left, int right, int top, int bottom) {
        editor->PrintWithMargins(Printer(), editor->Title(), left, right, top, bottom);
    });
}

void TMGRichEditFramePrev::PreviewActive()
{
    TMMRxRichEditPrev *editor = ActiveEditor();
    printWithPageMargins([&](int left, int right, int top, int bottom) {
        QString error;
        QPrintPreviewDialog preview(&Printer(), this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter *printer) {
            // no exception may cross the dialog's own code
            try {
                editor->PrintWithMargins(*printer, editor->Title(), left, right, top, bottom);
            } catch (const PlatformError &e) {
                error = e.message();
            }
        });
        dialogrunner::exec(preview);
        if (!error.isEmpty())
            throw PlatformError(error);
    });
}

// ---- language ----

void TMGRichEditFramePrev::applyTableFont(const TMemIni &table)
{
    // the bars, the tabs and the menus take the table's font; the documents keep their own
    const TTableFont f = ReadTableFont(table, CoolBar1->font(), m_charset);
    m_charset = f.charset;
    const QFont font = FontForCharset(f.font, f.charset);
    for (QWidget *w : std::initializer_list<QWidget *>{CoolBar1, StatusBar, PageControl->tabBar(), mniFile, mniEdit,
                                                       mniText, mniFind, pmnRichEdit})
        w->setFont(font);
}

void TMGRichEditFramePrev::ApplyLanguage(const TMemIni &table)
{
    applyTableFont(table);

    auto texts = [&](const char *key) {
        const QString name = QString::fromLatin1(key);
        const QString hint = table.ReadString(Section, name + QStringLiteral("Hint"), QString());
        const qsizetype bar = hint.indexOf(u'|');
        return std::tuple{table.ReadString(Section, name, QString()), bar < 0 ? hint : hint.left(bar),
                          bar < 0 ? hint : hint.mid(bar + 1)};
    };
    const std::pair<const char *, QToolButton *> menus[] = {
        {"mniFile", tlbtnFile}, {"mniEdit", tlbtnEdit}, {"mniText", tlbtnText}, {"mniFind", nullptr}};
    for (const auto &[key, button] : menus) {
        const auto [caption, tip, status] = texts(key);
        QMenu *menu = findChild<QMenu *>(QString::fromLatin1(key));
        menu->setTitle(caption);
        menu->setToolTip(tip);
        menu->setStatusTip(status);
        if (button) {
            button->setText(caption);
            button->setToolTip(tip);
            button->setStatusTip(status);
        }
    }
    const std::pair<const char *, QAction *> keyed[] = {
        {"EditUndoEx", MMEditUndoEx},
        {"EditRedoEx", MMEditRedoEx},
        {"EditCutEx", MMEditCutEx},
        {"EditCopyEx", MMEditCopyEx},
        {"EditPasteEx", MMEditPasteEx},
        {"EditDeleteEx", MMEditDeleteEx},
        {"EditSelectAllEx", MMEditSelectAllEx},
        {"actFileNew", actFileNew},
        {"actFileClose", actFileClose},
        {"actFileOpen", actFileOpen},
        {"actFileSave", actFileSave},
        {"actFilePrint", actFilePrint},
        {"actFilePrintDialog", actFilePrintDialog},
        {"actFilePrinterSetup", actFilePrinterSetup},
        {"actFileSaveAs", actFileSaveAs},
        {"actFileSaveAll", actFileSaveAll},
        {"RichEditFindEx", MMRichEditFindEx},
        {"RichEditFindNextEx", MMRichEditFindNextEx},
        {"RichEditReplaceEx", MMRichEditReplaceEx},
        {"actFont", actFont},
        {"RichEditBoldEx", MMRichEditBoldEx},
        {"RichEditItalicEx", MMRichEditItalicEx},
        {"RichEditUnderlineEx", MMRichEditUnderlineEx},
        {"RichEditStrikeOutEx", MMRichEditStrikeOutEx},
        {"RichEditAlignLeftEx", MMRichEditAlignLeftEx},
        {"RichEditAlignCenterEx", MMRichEditAlignCenterEx},
        {"RichEditAlignRightEx", MMRichEditAlignRightEx},
        {"RichEditBulletsEx", MMRichEditBulletsEx},
        {"actWordWrap", actWordWrap},
        {"actPrintPreview", actPrintPreview},
    };
    for (const auto &[key, action] : keyed) {
        const auto [caption, tip, status] = texts(key);
        action->setText(caption);
        action->setToolTip(tip);
        action->setStatusTip(status);
    }

    SaveChanges = table.ReadString(Section, QStringLiteral("SaveChanges"), QString());
    Untitled = table.ReadString(Section, QStringLiteral("Untitled"), QString());
    const QList<TMMRxRichEditPrev *> editors = Editors();
    for (TMMRxRichEditPrev *editor : editors) {
        if (editor->Named)
            continue;
        editor->FileName = QStringLiteral("%1 %2").arg(Untitled).arg(editor->Tag);
        PageControl->setTabText(PageControl->indexOf(editor), editor->FileName);
    }
    Modified = table.ReadString(Section, QStringLiteral("Modified"), QString());
    if (TMMRxRichEditPrev *editor = ActiveEditor(); editor && editor->Modified())
        MarkModified(editor);
    TextNotFound = table.ReadString(Section, QStringLiteral("TextNotFound"), QString());
    DialogFilter = table.ReadString(Section, QStringLiteral("DialogFilter"), QString());
    Opening = table.ReadString(Section, QStringLiteral("Opening"), QString());
    const QStringList filters = nameFilters(DialogFilter);
    OpenDialog->setNameFilters(filters);
    SaveDialog->setNameFilters(filters);
    UpdateCaretStatus(ActiveEditor());
}
