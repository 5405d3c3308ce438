#include "explorerbar/FavoriteTreeViews.h"

#include "explorerbar/OrganizeFavorites.h"
#include "platform/AtomicFiles.h"
#include "platform/DialogRunner.h"
#include "platform/FileChangeNotifiers.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformStore.h"
#include "platform/TextRules.h"
#include "settings/CommonUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

// Larger files are no shortcuts: they are not read.
constexpr qint64 MaxShortcutSize = 64 * 1024;
// What a fill lists: plain files and folders, no hidden entries and no FIFOs, sockets or devices.
constexpr QDir::Filters ListFilter = QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot;

bool favoriteLess(const TExplorerNode *a, const TExplorerNode *b)
{
    return FavoriteCompare(a, b) < 0;
}

// The extension that marks a shortcut file ("url" or "desktop"), or empty.
QString shortcutSuffix(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString suffix = fileName.mid(dot + 1);
    if (textrules::sameText(suffix, QStringLiteral("url")) || textrules::sameText(suffix, QStringLiteral("desktop")))
        return suffix;
    return {};
}

QString withoutSuffix(const QString &fileName, const QString &suffix)
{
    return suffix.isEmpty() ? fileName : fileName.left(fileName.size() - suffix.size() - 1);
}

QString suffixOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

} // namespace

int FavoriteCompare(const TExplorerNode *a, const TExplorerNode *b)
{
    if (!a || !b)
        return -1;
    const auto *x = static_cast<const TFavoriteNode *>(a);
    const auto *y = static_cast<const TFavoriteNode *>(b);
    if (x->Kind != y->Kind) {
        if (x->IsFolder())
            return -1;
        if (y->IsFolder())
            return 1;
    }
    return textrules::compareText(x->FileName, y->FileName);
}

// ---- nodes -----------------------------------------------------------------------------------

TFavoriteTreeView *TFavoriteNode::FavoriteTree() const
{
    return qobject_cast<TFavoriteTreeView *>(treeWidget());
}

QString TFavoriteNode::GetParentPath() const
{
    if (const TFavoriteNode *p = Parent())
        return p->GetPath();
    const TFavoriteTreeView *tree = FavoriteTree();
    return tree ? tree->FavoritesFolder() : QString();
}

QString TFavoriteNode::GetPath() const
{
    return GetParentPath() + u'/' + FileName;
}

bool TFavoriteNode::Exists() const
{
    const QFileInfo info(GetPath());
    if (IsFolder())
        return info.isDir();
    return info.exists() || info.isSymLink();
}

bool TFavoriteNode::HasSubEntries() const
{
    if (!IsFolder())
        return false;
    if (childCount() > 0)
        return true;
    return QDirIterator(GetPath(), ListFilter).hasNext();
}

bool TFavoriteNode::BeginRename()
{
    TFavoriteTreeView *tree = FavoriteTree();
    return tree && CanRename && tree->BeginRename(this);
}

bool TFavoriteNode::Rename(const QString &NewName)
{
    TFavoriteTreeView *tree = FavoriteTree();
    if (!tree || m_renaming)
        return false;
    m_renaming = true;
    bool renamed = false;
    if (tree->Updating()) {
        Caption = NewName;
        setText(0, NewName);
        renamed = true;
    } else if (!CanRename) {
        setText(0, Caption);
    } else {
        QString name = NewName.isEmpty() ? text(0) : NewName;
        // a shortcut stays a shortcut whatever ending the user typed
        const QString kept = Kind == Shortcut ? shortcutSuffix(FileName) : QString();
        if (!name.isEmpty() && !kept.isEmpty() && !textrules::sameText(suffixOf(name), kept))
            name += u'.' + kept;
        const QString newPath = GetParentPath() + u'/' + name;
        tree->BeginUpdate();
        if (name.startsWith(u'.') && name != u"." && name != u"..")
            // a hidden file would vanish from the favorites at the next refresh
            tree->report(QObject::tr("Rename"),
                         QObject::tr("Cannot rename \"%1\": \"%2\" begins with \".\", which hides it from the "
                                     "favorites. Specify a different name.")
                             .arg(FileName, name));
        else
            renamed = ShellRenameFile(tree, GetPath(), newPath);
        if (renamed) {
            FileName = name;
            Caption = Kind == Shortcut ? withoutSuffix(FileName, shortcutSuffix(FileName)) : FileName;
            if (Kind == File)
                Url = GetPath();
            tree->updateFileUrls(this);
        }
        setText(0, Caption);
        tree->sortAll();
        tree->EndUpdate();
    }
    m_renaming = false;
    return renamed;
}

// ---- tree ------------------------------------------------------------------------------------

TFavoriteTreeView::TFavoriteTreeView(QWidget *parent)
    : TExplorerTreeView(parent)
{
    m_favoritesFolder = ::FavoritesFolder();
    if (m_favoritesFolder.size() > 1 && m_favoritesFolder.endsWith(u'/'))
        m_favoritesFolder.chop(1);
    const QString links =
        platformstore::readString(Hive::CurrentUser, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Toolbar"),
                                  QStringLiteral("LinksFolderName"))
            .value_or(QString());
    if (!m_favoritesFolder.isEmpty() && !links.isEmpty())
        m_linksFolder = m_favoritesFolder + u'/' + links;
    m_importExportAvailable = GetIEVersion() >= 5.0;
    BuildImages();

    m_notifier = new TFileChangeNotifier(this);
    m_notifier->SetWatchSubTree(true);
    m_notifier->SetNotifyFilters(TFileChangeNotifier::nfFileNameChange | TFileChangeNotifier::nfDirNameChange |
                                 TFileChangeNotifier::nfWriteChange);
    m_notifier->SetRoot(m_favoritesFolder);
    connect(m_notifier, &TFileChangeNotifier::OnChange, this, &TFavoriteTreeView::RefreshIfIdle);
    // the favorites folder itself went away: show what is left (nothing) rather than stale nodes
    connect(m_notifier, &TFileChangeNotifier::OnFindError, this, &TFavoriteTreeView::RefreshIfIdle);
    // a folder opened from the keyboard is listed as one opened by a click
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        auto *node = static_cast<TFavoriteNode *>(item);
        if (!Updating() && node->IsFolder() && !node->Filled)
            FillNode(node);
    });
}

TFavoriteTreeView::~TFavoriteTreeView()
{
    m_destroying = true;
    blockSignals(true); // nobody hears of the nodes leaving with the tree
    m_notifier->SetActive(false);
    TExplorerTreeView::BeginUpdate();
    ClearNodes();
}

void TFavoriteTreeView::Loaded()
{
    FillNode(nullptr);
}

void TFavoriteTreeView::SetAutoRefresh(bool value)
{
    if (value == m_autoRefresh)
        return;
    m_autoRefresh = value;
    if (!Updating())
        m_notifier->SetActive(value && watchable());
}

void TFavoriteTreeView::BeginUpdate()
{
    if (!Updating())
        m_notifier->SetActive(false);
    TExplorerTreeView::BeginUpdate();
}

void TFavoriteTreeView::EndUpdate()
{
    TExplorerTreeView::EndUpdate();
    if (!Updating() && m_autoRefresh && !m_destroying && watchable())
        m_notifier->SetActive(true);
}

QList<QPixmap> TFavoriteTreeView::SourceIcons() const
{
    const QSize size = SourceIconSize();
    const QString folder = m_linksFolder.isEmpty() ? m_favoritesFolder : m_linksFolder;
    // a fresh profile has no links folder yet (nor, at first, a favorites folder): its folders still
    // look like folders, not like files
    const bool exists = QFileInfo(folder).isDir();
    const auto folderIcon = [&](bool open) { return exists ? GetFileIcon(folder, open) : GetFolderIcon(open); };
    return {folderIcon(false).pixmap(size), folderIcon(true).pixmap(size), GetHtmlIcon().pixmap(size)};
}

bool TFavoriteTreeView::watchable() const
{
    // a favorites folder that has gone is not watched again until a refresh finds it back
    return !m_favoritesFolder.isEmpty() && QFileInfo(m_favoritesFolder).isDir();
}

bool TFavoriteTreeView::isLinksFolder(const QString &path) const
{
    // the Links folder in any letter case
    return !m_linksFolder.isEmpty() && path.compare(m_linksFolder, Qt::CaseInsensitive) == 0;
}

TFavoriteNode *TFavoriteTreeView::newNode(const QString &folder, const QString &name) const
{
    auto *node = new TFavoriteNode;
    node->FileName = name;
    initNode(node, folder);
    return node;
}

void TFavoriteTreeView::initNode(TFavoriteNode *node, const QString &folder) const
{
    const QString path = folder + u'/' + node->FileName;
    const QFileInfo info(path);
    QString caption = node->FileName;
    if (info.isDir() && !info.isSymLink()) {
        node->Kind = TFavoriteNode::Folder;
        node->Url.clear();
        node->ImageIndex = FolderImage();
        node->SelectedIndex = OpenFolderImage();
        node->CanRename = node->CanDelete = !isLinksFolder(path);
        node->setChildIndicatorPolicy(node->HasSubEntries() ? QTreeWidgetItem::ShowIndicator
                                                            : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    } else {
        node->ImageIndex = node->SelectedIndex = UrlImage();
        QString target;
        const QString suffix = shortcutSuffix(node->FileName);
        // a link is never read through: its target is only looked at
        const bool readable = !info.isSymLink() && info.isFile() && info.size() <= MaxShortcutSize;
        bool shortcut = false;
        if (info.isSymLink())
            shortcut = ResolveShellLink(path, target);
        else if (readable && textrules::sameText(suffix, QStringLiteral("url")))
            shortcut = GetInternetShortcutUrl(path, target);
        else if (readable && !suffix.isEmpty())
            shortcut = ResolveShellLink(path, target);
        if (shortcut) {
            node->Kind = TFavoriteNode::Shortcut;
            node->Url = target;
            caption = withoutSuffix(node->FileName, suffix);
        } else {
            node->Kind = TFavoriteNode::File;
            node->Url = path;
        }
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    node->Caption = caption;
    node->setText(0, caption);
}

void TFavoriteTreeView::listInto(TFavoriteNode *node, const QString &path)
{
    QList<QTreeWidgetItem *> children;
    QDirIterator it(path, ListFilter);
    while (it.hasNext()) {
        it.next();
        // only files and folders, also behind links: never a FIFO, socket or device
        const QFileInfo info = it.fileInfo();
        if (info.isFile() || info.isDir())
            children.append(newNode(path, it.fileName()));
    }
    std::stable_sort(children.begin(), children.end(), [](QTreeWidgetItem *a, QTreeWidgetItem *b) {
        return favoriteLess(static_cast<TExplorerNode *>(a), static_cast<TExplorerNode *>(b));
    });
    if (node)
        node->addChildren(children);
    else
        addTopLevelItems(children);
    for (QTreeWidgetItem *child : std::as_const(children)) {
        auto *n = static_cast<TFavoriteNode *>(child);
        SetNodeImages(n, n->ImageIndex, n->SelectedIndex);
    }
}

void TFavoriteTreeView::FillNode(TFavoriteNode *node)
{
    if (node && (node->treeWidget() != this || !node->IsFolder()))
        return;
    const FillScope fill(this);
    QString path;
    if (node) {
        path = node->GetPath();
        const QList<QTreeWidgetItem *> old = node->takeChildren();
        for (QTreeWidgetItem *child : old)
            ForgetSubtree(static_cast<TExplorerNode *>(child));
        qDeleteAll(old);
        node->Filled = true;
    } else {
        path = m_favoritesFolder;
        ClearNodes();
    }
    // no favorites folder is an empty tree, never a listing of the file system's root
    if (!path.isEmpty())
        listInto(node, path);
    if (node && node->childCount() == 0)
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TFavoriteTreeView::RefreshIfIdle()
{
    if (Updating())
        return;
    if (EditingNode()) {
        // a refill now would take away the label being edited: it follows the edit
        m_refreshAfterEdit = true;
        return;
    }
    FillNode(nullptr);
}

bool TFavoriteTreeView::CanExpand(TExplorerNode *node)
{
    if (!TExplorerTreeView::CanExpand(node))
        return false;
    auto *favorite = static_cast<TFavoriteNode *>(node);
    if (favorite && favorite->IsFolder() && !favorite->Filled && favorite->childCount() == 0)
        FillNode(favorite);
    return true;
}

void TFavoriteTreeView::LabelEditEnded(TExplorerNode *node, bool accepted)
{
    auto *favorite = static_cast<TFavoriteNode *>(node);
    if (accepted)
        favorite->Rename(QString());
    else
        favorite->setText(0, favorite->Caption);
    if (m_refreshAfterEdit) {
        m_refreshAfterEdit = false;
        RefreshIfIdle();
    }
}

TFavoriteNode *TFavoriteTreeView::FindNode(const QString &path) const
{
    for (TExplorerNode *node : AllNodes()) {
        auto *favorite = static_cast<TFavoriteNode *>(node);
        if (favorite->GetPath() == path)
            return favorite;
    }
    return nullptr;
}

TFavoriteNode *TFavoriteTreeView::ListPath(const QString &path)
{
    if (m_favoritesFolder.isEmpty() || !path.startsWith(m_favoritesFolder + u'/'))
        return nullptr;
    const QStringList parts = path.mid(m_favoritesFolder.size() + 1).split(u'/', Qt::SkipEmptyParts);
    TFavoriteNode *node = nullptr;
    for (const QString &part : parts) {
        if (node && !node->Filled)
            FillNode(node);
        TFavoriteNode *next = nullptr;
        for (TExplorerNode *child : ChildrenOf(node)) {
            if (static_cast<TFavoriteNode *>(child)->FileName == part) {
                next = static_cast<TFavoriteNode *>(child);
                break;
            }
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}

void TFavoriteTreeView::sortAround(TFavoriteNode *node)
{
    SortChildren(node ? node->Parent() : nullptr, favoriteLess, false);
}

void TFavoriteTreeView::sortAll()
{
    SortChildren(nullptr, favoriteLess, true);
}

void TFavoriteTreeView::updateFileUrls(TFavoriteNode *node)
{
    QList<QTreeWidgetItem *> stack{node};
    while (!stack.isEmpty()) {
        auto *n = static_cast<TFavoriteNode *>(stack.takeLast());
        if (n->Kind == TFavoriteNode::File)
            n->Url = n->GetPath();
        for (int i = 0; i < n->childCount(); ++i)
            stack.append(n->child(i));
    }
}

void TFavoriteTreeView::report(const QString &caption, const QString &text)
{
    messageboxes::show(this, text, caption, messageboxes::OK | messageboxes::IconStop);
}

bool TFavoriteTreeView::DeleteNode(TFavoriteNode *node)
{
    if (!node || node->treeWidget() != this)
        return false;
    if (!Updating() && !m_destroying && node->Exists()) {
        if (!node->CanDelete)
            return false;
        BeginUpdate();
        const bool moved = DeleteToRecycleBin(this, node->GetPath());
        EndUpdate();
        if (!moved)
            return false;
    }
    TFavoriteNode *parent = node->Parent();
    delete node;
    if (parent && parent->childCount() == 0)
        parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return true;
}

TFavoriteNode *TFavoriteTreeView::AddFolder(TFavoriteNode *where)
{
    if (m_favoritesFolder.isEmpty())
        return nullptr;
    if (where && where->treeWidget() != this)
        where = nullptr;
    TFavoriteNode *parent = where && !where->IsFolder() ? where->Parent() : where;
    if (parent && !parent->Filled)
        FillNode(parent);
    const QString folder = parent ? parent->GetPath() : m_favoritesFolder;
    const QString base = tr("New Folder");
    QString name = base;
    for (int n = 2; QFileInfo::exists(folder + u'/' + name) || QFileInfo(folder + u'/' + name).isSymLink(); ++n)
        name = base + QStringLiteral(" (%1)").arg(n);
    BeginUpdate();
    const bool made = ::mkdir(QFile::encodeName(folder + u'/' + name).constData(), 0777) == 0;
    const int reason = made ? 0 : errno;
    TFavoriteNode *node = nullptr;
    if (made) {
        node = newNode(folder, name);
        if (parent)
            parent->addChild(node);
        else
            addTopLevelItem(node);
        SetNodeImages(node, node->ImageIndex, node->SelectedIndex);
        sortAround(node);
    }
    EndUpdate();
    if (!node) {
        report(tr("New Folder"),
               tr("The folder \"%1\" cannot be made in \"%2\": %3").arg(name, folder, systemErrorText(reason)));
        return nullptr;
    }
    if (parent)
        RequestExpand(parent);
    setCurrentItem(node);
    scrollToItem(node);
    return node;
}

bool TFavoriteTreeView::MoveNode(TFavoriteNode *node, TFavoriteNode *folder)
{
    if (!node || node->treeWidget() != this || (folder && (folder->treeWidget() != this || !folder->IsFolder())))
        return false;
    const QString caption = tr("Move");
    if (!node->CanRename) {
        report(caption, tr("\"%1\" cannot be moved.").arg(node->Caption));
        return false;
    }
    if (folder && IsInSubtree(folder, node)) {
        report(caption, tr("\"%1\" cannot be moved into itself.").arg(node->Caption));
        return false;
    }
    if (node->Parent() == folder)
        return true;
    const QString target = (folder ? folder->GetPath() : m_favoritesFolder) + u'/' + node->FileName;
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        report(caption,
               tr("Cannot move \"%1\": an entry of that name already exists in the folder.").arg(node->Caption));
        return false;
    }
    BeginUpdate();
    QString reason;
    const bool moved = atomicfile::renameNoReplace(node->GetPath(), target, &reason);
    if (moved) {
        if (folder && !folder->Filled) {
            // listed with the rest when the folder is first opened
            DeleteNode(node);
            folder->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        } else {
            const bool wasCurrent = currentItem() == node;
            TFavoriteNode *oldParent = node->Parent();
            if (oldParent)
                oldParent->removeChild(node);
            else
                takeTopLevelItem(indexOfTopLevelItem(node));
            if (oldParent && oldParent->childCount() == 0)
                oldParent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
            if (folder)
                folder->addChild(node);
            else
                addTopLevelItem(node);
            updateFileUrls(node);
            sortAround(node);
            if (wasCurrent)
                setCurrentItem(node);
        }
    }
    EndUpdate();
    if (!moved)
        report(caption, tr("Cannot move \"%1\": %2").arg(node->Caption, reason));
    return moved;
}

void TFavoriteTreeView::ImportFavorites()
{
    {
        TBusyCursor busy;
        BeginUpdate();
        const auto done = qScopeGuard([this] { EndUpdate(); });
        if (m_importExportAvailable) {
            try {
                ImportExportFavorites(true, QString());
            } catch (const PlatformError &e) {
                report(tr("Import Favorites"), e.message());
            }
        }
    }
    RefreshIfIdle();
}

void TFavoriteTreeView::ExportFavorites()
{
    if (!m_importExportAvailable)
        return;
    try {
        ImportExportFavorites(false, QString());
    } catch (const PlatformError &e) {
        report(tr("Export Favorites"), e.message());
    }
}

void TFavoriteTreeView::OrganizeFavorites()
{
    {
        BeginUpdate();
        const auto done = qScopeGuard([this] { EndUpdate(); });
        if (!m_favoritesFolder.isEmpty()) {
            TOrganizeFavoritesDialog dialog(this);
            dialogrunner::exec(dialog);
        }
    }
    RefreshIfIdle();
}
