#include "explorerbar/O2BookmarkTreeViews.h"

TO2BookmarkTreeView::TO2BookmarkTreeView(QWidget *parent)
    : TCustomBookmarkTreeView(parent)
{
    BuildImages();
}

TCustomBookmarkNode *TO2BookmarkTreeView::CreateNode() const
{
    return new TO2BookmarkNode;
}
