#pragma once
// The add-favorite dialog: a name for the favorite and the folder of the favorites folder it goes
// into. The caller writes the ".url" file at TargetFile() when the dialog is accepted.
#include <QDialog>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

class TAddFavoriteDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the folders under FavoritesRoot; the name starts as Title.
    TAddFavoriteDialog(const QString &FavoritesRoot, const QString &Title, QWidget *parent = nullptr);

    QString Name() const;
    void SetName(const QString &name);
    // The chosen folder (the favorites folder itself unless a subfolder is selected).
    QString Folder() const;
    // Selects the listed folder with that path; false when it is not listed.
    bool SelectFolder(const QString &path);
    // The folder's paths in list order, the favorites folder first.
    QStringList Folders() const;
    // The file the favorite is written to: the folder, the name made safe for a file name, ".url".
    QString TargetFile() const;

    // The name with "/", NUL and control characters replaced by "_", trimmed, leading dots made
    // "_" (a hidden file would never be listed), and cut to maxBytes in UTF-8 (by default so that
    // the file name with ".url" fits in 255 bytes).
    static QString SafeFileName(const QString &name, int maxBytes = 255 - 4);

    QLineEdit *edtName = nullptr;
    QTreeWidget *trvFolders = nullptr;

private:
    void addFolders(QTreeWidgetItem *parent, const QString &path, int depth);
    void updateOk();
    QString m_root;
};
