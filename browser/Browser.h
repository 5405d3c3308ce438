#pragma once
// TfrmBrowser: one page window, a sub-window of the main window's window area showing one page in
// its browser control. It registers itself with its owner by a synchronous message when it is
// created and reports to it only through its seven events, each with the page window as sender.
// It owns the five text-size actions and the 29 encoding actions that the main window's menus
// execute by tag.
#include "platform/Types.h"

#include <QList>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

class QAction;
class QImage;
class QMdiArea;
class TIEBrowser;
class TPageHolder;
class TPageViewSizes;
class TMemIni;

class TfrmBrowser : public QMdiSubWindow {
    Q_OBJECT
public:
    // Creates the window inside the area and registers it with the owner before returning.
    TfrmBrowser(QMdiArea *area, QObject *owner);
    ~TfrmBrowser() override;

    TIEBrowser *WebBrowser() const { return m_browser; }
    bool CanGoBack() const { return m_canGoBack; }
    bool CanGoForward() const { return m_canGoForward; }
    int BrowserIndex = -1;
    const QList<QAction *> &FontList() const { return m_fontList; }
    const QList<QAction *> &EncodeList() const { return m_encodeList; }
    QString UserAgent() const;
    void setUserAgent(const QString &token);
    int Progress() const { return m_progress; }
    int ProgressMax() const { return m_progressMax; }

    TWindowState WindowStateValue() const;
    void SetWindowStateValue(TWindowState state);
    // The rectangle the window has when it is neither minimised nor maximised.
    QRect normalGeometryForSave() const { return m_normalGeometry.isValid() ? m_normalGeometry : geometry(); }
    // True while this window is the area's current sub-window.
    bool IsActive() const;

    std::function<void(TfrmBrowser *)> OnBrowserActivate;
    std::function<void(TfrmBrowser *)> OnBrowserFreed;
    std::function<void(TfrmBrowser *, int progress, int progressMax)> OnDownloading;
    std::function<void(TfrmBrowser *, QString &url, bool &cancel)> OnDownloadBegin;
    std::function<void(TfrmBrowser *, const QString &)> OnAddressChanged;
    std::function<void(TfrmBrowser *, const QString &)> OnTitleChanged;
    std::function<void(TfrmBrowser *, const QString &)> OnStatusTextChanged;

    // The user is about to bring the window to the front (the pointer rests on its tab): while soon,
    // its page is drawn even when other windows cover it, so that bringing it forward shows the page
    // at once. A covered window's page is otherwise hidden to the engine: it reads hidden, runs no
    // animation frames and draws nothing.
    void PrepareToShow(bool soon);
    // Whether a picture of a page view holds anything but one colour (a view not yet drawn is blank).
    static bool showsPicture(const QImage &image);

    void ApplyLanguage(const TMemIni &table);
    // Called by the owner when the window becomes the active one.
    void FormActivate();

    // Charset names of the encoding actions, by tag; entry 0 is a marker for the document's default.
    static const QStringList &CharsetTable();
    // The longest the close waits for a loading page to stop, in milliseconds.
    static constexpr int CloseWaitMs = 3000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TPageHolder;
    friend class TPageViewSizes;
    // Sizes the page view: to the held size when one is given, else to the window's inside.
    void fitView(const QSize &held);
    void setViewSize(const QSize &size);
    void holderResized();
    void aMediumExecute(QAction *sender);
    void aDefaultCharSetExecute(QAction *sender);
    void WebBrowserDocumentComplete(const QUrl &url, bool topLevel);
    void MarkActions();
    // Tells the owner (OnBrowserFreed, once) that the window is closed.
    void leaveOwner(const QCloseEvent *event);

    QPointer<QObject> m_owner;
    TPageHolder *m_holder;
    TIEBrowser *m_browser;
    QPointer<TPageViewSizes> m_sizes;
    QList<QAction *> m_fontList;
    QList<QAction *> m_encodeList;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    int m_progress = 0;
    int m_progressMax = 0;
    bool m_closing = false;
    // whether the page view has been shown (a page not yet seen is laid out at its width only), and
    // the size last asked for it
    bool m_viewShown = false;
    QSize m_viewSize;
    QRect m_normalGeometry;
};
