#include "browser/IEBrowsers.h"

#include "browser/BrowserDialogs.h"
#include "browser/Charsets.h"
#include "browser/DownloadNames.h"
#include "browser/ExternalPrograms.h"
#include "browser/FindDialogs.h"
#include "browser/InternetOptions.h"
#include "browser/PageScripts.h"
#include "browser/ScriptDropGuards.h"
#include "browser/UserAddresses.h"
#include "browser/WebEngineProfiles.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"
#include "platform/RegularFiles.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QHash>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <algorithm>
#include <array>

namespace {

const QString UserAgentKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform");
const QString BlankPage = QStringLiteral("about:blank");
// the engine takes content of at most this size from the program (it travels as a data URL)
constexpr qsizetype MaxContentBytes = 2 * 1024 * 1024 - 1024;
constexpr int CharsetAnswerTimeoutMs = 3000;
constexpr qsizetype MaxCharsetName = 64;
const QString FrameReporterName = QStringLiteral("brivo-frames");
// frames told of while their page loads, kept to be told after it, and the characters of their addresses
constexpr qsizetype MaxPendingFrames = 4096;
constexpr qsizetype MaxPendingFrameChars = 4 * 1024 * 1024;

// How many live controls carry each user-agent token: the store's value lives while one does.
QHash<QString, int> &userAgentCounts()
{
    static QHash<QString, int> counts;
    return counts;
}

QString permissionText(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Geolocation:
        return QObject::tr("know your location");
    case QWebEnginePage::MediaAudioCapture:
        return QObject::tr("use your microphone");
    case QWebEnginePage::MediaVideoCapture:
        return QObject::tr("use your camera");
    case QWebEnginePage::MediaAudioVideoCapture:
        return QObject::tr("use your camera and microphone");
    case QWebEnginePage::MouseLock:
        return QObject::tr("hide and lock the mouse pointer");
    case QWebEnginePage::DesktopVideoCapture:
        return QObject::tr("capture your screen");
    case QWebEnginePage::DesktopAudioVideoCapture:
        return QObject::tr("capture your screen and its sound");
    case QWebEnginePage::Notifications:
        return QObject::tr("show notifications");
    }
    return QObject::tr("use a feature of your computer");
}

void connectDownloadsOnce()
{
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    QObject::connect(webengine::profile(), &QWebEngineProfile::downloadRequested, [](QWebEngineDownloadRequest *d) {
        auto *browser = qobject_cast<TIEBrowser *>(QWebEngineView::forPage(d->page()));
        if (!browser) {
            d->cancel();
            return;
        }
        browser->HandleDownload(d);
    });
}

} // namespace

double zoomForTextSize(int level)
{
    static constexpr std::array<double, TextSizeLevels> zoom = {0.7, 0.85, 1.0, 1.2, 1.5};
    return zoom[std::clamp(level, 0, TextSizeLevels - 1)];
}

bool isRoutedKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return false;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // the keypad's arrows are offered like any other key
        return modifiers.testFlag(Qt::KeypadModifier);
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// TBrowserPage

TBrowserPage::TBrowserPage(TIEBrowser *browser)
    : QWebEnginePage(webengine::profile(), browser)
    , m_browser(browser)
{
    connect(this, &QWebEnginePage::newWindowRequested, this, &TBrowserPage::openWindow);
}

void TBrowserPage::allowUserWindow()
{
    m_userInput.start();
    m_userWindows = 1;
    m_userPrograms = 1;
    grantUserDownload();
    m_ownDownloadStarted = false;
    m_refusalTold = false;
}

void TBrowserPage::grantUserDownload()
{
    m_userDownloadAge.start();
    m_userDownloads = 1;
}

void TBrowserPage::setOpenerPage(const QUrl &page)
{
    m_openerPage = page;
    m_browser->m_interceptor->setOpenerPage(page);
}

bool TBrowserPage::userInputIsRecent() const
{
    return m_userInput.isValid() && m_userInput.elapsed() <= UserWindowGraceMs;
}

void TBrowserPage::userActivated(const QUrl &target)
{
    m_userLink = target;
    m_userLinkPosts = false;
    m_userLinkAge.start();
}

bool TBrowserPage::takeUserLink(const QUrl &url, NavigationType type)
{
    if (m_userLink.isEmpty() || !m_userLinkAge.isValid() || m_userLinkAge.elapsed() > UserWindowGraceMs)
        return false;
    QUrl::FormattingOptions same = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    // a form sent by GET carries its fields as the query of its address
    if (type == NavigationTypeFormSubmitted)
        same |= QUrl::RemoveQuery | QUrl::RemoveFragment;
    if (url.adjusted(same) != m_userLink.adjusted(same))
        return false;
    m_userLink.clear();
    return true;
}

QString TBrowserPage::keptFromOpening(const QUrl &address)
{
    return TIEBrowser::tr("The local page was kept from opening %1 on its own.").arg(address.toDisplayString());
}

bool TBrowserPage::takeUserProgram()
{
    if (pagescripts::reportsTheUser(url()) || m_userPrograms <= 0 || !userInputIsRecent())
        return false;
    --m_userPrograms;
    return true;
}

bool TBrowserPage::mayDownload(const QUrl &address)
{
    if (!m_typedAddress.isEmpty() && address == m_typedAddress && m_typedAddressAge.isValid() &&
        m_typedAddressAge.elapsed() <= UserWindowGraceMs) {
        m_typedAddress.clear();
        return true;
    }
    if (m_userDownloads > 0 && m_userDownloadAge.isValid() && m_userDownloadAge.elapsed() <= UserWindowGraceMs) {
        --m_userDownloads;
        return true;
    }
    if (!m_ownDownloadStarted) {
        m_ownDownloadStarted = true;
        return true;
    }
    if (!std::exchange(m_refusalTold, true))
        m_browser->tellDownloadsRefused();
    return false;
}

bool TBrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // a link to another program runs it only on the user's own click, and only when the user says so
    if (externalprograms::isProgramLink(url)) {
        if (takeUserLink(url, type) || takeUserProgram()) {
            QPointer<TIEBrowser> browser(m_browser);
            QTimer::singleShot(0, m_browser, [browser, url] {
                if (browser)
                    browser->askToOpenProgram(url);
            });
        } else {
            m_browser->tellRefusal(TIEBrowser::tr("The page was kept from opening another program on its own."));
        }
        return false;
    }
    if (isMainFrame) {
        // the address the user entered stays the user's through the server's redirections, so the
        // download it leads to is the user's; another navigation ends it
        if (type == NavigationTypeRedirect) {
            if (!m_typedAddress.isEmpty()) {
                m_typedAddress = url;
                m_typedAddressAge.start();
            }
        } else if (type != NavigationTypeTyped) {
            m_typedAddress.clear();
        }
        const QUrl localPage = this->url().isLocalFile() ? this->url() : m_openerPage;
        // a document a local page makes of its own content with an origin of its own (a data: one, a
        // blob: one of a sandboxed frame) would tell no script of the program's whose it is, so its
        // window would keep its peer connections: it never becomes the window's document, clicked or not
        if (localPage.isLocalFile() && type != NavigationTypeTyped && webengine::hasOpaqueOrigin(url)) {
            m_browser->tellRefusal(keptFromOpening(url));
            return false;
        }
        // the link the user clicked or dropped opens as the user's own, also in a window that a local
        // page's script opened
        const bool posts = m_userLinkPosts;
        const bool usersLink = takeUserLink(url, type);
        if (usersLink)
            setOpenerPage({});
        // a document a local page makes in place of its own (an empty one, a blob: one) stays that
        // page's: held to its folder and off the network
        if (localPage.isLocalFile() && type != NavigationTypeTyped && webengine::isMadeByPage(url))
            setOpenerPage(localPage);
        // a window a local page's script opened shows no file outside that page's folder and no page
        // of the network (its address could carry what the script read)
        if (!webengine::localPageMayRequest(url, m_openerPage))
            return false;
        // the engine sends no form of a local page to the network: the form the user sent there, by its
        // address, is asked for as the user's own
        if (usersLink && type == NavigationTypeFormSubmitted && !posts && this->url().isLocalFile() &&
            webengine::reachesNetwork(url)) {
            QPointer<TBrowserPage> self(this);
            QTimer::singleShot(0, this, [self, url] {
                if (self)
                    self->load(url);
            });
            return false;
        }
        // a local page leaves for the network only for the link or form the user activated, never on
        // its script's own (the engine calls a script's navigation during the load a redirection too);
        // a server's redirection follows an address already let through
        const bool network = webengine::reachesNetwork(url);
        const bool followsServer = type == NavigationTypeRedirect && m_leavingForNetwork;
        if (this->url().isLocalFile() && network && !usersLink && !followsServer && type != NavigationTypeTyped &&
            type != NavigationTypeBackForward && type != NavigationTypeReload) {
            m_browser->tellRefusal(keptFromOpening(url));
            return false;
        }
        if (type != NavigationTypeRedirect)
            m_leavingForNetwork = network;
        // a local XML document runs its scripts as it is parsed, before the scripts that keep a local
        // page from the network have run: it is shown with none (its handlers never become scripts, so
        // none runs once the next document has them back); its data: copy in a forced encoding too, and
        // every blob: document of a local page, whose address does not tell its kind
        const bool localXml = (webengine::isXmlDocument(url) &&
                               (url.isLocalFile() || (url.scheme() == u"data" && this->url().isLocalFile()))) ||
                              (url.scheme() == u"blob" && localPage.isLocalFile());
        if (localXml != m_browser->m_scriptsHeld) {
            m_browser->m_scriptsHeld = localXml;
            m_browser->applyPageOptions();
        }
        // the internet options may have turned the pages' scripts on or off since
        m_browser->placeFrameReporter();
        if (m_browser->m_loadingForced)
            m_browser->m_loadingForced = false;
        else if (type != NavigationTypeReload && type != NavigationTypeRedirect &&
                 !m_browser->m_forcedCharset.isEmpty()) {
            // a new document: the forced character set belonged to the previous one
            m_browser->m_forcedCharset.clear();
            m_browser->m_forcedBytes.clear();
            m_browser->m_forcedUrl.clear();
        }
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *TBrowserPage::createWindow(WebWindowType)
{
    // every window is opened on the engine's request (openWindow): one left to this is refused
    return nullptr;
}

namespace {

QWebEnginePage::WebWindowType windowType(QWebEngineNewWindowRequest::DestinationType destination)
{
    switch (destination) {
    case QWebEngineNewWindowRequest::InNewTab:
        return QWebEnginePage::WebBrowserTab;
    case QWebEngineNewWindowRequest::InNewDialog:
        return QWebEnginePage::WebDialog;
    case QWebEngineNewWindowRequest::InNewBackgroundTab:
        return QWebEnginePage::WebBrowserBackgroundTab;
    default:
        return QWebEnginePage::WebBrowserWindow;
    }
}

} // namespace

void TBrowserPage::openWindow(QWebEngineNewWindowRequest &request)
{
    if (!m_browser->OnNewWindow2)
        return;
    // a window that no click or key of the user asked for is the page's own doing: refused
    const bool fromUser = m_userWindows > 0 && userInputIsRecent();
    m_userWindows = 0;
    if (!fromUser) {
        emit m_browser->StatusTextChange(TIEBrowser::tr("A pop-up window was blocked: the page opened it on its own."));
        return;
    }
    const QUrl address = request.requestedUrl();
    const bool usersLink = takeUserLink(address, NavigationTypeLinkClicked);
    // a window a local page (or a window such a page opened) opens is held to that page's folder
    const QUrl localPage = url().isLocalFile() ? url() : m_openerPage;
    const bool fromLocalPage = localPage.isLocalFile();
    // a document the local page made with an origin of its own, which no script of the program's could
    // tell from another's: not opened (as in the page's own window)
    if (fromLocalPage && webengine::hasOpaqueOrigin(address)) {
        emit m_browser->StatusTextChange(keptFromOpening(address));
        return;
    }
    QWebEnginePage *opened = m_browser->OnNewWindow2(m_browser, windowType(request.destination()));
    if (!opened)
        return;
    auto *page = qobject_cast<TBrowserPage *>(opened);
    // the link the user clicked on a local page (and the source the user asked to see) opens in a window
    // of its own, as an address the user entered: the page it was on gets no hold on that window, unless
    // the link is to a document the page made itself. A page of the network keeps what the engine gives
    // the window it opens: a form's fields, the opener and the referrer
    if (page && ((usersLink && fromLocalPage) || address.scheme() == u"view-source")) {
        if (fromLocalPage && webengine::isMadeByPage(address))
            page->setOpenerPage(localPage);
        page->load(address);
        return;
    }
    request.openIn(opened);
    if (!page)
        return;
    // the engine's page taken over by the window brings no request interceptor of its own
    page->setUrlRequestInterceptor(page->m_browser->m_interceptor);
    // the two windows reach each other (the new one through its opener, whatever the opener shows
    // later): no file opened in either keeps its plain address, whose origin the page that opened the
    // window has
    page->m_browser->m_interceptor->setPlainUserDocuments(false);
    m_browser->m_interceptor->setPlainUserDocuments(false);
    if (fromLocalPage)
        page->setOpenerPage(localPage);
}

void TBrowserPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    if (!(m_browser->DownloadFlags() & DLCTL_SILENT))
        m_browser->scriptMessage(msg, QMessageBox::Warning, QMessageBox::Ok);
}

bool TBrowserPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    if (m_browser->DownloadFlags() & DLCTL_SILENT)
        return false;
    return m_browser->scriptMessage(msg, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool TBrowserPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue, QString *result)
{
    if (m_browser->DownloadFlags() & DLCTL_SILENT)
        return false;
    QInputDialog dialog(m_browser->window());
    setUpTextQuestion(dialog, TIEBrowser::ApplicationTitle(), msg, defaultValue);
    if (m_browser->runScriptDialog(dialog) != QDialog::Accepted)
        return false;
    *result = dialog.textValue();
    return true;
}

void TBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                            const QString &sourceID)
{
    QUrl address;
    const pagescripts::Report report = pagescripts::parse(message, &address);
    switch (report) {
    case pagescripts::Report::FrameComplete:
        m_browser->frameCompleted(address);
        return;
    case pagescripts::Report::UserActivated:
    case pagescripts::Report::UserPosted:
        userActivated(address);
        m_userLinkPosts = report == pagescripts::Report::UserPosted;
        return;
    case pagescripts::Report::None:
        break;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

// ---------------------------------------------------------------------------------------------
// TIEBrowser

TIEBrowser::TIEBrowser(QWidget *owner)
    : QWebEngineView(owner)
{
    setObjectName(QStringLiteral("WebBrowser"));
    m_page = new TBrowserPage(this);
    webengine::trackPage(m_page);
    m_interceptor = new TUserAgentInterceptor(m_page);
    m_page->setUrlRequestInterceptor(m_interceptor);

    // the scripts that are the same for every page are the profile's (pagescripts::everyPagesScripts)
    placeFrameReporter();
    setPage(m_page);
    new TScriptDropGuard(this); // dropped script addresses never reach the page

    connect(m_page, &QWebEnginePage::loadStarted, this, &TIEBrowser::loadStarted);
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int p) { emit ProgressChange(p, 100); });
    connect(m_page, &QWebEnginePage::loadFinished, this, &TIEBrowser::loadFinished);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        // the engine's "aborted": the user stopped the load, or its answer went on as a download
        constexpr int ErrAborted = -3;
        m_loadAborted = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus ||
                        (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() == ErrAborted);
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, &TIEBrowser::TitleChange);
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString &link) {
        emit StatusTextChange(link.isEmpty() ? link : webengine::withoutDocumentHost(QUrl(link)).toString());
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] {
        updateCommandState();
        applyZoom();
    });
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult &r) { emit FindComplete(r.numberOfMatches(), r.activeMatch()); });
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] {
        bool canClose = true;
        if (OnCloseQuery)
            OnCloseQuery(this, canClose);
    });
    connect(m_page, &QWebEnginePage::authenticationRequired, this, [this](const QUrl &url, QAuthenticator *auth) {
        askCredentials(
            auth, tr("The site %1 asks for a user name and password.\nIt says: \"%2\"").arg(url.host(), auth->realm()));
    });
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                askCredentials(auth, tr("The proxy %1 asks for a user name and password.").arg(proxyHost));
            });
    connect(m_page, &QWebEnginePage::certificateError, this, [this](const QWebEngineCertificateError &error) {
        QWebEngineCertificateError refused = error;
        refused.rejectCertificate();
        const QString text = tr("The page %1 was not opened: its certificate is not trusted.\n%2")
                                 .arg(error.url().toDisplayString(), error.description());
        emit StatusTextChange(text);
        QTimer::singleShot(0, this, [this, text] { ShowMessage(text, QMessageBox::Warning); });
    });
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                // asked after the engine's call returns, so no dialog runs inside it
                QTimer::singleShot(0, this, [this, origin, feature] {
                    const QString text =
                        tr("%1 wants to %2.\nAllow it?").arg(origin.toDisplayString(), permissionText(feature));
                    const bool allow = browserDialogs().messageBox(
                                           this, ApplicationTitle(), text, QMessageBox::Question,
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
                    m_page->setFeaturePermission(origin, feature,
                                                 allow ? QWebEnginePage::PermissionGrantedByUser
                                                       : QWebEnginePage::PermissionDeniedByUser);
                });
            });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(m_page, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    // a script's window.print() prints as the Print command does
    connect(m_page, &QWebEnginePage::printRequested, this, [this] { QTimer::singleShot(0, this, &TIEBrowser::Print); });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    emit StatusTextChange(tr("The page stopped working. Refresh it to try again."));
            });

    SetDownloadOptions(DefaultDownloadOptions);
    SetUserInterfaceOptions({});
    connectDownloadsOnce();
    installEventFilter(this);
}

TIEBrowser::~TIEBrowser()
{
    // the page's answers still on their way find no control
    m_alive.reset();
    unregisterUserAgent();
    delete m_findDialog.data();
}

void TIEBrowser::askCredentials(QAuthenticator *auth, const QString &text)
{
    QString user = auth->user();
    QString password;
    if (browserDialogs().credentials(this, ApplicationTitle(), text, user, password)) {
        auth->setUser(user);
        auth->setPassword(password);
    } else {
        // a null authenticator cancels the request
        *auth = QAuthenticator();
    }
}

void TIEBrowser::SetApplicationTitle(const QString &title)
{
    applicationtitle::set(title);
}

QString TIEBrowser::ApplicationTitle()
{
    const QString title = applicationtitle::get();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

void TIEBrowser::SetDownloadOptions(TDownloadControlOptions options)
{
    m_downloadOptions = options;
    m_downloadFlags = downloadFlagWord(options);
    applyPageOptions();
}

void TIEBrowser::SetUserInterfaceOptions(TUserInterfaceOptions options)
{
    m_uiOptions = options;
    m_uiFlags = userInterfaceFlagWord(options);
    applyPageOptions();
}

quint32 TIEBrowser::askingWorld() const
{
    // the page's world runs no script while the page's scripts are off
    return m_page->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled)
               ? QWebEngineScript::MainWorld
               : QWebEngineScript::ApplicationWorld;
}

void TIEBrowser::placeFrameReporter()
{
    const quint32 world = askingWorld();
    QWebEngineScriptCollection &scripts = m_page->scripts();
    const QList<QWebEngineScript> placed = scripts.find(FrameReporterName);
    if (placed.size() == 1 && placed.first().worldId() == world)
        return;
    for (const QWebEngineScript &script : placed)
        scripts.remove(script);
    scripts.insert(pagescripts::documentScript(FrameReporterName, world, pagescripts::frameReporterSource()));
}

void TIEBrowser::applyPageOptions()
{
    QWebEngineSettings *s = m_page->settings();
    // an option that is on leaves the profile's setting (internet options) in force
    auto set = [s](QWebEngineSettings::WebAttribute a, bool off) {
        if (off)
            s->setAttribute(a, false);
        else
            s->resetAttribute(a);
    };
    set(QWebEngineSettings::AutoLoadImages, !(m_downloadFlags & DLCTL_DLIMAGES));
    set(QWebEngineSettings::JavascriptEnabled, (m_downloadFlags & DLCTL_NO_SCRIPTS) || m_scriptsHeld);
    // plug-ins (the engine's PDF viewer among them) run unless the options forbid running controls
    const bool noPlugins = m_downloadFlags & (DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, !noPlugins);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, !noPlugins);
    set(QWebEngineSettings::ShowScrollBars, m_uiFlags & SCROLL_NO);
    // a page from a file never reads the network's answers as its own, whatever the profile says
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // the engine's access of local content to other files stays on: off, the engine's request layer
    // refuses every file a file's document asks for, its own pictures, style sheets, scripts and frames
    // too (only the user's own top-level loads pass). Documents of different files are kept apart by
    // the hosts of their addresses instead (TUserAgentInterceptor).
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    placeFrameReporter();
}

void TIEBrowser::SetUserAgent(const QString &token)
{
    if (token == m_userAgent && (m_userAgentRegistered || token.isEmpty()))
        return;
    unregisterUserAgent();
    m_userAgent = token;
    m_interceptor->setToken(token);
    registerUserAgent();
}

QByteArray TIEBrowser::UserAgentHeader() const
{
    const QByteArray h = m_interceptor->header();
    return h.isEmpty() ? webengine::defaultUserAgent() : h;
}

void TIEBrowser::registerUserAgent()
{
    // a value without a name would be the key's default value: nothing is registered then
    if (m_userAgent.isEmpty() || m_userAgentRegistered)
        return;
    m_userAgentRegistered = true;
    if (userAgentCounts()[m_userAgent]++ == 0)
        platformstore::writeString(Hive::CurrentUser, UserAgentKey, m_userAgent, QString());
}

void TIEBrowser::unregisterUserAgent()
{
    if (!m_userAgentRegistered)
        return;
    m_userAgentRegistered = false;
    auto &counts = userAgentCounts();
    if (--counts[m_userAgent] <= 0) {
        counts.remove(m_userAgent);
        platformstore::deleteValue(Hive::CurrentUser, UserAgentKey, m_userAgent);
    }
}

// ---------------------------------------------------------------------------------------------
// Navigation

void TIEBrowser::Navigate(const QString &url)
{
    m_page->setOpenerPage({}); // the user's own address goes anywhere
    m_page->m_userLink.clear();
    QString target = url.isEmpty() ? BlankPage : url;
    bool cancel = false;
    if (OnBeforeNavigate)
        OnBeforeNavigate(this, target, cancel);
    if (cancel)
        return;
    if (target.isEmpty())
        target = BlankPage;
    const QUrl address = useraddress::toUrl(target, QDir::currentPath());
    if (!address.isValid()) {
        // the engine would show an empty page without a word
        emit StatusTextChange(tr("\"%1\" is not a valid address.").arg(target));
        return;
    }
    // what the address gives may be a download: the user asked for it
    m_page->m_typedAddress = address;
    m_page->m_typedAddressAge.start();
    load(address);
}

bool TIEBrowser::HasDocument() const
{
    return !m_page->url().isEmpty();
}

void TIEBrowser::GoBack()
{
    m_page->triggerAction(QWebEnginePage::Back);
}

void TIEBrowser::GoForward()
{
    m_page->triggerAction(QWebEnginePage::Forward);
}

void TIEBrowser::GoHome()
{
    // the start page is the user's own address: it opens also in a window a local page opened
    m_page->setOpenerPage({});
    load(useraddress::toUrl(readInternetOptions().startPage, QDir::currentPath()));
}

void TIEBrowser::Stop()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

void TIEBrowser::Refresh()
{
    m_page->triggerAction(QWebEnginePage::Reload);
}

QString TIEBrowser::LocationURL() const
{
    return webengine::withoutDocumentHost(m_page->url()).toString();
}

QString TIEBrowser::LocationName() const
{
    return m_page->title();
}

void TIEBrowser::tellRefusal(const QString &text)
{
    m_refusedNotice = text;
    emit StatusTextChange(text);
}

void TIEBrowser::loadStarted()
{
    // the engine starts a load before it asks whether the navigation may go on
    m_refusedNotice.clear();
    ++m_loadSerial;
    m_loading = true;
    m_pendingFrames.clear();
    m_pendingFrameChars = 0;
    applyZoom();
    emit DownloadBegin();
    const QUrl target = m_page->requestedUrl().isEmpty() ? m_page->url() : m_page->requestedUrl();
    emit StatusTextChange(tr("Opening page %1...").arg(webengine::withoutDocumentHost(target).toDisplayString()));
    updateCommandState();
}

void TIEBrowser::frameCompleted(const QUrl &address)
{
    const QUrl url = webengine::withoutDocumentHost(address);
    if (!m_loading) {
        emit DocumentComplete(url, false);
        return;
    }
    // the page's own world tells of its frames, so the page may tell of more than it has
    const qsizetype chars = address.toString().size();
    if (m_pendingFrames.size() < MaxPendingFrames && m_pendingFrameChars + chars <= MaxPendingFrameChars) {
        m_pendingFrames.append(url);
        m_pendingFrameChars += chars;
    }
}

void TIEBrowser::loadFinished(bool ok)
{
    m_page->m_leavingForNetwork = false;
    applyZoom();
    // the document's character set is read before anyone hears of the completed document
    auto answered = std::make_shared<bool>(false);
    const QUrl top = webengine::withoutDocumentHost(m_page->url());
    const quint64 serial = m_loadSerial;
    auto complete = [this, answered, top, ok, serial](const QString &charset) {
        // a later load has begun: this one's completion is no longer news
        if (*answered || serial != m_loadSerial)
            return;
        *answered = true;
        m_charset = charset;
        m_loading = false;
        m_loadingForced = false;
        emit ProgressChange(-1, 100);
        // a refused navigation ends as an aborted load: what the user was told of it stays in view
        if (!m_refusedNotice.isEmpty())
            emit StatusTextChange(std::exchange(m_refusedNotice, {}));
        else
            emit StatusTextChange(ok || m_loadAborted ? tr("Done") : tr("The page could not be opened."));
        emit DownloadComplete();
        updateCommandState();
        m_pendingFrameChars = 0;
        for (const QUrl &frame : std::exchange(m_pendingFrames, {}))
            emit DocumentComplete(frame, false);
        emit DocumentComplete(top, true);
    };
    // asked in the page's own world while it runs scripts: a script world of the program's own would
    // cost each page's process more than the answer is worth, and a page that answers for itself only
    // changes the encoding its menu marks, so nothing but the name of an encoding is taken
    TSelf self(this);
    m_page->runJavaScript(QStringLiteral("document.characterSet"), askingWorld(), [self, complete](const QVariant &v) {
        if (!self)
            return;
        const QString name = v.typeId() == QMetaType::QString ? v.toString() : QString();
        complete(name.size() <= MaxCharsetName && charsets::isKnown(name) ? name : QString());
    });
    QTimer::singleShot(CharsetAnswerTimeoutMs, this, [complete] { complete(QString()); });
}

void TIEBrowser::updateCommandState()
{
    emit CommandStateChange(CSC_NAVIGATEFORWARD, m_page->history()->canGoForward());
    emit CommandStateChange(CSC_NAVIGATEBACK, m_page->history()->canGoBack());
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TIEBrowser::event(QEvent *event)
{
    if (event->type() == QEvent::ChildPolished) {
        // the engine's render widget, which has the focus and receives the keys; the control's own
        // dialogs (find, internet options) keep their keys, so Esc closes them
        auto *w = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child());
        if (w && !w->isWindow())
            w->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool TIEBrowser::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched != this)
            m_page->allowUserWindow();
        break;
    case QEvent::ShortcutOverride: {
        auto *key = static_cast<QKeyEvent *>(event);
        // an override the render widget leaves alone travels on to this view: it was offered there
        if (watched == this && focusProxy())
            break;
        if (routeKey(key)) {
            // taken: no shortcut fires, and the key press that follows is swallowed
            key->accept();
            m_swallowKey = key->key();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat() && watched != this)
            m_page->allowUserWindow();
        if (m_swallowKey != 0 && key->key() == m_swallowKey) {
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
                m_swallowKey = 0;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

void TIEBrowser::dropEvent(QDropEvent *event)
{
    // the engine opens a dropped link in a window of its own: that window, showing that link, is the user's
    m_page->allowUserWindow();
    m_page->userActivated(event->mimeData() ? event->mimeData()->urls().value(0) : QUrl());
    QWebEngineView::dropEvent(event);
}

void TIEBrowser::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    // the menu hides before its chosen command runs: a window that command opens is the user's
    connect(menu, &QMenu::aboutToHide, m_page, &TBrowserPage::allowUserWindow);
    // a link the user opens in a new window from the menu is the user's link, as one clicked with the
    // middle button: the engine asks for that window while the command runs, so the link is told first
    const QUrl link = lastContextMenuRequest() ? lastContextMenuRequest()->linkUrl() : QUrl();
    for (const QWebEnginePage::WebAction opening :
         {QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab}) {
        QAction *engines = pageAction(opening);
        if (!link.isValid() || !menu->actions().contains(engines))
            continue;
        auto *own = new QAction(engines->icon(), engines->text(), menu);
        own->setEnabled(engines->isEnabled());
        connect(own, &QAction::triggered, m_page, [page = m_page, link, opening] {
            page->userActivated(link);
            page->triggerAction(opening);
        });
        menu->insertAction(engines, own);
        menu->removeAction(engines);
    }
    menu->popup(event->globalPos());
}

bool TIEBrowser::routeKey(QKeyEvent *key)
{
    if (isRoutedKey(key->key(), key->modifiers()) && OnTranslateAccelerator && OnTranslateAccelerator(this, key))
        return true;
    return performOwnAccelerator(key);
}

bool TIEBrowser::performOwnAccelerator(QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const int k = key->key();
    if (mods == Qt::NoModifier && k == Qt::Key_F5) {
        Refresh();
        return true;
    }
    if (mods == Qt::NoModifier && k == Qt::Key_Escape && m_loading) {
        Stop();
        return true;
    }
    if (mods == Qt::AltModifier && (k == Qt::Key_Left || k == Qt::Key_Right)) {
        k == Qt::Key_Left ? GoBack() : GoForward();
        return true;
    }
    if (mods == Qt::ControlModifier && k == Qt::Key_P) {
        QTimer::singleShot(0, this, &TIEBrowser::Print);
        return true;
    }
    if (mods == Qt::ControlModifier && k == Qt::Key_F) {
        Find();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Text size and character set

int TIEBrowser::FontSize() const
{
    return HasDocument() ? m_fontSize : 0;
}

void TIEBrowser::SetFontSize(int level)
{
    if (!HasDocument())
        return;
    m_fontSize = std::clamp(level, 0, TextSizeLevels - 1);
    applyZoom();
}

void TIEBrowser::applyZoom()
{
    const double zoom = zoomForTextSize(m_fontSize);
    if (!qFuzzyCompare(m_page->zoomFactor(), zoom))
        m_page->setZoomFactor(zoom);
}

QString TIEBrowser::Charset() const
{
    if (!HasDocument())
        return {};
    return m_forcedCharset.isEmpty() ? m_charset : m_forcedCharset;
}

QString TIEBrowser::DefaultCharset() const
{
    if (!HasDocument())
        return {};
    return m_page->settings()->defaultTextEncoding();
}

void TIEBrowser::SetCharset(const QString &name)
{
    if (!HasDocument())
        return;
    if (charsets::isAutoDetect(name)) {
        if (m_forcedCharset.isEmpty()) {
            Refresh();
            return;
        }
        const QUrl original = m_forcedUrl;
        m_forcedCharset.clear();
        m_forcedBytes.clear();
        m_forcedUrl.clear();
        load(original);
        return;
    }
    if (!charsets::isKnown(name) || !forceCharset(name))
        Refresh();
}

bool TIEBrowser::forceCharset(const QString &name)
{
    auto reload = [this, name](const QByteArray &bytes, const QString &type, const QUrl &url) {
        if (bytes.size() > MaxContentBytes) {
            reportFailure(tr("The page is too large to be shown in another encoding."));
            Refresh();
            return;
        }
        m_forcedBytes = bytes;
        m_forcedUrl = url;
        m_forcedCharset = name;
        m_loadingForced = true;
        const QString mime = (type.isEmpty() ? QStringLiteral("text/html") : type) + QStringLiteral(";charset=") +
                             charsets::canonical(name);
        m_page->setContent(bytes, mime, url);
    };
    const QUrl url = m_forcedUrl.isEmpty() ? m_page->url() : m_forcedUrl;
    QByteArray bytes = m_forcedBytes;
    // a regular file only: a page's address may name a pipe or a device
    if (bytes.isEmpty() && url.isLocalFile() &&
        !regularfiles::read(webengine::localFilePath(url), MaxContentBytes, bytes))
        return false;
    if (!bytes.isEmpty()) {
        TSelf self(this);
        m_page->runJavaScript(QStringLiteral("document.contentType"), QWebEngineScript::ApplicationWorld,
                              [self, reload, bytes, url](const QVariant &type) {
                                  if (self)
                                      reload(bytes, type.toString(), url);
                              });
        return true;
    }
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return false;
    // the document's own bytes, fetched again by the page (its cookies and cache apply)
    static const QString fetch = QStringLiteral(
        "(function(){ try { var x = new XMLHttpRequest(); x.open('GET', location.href, false);"
        " x.overrideMimeType('text/plain; charset=x-user-defined'); x.send();"
        " if (x.status >= 400) return null; var s = x.responseText, parts = [];"
        " for (var i = 0; i < s.length; i += 8192) { var c = s.substr(i, 8192), o = '';"
        "  for (var j = 0; j < c.length; ++j) o += String.fromCharCode(c.charCodeAt(j) & 0xff); parts.push(o); }"
        " return [document.contentType, btoa(parts.join(''))]; } catch (e) { return null; } })()");
    TSelf self(this);
    m_page->runJavaScript(fetch, QWebEngineScript::ApplicationWorld, [self, reload, url](const QVariant &v) {
        if (!self)
            return;
        const QVariantList answer = v.toList();
        if (answer.size() != 2) {
            self->reportFailure(tr("The page could not be read again in the chosen encoding."));
            self->Refresh();
            return;
        }
        reload(QByteArray::fromBase64(answer.at(1).toString().toLatin1()), answer.at(0).toString(), url);
    });
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages

QMessageBox::StandardButton TIEBrowser::ShowMessage(const QString &text, QMessageBox::Icon icon,
                                                    QMessageBox::StandardButtons buttons)
{
    if (OnShowMessage)
        return OnShowMessage(this, text, ApplicationTitle(), buttons);
    const QMessageBox::StandardButton def = buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::NoButton;
    return browserDialogs().messageBox(this, ApplicationTitle(), text, icon, buttons, def);
}

QMessageBox::StandardButton TIEBrowser::scriptMessage(const QString &text, QMessageBox::Icon icon,
                                                      QMessageBox::StandardButtons buttons)
{
    if (OnShowMessage)
        return OnShowMessage(this, text, ApplicationTitle(), buttons);
    // above the page's window, which the box blocks for this page alone
    QMessageBox box(icon, ApplicationTitle(), text, buttons, window());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    messageboxes::fitCaption(box);
    const int answer = runScriptDialog(box);
    // a box closed without a button (Esc on a one-button box, or the page going) answers Cancel
    return answer == QDialog::Rejected ? QMessageBox::Cancel : static_cast<QMessageBox::StandardButton>(answer);
}

int TIEBrowser::runScriptDialog(QDialog &dialog)
{
    if (m_scriptDialogsEnded || m_scriptDialog)
        return QDialog::Rejected;
    m_scriptDialog = &dialog;
    const int result = browserDialogs().runForPage(this, dialog);
    m_scriptDialog = nullptr;
    if (!m_pendingNotice.isEmpty())
        QTimer::singleShot(0, this, &TIEBrowser::showPendingNotice);
    return result;
}

const TIEBrowser::TTexts &TIEBrowser::DefaultTexts()
{
    static const TTexts texts = {
        QStringLiteral("This link (of the kind \"%s:\") opens another program, not a page of this browser."),
        QStringLiteral("Program: %s"),
        QStringLiteral("&Open"),
        QStringLiteral("&Don't open"),
        QStringLiteral("No program is set to open links of the kind \"%s:\"."),
        QStringLiteral("The page tried to download more files on its own. They were not downloaded."),
    };
    return texts;
}

namespace {

// A table's text with its "%s" replaced once by the value.
QString filled(QString text, const QString &value)
{
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    return at < 0 ? text : text.replace(at, 2, value);
}

constexpr qsizetype MaxProgramLinkBytes = qsizetype(32) * 1024;
constexpr qsizetype ShownLinkLength = 300;

} // namespace

void TIEBrowser::askToOpenProgram(const QUrl &url)
{
    const QString program = externalprograms::programFor(url.scheme());
    if (program.isEmpty() || url.toEncoded().size() > MaxProgramLinkBytes) {
        tellRefusal(filled(m_texts.noProgram, url.scheme()));
        return;
    }
    QString shown = url.toDisplayString();
    if (shown.size() > ShownLinkLength)
        shown = shown.left(ShownLinkLength) + QStringLiteral("...");
    QMessageBox box(QMessageBox::Question, ApplicationTitle(),
                    filled(m_texts.programLink, url.scheme()) + u'\n' + filled(m_texts.program, program) +
                        QStringLiteral("\n\n") + shown,
                    QMessageBox::NoButton, window());
    box.setTextFormat(Qt::PlainText);
    QAbstractButton *open = box.addButton(m_texts.open, QMessageBox::AcceptRole);
    QPushButton *dontOpen = box.addButton(m_texts.dontOpen, QMessageBox::RejectRole);
    // the safe answer is the one Enter and Esc give
    box.setDefaultButton(dontOpen);
    box.setEscapeButton(dontOpen);
    messageboxes::fitCaption(box);
    runScriptDialog(box);
    if (box.clickedButton() == open)
        QDesktopServices::openUrl(url);
}

void TIEBrowser::tellDownloadsRefused()
{
    emit StatusTextChange(m_texts.downloadsRefused);
    m_pendingNotice = m_texts.downloadsRefused;
    QTimer::singleShot(0, this, &TIEBrowser::showPendingNotice);
}

void TIEBrowser::showPendingNotice()
{
    // a notice waits for the page's open question; it is shown once
    if (m_pendingNotice.isEmpty() || InScriptDialog())
        return;
    scriptMessage(std::exchange(m_pendingNotice, QString()), QMessageBox::Information, QMessageBox::Ok);
}

void TIEBrowser::EndScriptDialogs()
{
    m_scriptDialogsEnded = true;
    if (m_scriptDialog)
        m_scriptDialog->reject();
}

void TIEBrowser::reportFailure(const QString &text)
{
    ShowMessage(text, QMessageBox::Critical, QMessageBox::Ok);
}

// ---------------------------------------------------------------------------------------------
// Downloads

void TIEBrowser::cancelDownload(QWebEngineDownloadRequest *download)
{
    download->cancel();
    m_downloadCancelled.start();
}

QString TIEBrowser::downloadFolder() const
{
    QString folder = m_page->profile()->downloadPath();
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return folder;
    return QDir::homePath();
}

int TIEBrowser::DownloadSettleMs() const
{
    if (!m_downloadCancelled.isValid())
        return 0;
    return int(std::max<qint64>(0, DownloadSettleTime - m_downloadCancelled.elapsed()));
}

void TIEBrowser::HandleDownload(QWebEngineDownloadRequest *download)
{
    if (download->isSavePageDownload() && m_pendingSaves == 0) {
        // the engine's own "save page" (its context menu): the user chooses where and how
        cancelDownload(download);
        QTimer::singleShot(0, this, &TIEBrowser::SaveAs);
        return;
    }
    if (download->isSavePageDownload()) {
        --m_pendingSaves;
        const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
        connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, path] {
            const bool ok = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
            if (!ok)
                reportFailure(tr("The page could not be saved as %1: %2")
                                  .arg(QDir::toNativeSeparators(path), download->interruptReasonString()));
            emit SaveAsComplete(path, ok);
        });
        if (download->state() == QWebEngineDownloadRequest::DownloadRequested)
            download->accept();
        return;
    }
    // a page that starts downloads on its own gets one; the user's own input counts for one each
    if (!m_page->mayDownload(download->url())) {
        cancelDownload(download);
        return;
    }
    // the name comes from the server: offered only as a plain, new name inside the profile's download
    // folder (the request's own folder is made of that name too, "../x" giving the folder's parent);
    // the question is the page's own, so closing the page or the program ends it
    const QString suggested = downloadname::pathInFolder(downloadFolder(), download->downloadFileName());
    const QString path = browserDialogs().saveFileName(this, tr("Save As"), suggested, {tr("All files (*)")}, nullptr,
                                                       [this](QDialog &dialog) { return runScriptDialog(dialog); });
    if (path.isEmpty()) {
        cancelDownload(download);
        return;
    }
    const QFileInfo info(path);
    // a folder that cannot take the file is reported here: the engine's own handling of an
    // uncreatable download folder is not safe to rely on
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        cancelDownload(download);
        reportFailure(
            tr("The download of %1 failed: %2")
                .arg(webengine::withoutDocumentHost(download->url()).toDisplayString(),
                     tr("the folder %1 cannot take the file").arg(QDir::toNativeSeparators(folder.filePath()))));
        emit FileDownloadComplete(path, false);
        return;
    }
    download->setDownloadDirectory(info.absolutePath());
    download->setDownloadFileName(info.fileName());
    emit StatusTextChange(
        tr("Downloading %1...").arg(webengine::withoutDocumentHost(download->url()).toDisplayString()));
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, path] {
        const bool ok = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
        if (ok)
            emit StatusTextChange(tr("Download complete: %1").arg(QDir::toNativeSeparators(path)));
        else {
            // the user accepted this download: any other end is a failure to report
            QString reason = download->interruptReasonString();
            if (download->interruptReason() == QWebEngineDownloadRequest::NoReason)
                reason = tr("the file %1 could not be written").arg(QDir::toNativeSeparators(path));
            reportFailure(tr("The download of %1 failed: %2")
                              .arg(webengine::withoutDocumentHost(download->url()).toDisplayString(), reason));
        }
        emit FileDownloadComplete(path, ok);
    });
    download->accept();
}
