#pragma once
// The explorer bar's file-system page: a folder box, a folder tree and a file list that always show
// the same folder, and the parent-folder button. A folder opens in place; a file is handed to the
// desktop's opener for its type. Programs and launchers are never started from here. Nothing is
// watched (an idle program does no work): the list reads a folder afresh each time it is opened.
#include <QWidget>
#include <functional>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QToolButton;
class QTreeView;

class TFileSystemPage : public QWidget {
    Q_OBJECT
public:
    // Opens a file with the desktop's application for its type; false when that failed.
    using Opener = std::function<bool(const QString &path)>;
    // Installs the opener (an empty one restores the desktop's); returns the one before.
    static Opener setOpener(Opener opener);

    // Starts in the user's home folder.
    explicit TFileSystemPage(QWidget *parent = nullptr);
    ~TFileSystemPage() override;

    QString Folder() const { return m_folder; }
    // Shows the folder in the box, the tree and the list; false (nothing changes) when it is not a
    // folder that can be listed.
    bool SetFolder(const QString &path);
    // The parent of the folder shown; false at the root.
    bool GoUp();
    // A folder of the list opens in place; a file goes to the opener. A program (an executable file)
    // or a desktop launcher is refused with a message and never started.
    bool OpenEntry(const QString &path);

    QComboBox *ShellComboBox1 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QTreeView *ShellTreeView1 = nullptr;
    QTreeView *ShellListView1 = nullptr;
    QFileSystemModel *FolderModel = nullptr;
    QFileSystemModel *FileModel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // A file could not be opened, or was refused; the text says which and why.
    void OnOpenFailed(const QString &text);

private:
    void fillBox();
    // Opens the tree down to the folder shown and selects it.
    void showInTree();
    void boxChosen(const QString &text);

    QString m_folder;
    // the folder shown is still to be brought into sight as the tree's rows settle
    bool m_revealPending = false;
};
