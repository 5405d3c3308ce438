// Shell utilities: busy cursor, browser version, icons, internet shortcuts, links, dropped files,
// moving to the Trash, renaming and adding a favorite.
#include "settings/CommonUtils.h"

#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformStore.h"
#include "settings/AddFavoriteDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct Prompt {
    bool question; // Yes/No, else a message
    QString caption;
    QString text;
};

// A private store and folder per test, with every question answered by `answer` and recorded.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.path() + u'/' + name; }
    int errors() const
    {
        return int(std::count_if(prompts.begin(), prompts.end(), [](const Prompt &p) { return !p.question; }));
    }

    QTemporaryDir dir;
    bool answer = true;
    std::vector<Prompt> prompts;
    const testsupport::SeamGuard store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + QStringLiteral("/registry"));
    // answers the dialogs other than message boxes
    dialogrunner::Runner forms;
    const dialogrunner::ScopedRunner runner{testsupport::answeringMessageBoxes(
        [this](const QString &text, const QString &caption, unsigned flags) {
            const bool question = (flags & 0x0F) == messageboxes::YesNo;
            prompts.push_back({question, caption, text});
            if (!question)
                return int(messageboxes::IdOK);
            return int(answer ? messageboxes::IdYes : messageboxes::IdNo);
        },
        [this](QDialog &dialog) { return forms ? forms(dialog) : int(QDialog::Rejected); })};
};

QString trashFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

} // namespace

TEST(BusyCursor, NestedSectionsShowOneHourglassAndRestoreTheCursorBefore)
{
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    ShowBusyCursor(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
        TBusyCursor inner;
        EXPECT_EQ(BusyCursorDepth(), 2);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ShowBusyCursor(false);
    EXPECT_EQ(BusyCursorDepth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    // an unpaired end changes nothing
    ShowBusyCursor(false);
    EXPECT_EQ(BusyCursorDepth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(IEVersion, FirstThreeCharactersReadAsANumber)
{
    EXPECT_DOUBLE_EQ(ParseIEVersion("6.0.2900.2180"), 6.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion("5.50.4134.0600"), 5.5);
    EXPECT_DOUBLE_EQ(ParseIEVersion("5.00"), 5.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion("0"), 0.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion("7"), 7.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion("abc"), 1.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion(""), 1.0);
    EXPECT_DOUBLE_EQ(ParseIEVersion("1e5"), 1.0); // "1e5" is not a decimal number here
    EXPECT_DOUBLE_EQ(ParseIEVersion("6,0"), 1.0);
}

TEST_F(ShellTest, IEVersionComesFromTheStore)
{
    const QString key = QStringLiteral("Software\\Microsoft\\Internet Explorer");
    EXPECT_DOUBLE_EQ(GetIEVersion(), 6.0); // the platform's answer
    platformstore::writeString(Hive::LocalMachine, key, QStringLiteral("Version"), QStringLiteral("5.50.4134"));
    EXPECT_DOUBLE_EQ(GetIEVersion(), 5.5);
    platformstore::writeInteger(Hive::LocalMachine, key, QStringLiteral("Version"), 6);
    EXPECT_THROW(GetIEVersion(), PlatformError);
}

TEST_F(ShellTest, InternetShortcutsAreReadAndWrittenAsIniFiles)
{
    QString url = QStringLiteral("stale");
    writeBytes(path("a.url"), "[InternetShortcut]\r\nURL=http://example.org/a?b=c;d\r\nIconIndex=0\r\n");
    EXPECT_TRUE(GetInternetShortcutUrl(path("a.url"), url));
    EXPECT_EQ(url, "http://example.org/a?b=c;d");

    // names match without regard to case; the first of two keys counts
    writeBytes(path("b.url"), "[internetshortcut]\nurl=http://first/\nURL=http://second/\n");
    EXPECT_TRUE(GetInternetShortcutUrl(path("b.url"), url));
    EXPECT_EQ(url, "http://first/");

    writeBytes(path("c.url"), "[InternetShortcut]\r\nIconFile=x.ico\r\n[Other]\r\nURL=http://wrong/\r\n");
    EXPECT_FALSE(GetInternetShortcutUrl(path("c.url"), url));
    EXPECT_TRUE(url.isEmpty());
    EXPECT_FALSE(GetInternetShortcutUrl(path("missing.url"), url));
    EXPECT_FALSE(GetInternetShortcutUrl(dir.path(), url));

    // writing keeps the other lines of an existing shortcut
    ASSERT_TRUE(WriteInternetShortcut(path("a.url"), QStringLiteral("https://new.example/")));
    EXPECT_TRUE(GetInternetShortcutUrl(path("a.url"), url));
    EXPECT_EQ(url, "https://new.example/");
    EXPECT_TRUE(readBytes(path("a.url")).contains("IconIndex=0"));
    EXPECT_FALSE(WriteInternetShortcut(path("d.url"), QStringLiteral("http://a/\r\n[x]")));

    // a shortcut is a small file: a large one is refused, and not overwritten
    const QByteArray large = "[InternetShortcut]\nURL=http://large/\n" + QByteArray(70000, '\n');
    writeBytes(path("large.url"), large);
    EXPECT_FALSE(GetInternetShortcutUrl(path("large.url"), url));
    EXPECT_FALSE(WriteInternetShortcut(path("large.url"), QStringLiteral("http://other/")));
    EXPECT_EQ(readBytes(path("large.url")), large);
}

TEST_F(ShellTest, LinksResolveToTheirTargets)
{
    writeBytes(path("target.html"), "<p>");
    ASSERT_TRUE(QFile::link(path("target.html"), path("link")));
    ASSERT_TRUE(QFile::link(path("gone.html"), path("dangling")));
    writeBytes(path("site.desktop"), "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org/\n");
    writeBytes(path("app.desktop"), "[Desktop Entry]\nType=Application\nExec=true\nURL=https://example.org/\n");

    EXPECT_TRUE(IsShellLink(path("link")));
    EXPECT_TRUE(IsShellLink(path("site.desktop")));
    EXPECT_TRUE(IsShellLink(path("Other.DESKTOP")));
    EXPECT_FALSE(IsShellLink(path("target.html")));

    QString target = QStringLiteral("unchanged");
    EXPECT_TRUE(ResolveShellLink(path("link"), target));
    EXPECT_EQ(target, QFileInfo(path("target.html")).absoluteFilePath());
    EXPECT_TRUE(ResolveShellLink(path("site.desktop"), target));
    EXPECT_EQ(target, "https://example.org/");

    target = QStringLiteral("unchanged");
    EXPECT_FALSE(ResolveShellLink(path("dangling"), target));
    EXPECT_FALSE(ResolveShellLink(path("app.desktop"), target));
    EXPECT_FALSE(ResolveShellLink(path("target.html"), target));
    EXPECT_EQ(target, "unchanged");
}

TEST(DroppedFiles, LocalFilesOfTheUriListAreAppendedInOrder)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a b.txt"), QUrl("https://example.org/"),
                  QUrl::fromLocalFile(QString::fromUtf16(u"/tmp/\u65e5\u672c.html"))});
    QStringList list{QStringLiteral("kept")};
    EXPECT_TRUE(DropFilesToStrings(&data, list));
    EXPECT_EQ(list, QStringList({"kept", "/tmp/a b.txt", QString::fromUtf16(u"/tmp/\u65e5\u672c.html")}));

    QMimeData none;
    none.setText(QStringLiteral("/tmp/a.txt"));
    QStringList empty;
    EXPECT_FALSE(DropFilesToStrings(&none, empty));
    EXPECT_TRUE(empty.isEmpty());
    // no names added: the result only says whether the list holds any
    EXPECT_TRUE(DropFilesToStrings(&none, list));
    EXPECT_EQ(list.size(), 3);
}

TEST_F(ShellTest, DeleteMovesToTheTrashAfterConfirmation)
{
    // no data folder at all: the trash must still be made and used
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).removeRecursively();
    writeBytes(path("old.txt"), "x");
    const QString cwd = QDir::currentPath();

    EXPECT_TRUE(DeleteToRecycleBin(nullptr, path("old.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("old.txt")));
    EXPECT_TRUE(QFileInfo::exists(trashFolder() + QStringLiteral("/files/old.txt")));
    EXPECT_TRUE(QFileInfo::exists(trashFolder() + QStringLiteral("/info/old.txt.trashinfo")));
    EXPECT_FALSE(QFileInfo::exists(cwd + QStringLiteral("/old.txt")));
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].question);
    EXPECT_TRUE(prompts[0].text.contains("old.txt"));

    // a folder goes whole
    writeBytes(path("folder/inner.txt"), "y");
    EXPECT_TRUE(DeleteToRecycleBin(nullptr, path("folder")));
    EXPECT_FALSE(QFileInfo::exists(path("folder")));
    EXPECT_TRUE(QFileInfo::exists(trashFolder() + QStringLiteral("/files/folder/inner.txt")));
}

TEST_F(ShellTest, DeleteRefusedOrImpossibleKeepsEverything)
{
    writeBytes(path("keep.txt"), "x");
    answer = false;
    EXPECT_FALSE(DeleteToRecycleBin(nullptr, path("keep.txt")));
    EXPECT_EQ(readBytes(path("keep.txt")), "x");
    EXPECT_EQ(errors(), 0);

    answer = true;
    EXPECT_FALSE(DeleteToRecycleBin(nullptr, path("missing.txt")));
    EXPECT_FALSE(DeleteToRecycleBin(nullptr, QString()));
    EXPECT_EQ(errors(), 2);
    EXPECT_EQ(BusyCursorDepth(), 0);
}

TEST_F(ShellTest, RenameWithinItsFolder)
{
    writeBytes(path("a.url"), "[InternetShortcut]\nURL=http://a/\n");
    writeBytes(path("b.url"), "b");
    QDir().mkpath(path("sub"));

    EXPECT_TRUE(ShellRenameFile(nullptr, path("a.url"), path("c.url")));
    EXPECT_FALSE(QFileInfo::exists(path("a.url")));
    EXPECT_TRUE(QFileInfo::exists(path("c.url")));
    EXPECT_TRUE(ShellRenameFile(nullptr, path("sub"), path("Sub 2")));
    EXPECT_TRUE(QFileInfo(path("Sub 2")).isDir());
    EXPECT_TRUE(ShellRenameFile(nullptr, path("c.url"), path("c.url"))); // unchanged name
    EXPECT_EQ(errors(), 0);

    // an existing target is never overwritten
    EXPECT_FALSE(ShellRenameFile(nullptr, path("c.url"), path("b.url")));
    EXPECT_EQ(readBytes(path("b.url")), "b");
    EXPECT_TRUE(QFileInfo::exists(path("c.url")));
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(prompts.back().text.contains("already exists"));

    for (const QString &bad :
         {path("."), path(".."), path("x/y.url"), dir.path() + u'/', QStringLiteral("/etc/c.url")}) {
        EXPECT_FALSE(ShellRenameFile(nullptr, path("c.url"), bad)) << bad.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path("c.url")));
    }
    EXPECT_FALSE(ShellRenameFile(nullptr, path("missing"), path("other")));
    EXPECT_EQ(errors(), 7);
    EXPECT_EQ(BusyCursorDepth(), 0);
}

TEST_F(ShellTest, AddFavoriteWritesAShortcutIntoTheChosenFolder)
{
    const QString favorites = FavoritesFolder();
    ASSERT_FALSE(favorites.isEmpty());
    QDir().mkpath(favorites + QStringLiteral("/News/Daily"));

    QStringList listed;
    forms = [&](QDialog &d) {
        auto &dialog = dynamic_cast<TAddFavoriteDialog &>(d);
        listed = dialog.Folders();
        EXPECT_EQ(dialog.Name(), "Example / Home");
        dialog.SetName(QStringLiteral("Example / Home"));
        EXPECT_TRUE(dialog.SelectFolder(favorites + QStringLiteral("/News/Daily")));
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(AddFavorite(QStringLiteral("Example / Home"), QStringLiteral("https://example.org/")));
    EXPECT_EQ(listed, QStringList({QDir::cleanPath(favorites), favorites + "/News", favorites + "/News/Daily"}));
    const QString file = favorites + QStringLiteral("/News/Daily/Example _ Home.url");
    QString url;
    EXPECT_TRUE(GetInternetShortcutUrl(file, url));
    EXPECT_EQ(url, "https://example.org/");

    // an existing favorite is replaced only when the user says so
    answer = false;
    EXPECT_FALSE(AddFavorite(QStringLiteral("Example / Home"), QStringLiteral("https://other.example/")));
    EXPECT_TRUE(GetInternetShortcutUrl(file, url));
    EXPECT_EQ(url, "https://example.org/");
    answer = true;
    EXPECT_TRUE(AddFavorite(QStringLiteral("Example / Home"), QStringLiteral("https://other.example/")));
    EXPECT_TRUE(GetInternetShortcutUrl(file, url));
    EXPECT_EQ(url, "https://other.example/");

    forms = [](QDialog &) { return int(QDialog::Rejected); };
    EXPECT_FALSE(AddFavorite(QStringLiteral("Cancelled"), QStringLiteral("https://c/")));
    EXPECT_FALSE(QFileInfo::exists(favorites + QStringLiteral("/Cancelled.url")));
}

TEST(Favorites, ImportAndExportGoThroughTheInstalledTransfer)
{
    const auto none = testsupport::restoringDefault(SetFavoritesTransfer, {});
    EXPECT_THROW(ImportExportFavorites(true, QString()), PlatformError);
    EXPECT_EQ(BusyCursorDepth(), 0);

    std::vector<std::pair<bool, QString>> calls;
    int depthInside = -1;
    SetFavoritesTransfer([&](bool import, const QString &path) {
        calls.emplace_back(import, path);
        depthInside = BusyCursorDepth();
    });
    ImportExportFavorites(false, QStringLiteral("/tmp/bookmarks.html"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].first);
    EXPECT_EQ(calls[0].second, "/tmp/bookmarks.html");
    EXPECT_EQ(depthInside, 1);

    SetFavoritesTransfer([](bool, const QString &) { throw PlatformError(QStringLiteral("bad file")); });
    EXPECT_THROW(ImportExportFavorites(true, QString()), PlatformError);
    EXPECT_EQ(BusyCursorDepth(), 0);
}
