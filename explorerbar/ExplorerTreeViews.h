#pragma once
// The common ground of the explorer bar's favorites, history and bookmark trees: an own update counter
// that mutes side effects, single-expand selection (there are no expand arrows), right-click selection
// that neither expands nor navigates, navigation by click or double click, the URL of the node under
// the mouse as tooltip and status tip, images right-aligned in a cell of ImageWidth x ImageHeight, and
// in-place renaming switched on only for the duration of one edit.
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>

class TExplorerTreeView;

// A node of an explorer-bar tree. Kind 0 is a folder; the other values are per tree.
class TExplorerNode : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 100;
    TExplorerNode()
        : QTreeWidgetItem(NodeType)
    {}
    ~TExplorerNode() override;
    TExplorerNode(const TExplorerNode &) = delete;
    TExplorerNode &operator=(const TExplorerNode &) = delete;

    std::uint8_t Kind = 0;
    QString Url;

    bool IsFolder() const { return Kind == 0; }
    TExplorerTreeView *Tree() const;
    TExplorerNode *Parent() const { return static_cast<TExplorerNode *>(parent()); }
    TExplorerNode *Child(int i) const { return static_cast<TExplorerNode *>(child(i)); }
    QString Text() const { return text(0); }

    int ImageIndex = -1;
    int SelectedIndex = -1;
};

class TExplorerTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TExplorerTreeView(QWidget *parent = nullptr);
    ~TExplorerTreeView() override;

    // Nesting update counter: while Updating, node destruction, insertion and text changes have no
    // side effects, and selection, expansion and collapse requests are refused.
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool Updating() const { return m_updateCount > 0; }
    bool RightClickSelecting() const { return m_rightClickSelecting; }

    TExplorerNode *GetSelected() const;
    TExplorerNode *NodeAt(const QPoint &viewportPos) const;
    // Nodes in tree order (parents before children, siblings in order).
    QList<TExplorerNode *> AllNodes() const;
    int NodeCount() const;

    // Opens the selected node's URL through OnNavigateUrl, unless it is a folder.
    void NavigateSelected();

    // Single click navigates when true (and a click on a folder expands it); double click when false.
    bool AutoExpand() const { return m_autoExpand; }
    void SetAutoExpand(bool value);

    bool ShowUrlHint() const { return m_showUrlHint; }
    void SetShowUrlHint(bool value) { m_showUrlHint = value; }
    // The hint shown where there is no node; also the control's tooltip until the mouse moves.
    QString Hint() const { return m_hint; }
    void SetHint(const QString &value);
    // The tree's own switch for renaming; when true no label can be edited.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value) { m_readOnly = value; }

    int ImageHeight() const { return m_imageHeight; }
    int ImageWidth() const { return m_imageWidth; }
    void SetImageHeight(int value);
    void SetImageWidth(int value);
    // Rebuilds the images from SourceIcons() and gives every node its icon again.
    void BuildImages();
    int ImageCount() const { return int(m_images.size()); }
    QPixmap Image(int index) const;
    // Sets a node's image indexes (for the node's normal and selected states).
    void SetNodeImages(TExplorerNode *node, int normal, int selected);

    // The dynamic decisions; a tree may narrow them further.
    virtual bool CanChange(TExplorerNode *node);
    virtual bool CanExpand(TExplorerNode *node);
    virtual bool CanCollapse(TExplorerNode *node);
    // Expands or collapses through the decisions above; false when refused.
    bool RequestExpand(TExplorerNode *node);
    bool RequestCollapse(TExplorerNode *node);
    // Collapses the node and every folder below it.
    void CollapseSubtree(TExplorerNode *node);

    // Orders a parent's children (the top level for null), stably; with recursive, every level below
    // as well. Expansion, selection and the current node are kept. Runs inside an update.
    using NodeLess = std::function<bool(const TExplorerNode *, const TExplorerNode *)>;
    void SortChildren(TExplorerNode *parent, const NodeLess &less, bool recursive);
    // Children of a parent (the top level for null).
    QList<TExplorerNode *> ChildrenOf(TExplorerNode *parent) const;

signals:
    void OnNavigateUrl(TExplorerTreeView *sender, const QString &url);

protected:
    // Source icons of the images, all of SourceIconSize(); index i becomes image i.
    virtual QList<QPixmap> SourceIcons() const = 0;
    virtual QSize SourceIconSize() const = 0;
    // The favorites tree rebuilds even when the size is unchanged.
    virtual bool RebuildOnSameImageSize() const { return false; }

    // In-place rename: switches label editing on for this one edit when ReadOnly is false.
    bool BeginRename(TExplorerNode *node);
    // Called once the label editor has closed (also when cancelled), with editing switched off.
    virtual void LabelEditEnded(TExplorerNode *node, bool accepted);
    TExplorerNode *EditingNode() const { return m_editingNode; }

    // Clears any of the tree's own pointers that point into the node's subtree.
    virtual void ForgetSubtree(TExplorerNode *node);
    // Removes every node; clear() detaches the nodes before deleting them, so none reports itself.
    void ClearNodes();
    // A tree-wide fill: the busy cursor, one update, and no painting until the scope ends.
    class FillScope {
    public:
        explicit FillScope(TExplorerTreeView *tree);
        ~FillScope();
        FillScope(const FillScope &) = delete;
        FillScope &operator=(const FillScope &) = delete;

    private:
        TExplorerTreeView *m_tree;
    };
    static bool IsInSubtree(const TExplorerNode *candidate, const TExplorerNode *root);

    void mousePressEvent(QMouseEvent *event) override;
    // No level shows expand buttons or lines: the indent before a node is blank.
    QMouseEvent ontoRow(const QMouseEvent &event) const;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget *editor) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

    // The hint for a viewport position, as the mouse-move handling sets it.
    QString HintAt(const QPoint &viewportPos) const;

private:
    void applyNodeIcon(TExplorerNode *node);
    void toggleFolder(TExplorerNode *node);
    void showHint(const QString &text);

    int m_updateCount = 0;
    bool m_rightClickSelecting = false;
    bool m_autoExpand = true;
    bool m_showUrlHint = true;
    bool m_readOnly = false;
    QString m_hint;
    int m_imageHeight = 19;
    int m_imageWidth = 20;
    QList<QIcon> m_images;
    QHash<QPair<int, int>, QIcon> m_nodeIcons; // (normal, selected) -> icon shared by nodes
    TExplorerNode *m_editingNode = nullptr;
    bool m_editCommitted = false;
    bool m_pressWasDouble = false;
    TExplorerNode *m_pressedNode = nullptr;
    bool m_pressedWasSelected = false;
    QString m_shownHint;

    friend class TExplorerNode;
};
