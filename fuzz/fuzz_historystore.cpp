// links: brivo_platform Qt6::Core
// The history store's queries over addresses and titles a page chose: any visits are recorded and
// queried without a crash; what is kept is bounded; every kept page is found by its own address, its
// site and its period; completion offers only kept addresses, none too long; deleting a page removes
// it and nothing else.
#include "platform/HistoryStore.h"

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir &folder()
{
    static int argc = 1;
    static char name[] = "fuzz_historystore";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    return dir;
}

void require(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

// The input is lines: "address<TAB>title" records a visit; a line beginning with "?" asks for the
// completions of the rest; "-" deletes the rest's page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 256 * 1024)
        return 0;
    const QString path = folder().path() + QStringLiteral("/History.sqlite");
    QFile::remove(path);
    HistoryStore store(path);
    require(store.isOpen());
    const QDateTime base = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
    const QDateTime from = base.addDays(-1), to = base.addDays(400);
    QSet<QString> recorded;
    int step = 0;
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\n');
    for (const QString &line : lines) {
        ++step;
        if (line.startsWith(u'?')) {
            for (const QString &url : store.completions(line.mid(1), 20)) {
                require(url.size() <= HistoryStore::MaxCompletionLength);
                require(recorded.contains(url));
            }
            continue;
        }
        if (line.startsWith(u'-')) {
            const QString url = line.mid(1);
            const int pages = store.pageCount();
            const bool known = !store.page(url).url.isEmpty();
            require(store.deleteUrl(url));
            require(store.page(url).url.isEmpty());
            require(store.pageCount() == pages - (known ? 1 : 0));
            recorded.remove(url);
            continue;
        }
        const qsizetype tab = line.indexOf(u'\t');
        const QString url = tab < 0 ? line : line.left(tab);
        const QString title = tab < 0 ? QString() : line.mid(tab + 1);
        const QDateTime when = base.addSecs(qint64(step) * 3607);
        const bool kept = store.recordVisit(url, title, when);
        require(!kept || (HistoryStore::isRecordable(url) && url.size() <= HistoryStore::MaxUrlLength));
        if (!kept)
            continue;
        recorded.insert(url);
        const HistoryPage page = store.page(url);
        require(page.url == url);
        require(page.title.size() <= HistoryStore::MaxTitleLength);
        require(store.hasVisitOfUrlBetween(url, when, when.addSecs(1)));
        const QString site = HistoryStore::siteOf(url);
        require(store.hasVisitsOfSiteBetween(site, from, to));
        bool listed = false;
        for (const HistoryPage &p : store.pagesOfSiteBetween(site, from, to))
            listed = listed || p.url == url;
        require(listed);
    }
    require(store.pendingVisits() == 0);
    (void)store.pagesWithVisitsBetween(from, to);
    (void)store.sitesWithVisitsBetween(from, to);
    (void)store.visitsBetween(from, to);
    require(store.deleteVisitsBetween(from, base.addDays(30)));
    require(store.clear());
    require(store.pageCount() == 0);
    return 0;
}
