#pragma once
// The history tree: the history store shown as periods (oldest first, "Today" last), the sites
// visited in each period and the pages of each site. A click on a page opens it through
// OnNavigateUrl; a folder is listed afresh every time it opens; labels cannot be edited; deleting a
// node deletes exactly the visits it stands for (a page's visits in its period, a site's visits in
// its period, or the whole period). The tree follows a clear of the store; when it is shown, and
// while it shows, it lists the periods again once the store has visits in other periods than those
// listed (a first visit, a new day); otherwise it is refreshed by the refresh command.
#include "explorerbar/ExplorerTreeViews.h"

#include <QDateTime>
#include <functional>

class HistoryStore;
class THistoryTreeView;
class TMemIni;

// The names of the periods and of the folder of local files; from section [History] of a language
// table.
struct HistoryTexts {
    QString today = QStringLiteral("Today");
    QString lastWeek = QStringLiteral("Last Week");
    QString weeksAgo = QStringLiteral("%d Weeks Ago"); // "%d" is the number of weeks
    QString localFiles = QStringLiteral("My Computer");
    // Monday first
    QStringList days{QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
                     QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Saturday"),
                     QStringLiteral("Sunday")};
};

// A period of the history: [from, to) in UTC and its caption.
struct HistoryPeriod {
    QString caption;
    QDateTime from;
    QDateTime to;
};

// The periods from the week of the oldest visit up to now, oldest first, by local dates (a day is
// midnight to midnight whatever its length): "%d Weeks Ago" for each week before last week, "Last
// Week", each earlier day of this week (weeks begin on Monday) by its name, then "Today", which also
// holds any visit dated after now. The oldest period reaches back without end; at most ten years of
// weeks are told apart. Without an oldest visit only "Today".
QList<HistoryPeriod> HistoryPeriods(const QDateTime &now, const QDateTime &oldest, const HistoryTexts &texts);
// A display name as the tree shows it: when its first character is "?" and its second a digit, every
// "?" removed; then at most 50 characters.
QString HistoryDisplayName(const QString &name);
// Sort order of the children of a folder: folders first, then CompareText of the captions.
int HistoryCompare(const TExplorerNode *a, const TExplorerNode *b);

class THistoryNode : public TExplorerNode {
public:
    enum : std::uint8_t { Folder = 0, Page = 1 };
    enum class Level { Period, Site, Page };
    Level NodeLevel = Level::Period;
    // The committed display text; a label change from anywhere else is put back.
    QString Caption;
    // The node's period.
    QDateTime From;
    QDateTime To;
    // Site and page nodes: the site (HistoryStore::siteOf).
    QString Site;

    THistoryTreeView *HistoryTree() const;
    THistoryNode *Parent() const { return static_cast<THistoryNode *>(parent()); }
    // The visits the node stands for are still in the store (always true while the tree updates).
    bool ItemExists() const;
    // A page: offered to the favorites through the add-favorite dialog with its caption and URL, true;
    // a folder: nothing, false.
    bool AddToFavorites();
};

class THistoryTreeView : public TExplorerTreeView {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // Over the given store (null: the program's shared store); follows a clear of any store.
    explicit THistoryTreeView(QWidget *parent = nullptr, HistoryStore *store = nullptr);
    ~THistoryTreeView() override;

    HistoryStore &Store() const;
    // Now, for the periods (tests set a fixed time); null restores the system clock.
    void SetClock(Clock clock);
    QDateTime Now() const;
    const HistoryTexts &Texts() const { return m_texts; }
    // Period names from section [History] (a missing key keeps the current text); refills the tree.
    void ApplyLanguage(const TMemIni &table);

    // Lists the periods (call once the owner has set the tree up).
    void Loaded();
    // Lists a folder again (null: the periods, which empties the whole tree first).
    void FillNode(THistoryNode *node);
    // Lists everything again unless an update is running: the refresh command.
    void RefreshIfIdle();
    // Lists everything again when the periods with visits are not those listed (and no update runs).
    // The folders that were open and the selected node are open and selected again where they are
    // still listed (a period by its caption, a site by its site, a page by its URL).
    void RefreshIfPeriodsChanged();
    // The selection is not shown while the tree lacks the focus.
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value);
    // Deletes the node's visits from the store, then the node, and any folder above it left without
    // visits. False, with the node left in place, while updating or when the store refuses. A node
    // whose visits have already gone simply leaves the tree.
    bool DeleteNode(THistoryNode *node);

    THistoryNode *GetSelected() const { return static_cast<THistoryNode *>(TExplorerTreeView::GetSelected()); }
    THistoryNode *NodeAt(const QPoint &viewportPos) const
    {
        return static_cast<THistoryNode *>(TExplorerTreeView::NodeAt(viewportPos));
    }

    int TopFolderImage() const { return 0; }
    int FolderImage() const { return 1; }
    int OpenFolderImage() const { return 2; }
    int UrlImage() const { return 3; }

    // A node whose visits have gone is removed instead of selected (on the next turn of the event
    // loop) and the selection stays where it was.
    bool CanChange(TExplorerNode *node) override;

protected:
    QList<QPixmap> SourceIcons() const override;
    QSize SourceIconSize() const override { return QSize(16, 16); }
    void showEvent(QShowEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    THistoryNode *newNode(THistoryNode::Level level, const QString &caption, const QDateTime &from,
                          const QDateTime &to) const;
    QList<QTreeWidgetItem *> sitesOf(const THistoryNode *period) const;
    QList<QTreeWidgetItem *> pagesOf(const THistoryNode *site) const;
    // The URLs of the site's pages with visits in the site node's period.
    QStringList siteUrls(const THistoryNode *site) const;
    void removeNode(THistoryNode *node);
    // A node's path of keys from its period down, and the node listed at such a path (null: none).
    static QStringList pathOf(const THistoryNode *node);
    THistoryNode *nodeAt(const QStringList &path) const;
    void keepCaption(QTreeWidgetItem *item);
    // The periods of now that have visits.
    QList<HistoryPeriod> periodsWithVisits() const;
    void showSelection();

    HistoryStore *m_store = nullptr;
    Clock m_clock;
    HistoryTexts m_texts;
    int m_clearListener = 0;
    int m_changeListener = 0;
    bool m_hideSelection = false;
    bool m_selectionHidden = false;
};
