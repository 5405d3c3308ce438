#pragma once
// The organise-favorites dialog: the favorites folder as a tree with buttons to make a folder, rename,
// move to another folder and delete (to the Trash). Every change is made on disk at once; Close ends
// the dialog.
#include <QDialog>
#include <QStringList>

class QPushButton;
class TFavoriteNode;
class TFavoriteTreeView;

class TOrganizeFavoritesDialog : public QDialog {
    Q_OBJECT
public:
    explicit TOrganizeFavoritesDialog(QWidget *parent = nullptr);

    // The button commands, on the selected entry.
    void CreateFolder();
    void RenameSelected();
    // Asks for the folder to move to among FolderChoices(), then moves there.
    void MoveSelected();
    void DeleteSelected();
    // Folders the entry may move to, as paths relative to the favorites folder ("" is the favorites
    // folder itself), the entry's own folder and subtree left out.
    QStringList FolderChoices(const TFavoriteNode *node) const;
    // The label of a choice in the folder list.
    QString ChoiceLabel(const QString &relative) const;

    TFavoriteTreeView *trvFavorites = nullptr;
    QPushButton *btnCreateFolder = nullptr;
    QPushButton *btnRename = nullptr;
    QPushButton *btnMove = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClose = nullptr;

private:
    void updateButtons();
};
