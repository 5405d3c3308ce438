#pragma once
// The favorites tree: the favorites folder shown as folders, shortcuts and files, folders first and
// each folder listed when it is first opened. It opens shortcuts through OnNavigateUrl, renames and
// moves entries on disk, moves them to the Trash, makes folders, imports and exports favorites
// through bookmark files, and follows changes made by other programs through its folder watcher
// (AutoRefresh). Its own fills and file operations run inside BeginUpdate/EndUpdate, which stop the
// watcher, so they never make the tree refill itself.
#include "explorerbar/ExplorerTreeViews.h"

class TFavoriteTreeView;
class TFileChangeNotifier;

// Sort order of the favorites tree: a missing node -1; the same kind by CompareText of the file
// names; otherwise a folder before anything else, and two non-folders by CompareText of the names.
int FavoriteCompare(const TExplorerNode *a, const TExplorerNode *b);

class TFavoriteNode : public TExplorerNode {
public:
    enum : std::uint8_t {
        Folder = 0,
        Shortcut = 1, // a ".url" file with a URL, or a link that resolves: Url is the URL or target
        File = 2,     // anything else: Url is the file's own path
    };
    // The entry's name in its folder.
    QString FileName;
    // The displayed name once committed: a shortcut's file name without ".url" or ".desktop".
    QString Caption;
    // False for the Links folder.
    bool CanRename = true;
    bool CanDelete = true;
    // A folder whose entries have been listed.
    bool Filled = false;

    TFavoriteTreeView *FavoriteTree() const;
    TFavoriteNode *Parent() const { return static_cast<TFavoriteNode *>(parent()); }
    // The entry's full path; its parent folder's path.
    QString GetPath() const;
    QString GetParentPath() const;
    // The file (or for a folder, the folder) is still there.
    bool Exists() const;
    // A folder that has child nodes, or whose folder holds any entry the tree would list.
    bool HasSubEntries() const;

    // Starts editing the label in place (not for the Links folder, nor while the tree is ReadOnly);
    // the edited text is applied by Rename.
    bool BeginRename();
    // Renames the entry on disk to NewName (empty: the node's current text). A shortcut keeps its
    // ".url" or ".desktop" ending when the new name has another one. A name that is refused ("/",
    // NUL, ".", "..", a leading "." that would hide it, empty, or taken) is reported to the user and
    // the label returns to Caption; nothing is ever overwritten. While the tree is updating only the
    // label and Caption change.
    bool Rename(const QString &NewName);

private:
    bool m_renaming = false;
    friend class TFavoriteTreeView;
};

class TFavoriteTreeView : public TExplorerTreeView {
    Q_OBJECT
public:
    // Reads the favorites folder and the Links folder's name from the platform store (the folder is
    // made when missing) and builds the images; the tree fills itself in Loaded().
    explicit TFavoriteTreeView(QWidget *parent = nullptr);
    ~TFavoriteTreeView() override;

    // Lists the favorites folder (call once the owner has set the tree up).
    void Loaded();

    QString FavoritesFolder() const { return m_favoritesFolder; }
    QString LinksFolder() const { return m_linksFolder; }
    // Import and export are offered (the platform browser's version is 5.0 or later).
    bool ImportExportAvailable() const { return m_importExportAvailable; }

    // Runs the folder watcher: changes made by other programs refill the tree. Never with an empty
    // favorites path.
    bool AutoRefresh() const { return m_autoRefresh; }
    void SetAutoRefresh(bool value);
    TFileChangeNotifier *Notifier() const { return m_notifier; }

    // Each outermost update stops the watcher on entry and starts it again on exit (AutoRefresh).
    void BeginUpdate() override;
    void EndUpdate() override;

    TFavoriteNode *GetSelected() const { return static_cast<TFavoriteNode *>(TExplorerTreeView::GetSelected()); }
    TFavoriteNode *NodeAt(const QPoint &viewportPos) const
    {
        return static_cast<TFavoriteNode *>(TExplorerTreeView::NodeAt(viewportPos));
    }
    // The node of an entry by its path, among the nodes listed so far; null when none.
    TFavoriteNode *FindNode(const QString &path) const;
    // The node of an entry below the favorites folder, its folders listed on the way; null when the
    // entry is not there.
    TFavoriteNode *ListPath(const QString &path);

    // Lists one folder again (null: the favorites folder, which empties the whole tree first).
    void FillNode(TFavoriteNode *node);
    // Lists everything again unless an update is running: the watcher's OnChange and the refresh
    // command. While a label is being edited the refill waits for the end of the edit.
    void RefreshIfIdle();

    // Moves the node's file or folder to the Trash after the user's confirmation, then removes the
    // node with its subtree. False, with the node left in place, for the Links folder or when the
    // user declines or the move fails (the user is told). A node whose entry has already gone simply
    // leaves the tree.
    bool DeleteNode(TFavoriteNode *node);
    // Makes a new folder ("New Folder", "New Folder (2)"...) in the folder node, in the folder of a
    // non-folder node, or in the favorites folder for null; selects and returns its node. Null when
    // the folder cannot be made (the user is told).
    TFavoriteNode *AddFolder(TFavoriteNode *where);
    // Moves the node's entry into the folder node (null: the favorites folder). Refuses the Links
    // folder, a folder into itself or below itself, and a name already taken there (the user is
    // told why); never overwrites. True when moved (or already there).
    bool MoveNode(TFavoriteNode *node, TFavoriteNode *folder);

    // Favorites import and export through bookmark files; a failure is reported to the user. Import
    // refreshes the tree afterwards.
    void ImportFavorites();
    void ExportFavorites();
    // The organise dialog over the favorites folder, then a refresh.
    void OrganizeFavorites();

    int FolderImage() const { return 0; }
    int OpenFolderImage() const { return 1; }
    int UrlImage() const { return 2; }

    using TExplorerTreeView::BeginRename;

protected:
    QList<QPixmap> SourceIcons() const override;
    QSize SourceIconSize() const override { return QSize(16, 16); }
    bool RebuildOnSameImageSize() const override { return true; }
    bool CanExpand(TExplorerNode *node) override;
    void LabelEditEnded(TExplorerNode *node, bool accepted) override;

private:
    TFavoriteNode *newNode(const QString &folder, const QString &name) const;
    void initNode(TFavoriteNode *node, const QString &folder) const;
    void listInto(TFavoriteNode *node, const QString &path);
    void sortAround(TFavoriteNode *node);
    void sortAll();
    // Gives nodes below the node whose own path is their URL (plain files) their current path.
    void updateFileUrls(TFavoriteNode *node);
    bool isLinksFolder(const QString &path) const;
    bool watchable() const;
    void report(const QString &caption, const QString &text);

    QString m_favoritesFolder;
    QString m_linksFolder;
    bool m_importExportAvailable = false;
    bool m_autoRefresh = false;
    bool m_destroying = false;
    bool m_refreshAfterEdit = false;
    TFileChangeNotifier *m_notifier = nullptr;

    friend class TFavoriteNode;
};
