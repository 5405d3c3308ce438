#include "explorerbar/ExplorerTreeViews.h"

#include "platform/TextRules.h"
#include "settings/CommonUtils.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QTreeWidgetItemIterator>
#include <algorithm>

TExplorerNode::~TExplorerNode()
{
    if (TExplorerTreeView *tree = Tree())
        tree->ForgetSubtree(this);
}

TExplorerTreeView *TExplorerNode::Tree() const
{
    return qobject_cast<TExplorerTreeView *>(treeWidget());
}

TExplorerTreeView::TExplorerTreeView(QWidget *parent)
    : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false); // no root lines and no expand buttons
    setItemsExpandable(true);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setUniformRowHeights(true);
    setIconSize(QSize(m_imageWidth, m_imageHeight));
}

TExplorerTreeView::~TExplorerTreeView() = default;

void TExplorerTreeView::BeginUpdate()
{
    ++m_updateCount;
}

void TExplorerTreeView::EndUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
}

TExplorerNode *TExplorerTreeView::GetSelected() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? nullptr : static_cast<TExplorerNode *>(items.first());
}

TExplorerNode *TExplorerTreeView::NodeAt(const QPoint &viewportPos) const
{
    return static_cast<TExplorerNode *>(itemAt(viewportPos));
}

QList<TExplorerNode *> TExplorerTreeView::AllNodes() const
{
    QList<TExplorerNode *> nodes;
    for (QTreeWidgetItemIterator it(const_cast<TExplorerTreeView *>(this)); *it; ++it)
        nodes.append(static_cast<TExplorerNode *>(*it));
    return nodes;
}

int TExplorerTreeView::NodeCount() const
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<TExplorerTreeView *>(this)); *it; ++it)
        ++count;
    return count;
}

QList<TExplorerNode *> TExplorerTreeView::ChildrenOf(TExplorerNode *parent) const
{
    QTreeWidgetItem *p = parent ? parent : invisibleRootItem();
    QList<TExplorerNode *> children;
    children.reserve(p->childCount());
    for (int i = 0; i < p->childCount(); ++i)
        children.append(static_cast<TExplorerNode *>(p->child(i)));
    return children;
}

void TExplorerTreeView::NavigateSelected()
{
    TExplorerNode *node = GetSelected();
    if (node && !node->IsFolder())
        emit OnNavigateUrl(this, node->Url);
}

void TExplorerTreeView::SetAutoExpand(bool value)
{
    m_autoExpand = value;
}

void TExplorerTreeView::SetHint(const QString &value)
{
    m_hint = value;
    showHint(value);
}

void TExplorerTreeView::showHint(const QString &text)
{
    m_shownHint = text;
    setToolTip(textrules::plainToolTip(text));
    setStatusTip(text);
}

QString TExplorerTreeView::HintAt(const QPoint &viewportPos) const
{
    if (const TExplorerNode *node = NodeAt(viewportPos))
        return node->Url;
    return m_hint;
}

void TExplorerTreeView::SetImageHeight(int value)
{
    value = std::max(value, SourceIconSize().height());
    if (value == m_imageHeight && !RebuildOnSameImageSize())
        return;
    m_imageHeight = value;
    BuildImages();
}

void TExplorerTreeView::SetImageWidth(int value)
{
    value = std::max(value, SourceIconSize().width());
    if (value == m_imageWidth && !RebuildOnSameImageSize())
        return;
    m_imageWidth = value;
    BuildImages();
}

void TExplorerTreeView::BuildImages()
{
    const QSize src = SourceIconSize();
    m_images.clear();
    m_nodeIcons.clear();
    for (const QPixmap &icon : SourceIcons()) {
        QPixmap cell(m_imageWidth, m_imageHeight);
        cell.fill(Qt::transparent);
        QPainter painter(&cell);
        // right edge, vertically centred: the free space on the left indents the label
        painter.drawPixmap(m_imageWidth - src.width(), (m_imageHeight - src.height() + 1) / 2, icon);
        painter.end();
        m_images.append(QIcon(cell));
    }
    setIconSize(QSize(m_imageWidth, m_imageHeight));
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        applyNodeIcon(static_cast<TExplorerNode *>(*it));
}

QPixmap TExplorerTreeView::Image(int index) const
{
    if (index < 0 || index >= m_images.size())
        return {};
    return m_images[index].pixmap(QSize(m_imageWidth, m_imageHeight));
}

void TExplorerTreeView::SetNodeImages(TExplorerNode *node, int normal, int selected)
{
    node->ImageIndex = normal;
    node->SelectedIndex = selected;
    applyNodeIcon(node);
}

void TExplorerTreeView::applyNodeIcon(TExplorerNode *node)
{
    const auto valid = [this](int i) { return i >= 0 && i < m_images.size(); };
    if (!valid(node->ImageIndex)) {
        node->setIcon(0, QIcon());
        return;
    }
    const int selected = valid(node->SelectedIndex) ? node->SelectedIndex : node->ImageIndex;
    const QPair<int, int> key(node->ImageIndex, selected);
    auto it = m_nodeIcons.find(key);
    if (it == m_nodeIcons.end()) {
        const QSize size(m_imageWidth, m_imageHeight);
        QIcon icon;
        icon.addPixmap(m_images[node->ImageIndex].pixmap(size), QIcon::Normal);
        icon.addPixmap(m_images[selected].pixmap(size), QIcon::Selected);
        it = m_nodeIcons.insert(key, icon);
    }
    node->setIcon(0, *it);
}

bool TExplorerTreeView::CanChange(TExplorerNode *)
{
    return !Updating();
}

bool TExplorerTreeView::CanExpand(TExplorerNode *)
{
    return !Updating() && !m_rightClickSelecting;
}

bool TExplorerTreeView::CanCollapse(TExplorerNode *)
{
    return !Updating() && !m_rightClickSelecting;
}

bool TExplorerTreeView::RequestExpand(TExplorerNode *node)
{
    if (!node)
        return false;
    if (node->isExpanded())
        return true;
    if (!CanExpand(node))
        return false;
    node->setExpanded(true);
    return true;
}

bool TExplorerTreeView::RequestCollapse(TExplorerNode *node)
{
    if (!node)
        return false;
    if (!node->isExpanded())
        return true;
    if (!CanCollapse(node))
        return false;
    node->setExpanded(false);
    return true;
}

void TExplorerTreeView::toggleFolder(TExplorerNode *node)
{
    if (!node || !node->IsFolder())
        return;
    if (node->isExpanded())
        RequestCollapse(node);
    else
        RequestExpand(node);
}

void TExplorerTreeView::CollapseSubtree(TExplorerNode *node)
{
    QList<QTreeWidgetItem *> stack{node};
    while (!stack.isEmpty()) {
        QTreeWidgetItem *item = stack.takeLast();
        item->setExpanded(false);
        for (int i = 0; i < item->childCount(); ++i)
            stack.append(item->child(i));
    }
}

bool TExplorerTreeView::IsInSubtree(const TExplorerNode *candidate, const TExplorerNode *root)
{
    for (const QTreeWidgetItem *p = candidate; p; p = p->parent())
        if (p == root)
            return true;
    return false;
}

void TExplorerTreeView::SortChildren(TExplorerNode *parent, const NodeLess &less, bool recursive)
{
    const auto sorted = [&less](QTreeWidgetItem *p) {
        for (int i = 1; i < p->childCount(); ++i)
            if (less(static_cast<TExplorerNode *>(p->child(i)), static_cast<TExplorerNode *>(p->child(i - 1))))
                return false;
        return true;
    };
    QTreeWidgetItem *top = parent ? parent : invisibleRootItem();
    // the parents whose children are out of order
    QList<QTreeWidgetItem *> unsorted;
    QList<QTreeWidgetItem *> stack{top};
    while (!stack.isEmpty()) {
        QTreeWidgetItem *p = stack.takeLast();
        if (!sorted(p))
            unsorted.append(p);
        if (recursive)
            for (int i = 0; i < p->childCount(); ++i)
                if (p->child(i)->childCount() > 0)
                    stack.append(p->child(i));
    }
    if (unsorted.isEmpty())
        return;

    BeginUpdate();
    // taking children out forgets their expansion and the current node: keep both
    QList<QTreeWidgetItem *> expanded;
    for (QTreeWidgetItem *p : unsorted) {
        QList<QTreeWidgetItem *> walk;
        for (int i = 0; i < p->childCount(); ++i)
            walk.append(p->child(i));
        while (!walk.isEmpty()) {
            QTreeWidgetItem *item = walk.takeLast();
            if (item->isExpanded())
                expanded.append(item);
            for (int i = 0; i < item->childCount(); ++i)
                walk.append(item->child(i));
        }
    }
    QTreeWidgetItem *current = currentItem();
    const bool currentSelected = current && current->isSelected();
    for (QTreeWidgetItem *p : unsorted) {
        QList<QTreeWidgetItem *> children = p->takeChildren();
        std::stable_sort(children.begin(), children.end(), [&less](QTreeWidgetItem *a, QTreeWidgetItem *b) {
            return less(static_cast<TExplorerNode *>(a), static_cast<TExplorerNode *>(b));
        });
        p->addChildren(children);
    }
    for (QTreeWidgetItem *item : std::as_const(expanded))
        item->setExpanded(true);
    if (current && current->treeWidget() == this) {
        setCurrentItem(current, 0,
                       currentSelected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
    }
    EndUpdate();
}

bool TExplorerTreeView::BeginRename(TExplorerNode *node)
{
    if (!node || m_readOnly || node->treeWidget() != this)
        return false;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_editingNode = node;
    m_editCommitted = false;
    editItem(node, 0);
    if (state() != QAbstractItemView::EditingState) {
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
        m_editingNode = nullptr;
        return false;
    }
    return true;
}

void TExplorerTreeView::LabelEditEnded(TExplorerNode *, bool)
{}

void TExplorerTreeView::commitData(QWidget *editor)
{
    m_editCommitted = true;
    QTreeWidget::commitData(editor);
}

void TExplorerTreeView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    TExplorerNode *node = m_editingNode;
    m_editingNode = nullptr;
    if (!node)
        return;
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    LabelEditEnded(node, m_editCommitted);
}

void TExplorerTreeView::ClearNodes()
{
    const QList<TExplorerNode *> top = ChildrenOf(nullptr);
    for (TExplorerNode *node : top)
        ForgetSubtree(node);
    clear();
}

TExplorerTreeView::FillScope::FillScope(TExplorerTreeView *tree)
    : m_tree(tree)
{
    ShowBusyCursor(true);
    m_tree->BeginUpdate();
    m_tree->setUpdatesEnabled(false);
}

TExplorerTreeView::FillScope::~FillScope()
{
    m_tree->setUpdatesEnabled(true);
    m_tree->EndUpdate();
    ShowBusyCursor(false);
}

void TExplorerTreeView::ForgetSubtree(TExplorerNode *node)
{
    if (IsInSubtree(m_editingNode, node))
        m_editingNode = nullptr;
    if (IsInSubtree(m_pressedNode, node))
        m_pressedNode = nullptr;
}

QItemSelectionModel::SelectionFlags TExplorerTreeView::selectionCommand(const QModelIndex &index,
                                                                        const QEvent *event) const
{
    auto *self = const_cast<TExplorerTreeView *>(this);
    if (!self->CanChange(static_cast<TExplorerNode *>(itemFromIndex(index))))
        return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

void TExplorerTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeWidget::selectionChanged(selected, deselected);
    if (Updating() || m_rightClickSelecting || !m_autoExpand || selected.isEmpty())
        return;
    // single expand: the branch of the previous selection closes, a selected folder opens
    auto *cur = static_cast<TExplorerNode *>(itemFromIndex(selected.indexes().value(0)));
    auto *prev =
        deselected.isEmpty() ? nullptr : static_cast<TExplorerNode *>(itemFromIndex(deselected.indexes().value(0)));
    for (TExplorerNode *p = prev; p && !IsInSubtree(cur, p); p = p->Parent())
        RequestCollapse(p);
    if (cur && cur->IsFolder())
        RequestExpand(cur);
}

void TExplorerTreeView::mousePressEvent(QMouseEvent *event)
{
    m_pressWasDouble = false;
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        // select without expanding, collapsing or navigating; the context menu follows on its own
        TExplorerNode *node = NodeAt(pos);
        if (node && !node->isSelected()) {
            m_rightClickSelecting = true;
            setCurrentItem(node);
            m_rightClickSelecting = false;
        }
        event->accept();
        return;
    }
    m_pressedNode = event->button() == Qt::LeftButton ? NodeAt(pos) : nullptr;
    m_pressedWasSelected = m_pressedNode && m_pressedNode->isSelected();
    QMouseEvent onRow = ontoRow(*event);
    QTreeWidget::mousePressEvent(&onRow);
    event->setAccepted(onRow.isAccepted());
}

QMouseEvent TExplorerTreeView::ontoRow(const QMouseEvent &event) const
{
    // the blank indent holds no button: a press or release there is one on the node's row
    const QPointF pos = event.position();
    TExplorerNode *node = NodeAt(pos.toPoint());
    const int itemLeft = node ? visualItemRect(node).left() : 0;
    return QMouseEvent(event.type(), QPointF(std::max(pos.x(), qreal(itemLeft)), pos.y()), event.globalPosition(),
                       event.button(), event.buttons(), event.modifiers());
}

void TExplorerTreeView::drawBranches(QPainter *, const QRect &, const QModelIndex &) const
{}

void TExplorerTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    QMouseEvent onRow = ontoRow(*event);
    QTreeWidget::mouseReleaseEvent(&onRow);
    if (event->button() != Qt::LeftButton)
        return;
    TExplorerNode *node = m_pressedNode;
    m_pressedNode = nullptr;
    if (m_pressWasDouble || !node || !m_autoExpand)
        return;
    // the press may have closed a folder above the node and moved it away from the pointer: the
    // node the press selected still counts as clicked
    if (NodeAt(event->position().toPoint()) != node && GetSelected() != node)
        return;
    // a click on the folder that was already selected opens or closes it
    if (m_pressedWasSelected)
        toggleFolder(node);
    NavigateSelected();
}

void TExplorerTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressWasDouble = true;
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton || m_autoExpand)
        return;
    toggleFolder(NodeAt(event->position().toPoint()));
    NavigateSelected();
}

void TExplorerTreeView::mouseMoveEvent(QMouseEvent *event)
{
    QTreeWidget::mouseMoveEvent(event);
    if (!m_showUrlHint)
        return;
    const QString text = HintAt(event->position().toPoint());
    if (text == m_shownHint)
        return;
    showHint(text);
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(this, &tip);
}

bool TExplorerTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}
