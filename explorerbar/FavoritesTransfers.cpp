#include "explorerbar/FavoritesTransfers.h"

#include "explorerbar/BookmarkFiles.h"
#include "platform/PlatformError.h"
#include "platform/TextRules.h"
#include "settings/AddFavoriteDialog.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/CommonUtils.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

namespace favoritestransfer {

namespace {

QString uniquePath(const QString &folder, const QString &name, const QString &suffix)
{
    QString path = folder + u'/' + name + suffix;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = folder + u'/' + name + QStringLiteral(" (%1)").arg(n) + suffix;
    return path;
}

void exportFolder(const QString &folder, int level, int depth, QList<bookmarkfile::Item> &items)
{
    if (depth > bookmarkfile::MaxDepth)
        return;
    QFileInfoList entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    std::stable_sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        if (a.isDir() != b.isDir())
            return a.isDir(); // folders first, as the favorites tree shows them
        return textrules::compareText(a.fileName(), b.fileName()) < 0;
    });
    for (const QFileInfo &e : entries) {
        if (e.isDir() && !e.isSymLink()) {
            bookmarkfile::Item f;
            f.level = level;
            f.kind = bookmarkfile::KindFolder;
            f.title = e.fileName();
            items.append(f);
            exportFolder(e.absoluteFilePath(), level + 1, depth + 1, items);
            continue;
        }
        QString url;
        if (e.suffix().compare(QStringLiteral("url"), Qt::CaseInsensitive) != 0 ||
            !GetInternetShortcutUrl(e.absoluteFilePath(), url))
            continue;
        bookmarkfile::Item b;
        b.level = level;
        b.kind = bookmarkfile::KindBookmark;
        b.title = e.completeBaseName();
        b.url = url;
        b.addDate = e.birthTime().isValid() ? e.birthTime().toSecsSinceEpoch() : e.lastModified().toSecsSinceEpoch();
        b.lastModified = e.lastModified().toSecsSinceEpoch();
        items.append(b);
    }
}

} // namespace

QString safeName(const QString &title)
{
    // room for the " (2)" of a name already taken within a file name's 255 bytes
    const QString name = TAddFavoriteDialog::SafeFileName(title, 200);
    return name.isEmpty() ? QStringLiteral("_") : name;
}

bool importFile(const QString &bookmarkFile, const QString &favoritesFolder, QString *error)
{
    bookmarkfile::Document doc;
    QString why;
    if (!bookmarkfile::load(bookmarkFile, 1252, &doc, &why)) {
        // the reader's reason alone does not say which file it is about
        if (error)
            *error = QStringLiteral("The bookmark file %1 could not be read: %2")
                         .arg(QDir::toNativeSeparators(bookmarkFile), why);
        return false;
    }
    if (!QDir().mkpath(favoritesFolder)) {
        if (error)
            *error = QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(favoritesFolder));
        return false;
    }
    // the folder each level's items go into
    QStringList folders{favoritesFolder};
    for (const bookmarkfile::Item &item : std::as_const(doc.items)) {
        folders.resize(std::min<qsizetype>(folders.size(), item.level + 1));
        const QString parent = folders.last();
        if (item.kind == bookmarkfile::KindFolder) {
            const QString path = uniquePath(parent, safeName(item.title), QString());
            if (!QDir().mkdir(path)) {
                if (error)
                    *error = QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(path));
                return false;
            }
            folders.append(path);
            continue;
        }
        const QString path = uniquePath(parent, safeName(item.title), QStringLiteral(".url"));
        if (!WriteInternetShortcut(path, item.url)) {
            if (error)
                *error = QStringLiteral("The shortcut %1 cannot be written.").arg(QDir::toNativeSeparators(path));
            return false;
        }
    }
    return true;
}

bool exportFile(const QString &favoritesFolder, const QString &bookmarkFile, QString *error)
{
    bookmarkfile::Document doc;
    doc.caption = QStringLiteral("Bookmarks");
    exportFolder(favoritesFolder, 0, 0, doc.items);
    QString why;
    if (bookmarkfile::save(bookmarkFile, doc, &why))
        return true;
    if (error)
        *error = QStringLiteral("The bookmark file %1 could not be written: %2")
                     .arg(QDir::toNativeSeparators(bookmarkFile), why);
    return false;
}

void install()
{
    SetFavoritesTransfer([](bool import, const QString &path) {
        QString file = path;
        if (file.isEmpty()) {
            const QString filter = QStringLiteral("HTML (*.htm *.html);;* (*)");
            file = import ? QFileDialog::getOpenFileName(nullptr, QString(), QString(), filter)
                          : QFileDialog::getSaveFileName(nullptr, QString(), QStringLiteral("bookmark.htm"), filter);
            if (file.isEmpty())
                return; // the user cancelled
        }
        QString error;
        const bool ok =
            import ? importFile(file, FavoritesFolder(), &error) : exportFile(FavoritesFolder(), file, &error);
        if (!ok)
            throw PlatformError(error);
    });
}

} // namespace favoritestransfer
