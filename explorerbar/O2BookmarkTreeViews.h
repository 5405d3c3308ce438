#pragma once
// The twin of the bookmark tree, kept on a hidden explorer-bar page: the same list behaviour, but no
// renaming, no save operation of its own and no properties update; its labels are never editable.
#include "explorerbar/BookmarkTreeViews.h"

class TO2BookmarkNode : public TCustomBookmarkNode {};

class TO2BookmarkTreeView : public TCustomBookmarkTreeView {
    Q_OBJECT
public:
    explicit TO2BookmarkTreeView(QWidget *parent = nullptr);

    TO2BookmarkNode *GetSelected() const
    {
        return static_cast<TO2BookmarkNode *>(TCustomBookmarkTreeView::GetSelected());
    }

protected:
    TCustomBookmarkNode *CreateNode() const override;
};
