#pragma once
// The bookmark tree: one bookmark file shown and edited as folders and bookmarks. It loads the file
// when its FileName is set, keeps a modified flag (saving at once with AutoSave), adds bookmarks and
// folders, keeps siblings in order (folders first, then by name), moves nodes dragged with the right
// mouse button (its context menu opens on the button's release) and adds URLs dropped from other
// programs (UrlDropped, called by the URL drop target).
#include "explorerbar/BookmarkFiles.h"
#include "explorerbar/ExplorerTreeViews.h"

#include <QDateTime>
#include <QPixmap>

class TCustomBookmarkTreeView;
class TCustomUrlDropTarget;

// Seconds from 1970-01-01 00:00:00 to the local wall-clock time t, no time-zone conversion.
qint64 DateTimeToUnix(const QDateTime &t);
// Sort order of the bookmark trees: a missing node -1; folders before bookmarks; within a kind the
// texts compared with only a-z folded.
int BookmarkCompare(const TExplorerNode *a, const TExplorerNode *b);
// The glyph strip of the bookmark trees: closed folder, open folder, bookmark, 16 x 16 each, with
// a mask where the strip's background colour $FF00FF stood.
QPixmap BookmarkGlyphStrip();

class TCustomBookmarkNode : public TExplorerNode {
public:
    enum : std::uint8_t { Folder = 0, Bookmark = 1 };
    ~TCustomBookmarkNode() override;

    qint64 AddDate = 0;
    qint64 LastVisit = 0;
    qint64 LastModified = 0;
    // what the file said of the node beyond what the tree shows, written back when it is saved
    bookmarkfile::Extras Extras;

    TCustomBookmarkTreeView *BookmarkTree() const;
    // Each marks the list modified. SetAddDate also stamps LastModified with now.
    void SetUrl(const QString &value);
    void SetAddDate(const QDateTime &t);
    void SetLastVisit(const QDateTime &t);
    void SetLastModified(const QDateTime &t);
    // Changes the kind; the siblings are sorted again when the tree sorts.
    void SetKind(std::uint8_t k);
};

class TCustomBookmarkTreeView : public TExplorerTreeView {
    Q_OBJECT
public:
    explicit TCustomBookmarkTreeView(QWidget *parent = nullptr);
    ~TCustomBookmarkTreeView() override;

    QString FileName() const { return m_fileName; }
    // Loads the file when the name differs from the current one (exact comparison).
    void SetFileName(const QString &value);
    bool AutoSave() const { return m_autoSave; }
    void SetAutoSave(bool value);
    bool Sort() const { return m_sort; }
    void SetSort(bool value);
    bool AutoOleDrop() const { return m_autoOleDrop; }
    // Stores the switch and reports it through OnAutoOleDropChanged, which the URL drop target
    // follows by registering or revoking itself.
    void SetAutoOleDrop(bool value);
    bool AutoDragSelf() const { return m_autoDragSelf; }
    void SetAutoDragSelf(bool value) { m_autoDragSelf = value; }
    QString Caption() const { return m_caption; }
    // Only with a list open; marks it modified.
    void SetCaption(const QString &value);
    bool Modified() const { return m_modified; }
    void SetModified(bool value);
    // The code page that files without a byte-order mark, charset or valid UTF-8 are read in; 0 takes
    // the code page of the current interface language.
    int LegacyCodePage() const { return m_legacyCodePage; }
    void SetLegacyCodePage(int value) { m_legacyCodePage = value; }
    // Why the last load or save failed.
    QString LastError() const { return m_lastError; }

    bool CanAdd() const { return !m_fileName.isEmpty(); }
    bool LoadFromFile(const QString &name);
    // Writes the list to name. When name is the list's own file and another program changed it since
    // it was loaded or last saved, the user chooses first: Yes loads the file again (the list shown
    // is dropped), No replaces it, Cancel writes nothing and fails.
    bool SaveToFile(const QString &name);

    TCustomBookmarkNode *GetSelected() const;
    TCustomBookmarkNode *NodeAt(const QPoint &viewportPos) const;
    // Adds a bookmark (or, with an empty URL, a folder): with no relative node as the first top-level
    // node, in a relative folder as its first child, else right after the relative bookmark; then
    // sorted among its siblings, stamped, selected. None when no list is open.
    TCustomBookmarkNode *AddBookmark(TCustomBookmarkNode *relative, const QString &caption, const QString &url);
    // Moves the node before the target bookmark or to the top of the target folder; a move into the
    // node's own subtree does nothing.
    void MoveNode(TCustomBookmarkNode *target, TCustomBookmarkNode *node);
    // Removes the node with its subtree (marks the list modified).
    void DeleteNode(TCustomBookmarkNode *node);
    // Sorts the whole tree.
    void SortTree();

    // The node highlighted as the target of a URL drag from another program.
    TCustomBookmarkNode *DropTarget() const { return m_dropTarget; }
    void SetDropTarget(TCustomBookmarkNode *node);
    // A URL dropped from another program: added at the drop highlight (beside a bookmark, inside a
    // folder, at the top on empty space). The point is not used.
    void UrlDropped(const QPoint &point, const QString &title, const QString &url);

    // Whether a drag from this source is taken (a drag of this tree's own nodes, with AutoDragSelf).
    bool AcceptsDrag(const QObject *source) const;
    // A drag of the tree's own node dropped at a viewport position: the selected node moves onto the
    // node there and a target folder opens. False when nothing was there or the drag is not taken.
    bool DragDropSelf(const QPoint &viewportPos);

    // The tree as the file would list it.
    bookmarkfile::Document ToDocument() const;

signals:
    void OnModifyChanged(TCustomBookmarkTreeView *sender);
    void OnAutoOleDropChanged(bool registered);

protected:
    virtual TCustomBookmarkNode *CreateNode() const = 0;
    QList<QPixmap> SourceIcons() const override;
    QSize SourceIconSize() const override { return QSize(16, 16); }
    void LabelEditEnded(TExplorerNode *node, bool accepted) override;
    void ForgetSubtree(TExplorerNode *node) override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // A context menu asked for by the right button's press waits for its release, so a right-button
    // drag can start first; the menu opens only when no drag did.
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    void SetImagesByKind(TCustomBookmarkNode *node);
    // After an insertion outside an update: the siblings sorted again (the whole tree for a top-level
    // node), whatever Sort says, and the list marked modified.
    void Inserted(TCustomBookmarkNode *node);
    // The node's siblings sorted again (the whole tree for a top-level node).
    void ResortAround(TCustomBookmarkNode *node);

private:
    enum class SaveOutcome { Written, ChangedElsewhere, Failed };
    void fill(const bookmarkfile::Document &doc);
    int codePage() const;
    // Writes the list to target under its folder's lock, unless (without overwrite) the file there
    // changed since the stamp.
    SaveOutcome writeLocked(const QString &target, bool overwrite);
    bool reloadChanged(const QString &target);

    QString m_fileName;
    QString m_caption;
    int m_separatorsAtEnd = 0; // of the file's top-level list, written back
    QString m_lastError;
    bookmarkfile::FileStamp m_stamp; // the file as it was loaded or last saved
    bool m_autoSave = false;
    bool m_sort = true;
    bool m_autoOleDrop = true;
    bool m_autoDragSelf = true;
    bool m_modified = false;
    bool m_destroying = false;
    int m_legacyCodePage = 0;
    TCustomBookmarkNode *m_dropTarget = nullptr;
    QPoint m_rightPressPos;
    bool m_rightDragArmed = false;
    bool m_rightDown = false;   // the right button is down over the tree and no drag has started
    bool m_menuWaiting = false; // a context menu was asked for while it was down
    bool m_deliveringMenu = false;
    TCustomUrlDropTarget *m_urlDropTarget = nullptr;

    friend class TCustomBookmarkNode;
};

class TBookmarkNode : public TCustomBookmarkNode {
public:
    // A bookmark: offers it to the favorites through the add-favorite dialog and answers true
    // (whatever the user chose there); a folder: nothing, false.
    bool AddToFavorites();
    // Starts editing the node's text in place (when the tree's ReadOnly is false).
    bool BeginRename();
};

class TBookmarkTreeView : public TCustomBookmarkTreeView {
    Q_OBJECT
public:
    explicit TBookmarkTreeView(QWidget *parent = nullptr);

    TBookmarkNode *GetSelected() const { return static_cast<TBookmarkNode *>(TCustomBookmarkTreeView::GetSelected()); }
    // Saves to FileName; false with no list open.
    bool Save();
    // The properties dialog's result: a bookmark's URL and any node's text; marks the list modified.
    void UpdateBookmark(TCustomBookmarkNode *node, const QString &caption, const QString &url);
    using TExplorerTreeView::BeginRename;

protected:
    TCustomBookmarkNode *CreateNode() const override;
};
