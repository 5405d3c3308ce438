#pragma once
// Helpers for the tree tests: a bookmark file on disk, mouse input on a tree's rows.
#include "explorerbar/BookmarkFiles.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace treetest {

inline bookmarkfile::Item item(int level, const QString &title, const QString &url = QString(), qint64 date = 0)
{
    bookmarkfile::Item i;
    i.level = level;
    i.kind = url.isEmpty() ? bookmarkfile::KindFolder : bookmarkfile::KindBookmark;
    i.title = title;
    i.url = url;
    i.addDate = date;
    i.lastVisit = date ? date + 1 : 0;
    i.lastModified = date ? date + 2 : 0;
    return i;
}

// Writes the items as a bookmark file in the folder and answers its path.
inline QString writeList(const QTemporaryDir &dir, const QList<bookmarkfile::Item> &items,
                         const QString &name = QStringLiteral("list.htm"),
                         const QString &caption = QStringLiteral("List"))
{
    bookmarkfile::Document doc;
    doc.caption = caption;
    doc.items = items;
    const QString path = dir.filePath(name);
    bookmarkfile::save(path, doc);
    return path;
}

inline QPoint centerOf(QTreeWidget &tree, QTreeWidgetItem *item)
{
    return tree.visualItemRect(item).center();
}

inline void click(QTreeWidget &tree, QTreeWidgetItem *item, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(tree.viewport(), button, {}, centerOf(tree, item));
}

// As a mouse delivers it: press, release, double-click press, release.
inline void doubleClick(QTreeWidget &tree, QTreeWidgetItem *item)
{
    const QPoint pos = centerOf(tree, item);
    QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, pos);
}

inline void hover(QTreeWidget &tree, const QPoint &pos)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(tree.viewport()->mapToGlobal(pos)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &move);
}

// Top-level or child texts in order.
inline QStringList texts(QTreeWidget &tree, QTreeWidgetItem *parent = nullptr)
{
    QTreeWidgetItem *p = parent ? parent : tree.invisibleRootItem();
    QStringList out;
    for (int i = 0; i < p->childCount(); ++i)
        out << p->child(i)->text(0);
    return out;
}

} // namespace treetest
