#include "explorerbar/FileSystemPages.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

TFileSystemPage::Opener &opener()
{
    static TFileSystemPage::Opener current;
    return current;
}

bool openWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// Files the desktop's opener would run rather than show.
bool isProgram(const QFileInfo &info)
{
    return info.isExecutable() || info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0;
}

} // namespace

TFileSystemPage::Opener TFileSystemPage::setOpener(Opener next)
{
    Opener previous = std::move(opener());
    opener() = std::move(next);
    return previous;
}

TFileSystemPage::TFileSystemPage(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    ShellComboBox1 = new QComboBox(this);
    ShellComboBox1->setObjectName(QStringLiteral("ShellComboBox1"));
    ShellComboBox1->setEditable(true);
    ShellComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ShellComboBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    SpeedButton1->setAutoRaise(true);
    top->addWidget(ShellComboBox1);
    top->addWidget(SpeedButton1);
    layout->addLayout(top);

    // the models never watch the folders they have read: changes made elsewhere (a busy home or
    // temporary folder) would keep an idle program working
    FolderModel = new QFileSystemModel(this);
    FolderModel->setOption(QFileSystemModel::DontWatchForChanges);
    FolderModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    FolderModel->setRootPath(QDir::rootPath());

    auto *split = new QSplitter(Qt::Vertical, this);
    ShellTreeView1 = new QTreeView(split);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setModel(FolderModel);
    ShellTreeView1->setHeaderHidden(true);
    for (int column = 1; column < FolderModel->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellListView1 = new QTreeView(split);
    ShellListView1->setObjectName(QStringLiteral("ShellListView1"));
    ShellListView1->setRootIsDecorated(false);
    ShellListView1->setItemsExpandable(false);
    ShellListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ShellListView1->setSortingEnabled(true);
    ShellListView1->sortByColumn(0, Qt::AscendingOrder);
    ShellListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(split, 1);

    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    SetFolder(FolderModel->filePath(current));
            });
    // the folder model reads folders in the background: once a folder on the way is read, the tree
    // opens down to the folder shown. The model sorts what it read a moment later, which moves the
    // rows: until the user takes the tree in hand, the folder shown is brought into sight again
    connect(FolderModel, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        if (m_folder == loaded || m_folder.startsWith(loaded.endsWith(u'/') ? loaded : loaded + u'/'))
            showInTree();
    });
    connect(FolderModel, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_revealPending)
            showInTree();
    });
    for (QObject *part : {static_cast<QObject *>(ShellTreeView1), static_cast<QObject *>(ShellTreeView1->viewport()),
                          static_cast<QObject *>(ShellTreeView1->verticalScrollBar())})
        part->installEventFilter(this);
    connect(ShellListView1, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { OpenEntry(FileModel->filePath(index)); });
    connect(ShellComboBox1, &QComboBox::textActivated, this, [this](const QString &text) { boxChosen(text); });
    // a typed path is taken on Enter as well
    connect(ShellComboBox1->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { boxChosen(ShellComboBox1->lineEdit()->text()); });
    SetFolder(QDir::homePath());
}

TFileSystemPage::~TFileSystemPage() = default;

bool TFileSystemPage::SetFolder(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (folder == m_folder)
        return true;
    m_folder = folder;
    // a folder opened is read afresh: the list's model is new each time
    QFileSystemModel *previous = FileModel;
    FileModel = new QFileSystemModel(this);
    FileModel->setOption(QFileSystemModel::DontWatchForChanges);
    FileModel->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
    ShellListView1->setModel(FileModel);
    ShellListView1->setRootIndex(FileModel->setRootPath(folder));
    if (previous)
        previous->deleteLater();
    m_revealPending = true;
    showInTree();
    fillBox();
    return true;
}

void TFileSystemPage::showInTree()
{
    const QModelIndex inTree = FolderModel->index(m_folder);
    if (!inTree.isValid())
        return;
    for (QModelIndex up = inTree.parent(); up.isValid(); up = up.parent())
        ShellTreeView1->expand(up);
    if (ShellTreeView1->currentIndex() != inTree)
        ShellTreeView1->setCurrentIndex(inTree);
    ShellTreeView1->scrollTo(inTree);
}

bool TFileSystemPage::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        m_revealPending = false; // the user scrolls or picks in the tree from here on
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool TFileSystemPage::GoUp()
{
    QDir dir(m_folder);
    if (m_folder.isEmpty() || !dir.cdUp())
        return false;
    return SetFolder(dir.absolutePath());
}

bool TFileSystemPage::OpenEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return SetFolder(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.isFile()) {
        emit OnOpenFailed(QStringLiteral("%1 is not there any more.").arg(shown));
        return false;
    }
    if (isProgram(info)) {
        emit OnOpenFailed(
            QStringLiteral("%1 is a program; programs are not started from the explorer bar.").arg(shown));
        return false;
    }
    const Opener &open = opener();
    if (!(open ? open(path) : openWithDesktop(path))) {
        emit OnOpenFailed(QStringLiteral("No program could open %1.").arg(shown));
        return false;
    }
    return true;
}

void TFileSystemPage::fillBox()
{
    // the folder and the folders above it, the folder first
    const QSignalBlocker block(ShellComboBox1);
    ShellComboBox1->clear();
    QDir dir(m_folder);
    do {
        ShellComboBox1->addItem(style()->standardIcon(QStyle::SP_DirIcon),
                                QDir::toNativeSeparators(dir.absolutePath()));
    } while (dir.cdUp());
    ShellComboBox1->setCurrentIndex(0);
}

void TFileSystemPage::boxChosen(const QString &text)
{
    QString path = text.trimmed();
    if (path.startsWith(QLatin1String("~/")) || path == u'~')
        path = QDir::homePath() + path.mid(1);
    if (!SetFolder(path))
        ShellComboBox1->setEditText(QDir::toNativeSeparators(m_folder));
}
