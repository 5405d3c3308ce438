#include "explorerbar/OrganizeFavorites.h"

#include "explorerbar/FavoriteTreeViews.h"
#include "platform/DialogRunner.h"

#include <QDir>
#include <QDirIterator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

TOrganizeFavoritesDialog::TOrganizeFavoritesDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("OrganizeFavorites"));
    setWindowTitle(tr("Organize Favorites"));
    resize(520, 380);
    auto *columns = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *help = new QLabel(tr("To create a new folder, click Create Folder. To rename, move or delete an item, "
                               "select it and click Rename, Move to Folder or Delete."),
                            this);
    help->setWordWrap(true);
    left->addWidget(help);
    auto *buttons = new QGridLayout;
    auto button = [this, buttons](const QString &name, const QString &text, int row, int column) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b, row, column);
        return b;
    };
    btnCreateFolder = button(QStringLiteral("btnCreateFolder"), tr("&Create Folder"), 0, 0);
    btnRename = button(QStringLiteral("btnRename"), tr("&Rename"), 0, 1);
    btnMove = button(QStringLiteral("btnMove"), tr("&Move to Folder..."), 1, 0);
    btnDelete = button(QStringLiteral("btnDelete"), tr("&Delete"), 1, 1);
    left->addLayout(buttons);
    left->addStretch();
    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    left->addWidget(btnClose, 0, Qt::AlignRight);
    columns->addLayout(left, 2);

    trvFavorites = new TFavoriteTreeView(this);
    trvFavorites->setObjectName(QStringLiteral("trvFavorites"));
    trvFavorites->Loaded();
    columns->addWidget(trvFavorites, 3);

    connect(btnCreateFolder, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::CreateFolder);
    connect(btnRename, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::RenameSelected);
    connect(btnMove, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::MoveSelected);
    connect(btnDelete, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::DeleteSelected);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(trvFavorites, &QTreeWidget::itemSelectionChanged, this, &TOrganizeFavoritesDialog::updateButtons);
    connect(trvFavorites, &QTreeWidget::itemChanged, this, &TOrganizeFavoritesDialog::updateButtons);
    updateButtons();
}

void TOrganizeFavoritesDialog::updateButtons()
{
    const TFavoriteNode *node = trvFavorites->GetSelected();
    btnRename->setEnabled(node && node->CanRename);
    btnMove->setEnabled(node && node->CanRename);
    btnDelete->setEnabled(node && node->CanDelete);
}

void TOrganizeFavoritesDialog::CreateFolder()
{
    if (TFavoriteNode *node = trvFavorites->AddFolder(trvFavorites->GetSelected()))
        node->BeginRename();
    updateButtons();
}

void TOrganizeFavoritesDialog::RenameSelected()
{
    if (TFavoriteNode *node = trvFavorites->GetSelected())
        node->BeginRename();
}

void TOrganizeFavoritesDialog::DeleteSelected()
{
    trvFavorites->DeleteNode(trvFavorites->GetSelected());
    updateButtons();
}

QStringList TOrganizeFavoritesDialog::FolderChoices(const TFavoriteNode *node) const
{
    const QDir root(trvFavorites->FavoritesFolder());
    const QString own = node ? node->GetPath() : QString();
    const QString ownParent = node ? node->GetParentPath() : QString();
    QStringList choices;
    if (ownParent != root.path())
        choices << QString();
    QDirIterator it(root.path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path == ownParent || (node && node->IsFolder() && (path == own || path.startsWith(own + u'/'))))
            continue;
        choices << root.relativeFilePath(path);
    }
    std::sort(choices.begin(), choices.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return choices;
}

QString TOrganizeFavoritesDialog::ChoiceLabel(const QString &relative) const
{
    return relative.isEmpty() ? tr("Favorites") : tr("Favorites") + u'/' + relative;
}

void TOrganizeFavoritesDialog::MoveSelected()
{
    TFavoriteNode *node = trvFavorites->GetSelected();
    if (!node || !node->CanRename)
        return;
    const QStringList choices = FolderChoices(node);
    if (choices.isEmpty())
        return;
    QStringList labels;
    for (const QString &c : choices)
        labels << ChoiceLabel(c);
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("MoveToFolder"));
    ask.setWindowTitle(tr("Move to Folder"));
    ask.setLabelText(tr("Move \"%1\" to:").arg(node->Caption));
    ask.setComboBoxItems(labels);
    ask.setComboBoxEditable(false);
    if (dialogrunner::exec(ask) != QDialog::Accepted)
        return;
    const qsizetype chosen = labels.indexOf(ask.textValue());
    if (chosen < 0 || node->treeWidget() != trvFavorites)
        return;
    const QString relative = choices.at(chosen);
    TFavoriteNode *folder = nullptr;
    if (!relative.isEmpty()) {
        folder = trvFavorites->ListPath(trvFavorites->FavoritesFolder() + u'/' + relative);
        if (!folder)
            return;
    }
    trvFavorites->MoveNode(node, folder);
    updateButtons();
}
