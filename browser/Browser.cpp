#include "browser/Browser.h"

#include "browser/BrowserMessages.h"
#include "browser/Charsets.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/PagePrinters.h"
#include "browser/PageRendering.h"
#include "platform/HistoryStore.h"
#include "platform/TextRules.h"
#include "settings/LanguageFonts.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMdiArea>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QTimer>
#include <array>

namespace {

const char *const kFontActions[] = {"aSmallest", "aSmaller", "aMedium", "aLarger", "aLargest"};

const char *const kEncodeActions[] = {
    "aDefaultCharSet",
    "aAutoDetect",
    "aJapaneseAutoDetect",
    "aJapaneseShiftJIS",
    "aJapaneseEUCJP",
    "aUnicodeUTF8",
    "aUnicodeUTF7",
    "aArabiaWindows",
    "aBalticISO",
    "aBalticWindows",
    "aCentralEuropeISO",
    "aCentralEuropeWindows",
    "aSimplifiedChineseGB2312",
    "aSimplifiedChineseHZ",
    "aTraditionalChineseBig5",
    "aCyrillicISO",
    "aCyrillicKOI8R",
    "aCyrillicWindows",
    "aGreekISO",
    "aGreekWindows",
    "aHebrewWindows",
    "aKoreanAutoDetect",
    "aThaiWindows",
    "aTurkishISO",
    "aTurkishWindows",
    "aVietnameseWindows",
    "aWestEuropeISO",
    "aWestEuropeWindows",
    "aLatinISO",
};

} // namespace

const QStringList &TfrmBrowser::CharsetTable()
{
    static const QStringList table = {
        "DefaultCharSet", "_autodetect",  "_autodetect",  "shift_jis",    "euc-jp",      "utf-8",
        "utf-7",          "windows-1256", "iso-8859-4",   "windows-1257", "iso-8859-2",  "windows-1250",
        "gb2312",         "hz-gb-2312",   "big5",         "iso-8859-5",   "koi8-r",      "windows-1251",
        "iso-8859-7",     "windows-1253", "windows-1255", "_autodetect",  "windows-874", "iso-8859-9",
        "windows-1254",   "windows-1258", "iso-8859-1",   "windows-1252", "iso-8859-15",
    };
    return table;
}

// The inside of a page window. It places the page view itself, so that the view can keep a size of
// its own while the window is covered (TfrmBrowser::fitView).
class TPageHolder : public QWidget {
public:
    TPageHolder(TfrmBrowser *page)
        : QWidget(page)
        , m_page(page)
    {}
    QSize sizeHint() const override { return m_page->m_browser ? m_page->m_browser->sizeHint() : QWidget::sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_page->holderResized();
    }

private:
    TfrmBrowser *m_page;
};

// One for each window area: after the area's windows have been activated, maximised, restored or
// resized, it sizes every page view at once. While the active window is maximised, the views of the
// windows behind it keep its inside's size, so that bringing one of them to the front (where it is
// maximised in turn) draws its page at once instead of first blank, then laid out anew by the engine.
//
// It also hides the view of every window the user cannot see (behind a maximised one, or behind
// others that cover all of it): the engine then treats its page as a background page (it reads
// hidden, runs no animation frames and draws nothing) and lets go of its drawn frames. A window the
// user points at (its tab) has its page drawn behind the others, ready to be brought forward. A
// window brought to the front shows its view first, and the window holding the area is not
// repainted until that view shows the page (or HoldMs has passed), so the user sees the switch in
// one step.
//
// Before the area is first shown (while the windows saved at the last exit are reopened) nothing is
// laid out: the windows found covered then have their views hidden at once, so that their pages are
// never drawn when the area shows; the others are fitted once it has.
class TPageViewSizes : public QObject {
public:
    // The longest the window waits for a page shown again before it is repainted anyway.
    static constexpr int HoldMs = 250;

    static TPageViewSizes *of(QMdiArea *area)
    {
        for (QObject *child : area->children())
            if (auto *sizes = dynamic_cast<TPageViewSizes *>(child))
                return sizes;
        return new TPageViewSizes(area);
    }

    // Fits the views after the given delay, or sooner when a refit is due sooner already; at once
    // while the area is hidden, since it may be shown before the event loop runs again.
    void schedule(int ms)
    {
        if (!m_area->isVisible()) {
            refit();
            return;
        }
        if (!m_timer.isActive() || m_timer.remainingTime() > ms)
            m_timer.start(ms);
    }

    void refit()
    {
        m_timer.stop();
        const QMdiSubWindow *current = m_area->currentSubWindow();
        if (!m_area->isVisible()) {
            // only hidden, never shown: the others show with the area and are fitted then
            const QSet<const QMdiSubWindow *> covered = coveredWindows();
            for (QMdiSubWindow *w : m_area->subWindowList())
                if (auto *page = qobject_cast<TfrmBrowser *>(w); page && page != m_pointed && covered.contains(w))
                    showView(page, false, false);
            return;
        }
        QSize held;
        if (current && current->widget() && current->isMaximized() && current->isVisible())
            held = current->widget()->size();
        const QSet<const QMdiSubWindow *> covered = coveredWindows();
        for (QMdiSubWindow *w : m_area->subWindowList())
            if (auto *page = qobject_cast<TfrmBrowser *>(w)) {
                page->fitView(page != current && !page->isMinimized() && !page->isMaximized() ? held : QSize());
                showView(page, page == m_pointed || !covered.contains(page), false);
            }
    }

    // Shows the page of a window that is about to come to the front, holding the window's picture
    // until it is drawn. While the area is being shown every window is activated in turn (the area
    // and its windows do so as their insides show): the one left in front is shown by the refit
    // that follows, the others stay hidden.
    void uncover(TfrmBrowser *page)
    {
        if (m_areaShown)
            showView(page, true, true);
    }

    TfrmBrowser *pointed() const { return m_pointed; }
    // The window the user points at (none: null); its page is drawn even while covered.
    void point(TfrmBrowser *page)
    {
        if (page == m_pointed)
            return;
        m_pointed = page;
        if (page)
            showView(page, true, false);
        schedule(0);
    }

private:
    explicit TPageViewSizes(QMdiArea *area)
        : QObject(area)
        , m_area(area)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &TPageViewSizes::refit);
        connect(area, &QMdiArea::subWindowActivated, this, [this] { schedule(0); });
        m_holdTimer.setSingleShot(true);
        connect(&m_holdTimer, &QTimer::timeout, this, &TPageViewSizes::release);
        m_areaShown = area->isVisible();
        area->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // the area's own show comes after its windows' (and their views') have been shown
        if (watched == m_area && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
            m_areaShown = event->type() == QEvent::Show;
        // a narrower area may leave a window beyond its edge, a wider one bring it back
        if (watched == m_area && event->type() == QEvent::Resize && m_areaShown)
            schedule(0);
        return false;
    }

    // The windows of the area that the user cannot see: those whose part inside the area lies wholly
    // under the windows above them. While the area is hidden it has no size of its own yet: a
    // window is covered when all of it lies under the windows above it, or under a maximised one.
    QSet<const QMdiSubWindow *> coveredWindows() const
    {
        QSet<const QMdiSubWindow *> covered;
        const bool laidOut = m_area->isVisible();
        const QRect inside = m_area->viewport()->rect();
        QRegion above;
        bool maximisedAbove = false;
        const QList<QMdiSubWindow *> stack = m_area->subWindowList(QMdiArea::StackingOrder);
        for (qsizetype i = stack.size() - 1; i >= 0; --i) {
            const QMdiSubWindow *w = stack.at(i);
            if (!w->isVisibleTo(m_area))
                continue;
            const QRect rect = w->geometry();
            if (maximisedAbove || (QRegion(laidOut ? rect & inside : rect) - above).isEmpty())
                covered.insert(w);
            above += rect;
            maximisedAbove = maximisedAbove || (!laidOut && w->isMaximized());
        }
        return covered;
    }

    void showView(TfrmBrowser *page, bool shown, bool hold)
    {
        QWidget *view = page->m_browser;
        // a view never hidden shows with its window, also one that has not been shown yet
        if (!view || !(view->isHidden() && view->testAttribute(Qt::WA_WState_ExplicitShowHide)) == shown)
            return;
        view->setVisible(shown);
        // a hidden view keeps no picture; one shown again draws a new one before it is painted
        auto *surface = view->findChild<QQuickWidget *>();
        if (!shown)
            pagerendering::dropPicture(surface);
        else if (surface && surface->isVisible())
            pagerendering::redraw(surface);
        if (shown && hold)
            holdUntilDrawn(view);
    }

    // The engine draws a page shown again a moment later; until then its view would show it blank.
    // The window keeps its picture until the view shows more than one colour: a page all of one
    // colour is shown once HoldMs has passed.
    void holdUntilDrawn(QWidget *view)
    {
        auto *surface = view->findChild<QQuickWidget *>();
        QWidget *top = m_area->window();
        if (!surface || !surface->quickWindow() || !view->isVisible() || !top->isVisible())
            return;
        if (top->updatesEnabled()) {
            top->setUpdatesEnabled(false);
            m_held = top;
            m_holdTimer.start(HoldMs);
        } else if (!m_held) {
            return; // someone else holds the window's painting
        }
        if (m_waiting.contains(surface))
            return;
        m_waiting.insert(surface, {connect(
                                       surface->quickWindow(), &QQuickWindow::afterRendering, this,
                                       [this, surface] {
                                           if (TfrmBrowser::showsPicture(surface->grab().toImage()))
                                               drawn(surface);
                                       },
                                       Qt::QueuedConnection),
                                   connect(surface, &QObject::destroyed, this, [this, surface] { drawn(surface); })});
    }

    void drawn(QQuickWidget *surface)
    {
        const auto waiting = m_waiting.find(surface);
        if (waiting == m_waiting.end())
            return;
        for (const QMetaObject::Connection &c : std::as_const(*waiting))
            disconnect(c);
        m_waiting.erase(waiting);
        if (m_waiting.isEmpty())
            release();
    }

    void release()
    {
        m_holdTimer.stop();
        for (const auto &connections : std::as_const(m_waiting))
            for (const QMetaObject::Connection &c : connections)
                disconnect(c);
        m_waiting.clear();
        if (m_held) {
            m_held->setUpdatesEnabled(true);
            // at once: an update asked for while the window was held is not carried out by itself
            m_held->repaint();
        }
        m_held = nullptr;
    }

    QMdiArea *m_area;
    QTimer m_timer;
    QTimer m_holdTimer;
    QPointer<QWidget> m_held;
    QPointer<TfrmBrowser> m_pointed;
    // whether the area has been shown: its windows' show is over
    bool m_areaShown = false;
    // the views waited for, with what tells of their next picture and of their end
    QHash<QQuickWidget *, std::array<QMetaObject::Connection, 2>> m_waiting;
};

bool TfrmBrowser::showsPicture(const QImage &image)
{
    // every eighth pixel of every eighth line is enough to tell a page from the blank before it
    if (image.isNull())
        return false;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = pixels.pixel(0, 0);
    for (int y = 0; y < pixels.height(); y += 8) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); x += 8)
            if (line[x] != first)
                return true;
    }
    return false;
}

TfrmBrowser::TfrmBrowser(QMdiArea *area, QObject *owner)
    : QMdiSubWindow(nullptr)
    , m_owner(owner)
    , m_holder(new TPageHolder(this))
    , m_browser(new TIEBrowser(m_holder))
    , m_sizes(TPageViewSizes::of(area))
{
    setObjectName(QStringLiteral("frmBrowser"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Browser"));
    m_holder->setFocusProxy(m_browser);
    m_browser->installEventFilter(this);
    setWidget(m_holder);
    connect(this, &QMdiSubWindow::windowStateChanged, m_sizes, [this] { m_sizes->schedule(0); });
    // the page is shown before the window comes to the front, so that it takes the input focus there
    connect(this, &QMdiSubWindow::aboutToActivate, m_sizes, [this] { m_sizes->uncover(this); });
    resize(696, 480);
    m_browser->setObjectName(QStringLiteral("WebBrowser"));
    // printed pages carry the title and page number above, the address and date below, unless page
    // setup has been given others
    m_browser->PrintOptions().Header = pageprint::storedHeader(QStringLiteral("&w&b&p/&P ページ"));
    m_browser->PrintOptions().Footer = pageprint::storedFooter(QStringLiteral("&u&b&d"));
    m_browser->PrintOptions().HTMLHeader = QStringList{QStringLiteral("<HTML></HTML>")};

    for (int tag = 0; tag < int(std::size(kFontActions)); ++tag) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(kFontActions[tag]));
        a->setCheckable(true);
        a->setData(tag);
        connect(a, &QAction::triggered, this, [this, a] { aMediumExecute(a); });
        m_fontList.append(a);
    }
    for (int tag = 0; tag < int(std::size(kEncodeActions)); ++tag) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(kEncodeActions[tag]));
        a->setCheckable(true);
        a->setData(tag);
        a->setToolTip(CharsetTable().at(tag));
        connect(a, &QAction::triggered, this, [this, a] { aDefaultCharSetExecute(a); });
        m_encodeList.append(a);
    }
    m_encodeList.first()->setChecked(true);

    connect(m_browser, &TIEBrowser::StatusTextChange, this, [this](const QString &text) {
        if (IsActive() && OnStatusTextChanged)
            OnStatusTextChanged(this, text);
    });
    connect(m_browser, &TIEBrowser::ProgressChange, this, [this](int progress, int progressMax) {
        m_progress = progress;
        m_progressMax = progressMax;
        if (IsActive() && OnDownloading)
            OnDownloading(this, progress, progressMax);
    });
    connect(m_browser, &TIEBrowser::CommandStateChange, this, [this](int command, bool enable) {
        if (command == 1)
            m_canGoForward = enable;
        else if (command == 2)
            m_canGoBack = enable;
    });
    connect(m_browser, &TIEBrowser::TitleChange, this, [this](const QString &title) {
        setWindowTitle(title);
        if (OnTitleChanged)
            OnTitleChanged(this, title);
    });
    connect(m_browser, &TIEBrowser::DocumentComplete, this, &TfrmBrowser::WebBrowserDocumentComplete);
    m_browser->OnBeforeNavigate = [this](TIEBrowser *, QString &url, bool &cancel) {
        if (OnDownloadBegin)
            OnDownloadBegin(this, url, cancel);
    };
    m_browser->OnNewWindow2 = [this](TIEBrowser *, QWebEnginePage::WebWindowType) -> QWebEnginePage * {
        QMdiArea *a = mdiArea();
        if (!a)
            return nullptr;
        auto *page = new TfrmBrowser(a, m_owner);
        page->show();
        return page->WebBrowser()->page();
    };
    m_browser->OnCloseQuery = [this](TIEBrowser *, bool &canClose) {
        canClose = true;
        QTimer::singleShot(0, this, [this] { close(); });
    };
    m_browser->OnTranslateAccelerator = [this](TIEBrowser *, QKeyEvent *key) {
        // the owner hears of Esc, the function keys and every key pressed with Ctrl
        const int k = key->key();
        const bool forwarded = k == Qt::Key_Escape || (k >= Qt::Key_F1 && k <= Qt::Key_F12) ||
                               key->modifiers().testFlag(Qt::ControlModifier);
        if (!m_owner || !forwarded)
            return false;
        browsermessages::KeyOfferedEvent offered(key->keyCombination());
        QCoreApplication::sendEvent(m_owner, &offered);
        // a handled key is consumed; the window keeps its caption
        return offered.isAccepted();
    };

    // the window sits in the area before its owner hears of it, and shows (becoming the active one)
    // only after the owner has taken the state of the window active until now
    area->addSubWindow(this);
    if (m_owner) {
        browsermessages::BrowserCreatedEvent created(this);
        QCoreApplication::sendEvent(m_owner, &created);
    }
    if (!isVisible())
        show();
}

TfrmBrowser::~TfrmBrowser()
{
    if (OnBrowserFreed)
        OnBrowserFreed(this);
    // the control's page goes before the program's profile
    delete m_browser;
    m_browser = nullptr;
}

QString TfrmBrowser::UserAgent() const
{
    return m_browser->UserAgent();
}

void TfrmBrowser::setUserAgent(const QString &token)
{
    m_browser->SetUserAgent(token);
}

bool TfrmBrowser::IsActive() const
{
    const QMdiArea *area = mdiArea();
    return area && area->currentSubWindow() == this;
}

void TfrmBrowser::fitView(const QSize &held)
{
    setViewSize(held.isValid() ? held : m_holder->size());
}

void TfrmBrowser::setViewSize(const QSize &size)
{
    // a page the user has not seen yet is laid out at its window's width and one line high, until
    // it is shown at the size asked for: the engine keeps a picture of each page at the size it is
    // laid out at, although it draws none while the page is hidden
    m_viewSize = size;
    const QRect target(QPoint(), m_viewShown ? size : QSize(size.width(), 1));
    if (m_browser->geometry() != target)
        m_browser->setGeometry(target);
}

bool TfrmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_browser && event->type() == QEvent::Show && !m_viewShown) {
        // shown for the first time: laid out at its size before anything is drawn
        m_viewShown = true;
        setViewSize(m_viewSize.expandedTo(m_holder->size()));
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void TfrmBrowser::holderResized()
{
    if (!m_browser)
        return;
    // a larger inside is filled at once; a view larger than its window is cut down once the area
    // has settled, since a window being sent behind a maximised one keeps its view's size
    const QSize grown = m_browser->size().expandedTo(m_holder->size());
    if (grown != m_browser->size())
        setViewSize(grown);
    // the maximised window in front sets the size of the views behind it: while the area is
    // being resized they follow a little later, not at every step
    if (m_sizes)
        m_sizes->schedule(IsActive() && isMaximized() ? 100 : 0);
}

TWindowState TfrmBrowser::WindowStateValue() const
{
    if (isMinimized())
        return TWindowState::wsMinimized;
    if (isMaximized())
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TfrmBrowser::SetWindowStateValue(TWindowState state)
{
    switch (state) {
    case TWindowState::wsMinimized:
        showMinimized();
        break;
    case TWindowState::wsMaximized:
        showMaximized();
        break;
    default:
        showNormal();
        break;
    }
    // a window given its place and state while the area is hidden (reopened at start) hears of no
    // resize that would tell whether it is covered
    if (m_sizes)
        m_sizes->schedule(0);
}

void TfrmBrowser::PrepareToShow(bool soon)
{
    if (!m_sizes)
        return;
    if (soon)
        m_sizes->point(this);
    else if (m_sizes->pointed() == this)
        m_sizes->point(nullptr);
}

void TfrmBrowser::FormActivate()
{
    if (OnBrowserActivate)
        OnBrowserActivate(this);
}

void TfrmBrowser::ApplyLanguage(const TMemIni &table)
{
    const TTableFont tableFont = ReadTableFont(table, font(), property("Charset").toInt());
    setProperty("Charset", tableFont.charset);
    setFont(tableFont.font);
    const QString section = QStringLiteral("Browser");
    setWindowTitle(table.ReadString(section, QStringLiteral("Caption"), QString()) + u' ' +
                   QString::number(BrowserIndex + 1));
    const TIEBrowser::TTexts &english = TIEBrowser::DefaultTexts();
    m_browser->SetTexts({
        table.ReadString(section, QStringLiteral("ProgramLink"), english.programLink),
        table.ReadString(section, QStringLiteral("Program"), english.program),
        table.ReadString(section, QStringLiteral("OpenProgram"), english.open),
        table.ReadString(section, QStringLiteral("DontOpenProgram"), english.dontOpen),
        table.ReadString(section, QStringLiteral("NoProgram"), english.noProgram),
        table.ReadString(section, QStringLiteral("DownloadsRefused"), english.downloadsRefused),
    });
}

void TfrmBrowser::aMediumExecute(QAction *sender)
{
    for (QAction *a : std::as_const(m_fontList))
        a->setChecked(false);
    sender->setChecked(true);
    m_browser->SetFontSize(sender->data().toInt());
}

void TfrmBrowser::aDefaultCharSetExecute(QAction *sender)
{
    for (QAction *a : std::as_const(m_encodeList))
        a->setChecked(false);
    sender->setChecked(true);
    const int tag = sender->data().toInt();
    m_browser->SetCharset(tag == 0 ? m_browser->DefaultCharset() : CharsetTable().at(tag));
}

void TfrmBrowser::WebBrowserDocumentComplete(const QUrl &url, bool topLevel)
{
    // the address box shows the top document's address: a frame that completes late must not replace it
    if (topLevel && IsActive() && OnAddressChanged)
        OnAddressChanged(this, url.toString());
    // every completed page is remembered, but the program's internal pages
    if (topLevel && HistoryStore::isRecordable(url.toString()))
        HistoryStore::shared().recordVisit(url.toString(), m_browser->LocationName());
    MarkActions();
}

void TfrmBrowser::MarkActions()
{
    for (QAction *a : std::as_const(m_fontList))
        a->setChecked(false);
    const int size = m_browser->FontSize();
    m_fontList.at(size >= 0 && size < m_fontList.size() ? size : 0)->setChecked(true);
    for (QAction *a : std::as_const(m_encodeList))
        a->setChecked(false);
    const QString charset = m_browser->Charset();
    if (charset.isEmpty())
        return;
    // the engine names the encoding it decodes with ("GBK" for a page declared gb2312): the action of
    // that very name, else the first whose name is another label of the same encoding
    int marked = -1;
    for (int tag = 1; tag < m_encodeList.size() && marked < 0; ++tag)
        if (textrules::sameText(CharsetTable().at(tag), charset))
            marked = tag;
    for (int tag = 1; tag < m_encodeList.size() && marked < 0; ++tag)
        if (charsets::same(CharsetTable().at(tag), charset))
            marked = tag;
    if (marked >= 0)
        m_encodeList.at(marked)->setChecked(true);
}

void TfrmBrowser::closeEvent(QCloseEvent *event)
{
    // a script of the page no longer gets answers; one waiting for its dialog has it cancelled, and
    // the window closes once that script has its answer
    m_browser->EndScriptDialogs();
    if (m_browser->InScriptDialog()) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (m_closing) {
        QMdiSubWindow::closeEvent(event);
        leaveOwner(event);
        return;
    }
    m_closing = true;
    if (m_browser->Busy()) {
        m_browser->Navigate(QStringLiteral("about:blank"));
        QElapsedTimer waited;
        waited.start();
        // the wait runs the event loop: other windows keep working meanwhile
        while (m_browser->Busy() && waited.elapsed() < CloseWaitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // a download refused a moment ago is still being wound up by the engine
    QElapsedTimer settling;
    settling.start();
    while (m_browser->DownloadSettleMs() > 0 && settling.elapsed() < CloseWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QMdiSubWindow::closeEvent(event);
    leaveOwner(event);
}

void TfrmBrowser::leaveOwner(const QCloseEvent *event)
{
    // the owner hears of a closed window at once, not when it is deleted later: windows closed in
    // one pass are gone from the area's list by then, and the owner numbers the rest from that list
    if (!event->isAccepted() || !OnBrowserFreed)
        return;
    const auto freed = std::move(OnBrowserFreed);
    OnBrowserFreed = nullptr;
    freed(this);
}

void TfrmBrowser::changeEvent(QEvent *event)
{
    // the rectangle a window leaves when it is minimised or maximised is its normal one, also when it
    // was given while hidden (a hidden window hears of no move or resize); the area's own bookkeeping
    // of states (an override) changes no rectangle
    if (event->type() == QEvent::WindowStateChange) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        if (!change->isOverride() && !(change->oldState() & (Qt::WindowMinimized | Qt::WindowMaximized)) &&
            WindowStateValue() != TWindowState::wsNormal)
            m_normalGeometry = geometry();
    }
    QMdiSubWindow::changeEvent(event);
}

void TfrmBrowser::moveEvent(QMoveEvent *event)
{
    QMdiSubWindow::moveEvent(event);
    if (WindowStateValue() == TWindowState::wsNormal)
        m_normalGeometry = geometry();
    // a window moved may uncover others or leave the area
    if (m_sizes)
        m_sizes->schedule(0);
}

void TfrmBrowser::resizeEvent(QResizeEvent *event)
{
    QMdiSubWindow::resizeEvent(event);
    if (WindowStateValue() == TWindowState::wsNormal)
        m_normalGeometry = geometry();
}
