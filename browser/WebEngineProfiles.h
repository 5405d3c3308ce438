#pragma once
// The one web-engine profile of the program and what belongs to it: persistent cookies, cache and
// logins under the user's data folder, the sandbox decision and the per-page request interceptor
// (user-agent header, and what a page opened from a file may load).
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;
class QWebEnginePage;

namespace webengine {

// Decides on the engine's sandbox and quiets the report of its set-up (shown again when the user's
// logging rules ask for it); call before the first page or profile exists (the start-up block calls
// it before the application object). The sandbox stays on unless the process runs as root, where
// the engine cannot start with it. The engine's switches (QTWEBENGINE_CHROMIUM_FLAGS) get those of
// withEngineSwitches until the profile is made; then the variable is the user's again, so the
// programs the browser starts see it as the user set it.
void prepareEnvironment();

// The engine's switches as the user gave them, with the page features no page gets added to the
// features the user turned off: shared workers and WebTransport. A shared worker runs apart from the
// page that made it, outside every check of that page's requests (from a page opened from a file it
// reads any file and sends it away), and WebTransport reaches other computers past every request
// check, from any page, frame or worker. The engine cannot keep them from local pages alone.
QByteArray withEngineSwitches(const QByteArray &userFlags);

// The persistent, named profile shared by every page. Created on first use; pages still alive when
// the application shuts down are destroyed before it.
QWebEngineProfile *profile();
// Remembers a page of the profile, so that one still alive at shutdown is destroyed before the profile.
void trackPage(QWebEnginePage *page);

// The engine's own user-agent string (before any page's token).
QByteArray defaultUserAgent();

// Inserts a token into a user-agent string: inside the first parenthesised group, after its last
// item ("(X11; Linux x86_64)" -> "(X11; Linux x86_64; token)"); appended in parentheses when the
// string has none. Control characters are dropped from the token; an empty token changes nothing.
QByteArray insertUserAgentToken(const QByteArray &userAgent, const QString &token);

// A document from a file is given an address of its own: the file's address with a host made for
// that document alone ("<id>.localhost", which still names the file on this computer). The engine's
// same-origin rule then keeps every other document (a frame, a window or an opener holding another
// file, or the same file opened once more) from reading it, while its workers still load from its
// address (only from files named as scripts, ".js" or ".mjs": the messages of a worker's errors quote
// its script). Pictures, sounds, videos, style sheets and scripts from files get a host that no
// document gets: they show, apply and run, but no document reads their pixels, samples, rules or
// text (no JSON or style sheet module, no message of a script's error); module scripts from files,
// which need their origin's consent, do not run.
bool isDocumentHost(const QString &host);
// The address as the user knows it: a file's address without the host made for its document (also
// inside a "view-source:" address); any other address as it is.
QUrl withoutDocumentHost(const QUrl &url);
// The path of a local file's address, whatever its host.
QString localFilePath(const QUrl &url);

// Whether a frame's local file lies outside the folder of the local page that frames it (its
// folders below count as inside); false when either is not a local file.
bool frameOutsidePageFolder(const QUrl &frame, const QUrl &page);

// Whether a request to the address leaves the computer (web and socket addresses).
bool reachesNetwork(const QUrl &url);
// Whether a local page may load the address as part of itself: a local file of its own folder or
// below, or an address that does not reach the network. Pages that are no local file load anything.
bool localPageMayRequest(const QUrl &request, const QUrl &page);

// Whether the address names a document a page makes of its own content (an empty one, a blob: or a
// data: one): it has no file, folder or server of its own, so it belongs to the page that made it.
bool isMadeByPage(const QUrl &url);
// Whether such a document gets an origin that tells nothing of the page that made it: a data: one,
// and a blob: one made by a document of no origin (a sandboxed frame's, "blob:null/...").
bool hasOpaqueOrigin(const QUrl &url);

// Whether the engine shows the document at the address as XML (SVG, XHTML, feeds and the like): a
// local file by its name's extension, as the engine tells a file's type, a data: address by the type
// it names. The scripts of such a document run as it is parsed, before any script the program puts
// in a page has run there.
bool isXmlDocument(const QUrl &url);

} // namespace webengine

// Sets the User-Agent header of one page's requests: the engine's default string with the page's token.
class TUserAgentInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit TUserAgentInterceptor(QObject *parent = nullptr);
    void setToken(const QString &token);
    QByteArray header() const;
    // The local page whose script opened the page (none when the user opened it): the page's loads
    // are held to what that page may load.
    void setOpenerPage(const QUrl &page);
    // Whether a file the user opens in this page (an address the program loads, never a page's
    // navigation) keeps its plain address: true unless a page opened the window or a page of the
    // window opened another (the other window reaches this one through its opener), since no document
    // can reach such a file then; every other document from a file gets a host of its own.
    void setPlainUserDocuments(bool plain);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    // Whether a request for a local file that gets a host apart (a document's own, or the one of
    // pictures, sounds, videos, style sheets and scripts) comes with it; otherwise the request is sent on to it.
    bool hasItsHost(QWebEngineUrlRequestInfo &info);

    mutable QMutex m_mutex;
    QByteArray m_header;
    QUrl m_openerPage;
    bool m_plainUserDocuments = true;
    // hosts made for documents whose requests are on their way, oldest first
    QStringList m_documentHosts;
};
