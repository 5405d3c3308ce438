#include "settings/AddFavoriteDialog.h"

#include "platform/TextRules.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int PathRole = Qt::UserRole + 1;
constexpr int MaxFolderDepth = 16; // deeper folders are not listed (and no link loop is followed)
} // namespace

TAddFavoriteDialog::TAddFavoriteDialog(const QString &FavoritesRoot, const QString &Title, QWidget *parent)
    : QDialog(parent)
    , m_root(QDir::cleanPath(FavoritesRoot))
{
    setObjectName(QStringLiteral("AddFavoriteDialog"));
    setWindowTitle(tr("Add Favorite"));
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    trvFolders = new QTreeWidget(this);
    trvFolders->setObjectName(QStringLiteral("trvFolders"));
    trvFolders->setHeaderHidden(true);

    auto *rootItem = new QTreeWidgetItem(trvFolders, {tr("Favorites")});
    rootItem->setData(0, PathRole, m_root);
    rootItem->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    addFolders(rootItem, m_root, 0);
    trvFolders->expandItem(rootItem);
    trvFolders->setCurrentItem(rootItem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edtName, &QLineEdit::textChanged, this, &TAddFavoriteDialog::updateOk);

    auto *form = new QFormLayout;
    form->addRow(tr("&Name:"), edtName);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto *folderLabel = new QLabel(tr("Create &in:"), this);
    folderLabel->setBuddy(trvFolders);
    layout->addWidget(folderLabel);
    layout->addWidget(trvFolders);
    layout->addWidget(buttons);

    SetName(Title);
    resize(360, 320);
}

void TAddFavoriteDialog::addFolders(QTreeWidgetItem *parent, const QString &path, int depth)
{
    if (depth >= MaxFolderDepth)
        return;
    const QFileInfoList dirs =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &d : dirs) {
        auto *item = new QTreeWidgetItem(parent, {d.fileName()});
        item->setData(0, PathRole, d.absoluteFilePath());
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        addFolders(item, d.absoluteFilePath(), depth + 1);
    }
}

void TAddFavoriteDialog::updateOk()
{
    if (auto *box = findChild<QDialogButtonBox *>())
        box->button(QDialogButtonBox::Ok)->setEnabled(!SafeFileName(Name()).isEmpty());
}

QString TAddFavoriteDialog::Name() const
{
    return edtName->text();
}

void TAddFavoriteDialog::SetName(const QString &name)
{
    edtName->setText(name);
    updateOk();
}

QString TAddFavoriteDialog::Folder() const
{
    const QTreeWidgetItem *item = trvFolders->currentItem();
    return item ? item->data(0, PathRole).toString() : m_root;
}

bool TAddFavoriteDialog::SelectFolder(const QString &path)
{
    const QString wanted = QDir::cleanPath(path);
    for (QTreeWidgetItemIterator it(trvFolders); *it; ++it)
        if ((*it)->data(0, PathRole).toString() == wanted) {
            trvFolders->setCurrentItem(*it);
            return true;
        }
    return false;
}

QStringList TAddFavoriteDialog::Folders() const
{
    QStringList out;
    for (QTreeWidgetItemIterator it(trvFolders); *it; ++it)
        out << (*it)->data(0, PathRole).toString();
    return out;
}

QString TAddFavoriteDialog::TargetFile() const
{
    return Folder() + u'/' + SafeFileName(Name()) + QStringLiteral(".url");
}

QString TAddFavoriteDialog::SafeFileName(const QString &name, int maxBytes)
{
    QString s = name;
    for (QChar &c : s)
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'_';
    s = textrules::trim(s);
    for (qsizetype i = 0; i < s.size() && s.at(i) == u'.'; ++i)
        s[i] = u'_';
    if (s.size() > maxBytes) // every character takes at least one byte
        s.truncate(s.at(maxBytes - 1).isHighSurrogate() ? maxBytes - 1 : maxBytes);
    while (s.toUtf8().size() > maxBytes)
        s.chop(s.size() >= 2 && s.at(s.size() - 1).isLowSurrogate() ? 2 : 1);
    return s;
}
