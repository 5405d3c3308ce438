#include "browser/WebEngineProfiles.h"

#include "browser/InternetOptions.h"
#include "browser/PageScripts.h"
#include "platform/PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QPointer>
#include <QUuid>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInfo>
#include <cstdlib>
#include <optional>
#include <unistd.h>
#include <utility>

namespace webengine {
namespace {

QPointer<QWebEngineProfile> theProfile;
QList<QPointer<QWebEnginePage>> livePages;

const char *const SwitchesVariable = "QTWEBENGINE_CHROMIUM_FLAGS";
// the engine's switches as the user set them, while prepareEnvironment() has changed them
std::optional<std::optional<QByteArray>> g_userSwitches;

void restoreSwitches()
{
    if (!g_userSwitches)
        return;
    if (*g_userSwitches)
        qputenv(SwitchesVariable, **g_userSwitches);
    else
        qunsetenv(SwitchesVariable);
    g_userSwitches.reset();
}

// Runs while the application object shuts down, before the engine itself: pages first, then the profile.
void releaseProfile()
{
    if (!theProfile)
        return;
    for (const QPointer<QWebEnginePage> &page : std::exchange(livePages, {}))
        delete page.data();
    delete theProfile.data();
}

} // namespace

void prepareEnvironment()
{
    // the engine reports its graphics set-up and start-up switches at every start; rules the user
    // gives (QT_LOGGING_RULES, QT_LOGGING_CONF) are read after these and still show them
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    // the profile's first folder goes under the real home folder, whatever its name (put back below)
    platformpaths::pointQtDataHome();
    // read by the engine when the profile is made (put back below)
    if (!g_userSwitches && !theProfile) {
        g_userSwitches =
            qEnvironmentVariableIsSet(SwitchesVariable) ? std::optional(qgetenv(SwitchesVariable)) : std::nullopt;
        qputenv(SwitchesVariable, withEngineSwitches(g_userSwitches->value_or(QByteArray())));
    }
}

QByteArray withEngineSwitches(const QByteArray &userFlags)
{
    static const QByteArrayList kept = {"SharedWorker", "WebTransport"};
    QByteArrayList words = userFlags.simplified().split(' ');
    words.removeAll(QByteArray());
    // the engine takes the last of a switch given twice: the user's last list of features is extended
    qsizetype at = -1;
    for (qsizetype i = 0; i < words.size(); ++i)
        if (words.at(i).startsWith("--disable-blink-features=") || words.at(i).startsWith("-disable-blink-features="))
            at = i;
    if (at < 0) {
        words.append("--disable-blink-features=");
        at = words.size() - 1;
    }
    QByteArray &features = words[at];
    const qsizetype valueAt = features.indexOf('=') + 1;
    QByteArrayList names = features.mid(valueAt).split(',');
    names.removeAll(QByteArray());
    for (const QByteArray &name : kept)
        if (!names.contains(name))
            names.append(name);
    features = features.left(valueAt) + names.join(',');
    return words.join(' ');
}

QWebEngineProfile *profile()
{
    if (theProfile)
        return theProfile;
    prepareEnvironment();
    auto *p = new QWebEngineProfile(QStringLiteral("Brivo"), QCoreApplication::instance());
    platformpaths::restoreQtDataHome();
    restoreSwitches();
    const QString base = platformpaths::dataDir() + QStringLiteral("/webengine");
    QDir().mkpath(base);
    p->setPersistentStoragePath(base + QStringLiteral("/storage"));
    p->setCachePath(base + QStringLiteral("/cache"));
    p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    applyStoredInternetOptions(p);
    for (const QWebEngineScript &script : pagescripts::everyPagesScripts())
        p->scripts()->insert(script);
    theProfile = p;
    qAddPostRoutine(releaseProfile);
    return p;
}

void trackPage(QWebEnginePage *page)
{
    livePages.removeAll(nullptr);
    livePages.append(page);
}

QByteArray defaultUserAgent()
{
    return profile()->httpUserAgent().toLatin1();
}

QByteArray insertUserAgentToken(const QByteArray &userAgent, const QString &token)
{
    QByteArray clean;
    for (const QChar c : token) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue;
        // header values are Latin-1; other characters are percent-encoded so nothing is lost
        if (c.unicode() > 0x7E)
            clean += QString(c).toUtf8().toPercentEncoding();
        else
            clean += char(c.unicode());
    }
    clean = clean.trimmed();
    if (clean.isEmpty())
        return userAgent;
    const qsizetype open = userAgent.indexOf('(');
    const qsizetype close = open < 0 ? -1 : userAgent.indexOf(')', open);
    if (close < 0)
        return userAgent.isEmpty() ? "(" + clean + ")" : userAgent + " (" + clean + ")";
    QByteArray result = userAgent;
    const bool emptyGroup = userAgent.mid(open + 1, close - open - 1).trimmed().isEmpty();
    result.insert(close, emptyGroup ? clean : "; " + clean);
    return result;
}

} // namespace webengine

TUserAgentInterceptor::TUserAgentInterceptor(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{}

void TUserAgentInterceptor::setToken(const QString &token)
{
    const QByteArray header =
        token.isEmpty() ? QByteArray() : webengine::insertUserAgentToken(webengine::defaultUserAgent(), token);
    QMutexLocker lock(&m_mutex);
    m_header = header;
}

QByteArray TUserAgentInterceptor::header() const
{
    QMutexLocker lock(&m_mutex);
    return m_header;
}

namespace {

const QString DocumentHostSuffix = QStringLiteral(".localhost");
// how many documents' requests may be on their way at once: more than the engine lets a page have
// frames (1000), so no frame's host is dropped before its request comes (a page of more frames than
// this showed about half of them blank)
constexpr qsizetype MaxPendingDocumentHosts = 2048;

bool isDocumentRequest(QWebEngineUrlRequestInfo::ResourceType type)
{
    return type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame ||
           type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame ||
           type == QWebEngineUrlRequestInfo::ResourceTypeObject;
}

// What a document shows, applies or runs whose content its scripts could read when it came from the
// document's own origin: a picture's pixels (on a canvas), a sound's samples, a video's frames, a
// style sheet's rules (a text file read as one too), and a script's text: an imported JSON or style
// sheet module hands its content over, and the message of a script's error names what it stumbled
// on ("abcd1234 is not defined" for a file holding "password=abcd1234"). A script of another origin
// still runs (only module scripts, which need the other origin's consent, do not), and its errors
// tell nothing.
bool isShownResource(QWebEngineUrlRequestInfo::ResourceType type)
{
    return type == QWebEngineUrlRequestInfo::ResourceTypeImage || type == QWebEngineUrlRequestInfo::ResourceTypeMedia ||
           type == QWebEngineUrlRequestInfo::ResourceTypeStylesheet ||
           type == QWebEngineUrlRequestInfo::ResourceTypeScript;
}

// A worker's own script comes from its page's origin, and the messages of its errors reach the page:
// a file is a worker's script only when the engine would take it for a script by its name.
bool isWorkerOfNoScriptFile(const QWebEngineUrlRequestInfo &info)
{
    const auto type = info.resourceType();
    if (type != QWebEngineUrlRequestInfo::ResourceTypeWorker &&
        type != QWebEngineUrlRequestInfo::ResourceTypeSharedWorker &&
        type != QWebEngineUrlRequestInfo::ResourceTypeServiceWorker)
        return false;
    if (!info.requestUrl().isLocalFile())
        return false;
    const QString suffix = QFileInfo(webengine::localFilePath(info.requestUrl())).suffix();
    return suffix.compare(u"js", Qt::CaseInsensitive) != 0 && suffix.compare(u"mjs", Qt::CaseInsensitive) != 0;
}

// The host of every picture, sound, video and style sheet from a file: one no document ever gets
// (documents get hosts made for each), so none reads them. Knowing it gains a page nothing.
const QString &resourceHost()
{
    static const QString host = QUuid::createUuid().toString(QUuid::Id128) + DocumentHostSuffix;
    return host;
}

} // namespace

bool webengine::isDocumentHost(const QString &host)
{
    return host.size() > DocumentHostSuffix.size() && host.endsWith(DocumentHostSuffix, Qt::CaseInsensitive);
}

QUrl webengine::withoutDocumentHost(const QUrl &url)
{
    if (url.scheme() == u"view-source") {
        const QUrl inner(url.path());
        if (inner.isLocalFile() && isDocumentHost(inner.host()))
            return QUrl(QStringLiteral("view-source:") + withoutDocumentHost(inner).toString());
        return url;
    }
    if (!url.isLocalFile() || !isDocumentHost(url.host()))
        return url;
    QUrl plain = url;
    plain.setHost(QString());
    return plain;
}

QString webengine::localFilePath(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return url.host().isEmpty() ? url.toLocalFile() : url.adjusted(QUrl::RemoveAuthority).toLocalFile();
}

bool webengine::frameOutsidePageFolder(const QUrl &frame, const QUrl &page)
{
    if (!frame.isLocalFile() || !page.isLocalFile())
        return false;
    // symbolic links resolved, so a link inside the folder does not lead out of it
    const QString folder = QFileInfo(QFileInfo(localFilePath(page)).absolutePath()).canonicalFilePath();
    const QFileInfo target(localFilePath(frame));
    const QString path = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
    return folder.isEmpty() || !(path == folder || path.startsWith(folder + u'/') || folder == u"/");
}

bool webengine::reachesNetwork(const QUrl &url)
{
    static const QStringList network = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ws"),
                                        QStringLiteral("wss"), QStringLiteral("ftp")};
    return network.contains(url.scheme(), Qt::CaseInsensitive);
}

bool webengine::localPageMayRequest(const QUrl &request, const QUrl &page)
{
    if (!page.isLocalFile())
        return true;
    if (request.isLocalFile())
        return !frameOutsidePageFolder(request, page);
    return !reachesNetwork(request);
}

bool webengine::isMadeByPage(const QUrl &url)
{
    static const QStringList made = {QStringLiteral("about"), QStringLiteral("blob"), QStringLiteral("data")};
    return made.contains(url.scheme(), Qt::CaseInsensitive);
}

bool webengine::hasOpaqueOrigin(const QUrl &url)
{
    if (url.scheme().compare(u"data", Qt::CaseInsensitive) == 0)
        return true;
    if (url.scheme().compare(u"blob", Qt::CaseInsensitive) != 0)
        return false;
    // the origin of the document that made it comes first: "blob:file:///<id>", "blob:null/<id>"
    const QUrl maker(url.path());
    return !maker.isValid() || maker.scheme().isEmpty() || maker.scheme() == u"null" || isMadeByPage(maker);
}

namespace {

// an XML type: the named XML types and every "<type>/<subtype>+xml"
bool isXmlType(const QString &type)
{
    static const QStringList named = {QStringLiteral("text/xml"), QStringLiteral("application/xml"),
                                      QStringLiteral("text/xsl")};
    const QString t = type.trimmed().toLower();
    const qsizetype slash = t.indexOf(u'/');
    return named.contains(t) || (slash > 0 && t.indexOf(u'/', slash + 1) < 0 && t.endsWith(QStringLiteral("+xml")));
}

} // namespace

bool webengine::isXmlDocument(const QUrl &url)
{
    if (url.scheme() == u"data") {
        // the type ends at the first comma as written: one in the data could be encoded
        const QString path = url.path(QUrl::FullyEncoded);
        const qsizetype comma = path.indexOf(u',');
        return comma > 0 && isXmlType(QUrl::fromPercentEncoding(path.left(comma).toUtf8()).section(u';', 0, 0));
    }
    if (!url.isLocalFile())
        return false;
    // the engine's own table of extensions first, then the system's (the same one Qt reads); a file
    // without a known extension is shown as plain text, whatever it holds
    static const QStringList engineXml = {QStringLiteral("svg"), QStringLiteral("svgz"), QStringLiteral("xml"),
                                          QStringLiteral("xht"), QStringLiteral("xhtm"), QStringLiteral("xhtml"),
                                          QStringLiteral("rss"), QStringLiteral("atom")};
    const QString name = QFileInfo(localFilePath(url)).fileName();
    if (engineXml.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive))
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (isXmlType(type.name()))
        return true;
    for (const QString &alias : type.aliases())
        if (isXmlType(alias))
            return true;
    return false;
}

void TUserAgentInterceptor::setOpenerPage(const QUrl &page)
{
    QMutexLocker lock(&m_mutex);
    m_openerPage = page.isLocalFile() ? page : QUrl();
}

bool TUserAgentInterceptor::hasItsHost(QWebEngineUrlRequestInfo &info)
{
    const QUrl url = info.requestUrl();
    if (!url.isLocalFile())
        return true;
    // a picture, sound, video, style sheet or script of any document, the one the user opened too,
    // comes from an origin no document has
    if (isShownResource(info.resourceType())) {
        if (url.host().compare(resourceHost(), Qt::CaseInsensitive) == 0)
            return true;
        QUrl shown = url;
        shown.setHost(resourceHost());
        info.redirect(shown);
        return false;
    }
    if (!isDocumentRequest(info.resourceType()))
        return true;
    QMutexLocker lock(&m_mutex);
    if (m_plainUserDocuments && url.host().isEmpty() &&
        info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
        info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeTyped)
        return true;
    // a host is used once: a document (the page's own script too) never gets one made for another
    if (m_documentHosts.removeOne(url.host().toLower()))
        return true;
    const QString host = QUuid::createUuid().toString(QUuid::Id128) + DocumentHostSuffix;
    if (m_documentHosts.size() >= MaxPendingDocumentHosts)
        m_documentHosts.removeFirst();
    m_documentHosts.append(host);
    QUrl own = url;
    own.setHost(host);
    info.redirect(own);
    return false;
}

void TUserAgentInterceptor::setPlainUserDocuments(bool plain)
{
    QMutexLocker lock(&m_mutex);
    m_plainUserDocuments = plain;
}

void TUserAgentInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // a page's scripts read no local file: a page opened from a file (a download) would otherwise
    // read the user's files and send them on; its pictures, frames and links still load
    if ((info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr && info.requestUrl().isLocalFile()) ||
        isWorkerOfNoScriptFile(info)) {
        info.block(true);
        return;
    }
    // a page from a file (or a window its script opened) loads nothing from outside its folder, so
    // its scripts cannot read the user's other files through pictures, styles, scripts or frames,
    // and nothing from the network, so they cannot send anything away; a page the user opens from
    // it is a page of its own
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        QUrl page = info.firstPartyUrl();
        if (!page.isLocalFile()) {
            QMutexLocker lock(&m_mutex);
            page = m_openerPage;
        }
        if (!webengine::localPageMayRequest(info.requestUrl(), page)) {
            info.block(true);
            return;
        }
        // an XML document's scripts run before the page's protections reach its frame (its window
        // would have peer connections): a local page shows none in a frame
        if (page.isLocalFile() && isDocumentRequest(info.resourceType()) &&
            webengine::isXmlDocument(info.requestUrl())) {
            info.block(true);
            return;
        }
    }
    if (!hasItsHost(info))
        return;
    const QByteArray h = header();
    if (!h.isEmpty())
        info.setHttpHeader("User-Agent", h);
}
