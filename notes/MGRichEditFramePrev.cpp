#include "notes/MGRichEditFramePrev.h"

#include "notes/MMRxRichEditPrev.h"
#include "platform/ActionUpdater.h"
#include "platform/ApplicationTitle.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

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
    createBars();
    createDialogs();
    NewDocument();
}

TMGRichEditFramePrev::~TMGRichEditFramePrev()
{
    // the documents go before the frame's own parts they report to
    PageControl->disconnect(this);
    for (TMMRxRichEditPrev *editor : Editors()) {
        editor->OnChange = nullptr;
        editor->OnUndo = nullptr;
    }
}

void TMGRichEditFramePrev::createActions()
{
    auto action = [this](const char *name, auto handler) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        addAction(a);
        return a;
    };
    actFileNew = action("actFileNew", [this] { NewDocument(); });
    actFileOpen = action("actFileOpen", [this] { openExecute(); });
    actFileSave = action("actFileSave", [this] { Save(ActiveEditor()); });
    actFileSaveAs = action("actFileSaveAs", [this] { SaveAs(ActiveEditor()); });
    actFileSaveAll = action("actFileSaveAll", [this] { SaveAll(); });
    actFileClose = action("actFileClose", [this] { closeExecute(); });
    actFilePrint = action("actFilePrint", [this] { PrintActive(); });
    actPrintPreview = action("actPrintPreview", [this] { PreviewActive(); });
    MMRichEditFindEx = action("MMRichEditFindEx", [this] { ActiveEditor()->FindDialog(QString()); });
    MMRichEditFindNextEx = action("MMRichEditFindNextEx", [this] { ActiveEditor()->FindNext(); });
    MMRichEditReplaceEx =
        action("MMRichEditReplaceEx", [this] { ActiveEditor()->ReplaceDialog(QString(), QString()); });
    actFileSaveAll->setEnabled(false);

    // Save stays available for an untitled document, even an empty one
    m_updater->add(actFileSave, [this](QAction *a) {
        const TMMRxRichEditPrev *editor = ActiveEditor();
        a->setEnabled(editor && (editor->Modified() || !editor->Named));
    });
    m_updater->add(MMRichEditFindNextEx, [this](QAction *a) {
        const TMMRxRichEditPrev *editor = ActiveEditor();
        a->setEnabled(editor && editor->CanFindNext());
    });
}

void TMGRichEditFramePrev::createBars()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    CoolBar1 = new QWidget(this);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    auto *bands = new QHBoxLayout(CoolBar1);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    tlbToolbar = new QToolBar(CoolBar1);
    tlbToolbar->setObjectName(QStringLiteral("tlbToolbar"));
    tlbToolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tlbToolbar->addActions({actFileNew, actFileOpen});
    tlbToolbar->addSeparator();
    tlbToolbar->addActions({actFileSave, actFileSaveAs, actFileSaveAll});
    tlbToolbar->addSeparator();
    tlbToolbar->addAction(actFileClose);
    tlbToolbar->addSeparator();
    tlbToolbar->addActions({actFilePrint, actPrintPreview});
    ToolBar3 = new QToolBar(CoolBar1);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar3->addActions({MMRichEditFindEx, MMRichEditFindNextEx});
    ToolBar3->addSeparator();
    ToolBar3->addAction(MMRichEditReplaceEx);
    auto *bars = new QVBoxLayout;
    bars->addWidget(tlbToolbar);
    bars->addWidget(ToolBar3);
    bands->addLayout(bars);
    bands->addStretch();
    layout->addWidget(CoolBar1);

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
        panel->setMinimumWidth(width);
        m_statusPanels.append(panel);
        StatusBar->addWidget(panel, width == 50 ? 1 : 0);
    }
    m_statusPanels[1]->setAlignment(Qt::AlignCenter);
    layout->addWidget(StatusBar);
}

void TMGRichEditFramePrev::createDialogs()
{
    auto dialog = [this](const char *name, QFileDialog::AcceptMode mode) {
        auto *d = new QFileDialog(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setAcceptMode(mode);
        d->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        d->setDefaultSuffix(QStringLiteral("rtf"));
        d->setOption(QFileDialog::DontUseNativeDialog);
        return d;
    };
    OpenDialog = dialog("OpenDialog", QFileDialog::AcceptOpen);
    SaveDialog = dialog("SaveDialog", QFileDialog::AcceptSave);
}

// ---- documents ----

TMMRxRichEditPrev *TMGRichEditFramePrev::NewDocument()
{
    auto *editor = new TMMRxRichEditPrev(PageControl);
    editor->OnChange = [this, editor](TMMRxCustomRichEdit *) { richEditChange(editor); };
    editor->OnUndo = [this, editor](TMMRxCustomRichEdit *) { richEditUndo(editor); };
    editor->OnTextNotFound = [this](TMMRxCustomRichEdit *, const QString &text) { textNotFound(text); };
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
    updateSaveAll();
    PageControlChange();
}

bool TMGRichEditFramePrev::OpenFile(const QString &fileName)
{
    // an opened file always gets a tab of its own
    TMMRxRichEditPrev *editor = NewDocument();
    m_loading = true;
    try {
        editor->Lines().LoadFromFile(fileName);
    } catch (const PlatformError &e) {
        m_loading = false;
        CloseDocument(PageControl->indexOf(editor));
        showError(e.message());
        return false;
    }
    m_loading = false;
    editor->FileName = QFileInfo(fileName).absoluteFilePath();
    editor->Named = true;
    editor->SetModified(false);
    UpdateFileCaption(editor);
    setStatusPanel(0, QString());
    return true;
}

void TMGRichEditFramePrev::openExecute()
{
    if (dialogrunner::exec(*OpenDialog) != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty())
        return;
    OpenFile(OpenDialog->selectedFiles().constFirst());
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
    SaveDialog->selectFile(PageControl->tabText(PageControl->indexOf(editor)));
    if (dialogrunner::exec(*SaveDialog) != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
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

void TMGRichEditFramePrev::updateSaveAll()
{
    actFileSaveAll->setEnabled(AnyModified());
}

void TMGRichEditFramePrev::UpdateFileCaption(TMMRxRichEditPrev *editor)
{
    if (editor != ActiveEditor())
        return;
    if (editor->Named) {
        setStatusPanel(2, u' ' + QDir::toNativeSeparators(editor->FileName));
        PageControl->setTabText(PageControl->indexOf(editor), QFileInfo(editor->FileName).fileName());
        PageControl->setTabToolTip(PageControl->indexOf(editor), QDir::toNativeSeparators(editor->FileName));
    } else {
        setStatusPanel(2, QString());
    }
}

void TMGRichEditFramePrev::MarkModified(TMMRxRichEditPrev *editor)
{
    if (editor == ActiveEditor())
        setStatusPanel(0, Modified);
    updateSaveAll();
}

void TMGRichEditFramePrev::MarkSaved(TMMRxRichEditPrev *editor)
{
    editor->SetModified(false);
    if (editor == ActiveEditor())
        setStatusPanel(0, QString());
    updateSaveAll();
}

void TMGRichEditFramePrev::PageControlChange()
{
    TMMRxRichEditPrev *editor = ActiveEditor();
    if (!editor)
        return;
    UpdateFileCaption(editor);
    setStatusPanel(0, editor->Modified() ? Modified : QString());
    m_updater->updateAll();
}

void TMGRichEditFramePrev::richEditChange(TMMRxRichEditPrev *editor)
{
    if (m_loading)
        return;
    MarkModified(editor);
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

void TMGRichEditFramePrev::ApplyLanguage(const TMemIni &table)
{
    const std::pair<const char *, QAction *> keyed[] = {
        {"actFileNew", actFileNew},
        {"actFileClose", actFileClose},
        {"actFileOpen", actFileOpen},
        {"actFileSave", actFileSave},
        {"actFilePrint", actFilePrint},
        {"actFileSaveAs", actFileSaveAs},
        {"actFileSaveAll", actFileSaveAll},
        {"actPrintPreview", actPrintPreview},
        {"RichEditFindEx", MMRichEditFindEx},
        {"RichEditFindNextEx", MMRichEditFindNextEx},
        {"RichEditReplaceEx", MMRichEditReplaceEx},
    };
    for (const auto &[name, action] : keyed) {
        const QString key = QString::fromLatin1(name);
        action->setText(table.ReadString(Section, key, QString()));
        const QString hint = table.ReadString(Section, key + QStringLiteral("Hint"), QString());
        const qsizetype bar = hint.indexOf(u'|');
        action->setToolTip(bar < 0 ? hint : hint.left(bar));
        action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
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
    const QStringList filters = nameFilters(DialogFilter);
    OpenDialog->setNameFilters(filters);
    SaveDialog->setNameFilters(filters);
}
