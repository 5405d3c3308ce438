#pragma once
// TIEBrowser: the browser control of a page window, on Qt WebEngine.
//
// Its owner (the page window) talks to it through
//  - request hooks that answer the control (std::function members, called synchronously, the
//    control as first argument): OnBeforeNavigate (may rewrite or cancel a program-started
//    navigation), OnTranslateAccelerator (a key offered to the owner: true = handled), OnNewWindow2
//    (a page asks for a new window: the owner creates a page window and hands back its control's
//    page, or null to refuse; a script's window that no click or key of the user asked for is refused
//    before, and the status text says so; a link the user clicked opens there as an address the user
//    entered), OnCloseQuery (a script closes the window), OnShowMessage (a script
//    alert or confirm, in place of the control's own box, which blocks only this page);
//  - notification signals: StatusTextChange, ProgressChange, CommandStateChange, TitleChange,
//    DownloadBegin / DownloadComplete (a load starts and ends), DocumentComplete (each frame's
//    document, then the top document last), FileDownloadComplete, SaveAsComplete, PrintComplete,
//    FindComplete.
// Document commands do nothing while no document is loaded. Modal dialogs and message boxes go
// through browserDialogs() (BrowserDialogs.h).
#include "browser/IEBrowserCommands.h"
#include "browser/IEBrowserFlags.h"

#include <QElapsedTimer>
#include <QFlags>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <memory>

class QAuthenticator;
class QDialog;
class QPrinter;
class QWebEngineDownloadRequest;
class QWebEngineNewWindowRequest;
class TFindDialog;
class TIEBrowser;
class TUserAgentInterceptor;

// Text-size levels 0 (smallest) to 4 (largest) and the zoom factor of each.
constexpr int TextSizeLevels = 5;
double zoomForTextSize(int level);

// Where the key goes when it reaches the control: never offered (the page handles it), or offered
// to the owner first. Backspace, Enter and the Left and Right arrows (not those of the keypad) are
// never offered; every other key is.
bool isRoutedKey(int key, Qt::KeyboardModifiers modifiers);

// The engine page behind the control; it asks the control about navigations, windows and dialogs.
class TBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit TBrowserPage(TIEBrowser *browser);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;

public:
    // How long after the user's click, key or menu choice a window it asked for is still opened
    // (ms); the page's script opens one window per such input, as other browsers let it.
    static constexpr int UserWindowGraceMs = 5000;
    // The user's input on the page, or a command of the user's: the next window is theirs, and so is
    // the next download; a page may start one download on its own again.
    void allowUserWindow();
    // Whether the user's last input on the page is at most UserWindowGraceMs old.
    bool userInputIsRecent() const;
    // A download is the user's: one for each input of theirs.
    void grantUserDownload();

private:
    TIEBrowser *m_browser;
    friend class TIEBrowser;
    // Opens the window the page asks for (a link to a new window, a script's window) through the
    // owner, when the user asked for it.
    void openWindow(QWebEngineNewWindowRequest &request);
    // The local page whose script opened this window (empty: none): this window's navigations and its
    // requests are held to that page's folder.
    void setOpenerPage(const QUrl &page);
    // The link or form the user clicked (or dropped on the page): a navigation to it, in this window
    // or in a new one, is the user's own. A navigation that is not goes only where the
    // page's script may take it.
    void userActivated(const QUrl &target);
    // Whether the navigation goes where the user's last link or form points, at most
    // UserWindowGraceMs after it; the link counts once.
    bool takeUserLink(const QUrl &url, NavigationType type);
    // Whether a download of the address may go on: the user's own (the address the user entered, or
    // one for the user's input), or the first one the page starts on its own since the user's last
    // input. A refused one is told once.
    bool mayDownload(const QUrl &address);
    QUrl m_openerPage;
    // a navigation to the network let through is on its way: the server's redirections follow it
    bool m_leavingForNetwork = false;
    QUrl m_userLink;
    bool m_userLinkPosts = false; // a form whose fields go in the request's body
    QElapsedTimer m_userLinkAge;
    // Whether a link to another program is one the user may be asked about: where the page shows a
    // document with no reporter of the user's links (a page of the network), one for each input of the
    // user's, at most UserWindowGraceMs after it.
    bool takeUserProgram();
    // What the user is told of an address a local page was kept from opening.
    static QString keptFromOpening(const QUrl &address);
    // the user's last click, key or menu choice on the page, and how many windows it may still open
    // and how many links to other programs it may still ask about
    QElapsedTimer m_userInput;
    int m_userWindows = 0;
    int m_userPrograms = 0;
    // downloads: the address the user entered last, the ones still the user's for their input,
    // whether the page has started its own since, and whether a refusal was told
    QUrl m_typedAddress;
    QElapsedTimer m_typedAddressAge;
    int m_userDownloads = 0;
    QElapsedTimer m_userDownloadAge;
    bool m_ownDownloadStarted = false;
    bool m_refusalTold = false;
};

class TIEBrowser : public QWebEngineView {
    Q_OBJECT
public:
    explicit TIEBrowser(QWidget *owner = nullptr);
    ~TIEBrowser() override;

    // The program's title (the platform's application title), caption of script dialogs and
    // messages; the application name while none is set.
    static void SetApplicationTitle(const QString &title);
    static QString ApplicationTitle();

    // Options
    TDownloadControlOptions DownloadOptions() const { return m_downloadOptions; }
    void SetDownloadOptions(TDownloadControlOptions options);
    TUserInterfaceOptions UserInterfaceOptions() const { return m_uiOptions; }
    void SetUserInterfaceOptions(TUserInterfaceOptions options);
    quint32 DownloadFlags() const { return m_downloadFlags; }
    quint32 UserInterfaceFlags() const { return m_uiFlags; }
    // Kept as a flag only: the processor's floating-point exceptions are never unmasked.
    bool fpExceptions() const { return m_fpExceptions; }
    void SetfpExceptions(bool on) { m_fpExceptions = on; }
    TPrintOptions &PrintOptions() { return m_printOptions; }

    // The token inserted in the User-Agent header of this control's requests; registering it in
    // the platform store as a value of the user-agent key while the control lives.
    QString UserAgent() const { return m_userAgent; }
    void SetUserAgent(const QString &token);
    QByteArray UserAgentHeader() const;

    // Navigation
    // Opens an address as the user typed it; one that is no valid address is only told in the status text.
    void Navigate(const QString &url);
    bool HasDocument() const;
    bool Busy() const { return m_loading; }
    void GoBack();
    void GoForward();
    void GoHome();
    void Stop();
    void Refresh();
    QString LocationURL() const;
    QString LocationName() const;

    // Text size 0..4 (read 0 without a document; writes clamp); kept across navigation.
    int FontSize() const;
    void SetFontSize(int level);
    // Character set of the document; writing forces it (the document's bytes are reloaded in that
    // encoding), "_autodetect" drops the forcing. Empty without a document.
    QString Charset() const;
    void SetCharset(const QString &name);
    QString DefaultCharset() const;

    // Document commands: each runs through ExecCommand, which does nothing without a document
    // (except the internet options, which act on the profile) and lets no exception out.
    void ExecCommand(TBrowserCommand command);
    void SaveAs();
    void Print();
    void PrintPreview();
    void PageSetup();
    void Properties();
    void Find();
    void ViewSource();
    void InternetOptions();

    // The same without their dialogs, for callers that know the answers.
    bool SaveTo(const QString &path, TSaveFormat format);
    bool PrintTo(std::shared_ptr<QPrinter> printer);
    void FindText(const QString &text, bool backward, bool matchCase);
    TFindDialog *FindDialog() const { return m_findDialog; }
    // A download of this control's page (the profile hands each one to the control of its page).
    void HandleDownload(QWebEngineDownloadRequest *download);
    // The engine finishes a refused download on its own after the refusal; destroying the page before
    // it has is not safe. How long (ms) an owner about to destroy the control should still let the
    // event loop run (0 when nothing is pending).
    int DownloadSettleMs() const;
    static constexpr int DownloadSettleTime = 1000;

    // Request hooks (see the top of this file).
    std::function<void(TIEBrowser *, QString &url, bool &cancel)> OnBeforeNavigate;
    std::function<bool(TIEBrowser *, QKeyEvent *)> OnTranslateAccelerator;
    std::function<QWebEnginePage *(TIEBrowser *, QWebEnginePage::WebWindowType)> OnNewWindow2;
    std::function<void(TIEBrowser *, bool &canClose)> OnCloseQuery;
    std::function<QMessageBox::StandardButton(TIEBrowser *, const QString &text, const QString &caption,
                                              QMessageBox::StandardButtons buttons)>
        OnShowMessage;

    // Ends the page's own question, if one is open (as if cancelled), and answers every later one
    // with Cancel at once: for a page that is going away. The page's own questions are its scripts'
    // dialogs, a download's save question and the question before a link opens another program.
    void EndScriptDialogs();
    // True while one of the page's own questions waits for the answer.
    bool InScriptDialog() const { return m_scriptDialog != nullptr; }

    // The texts of the page's question before a link opens another program and of the notice of
    // refused downloads, in the interface's language ("%s" stands for the kind of link, the
    // program's name); the English ones until set.
    struct TTexts {
        QString programLink;
        QString program;
        QString open;
        QString dontOpen;
        QString noProgram;
        QString downloadsRefused;
    };
    static const TTexts &DefaultTexts();
    void SetTexts(const TTexts &texts) { m_texts = texts; }
    const TTexts &Texts() const { return m_texts; }

    // Shows a message captioned with the application title (through OnShowMessage when assigned).
    QMessageBox::StandardButton ShowMessage(const QString &text, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);

signals:
    void StatusTextChange(const QString &text);
    // progress and maximum while loading; -1 when the load has ended
    void ProgressChange(int progress, int progressMax);
    // command 1: forward, 2: back
    void CommandStateChange(int command, bool enable);
    void TitleChange(const QString &title);
    void DownloadBegin();
    void DownloadComplete();
    void DocumentComplete(const QUrl &url, bool topLevel);
    void FileDownloadComplete(const QString &path, bool ok);
    void SaveAsComplete(const QString &path, bool ok);
    void PrintComplete(bool ok);
    void FindComplete(int matches, int activeMatch);

public:
    enum { CSC_NAVIGATEFORWARD = 1, CSC_NAVIGATEBACK = 2 };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend class TBrowserPage;
    void frameCompleted(const QUrl &url);
    void loadStarted();
    void loadFinished(bool ok);
    void updateCommandState();
    void applyPageOptions();
    // The script world the control asks the page's documents in: the page's own while the page's
    // scripts run, the program's own while they are off.
    quint32 askingWorld() const;
    // Puts the script that tells of completed frames in that world.
    void placeFrameReporter();
    // Tells the user of a navigation refused; the load the engine ends for it leaves that in view.
    void tellRefusal(const QString &text);
    void applyZoom();
    bool routeKey(QKeyEvent *key);
    bool performOwnAccelerator(QKeyEvent *key);
    void reportFailure(const QString &text);
    // A script's alert or confirm box and the run of every script dialog: each blocks only this page.
    QMessageBox::StandardButton scriptMessage(const QString &text, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons);
    int runScriptDialog(QDialog &dialog);
    void cancelDownload(QWebEngineDownloadRequest *download);
    // The folder a download is first offered in: the profile's download folder, made when missing.
    QString downloadFolder() const;
    // Asks the user whether the link may open the program the desktop has for its kind.
    void askToOpenProgram(const QUrl &url);
    // Tells the user (once the page's question, if one is open, is answered) that downloads the page
    // started on its own were refused.
    void tellDownloadsRefused();
    void showPendingNotice();
    void askCredentials(QAuthenticator *auth, const QString &text);
    void doSaveAs();
    void doPrint();
    void doPrintPreview();
    void doPageSetup();
    void doProperties();
    void doFind();
    void doViewSource();
    void doInternetOptions();
    void withPdf(const std::function<void(const QByteArray &pdf, const QPageLayout &layout)> &done);
    void registerUserAgent();
    void unregisterUserAgent();
    bool forceCharset(const QString &name);

    TBrowserPage *m_page = nullptr;
    TUserAgentInterceptor *m_interceptor = nullptr;
    QPointer<TFindDialog> m_findDialog;
    QDialog *m_scriptDialog = nullptr;
    bool m_scriptDialogsEnded = false;
    QString m_pendingNotice;
    TTexts m_texts = DefaultTexts();
    TPrintOptions m_printOptions;
    TDownloadControlOptions m_downloadOptions;
    TUserInterfaceOptions m_uiOptions;
    quint32 m_downloadFlags = 0;
    quint32 m_uiFlags = 0;
    bool m_fpExceptions = true;
    QString m_userAgent;
    bool m_userAgentRegistered = false;

    bool m_loading = false;
    // the last load ended without an error of its own: stopped, or handed on as a download
    bool m_loadAborted = false;
    // what the user was told of a navigation refused since the last load started
    QString m_refusedNotice;
    quint64 m_loadSerial = 0;
    QList<QUrl> m_pendingFrames;
    qsizetype m_pendingFrameChars = 0;
    int m_fontSize = 2;
    QString m_charset;
    QString m_forcedCharset;
    QByteArray m_forcedBytes;
    QUrl m_forcedUrl;
    bool m_loadingForced = false;
    // the page shows a local XML document: it runs no script (its own would run before the page's
    // protections)
    bool m_scriptsHeld = false;
    int m_pendingSaves = 0;
    QElapsedTimer m_downloadCancelled;
    int m_swallowKey = 0;
    QString m_lastFindText;

    // The control as the page's answers (scripts' results, text, PDF) see it: gone as soon as the
    // control's destructor starts. The page, a child, goes after the control's own parts and hands its
    // pending answers in as it goes, when a QPointer would still point at the control.
    class TSelf {
    public:
        explicit TSelf(TIEBrowser *browser)
            : m_browser(browser)
            , m_alive(browser->m_alive)
        {}
        explicit operator bool() const { return !m_alive.expired(); }
        TIEBrowser *operator->() const { return m_browser; }
        TIEBrowser *get() const { return m_browser; }

    private:
        TIEBrowser *m_browser;
        std::weak_ptr<const char> m_alive;
    };
    std::shared_ptr<const char> m_alive = std::make_shared<const char>(0);
};
