#include "platform/HistoryStore.h"

#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"
#include "platform/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <map>
#include <sqlite3.h>
#include <unordered_map>

namespace {

std::unique_ptr<HistoryStore> g_shared;
QString g_sharedPath;

const char *const Schema = R"sql(
CREATE TABLE IF NOT EXISTS pages(
    id INTEGER PRIMARY KEY,
    url TEXT NOT NULL UNIQUE,
    title TEXT NOT NULL DEFAULT '',
    last_visit INTEGER NOT NULL,
    visit_count INTEGER NOT NULL DEFAULT 0,
    site TEXT);
CREATE TABLE IF NOT EXISTS visits(
    id INTEGER PRIMARY KEY,
    page_id INTEGER NOT NULL REFERENCES pages(id) ON DELETE CASCADE,
    time INTEGER NOT NULL,
    title TEXT NOT NULL DEFAULT '');
CREATE INDEX IF NOT EXISTS visits_time ON visits(time);
DROP INDEX IF EXISTS visits_page;
CREATE INDEX IF NOT EXISTS visits_page_time ON visits(page_id, time);
CREATE INDEX IF NOT EXISTS pages_last_visit ON pages(last_visit);
CREATE INDEX IF NOT EXISTS pages_url_nocase ON pages(url COLLATE NOCASE);
DROP INDEX IF EXISTS pages_rank;
CREATE INDEX IF NOT EXISTS pages_ranked_urls ON pages(visit_count DESC, last_visit DESC, url);
)sql";

// Stores made before pages knew their site get the column; the sites are filled in at opening.
const char *const SiteColumn = "ALTER TABLE pages ADD COLUMN site TEXT";
const char *const SiteIndex = "CREATE INDEX IF NOT EXISTS pages_site ON pages(site)";

using Listeners = std::map<int, std::function<void()>>;

Listeners &clearListeners()
{
    static Listeners listeners;
    return listeners;
}

Listeners &changeListeners()
{
    static Listeners listeners;
    return listeners;
}

int addListener(Listeners &listeners, std::function<void()> listener)
{
    static int next = 0;
    listeners.emplace(++next, std::move(listener));
    return next;
}

void tellListeners(Listeners &(*which)())
{
    // a copy: a listener may remove itself
    const Listeners listeners = which();
    for (const auto &[id, listener] : listeners)
        listener();
}

bool isDamage(int code)
{
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}

bool isHeld(int code)
{
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

// Waits between tries to write the visits waiting in memory: doubled after each failed try.
constexpr int FirstRetryMs = 1000;
constexpr int LastRetryMs = 30000;

qint64 toMs(const QDateTime &t)
{
    return t.isValid() ? t.toMSecsSinceEpoch() : 0;
}

QDateTime fromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

QString columnText(sqlite3_stmt *s, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(s, column)) : QString();
}

// A row of url, title, last_visit, visit_count.
HistoryPage pageFrom(sqlite3_stmt *s)
{
    return {columnText(s, 0), columnText(s, 1), fromMs(sqlite3_column_int64(s, 2)), sqlite3_column_int(s, 3)};
}

} // namespace

struct HistoryStore::Statements {
    explicit Statements(const HistoryStore *store)
        : owner(store)
    {}
    const HistoryStore *owner;
    std::unordered_map<const char *, sqlite3_stmt *> cache;
    ~Statements() { clear(); }
    void clear()
    {
        for (auto &[sql, stmt] : cache)
            sqlite3_finalize(stmt);
        cache.clear();
    }
};

// A cached statement, reset and with its bindings cleared; binding helpers on top.
class BoundStatement {
public:
    BoundStatement(sqlite3 *db, HistoryStore::Statements &statements, const char *sql)
        : m_owner(statements.owner)
    {
        if (!db)
            return;
        auto &cache = statements.cache;
        auto it = cache.find(sql);
        if (it == cache.end()) {
            sqlite3_stmt *prepared = nullptr;
            const int prepare = sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr);
            if (prepare != SQLITE_OK) {
                m_owner->noteFailure(prepare);
                return;
            }
            it = cache.emplace(sql, prepared).first;
        }
        m_stmt = it->second;
    }
    ~BoundStatement()
    {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    BoundStatement(const BoundStatement &) = delete;
    BoundStatement &operator=(const BoundStatement &) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt *get() const { return m_stmt; }
    BoundStatement &bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        if (m_stmt)
            sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    BoundStatement &bind(int index, qint64 value)
    {
        if (m_stmt)
            sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code
    int step()
    {
        if (!m_stmt)
            return SQLITE_MISUSE;
        const int result = sqlite3_step(m_stmt);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            m_owner->noteFailure(result);
        return result;
    }

private:
    const HistoryStore *m_owner;
    sqlite3_stmt *m_stmt = nullptr;
};

HistoryStore::HistoryStore(const QString &path)
    : m_path(path)
    , m_stmts(std::make_unique<Statements>(this))
    , m_retry(std::make_unique<QTimer>())
{
    m_retry->setSingleShot(true);
    m_retry->callOnTimeout([this] { writePending(); });
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (open())
        return;
    if (m_heldAtOpen) {
        // another program holds the file: it is opened once free, visits wait in memory till then
        retryLater();
        return;
    }
    if (!m_corrupt)
        return;
    // a file that is not a database, or a damaged one, is kept under another name and a new store
    // begins; the history is lost, the program goes on
    if (setAside())
        open();
}

bool HistoryStore::setAside()
{
    QString aside = m_path + QStringLiteral(".corrupt");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".corrupt-%1").arg(n);
    if (!QFile::rename(m_path, aside)) {
        m_error = QStringLiteral("%1 is damaged and could not be set aside").arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    for (const char *companion : {"-wal", "-shm"}) {
        if (QFileInfo::exists(m_path + QLatin1String(companion)))
            QFile::rename(m_path + QLatin1String(companion), aside + QLatin1String(companion));
    }
    m_setAside = aside;
    return true;
}

bool HistoryStore::open()
{
    m_corrupt = false;
    m_heldAtOpen = false;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        fail("open");
        close();
        return false;
    }
    // a short wait rides over another program's brief write; a longer hold is waited out in memory
    sqlite3_busy_timeout(m_db, BusyWaitMs);
    // WAL keeps the last committed state whole when the program dies mid-write
    if (!exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;") || !exec(Schema) ||
        !addSites()) {
        const int code = sqlite3_errcode(m_db);
        m_corrupt = isDamage(code);
        m_heldAtOpen = isHeld(code);
        close();
        // damage met while opening is the opener's to handle
        m_damaged = false;
        return false;
    }
    return true;
}

void HistoryStore::close()
{
    m_stmts->clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool HistoryStore::addSites()
{
    sqlite3_stmt *probe = nullptr;
    const bool hasColumn = sqlite3_prepare_v2(m_db, "SELECT site FROM pages LIMIT 0", -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    if ((!hasColumn && !exec(SiteColumn)) || !exec(SiteIndex))
        return fail("open");
    // only a store with pages to fill in is written to: opening needs no lock another program may hold
    int missingStep = SQLITE_MISUSE;
    {
        BoundStatement anyMissing(m_db, *m_stmts, "SELECT 1 FROM pages WHERE site IS NULL LIMIT 1");
        missingStep = anyMissing.step();
    }
    if (missingStep == SQLITE_DONE)
        return true;
    if (missingStep != SQLITE_ROW)
        return fail("open");
    return transaction("open", [this] {
        BoundStatement missing(m_db, *m_stmts, "SELECT id, url FROM pages WHERE site IS NULL");
        BoundStatement set(m_db, *m_stmts, "UPDATE pages SET site = ?2 WHERE id = ?1");
        QList<QPair<qint64, QString>> rows;
        while (missing.step() == SQLITE_ROW)
            rows.append({sqlite3_column_int64(missing.get(), 0), columnText(missing.get(), 1)});
        for (const auto &[id, url] : std::as_const(rows)) {
            if (set.bind(1, id).bind(2, siteOf(url)).step() != SQLITE_DONE)
                return false;
            sqlite3_reset(set.get());
        }
        return true;
    });
}

QString HistoryStore::siteOf(const QString &url)
{
    const QUrl parsed(url);
    if (parsed.isLocalFile())
        return QString();
    const QString host = parsed.host().toLower();
    if (!host.isEmpty())
        return host;
    return parsed.scheme().toLower() + u':';
}

HistoryStore::~HistoryStore()
{
    // a last try for the visits still waiting; none is tried again, nobody is told
    if (m_db && !m_damaged)
        while (!m_pending.isEmpty() && writeVisit(m_pending.constFirst()))
            m_pending.removeFirst();
    m_retry->stop();
    close();
}

QString HistoryStore::defaultPath()
{
    const QString folder = platformstore::readString(Hive::CurrentUser,
                                                     QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\"
                                                                    "Explorer\\Shell Folders"),
                                                     QStringLiteral("History"))
                               .value_or(QString());
    return folder + QStringLiteral("/History.sqlite");
}

HistoryStore &HistoryStore::shared()
{
    if (!g_shared)
        g_shared = std::make_unique<HistoryStore>(g_sharedPath.isEmpty() ? defaultPath() : g_sharedPath);
    return *g_shared;
}

void HistoryStore::setSharedPath(const QString &path)
{
    g_shared.reset();
    g_sharedPath = path;
}

bool HistoryStore::isOpen() const
{
    return m_db != nullptr;
}

bool HistoryStore::fail(const char *what)
{
    m_error = QStringLiteral("%1: %2").arg(QLatin1String(what), m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                                                     : QStringLiteral("no database"));
    return false;
}

bool HistoryStore::exec(const char *sql)
{
    if (!m_db)
        return false;
    char *message = nullptr;
    const int result = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (result != SQLITE_OK) {
        noteFailure(result);
        m_error = QString::fromUtf8(message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool HistoryStore::isRecordable(const QString &url)
{
    const QString text = textrules::trim(url);
    if (text.isEmpty())
        return false;
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0)
        return true;
    const QString scheme = textrules::foldAscii(text.left(colon));
    return scheme != u"ABOUT" && scheme != u"DATA" && scheme != u"VIEW-SOURCE" && scheme != u"JAVASCRIPT";
}

bool HistoryStore::recordVisit(const QString &url, const QString &title, const QDateTime &when)
{
    if (!isRecordable(url) || url.size() > MaxUrlLength)
        return false;
    if (!m_db && !m_heldAtOpen) {
        // a store that could not be opened keeps nothing
        if (!m_toldWriteFailure) {
            m_toldWriteFailure = true;
            tell(QObject::tr("The history file %1 cannot be opened (%2). Visits are not kept.")
                     .arg(QDir::toNativeSeparators(m_path), m_error));
        }
        return false;
    }
    if (m_pending.size() >= MaxPendingVisits) {
        m_error = QStringLiteral("record: %1 visits are waiting to be written").arg(m_pending.size());
        return false;
    }
    m_pending.append({url, title.left(MaxTitleLength), when});
    // while the file is held the visit waits for the next try, not the window for the file
    if (!m_retry->isActive() && !m_damaged)
        writePending();
    return true;
}

bool HistoryStore::writeVisit(const HistoryVisit &v)
{
    const qint64 time = toMs(v.time);
    return transaction("record", [&] {
        BoundStatement upsert(m_db, *m_stmts,
                              "INSERT INTO pages(url, title, last_visit, visit_count, site) VALUES(?1, ?2, ?3, 1, ?4) "
                              "ON CONFLICT(url) DO UPDATE SET "
                              "title = CASE WHEN excluded.title <> '' THEN excluded.title ELSE title END, "
                              "last_visit = MAX(last_visit, excluded.last_visit), visit_count = visit_count + 1");
        upsert.bind(1, v.url).bind(2, v.title).bind(3, time).bind(4, siteOf(v.url));
        BoundStatement pageId(m_db, *m_stmts, "SELECT id FROM pages WHERE url = ?1");
        BoundStatement visit(m_db, *m_stmts, "INSERT INTO visits(page_id, time, title) VALUES(?1, ?2, ?3)");
        if (upsert.step() == SQLITE_DONE && pageId.bind(1, v.url).step() == SQLITE_ROW) {
            visit.bind(1, qint64(sqlite3_column_int64(pageId.get(), 0))).bind(2, time).bind(3, v.title);
            return visit.step() == SQLITE_DONE;
        }
        return false;
    });
}

bool HistoryStore::writePending()
{
    bool changed = false;
    if (!m_db) {
        if (!m_heldAtOpen)
            return m_pending.isEmpty();
        if (!open()) {
            if (m_heldAtOpen) {
                retryLater();
            } else if (m_corrupt) {
                // damaged while another program held it: set aside as damage found in use
                m_damaged = true;
                m_damageReason = m_error;
                startAnewAfterDamage();
                return m_pending.isEmpty();
            }
            return false;
        }
        changed = true;
    }
    while (!m_pending.isEmpty()) {
        if (!writeVisit(m_pending.constFirst())) {
            // a damaged file is set aside and the visits go to the new one
            if (!m_damaged)
                retryLater();
            if (changed)
                tellListeners(changeListeners);
            return false;
        }
        m_pending.removeFirst();
        changed = true;
    }
    m_retry->stop();
    m_retryDelay = 0;
    if (changed)
        tellListeners(changeListeners);
    return true;
}

void HistoryStore::retryLater()
{
    if (!m_toldWriteFailure) {
        m_toldWriteFailure = true;
        tell(QObject::tr("The history file %1 cannot be written now (%2). Visits are kept and written as soon as "
                         "it can be written again.")
                 .arg(QDir::toNativeSeparators(m_path), m_error));
    }
    m_retryDelay = m_retryDelay == 0 ? FirstRetryMs : std::min(2 * m_retryDelay, LastRetryMs);
    m_retry->start(m_retryDelay);
}

void HistoryStore::noteFailure(int code) const
{
    if (!isDamage(code) || m_damaged)
        return;
    m_damaged = true;
    m_damageReason = QString::fromUtf8(sqlite3_errstr(code));
    // the statement that met the damage is still running: the store starts anew after it
    auto *self = const_cast<HistoryStore *>(this);
    QTimer::singleShot(0, m_retry.get(), [self] { self->startAnewAfterDamage(); });
}

void HistoryStore::startAnewAfterDamage()
{
    if (!m_damaged)
        return;
    close();
    if (!setAside()) {
        tell(QObject::tr("The history file %1 is damaged (%2) and could not be set aside. Visits are not kept.")
                 .arg(QDir::toNativeSeparators(m_path), m_damageReason));
        return;
    }
    m_damaged = false;
    open();
    tell(QObject::tr("The history file %1 is damaged (%2). It has been kept as %3 and a new history has been "
                     "started.")
             .arg(QDir::toNativeSeparators(m_path), m_damageReason, QDir::toNativeSeparators(m_setAside)));
    tellListeners(clearListeners);
    writePending();
}

void HistoryStore::tell(const QString &text) const
{
    // never from inside a page load or a statement: on the next turn of the event loop
    QTimer::singleShot(0, m_retry.get(), [text] {
        messageboxes::show(nullptr, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
    });
}

namespace {

// The rows of a query over the time range [?1, ?2), each made by make.
template <typename Row>
QList<Row> rowsBetween(BoundStatement &q, const QDateTime &from, const QDateTime &to, Row (*make)(sqlite3_stmt *))
{
    QList<Row> out;
    if (!q)
        return out;
    q.bind(1, toMs(from)).bind(2, toMs(to));
    while (q.step() == SQLITE_ROW)
        out.append(make(q.get()));
    return out;
}

HistoryVisit visitFrom(sqlite3_stmt *s)
{
    return {columnText(s, 0), columnText(s, 1), fromMs(sqlite3_column_int64(s, 2))};
}

} // namespace

QList<HistoryPage> HistoryStore::pagesVisitedBetween(const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts,
                     "SELECT url, title, last_visit, visit_count FROM pages "
                     "WHERE last_visit >= ?1 AND last_visit < ?2 ORDER BY last_visit DESC, id DESC");
    return rowsBetween(q, from, to, pageFrom);
}

QList<HistoryVisit> HistoryStore::visitsBetween(const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts,
                     "SELECT pages.url, visits.title, visits.time FROM visits JOIN pages ON pages.id = visits.page_id "
                     "WHERE visits.time >= ?1 AND visits.time < ?2 ORDER BY visits.time DESC, visits.id DESC");
    return rowsBetween(q, from, to, visitFrom);
}

HistoryPage HistoryStore::page(const QString &url) const
{
    BoundStatement q(m_db, *m_stmts, "SELECT url, title, last_visit, visit_count FROM pages WHERE url = ?1");
    if (!q || q.bind(1, url).step() != SQLITE_ROW)
        return {};
    return pageFrom(q.get());
}

namespace {

// The five forms a typed text completes: as typed, and after "http://", "https://", "http://www."
// and "https://www.". Each is a range of the index over the URLs without ASCII case: from the text
// to the text followed by the highest character.
const char *const Ranges[] = {
    "url >= ?1 COLLATE NOCASE AND url < ?2 COLLATE NOCASE",  "url >= ?3 COLLATE NOCASE AND url < ?4 COLLATE NOCASE",
    "url >= ?5 COLLATE NOCASE AND url < ?6 COLLATE NOCASE",  "url >= ?7 COLLATE NOCASE AND url < ?8 COLLATE NOCASE",
    "url >= ?9 COLLATE NOCASE AND url < ?10 COLLATE NOCASE",
};

// Up to this many matches are ranked after reading them from the address index; a text that
// matches more is answered by walking the ranking index instead, where matches are frequent.
constexpr int RankedMatches = 2000;

QByteArray rangesSql(const char *head, const char *joiner, const char *each, const char *tail)
{
    QByteArray sql(head);
    for (const char *range : Ranges) {
        if (range != Ranges[0])
            sql += joiner;
        sql += QByteArray(each).replace("%R", range);
    }
    return sql + tail;
}

void bindRanges(BoundStatement &q, const QString &typed)
{
    static const QString highest = QString::fromUcs4(U"\U0010FFFF");
    int index = 1;
    for (const char *prefix : {"", "http://", "https://", "http://www.", "https://www."}) {
        const QString from = QLatin1String(prefix) + typed;
        q.bind(index, from).bind(index + 1, from + highest);
        index += 2;
    }
}

} // namespace

QStringList HistoryStore::completions(const QString &typed, int limit) const
{
    QStringList out;
    const QString text = textrules::trim(typed);
    if (text.isEmpty() || limit <= 0)
        return out;
    // ?13: no address longer than completion offers is read, ranked or returned
    static const QByteArray countSql =
        rangesSql("SELECT 0", "",
                  " + (SELECT COUNT(*) FROM (SELECT 1 FROM pages INDEXED BY pages_url_nocase "
                  "WHERE %R AND length(url) <= ?13 LIMIT ?11))",
                  "");
    static const QByteArray fewSql =
        rangesSql("SELECT url FROM pages WHERE id IN (", " UNION ",
                  "SELECT id FROM (SELECT id FROM pages INDEXED BY pages_url_nocase WHERE %R AND length(url) <= ?13 "
                  "LIMIT ?11)",
                  ") ORDER BY visit_count DESC, last_visit DESC, id DESC LIMIT ?12");
    static const QByteArray manySql =
        rangesSql("SELECT url FROM pages INDEXED BY pages_ranked_urls WHERE (", " OR ", "(%R)",
                  ") AND length(url) <= ?13 ORDER BY visit_count DESC, last_visit DESC LIMIT ?12");
    BoundStatement count(m_db, *m_stmts, countSql.constData());
    if (!count)
        return out;
    bindRanges(count, text);
    count.bind(11, qint64(RankedMatches)).bind(13, qint64(MaxCompletionLength));
    const bool many = count.step() == SQLITE_ROW && sqlite3_column_int(count.get(), 0) >= RankedMatches;
    BoundStatement q(m_db, *m_stmts, many ? manySql.constData() : fewSql.constData());
    if (!q)
        return out;
    bindRanges(q, text);
    q.bind(11, qint64(RankedMatches)).bind(12, qint64(limit)).bind(13, qint64(MaxCompletionLength));
    while (q.step() == SQLITE_ROW)
        out << columnText(q.get(), 0);
    return out;
}

QList<HistoryPage> HistoryStore::pagesWithVisitsBetween(const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts,
                     "SELECT pages.url, pages.title, MAX(visits.time) AS newest, COUNT(*) FROM visits "
                     "JOIN pages ON pages.id = visits.page_id WHERE visits.time >= ?1 AND visits.time < ?2 "
                     "GROUP BY visits.page_id ORDER BY newest DESC, pages.id DESC");
    return rowsBetween(q, from, to, pageFrom);
}

QStringList HistoryStore::sitesWithVisitsBetween(const QDateTime &from, const QDateTime &to) const
{
    QStringList out;
    BoundStatement q(m_db, *m_stmts,
                     "SELECT DISTINCT pages.site FROM visits JOIN pages ON pages.id = visits.page_id "
                     "WHERE visits.time >= ?1 AND visits.time < ?2");
    if (!q)
        return out;
    q.bind(1, toMs(from)).bind(2, toMs(to));
    while (q.step() == SQLITE_ROW)
        out << columnText(q.get(), 0);
    return out;
}

QList<HistoryPage> HistoryStore::pagesOfSiteBetween(const QString &site, const QDateTime &from,
                                                    const QDateTime &to) const
{
    BoundStatement q(
        m_db, *m_stmts,
        "SELECT pages.url, pages.title, MAX(visits.time) AS newest, COUNT(*) FROM pages INDEXED BY pages_site "
        "CROSS JOIN visits ON visits.page_id = pages.id WHERE pages.site = ?3 AND visits.time >= ?1 "
        "AND visits.time < ?2 GROUP BY pages.id ORDER BY newest DESC, pages.id DESC");
    if (q)
        q.bind(3, site);
    return rowsBetween(q, from, to, pageFrom);
}

bool HistoryStore::hasVisitsOfSiteBetween(const QString &site, const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts,
                     "SELECT 1 FROM pages INDEXED BY pages_site CROSS JOIN visits ON visits.page_id = pages.id "
                     "WHERE pages.site = ?3 "
                     "AND visits.time >= ?1 AND visits.time < ?2 LIMIT 1");
    return q && q.bind(1, toMs(from)).bind(2, toMs(to)).bind(3, site).step() == SQLITE_ROW;
}

bool HistoryStore::hasVisitsBetween(const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts, "SELECT 1 FROM visits WHERE time >= ?1 AND time < ?2 LIMIT 1");
    return q && q.bind(1, toMs(from)).bind(2, toMs(to)).step() == SQLITE_ROW;
}

bool HistoryStore::hasVisitOfUrlBetween(const QString &url, const QDateTime &from, const QDateTime &to) const
{
    BoundStatement q(m_db, *m_stmts,
                     "SELECT 1 FROM visits JOIN pages ON pages.id = visits.page_id "
                     "WHERE pages.url = ?3 AND visits.time >= ?1 AND visits.time < ?2 LIMIT 1");
    return q && q.bind(1, toMs(from)).bind(2, toMs(to)).bind(3, url).step() == SQLITE_ROW;
}

QDateTime HistoryStore::oldestVisit() const
{
    BoundStatement q(m_db, *m_stmts, "SELECT MIN(time) FROM visits");
    if (!q || q.step() != SQLITE_ROW || sqlite3_column_type(q.get(), 0) == SQLITE_NULL)
        return {};
    return fromMs(sqlite3_column_int64(q.get(), 0));
}

bool HistoryStore::deleteUrl(const QString &url)
{
    BoundStatement q(m_db, *m_stmts, "DELETE FROM pages WHERE url = ?1");
    if (!q)
        return fail("delete");
    return q.bind(1, url).step() == SQLITE_DONE || fail("delete");
}

bool HistoryStore::deleteVisitsBetween(const QDateTime &from, const QDateTime &to)
{
    return transaction("delete", [&] {
        BoundStatement visits(m_db, *m_stmts, "DELETE FROM visits WHERE time >= ?1 AND time < ?2");
        BoundStatement orphans(m_db, *m_stmts,
                               "DELETE FROM pages WHERE last_visit >= ?1 AND NOT EXISTS "
                               "(SELECT 1 FROM visits WHERE visits.page_id = pages.id)");
        // only pages with a visit in the range can change, and their newest visit was at or after from
        BoundStatement recount(m_db, *m_stmts,
                               "UPDATE pages SET "
                               "visit_count = (SELECT COUNT(*) FROM visits WHERE visits.page_id = pages.id), "
                               "last_visit = (SELECT MAX(time) FROM visits WHERE visits.page_id = pages.id) "
                               "WHERE last_visit >= ?1");
        return visits.bind(1, toMs(from)).bind(2, toMs(to)).step() == SQLITE_DONE &&
               orphans.bind(1, toMs(from)).step() == SQLITE_DONE && recount.bind(1, toMs(from)).step() == SQLITE_DONE;
    });
}

bool HistoryStore::deleteVisitsOfUrlsBetween(const QStringList &urls, const QDateTime &from, const QDateTime &to)
{
    return transaction("delete", [&] {
        BoundStatement pageId(m_db, *m_stmts, "SELECT id FROM pages WHERE url = ?1");
        for (const QString &url : urls) {
            const int found = pageId.bind(1, url).step();
            if (found == SQLITE_DONE) {
                sqlite3_reset(pageId.get());
                continue; // already gone
            }
            if (found != SQLITE_ROW)
                return false;
            const qint64 id = sqlite3_column_int64(pageId.get(), 0);
            sqlite3_reset(pageId.get());
            BoundStatement visits(m_db, *m_stmts, "DELETE FROM visits WHERE page_id = ?3 AND time >= ?1 AND time < ?2");
            BoundStatement orphan(m_db, *m_stmts,
                                  "DELETE FROM pages WHERE id = ?1 AND NOT EXISTS "
                                  "(SELECT 1 FROM visits WHERE visits.page_id = pages.id)");
            BoundStatement recount(
                m_db, *m_stmts,
                "UPDATE pages SET "
                "visit_count = (SELECT COUNT(*) FROM visits WHERE visits.page_id = pages.id), "
                "last_visit = (SELECT MAX(time) FROM visits WHERE visits.page_id = pages.id), "
                "title = COALESCE((SELECT visits.title FROM visits WHERE visits.page_id = pages.id AND "
                "visits.title <> '' ORDER BY visits.time DESC LIMIT 1), title) WHERE id = ?1");
            if (visits.bind(1, toMs(from)).bind(2, toMs(to)).bind(3, id).step() != SQLITE_DONE ||
                orphan.bind(1, id).step() != SQLITE_DONE || recount.bind(1, id).step() != SQLITE_DONE)
                return false;
        }
        return true;
    });
}

bool HistoryStore::clear()
{
    // visits still waiting belong to the history cleared, also when the file cannot be cleared now
    m_pending.clear();
    if (!transaction("clear", [this] { return exec("DELETE FROM visits; DELETE FROM pages;"); }))
        return false;
    tellListeners(clearListeners);
    return true;
}

int HistoryStore::addClearListener(std::function<void()> listener)
{
    return addListener(clearListeners(), std::move(listener));
}

void HistoryStore::removeClearListener(int id)
{
    clearListeners().erase(id);
}

int HistoryStore::addChangeListener(std::function<void()> listener)
{
    return addListener(changeListeners(), std::move(listener));
}

void HistoryStore::removeChangeListener(int id)
{
    changeListeners().erase(id);
}

bool HistoryStore::transaction(const char *what, const std::function<bool()> &work)
{
    if (!m_db || !exec("BEGIN IMMEDIATE"))
        return false;
    if (!work()) {
        fail(what);
        exec("ROLLBACK");
        return false;
    }
    if (exec("COMMIT"))
        return true;
    exec("ROLLBACK");
    return false;
}

int HistoryStore::pageCount() const
{
    BoundStatement q(m_db, *m_stmts, "SELECT COUNT(*) FROM pages");
    return q && q.step() == SQLITE_ROW ? sqlite3_column_int(q.get(), 0) : 0;
}

int HistoryStore::visitCount() const
{
    BoundStatement q(m_db, *m_stmts, "SELECT COUNT(*) FROM visits");
    return q && q.step() == SQLITE_ROW ? sqlite3_column_int(q.get(), 0) : 0;
}
