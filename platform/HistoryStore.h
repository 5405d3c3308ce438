#pragma once
// The history of visited pages: an SQLite database (by default "History.sqlite" in the history folder
// of the store's shell folders, which lies in the user's data folder). Page windows record every
// completed top-level page; the history tree lists it and the address box completes from it.
// Every statement binds its values as parameters; every change is one transaction, so a crash never
// leaves half a change behind. The store never keeps the window waiting for another program that
// holds the file: a visit it cannot write at once waits in memory and is written when the file is
// free (retried, and at the next visit); the user is told once. A store found damaged while in use is
// set aside as one that cannot be read at all, and the user is told.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct sqlite3;

struct HistoryPage {
    QString url;
    QString title;       // the newest non-empty title the page had
    QDateTime lastVisit; // UTC
    int visitCount = 0;
};

struct HistoryVisit {
    QString url;
    QString title;
    QDateTime time; // UTC
};

class QTimer;

class HistoryStore {
public:
    // Addresses longer than this are not kept: the address box holds no longer text, and a page can
    // make an address of megabytes.
    static constexpr qsizetype MaxUrlLength = 32767;
    // Completion offers no address longer than this.
    static constexpr qsizetype MaxCompletionLength = 4096;
    // Titles are kept up to this length.
    static constexpr qsizetype MaxTitleLength = 1024;
    // At most this many visits wait in memory for the file.
    static constexpr int MaxPendingVisits = 10000;
    // How long one statement waits for another program's lock before the visit waits in memory.
    static constexpr int BusyWaitMs = 50;

    // Opens (creating when missing) the database at path and its folder. isOpen() tells whether that
    // worked; a file another program holds is opened once it is free.
    explicit HistoryStore(const QString &path);
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    // The history folder of the store's shell folders + "/History.sqlite".
    static QString defaultPath();
    // The program's one store, opened at the first call at sharedPath (defaultPath() unless set).
    static HistoryStore &shared();
    // Closes the shared store and opens the next one at path (empty: defaultPath()); for tests.
    static void setSharedPath(const QString &path);

    bool isOpen() const;
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }
    // Where an unreadable (corrupt) store file was moved when this store was opened; empty when none
    // was. The new store starts empty in its place.
    QString setAsidePath() const { return m_setAside; }

    // Pages of the internal schemes about:, data:, view-source: and javascript: (and empty URLs) are
    // not history.
    static bool isRecordable(const QString &url);
    // The site a page belongs to: its host in lower case; "" for a local file; the scheme and ":" for
    // an address without a host.
    static QString siteOf(const QString &url);

    // Records a visit; false when the URL is not recordable, longer than MaxUrlLength, or the store
    // cannot be opened at all (the user is told once, with the reason). A visit the file cannot take
    // now waits in memory (true).
    bool recordVisit(const QString &url, const QString &title, const QDateTime &when = QDateTime::currentDateTimeUtc());
    // Visits waiting in memory for the file.
    int pendingVisits() const { return int(m_pending.size()); }
    // Writes the waiting visits now (opening a store that was held at start); true when none waits.
    bool writePending();

    // Pages with at least one visit in [from, to): the page's url and title, its newest visit in the
    // range and its number of visits there; newest first.
    QList<HistoryPage> pagesWithVisitsBetween(const QDateTime &from, const QDateTime &to) const;
    // The sites (siteOf) of the pages with a visit in [from, to), in no particular order.
    QStringList sitesWithVisitsBetween(const QDateTime &from, const QDateTime &to) const;
    // As pagesWithVisitsBetween, only the pages of one site; read from the site's pages, not the period.
    QList<HistoryPage> pagesOfSiteBetween(const QString &site, const QDateTime &from, const QDateTime &to) const;
    bool hasVisitsOfSiteBetween(const QString &site, const QDateTime &from, const QDateTime &to) const;
    bool hasVisitsBetween(const QDateTime &from, const QDateTime &to) const;
    bool hasVisitOfUrlBetween(const QString &url, const QDateTime &from, const QDateTime &to) const;
    // The oldest visit's time; invalid when there is none.
    QDateTime oldestVisit() const;
    // Pages whose newest visit lies in [from, to), newest first.
    QList<HistoryPage> pagesVisitedBetween(const QDateTime &from, const QDateTime &to) const;
    // Visits in [from, to), newest first.
    QList<HistoryVisit> visitsBetween(const QDateTime &from, const QDateTime &to) const;
    // The page of that URL, or a page with an empty url.
    HistoryPage page(const QString &url) const;
    // URLs that the typed text may complete to: those beginning with it, with or without their
    // scheme and "www.", compared without regard to ASCII case, none longer than
    // MaxCompletionLength; most visited first, then newest.
    // Answered from indexes: its cost does not grow with the size of the store.
    QStringList completions(const QString &typed, int limit) const;

    // Deletes the page and all its visits.
    bool deleteUrl(const QString &url);
    // Deletes the visits in [from, to) and the pages left without a visit.
    bool deleteVisitsBetween(const QDateTime &from, const QDateTime &to);
    // Deletes the visits of those URLs in [from, to) and the pages left without a visit, in one
    // transaction; the other pages' counts, newest visits and titles follow their remaining visits.
    bool deleteVisitsOfUrlsBetween(const QStringList &urls, const QDateTime &from, const QDateTime &to);
    // Deletes everything, the visits waiting in memory too; then tells every listener.
    bool clear();

    // Listeners told after any store has been cleared (the history tree follows a clear made from
    // the Internet Options). Answers a number for removeClearListener.
    static int addClearListener(std::function<void()> listener);
    static void removeClearListener(int id);
    // Listeners told after visits were written or a store started anew (the history tree shows new
    // periods). Answers a number for removeChangeListener.
    static int addChangeListener(std::function<void()> listener);
    static void removeChangeListener(int id);

    int pageCount() const;
    int visitCount() const;

private:
    struct Statements;
    friend class BoundStatement;
    bool exec(const char *sql);
    // Runs work in one transaction: committed when it succeeds, rolled back when not.
    bool transaction(const char *what, const std::function<bool()> &work);
    bool fail(const char *what);
    bool open();
    // Gives stores made before pages knew their site the column, and fills in the sites missing.
    bool addSites();
    void close();
    // Moves the file (and its companions) aside; false, with the reason, when it cannot.
    bool setAside();
    bool writeVisit(const HistoryVisit &visit);
    // Notes a failed statement: damage is repaired on the next turn of the event loop.
    void noteFailure(int code) const;
    void startAnewAfterDamage();
    void retryLater();
    void tell(const QString &text) const;

    QString m_path;
    QString m_error;
    QString m_setAside;
    bool m_corrupt = false;
    // the file was held by another program when the store opened
    bool m_heldAtOpen = false;
    mutable bool m_damaged = false;
    mutable QString m_damageReason;
    bool m_toldWriteFailure = false;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<Statements> m_stmts;
    QList<HistoryVisit> m_pending;
    std::unique_ptr<QTimer> m_retry;
    int m_retryDelay = 0;
};
