// The file-system page: folder box, folder tree and file list in step, the parent-folder button, and
// files handed to the desktop's opener while programs and launchers are refused.
#include "explorerbar/FileSystemPages.h"

#include "common/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using testsupport::waitUntil;
using testsupport::writeBytes;

namespace {

class OpenerGuard {
public:
    explicit OpenerGuard(TFileSystemPage::Opener opener)
        : m_previous(TFileSystemPage::setOpener(std::move(opener)))
    {}
    ~OpenerGuard() { TFileSystemPage::setOpener(std::move(m_previous)); }
    OpenerGuard(const OpenerGuard &) = delete;
    OpenerGuard &operator=(const OpenerGuard &) = delete;

private:
    TFileSystemPage::Opener m_previous;
};

class FileSystemPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = QDir(dir.path()).canonicalPath();
        writeBytes(root + "/docs/a.txt", "a");
        writeBytes(root + "/docs/b.html", "<p>b</p>");
        QDir().mkpath(root + "/docs/inner");
        page.resize(300, 500);
        page.show();
    }
    // The names the list shows once its folder is read.
    QStringList listed()
    {
        QStringList names;
        const QModelIndex rootIndex = page.ShellListView1->rootIndex();
        for (int i = 0; i < page.FileModel->rowCount(rootIndex); ++i)
            names << page.FileModel->index(i, 0, rootIndex).data().toString();
        names.sort();
        return names;
    }

    QTemporaryDir dir;
    QString root;
    TFileSystemPage page;
    QStringList opened;
    OpenerGuard guard{[this](const QString &path) {
        opened << path;
        return !path.endsWith(".bad");
    }};
};

} // namespace

TEST_F(FileSystemPage, BoxTreeAndListShowOneFolder)
{
    EXPECT_EQ(page.Folder(), QDir::cleanPath(QDir::homePath()));
    ASSERT_TRUE(page.SetFolder(root + "/docs"));
    EXPECT_EQ(page.Folder(), root + "/docs");
    EXPECT_EQ(page.ShellComboBox1->currentText(), root + "/docs");
    EXPECT_EQ(page.ShellComboBox1->itemText(1), root);
    EXPECT_EQ(page.FolderModel->filePath(page.ShellTreeView1->currentIndex()), root + "/docs");
    // the folders on the way are read in the background; then the tree is open down to the folder
    ASSERT_TRUE(waitUntil([&] { return page.ShellTreeView1->isExpanded(page.FolderModel->index(root)); }))
        << "the tree is not open down to the folder shown";
    EXPECT_EQ(page.FolderModel->filePath(page.ShellTreeView1->currentIndex()), root + "/docs");
    ASSERT_TRUE(waitUntil([&] { return listed().size() == 3; }))
        << "the list shows " << listed().join(", ").toStdString();
    EXPECT_EQ(listed(), (QStringList{"a.txt", "b.html", "inner"}));
    EXPECT_EQ(page.ShellListView1->selectionMode(), QAbstractItemView::ExtendedSelection);

    // the tree leads: choosing a folder there moves the list and the box
    page.ShellTreeView1->setCurrentIndex(page.FolderModel->index(root));
    EXPECT_EQ(page.Folder(), root);
    ASSERT_TRUE(waitUntil([&] { return listed() == QStringList{"docs"}; })) << listed().join(", ").toStdString();

    // the box leads: a typed folder is shown, anything else puts the box back
    page.ShellComboBox1->setEditText(root + "/docs/inner");
    QTest::keyClick(page.ShellComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(page.Folder(), root + "/docs/inner");
    page.ShellComboBox1->setEditText(root + "/docs/a.txt");
    QTest::keyClick(page.ShellComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(page.Folder(), root + "/docs/inner");
    EXPECT_EQ(page.ShellComboBox1->currentText(), root + "/docs/inner");
    EXPECT_FALSE(page.SetFolder(root + "/missing"));
}

TEST_F(FileSystemPage, GoingUpClimbsToTheRoot)
{
    ASSERT_TRUE(page.SetFolder(root + "/docs/inner"));
    ASSERT_TRUE(page.GoUp());
    EXPECT_EQ(page.Folder(), root + "/docs");
    EXPECT_EQ(page.FolderModel->filePath(page.ShellTreeView1->currentIndex()), root + "/docs");
    // a folder opened again is read again
    ASSERT_TRUE(waitUntil([&] { return listed().size() == 3; })) << listed().join(", ").toStdString();
    writeBytes(root + "/docs/later.txt", "later");
    ASSERT_TRUE(page.SetFolder(root + "/docs/inner"));
    ASSERT_TRUE(page.GoUp());
    ASSERT_TRUE(waitUntil([&] { return listed().contains("later.txt"); })) << listed().join(", ").toStdString();
    ASSERT_TRUE(page.SetFolder("/"));
    EXPECT_FALSE(page.GoUp());
    EXPECT_EQ(page.Folder(), "/");
}

TEST_F(FileSystemPage, FilesGoToTheOpenerAndProgramsAreNeverStarted)
{
    QSignalSpy failed(&page, &TFileSystemPage::OnOpenFailed);
    ASSERT_TRUE(page.SetFolder(root + "/docs"));
    EXPECT_TRUE(page.OpenEntry(root + "/docs/b.html"));
    EXPECT_EQ(opened, QStringList{root + "/docs/b.html"});
    EXPECT_TRUE(page.OpenEntry(root + "/docs/inner"));
    EXPECT_EQ(page.Folder(), root + "/docs/inner");

    writeBytes(root + "/run.sh", "#!/bin/sh\ntouch " + root.toUtf8() + "/ran\n");
    QFile::setPermissions(root + "/run.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeBytes(root + "/app.desktop", "[Desktop Entry]\nType=Application\nExec=touch /tmp/x\n");
    EXPECT_FALSE(page.OpenEntry(root + "/run.sh"));
    EXPECT_FALSE(page.OpenEntry(root + "/app.desktop"));
    EXPECT_EQ(opened.size(), 1) << "a program reached the opener";
    ASSERT_EQ(failed.size(), 2);
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("run.sh"));

    writeBytes(root + "/file.bad", "x");
    EXPECT_FALSE(page.OpenEntry(root + "/file.bad"));
    EXPECT_FALSE(page.OpenEntry(root + "/gone.txt"));
    EXPECT_EQ(failed.size(), 4);
    EXPECT_FALSE(QFile::exists(root + "/ran"));
}

TEST_F(FileSystemPage, TheTreeBringsTheFolderIntoSightEvenFarDownALongList)
{
    for (int i = 0; i < 150; ++i)
        QDir().mkpath(root + QStringLiteral("/f%1").arg(i, 3, 10, QLatin1Char('0')));
    QDir().mkpath(root + "/zz/target");
    ASSERT_TRUE(page.SetFolder(root + "/zz/target"));
    QTreeView *tree = page.ShellTreeView1;
    const auto target = [&] { return page.FolderModel->index(root + "/zz/target"); };
    // the folders on the way are read and sorted in the background; the rows move as they come
    const bool inSight = waitUntil([&] {
        return tree->isExpanded(page.FolderModel->index(root + "/zz")) &&
               tree->viewport()->rect().contains(tree->visualRect(target()).center());
    });
    ASSERT_TRUE(inSight) << "the folder never comes into sight";
    // and it stays there once the model has sorted the rows it read
    testsupport::processEventsFor(300);
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(target()).center()))
        << "the folder is out of sight at " << tree->visualRect(target()).y() << " in a view "
        << tree->viewport()->height() << " high";
    EXPECT_EQ(tree->currentIndex(), target());
}
