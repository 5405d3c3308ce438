#include "explorerbar/BookmarkTreeViews.h"

#include "platform/ApplicationTitle.h"
#include "platform/AtomicFiles.h"
#include "platform/BuiltinResources.h"
#include "platform/MessageBoxes.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/CommonUtils.h"
#include "settings/UrlDropTargets.h"

#include <QApplication>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

const char SelfDragMime[] = "application/x-brivo-bookmark-node";

bool bookmarkLess(const TExplorerNode *a, const TExplorerNode *b)
{
    return BookmarkCompare(a, b) < 0;
}

void drawFolder(QPainter &p, int x, bool open)
{
    const QColor edge(128, 96, 0);
    p.setPen(edge);
    p.setBrush(QColor(230, 190, 60));
    // back with its tab
    QPainterPath back;
    back.moveTo(x + 1, 3);
    back.lineTo(x + 6, 3);
    back.lineTo(x + 7, 5);
    back.lineTo(x + 14, 5);
    back.lineTo(x + 14, 13);
    back.lineTo(x + 1, 13);
    back.closeSubpath();
    p.drawPath(back);
    if (open) {
        // the front flap tilted open
        p.setBrush(QColor(255, 226, 120));
        QPolygon flap;
        flap << QPoint(x + 3, 7) << QPoint(x + 15, 7) << QPoint(x + 13, 13) << QPoint(x + 1, 13);
        p.drawPolygon(flap);
    } else {
        p.setBrush(QColor(250, 210, 80));
        p.drawRect(x + 1, 6, 13, 7);
    }
}

void drawBookmark(QPainter &p, int x)
{
    // a page with a folded corner and a red ribbon
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    QPolygon page;
    page << QPoint(x + 3, 1) << QPoint(x + 10, 1) << QPoint(x + 13, 4) << QPoint(x + 13, 14) << QPoint(x + 3, 14);
    p.drawPolygon(page);
    p.drawLine(x + 10, 1, x + 10, 4);
    p.drawLine(x + 10, 4, x + 13, 4);
    p.setPen(QColor(150, 150, 150));
    for (int y = 7; y <= 12; y += 2)
        p.drawLine(x + 5, y, x + 11, y);
    p.setPen(QColor(160, 0, 0));
    p.setBrush(QColor(220, 30, 30));
    QPolygon ribbon;
    ribbon << QPoint(x + 5, 0) << QPoint(x + 8, 0) << QPoint(x + 8, 7) << QPoint(x + 6, 5) << QPoint(x + 5, 7);
    p.drawPolygon(ribbon);
}

} // namespace

qint64 DateTimeToUnix(const QDateTime &t)
{
    // the local wall-clock reading taken as if it were UTC
    return QDateTime(t.date(), t.time(), Qt::UTC).toSecsSinceEpoch();
}

int BookmarkCompare(const TExplorerNode *a, const TExplorerNode *b)
{
    if (!a || !b)
        return -1;
    if (a->Kind == b->Kind)
        return textrules::compareText(a->text(0), b->text(0));
    return a->Kind != TCustomBookmarkNode::Folder ? 1 : -1;
}

QPixmap BookmarkGlyphStrip()
{
    QImage strip(48, 16, QImage::Format_RGB32);
    const QColor key(0xFF, 0x00, 0xFF);
    strip.fill(key);
    {
        QPainter p(&strip);
        drawFolder(p, 0, false);
        drawFolder(p, 16, true);
        drawBookmark(p, 32);
    }
    QPixmap pixmap = QPixmap::fromImage(strip);
    pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
    return pixmap;
}

// ---- nodes -----------------------------------------------------------------------------------

TCustomBookmarkNode::~TCustomBookmarkNode()
{
    TCustomBookmarkTreeView *tree = BookmarkTree();
    if (!tree)
        return;
    tree->ForgetSubtree(this);
    if (tree->Updating() || tree->m_destroying)
        return;
    // leave the tree first, so that a save started by the mark does not write this node
    if (QTreeWidgetItem *p = parent())
        p->removeChild(this);
    else
        tree->takeTopLevelItem(tree->indexOfTopLevelItem(this));
    tree->SetModified(true);
}

TCustomBookmarkTreeView *TCustomBookmarkNode::BookmarkTree() const
{
    return qobject_cast<TCustomBookmarkTreeView *>(treeWidget());
}

void TCustomBookmarkNode::SetUrl(const QString &value)
{
    Url = value;
    if (TCustomBookmarkTreeView *tree = BookmarkTree())
        tree->SetModified(true);
}

void TCustomBookmarkNode::SetAddDate(const QDateTime &t)
{
    AddDate = DateTimeToUnix(t);
    SetLastModified(QDateTime::currentDateTime());
}

void TCustomBookmarkNode::SetLastVisit(const QDateTime &t)
{
    LastVisit = DateTimeToUnix(t);
    if (TCustomBookmarkTreeView *tree = BookmarkTree())
        tree->SetModified(true);
}

void TCustomBookmarkNode::SetLastModified(const QDateTime &t)
{
    LastModified = DateTimeToUnix(t);
    if (TCustomBookmarkTreeView *tree = BookmarkTree())
        tree->SetModified(true);
}

void TCustomBookmarkNode::SetKind(std::uint8_t k)
{
    if (k == Kind)
        return;
    Kind = k;
    TCustomBookmarkTreeView *tree = BookmarkTree();
    if (!tree)
        return;
    tree->SetImagesByKind(this);
    if (!tree->Updating() && tree->Sort())
        tree->ResortAround(this);
}

bool TBookmarkNode::AddToFavorites()
{
    if (IsFolder())
        return false;
    AddFavorite(text(0), Url, treeWidget());
    return true;
}

bool TBookmarkNode::BeginRename()
{
    auto *tree = qobject_cast<TBookmarkTreeView *>(treeWidget());
    return tree && tree->BeginRename(this);
}

// ---- tree ------------------------------------------------------------------------------------

TCustomBookmarkTreeView::TCustomBookmarkTreeView(QWidget *parent)
    : TExplorerTreeView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // links dropped from other programs land where the drop target highlights
    m_urlDropTarget = new TCustomUrlDropTarget(this);
    m_urlDropTarget->OnUrlDrop = [this](const QPoint &pt, const QString &title, const QString &url) {
        // the node under the pointer, which the drop target highlighted during the drag
        SetDropTarget(static_cast<TCustomBookmarkNode *>(itemAt(pt)));
        UrlDropped(pt, title, url);
        SetDropTarget(nullptr); // the drop is over: no node stays highlighted
    };
    if (m_autoOleDrop)
        m_urlDropTarget->RegisterDropTarget(this);
}

TCustomBookmarkTreeView::~TCustomBookmarkTreeView()
{
    m_destroying = true;
    BeginUpdate();
    ClearNodes();
}

QList<QPixmap> TCustomBookmarkTreeView::SourceIcons() const
{
    const QPixmap strip = BookmarkGlyphStrip();
    return {strip.copy(0, 0, 16, 16), strip.copy(16, 0, 16, 16), strip.copy(32, 0, 16, 16)};
}

void TCustomBookmarkTreeView::SetImagesByKind(TCustomBookmarkNode *node)
{
    if (node->Kind == TCustomBookmarkNode::Folder)
        SetNodeImages(node, 0, 1);
    else
        SetNodeImages(node, 2, 2);
}

TCustomBookmarkNode *TCustomBookmarkTreeView::GetSelected() const
{
    return static_cast<TCustomBookmarkNode *>(TExplorerTreeView::GetSelected());
}

TCustomBookmarkNode *TCustomBookmarkTreeView::NodeAt(const QPoint &viewportPos) const
{
    return static_cast<TCustomBookmarkNode *>(TExplorerTreeView::NodeAt(viewportPos));
}

void TCustomBookmarkTreeView::SetFileName(const QString &value)
{
    if (value != m_fileName)
        LoadFromFile(value);
}

void TCustomBookmarkTreeView::SetAutoSave(bool value)
{
    m_autoSave = value;
    if (m_modified)
        SaveToFile(m_fileName);
}

void TCustomBookmarkTreeView::SetSort(bool value)
{
    if (value == m_sort)
        return;
    m_sort = value;
    if (m_sort && !m_fileName.isEmpty())
        SortTree();
}

void TCustomBookmarkTreeView::SetAutoOleDrop(bool value)
{
    if (value == m_autoOleDrop)
        return;
    m_autoOleDrop = value;
    if (value)
        m_urlDropTarget->RegisterDropTarget(this);
    else
        m_urlDropTarget->RevokeDropTarget();
    emit OnAutoOleDropChanged(value);
}

void TCustomBookmarkTreeView::SetCaption(const QString &value)
{
    if (m_fileName.isEmpty())
        return;
    m_caption = value;
    SetModified(true);
}

void TCustomBookmarkTreeView::SetModified(bool value)
{
    m_modified = value;
    emit OnModifyChanged(this);
    if (m_modified && m_autoSave)
        SaveToFile(m_fileName);
}

int TCustomBookmarkTreeView::codePage() const
{
    if (m_legacyCodePage > 0)
        return m_legacyCodePage;
    if (BrivoIni)
        return builtinresources::iniCodePage(LanguageNames[std::size_t(BrivoIni->Language)]);
    return 1252;
}

void TCustomBookmarkTreeView::SortTree()
{
    SortChildren(nullptr, bookmarkLess, true);
}

void TCustomBookmarkTreeView::ResortAround(TCustomBookmarkNode *node)
{
    if (auto *parent = static_cast<TExplorerNode *>(node->parent()))
        SortChildren(parent, bookmarkLess, false);
    else
        SortChildren(nullptr, bookmarkLess, true);
}

void TCustomBookmarkTreeView::Inserted(TCustomBookmarkNode *node)
{
    if (Updating())
        return;
    ResortAround(node);
    SetModified(true);
}

void TCustomBookmarkTreeView::ForgetSubtree(TExplorerNode *node)
{
    TExplorerTreeView::ForgetSubtree(node);
    if (IsInSubtree(m_dropTarget, node))
        m_dropTarget = nullptr;
}

bool TCustomBookmarkTreeView::LoadFromFile(const QString &name)
{
    TBusyCursor busy;
    BeginUpdate();
    setUpdatesEnabled(false);
    ClearNodes();
    bookmarkfile::Document doc;
    QString error;
    bool ok = false;
    if (name.isEmpty())
        error = QStringLiteral("no file name");
    else
        ok = bookmarkfile::load(name, codePage(), &doc, &error, &m_stamp);
    if (ok) {
        fill(doc);
        m_fileName = name;
        m_caption = doc.caption;
        m_separatorsAtEnd = doc.separatorsAtEnd;
        m_lastError.clear();
    } else {
        m_fileName.clear();
        m_caption.clear();
        m_separatorsAtEnd = 0;
        m_lastError = error;
    }
    setUpdatesEnabled(true);
    EndUpdate();
    // a freshly loaded list (or none at all) has no changes to save
    if (m_modified)
        SetModified(false);
    return ok;
}

void TCustomBookmarkTreeView::fill(const bookmarkfile::Document &doc)
{
    // build the nodes apart from the view, sort each list there by the titles as read (not through
    // the nodes' data), then hand every list over at once
    struct Entry {
        QTreeWidgetItem *node;
        const QString *title;
        std::uint8_t kind;
    };
    std::vector<std::vector<Entry>> lists(1);     // lists[0]: the top level; then one per folder
    std::vector<TCustomBookmarkNode *> owners(1); // the folder of each list
    std::vector<std::size_t> open;                // open[k]: the list holding items of level k + 1
    for (const bookmarkfile::Item &item : doc.items) {
        if (item.kind != bookmarkfile::KindFolder && item.kind != bookmarkfile::KindBookmark)
            continue;
        const int level = std::clamp(item.level, 0, int(open.size()));
        open.resize(std::size_t(level));
        TCustomBookmarkNode *node = CreateNode();
        node->Kind = item.kind;
        node->setText(0, item.title);
        node->Url = item.kind == bookmarkfile::KindBookmark ? item.url : QString();
        node->AddDate = item.addDate;
        node->LastVisit = item.lastVisit;
        node->LastModified = item.lastModified;
        node->Extras = item.extras;
        // the icons go on while the node is outside the view: set on a shown node, each would make
        // the view look the node up among its siblings, which costs the square of a long list
        SetImagesByKind(node);
        lists[level == 0 ? 0 : open.back()].push_back({node, &item.title, item.kind});
        if (item.kind == bookmarkfile::KindFolder) {
            open.push_back(lists.size());
            lists.emplace_back();
            owners.push_back(node);
        }
    }
    // as BookmarkCompare orders nodes: folders first, then the titles with only a-z folded
    const auto less = [](const Entry &a, const Entry &b) {
        if (a.kind != b.kind)
            return a.kind == TCustomBookmarkNode::Folder;
        return textrules::compareText(*a.title, *b.title) < 0;
    };
    for (std::size_t k = lists.size(); k-- > 0;) {
        std::vector<Entry> &list = lists[k];
        if (m_sort)
            std::stable_sort(list.begin(), list.end(), less);
        QList<QTreeWidgetItem *> nodes;
        nodes.reserve(qsizetype(list.size()));
        for (const Entry &e : list)
            nodes.append(e.node);
        if (k == 0)
            addTopLevelItems(nodes);
        else
            owners[k]->addChildren(nodes);
    }
}

bookmarkfile::Document TCustomBookmarkTreeView::ToDocument() const
{
    bookmarkfile::Document doc;
    doc.caption = m_caption;
    doc.separatorsAtEnd = m_separatorsAtEnd;
    struct Entry {
        QTreeWidgetItem *item;
        int level;
    };
    QList<Entry> stack;
    const QTreeWidgetItem *root = invisibleRootItem();
    for (int i = root->childCount() - 1; i >= 0; --i)
        stack.append({root->child(i), 0});
    while (!stack.isEmpty()) {
        const Entry e = stack.takeLast();
        const auto *node = static_cast<const TCustomBookmarkNode *>(e.item);
        bookmarkfile::Item item;
        item.level = e.level;
        item.kind = node->Kind;
        item.title = node->text(0);
        item.url = node->Url;
        item.addDate = node->AddDate;
        item.lastVisit = node->LastVisit;
        item.lastModified = node->LastModified;
        item.extras = node->Extras;
        doc.items.append(std::move(item));
        for (int i = e.item->childCount() - 1; i >= 0; --i)
            stack.append({e.item->child(i), e.level + 1});
    }
    return doc;
}

bool TCustomBookmarkTreeView::SaveToFile(const QString &name)
{
    if (m_fileName.isEmpty())
        return false;
    QString target = name;
    if (name != m_fileName) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        if (suffix != u"htm" && suffix != u"html")
            target += QStringLiteral(".htm");
    }
    TBusyCursor busy;
    // another file was chosen through the save dialog, which asked before replacing it
    SaveOutcome outcome = writeLocked(target, target != m_fileName);
    if (outcome == SaveOutcome::ChangedElsewhere) {
        const QString question = BookmarkChangedText.isEmpty() ? DefaultBookmarkChangedText : BookmarkChangedText;
        const int answer =
            messageboxes::show(this, QString(question).replace(QStringLiteral("%s"), QDir::toNativeSeparators(target)),
                               applicationtitle::get(), messageboxes::YesNoCancel | messageboxes::IconExclamation);
        if (answer == messageboxes::IdYes)
            return reloadChanged(target);
        if (answer != messageboxes::IdNo) {
            m_lastError = QStringLiteral("the file was changed by another program since it was opened; nothing "
                                         "was written");
            return false;
        }
        outcome = writeLocked(target, true);
    }
    if (outcome != SaveOutcome::Written)
        return false;
    m_lastError.clear();
    SetModified(false);
    if (target != m_fileName)
        m_fileName = target;
    return true;
}

TCustomBookmarkTreeView::SaveOutcome TCustomBookmarkTreeView::writeLocked(const QString &target, bool overwrite)
{
    // the check and the write under one lock, so another instance's save never falls between them
    const atomicfile::FolderLock lock(QFileInfo(target).absolutePath(), atomicfile::DefaultLockWaitMs);
    if (!lock.held()) {
        m_lastError = lock.reason();
        return SaveOutcome::Failed;
    }
    if (!overwrite && bookmarkfile::changedSince(target, m_stamp))
        return SaveOutcome::ChangedElsewhere;
    QString error;
    bookmarkfile::FileStamp stamp;
    if (!bookmarkfile::save(target, ToDocument(), &error, &stamp)) {
        m_lastError = error;
        return SaveOutcome::Failed;
    }
    m_stamp = stamp;
    return SaveOutcome::Written;
}

bool TCustomBookmarkTreeView::reloadChanged(const QString &target)
{
    // a file that no longer reads keeps the list shown here
    bookmarkfile::Document probe;
    QString error;
    if (!bookmarkfile::load(target, codePage(), &probe, &error)) {
        m_lastError = QStringLiteral("the file was changed by another program and cannot be read again: %1").arg(error);
        return false;
    }
    return LoadFromFile(target);
}

TCustomBookmarkNode *TCustomBookmarkTreeView::AddBookmark(TCustomBookmarkNode *relative, const QString &caption,
                                                          const QString &url)
{
    if (!CanAdd())
        return nullptr;
    if (relative && relative->treeWidget() != this)
        relative = nullptr;
    TCustomBookmarkNode *node = CreateNode();
    node->setText(0, caption);
    // of its final kind from the start, so that the sort after the insertion places it for good
    node->Kind = url.isEmpty() ? TCustomBookmarkNode::Folder : TCustomBookmarkNode::Bookmark;
    SetImagesByKind(node);
    if (!relative) {
        insertTopLevelItem(0, node);
    } else if (relative->IsFolder()) {
        relative->insertChild(0, node);
    } else if (QTreeWidgetItem *parent = relative->parent()) {
        parent->insertChild(parent->indexOfChild(relative) + 1, node);
    } else {
        insertTopLevelItem(indexOfTopLevelItem(relative) + 1, node);
    }
    Inserted(node);
    const QDateTime now = QDateTime::currentDateTime();
    node->SetAddDate(now);
    if (url.isEmpty()) {
        node->SetKind(TCustomBookmarkNode::Folder);
    } else {
        node->SetKind(TCustomBookmarkNode::Bookmark);
        node->SetUrl(url);
        node->SetLastVisit(now);
        node->SetLastModified(now);
    }
    SetImagesByKind(node);
    for (auto *p = node->Parent(); p; p = p->Parent())
        RequestExpand(p);
    setCurrentItem(node);
    scrollToItem(node);
    return node;
}

void TCustomBookmarkTreeView::MoveNode(TCustomBookmarkNode *target, TCustomBookmarkNode *node)
{
    if (!target || !node || target->treeWidget() != this || node->treeWidget() != this)
        return;
    if (node->isExpanded())
        CollapseSubtree(node);
    if (IsInSubtree(target, node))
        return; // never into its own subtree
    const bool wasCurrent = currentItem() == node;
    BeginUpdate();
    if (QTreeWidgetItem *p = node->parent())
        p->removeChild(node);
    else
        takeTopLevelItem(indexOfTopLevelItem(node));
    if (target->IsFolder()) {
        target->insertChild(0, node);
    } else if (QTreeWidgetItem *p = target->parent()) {
        p->insertChild(p->indexOfChild(target), node);
    } else {
        insertTopLevelItem(indexOfTopLevelItem(target), node);
    }
    if (wasCurrent)
        selectionModel()->setCurrentIndex(indexFromItem(node), QItemSelectionModel::ClearAndSelect);
    EndUpdate();
    Inserted(node);
}

void TCustomBookmarkTreeView::DeleteNode(TCustomBookmarkNode *node)
{
    if (node && node->treeWidget() == this)
        delete node;
}

void TCustomBookmarkTreeView::SetDropTarget(TCustomBookmarkNode *node)
{
    if (node == m_dropTarget)
        return;
    if (m_dropTarget)
        m_dropTarget->setData(0, Qt::BackgroundRole, QVariant());
    m_dropTarget = node && node->treeWidget() == this ? node : nullptr;
    if (m_dropTarget)
        m_dropTarget->setData(0, Qt::BackgroundRole, palette().brush(QPalette::Highlight));
}

void TCustomBookmarkTreeView::UrlDropped(const QPoint &, const QString &title, const QString &url)
{
    AddBookmark(m_dropTarget, title, url);
}

void TCustomBookmarkTreeView::LabelEditEnded(TExplorerNode *node, bool)
{
    // also after a cancelled edit: the node counts as touched
    auto *bookmark = static_cast<TCustomBookmarkNode *>(node);
    bookmark->SetLastModified(QDateTime::currentDateTime());
    ResortAround(bookmark);
}

bool TCustomBookmarkTreeView::AcceptsDrag(const QObject *source) const
{
    return m_autoDragSelf && source == this;
}

bool TCustomBookmarkTreeView::DragDropSelf(const QPoint &viewportPos)
{
    if (!m_autoDragSelf)
        return false;
    TCustomBookmarkNode *target = NodeAt(viewportPos);
    if (!target)
        return false;
    TCustomBookmarkNode *node = GetSelected();
    MoveNode(target, node);
    if (target->IsFolder() && !target->isExpanded())
        RequestExpand(target);
    if (node && node->treeWidget() == this)
        scrollToItem(node);
    return true;
}

void TCustomBookmarkTreeView::mousePressEvent(QMouseEvent *event)
{
    TExplorerTreeView::mousePressEvent(event);
    m_rightDragArmed = event->button() == Qt::RightButton && m_autoDragSelf && NodeAt(event->position().toPoint());
    m_rightPressPos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        m_rightDown = true;
        m_menuWaiting = false;
    }
}

void TCustomBookmarkTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        m_rightDragArmed = false;
        const bool menu = std::exchange(m_menuWaiting, false) && m_rightDown;
        m_rightDown = false;
        if (menu) {
            const QPoint pos = event->position().toPoint();
            QContextMenuEvent ask(QContextMenuEvent::Mouse, pos, viewport()->mapToGlobal(pos), event->modifiers());
            m_deliveringMenu = true;
            QCoreApplication::sendEvent(viewport(), &ask);
            m_deliveringMenu = false;
        }
    }
    TExplorerTreeView::mouseReleaseEvent(event);
}

bool TCustomBookmarkTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && !m_deliveringMenu && m_rightDown &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse) {
        m_menuWaiting = true;
        event->accept();
        return true;
    }
    return TExplorerTreeView::viewportEvent(event);
}

void TCustomBookmarkTreeView::mouseMoveEvent(QMouseEvent *event)
{
    TExplorerTreeView::mouseMoveEvent(event);
    if (!m_rightDragArmed || !(event->buttons() & Qt::RightButton))
        return;
    if ((event->position().toPoint() - m_rightPressPos).manhattanLength() < 5)
        return;
    m_rightDragArmed = false;
    m_rightDown = false; // a drag, not a click: no menu at the release
    m_menuWaiting = false;
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData;
    mime->setData(SelfDragMime, QByteArray());
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void TCustomBookmarkTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (AcceptsDrag(event->source()))
        event->acceptProposedAction();
    else
        TExplorerTreeView::dragEnterEvent(event);
}

void TCustomBookmarkTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (AcceptsDrag(event->source()))
        event->acceptProposedAction();
    else
        TExplorerTreeView::dragMoveEvent(event);
}

void TCustomBookmarkTreeView::dropEvent(QDropEvent *event)
{
    if (AcceptsDrag(event->source())) {
        DragDropSelf(event->position().toPoint());
        event->acceptProposedAction();
    } else {
        TExplorerTreeView::dropEvent(event);
    }
}

// ---- the visible tree ------------------------------------------------------------------------

TBookmarkTreeView::TBookmarkTreeView(QWidget *parent)
    : TCustomBookmarkTreeView(parent)
{
    BuildImages();
}

TCustomBookmarkNode *TBookmarkTreeView::CreateNode() const
{
    return new TBookmarkNode;
}

bool TBookmarkTreeView::Save()
{
    return !FileName().isEmpty() && SaveToFile(FileName());
}

void TBookmarkTreeView::UpdateBookmark(TCustomBookmarkNode *node, const QString &caption, const QString &url)
{
    if (!node || node->treeWidget() != this)
        return;
    if (!node->IsFolder())
        node->Url = url;
    node->setText(0, caption);
    // a change from the properties dialog must not be lost at close
    SetModified(true);
}
