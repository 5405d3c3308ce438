#include "explorerbar/HistoryTreeViews.h"

#include "platform/HistoryStore.h"
#include "platform/TextRules.h"
#include "settings/CommonUtils.h"
#include "settings/MemInis.h"

#include <QApplication>
#include <QPersistentModelIndex>
#include <QScopeGuard>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int MaxCaption = 50;
// Ten years of weeks are told apart; anything older joins the oldest period.
constexpr int MaxWeeks = 522;

// Far enough from any visit on both sides, and still a valid date.
QDateTime beginningOfTime()
{
    return QDateTime::fromMSecsSinceEpoch(-(qint64(1) << 50), Qt::UTC);
}

QDateTime endOfTime()
{
    return QDateTime::fromMSecsSinceEpoch(qint64(1) << 50, Qt::UTC);
}

// The first instant of a local date, in UTC: midnight, or the first valid time after it where a
// change of the clocks skips midnight.
QDateTime startOf(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toUTC();
}

// What names a node among its siblings across refills: a period its caption, a site its site, a page
// its URL.
QString keyOf(const THistoryNode *node)
{
    switch (node->NodeLevel) {
    case THistoryNode::Level::Period:
        return node->Caption;
    case THistoryNode::Level::Site:
        return node->Site;
    case THistoryNode::Level::Page:
        return node->Url;
    }
    return {};
}

bool historyLess(QTreeWidgetItem *a, QTreeWidgetItem *b)
{
    return HistoryCompare(static_cast<TExplorerNode *>(a), static_cast<TExplorerNode *>(b)) < 0;
}

} // namespace

QList<HistoryPeriod> HistoryPeriods(const QDateTime &now, const QDateTime &oldest, const HistoryTexts &texts)
{
    const QDate today = now.toLocalTime().date();
    const QDate weekStart = today.addDays(1 - today.dayOfWeek());
    QList<HistoryPeriod> periods;
    // weeks before this one, oldest first
    const QDate oldestDay = oldest.isValid() ? oldest.toLocalTime().date() : today;
    int weeks = oldestDay < weekStart ? int((oldestDay.daysTo(weekStart) + 6) / 7) : 0;
    weeks = std::min(weeks, MaxWeeks);
    for (int k = weeks; k >= 1; --k) {
        HistoryPeriod p;
        p.caption = k == 1 ? texts.lastWeek : QString(texts.weeksAgo).replace(QLatin1String("%d"), QString::number(k));
        p.from = k == weeks ? beginningOfTime() : startOf(weekStart.addDays(-7 * k));
        p.to = startOf(weekStart.addDays(-7 * (k - 1)));
        periods.append(p);
    }
    for (QDate day = weekStart; day < today; day = day.addDays(1)) {
        HistoryPeriod p;
        p.caption = texts.days.value(day.dayOfWeek() - 1);
        p.from = periods.isEmpty() ? beginningOfTime() : startOf(day);
        p.to = startOf(day.addDays(1));
        periods.append(p);
    }
    periods.append({texts.today, periods.isEmpty() ? beginningOfTime() : startOf(today), endOfTime()});
    return periods;
}

QString HistoryDisplayName(const QString &name)
{
    QString text = name;
    if (text.size() > 1 && text.at(0) == u'?' && text.at(1) >= u'0' && text.at(1) <= u'9')
        text.remove(u'?');
    return text.left(MaxCaption);
}

int HistoryCompare(const TExplorerNode *a, const TExplorerNode *b)
{
    if (a->Kind != b->Kind)
        return a->Kind == THistoryNode::Folder ? -1 : 1;
    return textrules::compareText(static_cast<const THistoryNode *>(a)->Caption,
                                  static_cast<const THistoryNode *>(b)->Caption);
}

// ---- THistoryNode ----

THistoryTreeView *THistoryNode::HistoryTree() const
{
    return qobject_cast<THistoryTreeView *>(treeWidget());
}

bool THistoryNode::ItemExists() const
{
    THistoryTreeView *tree = HistoryTree();
    if (!tree)
        return false;
    if (tree->Updating())
        return true;
    const HistoryStore &store = tree->Store();
    switch (NodeLevel) {
    case Level::Period:
        return store.hasVisitsBetween(From, To);
    case Level::Site:
        return store.hasVisitsOfSiteBetween(Site, From, To);
    case Level::Page:
        return store.hasVisitOfUrlBetween(Url, From, To);
    }
    return false;
}

bool THistoryNode::AddToFavorites()
{
    if (IsFolder())
        return false;
    AddFavorite(Caption, Url, treeWidget());
    return true;
}

// ---- THistoryTreeView ----

THistoryTreeView::THistoryTreeView(QWidget *parent, HistoryStore *store)
    : TExplorerTreeView(parent)
    , m_store(store)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    BuildImages();
    // a label set from anywhere but the tree's own fill shows its caption again
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) { keepCaption(item); });
    m_clearListener = HistoryStore::addClearListener([this] { RefreshIfIdle(); });
    // a tree that shows follows new periods at once; a hidden one looks when it is shown
    m_changeListener = HistoryStore::addChangeListener([this] {
        if (isVisible())
            RefreshIfPeriodsChanged();
    });
    // a folder opened by its arrow or the keyboard is listed afresh as one opened by a click
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (Updating() || item->type() != TExplorerNode::NodeType)
            return;
        auto *node = static_cast<THistoryNode *>(item);
        if (node->IsFolder())
            FillNode(node);
    });
}

THistoryTreeView::~THistoryTreeView()
{
    HistoryStore::removeClearListener(m_clearListener);
    HistoryStore::removeChangeListener(m_changeListener);
    BeginUpdate(); // the nodes go without touching the store
    clear();
}

HistoryStore &THistoryTreeView::Store() const
{
    return m_store ? *m_store : HistoryStore::shared();
}

void THistoryTreeView::SetClock(Clock clock)
{
    m_clock = std::move(clock);
}

QDateTime THistoryTreeView::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void THistoryTreeView::ApplyLanguage(const TMemIni &table)
{
    const QString section = QStringLiteral("History");
    auto read = [&](const char *key, QString &text) { text = table.ReadString(section, QLatin1String(key), text); };
    read("Today", m_texts.today);
    read("LastWeek", m_texts.lastWeek);
    read("WeeksAgo", m_texts.weeksAgo);
    read("LocalFiles", m_texts.localFiles);
    static const char *const days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    for (int i = 0; i < 7; ++i)
        read(days[i], m_texts.days[i]);
    RefreshIfIdle();
}

QList<QPixmap> THistoryTreeView::SourceIcons() const
{
    const QSize size = SourceIconSize();
    QStyle *style = QApplication::style();
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon period = QIcon::fromTheme(QStringLiteral("x-office-calendar"), closed);
    return {period.pixmap(size), closed.pixmap(size), open.pixmap(size), GetHtmlIcon().pixmap(size)};
}

THistoryNode *THistoryTreeView::newNode(THistoryNode::Level level, const QString &caption, const QDateTime &from,
                                        const QDateTime &to) const
{
    auto *node = new THistoryNode;
    node->NodeLevel = level;
    node->Kind = level == THistoryNode::Level::Page ? THistoryNode::Page : THistoryNode::Folder;
    node->From = from;
    node->To = to;
    node->Caption = HistoryDisplayName(caption);
    node->setText(0, node->Caption);
    if (level == THistoryNode::Level::Period) {
        node->ImageIndex = node->SelectedIndex = TopFolderImage();
    } else if (level == THistoryNode::Level::Site) {
        node->ImageIndex = FolderImage();
        node->SelectedIndex = OpenFolderImage();
    } else {
        node->ImageIndex = node->SelectedIndex = UrlImage();
    }
    node->setChildIndicatorPolicy(node->IsFolder() ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return node;
}

QList<QTreeWidgetItem *> THistoryTreeView::sitesOf(const THistoryNode *period) const
{
    QList<QTreeWidgetItem *> out;
    for (const QString &site : Store().sitesWithVisitsBetween(period->From, period->To)) {
        THistoryNode *node =
            newNode(THistoryNode::Level::Site, site.isEmpty() ? m_texts.localFiles : site, period->From, period->To);
        node->Site = site;
        out.append(node);
    }
    return out;
}

QList<QTreeWidgetItem *> THistoryTreeView::pagesOf(const THistoryNode *site) const
{
    QList<QTreeWidgetItem *> out;
    for (const HistoryPage &page : Store().pagesOfSiteBetween(site->Site, site->From, site->To)) {
        const QString title = textrules::trim(page.title);
        THistoryNode *node =
            newNode(THistoryNode::Level::Page, title.isEmpty() ? page.url : title, site->From, site->To);
        node->Site = site->Site;
        node->Url = page.url;
        out.append(node);
    }
    return out;
}

QStringList THistoryTreeView::siteUrls(const THistoryNode *site) const
{
    QStringList urls;
    for (const HistoryPage &page : Store().pagesOfSiteBetween(site->Site, site->From, site->To))
        urls << page.url;
    return urls;
}

QList<HistoryPeriod> THistoryTreeView::periodsWithVisits() const
{
    QList<HistoryPeriod> out;
    const HistoryStore &store = Store();
    if (!store.isOpen())
        return out;
    for (const HistoryPeriod &p : HistoryPeriods(Now(), store.oldestVisit(), m_texts))
        if (store.hasVisitsBetween(p.from, p.to))
            out.append(p);
    return out;
}

void THistoryTreeView::FillNode(THistoryNode *node)
{
    if (node && (node->treeWidget() != this || !node->IsFolder()))
        return;
    const FillScope fill(this);
    if (!node) {
        ClearNodes();
        QList<QTreeWidgetItem *> periods;
        for (const HistoryPeriod &p : periodsWithVisits())
            periods.append(newNode(THistoryNode::Level::Period, p.caption, p.from, p.to));
        addTopLevelItems(periods);
        for (QTreeWidgetItem *item : std::as_const(periods))
            SetNodeImages(static_cast<THistoryNode *>(item), TopFolderImage(), TopFolderImage());
        return;
    }
    const QList<QTreeWidgetItem *> old = node->takeChildren();
    for (QTreeWidgetItem *child : old) {
        ForgetSubtree(static_cast<TExplorerNode *>(child));
        delete child;
    }
    QList<QTreeWidgetItem *> children = node->NodeLevel == THistoryNode::Level::Period ? sitesOf(node) : pagesOf(node);
    std::stable_sort(children.begin(), children.end(), historyLess);
    node->addChildren(children);
    for (QTreeWidgetItem *child : std::as_const(children)) {
        auto *n = static_cast<THistoryNode *>(child);
        SetNodeImages(n, n->ImageIndex, n->SelectedIndex);
    }
}

void THistoryTreeView::Loaded()
{
    FillNode(nullptr);
}

void THistoryTreeView::RefreshIfIdle()
{
    if (!Updating())
        FillNode(nullptr);
}

void THistoryTreeView::RefreshIfPeriodsChanged()
{
    if (Updating())
        return;
    const QList<HistoryPeriod> periods = periodsWithVisits();
    const QList<TExplorerNode *> listed = ChildrenOf(nullptr);
    bool same = periods.size() == listed.size();
    for (qsizetype i = 0; same && i < periods.size(); ++i) {
        const auto *node = static_cast<const THistoryNode *>(listed.at(i));
        same = node->Caption == HistoryDisplayName(periods.at(i).caption) && node->From == periods.at(i).from &&
               node->To == periods.at(i).to;
    }
    if (same)
        return;
    // what the user opened and selected, to open and select again where it is still listed; a folder
    // counts as open only where the user sees it open (every folder above it open too)
    QList<QStringList> opened;
    for (TExplorerNode *node : AllNodes()) {
        bool shown = node->isExpanded();
        for (const TExplorerNode *p = node->Parent(); shown && p; p = p->Parent())
            shown = p->isExpanded();
        if (shown)
            opened.append(pathOf(static_cast<THistoryNode *>(node))); // parents before their children
    }
    const THistoryNode *selected = GetSelected();
    const QStringList selectedPath = selected ? pathOf(selected) : QStringList();

    const FillScope fill(this);
    FillNode(nullptr);
    for (const QStringList &path : std::as_const(opened)) {
        THistoryNode *node = nodeAt(path);
        if (!node || !node->IsFolder())
            continue;
        FillNode(node);
        node->setExpanded(true);
    }
    if (THistoryNode *node = selectedPath.isEmpty() ? nullptr : nodeAt(selectedPath))
        setCurrentItem(node, 0, QItemSelectionModel::ClearAndSelect);
}

QStringList THistoryTreeView::pathOf(const THistoryNode *node)
{
    QStringList path;
    for (; node; node = node->Parent())
        path.prepend(keyOf(node));
    return path;
}

THistoryNode *THistoryTreeView::nodeAt(const QStringList &path) const
{
    THistoryNode *found = nullptr;
    for (const QString &key : path) {
        THistoryNode *next = nullptr;
        for (TExplorerNode *child : ChildrenOf(found)) {
            auto *node = static_cast<THistoryNode *>(child);
            if (keyOf(node) == key) {
                next = node;
                break;
            }
        }
        if (!next)
            return nullptr;
        found = next;
    }
    return found;
}

void THistoryTreeView::showEvent(QShowEvent *event)
{
    TExplorerTreeView::showEvent(event);
    RefreshIfPeriodsChanged();
}

void THistoryTreeView::SetHideSelection(bool value)
{
    m_hideSelection = value;
    showSelection();
}

void THistoryTreeView::focusInEvent(QFocusEvent *event)
{
    TExplorerTreeView::focusInEvent(event);
    showSelection();
}

void THistoryTreeView::focusOutEvent(QFocusEvent *event)
{
    TExplorerTreeView::focusOutEvent(event);
    showSelection();
}

void THistoryTreeView::showSelection()
{
    const bool hide = m_hideSelection && !hasFocus();
    if (hide == m_selectionHidden)
        return;
    m_selectionHidden = hide;
    if (!hide) {
        // the colours of the tree's surroundings again
        setPalette(QPalette());
        return;
    }
    // selected nodes drawn in the colours of the others
    QPalette hidden = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        hidden.setBrush(group, QPalette::Highlight, hidden.brush(group, QPalette::Base));
        hidden.setBrush(group, QPalette::HighlightedText, hidden.brush(group, QPalette::Text));
    }
    setPalette(hidden);
}

bool THistoryTreeView::CanChange(TExplorerNode *node)
{
    if (!TExplorerTreeView::CanChange(node))
        return false;
    auto *history = static_cast<THistoryNode *>(node);
    if (!history || history->ItemExists())
        return true;
    // the selection code is still using the node: it goes on the next turn of the event loop
    const QPersistentModelIndex index(indexFromItem(history));
    QTimer::singleShot(0, this, [this, index] {
        if (index.isValid() && !Updating())
            removeNode(static_cast<THistoryNode *>(itemFromIndex(index)));
    });
    return false;
}

void THistoryTreeView::removeNode(THistoryNode *node)
{
    if (!node)
        return;
    ForgetSubtree(node);
    BeginUpdate();
    delete node;
    EndUpdate();
}

bool THistoryTreeView::DeleteNode(THistoryNode *node)
{
    if (!node || node->treeWidget() != this || Updating())
        return false;
    if (node->ItemExists()) {
        HistoryStore &store = Store();
        bool deleted = false;
        switch (node->NodeLevel) {
        case THistoryNode::Level::Period:
            deleted = store.deleteVisitsBetween(node->From, node->To);
            break;
        case THistoryNode::Level::Site:
            deleted = store.deleteVisitsOfUrlsBetween(siteUrls(node), node->From, node->To);
            break;
        case THistoryNode::Level::Page:
            deleted = store.deleteVisitsOfUrlsBetween({node->Url}, node->From, node->To);
            break;
        }
        if (!deleted)
            return false;
    }
    // folders above left without visits go with it
    THistoryNode *parent = node->Parent();
    removeNode(node);
    while (parent && parent->childCount() == 0 && !parent->ItemExists()) {
        THistoryNode *next = parent->Parent();
        removeNode(parent);
        parent = next;
    }
    return true;
}

void THistoryTreeView::keepCaption(QTreeWidgetItem *item)
{
    if (Updating() || item->type() != TExplorerNode::NodeType)
        return;
    auto *node = static_cast<THistoryNode *>(item);
    if (node->text(0) == node->Caption)
        return;
    BeginUpdate();
    node->setText(0, node->Caption);
    EndUpdate();
}
