// Favorites import from and export to bookmark files, in a temporary favorites folder.
#include "explorerbar/FavoritesTransfers.h"

#include "common/TestSupport.h"
#include "explorerbar/BookmarkFiles.h"
#include "platform/PlatformError.h"
#include "settings/CommonUtils.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList shortcutsBelow(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, {"*.url"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QString url;
        GetInternetShortcutUrl(path, url);
        found << QDir(folder).relativeFilePath(path) + " -> " + url;
    }
    found.sort();
    return found;
}

TEST(FavoritesTransfer, ImportMakesFoldersAndShortcutsWithoutOverwriting)
{
    QTemporaryDir dir;
    const QString favorites = dir.path() + "/Favorites";
    bookmarkfile::Document doc;
    doc.caption = "B";
    doc.items = {{0, bookmarkfile::KindFolder, "News/Daily", {}, 0, 0, 0, {}},
                 {1, bookmarkfile::KindBookmark, "Paper", "http://paper/", 0, 0, 0, {}},
                 {0, bookmarkfile::KindBookmark, "..", "http://dots/", 0, 0, 0, {}},
                 {0, bookmarkfile::KindBookmark, "Same", "http://one/", 0, 0, 0, {}},
                 {0, bookmarkfile::KindBookmark, "Same", "http://two/", 0, 0, 0, {}}};
    const QString file = dir.path() + "/in.html";
    ASSERT_TRUE(bookmarkfile::save(file, doc));
    QString error;
    ASSERT_TRUE(favoritestransfer::importFile(file, favorites, &error)) << error.toStdString();
    EXPECT_EQ(shortcutsBelow(favorites),
              QStringList({"News_Daily/Paper.url -> http://paper/", "Same (2).url -> http://two/",
                           "Same.url -> http://one/", "__.url -> http://dots/"}));
    // a second import keeps the first one's files
    ASSERT_TRUE(favoritestransfer::importFile(file, favorites, &error));
    EXPECT_EQ(shortcutsBelow(favorites).size(), 8);
    EXPECT_FALSE(favoritestransfer::importFile(dir.path() + "/missing.html", favorites, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FavoritesTransfer, ExportWritesTheFolderTreeAndReadsBackTheSame)
{
    QTemporaryDir dir;
    const QString favorites = dir.path() + "/Favorites";
    QDir().mkpath(favorites + "/Links");
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/Links/Home.url", "http://home/"));
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/beta.url", "http://b/"));
    ASSERT_TRUE(WriteInternetShortcut(favorites + "/Alpha.url", "http://a/?x=1&y=2"));
    testsupport::writeBytes(favorites + "/notes.txt", "not a shortcut");
    const QString file = dir.path() + "/out.html";
    QString error;
    ASSERT_TRUE(favoritestransfer::exportFile(favorites, file, &error)) << error.toStdString();
    bookmarkfile::Document doc;
    ASSERT_TRUE(bookmarkfile::load(file, 1252, &doc, &error)) << error.toStdString();
    QStringList got;
    for (const bookmarkfile::Item &i : doc.items)
        got << QString::number(i.level) + ' ' + i.title + ' ' + i.url;
    EXPECT_EQ(got, QStringList({"0 Links ", "1 Home http://home/", "0 Alpha http://a/?x=1&y=2", "0 beta http://b/"}));
    // and that file imports into an empty folder as the same shortcuts
    const QString again = dir.path() + "/Again";
    ASSERT_TRUE(favoritestransfer::importFile(file, again, &error));
    EXPECT_EQ(shortcutsBelow(again), shortcutsBelow(favorites));
}

TEST(FavoritesTransfer, ImportedNamesAreListedAndFitTheFileSystemInAnyScript)
{
    QTemporaryDir dir;
    const QString favorites = dir.path() + "/Favorites";
    const QString japanese(150, QChar(0x65E5)); // three bytes each: 450 bytes
    bookmarkfile::Document doc;
    doc.caption = "B";
    doc.items = {{0, bookmarkfile::KindBookmark, ".profile", "http://hidden/", 0, 0, 0, {}},
                 {0, bookmarkfile::KindFolder, ".config", {}, 0, 0, 0, {}},
                 {1, bookmarkfile::KindBookmark, japanese, "http://long/", 0, 0, 0, {}},
                 {1, bookmarkfile::KindBookmark, japanese, "http://long/2", 0, 0, 0, {}}};
    const QString file = dir.path() + "/in.html";
    ASSERT_TRUE(bookmarkfile::save(file, doc));
    QString error;
    ASSERT_TRUE(favoritestransfer::importFile(file, favorites, &error)) << error.toStdString();
    const QStringList got = shortcutsBelow(favorites);
    ASSERT_EQ(got.size(), 3) << got.join("\n").toStdString();
    for (const QString &line : got) {
        const QString path = line.section(" -> ", 0, 0);
        for (const QString &part : path.split('/')) {
            EXPECT_FALSE(part.startsWith('.')) << "a hidden name is never listed: " << part.toStdString();
            EXPECT_LE(part.toUtf8().size(), 255) << part.toStdString();
        }
    }
    EXPECT_EQ(favoritestransfer::safeName(".."), "__");
    EXPECT_EQ(favoritestransfer::safeName(" "), "_");
}

TEST(FavoritesTransfer, AFailureNamesTheFileAndTheReason)
{
    QTemporaryDir dir;
    const QString favorites = dir.path() + "/Favorites";
    // a file that is no bookmark list, as a user may pick by mistake
    const QString notBookmarks = dir.path() + "/program.bin";
    testsupport::writeBytes(notBookmarks, QByteArray("\x7f"
                                                     "ELF\x02\x01<H3>x</H3>\0\0",
                                                     17));
    QString error;
    EXPECT_FALSE(favoritestransfer::importFile(notBookmarks, favorites, &error));
    EXPECT_TRUE(error.startsWith("The bookmark file " + notBookmarks + " could not be read: ")) << error.toStdString();
    EXPECT_GT(error.size(), ("The bookmark file " + notBookmarks + " could not be read: ").size())
        << "with the reader's reason";

    // a file where the folder should be: nothing can be written there, whoever runs the test
    testsupport::writeBytes(dir.path() + "/blocked", "not a folder");
    QDir().mkpath(favorites);
    const QString out = dir.path() + "/blocked/out.html";
    error.clear();
    EXPECT_FALSE(favoritestransfer::exportFile(favorites, out, &error));
    EXPECT_TRUE(error.startsWith("The bookmark file " + out + " could not be written: ")) << error.toStdString();
}

TEST(FavoritesTransfer, TheShellEntryPointsUseTheCodecOnceInstalled)
{
    QTemporaryDir dir;
    favoritestransfer::install();
    const QString file = dir.path() + "/fav.html";
    EXPECT_NO_THROW(ImportExportFavorites(false, file));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_THROW(ImportExportFavorites(true, dir.path() + "/missing.html"), PlatformError);
}

} // namespace
